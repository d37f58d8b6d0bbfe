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

}  // namespace schema
}  // namespace kl
