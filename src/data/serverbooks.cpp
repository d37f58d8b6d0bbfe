#include "data/serverbooks.h"

#include "data/database.h"
#include "data/pgtextkey.h"
#include "data/schema.h"

#include <QSet>

#include <map>

namespace kl::server {
namespace {

QStringList creation(const QString& kind) {
    if (kind == kRegisterKind)
        return schema::masterTables() + schema::masterSeedRows() + schema::masterIndexes();
    if (kind == QLatin1String("Proizvodnja"))
        return schema::productionTables() + schema::productionIndexes();
    return schema::warehouseTables() + schema::warehouseSeedRows() + schema::warehouseIndexes();
}

// The tables and columns the creation statements make, read from a database in memory.
std::map<QString, std::vector<jet::Column>> referenceTables(const QString& kind) {
    Database db = Database::openInMemory();
    for (const QString& sql : creation(kind))
        db.execute(sql);
    std::map<QString, std::vector<jet::Column>> out;
    for (const QString& t : db.tableNames())
        out[t.toLower()] = db.columns(t);
    return out;
}

bool sameColumns(const std::vector<jet::Column>& a, const std::vector<jet::Column>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name.compare(b[i].name, Qt::CaseInsensitive) != 0 || a[i].type != b[i].type ||
            a[i].length != b[i].length)
            return false;
    return true;
}

}  // namespace

QString bookSchema(const QString& kind, int bookId) {
    return QStringLiteral("%1_%2").arg(kind.toLower()).arg(bookId);
}

QString registerSchema(int companyId) {
    return QStringLiteral("tvrtka_%1").arg(companyId);
}

void createSchema(const ServerAddress& address, const QString& schema, const QString& kind,
                  const QString& password) {
    // All on one connection in one transaction: a kill at any moment leaves no schema at all.
    Database db = Database::openServer(address, schema, password);
    PgConnection* c = db.serverConnection();
    Transaction t(db);
    // The program's own name (bookSchema), quoted all the same; fails when it exists.
    c->exec(QStringLiteral("CREATE SCHEMA %1").arg(quotedName(schema)));
    c->exec(pg::keyFunctionSql(schema));
    for (const QString& sql : creation(kind))
        db.execute(sql);  // into the schema: it is the connection's search path
    db.setUserVersion(schema::kVersion);
    t.commit();
}

void createSchemaUnlessThere(const BookLocation& book) {
    if (bookExists(book)) return;
    try {
        createSchema(book.address(), book.schema(), book.kind(), serverPassword(book.address()));
    } catch (const DbError&) {
        if (!bookExists(book)) throw;
    }
}

void dropSchema(Database& db, const QString& schema) {
    db.serverConnection()->exec(
        QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(quotedName(schema)));
}

QString foreignObjects(Database& db, const QString& kind) {
    PgConnection* c = db.serverConnection();
    const QString schema = db.serverSchema();
    if (!c) return QStringLiteral("baza nije na poslužitelju");
    // Anything that could run when the schema is read or written: views, functions, triggers,
    // rules; and tables that are not the program's.
    const PgResult views = c->exec(
        QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = $1 "
                       "AND table_type <> 'BASE TABLE'"),
        {schema});
    if (views.rows() > 0) return QStringLiteral("pogled %1").arg(views.text(0, 0));
    const PgResult functions =
        c->exec(QStringLiteral("SELECT p.proname FROM pg_proc p JOIN pg_namespace n ON n.oid = "
                               "p.pronamespace WHERE n.nspname = $1 AND p.proname <> 'kl_key'"),
                {schema});
    if (functions.rows() > 0) return QStringLiteral("funkcija %1").arg(functions.text(0, 0));
    const PgResult key = c->exec(
        QStringLiteral("SELECT p.prosrc, pg_get_function_identity_arguments(p.oid), "
                       "p.prorettype::regtype::text, l.lanname, p.provolatile FROM pg_proc p "
                       "JOIN pg_namespace n ON n.oid = p.pronamespace JOIN pg_language l ON "
                       "l.oid = p.prolang WHERE n.nspname = $1 AND p.proname = 'kl_key'"),
        {schema});
    if (key.rows() != 1 || key.text(0, 0) != pg::keyFunctionBody() ||
        key.text(0, 1) != QLatin1String("text") || key.text(0, 2) != QLatin1String("text") ||
        key.text(0, 3) != QLatin1String("sql") || key.text(0, 4) != QLatin1String("i"))
        return QStringLiteral("funkcija kl_key nije programova");
    const PgResult triggers = c->exec(
        QStringLiteral("SELECT t.tgname FROM pg_trigger t JOIN pg_class r ON r.oid = t.tgrelid "
                       "JOIN pg_namespace n ON n.oid = r.relnamespace WHERE n.nspname = $1 AND "
                       "NOT t.tgisinternal"),
        {schema});
    if (triggers.rows() > 0) return QStringLiteral("okidač %1").arg(triggers.text(0, 0));
    const PgResult rules =
        c->exec(QStringLiteral("SELECT rulename FROM pg_rules WHERE schemaname = $1"), {schema});
    if (rules.rows() > 0) return QStringLiteral("pravilo %1").arg(rules.text(0, 0));
    if (!db.hasTable(QStringLiteral("kl_verzija"))) return QStringLiteral("nema inačice sheme");
    if (db.userVersion() > schema::kVersion)
        return QStringLiteral("shemu je napravila novija inačica programa (%1)")
            .arg(db.userVersion());

    const auto reference = referenceTables(kind);
    QSet<QString> seen;
    for (const QString& table : db.tableNames()) {
        const QString name = table.toLower();
        seen.insert(name);
        auto it = reference.find(name);
        if (it == reference.end()) {
            if (name.startsWith(QLatin1String("kl_"))) continue;  // the program's later tables
            return QStringLiteral("tablica %1").arg(table);
        }
        if (!sameColumns(db.columns(table), it->second))
            return QStringLiteral("stupci tablice %1").arg(table);
    }
    for (const auto& [name, columns] : reference)
        if (!seen.contains(name)) return QStringLiteral("nedostaje tablica %1").arg(name);
    return {};
}

Database openBook(const ServerAddress& address, const QString& schema, const QString& kind,
                  const QString& password) {
    Database db = Database::openServer(address, schema, password);
    const QString problem = foreignObjects(db, kind);
    if (!problem.isEmpty())
        throw DbError(DbErrorCode::ForeignSchema,
                      QStringLiteral("Shema %1 na poslužitelju %2:%3 nije knjiga ovog programa: "
                                     "%4. Ništa u njoj nije mijenjano.")
                          .arg(schema, address.host)
                          .arg(address.port)
                          .arg(problem));
    return db;
}

}  // namespace kl::server
