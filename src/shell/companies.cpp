#include "shell/companies.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/database.h"
#include "shell/books.h"

#include <QFileInfo>
#include <QHash>

namespace kl {

namespace {

Database openMaster() {
    return Database::open(context().masterPath());
}

void storeCompanyOib(Database& db, const QString& id, const QString& oib) {
    db.execute(QStringLiteral("delete from kl_oibtvrtke where cstr(idtvrtke)=?"), {id});
    if (!oib.trimmed().isEmpty())
        db.execute(QStringLiteral("insert into kl_oibtvrtke(idtvrtke,oib)values(?,?)"),
                   {id, oib.trimmed()});
}

}  // namespace

const std::array<QString, 10>& companyColumns() {
    static const std::array<QString, 10> columns = {
        QStringLiteral("ime"),    QStringLiteral("mb"),        QStringLiteral("sifradj"),
        QStringLiteral("to"),     QStringLiteral("ziroracun"), QStringLiteral("posta"),
        QStringLiteral("mjesto"), QStringLiteral("ulica"),     QStringLiteral("telefon"),
        QStringLiteral("kontakt")};
    return columns;
}

QString storedField(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? QStringLiteral("-") : trimmed;
}

QList<CompanyRow> loadCompanies() {
    Database db = openMaster();
    QHash<QString, QString> oibs;
    Recordset o = db.openRecordset(QStringLiteral("select idtvrtke,oib from kl_oibtvrtke"));
    for (; !o.eof(); o.moveNext())
        oibs.insert(o.text(QStringLiteral("idtvrtke")), o.text(QStringLiteral("oib")));
    Recordset rs = db.openRecordset(QStringLiteral("select * from svetvrtke order by ime asc"));
    QList<CompanyRow> rows;
    rows.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        CompanyRow row;
        row.id = rs.text(QStringLiteral("id"));
        for (size_t i = 0; i < row.fields.size(); ++i)
            row.fields[i] = rs.text(companyColumns()[i]);
        row.oib = oibs.value(row.id);
        rows.append(row);
    }
    return rows;
}

QString insertCompany(const CompanyFields& fields, const QString& oib,
                      const std::optional<CompanyServer>& server) {
    QVariantList values;
    for (const QString& f : fields)
        values.append(storedField(f));
    Database db = openMaster();
    Transaction t(db);
    db.execute(QStringLiteral("insert into svetvrtke(ime,mb,sifradj,to,ziroracun,posta,mjesto,"
                              "ulica,telefon,kontakt)values(?,?,?,?,?,?,?,?,?,?)"),
               values);
    const QString id = QString::number(db.lastInsertId());
    storeCompanyOib(db, id, oib);
    if (server) setCompanyServer(db, id, server);
    t.commit();
    return id;
}

namespace {

void updateCompanyIn(Database& db, const QString& id, const CompanyFields& fields,
                     const QString& oib) {
    for (size_t i = 0; i < fields.size(); ++i) {
        db.execute(QStringLiteral("update svetvrtke set ") + companyColumns()[i] +
                       QStringLiteral("=?where cstr(id)=?"),
                   {storedField(fields[i]), id});
    }
    storeCompanyOib(db, id, oib);
}

}  // namespace

void updateCompany(const QString& id, const CompanyFields& fields, const QString& oib) {
    Database db = openMaster();
    Transaction t(db);
    updateCompanyIn(db, id, fields, oib);
    t.commit();
}

void updateCompany(const QString& id, const CompanyFields& fields, const QString& oib,
                   const std::optional<CompanyServer>& server) {
    const std::optional<CompanyServer> stored = companyServer(id);
    Database db = openMaster();
    Transaction t(db);
    if (stored && !server)
        throw DbError(DbErrorCode::Generic,
                      QStringLiteral("Knjige tvrtke su na poslužitelju; izmjenom podataka tvrtke "
                                     "ne premještaju se u mapu programa."));
    if (!stored && server &&
        !db.openRecordset(QStringLiteral("select id from otvoreneknjige where idtvrtke like ?"),
                          {id})
             .eof())
        throw DbError(DbErrorCode::Generic,
                      QStringLiteral("Tvrtka već ima knjige u mapi programa; izmjenom podataka "
                                     "tvrtke ne premještaju se na poslužitelj."));
    if (server) setCompanyServer(db, id, server);
    updateCompanyIn(db, id, fields, oib);
    t.commit();
}

bool companyHasLocalBooks(const QString& id) {
    Database db = openMaster();
    return !db.openRecordset(QStringLiteral("select id from otvoreneknjige where idtvrtke like ?"),
                             {id})
                .eof();
}

void deleteCompany(const QString& id) {
    Database db = openMaster();
    StagedFileRemoval files;
    {
        Transaction t(db);
        // Every book row is checked before any file is touched: one row that names no book file
        // of ours refuses the whole removal.
        QStringList bookFiles;
        Recordset books = db.openRecordset(
            QStringLiteral("select *  from otvoreneknjige where idtvrtke like  ?"), {id});
        for (; !books.eof(); books.moveNext())
            bookFiles << checkedBookFileName(books.text(QStringLiteral("vrstaknjige")).trimmed(),
                                             books.text(QStringLiteral("id")).trimmed());
        db.execute(QStringLiteral("delete from svetvrtke where cstr(id)=?"), {id});
        storeCompanyOib(db, id, QString());
        for (const QString& file : std::as_const(bookFiles)) {
            forgetBookFiles(db, {QFileInfo(context().bookPath(file)).fileName()});
            files.stage(file);
        }
        db.execute(QStringLiteral("delete from otvoreneknjige where idtvrtke like ?"), {id});
        // A company on a server leaves the register here; its books stay on the server.
        setCompanyServer(db, id, std::nullopt);
        t.commit();
    }
    files.finish();
}

int companySheetWidth() {
    // The most characters each field of the company entry takes, in CompanyFields order.
    static constexpr int limits[10] = {30, 13, 10, 1, 34, 6, 20, 30, 15, 15};
    CompanyRow widest;
    for (size_t i = 0; i < widest.fields.size(); ++i)
        widest.fields[i] = QString(limits[i], QLatin1Char('W'));
    int width = 0;
    for (const QString& line : companySheetLines(widest, QDate(2026, 12, 31)))
        width = qMax(width, int(line.size()));
    return width;
}

QStringList companySheetLines(const CompanyRow& company, const QDate& today) {
    static const char* const labels[10] = {
        "Naziv T/O   :  ", "Matični br. :  ", "Šifra djel. :  ", "Tvrtka/obrt :  ",
        "Žiro račun  :  ", "Pošt. br.   :  ", "Mjesto      :  ", "Ulica i br. :  ",
        "Telefon     :  ", "Kontaktiraj :  "};
    const QString indent(10, QLatin1Char(' '));
    QStringList lines = {QString(), QString(), QString()};
    lines.append(indent + QStringLiteral("Ispis podataka za: !") + company.name() +
                 QStringLiteral("  na dan: ") + dateText(today));
    for (size_t i = 0; i < company.fields.size(); ++i) {
        lines.append(QString());
        lines.append(indent + QString::fromUtf8(labels[i]) + company.fields[i]);
    }
    if (!company.oib.isEmpty()) {
        lines.append(QString());
        lines.append(indent + QStringLiteral("OIB         :  ") + company.oib);
    }
    return lines;
}

}  // namespace kl
