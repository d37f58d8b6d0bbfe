#include "warehouse/transfer.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/database.h"
#include "data/schema.h"

#include <QFileInfo>
#include <QSet>

#include <cmath>

namespace kl {

namespace {

const QString kMain = QStringLiteral("main");
const QString kTarget = QStringLiteral("cilj");
const QString kProductionCustomer = QStringLiteral("Proizvodnja");

// A figure as whole hundredths, so that figures shown with two decimals compare exactly.
qint64 cents(double value) {
    return std::llround(value * 100.0);
}

// Makes the partner named like the other book in the book `schema` when it has none of that
// name: of kind "s", so that it is offered both as a customer and as a supplier (a transfer the
// other way finds the same partner).
void ensurePartner(Database& db, const QString& schema, const QString& name) {
    if (!db.openRecordsetIn(schema, QStringLiteral("select id from kd where ime=?"), {name}).eof())
        return;
    db.executeIn(schema,
                 QStringLiteral("insert into kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)"
                                "values(?,?,?,?,?,?,?,?)"),
                 {QStringLiteral("s"), name, QString(), QString(), QString(), QString(), QString(),
                  QString()});
}

void ensureDocumentType(Database& db, const QString& schema) {
    if (!db.openRecordsetIn(schema, QStringLiteral("select id from dokumenti where dokument=?"),
                            {transferDocumentType()})
             .eof())
        return;
    db.executeIn(schema, QStringLiteral("insert into dokumenti(dokument)values(?)"),
                 {transferDocumentType()});
}

// The program's own table of transfers, made in the book `schema` when first needed (inside the
// transfer's transaction, so a book keeps it only with its first transfer); its index made too
// where a copy of the book left it out.
void ensureTransferTable(Database& db, const QString& schema) {
    const auto& table = *kl::schema::onDemandTable(kTransferTable);
    if (!db.hasTable(table.name, schema)) db.executeIn(schema, table.create);
    if (!db.hasIndex(table.name, table.indexName, schema)) db.executeIn(schema, table.createIndex);
}

void recordSide(Database& db, const QString& schema, qint64 headerId, const QString& otherBook,
                qint64 otherHeader, int otherNumber, const QString& note) {
    ensureTransferTable(db, schema);
    db.executeIn(schema,
                 QStringLiteral("insert into kl_medjuskladisnice(idpi,idknjige,idpidrugi,"
                                "brojpidrugi,napomena)values(?,?,?,?,?)"),
                 {QString::number(headerId), otherBook, QString::number(otherHeader),
                  QString::number(otherNumber), note});
}

struct SourceArticle {
    QString sifra, barkod, naziv, jedmjere;
    double stanje = 0;
    double proscijena = 0;
};

// The articles of the book `schema` by trimmed code (the first by id), and every bar code used.
struct CodeIndex {
    QHash<QString, ArticleChoice> byCode;
    QSet<QString> barcodes;
};
CodeIndex readCodes(Database& db, const QString& schema) {
    CodeIndex index;
    Recordset rs = db.openRecordsetIn(
        schema, QStringLiteral("select id,sifra,naziv,barkod from artikli order by id"));
    for (; !rs.eof(); rs.moveNext()) {
        const QString code = rs.text(QStringLiteral("sifra")).trimmed();
        if (!index.byCode.contains(code))
            index.byCode.insert(
                code, {rs.text(QStringLiteral("id")), code, rs.text(QStringLiteral("naziv"))});
        const QString barcode = rs.text(QStringLiteral("barkod")).trimmed();
        if (!barcode.isEmpty()) index.barcodes.insert(barcode);
    }
    return index;
}

}  // namespace

BookLocation TransferBook::location() const {
    return context().checkedBookLocation(checkedBookFileName(kWarehouseKind, id));
}

std::vector<TransferBook> companyTransferBooks(const QString& companyIdText) {
    Database db = Database::openBook(context().companyRegister());
    Recordset rs = db.openRecordset(
        QStringLiteral("select id,nazivknjige,vrstaknjige from otvoreneknjige where "
                       "vrstaknjige like ? and idtvrtke like ? order by nazivknjige asc"),
        {kWarehouseKind, context().bookRowsOf(companyIdText)});
    std::vector<TransferBook> books;
    for (; !rs.eof(); rs.moveNext()) {
        // A row that names no book file of ours is no book to transfer to.
        if (!isBookRow(rs.text(QStringLiteral("vrstaknjige")), rs.text(QStringLiteral("id"))))
            continue;
        books.push_back({rs.text(QStringLiteral("id")), rs.text(QStringLiteral("nazivknjige"))});
    }
    return books;
}

std::optional<TransferBook> transferBookOfFile(const QString& companyIdText,
                                               const QString& bookFile) {
    for (const TransferBook& b : companyTransferBooks(companyIdText))
        if (bookFileName(kWarehouseKind, b.id) == bookFile) return b;
    return std::nullopt;
}

QHash<QString, ArticleChoice> articlesByCode(const BookLocation& book) {
    Database db = Database::openBook(book);
    return readCodes(db, kMain).byCode;
}

QString transferIssueNote(int issueNumber, const QString& targetName, int receiptNumber) {
    return QStringLiteral("Međuskladišnica br. %1 u %2 (primka br. %3)")
        .arg(issueNumber)
        .arg(targetName.trimmed())
        .arg(receiptNumber);
}

QString transferReceiptNote(int issueNumber, const QString& sourceName) {
    return QStringLiteral("Međuskladišnica br. %1 iz %2")
        .arg(issueNumber)
        .arg(sourceName.trimmed());
}

QString transferDocumentType() {
    return QStringLiteral("Međuskladišnica");
}

QString transferTargetRefusal(const TransferBook& source, const TransferBook& target) {
    const QString name = target.name.trimmed();
    if (source.id == target.id)
        return QStringLiteral("Roba se ne prenosi u skladište iz kojeg izlazi.");
    if (name.compare(kProductionCustomer, Qt::CaseInsensitive) == 0)
        return QStringLiteral(
                   "Skladište %1 zove se kao mjesto troška radnih naloga; izdatnica u njega "
                   "čitala bi se kao izdatnica radnog naloga. Preimenujte knjigu.")
            .arg(name);
    if (!bookExists(target.location()))
        return QStringLiteral(
                   "Skladište %1 još nema svoju datoteku: uđite jednom u tu knjigu, pa ponovite "
                   "međuskladišnicu.")
            .arg(name);
    return {};
}

TransferResult postTransfer(const Transfer& transfer) {
    TransferResult refused;
    const QString targetName = transfer.target.name.trimmed();
    if (transfer.lines.empty()) {
        refused.refusal = QStringLiteral("Međuskladišnica nema stavaka.");
        return refused;
    }
    refused.refusal = transferTargetRefusal(transfer.source, transfer.target);
    if (!refused.refusal.isEmpty()) return refused;
    Database db = Database::openBook(transfer.source.location());
    db.attachBook(transfer.target.location(), kTarget);
    return runLocked(db, {db.serverSchema(), transfer.target.location().schema()}, [&] {
        TransferResult result;
        Transaction t(db);

        // The source articles, each quantity within the stock (the lines of one article together).
        QHash<QString, SourceArticle> articles;
        QHash<QString, qint64> taken;
        for (const DocumentLine& line : transfer.lines) {
            if (!articles.contains(line.idArtikla)) {
                Recordset a = db.openRecordsetIn(
                    kMain,
                    QStringLiteral(
                        "select sifra,barkod,naziv,jedmjere,stanje,proscijena from artikli "
                        "where id=?"),
                    {line.idArtikla});
                if (a.eof()) {
                    result.refusal = QStringLiteral("Artikla %1 više nema u skladištu %2.")
                                         .arg(line.sifra.trimmed(), transfer.source.name.trimmed());
                    return result;
                }
                articles.insert(
                    line.idArtikla,
                    {a.text(QStringLiteral("sifra")).trimmed(),
                     a.text(QStringLiteral("barkod")).trimmed(), a.text(QStringLiteral("naziv")),
                     a.text(QStringLiteral("jedmjere")), a.number(QStringLiteral("stanje")),
                     a.number(QStringLiteral("proscijena"))});
            }
            const qint64 quantity = cents(numberOrZero(line.kolicina));
            if (quantity <= 0) {
                result.refusal = QStringLiteral("Količina artikla %1 mora biti veća od nule.")
                                     .arg(articles[line.idArtikla].sifra);
                return result;
            }
            taken[line.idArtikla] += quantity;
        }
        // In line order, so that the first article short of stock on the list is the one named.
        for (const DocumentLine& line : transfer.lines) {
            const SourceArticle& a = articles[line.idArtikla];
            const qint64 wanted = taken.value(line.idArtikla);
            if (wanted > cents(double(round2Single(a.stanje)))) {
                result.refusal =
                    QStringLiteral(
                        "Na skladištu %1 nema dovoljno artikla %2 %3: na stanju je %4, a "
                        "prenosi se %5.")
                        .arg(transfer.source.name.trimmed(), a.sifra, a.naziv.trimmed(),
                             format00(a.stanje, Precision::Single),
                             format00(double(wanted) / 100.0));
                return result;
            }
        }

        // Every line at its article's average price (the issue rule), its amount that price times
        // the quantity, as the issue window computes them.
        std::vector<DocumentLine> issueLines = transfer.lines;
        for (DocumentLine& line : issueLines) {
            const ArticleStock stock{
                line.idArtikla, {}, {}, 0, articles[line.idArtikla].proscijena};
            line.cijena = offeredPriceText(stock);
            line.iznos = formatEntry(numberOrZero(line.kolicina) * numberOrZero(line.cijena));
        }

        // The target articles by code; the missing ones are made there.
        CodeIndex target = readCodes(db, kTarget);
        std::vector<DocumentLine> receiptLines = issueLines;
        for (DocumentLine& line : receiptLines) {
            const SourceArticle& a = articles[line.idArtikla];
            auto found = target.byCode.constFind(a.sifra);
            if (found == target.byCode.cend()) {
                const QString barcode = target.barcodes.contains(a.barkod) ? QString() : a.barkod;
                db.executeIn(kTarget,
                             QStringLiteral("insert into artikli(sifra,barkod,naziv,jedmjere,"
                                            "minkolicina,stanje,vrijednost,proscijena)"
                                            "values(?,?,?,?,?,?,?,?)"),
                             {a.sifra, barcode, a.naziv, a.jedmjere, QStringLiteral("0"),
                              QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
                if (!barcode.isEmpty()) target.barcodes.insert(barcode);
                found = target.byCode.insert(
                    a.sifra, {QString::number(db.lastInsertId()), a.sifra, a.naziv});
                result.newArticles.append(a.sifra + u' ' + a.naziv.trimmed());
            }
            line.sifra = found->sifra;
            line.naziv = found->naziv;
            line.idArtikla = found->id;
        }

        // The issue here, to the partner named like the target book.
        ensurePartner(db, kMain, targetName);
        result.issueNumber = countDocuments(db, kMain, DocumentKind::Issue) + 1;
        DocumentHeader issue;
        issue.kind = DocumentKind::Issue;
        issue.broj = QString::number(result.issueNumber);
        issue.datum = transfer.datum;
        issue.partner = targetName;
        const PostingResult issued = postDocumentIn(db, kMain, issue, issueLines);

        // The receipt there, from the partner named like this book.
        const QString sourceName = transfer.source.name.trimmed();
        ensurePartner(db, kTarget, sourceName);
        ensureDocumentType(db, kTarget);
        result.receiptNumber = countDocuments(db, kTarget, DocumentKind::Receipt) + 1;
        DocumentHeader receipt;
        receipt.kind = DocumentKind::Receipt;
        receipt.broj = QString::number(result.receiptNumber);
        receipt.datum = transfer.datum;
        receipt.partner = sourceName;
        receipt.documentType = transferDocumentType();
        receipt.brojdok = issue.broj;
        receipt.datumdok = transfer.datum;
        const PostingResult received = postDocumentIn(db, kTarget, receipt, receiptLines);
        if (issued.refusal != PostingRefusal::None || received.refusal != PostingRefusal::None)
            throw DbError(3021, QStringLiteral("Partner međuskladišnice nije pronađen."));

        recordSide(db, kMain, issued.headerId, transfer.target.id, received.headerId,
                   result.receiptNumber,
                   transferIssueNote(result.issueNumber, targetName, result.receiptNumber));
        recordSide(db, kTarget, received.headerId, transfer.source.id, issued.headerId,
                   result.issueNumber, transferReceiptNote(result.issueNumber, sourceName));
        t.commit();
        return result;
    });
}

QString transferNote(const BookLocation& book, qint64 headerId) {
    Database db = Database::openBook(book);
    if (!db.hasTable(kTransferTable)) return {};
    Recordset rs =
        db.openRecordset(QStringLiteral("select napomena from kl_medjuskladisnice where idpi=?"),
                         {QString::number(headerId)});
    return rs.eof() ? QString() : rs.text(QStringLiteral("napomena"));
}

}  // namespace kl
