// The picture window's link checks and the gate on downloaded bytes: pure
// functions, checked row by row. The icons of the refusals are checked
// through the window itself.
#include "image/linkcheck.h"
#include "image/shrink.h"
#include "store/category.h"

#include <QtTest>

using namespace tabrix;
using namespace tabrix::image;


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
    QTest::addColumn<QString>("message"); // empty when the link is fetched

    const QString invalid = QStringLiteral("URL invalide.");
    const QString gif = QStringLiteral("Format GIF non supporté. ");
    const QString extension = QStringLiteral("Extension invalide.");
    const QString forum = forumPrefix();
    auto row = [](const char *tag, const QString &link, const QString &message = {}) {
        QTest::newRow(tag) << link << message;
    };
    row("upper-case JPG", "http://exemple.fr/images/z001.JPG");
    row("jpeg, read as PEG", "http://exemple.fr/z001.jpeg");
    row("jpe", "http://exemple.fr/z001.jpe");
    row("png over https", "https://exemple.fr/z001.png");
    row("bmp", "http://exemple.fr/z001.bmp");
    row("tif", "http://exemple.fr/z001.tif");
    row("tiff, read as IFF", "http://exemple.fr/z001.tiff");
    row("jpg without a dot", "http://exemple.fr/photojpg");
    row("mixed-case scheme", "HtTpS://EXEMPLE.fr/Z001.Png");
    row("gif", "http://exemple.fr/z001.gif", gif);
    row("upper-case GIF", "https://exemple.fr/Z001.GIF", gif);
    row("webp", "http://exemple.fr/z001.webp", extension);
    row("query string", "https://exemple.fr/z001.jpg?taille=2", extension);
    row("trailing blank", "https://exemple.fr/z001.jpg ", extension);
    row("ftp", "ftp://exemple.fr/z001.jpg", invalid);
    row("empty", "", QStringLiteral("URL non spécifiée."));
    row("blanks only", "   ", invalid);
    row("not available", notAvailable(), invalid);
    row("file path", "/home/zoe/z001.jpg", invalid);
    row("http-like scheme", "httpx://exemple.fr/z001.jpg", invalid);
    row("no host", "http:///z001.jpg", invalid);
    row("leading blank", " http://exemple.fr/z001.jpg", invalid);
    row("forum link ending in .gif", forum + "fr/files/z001.gif");
    row("forum page without extension", forum + "fr/viewtopic.php?t=1234");
    row("forum prefix in other case", "HTTPS://WWW.NORVANE.fr/z001.gif", gif);
    row("forum prefix over http", "http://www.norvane.fr/z001.webp", extension);
}

void LinkCheckTest::verdicts()
{
    QFETCH(QString, link);
    QFETCH(QString, message);
    const LinkVerdict verdict = checkLink(link);
    QCOMPARE(verdict == LinkVerdict::Accepted, message.isEmpty());
    QCOMPARE(verdictMessage(verdict), message);
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
    QTest::newRow("html") << QByteArray("<!DOCTYPE html>") << false;
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

    const QStringList common = {"-define", "jpeg:size=1600x800", "image_url.jpg", "-resize", "800x400",
                                "image2_url.jpg"};
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
