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

constexpr int kVersion = 1;

// The statements, word for word as the program sends them.
QStringList masterTables();
QStringList masterSeedRows();
QStringList warehouseTables();
QStringList warehouseSeedRows();
QStringList productionTables();

// Indexes for the look-ups the windows and reports make by id and code. They add no column and
// change no result, only the speed.
QStringList masterIndexes();
QStringList warehouseIndexes();
QStringList productionIndexes();

// Creates the master database at `path` when it does not exist yet. Returns true when it was
// created now, false when it existed already. Throws DbError (a file that is not ours, a
// folder that cannot be written, ...).
bool ensureMasterDatabase(const QString& path);

// Creates a book database of `kind` ("Skladiste" or "Proizvodnja") at `path` when it does not
// exist yet; true when created now.
bool ensureBookDatabase(const QString& path, const QString& kind);

// What in the database `dbSchema` ("main" or an attached name) of the connection is not the
// program's own, for a file named like one of the program's databases (tvrtke.mdb,
// Skladiste<n>.mdb, Proizvodnja<n>.mdb); empty when everything is ours or the name is none of
// those. Every table, index, view and trigger must be one the program creates, by name, type
// and SQL (the reference is made by running the creation statements in memory), or a table or
// index named kl_... (the program's own later additions). `rc` is set to the SQLite result of
// reading the schema (SQLITE_OK when it could be read).
QString foreignObjects(sqlite3* db, const QString& dbSchema, const QString& fileName, int* rc);

}  // namespace schema
}  // namespace kl
