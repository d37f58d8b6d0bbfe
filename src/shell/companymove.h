#pragma once
// Moving a company's books from the program folder to a server ("Prenesi knjige na
// poslužitelj").

#include "data/pgconnection.h"

#include <QString>

namespace kl {

// Copies the register entry and every book of company `companyIdText` to the database at
// `server`, checks every copy against its file (every table's rows and values and id counters,
// and the stock audit of each warehouse book, which must find on the server what it finds in the
// file) and only then switches the company over: its register entry names the server, and its
// book rows and files leave the program folder (removed as a deleted book's are). Empty when the
// company is on the server; otherwise the Croatian reason, and the company stays where it was.
//
// Safe against a kill at any moment: the copies are made under names of their own
// ("skladiste_7_p<mark>", the mark recorded in the register first) and renamed to their real
// names in one transaction of the server, after every check; the switch is one transaction of
// the register. A move that was interrupted is resumed by moving again: copies left under the
// move's names are dropped and made again; copies already renamed (the server's transaction
// committed, the register's not) are checked again and the company switched. A schema of the
// real name that is not this move's is never touched: the move stops and says so.
// `registerSchema` names the company's register schema there ("tvrtka_" + its id when empty).
QString moveCompanyToServer(const QString& companyIdText, const ServerAddress& server,
                            const QString& registerSchema = {});

}  // namespace kl
