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
// missing file does not stop the removal of the row.
void deleteBook(const QString& id, const QString& kind);

// Book files the program has made, recorded in the register: a registered book whose file is
// missing although it was made has lost its data, and entering it must not put a new, empty file
// in its place. File names as in the program folder ("Skladiste7.mdb").
void recordBookFileMade(const QString& fileName);
bool bookFileWasMade(const QString& fileName);
// Forgets the made files of removed books (inside the caller's transaction on the register).
void forgetBookFiles(Database& master, const QStringList& fileNames);

// Removes files together with a database transaction. stage() moves a file (and a journal left
// beside it) out of the way under a temporary name; restore() puts every staged file back (the
// transaction failed), finish() deletes them (the transaction committed). A file that cannot be
// moved makes stage() throw, so the caller rolls back before anything is lost.
class StagedFileRemoval {
  public:
    StagedFileRemoval() = default;
    ~StagedFileRemoval();  // restores what was neither finished nor restored
    StagedFileRemoval(const StagedFileRemoval&) = delete;
    StagedFileRemoval& operator=(const StagedFileRemoval&) = delete;

    // Missing files are skipped.
    void stage(const QString& path);
    void restore();
    void finish();

  private:
    struct Moved {
        QString original;
        QString staged;
    };
    QList<Moved> moved_;
};

}  // namespace kl
