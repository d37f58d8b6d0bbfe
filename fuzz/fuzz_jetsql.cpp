// Fuzz target of the dialect translator: the input is one statement as a window would write it.
//
// It is translated against the tables of all three kinds of database (master, warehouse and
// production book in one in-memory database, a warehouse book attached as "skl" for the
// schema-qualified form) and rendered with every site in its general and in its fast form. A
// statement the translator refuses (SqlError) is a fine outcome; anything else must hold:
//  - no crash, hang or sanitizer report;
//  - the slots and sites are consistent: parameters numbered 0..params-1 in bind order, every
//    site naming an existing slot;
//  - when SQLite prepares the rendered SQL, it is exactly one statement and it has exactly one
//    parameter per slot (otherwise the engine would bind values to the wrong places).
// That SQLite refuses a rendered statement is not a fault by itself (random text translates into
// random SQL). With KL_FUZZ_REPORT=1 every refused statement is printed, which is how the seed
// corpus (the program's real statements) is checked: ./fuzz_jetsql corpus/jetsql/*

#include "data/jetfunctions.h"
#include "data/jetsql.h"
#include "data/schema.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

using kl::jet::Column;

[[noreturn]] void fault(const char* what, const QString& sql, const QString& detail = {}) {
    std::fprintf(stderr, "FAULT: %s\n  statement: %s\n  %s\n", what, qPrintable(sql),
                 qPrintable(detail));
    std::abort();
}

class Books {
  public:
    Books() {
        if (sqlite3_open(":memory:", &db_) != SQLITE_OK || kl::registerJetFunctions(db_) != 0 ||
            sqlite3_exec(db_, "ATTACH DATABASE ':memory:' AS \"skl\"", nullptr, nullptr, nullptr) !=
                SQLITE_OK)
            fault("cannot set up the in-memory database", {});
        namespace s = kl::schema;
        for (const QString& sql : s::masterTables() + s::masterIndexes() + s::warehouseTables() +
                                      s::warehouseIndexes() + s::productionTables() +
                                      s::productionIndexes())
            create(sql, {});
        for (const QString& sql : s::warehouseTables() + s::warehouseIndexes())
            create(sql, QStringLiteral("skl"));
    }
    ~Books() { sqlite3_close(db_); }

    sqlite3* db() const { return db_; }

    // The columns of a table as the engine reads them: from the declared types SQLite reports.
    // Only the tables that exist are kept, so that random names do not pile up.
    const std::vector<Column>* columns(const QString& schema, const QString& table) {
        const QString key = schema.toLower() + QLatin1Char('.') + table.toLower();
        auto it = columns_.find(key);
        if (it == columns_.end()) {
            std::vector<Column> cols;
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db_, "SELECT name, type FROM pragma_table_info(?1, ?2)", -1, &st,
                                   nullptr) == SQLITE_OK) {
                const QByteArray t = table.toUtf8();
                const QByteArray s = (schema.isEmpty() ? QStringLiteral("main") : schema).toUtf8();
                sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(st, 2, s.constData(), int(s.size()), SQLITE_TRANSIENT);
                while (sqlite3_step(st) == SQLITE_ROW) {
                    cols.push_back(kl::jet::columnFromDeclared(
                        QString::fromUtf8(
                            reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                        QString::fromUtf8(
                            reinterpret_cast<const char*>(sqlite3_column_text(st, 1)))));
                }
            }
            sqlite3_finalize(st);
            if (cols.empty()) return nullptr;
            it = columns_.emplace(key, std::move(cols)).first;
        }
        return &it->second;
    }

  private:
    void create(const QString& sql, const QString& schema) {
        const auto t = kl::jet::translate(sql, nullptr, schema);
        if (!t.bindSlots.empty()) fault("schema statement with values", sql);
        if (sqlite3_exec(db_, kl::jet::render(t, 0).toUtf8().constData(), nullptr, nullptr,
                         nullptr) != SQLITE_OK)
            fault("schema statement refused", sql, QString::fromUtf8(sqlite3_errmsg(db_)));
    }

    sqlite3* db_ = nullptr;
    std::map<QString, std::vector<Column>> columns_;
};

Books& books() {
    static Books b;
    return b;
}

bool reportMode() {
    static const bool on = qEnvironmentVariableIntValue("KL_FUZZ_REPORT") == 1;
    return on;
}

void checkSlots(const kl::jet::Translation& t, const QString& sql) {
    int nextParam = 0;
    for (const kl::jet::Slot& s : t.bindSlots) {
        if (s.param < 0) continue;
        if (s.param != nextParam++) fault("parameters out of bind order", sql);
    }
    if (nextParam != t.params) fault("parameter count differs from its slots", sql);
    for (const kl::jet::Site& site : t.sites)
        if (site.slot < 0 || size_t(site.slot) >= t.bindSlots.size())
            fault("site without its slot", sql);
}

void checkPrepared(const kl::jet::Translation& t, const QString& sql, const QString& rendered) {
    const QByteArray utf8 = rendered.toUtf8();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(books().db(), utf8.constData(), int(utf8.size()), &st, &tail);
    if (rc != SQLITE_OK) {
        if (reportMode())
            std::fprintf(stderr, "refused: %s\n  as: %s\n  because: %s\n", qPrintable(sql),
                         utf8.constData(), sqlite3_errmsg(books().db()));
        return;
    }
    const int params = st ? sqlite3_bind_parameter_count(st) : 0;
    sqlite3_finalize(st);
    const QByteArray rest = QByteArray(tail).trimmed();
    if (!rest.isEmpty() && rest != ";")
        fault("more than one statement reaches SQLite", sql, rendered);
    if (params != int(t.bindSlots.size()))
        fault("SQLite parameters differ from the slots", sql,
              QStringLiteral("%1 parameters, %2 slots: %3")
                  .arg(params)
                  .arg(t.bindSlots.size())
                  .arg(rendered));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Books& b = books();
    const kl::jet::SchemaLookup lookup = [&b](const QString& schema, const QString& table) {
        return b.columns(schema, table);
    };
    for (const QString& schema : {QString(), QStringLiteral("skl")}) {
        kl::jet::Translation t;
        try {
            t = kl::jet::translate(sql, lookup, schema);
        } catch (const kl::jet::SqlError&) {
            continue;
        }
        checkSlots(t, sql);
        // Only prepared, never run: a create or drop leaves the tables as they are.
        checkPrepared(t, sql, kl::jet::render(t, 0));
        if (!t.sites.empty()) checkPrepared(t, sql, kl::jet::render(t, ~quint64(0)));
        // The server's dialect of the same statement: translated and rendered without a fault
        // (no server here to prepare it; its slots are the file's).
        try {
            const kl::jet::Translation pg =
                kl::jet::translate(sql, lookup, schema, kl::jet::Dialect::Postgres);
            checkSlots(pg, sql);
            kl::jet::numberedPlaceholders(kl::jet::render(pg, 0));
            kl::jet::numberedPlaceholders(kl::jet::render(pg, ~quint64(0)));
        } catch (const kl::jet::SqlError&) {
        }
    }
    return 0;
}
