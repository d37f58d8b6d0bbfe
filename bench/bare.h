#pragma once
// Bare SQLite: the same rows fetched or written with the C API alone, no dialect, no conversion,
// no widgets. What the program does is measured against this.

#include <QString>
#include <QVariantList>

#include <map>

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
    sqlite3* handle() const { return db_; }

  private:
    sqlite3_stmt* prepare(const char* sql, const QVariantList& params);
    sqlite3* db_ = nullptr;
    std::map<const char*, sqlite3_stmt*> statements_;  // keyed by the literal's address
    quint64 touched_ = 0;                              // keeps the reads from being optimised away
};

}  // namespace bench
