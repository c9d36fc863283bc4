// The "Recherche" tab: the checks and their messages, the scan of one list's
// names, the result grid and its count, clearing, and Enter.

#include "searchtest.h"

#include <QLabel>
#include <QSignalSpy>

using namespace tabrix;
using namespace tabrix::test;

namespace {

void writeCatalogue(const QString &path)
{
    insertEntries(path, zarpo(), {entry("001", "Le phare", "Zoé"), entry("002", "Château fort", "Zoé")});
    // Stored out of number order, with an entry without a name: results
    // come in table order. titres stays empty.
    insertEntries(path, melvi(), {entry("001", "Port de Marseille", "Port"), entry("002", "Gorges du Verdon", "Zoé"),
                                  entry("004", "Vieux-Port", "Zoé"), entry("003", "Île de Ré", "Zoé")});
    execute(path, QStringLiteral("INSERT INTO melvi (ref, lieu, auteur) VALUES ('005', NULL, 'Zoé')"));
    insertEntries(path, melvi(), {entry("006", "Côte d'Émeraude", "Zoé"), entry("007", "", "Zoé")});
}

struct SearchCase {
    int option; // category id, -1 for none
    QString typed, message;
    Rows results; // empty when the grid keeps its content; the count follows from it
    QString count;
};

void row(const char *tag, int option, const QString &typed, const Rows &results, const QString &message = {})
{
    const qsizetype found = results.size() - 1;
    const QString count = found > 0 ? QStringLiteral("%1 élément(s) trouvé(s).").arg(found)
                                    : QStringLiteral("0 élément trouvé.");
    QTest::newRow(tag) << SearchCase{option, typed, message, results, count};
}

} // namespace

Q_DECLARE_METATYPE(SearchCase)

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { p.reset(); }
    void search_data();
    void search();
    void everyOptionClearsTheSearch_data();
    void everyOptionClearsTheSearch();
    void enterRunsTheSearch();

private:
    MainForm &form() { return p->form(); }
    std::unique_ptr<Program> p;
};

void TestSearch::init()
{
    p = std::make_unique<Program>(writeCatalogue);
    QVERIFY(p->window);
    QVERIFY(p->showActive());
    form().onglet->setCurrentIndex(3);
}

void TestSearch::search_data()
{
    QTest::addColumn<SearchCase>("c");

    const QString noOption = QStringLiteral("Merci de spécifier où chercher.");
    const Rows notFound = {{"", "Non trouvé"}};

    row("no option", -1, " port ", {}, noOption);
    row("no option, empty box", -1, "", {}, noOption);
    row("blanks only", 1, "   ", {}, QStringLiteral("Pas de critère de recherche."));
    row("lower case with blanks around", 1, "  port\t ", {{"001", "Port de Marseille"}, {"004", "Vieux-Port"}, {"", ""}});
    row("one match", 1, "VERDON", {{"002", "Gorges du Verdon"}, {"", ""}});
    row("none", 1, "Lyon", notFound);
    row("é matches É and é", 1, "é", {{"003", "Île de Ré"}, {"006", "Côte d'Émeraude"}, {"", ""}});
    row("î matches Î", 1, "îLE", {{"003", "Île de Ré"}, {"", ""}});
    row("numbers are not searched", 1, "001", notFound);
    row("authors are not searched", 1, "zoé", notFound);
    row("another list", 0, "CHÂTEAU", {{"002", "Château fort"}, {"", ""}});
    row("empty list", 3, "a", notFound);
}

void TestSearch::search()
{
    QFETCH(SearchCase, c);
    if (c.option >= 0)
        QTest::mouseClick(form().searchOptions[std::size_t(c.option)], Qt::LeftButton);
    // An earlier result the failed checks must leave in place.
    form().grilleSearch->setRowTexts({{"999", "Résultat précédent"}, {"", ""}});
    const Rows before = dataRows(*form().grilleSearch);
    form().cherche->setText(c.typed);

    QTest::mouseClick(form().btSearch, Qt::LeftButton);

    QCOMPARE(p->services.messages.size(), c.message.isEmpty() ? 0 : 1);
    if (!c.message.isEmpty()) {
        QCOMPARE(p->services.lastText(), c.message);
        QVERIFY(p->services.messages.first().icon == MessageIcon::Exclamation);
    }
    // The criterion is trimmed once a list is chosen.
    QCOMPARE(form().cherche->text(), c.option < 0 ? c.typed : c.typed.trimmed());
    QCOMPARE(dataRows(*form().grilleSearch), c.results.isEmpty() ? before : c.results);
    QCOMPARE(form().grilleSearch->text(0, 1), QStringLiteral(" Nom"));
    QCOMPARE(form().nbTrouve->text(), c.count);
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
    p->search(melvi(), QStringLiteral("port"));
    QCOMPARE(form().grilleSearch->rows(), 4);

    QTest::mouseClick(form().searchOptions[std::size_t(option)], Qt::LeftButton);
    QVERIFY(form().searchOptions[std::size_t(option)]->isChecked());
    QCOMPARE(form().cherche->text(), QString());
    QCOMPARE(dataRows(*form().grilleSearch), (Rows{{"", ""}}));
    QCOMPARE(form().nbTrouve->text(), QStringLiteral("0 élément trouvé."));
    QVERIFY(p->services.messages.isEmpty());
}

void TestSearch::enterRunsTheSearch()
{
    QTest::mouseClick(form().searchOptions[1], Qt::LeftButton);
    form().cherche->setFocus();
    form().cherche->setText(QStringLiteral("port"));
    QTest::keyClick(form().cherche, Qt::Key_Return);
    QCOMPARE(form().nbTrouve->text(), QStringLiteral("2 élément(s) trouvé(s)."));

    // Keypad Enter elsewhere on the tab.
    form().cherche->setText(QStringLiteral("verdon"));
    form().grilleSearch->setFocus();
    QTest::keyClick(form().grilleSearch, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(form().nbTrouve->text(), QStringLiteral("1 élément(s) trouvé(s)."));
    QVERIFY(p->services.messages.isEmpty());

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
