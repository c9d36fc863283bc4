// The picture window's link checks, the record of kept pictures and the
// shrink command, checked row by row. The icons of the refusals
// are checked through the window itself.
#include "pictures/linkcheck.h"
#include "pictures/shrink.h"
#include "pictures/kept.h"
#include "store/category.h"
#include "tools/admincommand.h"

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
        const QString gif = "Format GIF non supporté. ", extension = "Extension invalide.", invalid = "URL invalide.";
        // The last three characters decide, in any letter case: "jpeg" reads as "peg", "tiff" as "iff". A
        // browser's link is taken as it stands; only http and https are fetched; the forum's own links skip
        // the extension check, its prefix matched exactly.
        const std::pair<QString, QString> rows[] = {
            {"http://exemple.fr/images/z001.JPG", {}}, {"http://exemple.fr/z001.jpeg", {}}, {"http://exemple.fr/z001.jpe", {}},
            {"http://exemple.fr/z001.bmp", {}}, {"http://exemple.fr/z001.tiff", {}}, {"http://exemple.fr/photojpg", {}},
            {"HtTpS://EXEMPLE.fr/Z001.Png", {}}, {"http://forêt.fr/été/énigme n°2.png", {}},
            {"http://exemple.fr/a|b{c}^`\"<>%.jpg", {}}, {"https://exemple.fr/Z001.GIF", gif},
            {"http://exemple.fr/z001.webp", extension}, {"https://exemple.fr/z001.jpg?taille=2", extension},
            {"https://exemple.fr/z001.jpg ", extension}, {"", "URL non spécifiée."}, {"ftp://exemple.fr/z001.jpg", invalid},
            {"   ", invalid}, {notAvailable(), invalid}, {"/home/zoe/z001.jpg", invalid}, {"httpx://exemple.fr/z001.jpg", invalid},
            {"http:///z001.jpg", invalid}, {"http://exemple fr/z001.jpg", invalid}, {" http://exemple.fr/z001.jpg", invalid},
            {forumPrefix() + "fr/files/z001.gif", {}}, {forumPrefix() + "fr/viewtopic.php?t=1234", {}},
            {"HTTPS://WWW.NORVANE.fr/z001.gif", gif}, {"http://www.norvane.fr/z001.webp", extension}};
        for (const auto &[link, message] : rows)
            QTest::newRow(qPrintable("«" + link + "»")) << link << message;
    }

    void verdicts()
    {
        QFETCH(QString, link);
        QFETCH(QString, message);
        const LinkVerdict verdict = checkLink(link);
        QCOMPARE(verdict == LinkVerdict::Accepted, message.isEmpty());
        QCOMPARE(verdictMessage(verdict), message);
    }

    // Any number and any link are recorded as they stand, and the picture's
    // file stays inside the folder.
    void keptRecordTakesAnyText()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath("image2_url.jpg");
        test::writeBytes(picture, "jpeg");
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
        // (The shrink's own arguments are proven by the pictures shown.)
        const ShrinkCommand seven = shrinkCommandFor("/usr/bin/magick", "/usr/bin/convert"),
                            six = shrinkCommandFor("", "/usr/bin/convert");
        QCOMPARE(QStringList{seven.program} + seven.arguments, QStringList({"/usr/bin/magick", "convert"}) + six.arguments);
        QCOMPARE(six.program + shrinkCommandFor("", "").program, QStringLiteral("/usr/bin/convert"));
    }
};

QTEST_APPLESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
