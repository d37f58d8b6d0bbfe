#pragma once
// The book register of a company (`otvoreneknjige` of the master database) and the removal of
// book files. Every operation opens the master database, does its work in one transaction and
// closes it again; failures are thrown as DbError with a Croatian description.

#include <QList>
#include <QString>
#include <QStringList>

namespace kl {

class Database;

struct BookRow {
    QString id;  // as text, the form kept in the list and in file names
    QString name;
    QString kind;
    QString address;
};

// The book kinds in name order ("Proizvodnja", "Skladiste").
QStringList loadBookKinds();
// The books of the company `companyIdText` in stored order.
QList<BookRow> loadBooks(const QString& companyIdText);
// Registers a new book; returns its id as text. The book's database file is made when the book
// is first entered.
QString insertBook(const QString& companyIdText, const QString& name, const QString& kind,
                   const QString& address);
// Changes a book's name and address (never its kind, so its file name stays valid).
void updateBook(const QString& id, const QString& name, const QString& address);
// Removes the book's row and its database file together: either both go or neither does. A
// missing file does not stop the removal of the row; a row that names no book file of ours
// (checkedBookFileName) or a file that is not a plain file of the program folder is refused
// before anything changes.
void deleteBook(const QString& id, const QString& kind);

// What entering a book does with its file (`bookFile` as checkedBookFileName gives it): the path
// is checked (AppContext::checkedBookPath), a new file gets the book's database and is recorded
// as made. Returns false, touching nothing, when the file was made once and is gone: its data
// are lost, and a new, empty file must not take its place. Throws DbError.
bool prepareBookFile(const QString& bookFile, const QString& kind);

// Book files the program has made, recorded in the register: a registered book whose file is
// missing although it was made has lost its data, and entering it must not put a new, empty file
// in its place. File names as in the program folder ("Skladiste7.mdb").
void recordBookFileMade(const QString& fileName);
bool bookFileWasMade(const QString& fileName);
// The same for several files, inside the caller's transaction on the register.
void recordBookFilesMade(Database& master, const QStringList& fileNames);
// Forgets the made files of removed books (inside the caller's transaction on the register).
void forgetBookFiles(Database& master, const QStringList& fileNames);

// Removes book files together with a transaction on the register. stage() moves a book file
// (and a journal left beside it) out of the way under its staged name, the file name followed by
// ".brisanje" ("Skladiste7.mdb.brisanje", "Skladiste7.mdb-journal.brisanje"), so the name alone
// says which book it was; restore() puts every staged file back (the transaction failed),
// finish() deletes them (the transaction committed). A file that cannot be moved makes stage()
// throw, so the caller rolls back before anything is lost. Whatever a kill leaves staged is
// settled at the next start by finishInterruptedRemovals().
class StagedFileRemoval {
  public:
    StagedFileRemoval() = default;
    ~StagedFileRemoval();  // restores what was neither finished nor restored
    StagedFileRemoval(const StagedFileRemoval&) = delete;
    StagedFileRemoval& operator=(const StagedFileRemoval&) = delete;

    // `bookFile` as checkedBookFileName gives it. Missing files are skipped; a path that is not
    // a plain file inside the program folder is refused (DbError) and nothing is moved for it.
    void stage(const QString& bookFile);
    void restore();
    void finish();

  private:
    struct Moved {
        QString original;
        QString staged;
    };
    QList<Moved> moved_;
};

// At start, after settleInterruptedWrites() has rolled back the register's unfinished change:
// settles what a killed deletion or book creation left in the program folder.
//   - A staged book file (exactly the name StagedFileRemoval makes, a plain file inside the
//     folder) of a book the register still has goes back under its name (the deletion did not
//     commit); of a book the register no longer has it is deleted (the deletion committed). When
//     its name has been taken meanwhile, both are kept: the staged file is renamed to
//     "<name>.sacuvano-<yyyyMMdd-HHmmss>" and a note says so.
//   - A temporary file of a database being made ("Skladiste7.mdb.nova-<pid>" and its journal)
//     of a process that is gone is deleted.
// Nothing is decided without the register: if it cannot be read, staged files wait for the next
// start. Returns the notes for the clerk (empty when there is nothing to say).
QStringList finishInterruptedRemovals();

}  // namespace kl
