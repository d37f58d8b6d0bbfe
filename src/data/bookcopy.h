#pragma once
// A book (or the register) copied whole from one database to another, whichever engine each is
// on: what moving a company's books to a server and back, and backing up a server company into
// single files, are made of.

#include <QString>

namespace kl {

class Database;

// Copies every table of `from` into `to`, a database of the same kind made by the program's
// creation statements: `to`'s rows (its seed rows) are replaced by `from`'s, with their ids, and
// each id counter is set to `from`'s, so that no id is given twice. A table `to` lacks (one of
// the program's own tables made after its creation) is made with the same columns. All in one
// transaction of `to` (a savepoint of the caller's). Throws DbError; `to` is then unchanged.
void copyRows(Database& from, Database& to);

// Empty when both hold the same tables with the same rows (in id order, every value as the
// engine reads it) and the same id counters; otherwise what differs first, in Croatian
// ("tablica artikli: redak 12, polje stanje").
QString compareRows(Database& a, Database& b);

}  // namespace kl
