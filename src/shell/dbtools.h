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

#include "ui/sheet.h"

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

// What a back-up could not take, for the clerk.
struct BackupReport {
    QString folder;         // the new copy
    QStringList leftOut;    // "Skladiste9.mdb (Alfa - Glavno): <why>", bad files left out
    QStringList noDataYet;  // "Alfa - Novo": registered books never entered (no file yet)
    QStringList missing;    // registered books whose file the program made and that is gone
};
// The message for the clerk after a back-up: where it is and what it does not hold.
QString backupMessage(const BackupReport& report);

// Copies every database into a new dated folder; returns that folder's path. The copy is made
// whole in a hidden staging folder (each file with the online back-up, synced, then checked:
// our stamp, the schema version, the expected tables, integrity), described by a manifest
// written last (kopija.json: names, sizes and SHA-256 of the files, the register's books), and
// only then renamed into place. A bad book file is left out and named in `report`; a bad
// register refuses the whole back-up. Staging folders left by a killed program are removed.
QString backUpDatabases(BackupReport* report = nullptr);

// The back-up of the server company `companyIdText` into single files: a new dated folder of the
// back-up folder, in the layout of backUpDatabases (kopija.json, tvrtke.mdb, the book files), made
// whole in the same hidden staging folder and renamed into place last. The register copy holds
// that company alone (its row, its books under their server ids); each book is copied from its
// schema in one snapshot and compared with it (copyServerBookToFile) and checked as a back-up's
// files are. The manifest names the company ("posluzitelj"), and restoreBackup refuses such a
// copy: put in place of the program folder it would replace every other company's books.
// Returns the folder; DbError with the reason.
QString backUpServerCompany(const QString& companyIdText, BackupReport* report = nullptr);
// The same into a new folder "Knjige Lumen kopija <date time>" inside the folder `folder` the
// clerk chose, as backUpDatabasesTo makes its copies there.
QString backUpServerCompanyTo(const QString& companyIdText, const QString& folder,
                              BackupReport* report = nullptr);
// The message for the clerk after it.
QString serverBackupMessage(const BackupReport& report);

// Why the folder `folder` (one the clerk chose, a USB stick) cannot take a back-up; empty when
// it can: it must exist, be writable, and lie neither inside the program folder (a copy there
// would be on the same disk, and our own clean-up of that folder could meet it) nor inside a
// back-up copy (whose folder holds exactly the copy's files).
QString outsideFolderProblem(const QString& folder);

// The same back-up into a new folder "Knjige Lumen kopija <yyyy-MM-dd HH.mm.ss>" inside the
// folder `folder` the clerk chose, with the same guarantees: made whole in a staging folder of
// ours there (new, locked while in use, marked as ours), manifest last, renamed into place
// without ever replacing anything (also where the file system has no RENAME_NOREPLACE, see
// renameFolderNoReplace). Nothing else in `folder` is touched, except what killed back-ups of
// ours left there: staging folders whose marker or whole copy says they are ours, and empty
// folders named like a copy. FAT and exFAT are fine: no permissions or links are needed.
QString backUpDatabasesTo(const QString& folder, BackupReport* report = nullptr);

struct BackupInfo {
    QString path;
    QDateTime taken;
    QStringList files;
    QString serverCompany;  // a server company's copy (backUpServerCompany): its name
};
// The complete back-up copies of the back-up folder, the newest first: a folder is listed only
// when its manifest is valid and names exactly its files, each of its recorded size (the
// checksums are compared when a copy is restored, see backupProblem).
std::vector<BackupInfo> listBackups();

// The complete copies in a folder the clerk chose, the newest first: the folder itself when it
// is a copy (it holds kopija.json), otherwise its folders named like a copy ("Knjige Lumen
// kopija <date time>", or "<date time>" as in the back-up folder), listed by the same rule.
std::vector<BackupInfo> listBackupsIn(const QString& folder);

// Empty when the copy in `folder` is whole: a valid manifest naming exactly the files of the
// folder (no journal, nothing else), each of its recorded size and checksum and, opened only
// read-only and immutable, a database of ours that passes the integrity check, with a register
// whose books have valid file names. Otherwise why it is not, in Croatian.
QString backupProblem(const QString& folder);

// Checks every database with SQLite's integrity check; returns the report text (CR LF lines)
// and sets `allOk` when every database passed. `table` receives the same report as a sheet: a row
// per database (file, book, state, the messages of a damaged one) and the counts as totals.
QString checkDatabases(bool* allOk = nullptr, sheet::Sheet* table = nullptr);

// Rebuilds every database into the least space it needs; returns the report text. `table`: a row
// per database with its sizes before and after in KB, the sums as the total.
QString compactDatabases(sheet::Sheet* table = nullptr);

// Puts the back-up copy in `backupFolder` in place of the program folder's databases, all or
// nothing. The copy is checked first (backupProblem) and nothing changes when it is not whole;
// then the current databases are backed up themselves (the returned path), the copy's files are
// staged beside them under temporary names, a restore record is written (vracanje-kopije.json),
// and the switch is made by renames: the old files (and book files the copy does not have) are
// moved aside, the new ones moved in, the ones moved aside removed, the record removed last. A
// kill at any moment leaves a state finishInterruptedRestore completes or undoes.
QString restoreBackup(const QString& backupFolder);

// Puts back a copy from any folder: one in the back-up folder as restoreBackup does; one
// elsewhere (a USB stick) is first brought into the back-up folder as a copy of its own, checked
// as it is copied (manifest, sizes, checksums) and whole again there, then restored from there by
// the same switch. A folder inside the program folder but not in its back-up folder is refused.
QString restoreBackupFrom(const QString& backupFolder);

// Run at start, before anything opens a database: finishes a restore a killed program left
// half done (the record names what it was doing: the switch is completed when every new file is
// there and it had begun, otherwise undone, so the folder holds the whole old or the whole new
// set) and removes staging files of unfinished back-ups and restores. Returns the message for
// the clerk, empty when nothing was pending. Nothing in the record is trusted: every name must
// be one of the database names of the program folder.
QString finishInterruptedRestore();

namespace testing {
// Called before each rename or removal of a restore's switch with its number (0, 1, ...); when
// it returns true the restore stops there as a killed program would (DbError, nothing undone).
extern bool (*restoreStepHook)(int step);
}  // namespace testing

}  // namespace kl
