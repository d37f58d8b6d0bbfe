#include "bare.h"

#include "data/collation.h"
#include "data/jetfunctions.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QHash>

#include <algorithm>
#include <charconv>
#include <numeric>
#include <string_view>

#include <stdexcept>

namespace bench {

namespace {

[[noreturn]] void fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

}  // namespace

Bare::Bare(const QString& path) {
    // Opened as the program opens its books: a connection of one thread, without SQLite's mutex
    // around every call.
    if (sqlite3_open_v2(path.toUtf8().constData(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
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

void Bare::readAsLongReports() {
    if (sqlite3_exec(db_, "PRAGMA cache_size=-65536; PRAGMA mmap_size=268435456", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        fail(db_, "pragma");
}

qint64 Bare::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

std::vector<int> sortFloor(const std::vector<QString>& texts) {
    QHash<QString, int> seen;
    std::vector<const QString*> distinct;
    std::vector<int> textOf(texts.size());
    for (size_t r = 0; r < texts.size(); ++r) {
        auto it = seen.constFind(texts[r]);
        if (it == seen.cend()) {
            it = seen.insert(texts[r], int(distinct.size()));
            distinct.push_back(&texts[r]);
        }
        textOf[r] = *it;
    }
    std::vector<int> byText(distinct.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::sort(byText.begin(), byText.end(), [&](int a, int b) {
        return kl::compareText(*distinct[size_t(a)], *distinct[size_t(b)]) < 0;
    });
    std::vector<int> rank(distinct.size());
    for (size_t i = 0; i < byText.size(); ++i)
        rank[size_t(byText[i])] = int(i);
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return rank[size_t(textOf[size_t(a)])] < rank[size_t(textOf[size_t(b)])];
    });
    return order;
}

namespace {

void padded(std::string& out, std::string_view text, size_t width, bool right) {
    if (text.size() > width && !right) text = text.substr(0, width);
    if (right)
        for (size_t i = text.size(); i < width; ++i)
            out += ' ';
    out += text;
    if (!right)
        for (size_t i = text.size(); i < width; ++i)
            out += ' ';
}

void date(std::string& out, int d, int m, int y) {
    if (y == 0) {
        out.append(10, ' ');
        return;
    }
    char b[10] = {char('0' + d / 10),   char('0' + d % 10),       '.',
                  char('0' + m / 10),   char('0' + m % 10),       '.',
                  char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10),
                  char('0' + y % 10)};
    out.append(b, 10);
}

void figure(std::string& out, double v) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, 2);
    for (char* p = b; p < r.ptr; ++p)
        if (*p == '.') *p = ',';
    padded(out, std::string_view(b, size_t(r.ptr - b)), 10, true);
}

}  // namespace

size_t journalTextFloor(const std::vector<PlainJournalLine>& lines, std::string& out) {
    out.clear();
    out.reserve(lines.size() * 132);
    for (const PlainJournalLine& l : lines) {
        date(out, l.day, l.month, l.year);
        out += ' ';
        padded(out, l.name, 23, false);
        out += ' ';
        out += l.receipt ? 'P' : 'I';
        out += ' ';
        padded(out, l.receipt ? l.document : std::string(), 15, false);
        out += ' ';
        padded(out, l.receipt ? l.number : std::string(), 10, true);
        out += ' ';
        if (l.receipt)
            date(out, l.docDay, l.docMonth, l.docYear);
        else
            out.append(10, ' ');
        const double amount = l.quantity * l.price;
        out += ' ';
        if (l.receipt)
            figure(out, l.quantity);
        else
            out.append(10, ' ');
        out += ' ';
        if (l.receipt)
            out.append(10, ' ');
        else
            figure(out, l.quantity);
        out += ' ';
        figure(out, l.price);
        out += ' ';
        if (l.receipt) {
            figure(out, amount);
        } else {
            out.append(10, ' ');
            out += ' ';
            figure(out, amount);
        }
        out += "\r\n";
    }
    return out.size();
}

}  // namespace bench
