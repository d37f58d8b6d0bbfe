#include "shell/books.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/fileops.h"
#include "data/schema.h"
#include "data/serverbooks.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

#include <algorithm>
#include <set>

namespace kl {

namespace {

Database openMaster() {
    return Database::open(context().masterPath());
}

// The chosen company's list of books: its rows of the register in the program folder, or the
// register schema of a company on a server.
Database openBookList() {
    return Database::openBook(context().companyRegister());
}

// The program's own table of made book files; no window shows it. Made when first needed, so a
// register from before it works as it is.
const QString kMadeFiles = QStringLiteral("kl_knjigedatoteke");

const QString kStagedSuffix = QStringLiteral(".brisanje");

// The names StagedFileRemoval gives: a book file or its journal, then ".brisanje". Group "book"
// is the book file's name, group "name" the name before staging.
const QRegularExpression& stagedPattern() {
    static const QRegularExpression re(
        QStringLiteral("^(?<name>(?<book>(?:Skladiste|Proizvodnja)[1-9][0-9]{0,14}\\.mdb)"
                       "(?:-journal)?)\\.brisanje$"));
    return re;
}

// The temporary names of a database being made (Database::create): the register or a book file,
// ".nova-" and the maker's process id, or the journal of such a file. Group 1 is the process id.
const QRegularExpression& creationPattern() {
    static const QRegularExpression re(QStringLiteral(
        "^(?:tvrtke|(?:Skladiste|Proizvodnja)[1-9][0-9]{0,14})\\.mdb\\.nova-([0-9]{1,10})"
        "(?:-journal)?$"));
    return re;
}

QString fileNameOf(const QString& bookFile) {
    return QFileInfo(context().bookPath(bookFile)).fileName();
}

// The plain files (no symbolic links) of the program folder whose names match `re`.
QStringList folderFilesMatching(const QRegularExpression& re) {
    QStringList names;
    const QDir folder(context().programFolder);
    for (const QString& name :
         folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks))
        if (re.match(name).hasMatch() &&
            isInsideFolder(context().programFolder, folder.filePath(name)))
            names << name;
    return names;
}

// The book file names ("Skladiste7.mdb") of every well-formed row of the register.
std::set<QString> registeredBookFiles(Database& master) {
    std::set<QString> files;
    Recordset rs =
        master.openRecordset(QStringLiteral("select id,vrstaknjige from otvoreneknjige"));
    for (; !rs.eof(); rs.moveNext()) {
        const QString kind = rs.text(QStringLiteral("vrstaknjige")).trimmed();
        const QString id = rs.text(QStringLiteral("id")).trimmed();
        if (isBookRow(kind, id)) files.insert(fileNameOf(bookFileName(kind, id)));
    }
    return files;
}

void removeUnfinishedCreations() {
    const QDir folder(context().programFolder);
    for (const QString& name : folderFilesMatching(creationPattern())) {
        // Only one copy of the program runs on the folder: a maker that is not this process is
        // gone.
        if (creationPattern().match(name).captured(1).toLongLong() == ::getpid()) continue;
        removeDurably(folder.filePath(name));
    }
}

}  // namespace

QStringList loadBookKinds() {
    Database db = openMaster();
    Recordset rs =
        db.openRecordset(QStringLiteral("select * from dodajknjige order by nazivvrste asc"));
    QStringList kinds;
    for (; !rs.eof(); rs.moveNext())
        kinds.append(rs.text(QStringLiteral("nazivvrste")));
    return kinds;
}

QList<BookRow> loadBooks(const QString& companyIdText) {
    Database db = openBookList();
    Recordset rs =
        db.openRecordset(QStringLiteral("select *  from otvoreneknjige where idtvrtke like  ?"),
                         {context().bookRowsOf(companyIdText)});
    QList<BookRow> books;
    books.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        books.append({rs.text(QStringLiteral("id")), rs.text(QStringLiteral("nazivknjige")),
                      rs.text(QStringLiteral("vrstaknjige")), rs.text(QStringLiteral("adresa"))});
    }
    return books;
}

namespace {

// On a server the books' schemas are named by kind and number in the whole database, where
// other companies may keep books too: a new book takes the first number above every book schema
// there and above the register's own ids, and claims it by making its schema, which fails when a
// clerk of any company made that one first (the next number is then tried). Only then is its row
// written; a kill in between leaves an empty schema and a number not used.
QString insertServerBook(Database& db, const QString& companyIdText, const QString& name,
                         const QString& kind, const QString& address) {
    PgConnection* c = db.serverConnection();
    for (int attempt = 0; attempt < 20; ++attempt) {
        const qint64 highest =
            c->exec(QStringLiteral("SELECT coalesce(max(substring(nspname from '_([0-9]+)$')::"
                                   "bigint), 0) FROM pg_namespace WHERE nspname ~ "
                                   "'^(skladiste|proizvodnja)_[0-9]+$'"))
                .integer(0, 0);
        const qint64 id = std::max(highest, db.idCounter(QStringLiteral("otvoreneknjige"))) + 1;
        const BookLocation book = context().bookLocation(bookFileName(kind, QString::number(id)));
        try {
            server::createSchema(book.address(), book.schema(), book.kind(),
                                 serverPassword(book.address()));
        } catch (const DbError&) {
            if (bookExists(book)) continue;
            throw;
        }
        runWrite(db, {db.serverSchema()}, [&] {
            db.execute(QStringLiteral("insert into otvoreneknjige(id,idtvrtke,nazivknjige,"
                                      "vrstaknjige,adresa)values(?,?,?,?,?)"),
                       {id, companyIdText, name, kind, address});
            if (db.idCounter(QStringLiteral("otvoreneknjige")) < id)
                db.setIdCounter(QStringLiteral("otvoreneknjige"), id);
        });
        return QString::number(id);
    }
    throw DbError(DbErrorCode::ServerError,
                  QStringLiteral("Nova knjiga nije upisana: drugi referenti upravo upisuju "
                                 "knjige. Pokušajte ponovo."));
}

}  // namespace

QString insertBook(const QString& companyIdText, const QString& name, const QString& kind,
                   const QString& address) {
    Database db = openBookList();
    if (db.onServer()) return insertServerBook(db, companyIdText, name, kind, address);
    db.execute(QStringLiteral("insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)"
                              "values(?,?,?,?)"),
               {companyIdText, name, kind, address});
    return QString::number(db.lastInsertId());
}

void updateBook(const QString& id, const QString& name, const QString& address) {
    Database db = openBookList();
    Transaction t(db);
    db.execute(QStringLiteral("update otvoreneknjige set nazivknjige=?where cstr(id)=?"),
               {name, id});
    db.execute(QStringLiteral("update otvoreneknjige set adresa=?where cstr(id)=?"), {address, id});
    t.commit();
}

bool prepareBookFile(const QString& bookFile, const QString& kind) {
    const BookLocation book = context().checkedBookLocation(bookFile);
    if (book.onServer()) {
        server::createSchemaUnlessThere(book);
        return true;
    }
    const QString path = context().checkedBookPath(bookFile);
    const QString fileName = QFileInfo(path).fileName();
    if (!QFileInfo::exists(path) && bookFileWasMade(fileName)) return false;
    if (schema::ensureBookDatabase(path, kind)) recordBookFileMade(fileName);
    return true;
}

void recordBookFileMade(const QString& fileName) {
    Database db = openMaster();
    Transaction t(db);
    recordBookFilesMade(db, {fileName});
    t.commit();
}

void recordBookFilesMade(Database& master, const QStringList& fileNames) {
    Transaction t(master);
    if (!master.hasTable(kMadeFiles))
        master.execute(QStringLiteral("create table ") + kMadeFiles +
                       QStringLiteral(" (datoteka string(30))"));
    forgetBookFiles(master, fileNames);
    for (const QString& name : fileNames)
        master.execute(
            QStringLiteral("insert into ") + kMadeFiles + QStringLiteral("(datoteka)values(?)"),
            {name});
    t.commit();
}

bool bookFileWasMade(const QString& fileName) {
    Database db = openMaster();
    return db.hasTable(kMadeFiles) &&
           !db.openRecordset(QStringLiteral("select datoteka from ") + kMadeFiles +
                                 QStringLiteral(" where datoteka=?"),
                             {fileName})
                .eof();
}

void forgetBookFiles(Database& master, const QStringList& fileNames) {
    if (!master.hasTable(kMadeFiles)) return;
    for (const QString& name : fileNames)
        master.execute(
            QStringLiteral("delete from ") + kMadeFiles + QStringLiteral(" where datoteka=?"),
            {name});
}

void deleteBook(const QString& id, const QString& kind) {
    const QString file = checkedBookFileName(kind.trimmed(), id.trimmed());
    const BookLocation book = context().checkedBookLocation(file);
    if (book.onServer()) {
        // The row and the book's schema go in one transaction of the server.
        Database db = openBookList();
        if (bookExists(book)) Database::openBook(book).close();  // checked to be ours first
        runWrite(db, {db.serverSchema(), book.schema()}, [&] {
            db.execute(QStringLiteral("delete from otvoreneknjige where cstr(id) like ?"),
                       {id.trimmed()});
            server::dropSchema(db, book.schema());
        });
        return;
    }
    Database db = openMaster();
    StagedFileRemoval files;
    {
        Transaction t(db);
        db.execute(QStringLiteral("delete from otvoreneknjige where cstr(id) like ?"),
                   {id.trimmed()});
        forgetBookFiles(db, {fileNameOf(file)});
        files.stage(file);
        t.commit();
    }
    files.finish();
}

QStringList finishInterruptedRemovals() {
    QStringList notes;
    try {
        removeUnfinishedCreations();
    } catch (const DbError&) {
        // Left for the next start; a leftover temporary file harms nothing.
    }
    const QStringList staged = folderFilesMatching(stagedPattern());
    if (staged.isEmpty()) return notes;
    std::set<QString> registered;
    try {
        Database master = openMaster();
        registered = registeredBookFiles(master);
    } catch (const DbError&) {
        return notes;  // without the register nothing is decided
    }
    const QDir folder(context().programFolder);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (const QString& name : staged) {
        const QRegularExpressionMatch m = stagedPattern().match(name);
        const QString path = folder.filePath(name);
        const QString original = folder.filePath(m.captured(u"name"));
        try {
            if (!registered.count(m.captured(u"book"))) {
                removeDurably(path);
            } else if (!renameNoReplace(path, original)) {
                const QString kept = original + QStringLiteral(".sacuvano-") + stamp;
                if (renameNoReplace(path, kept))
                    notes << QStringLiteral(
                                 "Brisanje datoteke %1 prekinuto je pri prošlom radu "
                                 "programa, a pod njenim imenom sada postoji druga "
                                 "datoteka. Obje su sačuvane: premještena datoteka "
                                 "je %2. Provjerite koja je ispravna.")
                                 .arg(m.captured(u"name"), QFileInfo(kept).fileName());
            }
        } catch (const DbError&) {
            // Left for the next start.
        }
    }
    return notes;
}

// ---- StagedFileRemoval -----------------------------------------------------------------------

StagedFileRemoval::~StagedFileRemoval() {
    restore();
}

void StagedFileRemoval::stage(const QString& bookFile) {
    const QString path = context().checkedBookPath(bookFile);
    const QString journal = context().checkedBookPath(bookFile + QStringLiteral("-journal"));
    for (const QString& file : {path, journal}) {
        if (!QFileInfo::exists(file)) continue;
        const QString staged = file + kStagedSuffix;
        if (!QFileInfo(file).isFile() || !renameNoReplace(file, staged)) {
            throw DbError(DbErrorCode::ReadOnly,
                          QStringLiteral("Datoteku %1 nije moguće obrisati (nije obična datoteka, "
                                         "nema prava pisanja ili je u upotrebi). Ništa nije "
                                         "obrisano.")
                              .arg(QFileInfo(file).fileName()));
        }
        moved_.append({file, staged});
    }
}

void StagedFileRemoval::restore() {
    // Back in reverse order, so a journal returns after its database. What cannot go back now
    // is put back at the next start.
    for (auto it = moved_.crbegin(); it != moved_.crend(); ++it) {
        try {
            renameNoReplace(it->staged, it->original);
        } catch (const DbError&) {
        }
    }
    moved_.clear();
}

void StagedFileRemoval::finish() {
    // A staged file that cannot be removed now is removed at the next start.
    for (const Moved& m : std::as_const(moved_)) {
        try {
            removeDurably(m.staged);
        } catch (const DbError&) {
        }
    }
    moved_.clear();
}

}  // namespace kl
