#pragma once
// The tools of the book register ("Alati"): back-up copies of every database of the program
// folder, their integrity check, compacting them, and putting a back-up copy back in place.
//
// The databases of the program folder are the register of companies (tvrtke.mdb) and every book
// file beside it ("Skladiste7.mdb", "Proizvodnja3.mdb"), registered or not. A back-up copy is a
// folder "Sigurnosne kopije/<yyyy-MM-dd HH.mm.ss>" in the program folder holding a copy of each,
// made with SQLite's online back-up, so a copy is consistent even while a book is in use.
//
// Every function works on the program folder of the application context and throws DbError with
// a Croatian description on failure; a failed back-up leaves no half-made folder behind.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace kl {

// One database of the program folder.
struct DatabaseFile {
    QString fileName;  // "tvrtke.mdb", "Skladiste7.mdb"
    QString label;     // "Popis tvrtki", "Alfa d.o.o. - Veleprodaja"; "" for an unregistered book
    QString path() const;
};

// The register first, then the book files in the order of their kind and number.
std::vector<DatabaseFile> programDatabases();

// The folder of the back-up copies.
QString backupRoot();

// Copies every database into a new dated folder; returns that folder's path.
QString backUpDatabases();

struct BackupInfo {
    QString path;
    QDateTime taken;
    QStringList files;
};
// The back-up copies found in the back-up folder, the newest first.
std::vector<BackupInfo> listBackups();

// Checks every database with SQLite's integrity check; returns the report text (CR LF lines)
// and sets `allOk` when every database passed.
QString checkDatabases(bool* allOk = nullptr);

// Rebuilds every database into the least space it needs; returns the report text.
QString compactDatabases();

// Puts the back-up copy in `backupFolder` in place of the program folder's databases. The copy
// is checked first (every file ours and whole) and nothing changes when it is not; then the
// current databases are backed up themselves (the returned path), each database of the copy is
// written over its current file in one transaction, and book files the copy does not have are
// removed (they are in the copy just made).
QString restoreBackup(const QString& backupFolder);

}  // namespace kl
