#include "shell/books.h"

#include "data/appcontext.h"
#include "data/database.h"

#include <QFile>
#include <QFileInfo>

namespace kl {

namespace {

Database openMaster() {
    return Database::open(context().masterPath());
}

// The program's own table of made book files; no window shows it. Made when first needed, so a
// register from before it works as it is.
const QString kMadeFiles = QStringLiteral("kl_knjigedatoteke");

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
    Database db = openMaster();
    Recordset rs = db.openRecordset(
        QStringLiteral("select *  from otvoreneknjige where idtvrtke like  ?"), {companyIdText});
    QList<BookRow> books;
    books.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        books.append({rs.text(QStringLiteral("id")), rs.text(QStringLiteral("nazivknjige")),
                      rs.text(QStringLiteral("vrstaknjige")), rs.text(QStringLiteral("adresa"))});
    }
    return books;
}

QString insertBook(const QString& companyIdText, const QString& name, const QString& kind,
                   const QString& address) {
    Database db = openMaster();
    db.execute(QStringLiteral("insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)"
                              "values(?,?,?,?)"),
               {companyIdText, name, kind, address});
    return QString::number(db.lastInsertId());
}

void updateBook(const QString& id, const QString& name, const QString& address) {
    Database db = openMaster();
    Transaction t(db);
    db.execute(QStringLiteral("update otvoreneknjige set nazivknjige=?where cstr(id)=?"),
               {name, id});
    db.execute(QStringLiteral("update otvoreneknjige set adresa=?where cstr(id)=?"), {address, id});
    t.commit();
}

void recordBookFileMade(const QString& fileName) {
    Database db = openMaster();
    Transaction t(db);
    if (!db.hasTable(kMadeFiles))
        db.execute(QStringLiteral("create table ") + kMadeFiles +
                   QStringLiteral(" (datoteka string(30))"));
    forgetBookFiles(db, {fileName});
    db.execute(QStringLiteral("insert into ") + kMadeFiles + QStringLiteral("(datoteka)values(?)"),
               {fileName});
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
    Database db = openMaster();
    StagedFileRemoval files;
    {
        Transaction t(db);
        db.execute(QStringLiteral("delete from otvoreneknjige where cstr(id) like ?"), {id});
        const QString file = bookFileName(kind.trimmed(), id.trimmed());
        forgetBookFiles(db, {file.mid(1)});
        files.stage(context().bookPath(file));
        t.commit();
    }
    files.finish();
}

// ---- StagedFileRemoval -----------------------------------------------------------------------

StagedFileRemoval::~StagedFileRemoval() {
    restore();
}

void StagedFileRemoval::stage(const QString& path) {
    for (const QString& file : {path, path + QStringLiteral("-journal")}) {
        if (!QFileInfo::exists(file)) continue;
        QString staged = file + QStringLiteral(".brisanje");
        for (int n = 2; QFileInfo::exists(staged); ++n)
            staged = file + QStringLiteral(".brisanje") + QString::number(n);
        if (!QFile::rename(file, staged)) {
            throw DbError(DbErrorCode::ReadOnly,
                          QStringLiteral("Datoteku %1 nije moguće obrisati (nema prava pisanja "
                                         "ili je datoteka u upotrebi). Ništa nije obrisano.")
                              .arg(QFileInfo(file).fileName()));
        }
        moved_.append({file, staged});
    }
}

void StagedFileRemoval::restore() {
    // Back in reverse order, so a journal returns after its database.
    for (auto it = moved_.crbegin(); it != moved_.crend(); ++it)
        QFile::rename(it->staged, it->original);
    moved_.clear();
}

void StagedFileRemoval::finish() {
    for (const Moved& m : std::as_const(moved_))
        QFile::remove(m.staged);
    moved_.clear();
}

}  // namespace kl
