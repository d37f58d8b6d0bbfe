#include "bare.h"

#include "data/jetfunctions.h"

#include <sqlite3.h>

#include <QByteArray>

#include <stdexcept>

namespace bench {

namespace {

[[noreturn]] void fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

}  // namespace

Bare::Bare(const QString& path) {
    if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        fail(db_, "open");
    // The text columns of the books are declared with the books' collation; without it SQLite
    // cannot read them at all.
    kl::registerJetFunctions(db_);
}

Bare::~Bare() {
    for (auto& [sql, st] : statements_)
        sqlite3_finalize(st);
    sqlite3_close_v2(db_);
}

sqlite3_stmt* Bare::prepare(const char* sql, const QVariantList& params) {
    sqlite3_stmt*& st = statements_[sql];
    if (!st && sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK) fail(db_, sql);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
                sqlite3_bind_int64(st, i + 1, v.toLongLong());
                break;
            case QMetaType::Double:
                sqlite3_bind_double(st, i + 1, v.toDouble());
                break;
            default: {
                const QByteArray t = v.toString().toUtf8();
                sqlite3_bind_text(st, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
        }
    }
    return st;
}

int Bare::fetch(const char* sql, const QVariantList& params) {
    sqlite3_stmt* st = prepare(sql, params);
    int rows = 0;
    const int columns = sqlite3_column_count(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER:
                    touched_ += quint64(sqlite3_column_int64(st, c));
                    break;
                case SQLITE_FLOAT:
                    touched_ += quint64(sqlite3_column_double(st, c));
                    break;
                case SQLITE_TEXT:
                    touched_ +=
                        quint64(sqlite3_column_bytes(st, c)) + quint64(*sqlite3_column_text(st, c));
                    break;
                default:
                    break;
            }
        }
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) fail(db_, sql);
    return rows;
}

void Bare::exec(const char* sql, const QVariantList& params) {
    sqlite3_stmt* st = prepare(sql, params);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) fail(db_, sql);
}

double Bare::scalar(const char* sql, const QVariantList& params) {
    sqlite3_stmt* st = prepare(sql, params);
    const double v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_double(st, 0) : 0;
    sqlite3_reset(st);
    return v;
}

qint64 Bare::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

}  // namespace bench
