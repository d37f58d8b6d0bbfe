#pragma once
// A book (or the register) copied whole from one database to another, whichever engine each is
// on: what moving a company's books to a server and back, and backing up a server company into
// single files, are made of.

#include <QHash>
#include <QString>

namespace kl {

class Database;

// Book ids as they change when a company's books move to a register that numbers books on its
// own (the program folder's, after a server's): old id -> new id, both as text ("7" -> "12").
// An id not in it stays as it is.
using BookIdMap = QHash<QString, QString>;

// True for a column that holds the id of a book (of the same company): a production book's bill
// of materials names each material's warehouse book (sastojci.idskladista), and a warehouse
// book's transfers the other side's book (kl_medjuskladisnice.idknjige).
bool isBookIdColumn(const QString& table, const QString& column);

// Copies every table of `from` into `to`, a database of the same kind made by the program's
// creation statements: `to`'s rows (its seed rows) are replaced by `from`'s, with their ids, and
// each id counter is set to `from`'s, so that no id is given twice. A table `to` lacks (one of
// the program's own tables made after its creation) is made with the same columns. All in one
// transaction of `to` (a savepoint of the caller's). Throws DbError; `to` is then unchanged.
// Every book id column's value is written as `ids` maps it.
void copyRows(Database& from, Database& to, const BookIdMap& ids = {});

// Empty when both hold the same tables with the same rows (in id order, every value as the
// engine reads it) and the same id counters; otherwise what differs first, in Croatian
// ("tablica artikli: redak 12, polje stanje"). `a`'s book id columns are read as `ids` maps
// them, so a copy made with copyRows(a, b, ids) compares equal.
QString compareRows(Database& a, Database& b, const BookIdMap& ids = {});

}  // namespace kl
