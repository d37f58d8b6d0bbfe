#pragma once
// Where a book is kept, as windows and storage functions pass it from one to the other: a file of
// the program folder, or a schema of a database on a server. Only the engine looks inside
// (Database::openBook, Database::attachBook): a window or a storage function reads and writes a
// book the same way wherever it lives.

#include "data/pgconnection.h"

#include <QString>

namespace kl {

class BookLocation {
  public:
    BookLocation() = default;
    // A book file at `filePath`. A path names a book the way it always has, so a path may be
    // given wherever a location is taken.
    BookLocation(const QString& filePath);  // NOLINT: a path is a location
    BookLocation(const char*) = delete;

    static BookLocation file(const QString& path);
    // The book kept as `schema` (e.g. "skladiste_7") of the database at `address`; `kind` is the
    // book's kind ("Skladiste", "Proizvodnja", or the register "tvrtke"), by which the schema is
    // checked before it is trusted.
    static BookLocation server(const ServerAddress& address, const QString& schema,
                               const QString& kind);

    bool isEmpty() const { return path_.isEmpty() && schema_.isEmpty(); }
    bool onServer() const { return !schema_.isEmpty(); }

    // For a file: its path (empty on a server).
    const QString& filePath() const { return path_; }
    // On a server: where, which schema, and of what kind.
    const ServerAddress& address() const { return address_; }
    const QString& schema() const { return schema_; }
    const QString& kind() const { return kind_; }

    // For messages: the file's name, or the schema and the server.
    QString describe() const;
    // Where it is, whole, as a caption shows it: the file's full path (native separators), or
    // the schema and the server.
    QString shown() const;

    bool operator==(const BookLocation& other) const = default;

  private:
    QString path_;
    ServerAddress address_;
    QString schema_;
    QString kind_;
};

// The password of a server for this run of the program: asked once when a company on that
// server is entered, kept in memory only (never written anywhere), and used for every
// connection to it; empty when none was given (libpq then reads ~/.pgpass).
QString serverPassword(const ServerAddress& address);
void setServerPassword(const ServerAddress& address, const QString& password);

}  // namespace kl
