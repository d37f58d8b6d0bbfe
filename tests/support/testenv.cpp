#include "testenv.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/fileops.h"
#include "data/schema.h"
#include "data/serverbooks.h"
#include "pgtestserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>

#include <sqlite3.h>

namespace kl::test {

TempProgramFolder::TempProgramFolder() : previousFolder_(context().programFolder) {
    if (!dir_.isValid()) qFatal("cannot create a temporary program folder");
    context().programFolder = dir_.path();
    context().reset();
    // The tests make statements fail on purpose with triggers; the tests of crafted files
    // turn this off again.
    allowTriggersForTesting(true);
    if (!booksOnServer()) return;
    const ServerAddress server = testBooksServer();
    PgConnection c = PgConnection::connect(server);
    const PgResult left =
        c.exec(QStringLiteral("SELECT nspname FROM pg_namespace WHERE nspname ~ "
                              "'^(skladiste|proizvodnja|tvrtka)_[0-9]+$'"));
    for (int r = 0; r < left.rows(); ++r)
        c.exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(quotedName(left.text(r, 0))));
    context().companyServer = server;
    // One register schema for every company of a test, as the program folder's register holds
    // them all: a book is found by its id whichever company made it.
    context().companyRegisterSchema = server::registerSchema(1);
}

TempProgramFolder::~TempProgramFolder() {
    context().programFolder = previousFolder_;
    context().reset();
}

bool booksOnServer() {
    static const bool server = qEnvironmentVariable("KL_TEST_BOOKS") == QLatin1String("server");
    return server;
}

ServerAddress testBooksServer() {
    static const ServerAddress books = [] {
        ServerAddress a = testServer();
        // Suites run side by side: each executable has a database of its own, by its name.
        const QString name =
            QStringLiteral("kl_") + QCoreApplication::applicationName().toLower().remove(
                                        QRegularExpression(QStringLiteral("[^a-z0-9_]")));
        PgConnection c = PgConnection::connect(a);
        c.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(quotedName(name)));
        c.exec(QStringLiteral("CREATE DATABASE %1").arg(quotedName(name)));
        a.database = name;
        return a;
    }();
    return books;
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
    if (!booksOnServer()) {
        schema::ensureBookDatabase(bookPath(kind, id), kind);
        return id;
    }
    const BookLocation book = bookAt(kind, id);
    server::createSchema(book.address(), book.schema(), kind);
    const BookLocation list = context().companyRegister();
    server::createSchemaUnlessThere(list);
    Database::openBook(list).execute(
        QStringLiteral("insert into otvoreneknjige(id,idtvrtke,nazivknjige,vrstaknjige,adresa)"
                       "values(?,?,?,?,?)"),
        {id, QString::number(companyId), name, kind, address});
    return id;
}

QString bookPath(const QString& kind, int id) {
    return context().bookPath(bookFileName(kind, QString::number(id)));
}

BookLocation bookAt(const QString& kind, int id) {
    return context().bookLocation(bookFileName(kind, QString::number(id)));
}

BookLocation newWarehouseBook() {
    const int company = addCompany(QStringLiteral("Alfa"));
    return bookAt(kWarehouseKind, addBook(company, QStringLiteral("Glavno"), kWarehouseKind));
}

BookLocation enterNewWarehouseBook() {
    const int book = addBook(addCompany(QStringLiteral("Alfa")), "Glavno", kWarehouseKind);
    context().currentBookFile = bookFileName(kWarehouseKind, QString::number(book));
    context().currentBookType = kWarehouseKind;
    return context().currentBook();
}

int addArticle(const BookLocation& book, const QString& code, const QString& name, double stock,
               double value, double average, const QString& unit, double minimum,
               const QString& barcode) {
    Database db = Database::openBook(book);
    db.execute(QStringLiteral("insert into artikli(sifra,barkod,naziv,jedmjere,minkolicina,stanje,"
                              "vrijednost,proscijena)values(?,?,?,?,?,?,?,?)"),
               {code, barcode, name, unit, minimum, stock, value, average});
    return int(db.lastInsertId());
}

int addPartner(const BookLocation& book, const QString& kind, const QString& name) {
    Database db = Database::openBook(book);
    db.execute(QStringLiteral("insert into kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)"
                              "values(?,?,'-','-','-','-','-','-')"),
               {kind, name});
    return int(db.lastInsertId());
}

int addDocumentType(const BookLocation& book, const QString& name) {
    Database db = Database::openBook(book);
    db.execute(QStringLiteral("insert into dokumenti(dokument)values(?)"), {name});
    return int(db.lastInsertId());
}

int rowCount(const BookLocation& book, const QString& table) {
    Database db = Database::openBook(book);
    return db.openRecordset(QStringLiteral("select * from ") + table).recordCount();
}

namespace {

// The server's form of a trigger that makes a statement fail: a function of the schema raising
// the error when the condition (if any) holds, run for each row.
QStringList serverStatements(const QString& sql, const QString& schema) {
    static const QRegularExpression trigger(
        QStringLiteral("^\\s*create trigger (\\w+) (before|after) (insert|update|delete) on "
                       "(\\w+)(?: when (.*))? begin select raise\\(abort, '([^']*)'\\); end\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = trigger.match(sql);
    if (!m.hasMatch()) return {sql};
    const QString function = quotedName(schema) + '.' + m.captured(1);
    return {
        QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SET search_path "
                       "= %2 AS $f$ BEGIN IF %3 THEN RAISE EXCEPTION '%4'; END IF; RETURN "
                       "CASE TG_OP WHEN 'DELETE' THEN OLD ELSE NEW END; END $f$")
            .arg(function, quotedName(schema),
                 m.captured(5).isEmpty() ? QStringLiteral("true") : m.captured(5), m.captured(6)),
        QStringLiteral("CREATE TRIGGER %1 %2 %3 ON %4 FOR EACH ROW EXECUTE FUNCTION %5()")
            .arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4), function)};
}

}  // namespace

bool executeRaw(const BookLocation& book, const QString& sql) {
    allowTriggersForTesting(true);
    if (!book.onServer())
        return sqlite3_exec(Database::open(book.filePath()).handle(), sql.toUtf8().constData(),
                            nullptr, nullptr, nullptr) == SQLITE_OK;
    try {
        Database db = Database::openBook(book);
        for (const QString& statement : serverStatements(sql, book.schema()))
            db.serverConnection()->exec(statement);
        return true;
    } catch (const DbError& e) {
        qWarning("%s", qPrintable(e.description()));
        return false;
    }
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
