// The catalogue's reads on a real file. (Its writes are seen through the
// windows by the editing tests, its French order by the grid tests, its
// schema by `tabrix-admin check` on every new catalogue.)
#include "store/catalogue.h"
#include "store/schema.h"
#include "support/testsupport.h"

#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    // By exact number; no value and an empty text stay apart, a number,
    // name or author with no value reads as an empty text.
    void readsAsStored()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), titres(), {entry("001", "Un", "Zoé", std::nullopt, QString()),
                                                  entry("002", "Deux", "Léa", QStringLiteral("https://x/2.jpg"))});
        execute(dir.catalogue(), "INSERT INTO melvi VALUES (NULL, NULL, NULL, NULL, NULL)");
        auto catalogue = openCatalogue(dir.catalogue());
        const auto first = catalogue->find(titres(), "001");
        QVERIFY(first.ok() && first->has_value() && !(*first)->url.has_value());
        QCOMPARE((*first)->link, std::optional<QString>(QString()));
        const auto second = catalogue->find(titres(), "002");
        QCOMPARE((*second)->name, QStringLiteral("Deux"));
        QCOMPARE((*second)->url, std::optional<QString>("https://x/2.jpg"));
        for (const QString &missing : {"1", "01", " 001", "003", ""})
            QVERIFY2(!catalogue->find(titres(), missing)->has_value(), qPrintable(missing));
        const GridRow empty = catalogue->rows(melvi())->at(0);
        QVERIFY(empty.ref.isEmpty() && empty.name.isEmpty() && empty.author.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
