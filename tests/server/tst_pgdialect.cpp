// Every statement the program sends (the fuzz corpus, collected from the running program) that
// the file engine prepares over the program's tables is one the server prepares as well, in its
// dialect, over the same tables made by the program's own creation statements.

#include "data/database.h"
#include "data/jetsql.h"
#include "data/pgtextkey.h"
#include "data/schema.h"
#include "pgtestserver.h"

#include <QDir>
#include <QTest>

#include <sqlite3.h>

using namespace kl;

namespace {

struct Book {
    QString schema;  // on the server
    QStringList creation;
    Database file;   // the same tables in memory
    std::map<QString, std::vector<jet::Column>> columns;

    const std::vector<jet::Column>* lookup(const QString& table) {
        const QString name = table.toLower();
        auto it = columns.find(name);
        if (it != columns.end()) return &it->second;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(name).toUtf8();
        if (sqlite3_prepare_v2(file.handle(), sql.constData(), -1, &st, nullptr) != SQLITE_OK)
            return nullptr;
        std::vector<jet::Column> cols;
        while (sqlite3_step(st) == SQLITE_ROW)
            cols.push_back(jet::columnFromDeclared(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)))));
        sqlite3_finalize(st);
        if (cols.empty()) return nullptr;
        return &(columns[name] = std::move(cols));
    }
};

}  // namespace

class TestPgDialect : public QObject {
    Q_OBJECT
    PgConnection c_;
    std::vector<std::unique_ptr<Book>> books_;

  private slots:
    void initTestCase() {
        c_ = PgConnection::connect(test::testServer());
        const std::pair<const char*, QStringList> kinds[] = {
            {"kl_proba_tvrtke", schema::masterTables() + schema::masterIndexes()},
            {"kl_proba_skladiste", schema::warehouseTables() + schema::warehouseIndexes()},
            {"kl_proba_proizvodnja", schema::productionTables() + schema::productionIndexes()}};
        for (const auto& [name, creation] : kinds) {
            auto b = std::make_unique<Book>();
            b->schema = QString::fromLatin1(name);
            b->creation = creation;
            b->file = Database::openInMemory();
            for (const QString& sql : creation) b->file.execute(sql);
            c_.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1")
                        .arg(b->schema));
            c_.exec(pg::keyFunctionSql(b->schema));
            books_.push_back(std::move(b));
        }
    }
    void cleanupTestCase() {
        for (const auto& b : books_)
            c_.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(b->schema));
    }

    // The program's own creation statements run on the server.
    void tablesAreMade() {
        for (const auto& b : books_) {
            Book* book = b.get();
            const jet::SchemaLookup lookup = [book](const QString&, const QString& t) {
                return book->lookup(t);
            };
            for (const QString& sql : book->creation) {
                const jet::Translation t =
                    jet::translate(sql, lookup, book->schema, jet::Dialect::Postgres);
                QVERIFY2(t.bindSlots.empty(), qPrintable(sql));
                try {
                    c_.exec(t.sql);
                } catch (const DbError& e) {
                    QFAIL(qPrintable(sql + QLatin1String("\n") + t.sql + QLatin1String("\n") +
                                     e.description()));
                }
            }
        }
    }

    void everyStatementPrepares() {
        const QDir corpus(QStringLiteral(KL_SQL_CORPUS));
        const QStringList files = corpus.entryList(QDir::Files);
        QVERIFY(files.size() > 100);
        int checked = 0;
        for (const QString& f : files) {
            QFile file(corpus.filePath(f));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString sql = QString::fromUtf8(file.readAll());
            for (const auto& b : books_) {
                Book* book = b.get();
                const jet::SchemaLookup lookup = [book](const QString&, const QString& t) {
                    return book->lookup(t);
                };
                jet::Translation lite;
                try {
                    lite = jet::translate(sql, lookup);
                } catch (const jet::SqlError&) {
                    break;  // a statement the program refuses anyway
                }
                if (lite.changesSchema) break;
                // Only what the file engine prepares over this book's tables.
                sqlite3_stmt* st = nullptr;
                const QByteArray liteSql = jet::render(lite, 0).toUtf8();
                const int rc =
                    sqlite3_prepare_v2(book->file.handle(), liteSql.constData(), -1, &st, nullptr);
                sqlite3_finalize(st);
                if (rc != SQLITE_OK) continue;
                const jet::Translation t = jet::translate(sql, lookup, {}, jet::Dialect::Postgres);
                for (const quint64 mask : {quint64(0), ~quint64(0)}) {
                    const QString server = jet::numberedPlaceholders(jet::render(t, mask));
                    try {
                        c_.exec(QStringLiteral("SET search_path = %1, pg_catalog").arg(book->schema));
                        c_.exec(QStringLiteral("PREPARE kl_p AS ") + server);
                        c_.exec(QStringLiteral("DEALLOCATE kl_p"));
                    } catch (const DbError& e) {
                        QFAIL(qPrintable(sql + QLatin1String("\n") + server + QLatin1String("\n") +
                                         e.description()));
                    }
                }
                ++checked;
                break;
            }
        }
        qInfo("%d statements prepared on the server", checked);
        QVERIFY(checked > 100);
    }
};

QTEST_GUILESS_MAIN(TestPgDialect)
#include "tst_pgdialect.moc"
