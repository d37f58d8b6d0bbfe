#pragma once
// Moving a company's books from the program folder to a server ("Prenesi knjige na
// poslužitelj") and back ("Prenesi u mapu programa").

#include "data/bookcopy.h"
#include "data/booklocation.h"
#include "data/pgconnection.h"

#include <QString>
#include <QStringList>

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

// The way back: the register entry and every book of the server company `companyIdText` copied
// into single files of the program folder, each file compared with its schema (compareRows, and
// the stock audit of each warehouse book), and only then the company switched over in one
// transaction of the folder register (its book rows there, its server fields cleared). The
// server's schemas are left as they are (a clerk may drop them by hand). Empty when the company
// is in the folder; otherwise the Croatian reason, and the company stays on the server.
//
// The folder register numbers books across companies: a book whose id is taken in the folder
// (a row, a file of either kind, a made file recorded) gets a new one, its file is named after
// it, and every book id inside the books (isBookIdColumn) follows; `renumbered` receives the
// changed ids (old -> new).
//
// Safe against a kill at any moment: a mark is recorded in the folder register first, the files
// are made under names of their own ("Skladiste7.mdb.povrat-<mark>", never over anything), and
// put in place by renames only after the switch committed (finishInterruptedReturns completes
// that at start). An interrupted move leaves the company on the server; moving again starts
// over, the staged files of the earlier attempt removed.
QString moveCompanyToFolder(const QString& companyIdText, BookIdMap* renumbered = nullptr);

// Copies the server book `book` whole into `target`, a new book file of its kind made here
// (never over anything), read in one snapshot of the server, its book ids as `ids` maps them;
// then compares the file with the schema (compareRows, and for a warehouse book the stock audit
// of both). Empty when they are equal; otherwise what differs first. Throws DbError.
QString copyServerBookToFile(const BookLocation& book, const QString& target,
                             const BookIdMap& ids = {});

// At start (after finishInterruptedRemovals), and before every move back: the files of a move
// back whose switch committed are renamed into place; those of one that did not are removed.
// Only files of a mark recorded in the register are touched. Returns notes for the clerk.
QStringList finishInterruptedReturns();

namespace testing {
// Called at the moments of a move back with their number (0, 1, ...): the mark recorded, each
// book's file staged and checked, the switch committed, each file put in place. The kill test
// ends the process there.
inline void (*returnStepHook)(int step) = nullptr;
}  // namespace testing

}  // namespace kl
