#include "data/schema.h"

#include "data/appcontext.h"
#include "data/database.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>

namespace kl::schema {

namespace {

// The width of the account columns: 20 characters at first, an IBAN's 34 since version 2.
QString accountWidth(int version) {
    return version >= 2 ? QStringLiteral("34") : QStringLiteral("20");
}

}  // namespace

QStringList masterTables(int version) {
    QStringList tables = {
        QStringLiteral("create table svetvrtke") +
            QStringLiteral(
                "(id autoincrement,ime string(30),mb string(13)null,sifradj string(10)null,"
                "to string(1)null,ziroracun string(%1)null,posta string(6)null,"
                "mjesto string(20)null,ulica string(30)null,telefon string(20)null,"
                "kontakt string(30)null)")
                .arg(accountWidth(version)),
        QStringLiteral("create table dodajknjige") +
            QStringLiteral("(id autoincrement,Nazivvrste string(30))"),
        QStringLiteral("create table otvoreneknjige") +
            QStringLiteral("(id autoincrement,idtvrtke string(5),nazivknjige string(30),"
                           "vrstaknjige string(30),adresa string(30))"),
    };
    if (version >= 2)
        tables << QStringLiteral("create table kl_oibtvrtke (idtvrtke long, oib string(11))");
    return tables;
}

QStringList masterSeedRows() {
    return {
        QStringLiteral("insert into dodajknjige") + QStringLiteral("(nazivvrste)values") +
            QStringLiteral("('Skladiste')"),
        QStringLiteral("insert into dodajknjige") + QStringLiteral("(nazivvrste)values") +
            QStringLiteral("('Proizvodnja')"),
    };
}

QStringList warehouseTables(int version) {
    QStringList tables = {
        QStringLiteral("create table kd") +
            QStringLiteral("(id autoincrement,kd string(1),ime string(30),mb string(13)null,"
                           "ziroracun string(%1)null,mjesto string(20)null,ulica string(30)null,"
                           "telefon string(20)null,kontakt string(30)null)")
                .arg(accountWidth(version)),
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
    if (version >= 2)
        tables << QStringLiteral("create table kl_oibpartnera (idkd long, oib string(11))")
               // Received e-invoices: each one posted (its full number), what the clerk chose
               // for a supplier's item, the document type chosen per supplier.
               << QStringLiteral(
                      "create table kl_eracuni (idpi long, idkd long, broj string(200), "
                      "datum date, datoteka string(255) null)")
               << QStringLiteral(
                      "create table kl_eracunartikli (idkd long, kljuc string(220), "
                      "idartikla long)")
               << QStringLiteral(
                      "create table kl_eracundobavljaci (idkd long, dokument string(20))")
               // Reversals: the reversed document's header, its reversal's and the note.
               << QStringLiteral(
                      "create table kl_storna (idpi long, idstorna long, napomena string(40))");
    if (version >= 3)
        tables  // Stock-takings: each one (its number, date, whether closed, the documents of
                // its differences and their note) and its articles (book figures at the date,
                // the counted quantity).
            << QStringLiteral(
                   "create table kl_inventure (id autoincrement, broj long, datum date, "
                   "zatvorena long, brojizdatnice long, brojprimke long, "
                   "napomena string(60) null)")
            << QStringLiteral(
                   "create table kl_inventurestavke (id autoincrement, idinventure long, "
                   "idartikla long, knjizno single, proscijena currency, popisano single "
                   "null)");
    if (version >= 4)
        tables  // Stock points: the figures of every article after the lines before `granica`
                // (the latest day among them, what the book held then, to know it unchanged)
                // and those figures, packed a few thousand articles to a row, from which the
                // stock at a later day is replayed.
            << QStringLiteral(
                   "create table kl_tockezaliha (id autoincrement, granica long, dan long, "
                   "redaka long, zadnjezaglavlje long, zaglavlja long, proizvodnja long, "
                   "zadnjiartikl long)")
            << QStringLiteral(
                   "create table kl_tockezalihastavke (idtocke long, redni long, stavke memo)");
    return tables;
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

QStringList masterIndexes(int version) {
    QStringList indexes = {
        QStringLiteral("create index ix_otvoreneknjige_idtvrtke on otvoreneknjige (idtvrtke)")};
    if (version >= 2)
        indexes << QStringLiteral("create unique index kl_ix_oibtvrtke on kl_oibtvrtke (idtvrtke)");
    return indexes;
}

QStringList warehouseIndexes(int version) {
    QStringList indexes = {
        QStringLiteral("create index ix_ulazizlaz_idartikla on ulazizlaz (idartikla)"),
        QStringLiteral("create index ix_ulazizlaz_idpi on ulazizlaz (idpi)"),
        QStringLiteral("create index ix_pi_pi on pi (pi, brojpi)"),
        QStringLiteral("create index ix_pi_datumpi on pi (datumpi)"),
        QStringLiteral("create index ix_artikli_sifra on artikli (sifra)"),
        QStringLiteral("create index ix_artikli_naziv on artikli (naziv)"),
        QStringLiteral("create index ix_kd_ime on kd (ime)"),
    };
    if (version >= 2)
        indexes << QStringLiteral("create unique index kl_ix_oibpartnera on kl_oibpartnera (idkd)")
                << QStringLiteral("create index kl_ix_eracuni on kl_eracuni (idkd, broj)")
                << QStringLiteral(
                       "create unique index kl_ix_eracunartikli on kl_eracunartikli (idkd, kljuc)")
                << QStringLiteral(
                       "create unique index kl_ix_eracundobavljaci on kl_eracundobavljaci (idkd)")
                << QStringLiteral("create unique index kl_ix_storna on kl_storna (idpi)")
                << QStringLiteral(
                       "create unique index kl_ix_storna_storno on kl_storna (idstorna)");
    if (version >= 3)
        indexes << QStringLiteral(
            "create index kl_ix_inventurestavke on kl_inventurestavke (idinventure)");
    if (version >= 4)
        indexes << QStringLiteral(
            "create index kl_ix_tockezalihastavke on kl_tockezalihastavke (idtocke)");
    return indexes;
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

const OnDemandTable* onDemandTable(const QString& table) {
    // The transfers between a company's warehouse books, each side recorded in its own book.
    static const OnDemandTable transfers{
        QStringLiteral("kl_medjuskladisnice"),
        QStringLiteral("create table kl_medjuskladisnice (idpi long, idknjige long, idpidrugi "
                       "long, brojpidrugi long, napomena string(80))"),
        QStringLiteral("kl_ix_medjuskladisnice"),
        QStringLiteral("create unique index kl_ix_medjuskladisnice on kl_medjuskladisnice (idpi)")};
    return table.compare(transfers.name, Qt::CaseInsensitive) == 0 ? &transfers : nullptr;
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

enum class FileKind { None, Master, Warehouse, Production };

FileKind kindOf(const QString& fileName) {
    static const QRegularExpression warehouse(QStringLiteral("^Skladiste\\d+\\.mdb$"));
    static const QRegularExpression production(QStringLiteral("^Proizvodnja\\d+\\.mdb$"));
    if (fileName == kMasterFileName) return FileKind::Master;
    if (warehouse.match(fileName).hasMatch()) return FileKind::Warehouse;
    if (production.match(fileName).hasMatch()) return FileKind::Production;
    return FileKind::None;
}

struct Statements {
    QStringList tables, seedRows, indexes;
};

Statements statementsOf(FileKind kind, int version) {
    switch (kind) {
        case FileKind::Master:
            return {masterTables(version), masterSeedRows(), masterIndexes(version)};
        case FileKind::Warehouse:
            return {warehouseTables(version), warehouseSeedRows(), warehouseIndexes(version)};
        case FileKind::Production:
            return {productionTables(), {}, productionIndexes()};
        case FileKind::None:
            break;
    }
    return {};
}

// The objects a file of that name and schema version must hold; null for a name that is none of
// the program's databases or a version it does not know.
const SchemaObjects* expectedObjects(const QString& fileName, int version) {
    const FileKind kind = kindOf(fileName);
    if (version == 0) version = kVersion;
    if (kind == FileKind::None || version < 1 || version > kVersion) return nullptr;
    static std::mutex lock;
    static std::map<std::pair<FileKind, int>, SchemaObjects> made;
    const std::lock_guard<std::mutex> guard(lock);
    auto it = made.find({kind, version});
    if (it == made.end()) {
        const Statements s = statementsOf(kind, version);
        it = made.emplace(std::pair(kind, version), reference(s.tables + s.seedRows + s.indexes))
                 .first;
    }
    return &it->second;
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

QString foreignObjects(sqlite3* db, const QString& dbSchema, const QString& fileName, int version,
                       int* rc) {
    *rc = SQLITE_OK;
    const SchemaObjects* expected = expectedObjects(fileName, version);
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

bool isSchemaFile(const QString& fileName) {
    return kindOf(fileName) != FileKind::None;
}

// ---- Upgrading a file of an earlier version ----------------------------------------------------

namespace {

// One statement straight on SQLite, past the program's dialect (the renames and copies of an
// upgrade, which the dialect has no form for), with its values bound.
void runRaw(Database& db, const QString& sql, const QVariantList& params = {}) {
    sqlite3_stmt* st = nullptr;
    const QByteArray q = sql.toUtf8();
    int rc = sqlite3_prepare_v2(db.handle(), q.constData(), int(q.size()), &st, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < params.size(); ++i) {
        const QVariant& v = params[i];
        if (v.typeId() == QMetaType::LongLong) {
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
        } else {
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        }
    }
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    sqlite3_finalize(st);
    db.check(rc);
}

QString tableOf(const QString& statement) {
    static const QRegularExpression create(QStringLiteral("^create table (\\w+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return create.match(statement).captured(1).toLower();
}

QStringList indexesOn(const QStringList& indexes, const QString& table) {
    static const QRegularExpression on(QStringLiteral(" on (\\w+) \\("),
                                       QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (const QString& index : indexes)
        if (on.match(index).captured(1).compare(table, Qt::CaseInsensitive) == 0) found << index;
    return found;
}

}  // namespace

bool upgrade(Database& db, const QString& fileName) {
    const FileKind kind = kindOf(fileName);
    const int from = db.userVersion();
    if (kind == FileKind::None || from < 1 || from >= kVersion) return false;
    const Statements was = statementsOf(kind, from);
    const Statements now = statementsOf(kind, kVersion);
    int step = 0;
    const auto done = [&step] {
        if (testing::upgradeStepHook) testing::upgradeStepHook(++step);
    };

    Transaction tx(db);
    QStringList indexesMade;
    for (const QString& create : now.tables) {
        const QString table = tableOf(create);
        const auto old = std::find_if(was.tables.cbegin(), was.tables.cend(),
                                      [&](const QString& s) { return tableOf(s) == table; });
        if (old == was.tables.cend()) {  // a table the earlier version did not have
            db.execute(create);
            done();
            continue;
        }
        if (*old == create) continue;
        // A table of another form: its rows move into the table made anew, ids and counter
        // kept; its indexes go with the old table and are made again on the new one.
        const QString aside = QStringLiteral("kl_stara_") + table;
        const qint64 counter = db.idCounter(table);
        runRaw(db, QStringLiteral("ALTER TABLE \"%1\" RENAME TO \"%2\"").arg(table, aside));
        done();
        db.execute(create);
        done();
        runRaw(db, QStringLiteral("INSERT INTO \"%1\" SELECT * FROM \"%2\"").arg(table, aside));
        done();
        runRaw(db, QStringLiteral("DROP TABLE \"%1\"").arg(aside));
        done();
        for (const QString& index : indexesOn(now.indexes, table)) {
            db.execute(index);
            indexesMade << index;
            done();
        }
        // The copy raised the counter at most to the highest id; it goes back to where it was.
        if (counter > 0) {
            db.setIdCounter(table, counter);
            done();
        }
    }
    for (const QString& index : now.indexes) {
        if (was.indexes.contains(index) || indexesMade.contains(index)) continue;
        db.execute(index);
        done();
    }
    db.setUserVersion(kVersion);
    done();
    tx.commit();
    return true;
}

}  // namespace kl::schema
