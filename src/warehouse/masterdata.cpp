#include "warehouse/masterdata.h"

#include "data/database.h"

#include <QHash>

namespace kl {

namespace {

QVariantList articleValues(const ArticleEntry& e) {
    return {e.sifra, e.barkod, e.naziv, e.jedmjere, e.minkolicina};
}

}  // namespace

// ---- Articles --------------------------------------------------------------------------------

std::vector<ArticleRow> loadArticles(const BookLocation& book) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(
        QStringLiteral("select id,sifra,barkod,naziv,jedmjere,minkolicina from artikli"));
    std::vector<ArticleRow> rows;
    rows.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext()) {
        rows.push_back({rs.text(QStringLiteral("id")), rs.text(QStringLiteral("sifra")),
                        rs.text(QStringLiteral("barkod")), rs.text(QStringLiteral("naziv")),
                        rs.text(QStringLiteral("jedmjere")),
                        rs.number(QStringLiteral("minkolicina"))});
    }
    return rows;
}

std::vector<ArticleChoice> loadArticleChoices(const BookLocation& book) {
    Database db = Database::openBook(book);
    {
        // In the names' order read from their index, the articles in stored order. Their texts
        // are kept as bytes until all are read and made into strings in the names' order: the
        // lists then go through them in the order they lie in memory.
        const ReadSnapshot snapshot(db);
        const IdOrder order(db, QStringLiteral("select id from artikli order by naziv asc"));
        struct Staged {
            qint64 id = 0;
            size_t texts = 0;  // where its code and name start in `bytes`
            qsizetype sifra = 0, naziv = 0;
        };
        std::vector<Staged> staged(order.valid() ? order.size() : 0);
        QByteArray bytes;
        size_t placed = 0;
        if (order.valid())
            db.forEachRow(
                QStringLiteral("select id,sifra,naziv from artikli"), {}, [&](const RowView& row) {
                    const int place = order.placeOf(row);
                    if (place < 0 || !row.integer(0, &staged[size_t(place)].id)) return;
                    Staged& s = staged[size_t(place)];
                    s.texts = size_t(bytes.size());
                    for (int c : {1, 2}) {
                        // The texts Recordset::text gives; anything but a text value
                        // (NULL, a number) as its text form.
                        QByteArrayView text = row.textBytes(c);
                        QByteArray other;
                        if (text.isEmpty())
                            text = other = valueText(row.value(c), jet::ColType::Text).toUtf8();
                        bytes += text;
                        (c == 1 ? s.sifra : s.naziv) = text.size();
                    }
                    ++placed;
                });
        if (order.valid() && placed == staged.size()) {
            std::vector<ArticleChoice> rows;
            rows.reserve(staged.size());
            for (const Staged& s : staged) {
                const char* text = bytes.constData() + s.texts;
                rows.push_back({QString::number(s.id), QString::fromUtf8(text, s.sifra),
                                QString::fromUtf8(text + s.sifra, s.naziv)});
            }
            return rows;
        }
    }
    Recordset rs =
        db.openRecordset(QStringLiteral("select id,sifra,naziv from artikli order by naziv asc"));
    std::vector<ArticleChoice> rows;
    rows.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext()) {
        rows.push_back({rs.text(QStringLiteral("id")), rs.text(QStringLiteral("sifra")),
                        rs.text(QStringLiteral("naziv"))});
    }
    return rows;
}

ArticleClash findArticleClash(const ArticleEntry& entry, const QList<ArticleEntry>& list,
                              const BookLocation& book) {
    const QString code = entry.sifra.trimmed();
    const QString barcode = entry.barkod.trimmed();
    for (const ArticleEntry& e : list) {
        if (e.sifra.trimmed() == code) return ArticleClash::CodeOnList;
        if (!barcode.isEmpty() && e.barkod.trimmed() == barcode) return ArticleClash::BarcodeOnList;
    }
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(QStringLiteral("select sifra,barkod from artikli"));
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.text(QStringLiteral("sifra")).trimmed() == code) return ArticleClash::CodeInBook;
        if (!barcode.isEmpty() && rs.text(QStringLiteral("barkod")).trimmed() == barcode)
            return ArticleClash::BarcodeInBook;
    }
    return ArticleClash::None;
}

bool articleCodeExists(const BookLocation& book, const QString& code) {
    const QString wanted = code.trimmed();
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(QStringLiteral("select sifra from artikli"));
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.text(QStringLiteral("sifra")).trimmed() == wanted) return true;
    }
    return false;
}

void insertArticles(const BookLocation& book, const QList<ArticleEntry>& entries) {
    Database db = Database::openBook(book);
    Transaction t(db);
    for (const ArticleEntry& e : entries) {
        QVariantList values = articleValues(e);
        values << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("0");
        db.execute(QStringLiteral("insert into artikli(sifra,barkod,naziv,jedmjere,minkolicina,"
                                  "stanje,vrijednost,proscijena)values(?,?,?,?,?,?,?,?)"),
                   values);
    }
    t.commit();
}

void updateArticle(const BookLocation& book, const QString& id, const ArticleEntry& entry) {
    static const char* const columns[] = {"sifra", "barkod", "naziv", "jedmjere", "minkolicina"};
    const QVariantList values = articleValues(entry);
    Database db = Database::openBook(book);
    Transaction t(db);
    for (int i = 0; i < 5; ++i) {
        db.execute(QStringLiteral("update artikli set ") + QLatin1String(columns[i]) +
                       QStringLiteral("=? where cstr(id)=?"),
                   {values[i], id});
    }
    t.commit();
}

// ---- Customers and suppliers ------------------------------------------------------------------

const std::array<QString, 8>& partnerColumns() {
    static const std::array<QString, 8> columns = {
        QStringLiteral("kd"),        QStringLiteral("ime"),    QStringLiteral("mb"),
        QStringLiteral("ziroracun"), QStringLiteral("mjesto"), QStringLiteral("ulica"),
        QStringLiteral("telefon"),   QStringLiteral("kontakt")};
    return columns;
}

bool isPartnerCode(const QString& code) {
    const QString upper = code.toUpper();
    return upper == QLatin1String("K") || upper == QLatin1String("D") ||
           upper == QLatin1String("S");
}

namespace {

// The OIB rows of the book by partner id.
QHash<QString, QString> partnerOibs(Database& db) {
    QHash<QString, QString> oibs;
    Recordset rs = db.openRecordset(QStringLiteral("select idkd,oib from kl_oibpartnera"));
    for (; !rs.eof(); rs.moveNext())
        oibs.insert(rs.text(QStringLiteral("idkd")), rs.text(QStringLiteral("oib")));
    return oibs;
}

void storePartnerOib(Database& db, const QString& id, const QString& oib) {
    db.execute(QStringLiteral("delete from kl_oibpartnera where cstr(idkd)=?"), {id});
    if (!oib.trimmed().isEmpty())
        db.execute(QStringLiteral("insert into kl_oibpartnera(idkd,oib)values(?,?)"),
                   {id, oib.trimmed()});
}

}  // namespace

std::vector<PartnerRow> loadPartners(const BookLocation& book, bool byName) {
    Database db = Database::openBook(book);
    const QHash<QString, QString> oibs = partnerOibs(db);
    Recordset rs = db.openRecordset(byName ? QStringLiteral("select * from kd order by ime asc")
                                           : QStringLiteral("select * from kd"));
    std::vector<PartnerRow> rows;
    rows.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext()) {
        PartnerRow row;
        row.id = rs.text(QStringLiteral("id"));
        for (size_t i = 0; i < row.fields.size(); ++i)
            row.fields[i] = rs.text(partnerColumns()[i]);
        row.oib = oibs.value(row.id);
        rows.push_back(row);
    }
    return rows;
}

QStringList partnerNames(const BookLocation& book, bool suppliers) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(
        suppliers ? QStringLiteral("select id,kd,ime from kd where kd like 'd*' or kd like 's*'")
                  : QStringLiteral("select id,kd,ime from kd where kd like 'k*' or kd like 's*'"));
    QStringList names;
    names.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext())
        names.append(rs.text(QStringLiteral("ime")));
    return names;
}

void insertPartners(const BookLocation& book, const QList<PartnerFields>& entries,
                    const QStringList& oibs) {
    Database db = Database::openBook(book);
    Transaction t(db);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const PartnerFields& f = entries[i];
        db.execute(QStringLiteral("insert into kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,"
                                  "kontakt)values(?,?,?,?,?,?,?,?)"),
                   QVariantList(f.cbegin(), f.cend()));
        if (!oibs.value(i).trimmed().isEmpty())
            storePartnerOib(db, QString::number(db.lastInsertId()), oibs[i]);
    }
    t.commit();
}

void updatePartner(const BookLocation& book, const QString& id, const PartnerFields& fields,
                   const QString& oib) {
    Database db = Database::openBook(book);
    Transaction t(db);
    for (size_t i = 0; i < fields.size(); ++i) {
        db.execute(QStringLiteral("update kd set ") + partnerColumns()[i] +
                       QStringLiteral("=? where cstr(id)=?"),
                   {fields[i], id});
    }
    storePartnerOib(db, id, oib);
    t.commit();
}

QString partnerIdByOib(const BookLocation& book, const QString& oib) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(
        QStringLiteral("select idkd from kl_oibpartnera where oib=? order by idkd asc"),
        {oib.trimmed()});
    return rs.eof() ? QString() : rs.text(QStringLiteral("idkd"));
}

// ---- Document types ---------------------------------------------------------------------------

QString insertDocumentType(const BookLocation& book, const QString& name) {
    Database db = Database::openBook(book);
    db.execute(QStringLiteral("insert into dokumenti(dokument)values(?)"), {name});
    return QString::number(db.lastInsertId());
}

QStringList documentTypeNames(const BookLocation& book) {
    Database db = Database::openBook(book);
    Recordset rs =
        db.openRecordset(QStringLiteral("select dokument from dokumenti order by dokument asc"));
    QStringList names;
    for (; !rs.eof(); rs.moveNext())
        names.append(rs.text(QStringLiteral("dokument")));
    return names;
}

}  // namespace kl
