#pragma once
// A company's books on a server: one schema per book in one database, and the company's register
// entry in a schema of its own, each made by the program and checked before it is trusted.

#include "data/booklocation.h"
#include "data/pgconnection.h"

#include <QString>

namespace kl {

class Database;

namespace server {

// The kinds of schema: the register ("tvrtke"), a warehouse book ("Skladiste"), a production
// book ("Proizvodnja").
inline const QString kRegisterKind = QStringLiteral("tvrtke");

// The schema of a book: "skladiste_3", "proizvodnja_4"; of a company's register entry:
// "tvrtka_12".
QString bookSchema(const QString& kind, int bookId);
QString registerSchema(int companyId);

// Makes `schema` on the server with the tables, seed rows and indexes of `kind`, the text key
// function and the schema version, all in one transaction: the schema is there whole or not at
// all. DbError ServerError when a schema of that name exists already (it is never written over).
void createSchema(const ServerAddress& address, const QString& schema, const QString& kind,
                  const QString& password = {});

// Makes the schema of `book` (of its kind) unless it is there: the first entry of a book or of
// a company's register on a server. A clerk's program making it at the same moment may come
// first; only a schema still missing after a failed creation is an error.
void createSchemaUnlessThere(const BookLocation& book);

// Drops the book schema `schema` (with everything in it) inside the transaction of `db`, a
// database of the same server; nothing when there is no such schema. The caller has opened the
// book once (openBook), so that only a schema of the program's is ever dropped.
void dropSchema(Database& db, const QString& schema);

// What in the schema open on `db` is not the program's own for `kind`: a table the program does
// not make (other than its own kl_... tables), a column of another name or type, a view, a
// trigger, a function other than kl_key, a rule; or a schema without its version. Empty when
// everything is ours. Nothing of the schema runs before it passes.
QString foreignObjects(Database& db, const QString& kind);

// Opens the book kept as `schema`: the connection, then the check above. DbError ForeignSchema
// (3344) when the schema is not the program's, ServerUnreachable / ServerLogin as connect().
Database openBook(const ServerAddress& address, const QString& schema, const QString& kind,
                  const QString& password = {});

}  // namespace server
}  // namespace kl
