// The "Recherche" tab: the checks and their messages, the scan of one list's
// names, the result grid and its count, clearing, and Enter.

#include "searchtest.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

using namespace tabrix;
using namespace tabrix::test;

namespace {

using Rows = QList<QStringList>;

void writeCatalogue(const QString &path)
{
    createEmptyCatalogue(path);
    insertAuthors(path, {"Zoé", "Port"});
    insertEntries(path, zarpo(), {
        entry("001", "Le phare", "Zoé"),
        entry("002", "Château fort", "Zoé"),
    });
    // Stored out of number order: results come in table order.
    insertEntries(path, melvi(), {
        entry("001", "Port de Marseille", "Port"),
        entry("002", "Gorges du Verdon", "Zoé"),
        entry("004", "Vieux-Port", "Zoé"),
        entry("003", "Île de Ré", "Zoé"),
    });
    execute(path, QStringLiteral("INSERT INTO melvi (ref, lieu, auteur) VALUES ('005', NULL, 'Zoé')"));
    insertEntries(path, melvi(), {
        entry("006", "Côte d'Émeraude", "Zoé"),
        entry("007", "", "Zoé"),
    });
    // titres stays empty.
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void search_data();
    void search();
    void everyOptionClearsTheSearch_data();
    void everyOptionClearsTheSearch();
    void enterRunsTheSearch();

private:
    MainForm &form() { return m_window->form(); }
    std::unique_ptr<ProgramDir> m_dir;
    RecordingServices m_services;
    std::unique_ptr<MainWindow> m_window;
};

void TestSearch::init()
{
    m_dir = std::make_unique<ProgramDir>();
    writeCatalogue(m_dir->catalogue());
    m_services.clear();
    m_window = startProgram(*m_dir, m_services);
    QVERIFY(m_window);
    QVERIFY(showActive(*m_window));
    form().onglet->setCurrentIndex(3);
}

void TestSearch::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestSearch::search_data()
{
    QTest::addColumn<int>("option"); // category id, -1 for none
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("boxAfter");
    QTest::addColumn<Rows>("results"); // data rows; empty when the grid keeps its content
    QTest::addColumn<QString>("count");

    const QString noOption = QStringLiteral("Merci de spécifier où chercher.");
    const QString noCriterion = QStringLiteral("Pas de critère de recherche.");
    const QString none = QStringLiteral("0 élément trouvé.");
    const Rows notFound = {{"", "Non trouvé"}};

    QTest::newRow("no option") << -1 << " port " << noOption << " port " << Rows() << none;
    QTest::newRow("no option, empty box") << -1 << "" << noOption << "" << Rows() << none;
    QTest::newRow("blanks only") << 1 << "   " << noCriterion << "" << Rows() << none;
    QTest::newRow("lower case with blanks around")
        << 1 << "  port\t " << "" << "port"
        << Rows{{"001", "Port de Marseille"}, {"004", "Vieux-Port"}, {"", ""}} << "2 élément(s) trouvé(s).";
    QTest::newRow("one match") << 1 << "VERDON" << "" << "VERDON" << Rows{{"002", "Gorges du Verdon"}, {"", ""}}
                               << "1 élément(s) trouvé(s).";
    QTest::newRow("none") << 1 << "Lyon" << "" << "Lyon" << notFound << none;
    QTest::newRow("é matches É and é")
        << 1 << "é" << "" << "é" << Rows{{"003", "Île de Ré"}, {"006", "Côte d'Émeraude"}, {"", ""}}
        << "2 élément(s) trouvé(s).";
    QTest::newRow("î matches Î") << 1 << "îLE" << "" << "îLE" << Rows{{"003", "Île de Ré"}, {"", ""}}
                                 << "1 élément(s) trouvé(s).";
    QTest::newRow("numbers are not searched") << 1 << "001" << "" << "001" << notFound << none;
    QTest::newRow("authors are not searched") << 1 << "zoé" << "" << "zoé" << notFound << none;
    QTest::newRow("another list") << 0 << "CHÂTEAU" << "" << "CHÂTEAU" << Rows{{"002", "Château fort"}, {"", ""}}
                                  << "1 élément(s) trouvé(s).";
    QTest::newRow("empty list") << 3 << "a" << "" << "a" << notFound << none;
}

void TestSearch::search()
{
    QFETCH(int, option);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, boxAfter);
    QFETCH(Rows, results);
    QFETCH(QString, count);

    if (option >= 0)
        QTest::mouseClick(form().searchOptions[std::size_t(option)], Qt::LeftButton);
    // An earlier result the failed checks must leave in place.
    form().grilleSearch->setRowTexts({{"999", "Résultat précédent"}, {"", ""}});
    const Rows before = dataRows(*form().grilleSearch);
    form().cherche->setText(typed);

    QTest::mouseClick(form().btSearch, Qt::LeftButton);

    if (message.isEmpty()) {
        QVERIFY(m_services.messages.isEmpty());
    } else {
        QCOMPARE(m_services.messages.size(), 1);
        QCOMPARE(m_services.lastText(), message);
        QVERIFY(m_services.messages.first().icon == MessageIcon::Exclamation);
    }
    QCOMPARE(form().cherche->text(), boxAfter);
    QCOMPARE(dataRows(*form().grilleSearch), results.isEmpty() ? before : results);
    QCOMPARE(form().grilleSearch->text(0, 0), QStringLiteral(" N°"));
    QCOMPARE(form().grilleSearch->text(0, 1), QStringLiteral(" Nom"));
    QCOMPARE(form().nbTrouve->text(), count);
}

void TestSearch::everyOptionClearsTheSearch_data()
{
    QTest::addColumn<int>("option");
    for (const Category &category : categories())
        QTest::newRow(qPrintable(category.searchOption)) << category.id;
}

void TestSearch::everyOptionClearsTheSearch()
{
    QFETCH(int, option);
    QTest::mouseClick(form().searchOptions[1], Qt::LeftButton);
    form().cherche->setText(QStringLiteral("port"));
    QTest::mouseClick(form().btSearch, Qt::LeftButton);
    QCOMPARE(form().grilleSearch->rows(), 4);

    QTest::mouseClick(form().searchOptions[std::size_t(option)], Qt::LeftButton);
    QVERIFY(form().searchOptions[std::size_t(option)]->isChecked());
    QCOMPARE(form().cherche->text(), QString());
    QCOMPARE(dataRows(*form().grilleSearch), (Rows{{"", ""}}));
    QCOMPARE(form().grilleSearch->text(0, 1), QStringLiteral(" Nom"));
    QCOMPARE(form().nbTrouve->text(), QStringLiteral("0 élément trouvé."));
    QVERIFY(m_services.messages.isEmpty());
}

void TestSearch::enterRunsTheSearch()
{
    QTest::mouseClick(form().searchOptions[1], Qt::LeftButton);

    // Enter in the criterion box.
    form().cherche->setFocus();
    form().cherche->setText(QStringLiteral("port"));
    QTest::keyClick(form().cherche, Qt::Key_Return);
    QCOMPARE(form().nbTrouve->text(), QStringLiteral("2 élément(s) trouvé(s)."));
    QVERIFY(m_services.messages.isEmpty());

    // Enter (keypad) elsewhere on the tab: the result grid.
    form().cherche->setText(QStringLiteral("verdon"));
    form().grilleSearch->setFocus();
    QTest::keyClick(form().grilleSearch, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(form().nbTrouve->text(), QStringLiteral("1 élément(s) trouvé(s)."));

    // Enter on another button presses that button, not "GO !".
    QSignalSpy pressed(form().btLast, &QPushButton::clicked);
    form().cherche->setText(QStringLiteral("Lyon"));
    form().btLast->setFocus();
    QTest::keyClick(form().btLast, Qt::Key_Return);
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(form().nbTrouve->text(), QStringLiteral("1 élément(s) trouvé(s)."));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
