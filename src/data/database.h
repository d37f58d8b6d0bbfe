#pragma once
// The database engine of the books: one SQLite file per database, spoken to in the windows' own
// SQL dialect (see jetsql.h) with every value bound.
//
// The operations are the ones the windows have always relied on: create a database (error 3204
// when the file exists), open it, execute a statement, open a recordset (EOF/BOF, move first,
// next, last; error 3021 on an empty one; read a field by name; delete the current row), close.
// Each failure is a DbError with a number and a Croatian description for the message box.
//
// Values are converted into the type of the column they are stored into or compared with, the
// way the books always converted them: text with a decimal comma into single and currency
// columns, "dd.MM.yyyy" into date columns (stored as ISO text so ranges compare), numbers into
// text columns by their default text form. Text longer than its column is refused, never cut.
// single columns keep single precision and currency columns four decimals.
//
// A file that exists but is not one of our databases is reported and never written to.
//
// The same engine speaks to a PostgreSQL server (openServer), where a book is a schema of a
// database: the statements are translated for the server (jetsql.h), values bound as parameters,
// and the rows read back as the file gives them.

#include "data/booklocation.h"
#include "data/dberror.h"
#include "data/jetsql.h"
#include "data/pgconnection.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

namespace kl {

// Stamped into every database the program creates ("KNJL", SQLite's application_id); a file
// without it is not ours.
inline constexpr quint32 kApplicationId = 0x4B4E4A4C;

// True when `path` is a file that starts with an SQLite header stamped kApplicationId. Only its
// first bytes are read, without SQLite, so nothing a file holds can act before it is trusted.
bool hasOurStamp(const QString& path);

class Database;
struct DatabaseImpl;

// The rows of one select, read whole when it is opened. The current row starts at the first row;
// on an empty result EOF and BOF are both true.
class Recordset {
  public:
    Recordset() = default;

    bool eof() const { return rows_ == 0 || pos_ >= rows_; }
    bool bof() const { return rows_ == 0 || pos_ < 0; }
    int recordCount() const { return rows_; }

    void moveFirst();  // DbError 3021 when there is no row
    void moveLast();   // DbError 3021 when there is no row
    void moveNext();
    void movePrevious();

    // The current row's value of a field (names compare case-insensitively):
    // text -> QString, counter/long -> qlonglong, single/double/currency -> double,
    // date -> QDate, Null -> an invalid QVariant. DbError 3021 without a current row,
    // 3265 for an unknown field.
    QVariant value(const QString& field) const;
    QVariant value(int column) const;
    // The default text form of the value: "12", "12,5", "05.12.2026", "" for Null.
    QString text(const QString& field) const;
    // The value as a number (0 for Null or text that is not a number).
    double number(const QString& field) const;

    int fieldCount() const { return int(names_.size()); }
    QString fieldName(int column) const { return names_.value(column); }

    // Removes the current row from its table (only for a select over one table).
    void deleteCurrent();
    void close();

  private:
    friend class Database;
    int column(const QString& field) const;
    void requireCurrent() const;

    std::shared_ptr<DatabaseImpl> db_;
    QString table_;  // quoted, qualified table for deleteCurrent
    QString rowidColumn_;
    QStringList names_;
    std::vector<jet::ColType> types_;
    // One cell per field of each row (rows_ * names_.size()), kept raw: numbers inline, text as a
    // slice of one shared UTF-8 buffer. A QVariant is built only for the cells a window reads,
    // so a list of 200 000 rows loads at close to the speed of SQLite itself.
    struct Cell {
        enum Kind : quint8 { Null, Integer, Real, Text } kind = Null;
        union {
            qint64 integer;
            double real;
            struct {
                quint32 offset;
                quint32 length;
            } text;
        };
    };
    QVariant cellValue(const Cell& cell, jet::ColType type) const;
    static Cell serverCell(const PgResult& r, int row, int column, jet::ColType type,
                           QByteArray* textData);
    std::vector<Cell> cells_;
    QByteArray textData_;
    std::vector<qint64> rowids_;  // one per row when table_ is set
    std::vector<bool> deleted_;
    int rows_ = 0;
    int pos_ = 0;
};

// One row of a select read forward (Database::forEachRow): the same values as a Recordset gives,
// taken straight from the statement. Valid only inside the callback it is handed to.
class RowView {
  public:
    int fieldCount() const { return int(types_->size()); }
    // The value of a column with the conversions of Recordset::value.
    QVariant value(int column) const;
    // Its text form, as Recordset::text gives it.
    QString text(int column) const;
    // For the long reads that take every line of a book, without a QVariant per value:
    // value(column).isNull(), value(column).toDouble(), and the value of an integer column or an
    // integer text that jet::isIntegerText reads (false for anything else).
    bool isNull(int column) const;
    double number(int column) const;
    bool integer(int column, qint64* value) const;
    // The id a join on an integer key (`a.id = b.column`) matches this value with: an integer
    // value, or a text that integer() reads (plain digits); false for NULL and for anything
    // else, which only the engine's own comparison can tell.
    bool integerKey(int column, qint64* value) const;
    // The same with NULL told apart from a value only the engine can match.
    enum class Key { Null, Integer, Other };
    Key key(int column, qint64* value) const;
    // The UTF-8 bytes of a text value (empty for any other), valid until the next row.
    QByteArrayView textBytes(int column) const;

  private:
    friend class Database;
    // integer() of column `column`, whose value `v` is of the engine's type `type`. (Each
    // column's value is taken from the statement once and read as a value: one call into the
    // engine per column rather than one for its type and more for its contents.)
    bool integerOfType(int column, sqlite3_value* v, int type, qint64* result) const;
    RowView(sqlite3_stmt* st, const std::vector<jet::ColType>* types, int skip)
        : st_(st), types_(types), skip_(skip) {}
    RowView(const PgResult* result, const std::vector<jet::ColType>* types, int skip)
        : st_(nullptr), types_(types), skip_(skip), server_(result) {}
    sqlite3_stmt* st_;
    const std::vector<jet::ColType>* types_;
    int skip_;
    const PgResult* server_ = nullptr;  // on a server: the whole result, read at row_
    int row_ = 0;
};

class Database {
  public:
    Database() = default;
    ~Database();
    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A new, empty database of ours; DbError 3204 when anything already exists at `path`.
    static Database create(const QString& path);
    // A book (or the register) kept as `schema` of the database at `address` on a server. The
    // password comes from ~/.pgpass unless given. DbError 3151/3152 when the server cannot be
    // reached or refuses the login (pgconnection.h).
    static Database openServer(const ServerAddress& address, const QString& schema,
                               const QString& password = {});
    bool onServer() const;
    // The book at `location`, wherever it is kept: a file as open() opens it, a schema on a
    // server once it has been checked to be the program's own (once per run and schema), with the
    // password given for that server in this run. Every storage function opens its book so.
    static Database openBook(const BookLocation& location);
    // Where this database is kept (a file's path, or the server and schema).
    BookLocation location() const;

    // An existing database of ours; DbError 3024 when missing, 3343 when not ours, 3344 when
    // a file of the program (the register, a book) holds tables, views, triggers or indexes
    // that are not the program's own. Every database is opened with a rollback journal that is
    // deleted at commit (a file in WAL mode is converted) and synchronous=EXTRA, also each one
    // attached to it; no view or trigger ever runs and a runaway statement is stopped (3052).
    static Database open(const QString& path);
    // A private, empty database in memory (the reference copy of the program's schemas).
    static Database openInMemory();

    bool isOpen() const { return bool(d_); }
    QString path() const;

    // Runs one statement that returns no rows. `params` fill the '?' placeholders in order.
    void execute(const QString& sql, const QVariantList& params = {});
    // Runs one select and returns its rows.
    Recordset openRecordset(const QString& sql, const QVariantList& params = {});
    // Runs one select and hands each row to `row` as it is read, keeping none: for long lists
    // that go straight into a form of their own (the journal, the stock cards). `row` must not
    // run statements on this database while the select is being read.
    void forEachRow(const QString& sql, const QVariantList& params,
                    const std::function<void(const RowView&)>& row);

    // The same on an attached database: every table of the statement is taken from `schema`.
    void executeIn(const QString& schema, const QString& sql, const QVariantList& params = {});
    Recordset openRecordsetIn(const QString& schema, const QString& sql,
                              const QVariantList& params = {});

    // Rows changed by the last statement and the rowid of the last insert.
    int changes() const;
    qint64 lastInsertId() const;

    // Attaches another database of ours under `schema`; its statements then commit together
    // with this one's inside one transaction.
    void attach(const QString& path, const QString& schema);
    void detach(const QString& schema);
    // On a server: another book's schema of the same database, addressed as `schema` in
    // executeIn/openRecordsetIn; statements over both commit together, as with attach.
    void attachSchema(const QString& serverSchema, const QString& schema);
    // Another book under `schema`, wherever it is kept: its file attached to this file's
    // connection, or its schema of the same server database. DbError when the two books are not
    // kept in the same place (a file and a server, or two servers).
    void attachBook(const BookLocation& location, const QString& schema);

    // Transactions; prefer the Transaction guard below.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

    // The version stamp of the file's schema (0 while a creation has not completed).
    int userVersion() const;
    void setUserVersion(int version);
    bool hasTable(const QString& table, const QString& schema = {}) const;
    // Whether `table` has the index named `index` (names in any case).
    bool hasIndex(const QString& table, const QString& index, const QString& schema = {}) const;
    // The tables of the database (the engine's own bookkeeping left out), in name order, and the
    // columns of one as the statements see them (empty when there is no such table).
    QStringList tableNames() const;
    std::vector<jet::Column> columns(const QString& table) const;
    // A table's id counter: the last id it gave (0 before the first), which a copy keeps so that
    // a deleted row's id is never given again.
    qint64 idCounter(const QString& table) const;
    void setIdCounter(const QString& table, qint64 value);
    // On a server: the book's schema (empty for a file).
    QString serverSchema() const;
    // On a server: takes (in name order) and gives back the locks by which clerks writing into
    // the same books take turns (see runWrite); nothing on a file.
    void lockBooks(const QStringList& books);
    void unlockBooks(const QStringList& books);
    // On a server: the connection, for the few tools that need the server directly (the checks
    // of a schema); null for a file.
    PgConnection* serverConnection() const;
    // The low-level handle, for the few tools that need SQLite directly (backup, checks).
    sqlite3* handle() const;
    // For those tools: throws the DbError the engine gives for the SQLite result `rc` of a call
    // on this connection; SQLITE_OK, SQLITE_ROW and SQLITE_DONE pass.
    void check(int rc) const;

    void close();

  private:
    friend class Transaction;
    // open() without the upgrade of a file of an earlier version.
    static Database openChecked(const QString& path);
    // Translates `sql`, prepares it (or takes it from the cache) and binds `params`.
    sqlite3_stmt* prepare(const QString& schema, const QString& sql, const QVariantList& params,
                          std::shared_ptr<const jet::Translation>& tr);
    void run(const QString& schema, const QString& sql, const QVariantList& params, Recordset* rs);
    // The same on a server: runs the statement and returns its result.
    PgResult runOnServer(const QString& schema, const QString& sql, const QVariantList& params,
                         std::shared_ptr<const jet::Translation>& tr);
    // Runs a statement of the engine's own (transactions, savepoints) on either engine.
    void execOwn(const QString& sql);
    std::shared_ptr<DatabaseImpl> d_;
};

// True when the book at `location` has been made: its file exists, or its schema on the server.
bool bookExists(const BookLocation& location);

// Commits when commit() is called; rolls back when it goes out of scope without it (an error
// thrown in between). Nested guards become savepoints of the outer transaction.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database& db_;
    QString savepoint_;
    bool done_ = false;
};

// How many times a write that the server cancels for a conflict is run (see runWrite).
inline constexpr int kWriteAttempts = 30;
void pauseBeforeRetry(int attempt);

// The locks by which writers into the same books take turns (runWrite, and a write that is one
// transaction of its own): taken when made, before the transaction begins, given back when it
// goes. Nothing on a file.
class BookLocks {
  public:
    BookLocks(Database& db, QStringList books) : db_(db), books_(std::move(books)) {
        db_.lockBooks(books_);
    }
    ~BookLocks() {
        try {
            db_.unlockBooks(books_);
        } catch (const DbError&) {
            // A lost connection has given its locks back already.
        }
    }
    BookLocks(const BookLocks&) = delete;
    BookLocks& operator=(const BookLocks&) = delete;

  private:
    Database& db_;
    QStringList books_;
};

// Runs `attempt` under the locks of `books` (see BookLocks) and returns what it returns; a
// conflict the server resolves by cancelling the transaction (a serialization failure, a
// deadlock) runs it again, so the clerk never sees it. `attempt` makes its own transaction and
// commits it, or returns without committing to leave the books as they were (a refusal); each
// run starts from nothing it kept of a run before. Not inside a transaction of the caller.
template <typename Attempt>
auto runLocked(Database& db, const QStringList& books, Attempt&& attempt) -> decltype(attempt()) {
    for (int n = 1;; ++n) {
        try {
            const BookLocks locks(db, books);
            return attempt();
        } catch (const DbError& e) {
            if (!isRetryable(e) || n == kWriteAttempts) throw;
        }
        pauseBeforeRetry(n);
    }
}

// Runs `work` as one transaction of `db` and commits it: the form of every user action that
// writes. On a server the books it writes (their schema names) are locked first, so that clerks
// writing into the same book take turns and the document numbers follow one another, and a
// conflict is retried (runLocked). On a file it runs once (the file's own lock makes writers take
// turns). Inside a transaction of the caller it is part of that one, which retries as a whole.
template <typename Work>
void runWrite(Database& db, const QStringList& books, Work&& work) {
    if (db.inTransaction()) {
        Transaction t(db);
        work();
        t.commit();
        return;
    }
    runLocked(db, books, [&] {
        Transaction t(db);
        work();
        t.commit();
    });
}

// One read transaction (a deferred one: no write lock, so a read-only book can be read), so that
// the several selects of one report read the same state of the book. On a server, or when the
// engine refuses it, the selects go on each on its own.
class ReadSnapshot {
  public:
    explicit ReadSnapshot(Database& db);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

  private:
    sqlite3* db_;
};

// The places of a table's rows in the order of one of its indexes, read from the index alone
// (`sql` selects their integer ids, "select id from artikli order by naziv asc"). The rows are
// then read in stored order and each put in its place: going through the index for whole rows
// looks every row up in no order, which on a large book costs many times the reading. An id that
// is not an integer value, or one given twice, leaves the order not valid: the caller then reads
// by the ordered select itself. Read both in one ReadSnapshot.
class IdOrder {
  public:
    IdOrder(Database& db, const QString& sql);
    // The order of ids already read (valid unless one is given twice).
    explicit IdOrder(const std::vector<qint64>& ids);
    bool valid() const { return valid_; }
    size_t size() const { return size_; }
    // The place of the row whose first column `row` holds, or -1 for a row the order does not
    // hold or whose id is no integer value.
    int placeOf(const RowView& row, int column = 0) const;
    // The place of `id`, or -1.
    int placeOf(qint64 id) const;

  private:
    void place(const std::vector<qint64>& ids);

    bool valid_ = true;
    size_t size_ = 0;
    // By id for ids that count up from 1 (a book's), a hash for others.
    std::vector<int> dense_;
    std::unordered_map<qint64, int> sparse_;
};

// For the tests that make a statement fail on purpose with a trigger: while allowed, a book may
// hold triggers and they run. The program itself never allows them (a book with a trigger is
// refused on open, and no trigger ever runs).
void allowTriggersForTesting(bool allowed);
bool triggersAllowedForTesting();

// The text form of a value read from a column of the given type (the form `text()` gives).
QString valueText(const QVariant& value, jet::ColType type);

}  // namespace kl
