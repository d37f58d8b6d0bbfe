#include "testenv.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/fileops.h"
#include "data/schema.h"

#include <QDir>
#include <QDirIterator>

#include <sqlite3.h>

namespace kl::test {

TempProgramFolder::TempProgramFolder() : previousFolder_(context().programFolder) {
    if (!dir_.isValid()) qFatal("cannot create a temporary program folder");
    context().programFolder = dir_.path();
    context().reset();
    // The tests make statements fail on purpose with triggers; the tests of crafted files
    // turn this off again.
    allowTriggersForTesting(true);
}

TempProgramFolder::~TempProgramFolder() {
    context().programFolder = previousFolder_;
    context().reset();
}

void createMaster() {
    schema::ensureMasterDatabase(context().masterPath());
}

int addCompany(const QString& name) {
    createMaster();
    Database db = Database::open(context().masterPath());
    db.execute(
        QStringLiteral("insert into svetvrtke(ime,mb,sifradj,to,ziroracun,posta,mjesto,ulica,"
                       "telefon,kontakt)values(?,'-','-','T','-','-','-','-','-','-')"),
        {name});
    return int(db.lastInsertId());
}

int addBook(int companyId, const QString& name, const QString& kind, const QString& address) {
    createMaster();
    Database db = Database::open(context().masterPath());
    db.execute(QStringLiteral("insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)"
                              "values(?,?,?,?)"),
               {QString::number(companyId), name, kind, address});
    const int id = int(db.lastInsertId());
    schema::ensureBookDatabase(bookPath(kind, id), kind);
    return id;
}

QString bookPath(const QString& kind, int id) {
    return context().bookPath(bookFileName(kind, QString::number(id)));
}

QString newWarehouseBook() {
    const int company = addCompany(QStringLiteral("Alfa"));
    return bookPath(kWarehouseKind, addBook(company, QStringLiteral("Glavno"), kWarehouseKind));
}

QString enterNewWarehouseBook() {
    const int book = addBook(addCompany(QStringLiteral("Alfa")), "Glavno", kWarehouseKind);
    context().currentBookFile = bookFileName(kWarehouseKind, QString::number(book));
    context().currentBookType = kWarehouseKind;
    return context().bookPath(context().currentBookFile);
}

int addArticle(const QString& path, const QString& code, const QString& name, double stock,
               double value, double average, const QString& unit, double minimum,
               const QString& barcode) {
    Database db = Database::open(path);
    db.execute(QStringLiteral("insert into artikli(sifra,barkod,naziv,jedmjere,minkolicina,stanje,"
                              "vrijednost,proscijena)values(?,?,?,?,?,?,?,?)"),
               {code, barcode, name, unit, minimum, stock, value, average});
    return int(db.lastInsertId());
}

int addPartner(const QString& path, const QString& kind, const QString& name) {
    Database db = Database::open(path);
    db.execute(QStringLiteral("insert into kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)"
                              "values(?,?,'-','-','-','-','-','-')"),
               {kind, name});
    return int(db.lastInsertId());
}

int addDocumentType(const QString& path, const QString& name) {
    Database db = Database::open(path);
    db.execute(QStringLiteral("insert into dokumenti(dokument)values(?)"), {name});
    return int(db.lastInsertId());
}

int rowCount(const QString& path, const QString& table) {
    Database db = Database::open(path);
    return db.openRecordset(QStringLiteral("select * from ") + table).recordCount();
}

bool executeRaw(const QString& path, const QString& sql) {
    allowTriggersForTesting(true);
    return sqlite3_exec(Database::open(path).handle(), sql.toUtf8().constData(), nullptr, nullptr,
                        nullptr) == SQLITE_OK;
}

QStringList folderSnapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries << QDir(folder).relativeFilePath(path) + QLatin1Char(' ') + fileSha256(path);
    }
    entries.sort();
    return entries;
}

int errorOf(const std::function<void()>& f, QString* description) {
    try {
        f();
    } catch (const DbError& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}

}  // namespace kl::test
