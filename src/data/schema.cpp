#include "data/schema.h"

#include "data/appcontext.h"
#include "data/database.h"

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

}  // namespace kl::schema
