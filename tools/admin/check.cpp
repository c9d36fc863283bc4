// tabrix-admin check: the file's integrity, and what Tabrix would refuse or
// mishandle in a catalogue: missing tables, columns or unique number
// indexes, objects Tabrix does not know (tables, views, triggers), entry
// numbers that are not three-digit texts, numbers used twice, gaps, full
// lists, authors with an apostrophe or missing from « auteurs ». The file is
// opened read-only and never changed. Exit status 0 when nothing is wrong,
// 1 for defects, 3 when the file could not be checked (locked, unreadable).

#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"

#include "store/category.h"
#include "store/entrynumber.h"
#include "store/french.h"
#include "store/sqlite.h"

#include <QSet>

#include <sqlite3.h>

#include <map>
#include <set>

namespace tabrix::admin {

namespace {

constexpr int shownPerKind = 20; // lines of one kind of defect per list
constexpr int longestText = 80; // characters of a text shown in the report

class Findings {
public:
    explicit Findings(QTextStream &out) : m_out(out) {}

    void note(const QString &text) { m_out << "  " << text << '\n'; }
    void defect(const QString &text)
    {
        ++m_defects;
        m_out << "  Défaut : " << text << '\n';
    }
    // A defect of a kind that may come hundreds of times: the first ones are
    // shown, the others counted.
    void repeated(const QString &group, const QString &text)
    {
        if (++m_shown[group] <= shownPerKind)
            defect(text);
        else
            ++m_defects;
    }
    void summarise(const QString &group, const QString &list, const QString &what)
    {
        const int hidden = m_shown[group] - shownPerKind;
        if (hidden > 0)
            m_out << "  Défaut : " << list << " : " << hidden << ' ' << what << " de plus.\n";
    }
    int defects() const { return m_defects; }

private:
    QTextStream &m_out;
    int m_defects = 0;
    std::map<QString, int> m_shown;
};

QString listName(const Category &category)
{
    if (category.tabCaption.compare(category.table, Qt::CaseInsensitive) == 0)
        return category.tabCaption;
    return QStringLiteral("%1 (table %2)").arg(category.tabCaption, category.table);
}

// A text of the catalogue as the report shows it: the first characters
// of a long one, then "…".
QString clip(const QString &text)
{
    if (text.size() <= longestText)
        return text;
    return text.left(longestText) + QStringLiteral("…");
}

QString entryName(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("sans nom") : QStringLiteral("« %1 »").arg(clip(name));
}

// "003, 010 à 012"
QString ranges(const std::vector<std::pair<int, int>> &runs)
{
    QStringList parts;
    for (const auto &[first, last] : runs)
        parts << (first == last ? threeDigitText(first)
                                : QStringLiteral("%1 à %2").arg(threeDigitText(first), threeDigitText(last)));
    return parts.join(QStringLiteral(", "));
}

bool hasApostrophe(const QString &author)
{
    return author.contains(QLatin1Char('\''));
}

// The number as Tabrix writes it: three digits, 001 to 999. 0 otherwise.
int validNumber(const std::optional<QString> &ref)
{
    return ref ? entryNumber(*ref).value_or(0) : 0;
}

struct Row {
    std::optional<QString> ref;
    QString name;
    QString author;
    bool refIsText = true;
};

void checkNumbers(const Category &category, const std::vector<Row> &rows, Findings &findings)
{
    const QString list = listName(category);
    std::set<int> numbers;
    std::map<QString, QStringList> byRef;
    const QString invalid = category.table + QStringLiteral("/numéro");
    for (const Row &row : rows) {
        if (row.ref)
            byRef[*row.ref] << entryName(row.name);
        if (row.ref && !row.refIsText) {
            findings.repeated(invalid, QStringLiteral("%1 : le numéro %2 de l'entrée %3 est enregistré comme un nombre, "
                                                      "pas comme un texte : Tabrix ne le reconnaît pas.")
                                           .arg(list, clip(*row.ref), entryName(row.name)));
        } else if (const int number = validNumber(row.ref)) {
            numbers.insert(number);
        } else if (!row.ref || row.ref->isEmpty()) {
            findings.repeated(invalid, QStringLiteral("%1 : l'entrée %2 n'a pas de numéro.").arg(list, entryName(row.name)));
        } else {
            findings.repeated(invalid, QStringLiteral("%1 : le numéro « %2 » de l'entrée %3 n'est pas un numéro sur "
                                                      "trois chiffres de 001 à 999.")
                                           .arg(list, clip(*row.ref), entryName(row.name)));
        }
    }
    findings.summarise(invalid, list, QStringLiteral("numéros invalides"));

    const QString twice = category.table + QStringLiteral("/double");
    for (const auto &[ref, names] : byRef)
        if (names.size() > 1)
            findings.repeated(twice, QStringLiteral("%1 : le numéro « %2 » est porté par %3 entrées (%4).")
                                         .arg(list, clip(ref))
                                         .arg(names.size())
                                         .arg(names.join(QStringLiteral(", "))));
    findings.summarise(twice, list, QStringLiteral("numéros en double"));

    if (numbers.empty())
        return;
    const std::vector<std::pair<int, int>> missing = missingRuns(numbers);
    const bool several = missing.size() > 1 || (!missing.empty() && missing.front().second > missing.front().first);
    if (!missing.empty())
        findings.defect(QStringLiteral("%1 : %2 manquant%3 : %4.")
                            .arg(list, several ? QStringLiteral("numéros") : QStringLiteral("numéro"),
                                 several ? QStringLiteral("s") : QString(), ranges(missing)));

    // An add accepts only the number after the count of entries.
    const int next = int(rows.size()) + 1;
    if (int(numbers.size()) >= highestEntryNumber)
        findings.defect(QStringLiteral("%1 : la liste est complète (999 numéros) : Tabrix n'accepte plus d'ajout.").arg(list));
    else if (next <= highestEntryNumber && numbers.count(next))
        findings.defect(QStringLiteral("%1 : Tabrix refusera tout ajout : il attend le numéro %2 (le nombre d'entrées "
                                       "plus un), qui existe déjà.")
                            .arg(list, threeDigitText(next)));
}

void checkAuthors(const Category &category, const std::vector<Row> &rows, Findings &findings)
{
    const QString list = listName(category);
    std::map<QString, QStringList> numbersByAuthor;
    for (const Row &row : rows)
        if (hasApostrophe(row.author))
            numbersByAuthor[row.author] << (row.ref ? *row.ref : QStringLiteral("sans numéro"));
    const QString group = category.table + QStringLiteral("/apostrophe");
    for (const auto &[author, refs] : numbersByAuthor)
        findings.repeated(group, QStringLiteral("%1 : l'auteur « %2 » contient une apostrophe (n° %3) : Tabrix refuse "
                                                "ce pseudo à l'ajout comme à la mise à jour.")
                                     .arg(list, clip(author), clip(refs.join(QStringLiteral(", ")))));
    findings.summarise(group, list, QStringLiteral("auteurs avec une apostrophe"));
}

// Authors of entries that « auteurs » does not hold (letter case aside):
// the author boxes do not offer them.
void checkUnrecorded(const Category &category, const std::vector<Row> &rows, const QSet<QString> &recorded,
                     Findings &findings)
{
    const QString list = listName(category);
    std::map<QString, QStringList> numbersByAuthor;
    for (const Row &row : rows)
        if (!row.author.isEmpty() && !recorded.contains(foldCase(row.author)))
            numbersByAuthor[row.author] << (row.ref ? clip(*row.ref) : QStringLiteral("sans numéro"));
    const QString group = category.table + QStringLiteral("/auteur absent");
    for (const auto &[author, refs] : numbersByAuthor)
        findings.repeated(group, QStringLiteral("%1 : l'auteur « %2 » (n° %3) n'est pas enregistré dans la table "
                                                "« auteurs » : les listes d'auteurs ne le proposent pas.")
                                     .arg(list, clip(author), clip(refs.join(QStringLiteral(", ")))));
    findings.summarise(group, list, QStringLiteral("auteurs non enregistrés"));
}

// A unique index on the number alone: without it two adds at once can give
// the same number.
void checkUniqueIndex(sqlite3 *db, const Category &category, Findings &findings)
{
    sql::Statement indexes(db, QStringLiteral("SELECT il.name FROM pragma_index_list(?1) AS il "
                                              "WHERE il.\"unique\" = 1 AND (SELECT group_concat(lower(ii.name)) "
                                              "FROM pragma_index_info(il.name) AS ii) = 'ref'"));
    indexes.bind(1, category.table);
    if (!indexes.next() && !indexes.failed())
        findings.defect(QStringLiteral("%1 : la table « %2 » n'a pas d'index unique sur ref : deux ajouts simultanés "
                                       "peuvent recevoir le même numéro, et Tabrix refuse d'ouvrir ce catalogue.")
                            .arg(listName(category), category.table));
}

void checkList(sqlite3 *db, const Category &category, const QSet<QString> &recorded, Findings &findings)
{
    const QString list = listName(category);
    sql::Statement select(db, QStringLiteral("SELECT ref, %1, auteur, typeof(ref) FROM %2 ORDER BY rowid")
                                  .arg(category.nameField, category.table));
    if (!select.valid()) {
        findings.defect(QStringLiteral("%1 : la table « %2 » n'a pas les colonnes ref, %3, auteur, url et lien : "
                                       "Tabrix refuse d'ouvrir ce catalogue.")
                            .arg(list, category.table, category.nameField));
        return;
    }
    sql::Statement columns(db, QStringLiteral("SELECT url, lien FROM %1 LIMIT 0").arg(category.table));
    if (!columns.valid())
        findings.defect(QStringLiteral("%1 : la table « %2 » n'a pas les colonnes url et lien : Tabrix refuse "
                                       "d'ouvrir ce catalogue.")
                            .arg(list, category.table));

    std::vector<Row> rows;
    while (select.next())
        rows.push_back({select.optionalText(0), select.text(1), select.text(2),
                        select.isNull(0) || select.text(3) == QLatin1String("text")});
    if (select.failed()) {
        findings.defect(QStringLiteral("%1 : la table « %2 » n'a pas pu être lue : %3.")
                            .arg(list, category.table, sqliteText(db, select.code())));
        return;
    }
    if (rows.empty()) {
        findings.note(QStringLiteral("%1 : aucune entrée.").arg(list));
    } else {
        int highest = 0;
        for (const Row &row : rows)
            highest = std::max(highest, validNumber(row.ref));
        findings.note(QStringLiteral("%1 : %2 entrée%3, plus grand numéro %4.")
                          .arg(list)
                          .arg(rows.size())
                          .arg(rows.size() > 1 ? QStringLiteral("s") : QString())
                          .arg(highest ? threeDigitText(highest) : QStringLiteral("aucun")));
    }
    checkUniqueIndex(db, category, findings);
    checkNumbers(category, rows, findings);
    checkAuthors(category, rows, findings);
    checkUnrecorded(category, rows, recorded, findings);
}

void checkAuthorTable(sqlite3 *db, Findings &findings)
{
    sql::Statement select(db, QStringLiteral("SELECT nom FROM auteurs ORDER BY rowid"));
    if (!select.valid()) {
        findings.defect(QStringLiteral("Auteurs : la table « auteurs » n'a pas la colonne nom : Tabrix refuse d'ouvrir "
                                       "ce catalogue."));
        return;
    }
    int count = 0;
    while (select.next()) {
        ++count;
        const QString name = select.text(0);
        if (hasApostrophe(name))
            findings.repeated(QStringLiteral("auteurs/apostrophe"),
                              QStringLiteral("Auteurs : « %1 » contient une apostrophe : Tabrix refuse ce pseudo à "
                                             "l'ajout.")
                                  .arg(clip(name)));
    }
    findings.summarise(QStringLiteral("auteurs/apostrophe"), QStringLiteral("Auteurs"),
                       QStringLiteral("auteurs avec une apostrophe"));
    if (select.failed())
        findings.defect(QStringLiteral("Auteurs : la table « auteurs » n'a pas pu être lue : %1.")
                            .arg(sqliteText(db, select.code())));
    else
        findings.note(QStringLiteral("Auteurs : %1 enregistré%2.").arg(count).arg(count > 1 ? "s" : ""));
}

// Why the file cannot be checked now (another program's lock, a write to
// finish), or an empty text.
QString trouble(sqlite3 *db, const QString &path, int code)
{
    switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QString();
    case SQLITE_BUSY:
    case SQLITE_LOCKED: {
        const QString holder = lockHolder(path);
        return QStringLiteral("Le catalogue « %1 » est verrouillé par un autre programme%2 : réessayez quand il aura "
                              "fini d'écrire.")
            .arg(shownPath(path), holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder));
    }
    default:
        return QStringLiteral("Le catalogue « %1 » ne peut pas être lu : %2.").arg(shownPath(path), sqliteText(db, code));
    }
}

void checkIntegrity(sqlite3 *db, Findings &findings)
{
    sql::Statement integrity(db, QStringLiteral("PRAGMA integrity_check(%1)").arg(shownPerKind));
    QStringList problems;
    while (integrity.next())
        problems << integrity.text(0);
    if (integrity.failed()) {
        findings.defect(QStringLiteral("Fichier endommagé : %1.").arg(sqliteText(db, integrity.code())));
    } else if (problems == QStringList{QStringLiteral("ok")}) {
        findings.note(QStringLiteral("Intégrité du fichier : correcte."));
    } else {
        for (const QString &problem : problems)
            findings.defect(QStringLiteral("Fichier endommagé : %1").arg(clip(problem)));
    }
}

// Tables, views and triggers that are not Tabrix's: another program's
// triggers can change or delete entries behind Tabrix's back.
void checkForeignObjects(sqlite3 *db, const QSet<QString> &known, Findings &findings)
{
    sql::Statement list(db, QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('table', 'view', "
                                           "'trigger') AND name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY type, name"));
    while (list.next()) {
        const QString type = list.text(0), name = list.text(1);
        if (type == QLatin1String("table") && known.contains(name.toLower()))
            continue;
        const bool trigger = type == QLatin1String("trigger");
        const QString what = trigger ? QStringLiteral("Le déclencheur")
                             : type == QLatin1String("view") ? QStringLiteral("La vue")
                                                             : QStringLiteral("La table");
        findings.repeated(QStringLiteral("objets"), QStringLiteral("%1 « %2 » ne fait pas partie d'un catalogue "
                                                                   "Tabrix : %3 peut modifier ou cacher des entrées.")
                                                        .arg(what, clip(name), trigger ? QStringLiteral("il")
                                                                                       : QStringLiteral("elle")));
    }
    findings.summarise(QStringLiteral("objets"), QStringLiteral("Catalogue"), QStringLiteral("objets inconnus"));
}

QSet<QString> strings(sqlite3 *db, const QString &query)
{
    QSet<QString> values;
    sql::Statement list(db, query);
    while (list.next())
        values.insert(list.text(0));
    return values;
}

void checkContent(sqlite3 *db, Findings &findings)
{
    checkIntegrity(db, findings);
    const QSet<QString> tables = strings(db, QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = 'table'"));
    const bool hasAuthors = tables.contains(QStringLiteral("auteurs"));
    QSet<QString> recorded;
    if (hasAuthors)
        for (const QString &name : strings(db, QStringLiteral("SELECT nom FROM auteurs WHERE nom IS NOT NULL")))
            recorded.insert(foldCase(name));
    QSet<QString> known{QStringLiteral("auteurs")};
    for (const Category &category : categories()) {
        known.insert(category.table);
        if (tables.contains(category.table))
            checkList(db, category, recorded, findings);
        else if (category.table == QLatin1String("titres"))
            findings.defect(QStringLiteral("La table « titres » manque : Tabrix refuse ce catalogue comme une "
                                           "ancienne version (« Vous n'avez pas la dernière version de la base "
                                           "de données. »)."));
        else
            findings.defect(QStringLiteral("La table « %1 » manque : Tabrix refuse d'ouvrir ce catalogue.")
                                .arg(category.table));
    }
    if (hasAuthors)
        checkAuthorTable(db, findings);
    else
        findings.defect(QStringLiteral("La table « auteurs » manque : Tabrix refuse d'ouvrir ce catalogue."));
    checkForeignObjects(db, known, findings);
}

int checkCatalogue(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString &path = args[0];
    bool unreadable = false;
    Result<Connection> opened = openCatalogueFile(path, Access::ReadOnly, &unreadable);
    if (!opened) {
        err << opened.error() << '\n';
        return unreadable ? 3 : 1;
    }
    sqlite3 *db = opened->get();

    // One read transaction: a consistent view even while the program writes.
    opened->exec("BEGIN");
    sql::Statement probe(db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    const int probed = probe.valid() ? (probe.next(), probe.code()) : probe.prepareCode();
    if (const QString why = trouble(db, path, probed); !why.isEmpty()) {
        err << why << '\n';
        return 3;
    }
    QString report;
    QTextStream reportStream(&report);
    Findings findings(reportStream);
    checkContent(db, findings);
    opened->exec("COMMIT");

    reportStream.flush();
    out << "Vérification du catalogue « " << shownPath(path) << " »\n" << report;
    if (findings.defects() == 0) {
        out << "Aucun défaut : Tabrix peut ouvrir et compléter ce catalogue.\n";
        return 0;
    }
    out << findings.defects() << (findings.defects() > 1 ? " défauts trouvés." : " défaut trouvé.")
        << " Le catalogue n'a pas été modifié.\n";
    return 1;
}

[[maybe_unused]] const bool checkRegistered = registerCommand(
    {"check", "FICHIER",
     "vérifie le catalogue sans le modifier : intégrité, tables et index, numéros (format, doubles, trous, "
     "liste pleine), auteurs",
     1, checkCatalogue});

} // namespace
} // namespace tabrix::admin
