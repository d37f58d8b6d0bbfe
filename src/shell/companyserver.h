#pragma once
// Where a company keeps its books: in the program folder (the default), or on a server, as the
// program's own table "kl_posluzitelji" of the register records it (host, port, database, user;
// never a password). A company on a server keeps its list of books in its register schema there,
// so every clerk working with it sees the same books.

#include "data/pgconnection.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace kl {

class Database;

// Where on a server a company's books are: the database, and the schema of its register entry
// there (its list of books), "tvrtka_12" after the id the company was first given. A second
// clerk's program names the same schema, so that both see the same books.
struct CompanyServer {
    ServerAddress address;
    QString registerSchema;
    bool operator==(const CompanyServer&) const = default;
};

// The server of the company `companyIdText`; nothing for a company in the program folder.
std::optional<CompanyServer> companyServer(const QString& companyIdText);
// Records (or, with nothing, removes) the server of a company, inside the caller's transaction on
// the register. An empty register schema becomes "tvrtka_" + the company's id.
void setCompanyServer(Database& master, const QString& companyIdText,
                      const std::optional<CompanyServer>& server);
// Puts the chosen company's place into the context (nothing for the program folder).
void enterCompanyServer(const std::optional<CompanyServer>& server);

// Asks the clerk for the password of `server` (a password field); nothing when cancelled.
std::optional<QString> askServerPassword(QWidget* parent, const ServerAddress& server);

// DbError unless `schema` is a register schema's name as the program makes them (small letters,
// digits and underscores, a letter first, at most 63).
void checkRegisterSchemaName(const QString& schema);

// Connects once to `server`: with the password of ~/.pgpass or the one given in this run; when
// the server refuses it, `askPassword` is asked (once per run and server: the answer is kept in
// memory for every later connection) and the login tried again. Empty when connected; otherwise
// the Croatian reason.
QString connectToServer(const ServerAddress& server,
                        const std::function<std::optional<QString>()>& askPassword);

// Connects once to the server of the company being entered, so that a server that is down or a
// login it refuses is said before any window opens: the password of ~/.pgpass or the one given
// in this run; when the server refuses it, `askPassword` is asked (once per run and server: the
// answer is kept in memory for every later connection) and the login tried again. Empty when the
// company can be entered; otherwise the Croatian reason.
// The company's register schema is made on the server when it is not there yet (the company's
// first entry).
QString checkCompanyServer(const CompanyServer& server,
                           const std::function<std::optional<QString>()>& askPassword);

}  // namespace kl
