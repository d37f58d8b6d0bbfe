#include "warehouse/reversal.h"

#include "data/convert.h"
#include "data/database.h"
#include "warehouse/transfer.h"

#include <QHash>

#include <cmath>
#include <vector>

namespace kl {

namespace {

const QString kProductionCustomer = QStringLiteral("Proizvodnja");

QString documentWord(DocumentKind kind, bool genitive) {
    if (kind == DocumentKind::Receipt)
        return genitive ? QStringLiteral("primke") : QStringLiteral("Primka");
    return genitive ? QStringLiteral("izdatnice") : QStringLiteral("Izdatnica");
}

struct Original {
    qint64 id = 0;
    QString partner;
    QString documentType;
    std::vector<DocumentLine> lines;
};

int numberOfHeader(Database& db, const QString& id) {
    Recordset r = db.openRecordset(QStringLiteral("select brojpi from pi where id=?"), {id});
    return r.eof() ? 0 : r.value(0).toInt();
}

// Reads document `number` of `kind` and says why it cannot be reversed (empty when it can).
QString examine(Database& db, DocumentKind kind, int number, Original* out) {
    const QString name = documentWord(kind, false);
    Recordset h = db.openRecordset(
        QStringLiteral("select id,idkd,dokument from pi where pi=? and brojpi=? order by id"),
        {kindLetter(kind), number});
    if (h.eof()) return QStringLiteral("%1 br. %2 ne postoji.").arg(name).arg(number);
    const QString id = h.text(QStringLiteral("id"));
    out->id = id.toLongLong();
    Recordset p = db.openRecordset(QStringLiteral("select ime from kd where id=?"),
                                   {h.text(QStringLiteral("idkd"))});
    out->partner = p.eof() ? QString() : p.text(QStringLiteral("ime"));
    if (kind == DocumentKind::Issue && out->partner.trimmed() == kProductionCustomer)
        return QStringLiteral(
                   "Izdatnica br. %1 izdana je mjestu troška Proizvodnja (radnim "
                   "nalogom); stornira se samo s radnim nalogom.")
            .arg(number);

    // One side of a transfer goes back only with the other: by a transfer the other way.
    if (db.hasTable(kTransferTable)) {
        Recordset m = db.openRecordset(
            QStringLiteral("select napomena from kl_medjuskladisnice where idpi=?"), {id});
        if (!m.eof())
            return QStringLiteral(
                       "%1 br. %2 dio je međuskladišnice (%3); ne stornira se sama, nego "
                       "međuskladišnicom u suprotnom smjeru.")
                .arg(name)
                .arg(number)
                .arg(m.text(QStringLiteral("napomena")));
    }

    Recordset s = db.openRecordset(
        QStringLiteral("select idpi,idstorna from kl_storna where idpi=? or idstorna=?"), {id, id});
    if (!s.eof()) {
        if (s.text(QStringLiteral("idpi")) == id)
            return QStringLiteral("%1 br. %2 već je stornirana (%3 br. %4).")
                .arg(name)
                .arg(number)
                .arg(name.toLower())
                .arg(numberOfHeader(db, s.text(QStringLiteral("idstorna"))));
        return QStringLiteral("%1 br. %2 je storno %3 br. %4; storno se ne stornira.")
            .arg(name)
            .arg(number)
            .arg(documentWord(kind, true))
            .arg(numberOfHeader(db, s.text(QStringLiteral("idpi"))));
    }
    if (kind == DocumentKind::Receipt) {
        Recordset t = db.openRecordset(QStringLiteral("select dokument from dokumenti where id=?"),
                                       {h.text(QStringLiteral("dokument"))});
        out->documentType = t.eof() ? QString() : t.text(QStringLiteral("dokument"));
    }

    // The lines, each taken back with its own amount; a receipt's only while the goods are
    // still there (the figures followed line by line, as the posting will).
    Recordset l = db.openRecordset(
        QStringLiteral("select idartikla,kolicina,cijena from ulazizlaz where cstr(idpi)=? "
                       "order by id"),
        {id});
    QHash<QString, StockFigures> figures;
    for (; !l.eof(); l.moveNext()) {
        const QString article = l.text(QStringLiteral("idartikla"));
        Recordset a = db.openRecordset(
            QStringLiteral("select sifra,naziv,stanje,vrijednost from artikli where id=?"),
            {article});
        if (a.eof())
            return QStringLiteral("%1 br. %2 ima stavku artikla kojeg više nema u skladištu.")
                .arg(name)
                .arg(number);
        const float kolicina = float(l.number(QStringLiteral("kolicina")));
        const double cijena = l.number(QStringLiteral("cijena"));
        const double product = double(kolicina) * cijena;
        const double amount = std::isfinite(product) ? roundHalfAway(product, 2) : 0.0;
        const QString sifra = a.text(QStringLiteral("sifra"));
        const QString naziv = a.text(QStringLiteral("naziv"));
        if (kind == DocumentKind::Receipt) {
            if (!figures.contains(article))
                figures.insert(article, {float(a.number(QStringLiteral("stanje"))),
                                         float(a.number(QStringLiteral("vrijednost")))});
            const StockFigures was = figures.value(article);
            const StockFigures now = applyMovement(kind, was, -double(kolicina), -amount);
            if (now.stanje < 0 || now.vrijednost < 0)
                return QStringLiteral(
                           "Primku br. %1 nije moguće stornirati: artikla %2 %3 sada "
                           "je na skladištu %4 u vrijednosti %5, a primka ga je "
                           "unijela %6 u vrijednosti %7.")
                    .arg(number)
                    .arg(sifra.trimmed(), naziv.trimmed(), format00(was.stanje, Precision::Single),
                         format00(was.vrijednost, Precision::Single),
                         format00(kolicina, Precision::Single), format00(amount));
            figures.insert(article, now);
        }
        out->lines.push_back({sifra, naziv, singleText(-kolicina), currencyText(cijena),
                              format00(-amount), article});
    }
    if (out->lines.empty()) return QStringLiteral("%1 br. %2 nema stavaka.").arg(name).arg(number);
    return {};
}

}  // namespace

QString reversalNote(DocumentKind kind, int number) {
    return QStringLiteral("Storno %1 br. %2").arg(documentWord(kind, true)).arg(number);
}

QString reversalRefusal(const BookLocation& book, DocumentKind kind, int number) {
    Database db = Database::openBook(book);
    Original original;
    return examine(db, kind, number, &original);
}

ReversalResult reverseDocument(const BookLocation& book, DocumentKind kind, int number,
                               const QDate& date) {
    Database db = Database::openBook(book);
    return runLocked(db, {db.serverSchema()}, [&] {
        ReversalResult result;
        Transaction t(db);
        Original original;
        result.refusal = examine(db, kind, number, &original);
        if (!result.refusal.isEmpty()) return result;
        result.number = countDocuments(db, QStringLiteral("main"), kind) + 1;
        DocumentHeader header;
        header.kind = kind;
        header.broj = QString::number(result.number);
        header.datum = date;
        header.partner = original.partner;
        header.documentType = original.documentType;
        header.brojdok = QStringLiteral("Storno %1").arg(number);
        header.datumdok = date;
        const PostingResult posted = postDocument(db, header, original.lines);
        if (posted.refusal != PostingRefusal::None) {
            result.refusal = posted.refusal == PostingRefusal::PartnerMissing
                                 ? QStringLiteral("Partner dokumenta više nije u knjizi.")
                                 : QStringLiteral("Vrsta dokumenta primke više nije u knjizi.");
            return result;
        }
        result.headerId = posted.headerId;
        db.execute(QStringLiteral("insert into kl_storna(idpi,idstorna,napomena)values(?,?,?)"),
                   {QString::number(original.id), QString::number(posted.headerId),
                    reversalNote(kind, number)});
        t.commit();
        return result;
    });
}

}  // namespace kl
