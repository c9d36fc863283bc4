// The picture window's link checks and the gate on downloaded bytes: pure
// functions, checked row by row.
#include "image/linkcheck.h"
#include "image/shrink.h"
#include "store/category.h"

#include <QtTest>

using namespace tabrix;
using namespace tabrix::image;

Q_DECLARE_METATYPE(tabrix::image::LinkVerdict)
Q_DECLARE_METATYPE(tabrix::MessageIcon)

class LinkCheckTest : public QObject {
    Q_OBJECT
private slots:
    void verdicts_data();
    void verdicts();
    void pictureHeads_data();
    void pictureHeads();
    void shrinkCommand_data();
    void shrinkCommand();
};

void LinkCheckTest::verdicts_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<LinkVerdict>("verdict");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MessageIcon>("icon");

    const QString missing = QStringLiteral("URL non spécifiée.");
    const QString invalid = QStringLiteral("URL invalide.");
    const QString gif = QStringLiteral("Format GIF non supporté. ");
    const QString extension = QStringLiteral("Extension invalide.");
    const QString forum = forumPrefix();
    using V = LinkVerdict;
    using I = MessageIcon;

    auto row = [](const char *tag, const QString &link, V verdict, const QString &message, I icon) {
        QTest::newRow(tag) << link << verdict << message << icon;
    };
    row("upper-case JPG", "http://exemple.fr/images/z001.JPG", V::Accepted, {}, I::None);
    row("jpeg, read as PEG", "http://exemple.fr/z001.jpeg", V::Accepted, {}, I::None);
    row("jpe", "http://exemple.fr/z001.jpe", V::Accepted, {}, I::None);
    row("png over https", "https://exemple.fr/z001.png", V::Accepted, {}, I::None);
    row("bmp", "http://exemple.fr/z001.bmp", V::Accepted, {}, I::None);
    row("tif", "http://exemple.fr/z001.tif", V::Accepted, {}, I::None);
    row("tiff, read as IFF", "http://exemple.fr/z001.tiff", V::Accepted, {}, I::None);
    row("jpg without a dot", "http://exemple.fr/photojpg", V::Accepted, {}, I::None);
    row("mixed-case scheme", "HtTpS://EXEMPLE.fr/Z001.Png", V::Accepted, {}, I::None);
    row("upper-case HTTP", "HTTP://EXEMPLE.FR/Z001.JPG", V::Accepted, {}, I::None);
    row("gif", "http://exemple.fr/z001.gif", V::Gif, gif, I::Critical);
    row("upper-case GIF", "https://exemple.fr/Z001.GIF", V::Gif, gif, I::Critical);
    row("webp", "http://exemple.fr/z001.webp", V::BadExtension, extension, I::None);
    row("query string", "https://exemple.fr/z001.jpg?taille=2", V::BadExtension, extension, I::None);
    row("trailing blank", "https://exemple.fr/z001.jpg ", V::BadExtension, extension, I::None);
    row("ftp", "ftp://exemple.fr/z001.jpg", V::NotWeb, invalid, I::None);
    row("empty", "", V::Missing, missing, I::Exclamation);
    row("blanks only", "   ", V::NotWeb, invalid, I::None);
    row("not available", notAvailable(), V::NotWeb, invalid, I::None);
    row("file path", "/home/zoe/z001.jpg", V::NotWeb, invalid, I::None);
    row("http-like scheme", "httpx://exemple.fr/z001.jpg", V::NotWeb, invalid, I::None);
    row("no host", "http:///z001.jpg", V::NotWeb, invalid, I::None);
    row("leading blank", " http://exemple.fr/z001.jpg", V::NotWeb, invalid, I::None);
    row("forum link ending in .gif", forum + "fr/files/z001.gif", V::Accepted, {}, I::None);
    row("forum page without extension", forum + "fr/viewtopic.php?t=1234", V::Accepted, {}, I::None);
    row("forum prefix in other case", "HTTPS://WWW.NORVANE.fr/z001.gif", V::Gif, gif, I::Critical);
    row("forum prefix over http", "http://www.norvane.fr/z001.webp", V::BadExtension, extension, I::None);
}

void LinkCheckTest::verdicts()
{
    QFETCH(QString, link);
    QFETCH(LinkVerdict, verdict);
    QFETCH(QString, message);
    QFETCH(MessageIcon, icon);

    QCOMPARE(checkLink(link), verdict);
    QCOMPARE(verdictMessage(verdict), message);
    if (verdict != LinkVerdict::Accepted)
        QCOMPARE(verdictIcon(verdict), icon);
}

void LinkCheckTest::pictureHeads_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("picture");

    QTest::newRow("jpeg") << QByteArray::fromHex("ffd8ffe000104a46") << true;
    QTest::newRow("png") << QByteArray::fromHex("89504e470d0a1a0a") << true;
    QTest::newRow("bmp") << QByteArray("BM6\x0c\x00\x00\x00\x00", 8) << true;
    QTest::newRow("tiff little-endian") << QByteArray("II*\x00\x08\x00\x00\x00", 8) << true;
    QTest::newRow("tiff big-endian") << QByteArray("MM\x00*\x00\x00\x00\x08", 8) << true;
    QTest::newRow("short jpeg") << QByteArray::fromHex("ffd8ff") << true;
    QTest::newRow("gif") << QByteArray("GIF89a\x01\x00", 8) << false;
    QTest::newRow("webp") << QByteArray("RIFF\x10\x00\x00\x00", 8) << false;
    QTest::newRow("html") << QByteArray("<!DOCTYPE html>") << false;
    QTest::newRow("svg") << QByteArray("<svg xmlns=") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("cut png") << QByteArray::fromHex("89504e47") << false;
    QTest::newRow("two jpeg bytes") << QByteArray::fromHex("ffd8") << false;
}

void LinkCheckTest::pictureHeads()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, picture);
    QCOMPARE(looksLikePicture(head), picture);
}

void LinkCheckTest::shrinkCommand_data()
{
    QTest::addColumn<QString>("magick");
    QTest::addColumn<QString>("convert");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    const QStringList common = {"image_url.jpg", "-resize", "800x400", "image2_url.jpg"};
    QTest::newRow("ImageMagick 7") << "/usr/bin/magick" << "/usr/bin/convert" << "/usr/bin/magick"
                                   << QStringList{"convert"} + common;
    QTest::newRow("ImageMagick 6") << "" << "/usr/bin/convert" << "/usr/bin/convert" << common;
    QTest::newRow("none") << "" << "" << "" << QStringList{};
}

void LinkCheckTest::shrinkCommand()
{
    QFETCH(QString, magick);
    QFETCH(QString, convert);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    const ShrinkCommand command = shrinkCommandFor(magick, convert);
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
}

QTEST_APPLESS_MAIN(LinkCheckTest)
#include "tst_linkcheck.moc"
