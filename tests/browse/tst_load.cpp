// A click on an entry loads it into the edit fields and, with "Afficher"
// ticked, opens what the selected option says; a list that cannot be read
// is told as such.

#include "support/programfixture.h"

#include "browse/browse.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QRadioButton>
#include <QUrl>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QString img = QStringLiteral("https://images.norvane.fr/002.jpg");
const QString forum = QStringLiteral("http://www.norvane.fr/t002");
const QString noValue = QStringLiteral("<NULL>"); // a link with no value
const QString gone = QStringLiteral("<gone>");    // entry 002 deleted once shown

// Entry 002 of `table` with these links, clicked with "Afficher" ticked or
// not and an option "window" ("Img fenêtre"), "web" ("Img WEB") or
// "norvane" ("Norvane"); the link handed to the browser, if any, and
// whether the picture window opens.
struct LoadCase {
    QString table, url, link, option;
    bool show;
    QString opened;
    bool picture;
};

void row(const QByteArray &tag, const QString &table, const QString &url, const QString &link, const char *option,
         const QString &opened = {}, bool picture = false, bool show = true)
{
    QTest::newRow(tag.constData()) << LoadCase{table, url, link, option, show, opened, picture};
}

std::optional<QString> field(const QString &text)
{
    return text == noValue ? std::nullopt : std::optional<QString>(text);
}

} // namespace

Q_DECLARE_METATYPE(LoadCase)

class TestLoad : public QObject {
    Q_OBJECT
    QList<QUrl> m_opened;

public slots:
    // Stands in for the browser: records every link the system is asked to open.
    void open(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        for (const char *scheme : {"http", "https", "ftp", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    void init() { m_opened.clear(); }

    void clickOpensWhatOptionsSay_data()
    {
        QTest::addColumn<LoadCase>("c");

        const QString nd = notAvailable();
        for (const Category &category : categories()) {
            const QString &t = category.table;
            const QByteArray word = t.toUtf8() + ' ';
            row(word + "not ticked", t, img, forum, "web", {}, false, false);
            row(word + "web", t, img, forum, "web", img);
            row(word + "norvane", t, img, forum, "norvane", forum);
            row(word + "window", t, img, forum, "window", {}, true);
            // The image link comes first, whatever the option.
            for (const char *option : {"window", "web", "norvane"}) {
                row(word + "url non disponible " + option, t, nd, forum, option);
                row(word + "url empty " + option, t, "", forum, option);
            }
        }

        // A link with no value passes the conditions and shows as an empty text.
        row("trunda url null window", "trunda", noValue, forum, "window", {}, true);
        row("trunda url null web", "trunda", noValue, forum, "web");
        row("titres link null web", "titres", img, noValue, "web", img);
        row("melvi link null norvane", "melvi", img, noValue, "norvane");

        // Only "Vasquo" entries also need a forum link.
        for (const QString &link : {nd, QString()}) {
            const QByteArray what = link.isEmpty() ? "empty " : "non disponible ";
            row("zarpo link " + what + "web", "zarpo", img, link, "web", img);
            row("melvi link " + what + "window", "melvi", img, link, "window", {}, true);
            row("trunda link " + what + "norvane", "trunda", img, link, "norvane");
            for (const char *option : {"window", "web", "norvane"})
                row("titres link " + what + option, "titres", img, link, option);
        }

        // Only web addresses reach the browser, as a browser would take them.
        row("melvi url with blanks web", "melvi", "https://hote/mon dossier/mon image.jpg", forum, "web",
            "https://hote/mon dossier/mon image.jpg");
        row("zarpo link with accents norvane", "zarpo", img, "https://www.norvane.fr/énigme été", "norvane",
            "https://www.norvane.fr/énigme été");
        row("zarpo url file path web", "zarpo", "C:\\images\\002.jpg", forum, "web");
        row("melvi link file norvane", "melvi", img, "file:///tmp/t002.html", "norvane");

        // No record answers the click: the link boxes are emptied, nothing opens.
        row("zarpo entry gone web", "zarpo", gone, forum, "web");
    }

    void clickOpensWhatOptionsSay()
    {
        QFETCH(LoadCase, c);
        const Category &category = *categoryByTable(c.table);
        ProgramFixture running(category, {entry("001", "Avant", "anna", "https://i.fr/001.jpg", "https://www.norvane.fr/t001"),
                                   entry("002", "Été à Lyon", "Zoé", field(c.url == gone ? img : c.url), field(c.link)),
                                   entry("003", "Après", "Bruno", "https://i.fr/003.jpg", "https://www.norvane.fr/t003")});
        QVERIFY(running.ok);
        CategoryTab &tab = running.tab(category);
        if (tab.showCheck->isChecked() != c.show)
            click(tab.showCheck);
        click(c.option == "web" ? tab.webOption : c.option == "norvane" ? tab.forumOption : tab.windowOption);
        for (QLineEdit *box : {tab.url, tab.link}) // left from an earlier entry
            box->setText(QStringLiteral("https://www.norvane.fr/ancien"));
        if (c.url == gone)
            execute(running.dir.catalogue(), QStringLiteral("DELETE FROM %1 WHERE ref = '002'").arg(c.table));

        QStringList pictures;
        if (c.picture) // the picture window, shown by the picture tests, stands aside
            browse::loadEntry(running.form(), running.window->context(), category, 2,
                              [&pictures](MainForm &, Context &, const Category &shownIn) { pictures << shownIn.table; });
        else
            clickCell(*tab.grid, tab.grid->rowShowing(0, "002"), 1);

        const auto shown = [](const QString &link) { return link == noValue || link == gone ? QString() : link; };
        QCOMPARE(running.fields(category), (QStringList{"002", "Été à Lyon", "Zoé", shown(c.url), c.url == gone ? "" : shown(c.link)}));
        QCOMPARE(m_opened, c.opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl(c.opened)});
        QCOMPARE(pictures, c.picture ? QStringList{c.table} : QStringList{});
        QVERIFY(running.services.messages.isEmpty());
    }

    void readFailureIsShown_data()
    {
        QTest::addColumn<bool>("header");
        QTest::addColumn<QString>("message");
        QTest::newRow("entry click") << false << "Le n° 001 n'a pas pu être lu";
        QTest::newRow("header click") << true << "La liste melvi n'a pas pu être lue";
    }

    void readFailureIsShown()
    {
        QFETCH(bool, header);
        QFETCH(QString, message);
        ProgramFixture running(melvi(), numberedEntries(3));
        QVERIFY(running.ok);
        CategoryTab &tab = running.tab(melvi());
        tab.showCheck->setChecked(true);
        tab.webOption->setChecked(true);
        const QString typed = QStringLiteral("https://images.norvane.fr/ancien.jpg");
        typeInto(tab.url, typed);
        const QStringList shown = columnTexts(*tab.grid, 1);

        execute(running.dir.catalogue(), QStringLiteral("DROP TABLE melvi"));
        header ? clickCell(*tab.grid, 0, 1) : clickCell(*tab.grid, 1, 1);

        QVERIFY2(running.onlyMessage().startsWith(message) && running.services.messages[0].icon == MessageIcon::Critical,
                 qPrintable(running.onlyMessage()));
        QCOMPARE(columnTexts(*tab.grid, 1), shown);
        QCOMPARE(running.fields(melvi()), (header ? QStringList{"", "", "", typed, ""}
                                      : QStringList{"001", "Énigme 1", "Zoé", "", ""}));
        QVERIFY(m_opened.isEmpty());
    }
};

QTEST_MAIN(TestLoad)
#include "tst_load.moc"
