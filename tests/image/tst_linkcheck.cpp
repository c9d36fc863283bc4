// The picture window's link checks, the gate on downloaded bytes and the
// record of kept pictures, checked row by row. The icons of the refusals
// are checked through the window itself.
#include "pictures/linkcheck.h"
#include "pictures/shrink.h"
#include "pictures/kept.h"
#include "store/category.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tabrix;
using namespace tabrix::pictures;

class TestLinkCheck : public QObject {
    Q_OBJECT
private slots:
    void verdicts_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("message"); // empty when the link is fetched
        auto row = [](const QString &link, const QString &message = {}) {
            QTest::newRow(qPrintable("«" + link + "»")) << link << message;
        };
        // The last three characters decide, in any letter case: "jpeg" reads as "peg", "tiff" as "iff".
        for (const char *end : {"images/z001.JPG", "z001.jpeg", "z001.jpe", "z001.png", "z001.bmp", "z001.tif",
                                "z001.tiff", "photojpg"})
            row(QStringLiteral("http://exemple.fr/") + end);
        row("HtTpS://EXEMPLE.fr/Z001.Png");
        // What a browser takes: blanks, letters of any alphabet, characters it would encode.
        for (const char *link : {"https://hote/mon dossier/mon image.jpg", "http://forêt.fr/été/énigme n°2.png",
                                 "http://exemple.fr/a|b{c}^`\"<>%.jpg", "http://exemple.fr/z 001.JPG"})
            row(QString::fromUtf8(link));
        row("http://exemple.fr/z001.gif", "Format GIF non supporté. ");
        row("https://exemple.fr/Z001.GIF", "Format GIF non supporté. ");
        for (const char *link : {"http://exemple.fr/z001.webp", "https://exemple.fr/z001.jpg?taille=2",
                                 "https://exemple.fr/z001.jpg "})
            row(link, "Extension invalide.");
        row("", "URL non spécifiée.");
        // Only an http or https address is fetched.
        for (const QString &link : QStringList{"ftp://exemple.fr/z001.jpg", "   ", notAvailable(), "/home/zoe/z001.jpg",
                                               "httpx://exemple.fr/z001.jpg", "http:///z001.jpg",
                                               "http://exemple fr/z001.jpg",
                                               " http://exemple.fr/z001.jpg"})
            row(link, "URL invalide.");
        // The forum's own links skip the extension check; the prefix is matched exactly.
        row(forumPrefix() + "fr/files/z001.gif");
        row(forumPrefix() + "fr/viewtopic.php?t=1234");
        row("HTTPS://WWW.NORVANE.fr/z001.gif", "Format GIF non supporté. ");
        row("http://www.norvane.fr/z001.webp", "Extension invalide.");
    }

    void verdicts()
    {
        QFETCH(QString, link);
        QFETCH(QString, message);
        const LinkVerdict verdict = checkLink(link);
        QCOMPARE(verdict == LinkVerdict::Accepted, message.isEmpty());
        QCOMPARE(verdictMessage(verdict), message);
    }

    // The first bytes of JPEG, PNG, GIF, WebP, BMP and both TIFF orders
    // pass; anything else, or too short to tell, does not.
    void pictureHeads()
    {
        for (const char *hex : {"ffd8ffe000104a46", "89504e470d0a1a0a", "424d360c00000000", "49492a0008000000",
                                "4d4d002a00000008", "ffd8ff", "474946383761", "4749463839610100",
                                "524946460000000057454250"})
            QVERIFY2(looksLikePicture(QByteArray::fromHex(hex)), hex);
        // "<!DOCTYPE html>", "<svg", "%PDF", "%!PS", a WAVE sound, nothing, a cut PNG, two JPEG bytes.
        for (const char *hex : {"3c21444f43545950452068746d6c3e", "3c737667", "25504446", "25215053",
                                "524946460000000057415645", "", "89504e47", "ffd8"})
            QVERIFY2(!looksLikePicture(QByteArray::fromHex(hex)), hex);
    }

    // Any number and any link are recorded as they stand, and the picture's
    // file stays inside the folder.
    void keptRecordTakesAnyText()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath("image2_url.jpg");
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("jpeg") == 4);
        file.close();
        KeptPictures kept(dir.filePath("Tabrix.mdb"));
        const QStringList texts = {"007", "../../Tabrix", "a'b\"; DROP TABLE kept; --", QString(QChar(0xD800)), "",
                                   QString(3000, QChar(0x00E9)), "x\n/\\y", "NUL\0"};
        for (const QString &text : texts)
            QVERIFY2(kept.keep(categories()[1], text, "https://i.fr/" + text, picture), qPrintable(text));
        for (const QString &text : texts) {
            const std::optional<KeptPicture> found = kept.find(categories()[1], text);
            // (A lone surrogate, which UTF-8 cannot hold, reads back as U+FFFD.)
            QVERIFY2(found && found->link == QString::fromUtf8(("https://i.fr/" + text).toUtf8()), qPrintable(text));
            QCOMPARE(QFileInfo(found->file).absolutePath(), QFileInfo(dir.filePath("images/x")).absolutePath());
        }
        QCOMPARE(QDir(dir.filePath("images")).entryList(QDir::Files).size(), texts.size() + 1);
    }

    // ImageMagick 7's magick where it exists, else ImageMagick 6's convert.
    void shrinkCommand()
    {
        const QStringList common = {"-define", "jpeg:size=800x400", "image_url.jpg[0]", "-resize", "800x400>",
                                    "image2_url.jpg"};
        auto command = [](const QString &magick, const QString &convert) {
            const ShrinkCommand c = shrinkCommandFor(magick, convert);
            return QStringList{c.program} + c.arguments;
        };
        QCOMPARE(command("/usr/bin/magick", "/usr/bin/convert"), QStringList({"/usr/bin/magick", "convert"}) + common);
        QCOMPARE(command("", "/usr/bin/convert"), QStringList{"/usr/bin/convert"} + common);
        QCOMPARE(command("", ""), QStringList{""});
    }
};

QTEST_APPLESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
