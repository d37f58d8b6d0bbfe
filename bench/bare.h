#pragma once
// Bare SQLite: the same rows fetched or written with the C API alone, no dialect, no conversion,
// no widgets. What the program does is measured against this.

#include <QString>
#include <QVariantList>

#include <map>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

class Bare {
  public:
    explicit Bare(const QString& path);
    ~Bare();
    Bare(const Bare&) = delete;
    Bare& operator=(const Bare&) = delete;

    // Steps through every row of `sql`, reading every column (text as text, numbers as numbers);
    // returns the number of rows.
    int fetch(const char* sql, const QVariantList& params = {});
    // Runs a statement that returns no rows. Every statement is prepared once and kept.
    void exec(const char* sql, const QVariantList& params = {});
    // The first column of the first row as a number.
    double scalar(const char* sql, const QVariantList& params = {});
    qint64 lastInsertId() const;
    // The connection settings of the program's long reports (reports/longread.h): a larger page
    // cache and the file memory-mapped. Their floors read with the same settings.
    void readAsLongReports();
    sqlite3* handle() const { return db_; }

  private:
    sqlite3_stmt* prepare(const char* sql, const QVariantList& params);
    sqlite3* db_ = nullptr;
    std::map<const char*, sqlite3_stmt*> statements_;  // keyed by the literal's address
    quint64 touched_ = 0;                              // keeps the reads from being optimised away
};

// ---- Floors in memory ---------------------------------------------------------------------------
// The least the program's in-memory work can cost: the same work on the same data already in
// memory, in plain C++.

// The order a stable sort of `texts` by the books' collation gives: each distinct text ranked
// once, then the positions sorted by rank.
std::vector<int> sortFloor(const std::vector<QString>& texts);

// A journal line with its figures as numbers and its texts as UTF-8.
struct PlainJournalLine {
    int day = 0, month = 0, year = 0;  // 0: no date
    std::string name, document, number;
    int docDay = 0, docMonth = 0, docYear = 0;
    bool receipt = true;
    double quantity = 0, price = 0;
};

// The journal report's lines of `lines` (129 characters each, CR LF), formatted with
// std::to_chars; returns the text's length.
size_t journalTextFloor(const std::vector<PlainJournalLine>& lines, std::string& out);

}  // namespace bench
