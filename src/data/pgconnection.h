#pragma once
// A connection to a PostgreSQL server, for the books a company keeps on a server.
//
// Every value travels as a bound parameter in its text form (PQexecParams), never spliced into a
// statement, and every result comes back as text, read here into the values the engine hands
// out: integers, doubles (a real keeps its float32 value: the server prints the shortest text
// that reads back to the same float), the four decimals of a numeric exactly, dates, texts.
//
// The password is never stored by the program: libpq finds it in the user's ~/.pgpass (or
// PGPASSFILE), or the caller passes the one the clerk typed for this run.
//
// Failures are DbErrors with a Croatian description: a server that is down or unreachable
// (ServerUnreachable, naming host and port), a refused login (ServerLogin), a conflict the server
// resolves by cancelling one side (ServerConflict: a serialization failure or a deadlock, which
// the caller retries), a lost connection (ServerLost), and any other server error (ServerError,
// with the server's own text).

#include "data/dberror.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;

namespace kl {

namespace DbErrorCode {
constexpr int ServerError = 3146;        // the server refused a statement
constexpr int ServerUnreachable = 3151;  // no connection to the server
constexpr int ServerLogin = 3152;        // the server refused the user or the password
constexpr int ServerConflict = 3218;     // serialization failure or deadlock: run it again
constexpr int ServerLost = 3153;         // the connection broke off during a statement
}  // namespace DbErrorCode

// A name (a schema the program makes) as a quoted identifier of the server: "skladiste_3".
QString quotedName(const QString& name);

// Where a company's books are on a server. The password is not part of it.
struct ServerAddress {
    QString host;
    int port = 5432;
    QString database;
    QString user;

    bool operator==(const ServerAddress&) const = default;
    // "poslužitelj baza.tvrtka.hr:5432, baza knjige"
    QString describe() const;
};

// The rows of one statement's result, read as text.
class PgResult {
  public:
    int rows() const;
    int columns() const;
    QString columnName(int column) const;
    bool isNull(int row, int column) const;
    // The raw text (UTF-8) of a cell, empty for Null.
    QByteArray bytes(int row, int column) const;
    // The same without a copy, valid while the result lives.
    QByteArrayView view(int row, int column) const;
    // The server's type of a column (its oid: 20 bigint, 700 real, 1082 date, ...).
    unsigned typeOid(int column) const;
    QString text(int row, int column) const;
    qint64 integer(int row, int column) const;
    double number(int row, int column) const;
    QDate date(int row, int column) const;
    // Rows changed by an insert, update or delete.
    int affected() const;

  private:
    friend class PgConnection;
    std::shared_ptr<pg_result> r_;
};

class PgConnection {
  public:
    PgConnection() = default;
    // Connects, with `password` when not empty (else libpq's ~/.pgpass). Throws DbError
    // ServerUnreachable or ServerLogin. Each connection speaks UTF-8, dates as ISO and floats in
    // their shortest exact text.
    static PgConnection connect(const ServerAddress& address, const QString& password = {},
                                int timeoutSeconds = 10);

    bool isOpen() const { return bool(c_); }
    const ServerAddress& address() const { return address_; }

    // Runs one statement with `params` bound to $1, $2, ... Null QVariants are NULL; numbers go
    // in their exact text (a float with 9 significant digits, a double with 17), dates as ISO.
    PgResult exec(const QString& sql, const QVariantList& params = {});
    // The same with the values already in their text form (nullopt is NULL).
    PgResult execTexts(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values);
    // The same through a statement prepared once on this connection and kept (the engine's
    // translated statements, which it runs again and again); forgetPrepared() drops them all,
    // after a change of the schema.
    PgResult execPrepared(const QByteArray& sql,
                          const std::vector<std::optional<QByteArray>>& values);
    void forgetPrepared();
    // Inside a transaction (also one that failed and waits for its rollback).
    bool inTransaction() const;

    void close();

  private:
    [[noreturn]] void fail(pg_result* result) const;
    PgResult result(pg_result* raw) const;
    std::shared_ptr<pg_conn> c_;
    ServerAddress address_;
    std::shared_ptr<std::map<QByteArray, QByteArray>> prepared_ =
        std::make_shared<std::map<QByteArray, QByteArray>>();
};

// True for the errors after which the whole transaction is to be run again.
inline bool isRetryable(const DbError& e) {
    return e.number() == DbErrorCode::ServerConflict;
}

// The text form of a value as the server reads it from a parameter; nullopt for Null (an invalid
// QVariant or one holding a null pointer). An empty text is an empty text, as in the file.
std::optional<QByteArray> serverText(const QVariant& value);

}  // namespace kl
