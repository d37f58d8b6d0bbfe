#include "warehouse/documents.h"

#include "data/convert.h"
#include "data/database.h"

namespace kl {

QString kindLetter(DocumentKind kind) {
    return kind == DocumentKind::Receipt ? QStringLiteral("P") : QStringLiteral("I");
}

// The kind column holds one letter (its length is checked by the table), so "pi like 'P*'" and
// "pi = 'P'" (letter case ignored, as the books compare text) count the same headers; the
// equality finds them in the index on (pi, brojpi) instead of reading every header.
int countDocuments(Database& db, const QString& schema, DocumentKind kind) {
    return db
        .openRecordsetIn(schema, QStringLiteral("select count(*) as n from pi where pi = ?"),
                         {kindLetter(kind)})
        .value(0)
        .toInt();
}

int nextDocumentNumber(const BookLocation& book, DocumentKind kind) {
    Database db = Database::openBook(book);
    return countDocuments(db, QStringLiteral("main"), kind) + 1;
}

// ---- Articles as a document line needs them ---------------------------------------------------

// Articles are addressed by their id compared as a number, which the index on the key finds at
// once; comparing its text form would read every article for each statement.

namespace {

// The id of the first row of `table` whose `column` reads `name` (letter case ignored, as the
// books compare text); empty when there is none.
QString firstIdNamed(Database& db, const QString& schema, const QString& table,
                     const QString& column, const QString& name) {
    Recordset rs =
        db.openRecordsetIn(schema,
                           QStringLiteral("select id from ") + table + QStringLiteral(" where ") +
                               column + QStringLiteral("=? order by id"),
                           {name});
    return rs.eof() ? QString() : rs.text(QStringLiteral("id"));
}

}  // namespace

std::optional<ArticleStock> findArticle(const BookLocation& book, const QString& id) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(
        QStringLiteral("select id,sifra,naziv,stanje,proscijena from artikli where id=?"), {id});
    if (rs.eof()) return std::nullopt;
    return ArticleStock{rs.text(QStringLiteral("id")), rs.text(QStringLiteral("sifra")),
                        rs.text(QStringLiteral("naziv")), rs.number(QStringLiteral("stanje")),
                        rs.number(QStringLiteral("proscijena"))};
}

QString offeredPriceText(const ArticleStock& article) {
    return currencyText(article.proscijena);
}

// ---- Stock rules ------------------------------------------------------------------------------

StockFigures applyMovement(DocumentKind kind, StockFigures old, double quantity, double amount) {
    const float s = round2Single(old.stanje);
    const float v = round2Single(old.vrijednost);
    const float q = round2Single(quantity);
    const float a = round2Single(amount);
    if (kind == DocumentKind::Receipt)
        return {round2Single(double(s) + double(q)), round2Single(double(v) + double(a))};
    return {round2Single(double(s) - double(q)), round2Single(double(v) - double(a))};
}

StockFigures applyWorkOrderIssue(double stanje, double vrijednost, double issued, double price) {
    const float stock = round2Single(stanje);
    const float value = round2Single(vrijednost);
    const Currency taken = Currency::fromDouble(issued) * Currency::fromDouble(price);
    return {round2Single(double(stock) - double(toSingle(issued))),
            round2Single(double(value) - taken.toDouble())};
}

std::optional<float> averagePrice(double stanje, double vrijednost) {
    const float s = round2Single(stanje);
    if (s == 0.0f) return std::nullopt;
    return round2Single(double(round2Single(vrijednost)) / double(s));
}

// ---- Posting ----------------------------------------------------------------------------------

PostingResult postDocument(const BookLocation& book, const DocumentHeader& header,
                           const std::vector<DocumentLine>& lines) {
    Database db = Database::openBook(book);
    PostingResult result;
    // The number and the document are one write: a clerk posting into the same book meanwhile
    // waits for it, and the next number counts this document.
    runWrite(db, {db.serverSchema()}, [&] {
        DocumentHeader h = header;
        if (h.proposedNumber)
            h.broj = QString::number(countDocuments(db, QStringLiteral("main"), h.kind) + 1);
        result = postDocument(db, h, lines);
    });
    return result;
}

PostingResult postDocument(Database& db, const DocumentHeader& header,
                           const std::vector<DocumentLine>& lines) {
    return postDocumentIn(db, QStringLiteral("main"), header, lines);
}

PostingResult postDocumentIn(Database& db, const QString& schema, const DocumentHeader& header,
                             const std::vector<DocumentLine>& lines) {
    const bool receipt = header.kind == DocumentKind::Receipt;

    const QString partnerId =
        firstIdNamed(db, schema, QStringLiteral("kd"), QStringLiteral("ime"), header.partner);
    if (partnerId.isEmpty()) return {PostingRefusal::PartnerMissing, 0, {}};
    QString typeId;
    if (receipt) {
        typeId = firstIdNamed(db, schema, QStringLiteral("dokumenti"), QStringLiteral("dokument"),
                              header.documentType);
        if (typeId.isEmpty()) return {PostingRefusal::DocumentTypeMissing, 0, {}};
    }

    Transaction t(db);
    if (receipt) {
        db.executeIn(schema,
                     QStringLiteral("insert into pi(pi,brojpi,datumpi,dokument,brojdok,datumdok,"
                                    "idkd)values(?,?,?,?,?,?,?)"),
                     {kindLetter(header.kind), header.broj, dateText(header.datum), typeId,
                      header.brojdok, dateText(header.datumdok), partnerId});
    } else {
        db.executeIn(schema,
                     QStringLiteral("insert into pi(pi,brojpi,datumpi,idkd)values(?,?,?,?)"),
                     {kindLetter(header.kind), header.broj, dateText(header.datum), partnerId});
    }
    const qint64 headerId = db.lastInsertId();

    for (const DocumentLine& line : lines) {
        Recordset rs = db.openRecordsetIn(
            schema, QStringLiteral("select stanje,vrijednost from artikli where id=?"),
            {line.idArtikla});
        if (rs.eof()) {
            throw DbError(
                3021,
                QStringLiteral("Artikl sa šifrom %1 ne postoji u skladištu.").arg(line.sifra));
        }
        const StockFigures now =
            applyMovement(header.kind,
                          {float(rs.number(QStringLiteral("stanje"))),
                           float(rs.number(QStringLiteral("vrijednost")))},
                          numberOrZero(line.kolicina), numberOrZero(line.iznos));
        db.executeIn(schema, QStringLiteral("update artikli set stanje=? where id=?"),
                     {singleText(now.stanje), line.idArtikla});
        db.executeIn(schema, QStringLiteral("update artikli set vrijednost=? where id=?"),
                     {singleText(now.vrijednost), line.idArtikla});

        // The average price comes from the figures as they now stand in the row.
        Recordset stored = db.openRecordsetIn(
            schema, QStringLiteral("select stanje,vrijednost from artikli where id=?"),
            {line.idArtikla});
        if (const auto average = averagePrice(stored.number(QStringLiteral("stanje")),
                                              stored.number(QStringLiteral("vrijednost")))) {
            db.executeIn(schema, QStringLiteral("update artikli set proscijena=? where id=?"),
                         {singleText(*average), line.idArtikla});
        }
    }

    const QString idText = QString::number(headerId);
    for (const DocumentLine& line : lines) {
        db.executeIn(schema,
                     QStringLiteral("insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)"
                                    "values(?,?,?,?,?)"),
                     {line.idArtikla, idText, partnerId, line.kolicina, line.cijena});
    }
    t.commit();
    return {PostingRefusal::None, headerId, header.broj};
}

}  // namespace kl
