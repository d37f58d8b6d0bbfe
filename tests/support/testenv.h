#pragma once
// Test support shared by every test executable: a temporary program folder wired into the
// application context, quick creation of master and book databases with rows, and finding a
// window's controls by objectName.
//
// The books are files of the program folder, or, when the environment variable KL_TEST_BOOKS is
// "server", schemas of a database of the test server (KL_PG_ENV) that is this executable's own:
// the same kinds and ids, the company's list of books in its register schema. A storage suite
// that takes its books from here runs against both engines with the same assertions.

#include "data/booklocation.h"

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <functional>

namespace kl::test {

// A fresh, empty program folder for one test. While it lives, kl::context().programFolder
// points at it (and the rest of the context is reset); the folder is removed afterwards. It
// also allows triggers in the books (allowTriggersForTesting), which tests use to make a
// statement fail on purpose. With the books on the server, the context's company is on the
// test database, emptied of the schemas an earlier test made.
class TempProgramFolder {
  public:
    TempProgramFolder();
    ~TempProgramFolder();
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
    QString previousFolder_;
};

// True when this run keeps its books on the test server (KL_TEST_BOOKS=server).
bool booksOnServer();
// This executable's database of the test server (made empty at the first call of a run).
ServerAddress testBooksServer();

// ---- Databases with rows ---------------------------------------------------------------------
// Each helper writes through the program's own schema code and engine, with bound values.

// Creates tvrtke.mdb in the current program folder (if missing).
void createMaster();
// Adds a company (all other fields "-") and returns its id.
int addCompany(const QString& name);
// Registers a book of `kind` for the company, creates its database (file or schema) and returns
// the book id.
int addBook(int companyId, const QString& name, const QString& kind,
            const QString& address = QStringLiteral("-"));
// Full path of the book file of book `id` of `kind`.
QString bookPath(const QString& kind, int id);
// Where book `id` of `kind` is: its file, or its schema on the server.
BookLocation bookAt(const QString& kind, int id);
// A company "Alfa" with one warehouse book "Glavno"; returns the book's location.
BookLocation newWarehouseBook();
// The same book entered as the current book of the application context (file and kind); returns
// its location.
BookLocation enterNewWarehouseBook();
// Adds an article to a warehouse book and returns its id.
int addArticle(const BookLocation& book, const QString& code, const QString& name, double stock = 0,
               double value = 0, double average = 0, const QString& unit = QStringLiteral("kom"),
               double minimum = 0, const QString& barcode = QString());
// Adds a partner ("k", "d" or "s") to a warehouse book and returns its id.
int addPartner(const BookLocation& book, const QString& kind, const QString& name);
// Adds a supplier document type to a warehouse book and returns its id.
int addDocumentType(const BookLocation& book, const QString& name);
// Number of rows of `table` in a database.
int rowCount(const BookLocation& book, const QString& table);
// Runs `sql` on a database straight through the engine, past the program's SQL dialect (to add
// a trigger, say, which it allows); true when it succeeded. On the server the book's schema is
// the search path, and a trigger of the form "create trigger T before|after insert|update|delete
// on TABLE when CONDITION begin select raise(abort, 'TEXT'); end" is made as the server's
// trigger of the same effect.
bool executeRaw(const BookLocation& book, const QString& sql);

// Every entry under `folder` (sub-folders too) with the checksum of each file, sorted: what a test
// asserts stays unchanged.
QStringList folderSnapshot(const QString& folder);

// The number of the DbError `f` throws (its description into `description`); 0 when none.
int errorOf(const std::function<void()>& f, QString* description = nullptr);

// One row of a data-driven test: its name, then the values of the columns in order.
template <typename... A>
void dataRow(const char* name, A... values) {
    (QTest::newRow(name) << ... << values);
}

// Shows `w` and waits until it is the active window; null if it never becomes so.
template <typename T>
T* shown(T* w) {
    w->show();
    QApplication::setActiveWindow(w);
    w->activateWindow();
    return QTest::qWaitForWindowActive(w) ? w : nullptr;
}

// Finds the child control `name` of `parent` (searching recursively) and fails the test if it
// is missing or of another type.
template <typename T>
T* control(QWidget* parent, const QString& name) {
    T* w = parent->findChild<T*>(name);
    if (!w) QTest::qFail(qPrintable(QStringLiteral("missing control ") + name), __FILE__, __LINE__);
    return w;
}

}  // namespace kl::test
