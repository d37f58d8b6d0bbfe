#pragma once
// The master database (the register of companies and their books) and the two kinds of book
// database: their tables, seed rows and creation.
//
// A database is created whole or not at all: its tables, seed rows and indexes are written in one
// transaction that also stamps the file's schema version. A file left without that stamp by a
// crash during its creation is completed on the next use; an existing complete file is left as
// it is.

#include <QString>
#include <QStringList>

struct sqlite3;

namespace kl {

class Database;

namespace schema {

// The version of the program's schemas, stamped into every file it makes (user_version).
//   1  the first.
//   2  the account columns (`ziroracun` of the register and of the partners) take 34 characters,
//      an IBAN; the OIB of companies and partners is kept in tables of the program's own
//      (kl_oibtvrtke in the register, kl_oibpartnera in a warehouse book); a warehouse book
//      keeps the received e-invoices it posted and the clerk's choices for them (kl_eracuni,
//      kl_eracunartikli, kl_eracundobavljaci) and the reversals of its documents (kl_storna).
//   3  a warehouse book keeps its stock-takings (kl_inventure, kl_inventurestavke).
//   4  a warehouse book keeps stock points, the figures from which the stock at a day is
//      replayed (kl_tockezaliha, kl_tockezalihastavke).
// A file of an earlier version is brought up to this one when it is opened (upgrade below).
constexpr int kVersion = 4;

// The statements, word for word as the program sends them, for a file of schema `version`.
QStringList masterTables(int version = kVersion);
QStringList masterSeedRows();
QStringList warehouseTables(int version = kVersion);
QStringList warehouseSeedRows();
QStringList productionTables();

// Indexes for the look-ups the windows and reports make by id and code. They add no column and
// change no result, only the speed.
QStringList masterIndexes(int version = kVersion);
QStringList warehouseIndexes(int version = kVersion);
QStringList productionIndexes();

// A table of the program that a book gets only with the first action that needs it (made inside
// that action's transaction), and its index. A copy of a book that has it makes it the same way.
struct OnDemandTable {
    QString name, create, indexName, createIndex;
};
// The one for `table` (any case), or nullptr.
const OnDemandTable* onDemandTable(const QString& table);

// Creates the master database at `path` when it does not exist yet. Returns true when it was
// created now, false when it existed already. Throws DbError (a file that is not ours, a
// folder that cannot be written, ...).
bool ensureMasterDatabase(const QString& path);

// Creates a book database of `kind` ("Skladiste" or "Proizvodnja") at `path` when it does not
// exist yet; true when created now.
bool ensureBookDatabase(const QString& path, const QString& kind);

// Brings the database open on `db`, a file of ours named like one of the program's databases
// and stamped with an earlier schema version, up to kVersion: in one transaction, keeping every
// row with its id and every table's id counter; a table whose form changed is made anew under
// its name and its rows copied into it. True when the file was changed; false when there was
// nothing to do (already current, not yet created, or a name that is none of ours).
bool upgrade(Database& db, const QString& fileName);

// True for the names of the program's databases (tvrtke.mdb, Skladiste<n>.mdb,
// Proizvodnja<n>.mdb), the files whose schema is checked and upgraded.
bool isSchemaFile(const QString& fileName);

namespace testing {
// Called after each statement of an upgrade with its number (1, 2, ...), for the kill test.
inline void (*upgradeStepHook)(int step) = nullptr;
}  // namespace testing

// What in the database `dbSchema` ("main" or an attached name) of the connection is not the
// program's own, for a file named like one of the program's databases (tvrtke.mdb,
// Skladiste<n>.mdb, Proizvodnja<n>.mdb); empty when everything is ours or the name is none of
// those. Every table, index, view and trigger must be one the program creates for a file of
// schema `version` (0: not yet created, taken as the current one), by name, type and SQL (the
// reference is made by running the creation statements in memory), or a table or
// index named kl_... (the program's own later additions). `rc` is set to the SQLite result of
// reading the schema (SQLITE_OK when it could be read).
QString foreignObjects(sqlite3* db, const QString& dbSchema, const QString& fileName, int version,
                       int* rc);

}  // namespace schema
}  // namespace kl
