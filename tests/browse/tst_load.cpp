// A click on an entry loads it into the edit fields and, with "Afficher"
// ticked, opens what the selected option says.

#include "browsetest.h"

#include "browse/browse.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QRadioButton>
#include <QUrl>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QString imageLink = QStringLiteral("https://images.norvane.fr/002.jpg");
const QString forumLink = QStringLiteral("http://www.norvane.fr/t002");
const QString noValue = QStringLiteral("<NULL>");

std::optional<QString> field(const QString &text)
{
    return text == noValue ? std::nullopt : std::optional<QString>(text);
}

void selectOption(CategoryTab &tab, const QString &option)
{
    if (option == QLatin1String("window"))
        tab.windowOption->setChecked(true);
    else if (option == QLatin1String("web"))
        tab.webOption->setChecked(true);
    else if (option == QLatin1String("norvane"))
        tab.forumOption->setChecked(true);
    else
        qFatal("unknown display option %s", qPrintable(option));
}

} // namespace

// Stands in for the browser: records every link the system is asked to open.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class LoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void clickOpensWhatOptionsSay_data();
    void clickOpensWhatOptionsSay();
    void realClickLoadsAndOpens();
    void clickNoRecordAnswers_data();
    void clickNoRecordAnswers();
    void loadFailureIsShown();

private:
    LinkCatcher m_links;
};

void LoadTest::initTestCase()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_links, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_links, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("ftp"), &m_links, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_links, "open");
}

void LoadTest::cleanupTestCase()
{
    for (const char *scheme : {"http", "https", "ftp", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void LoadTest::init()
{
    m_links.opened.clear();
}

void LoadTest::clickOpensWhatOptionsSay_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("url");  // "<NULL>": no value
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("show");
    QTest::addColumn<QString>("option"); // "window" ("Img fenêtre"), "web" ("Img WEB") or "norvane" ("Norvane")
    QTest::addColumn<QString>("opened"); // the link handed to the browser, if any
    QTest::addColumn<bool>("picture");   // whether the picture window is opened

    const QString nd = notAvailable();
    for (const Category &category : categories()) {
        const QByteArray word = category.table.toUtf8();
        QTest::newRow(word + " not ticked") << category.table << imageLink << forumLink << false << "web" << "" << false;
        QTest::newRow(word + " web") << category.table << imageLink << forumLink << true << "web" << imageLink << false;
        QTest::newRow(word + " norvane") << category.table << imageLink << forumLink << true << "norvane" << forumLink
                                         << false;
        QTest::newRow(word + " window") << category.table << imageLink << forumLink << true << "window" << "" << true;
        // The image link comes first, whatever the option.
        for (const char *option : {"window", "web", "norvane"}) {
            QTest::newRow(word + " url non disponible " + option)
                << category.table << nd << forumLink << true << option << "" << false;
            QTest::newRow(word + " url empty " + option)
                << category.table << "" << forumLink << true << option << "" << false;
        }
    }

    // A link with no value passes the conditions and shows as an empty text.
    QTest::newRow("trunda url null window") << "trunda" << noValue << forumLink << true << "window" << "" << true;
    QTest::newRow("trunda url null web") << "trunda" << noValue << forumLink << true << "web" << "" << false;
    QTest::newRow("titres link null web") << "titres" << imageLink << noValue << true << "web" << imageLink << false;
    QTest::newRow("melvi link null norvane") << "melvi" << imageLink << noValue << true << "norvane" << "" << false;

    // Only "Vasquo" entries also need a forum link.
    for (const QString &link : {nd, QString()}) {
        const QByteArray what = link.isEmpty() ? "empty" : "non disponible";
        QTest::newRow("zarpo link " + what + " web") << "zarpo" << imageLink << link << true << "web" << imageLink
                                                     << false;
        QTest::newRow("melvi link " + what + " window") << "melvi" << imageLink << link << true << "window" << ""
                                                        << true;
        for (const char *option : {"window", "web", "norvane"})
            QTest::newRow("titres link " + what + " " + option)
                << "titres" << imageLink << link << true << option << "" << false;
    }
    // "Norvane" on a missing forum link outside "Vasquo": nothing is opened.
    QTest::newRow("zarpo link non disponible norvane") << "zarpo" << imageLink << nd << true << "norvane" << ""
                                                       << false;
    QTest::newRow("trunda link empty norvane") << "trunda" << imageLink << "" << true << "norvane" << "" << false;

    // Only web addresses reach the browser.
    QTest::newRow("zarpo url file path web") << "zarpo" << "C:\\images\\002.jpg" << forumLink << true << "web" << ""
                                             << false;
    QTest::newRow("trunda url ftp web") << "trunda" << "ftp://images.norvane.fr/002.jpg" << forumLink << true << "web"
                                        << "" << false;
    QTest::newRow("melvi link file norvane") << "melvi" << imageLink << "file:///tmp/t002.html" << true << "norvane"
                                             << "" << false;
}

void LoadTest::clickOpensWhatOptionsSay()
{
    QFETCH(QString, table);
    QFETCH(QString, url);
    QFETCH(QString, link);
    QFETCH(bool, show);
    QFETCH(QString, option);
    QFETCH(QString, opened);
    QFETCH(bool, picture);
    const Category &category = *categoryByTable(table);

    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), category,
                  {entry("001", "Avant", "anna", QStringLiteral("https://images.norvane.fr/001.jpg"),
                         QStringLiteral("https://www.norvane.fr/t001")),
                   entry("002", "Été à Lyon", "Zoé", field(url), field(link)),
                   entry("003", "Après", "Bruno", QStringLiteral("https://images.norvane.fr/003.jpg"),
                         QStringLiteral("https://www.norvane.fr/t003"))});
    QVERIFY(startOnTab(running, category));
    CategoryTab &tab = running.tab(category);
    tab.showCheck->setChecked(show);
    selectOption(tab, option);

    QStringList pictures;
    browse::loadEntry(running.form(), running.context(), category, 2,
                      [&pictures](MainForm &, Context &, const Category &c) { pictures << c.table; });

    const QString urlShown = url == noValue ? QString() : url;
    const QString linkShown = link == noValue ? QString() : link;
    QCOMPARE(fields(tab), (QStringList{"002", "Été à Lyon", "Zoé", urlShown, linkShown}));
    QCOMPARE(m_links.opened, opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl(opened)});
    QCOMPARE(pictures, picture ? QStringList{table} : QStringList{});
    QVERIFY(running.services.messages.isEmpty());
}

void LoadTest::realClickLoadsAndOpens()
{
    // Through the grid's own click, on every tab.
    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    for (const Category &category : categories())
        insertEntries(running.dir.catalogue(), category, numberedEntries(5, {"Zoé", "anna"}));
    QVERIFY(startOnTab(running, zarpo()));

    for (const Category &category : categories()) {
        running.form().onglet->setCurrentIndex(category.tabIndex);
        QCoreApplication::processEvents();
        CategoryTab &tab = running.tab(category);
        tab.showCheck->setChecked(true);
        tab.forumOption->setChecked(true);
        m_links.opened.clear();

        clickCell(*tab.grid, 4, 2);
        QCOMPARE(fields(tab), (QStringList{"004", "Énigme 4", "anna", "https://images.norvane.fr/004.jpg",
                                           "https://www.norvane.fr/t004"}));
        QCOMPARE(m_links.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.norvane.fr/t004"))});
        QCOMPARE(tab.grid->row(), 4);

        // A click always loads, even on the row already current.
        tab.webOption->setChecked(true);
        tab.clearFields();
        clickCell(*tab.grid, 4, 0);
        QCOMPARE(tab.number->text(), QStringLiteral("004"));
        QCOMPARE(m_links.opened.last(), QUrl(QStringLiteral("https://images.norvane.fr/004.jpg")));
    }
}

void LoadTest::clickNoRecordAnswers_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("removeFromTable"); // else the grid is changed to a number the table lacks
    QTest::addColumn<QString>("option");

    QTest::newRow("zarpo removed web") << "zarpo" << true << "web";
    QTest::newRow("titres removed window") << "titres" << true << "window";
    QTest::newRow("melvi grid out of step norvane") << "melvi" << false << "norvane";
    QTest::newRow("trunda grid out of step window") << "trunda" << false << "window";
}

void LoadTest::clickNoRecordAnswers()
{
    QFETCH(QString, table);
    QFETCH(bool, removeFromTable);
    QFETCH(QString, option);
    const Category &category = *categoryByTable(table);

    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), category, numberedEntries(3));
    QVERIFY(startOnTab(running, category));
    CategoryTab &tab = running.tab(category);
    tab.showCheck->setChecked(true);
    selectOption(tab, option);
    tab.url->setText(QStringLiteral("https://images.norvane.fr/ancien.jpg"));
    tab.link->setText(QStringLiteral("https://www.norvane.fr/ancien"));

    if (removeFromTable)
        execute(running.dir.catalogue(), QStringLiteral("DELETE FROM %1 WHERE ref = '002'").arg(table));
    else
        tab.grid->setText(2, 0, QStringLiteral("777"));
    const QString number = tab.grid->text(2, 0);

    QStringList pictures;
    browse::loadEntry(running.form(), running.context(), category, 2,
                      [&pictures](MainForm &, Context &, const Category &c) { pictures << c.table; });

    QCOMPARE(fields(tab), (QStringList{number, "Énigme 2", "Zoé", "", ""}));
    QVERIFY(m_links.opened.isEmpty());
    QVERIFY(pictures.isEmpty());
    QVERIFY(running.services.messages.isEmpty());
}

void LoadTest::loadFailureIsShown()
{
    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), titres(), numberedEntries(3));
    QVERIFY(startOnTab(running, titres()));
    CategoryTab &tab = running.tab(titres());
    tab.showCheck->setChecked(true);
    tab.webOption->setChecked(true);
    tab.url->setText(QStringLiteral("https://images.norvane.fr/ancien.jpg"));

    execute(running.dir.catalogue(), QStringLiteral("DROP TABLE titres"));
    clickCell(*tab.grid, 1, 1);

    QCOMPARE(running.services.messages.size(), 1);
    QVERIFY2(running.services.lastText().startsWith(QStringLiteral("Le n° 001 n'a pas pu être lu")),
             qPrintable(running.services.lastText()));
    QCOMPARE(running.services.messages.last().icon, MessageIcon::Critical);
    QCOMPARE(fields(tab), (QStringList{"001", "Énigme 1", "Zoé", "", ""}));
    QVERIFY(m_links.opened.isEmpty());
}

QTEST_MAIN(LoadTest)
#include "tst_load.moc"
