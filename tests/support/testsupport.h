#pragma once

#include "app/mainwindow.h"
#include "store/catalogue.h"
#include "support/recordingservices.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace tabrix::test {

// A throw-away program directory, removed with its content at the end.
class ProgramDir {
public:
    ProgramDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;
    QString catalogue() const { return file(catalogueFileName()); }

private:
    QTemporaryDir m_dir;
};

// An entry written as given; a default-constructed link has no value.
Entry entry(const QString &ref, const QString &name, const QString &author,
            std::optional<QString> url = notAvailable(), std::optional<QString> link = notAvailable());

// `count` entries numbered 001 … without gaps, authors taken in turn from `authors`.
std::vector<Entry> numberedEntries(int count, const QStringList &authors = {"Zoé"});

// Creates an empty catalogue at `path` (fails the test if it cannot).
void createEmptyCatalogue(const QString &path);
// Appends these rows as they stand, without any check.
void insertEntries(const QString &path, const Category &category, const std::vector<Entry> &entries);
void insertAuthors(const QString &path, const QStringList &names);
// Runs SQL on the file directly (to damage a catalogue, for instance).
void execute(const QString &path, const QString &sql);
// Reads a whole table back, in stored order, each field as text; a field
// with no value reads as "<NULL>".
std::vector<QStringList> tableRows(const QString &path, const QString &table);

// Opens a catalogue, failing the test when it cannot.
std::unique_ptr<Catalogue> openCatalogue(const QString &path);

// Starts the program on the catalogue of `dir`, as the real entry does,
// with messages recorded; nullptr (and the message in `services`) when
// start-up refused.
std::unique_ptr<MainWindow> startProgram(const ProgramDir &dir, RecordingServices &services);

const Category &zarpo();
const Category &melvi();
const Category &trunda();
const Category &titres();

} // namespace tabrix::test
