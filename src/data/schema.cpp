#include "data/schema.h"

#include "data/appcontext.h"
#include "data/database.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <map>

namespace kl::schema {

QStringList masterTables() {
    return {
        QStringLiteral("create table svetvrtke") +
            QStringLiteral(
                "(id autoincrement,ime string(30),mb string(13)null,sifradj string(10)null,"
                "to string(1)null,ziroracun string(20)null,posta string(6)null,"
                "mjesto string(20)null,ulica string(30)null,telefon string(20)null,"
                "kontakt string(30)null)"),
        QStringLiteral("create table dodajknjige") +
            QStringLiteral("(id autoincrement,Nazivvrste string(30))"),
        QStringLiteral("create table otvoreneknjige") +
            QStringLiteral("(id autoincrement,idtvrtke string(5),nazivknjige string(30),"
                           "vrstaknjige string(30),adresa string(30))"),
    };
}

QStringList masterSeedRows() {
    return {
        QStringLiteral("insert into dodajknjige") + QStringLiteral("(nazivvrste)values") +
            QStringLiteral("('Skladiste')"),
        QStringLiteral("insert into dodajknjige") + QStringLiteral("(nazivvrste)values") +
            QStringLiteral("('Proizvodnja')"),
    };
}

QStringList warehouseTables() {
    return {
        QStringLiteral("create table kd") +
            QStringLiteral("(id autoincrement,kd string(1),ime string(30),mb string(13)null,"
                           "ziroracun string(20)null,mjesto string(20)null,ulica string(30)null,"
                           "telefon string(20)null,kontakt string(30)null)"),
        QStringLiteral("create table artikli") +
            QStringLiteral(
                "(id autoincrement,sifra string(10),barkod string(13)null,naziv string(30),"
                "jedmjere string(5)null,minkolicina single,stanje single,"
                "vrijednost currency,proscijena currency)"),
        QStringLiteral("create table ulazizlaz") +
            QStringLiteral("(id autoincrement,idartikla string(30),idpi long,idkd long,"
                           "kolicina single,cijena currency)"),
        QStringLiteral("create table pi") +
            QStringLiteral("(id autoincrement,pi string(1),brojpi long,datumpi date,"
                           "dokument string(30)null,brojdok string(20)null,datumdok date null,"
                           "idkd long)"),
        QStringLiteral("create table dokumenti") +
            QStringLiteral("(id autoincrement,dokument string(20))"),
    };
}

QStringList warehouseSeedRows() {
    return {QStringLiteral("insert into kd") +
            QStringLiteral("(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)values") +
            QStringLiteral("('k','Proizvodnja','','','','','','')")};
}

QStringList productionTables() {
    return {
        QStringLiteral("create table proizvodi") +
            QStringLiteral(
                "(id autoincrement,sifra string(10),barkod string(13)null,naziv string(30),"
                "jedmjere string(5)null)"),
        QStringLiteral("create table sastojci") +
            QStringLiteral("(id autoincrement,idartikla string(6),idproizvoda string(6),"
                           "idskladista string(4),kolicina single,cijena currency)"),
        QStringLiteral("create table radninalozi") +
            QStringLiteral("(id autoincrement,brojrn long,datumotv date,datumzatv date,"
                           "idproizvoda string(6),kolicinaproizvoda single,trosakmat single,"
                           "trosakrada single,trosakusluga single null,ostali1 single null,"
                           "ostali2 single null,ostali3 single null)"),
        QStringLiteral("create table troskovi") +
            QStringLiteral("(id autoincrement,idrn string(7),Nazivskladista string(20),"
                           "izdatnicabr string(7),iznos single)"),
    };
}

QStringList masterIndexes() {
    return {QStringLiteral("create index ix_otvoreneknjige_idtvrtke on otvoreneknjige (idtvrtke)")};
}

QStringList warehouseIndexes() {
    return {
        QStringLiteral("create index ix_ulazizlaz_idartikla on ulazizlaz (idartikla)"),
        QStringLiteral("create index ix_ulazizlaz_idpi on ulazizlaz (idpi)"),
        QStringLiteral("create index ix_pi_pi on pi (pi, brojpi)"),
        QStringLiteral("create index ix_pi_datumpi on pi (datumpi)"),
        QStringLiteral("create index ix_artikli_sifra on artikli (sifra)"),
        QStringLiteral("create index ix_artikli_naziv on artikli (naziv)"),
        QStringLiteral("create index ix_kd_ime on kd (ime)"),
    };
}

QStringList productionIndexes() {
    return {
        QStringLiteral("create index ix_sastojci_idproizvoda on sastojci (idproizvoda)"),
        QStringLiteral("create index ix_radninalozi_idproizvoda on radninalozi (idproizvoda)"),
        QStringLiteral("create index ix_radninalozi_brojrn on radninalozi (brojrn)"),
        QStringLiteral("create index ix_troskovi_idrn on troskovi (idrn)"),
        QStringLiteral("create index ix_proizvodi_naziv on proizvodi (naziv)"),
    };
}

namespace {

// Runs the creation statements in one transaction that also stamps the schema version.
void build(Database& db, const QStringList& statements) {
    Transaction tx(db);
    for (const QString& sql : statements)
        db.execute(sql);
    db.setUserVersion(kVersion);
    tx.commit();
}

bool ensure(const QString& path, const QStringList& statements) {
    Database db;
    try {
        db = Database::create(path);
    } catch (const DbError& e) {
        if (e.number() != DbErrorCode::DatabaseExists) throw;
        db = Database::open(path);
        // Ours, but its creation never completed (a crash right after the file was made): it is
        // created now, as on a first start.
        if (db.userVersion() != 0) return false;
    }
    build(db, statements);
    return true;
}

}  // namespace

bool ensureMasterDatabase(const QString& path) {
    return ensure(path, masterTables() + masterSeedRows() + masterIndexes());
}

bool ensureBookDatabase(const QString& path, const QString& kind) {
    if (kind == kProductionKind) return ensure(path, productionTables() + productionIndexes());
    return ensure(path, warehouseTables() + warehouseSeedRows() + warehouseIndexes());
}

namespace {

struct SchemaObject {
    QString type;
    QString table;
    QString sql;
};
// By lower-case name.
using SchemaObjects = std::map<QString, SchemaObject>;

QString text(sqlite3_stmt* st, int column) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return t ? QString::fromUtf8(t) : QString();
}

SchemaObjects readObjects(sqlite3* db, const QString& dbSchema, int* rc) {
    SchemaObjects objects;
    const QByteArray q = QStringLiteral("SELECT type,name,tbl_name,sql FROM \"%1\".sqlite_master")
                             .arg(QString(dbSchema).remove(QLatin1Char('"')))
                             .toUtf8();
    sqlite3_stmt* st = nullptr;
    *rc = sqlite3_prepare_v2(db, q.constData(), int(q.size()), &st, nullptr);
    while (*rc == SQLITE_OK && (*rc = sqlite3_step(st)) == SQLITE_ROW) {
        objects[text(st, 1).toLower()] = {text(st, 0), text(st, 2), text(st, 3)};
        *rc = SQLITE_OK;
    }
    if (*rc == SQLITE_DONE) *rc = SQLITE_OK;
    sqlite3_finalize(st);
    return objects;
}

// The objects the creation statements make, read back from a database in memory.
SchemaObjects reference(const QStringList& statements) {
    Database db = Database::openInMemory();
    build(db, statements);
    int rc = SQLITE_OK;
    return readObjects(db.handle(), QStringLiteral("main"), &rc);
}

const SchemaObjects* expectedObjects(const QString& fileName) {
    static const QRegularExpression warehouse(QStringLiteral("^Skladiste\\d+\\.mdb$"));
    static const QRegularExpression production(QStringLiteral("^Proizvodnja\\d+\\.mdb$"));
    if (fileName == kMasterFileName) {
        static const SchemaObjects master =
            reference(masterTables() + masterSeedRows() + masterIndexes());
        return &master;
    }
    if (warehouse.match(fileName).hasMatch()) {
        static const SchemaObjects book =
            reference(warehouseTables() + warehouseSeedRows() + warehouseIndexes());
        return &book;
    }
    if (production.match(fileName).hasMatch()) {
        static const SchemaObjects book = reference(productionTables() + productionIndexes());
        return &book;
    }
    return nullptr;
}

QString typeName(const QString& type) {
    if (type == QLatin1String("table")) return QStringLiteral("tablica");
    if (type == QLatin1String("index")) return QStringLiteral("indeks");
    if (type == QLatin1String("view")) return QStringLiteral("pogled");
    if (type == QLatin1String("trigger")) return QStringLiteral("okidač");
    return type;
}

// SQLite's own tables, made as the database is used (autoincrement, statistics).
bool isEngineObject(const QString& name, const SchemaObject& o, const SchemaObjects& all) {
    static const std::map<QString, QString> tables = {
        {QStringLiteral("sqlite_sequence"),
         QStringLiteral("CREATE TABLE sqlite_sequence(name,seq)")},
        {QStringLiteral("sqlite_stat1"), QStringLiteral("CREATE TABLE sqlite_stat1(tbl,idx,stat)")},
        {QStringLiteral("sqlite_stat4"),
         QStringLiteral("CREATE TABLE sqlite_stat4(tbl,idx,neq,nlt,ndlt,sample)")},
    };
    if (const auto it = tables.find(name); it != tables.end())
        return o.type == QLatin1String("table") && o.sql == it->second;
    return name.startsWith(QLatin1String("sqlite_autoindex_")) &&
           o.type == QLatin1String("index") && o.sql.isEmpty() && all.count(o.table.toLower());
}

// A later table or index of the program: named kl_..., and only a plain table or index.
bool isLaterAddition(const QString& name, const SchemaObject& o) {
    if (!name.startsWith(QLatin1String("kl_"))) return false;
    if (o.type == QLatin1String("table"))
        return o.sql.startsWith(QLatin1String("CREATE TABLE "), Qt::CaseInsensitive);
    if (o.type == QLatin1String("index"))
        return o.sql.startsWith(QLatin1String("CREATE INDEX "), Qt::CaseInsensitive) ||
               o.sql.startsWith(QLatin1String("CREATE UNIQUE INDEX "), Qt::CaseInsensitive);
    return false;
}

}  // namespace

QString foreignObjects(sqlite3* db, const QString& dbSchema, const QString& fileName, int* rc) {
    *rc = SQLITE_OK;
    const SchemaObjects* expected = expectedObjects(fileName);
    if (!expected) return QString();
    const SchemaObjects found = readObjects(db, dbSchema, rc);
    if (*rc != SQLITE_OK) return QString();
    QStringList problems;
    for (const auto& [name, o] : found) {
        const auto it = expected->find(name);
        if (it != expected->end()) {
            const SchemaObject& e = it->second;
            if (o.type != e.type || o.sql != e.sql || o.table.compare(e.table, Qt::CaseInsensitive))
                problems << QStringLiteral("%1 \"%2\" nije u obliku u kojem ga program stvara")
                                .arg(typeName(o.type), name);
            continue;
        }
        if (isEngineObject(name, o, found) || isLaterAddition(name, o)) continue;
        if (o.type == QLatin1String("trigger") && triggersAllowedForTesting()) continue;
        problems
            << QStringLiteral("%1 \"%2\" nije dio baze ovog programa").arg(typeName(o.type), name);
    }
    if (problems.size() > 3)
        return problems.mid(0, 3).join(QStringLiteral("; ")) +
               QStringLiteral(" (i još %1)").arg(problems.size() - 3);
    return problems.join(QStringLiteral("; "));
}

}  // namespace kl::schema
