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

void deleteBook(const QString& id, const QString& kind) {
    Database db = openMaster();
    StagedFileRemoval files;
    {
        Transaction t(db);
        db.execute(QStringLiteral("delete from otvoreneknjige where cstr(id) like ?"), {id});
        files.stage(context().bookPath(bookFileName(kind.trimmed(), id.trimmed())));
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
