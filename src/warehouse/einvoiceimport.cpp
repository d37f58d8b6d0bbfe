#include "warehouse/einvoiceimport.h"

#include "data/database.h"

#include <QHash>
#include <QSet>

namespace kl::einvoice {

namespace {

bool isSupplierKind(const QString& kd) {
    const QString k = kd.trimmed().toLower();
    return k == QLatin1String("d") || k == QLatin1String("s");
}

}  // namespace

SupplierMatch matchSupplier(const BookLocation& book, const Party& supplier) {
    Database db = Database::openBook(book);
    QHash<QString, QString> names;  // supplier id -> name
    Recordset rs = db.openRecordset(QStringLiteral("select id,kd,ime from kd order by id asc"));
    for (; !rs.eof(); rs.moveNext())
        if (isSupplierKind(rs.text(QStringLiteral("kd"))))
            names.insert(rs.text(QStringLiteral("id")), rs.text(QStringLiteral("ime")));
    if (!supplier.oib.isEmpty()) {
        Recordset o = db.openRecordset(
            QStringLiteral("select idkd from kl_oibpartnera where oib=? order by idkd asc"),
            {supplier.oib});
        for (; !o.eof(); o.moveNext()) {
            const QString id = o.text(QStringLiteral("idkd"));
            if (names.contains(id)) return {id, names.value(id), Match::ByOib};
        }
    }
    Recordset byName = db.openRecordset(QStringLiteral("select id,kd,ime from kd order by id asc"));
    for (; !byName.eof(); byName.moveNext()) {
        const QString id = byName.text(QStringLiteral("id"));
        if (names.contains(id) && byName.text(QStringLiteral("ime")).trimmed() == supplier.name)
            return {id, names.value(id), Match::ByName};
    }
    return {};
}

QString itemKey(const Line& line) {
    if (!line.sellersId.isEmpty()) return QStringLiteral("sifra:") + line.sellersId;
    if (!line.gtin.isEmpty()) return QStringLiteral("gtin:") + line.gtin;
    return QStringLiteral("naziv:") + line.name;
}

std::vector<ArticleMatch> matchLines(const BookLocation& book, const QString& partnerId,
                                     const Document& doc) {
    Database db = Database::openBook(book);
    QHash<QString, QString> remembered;
    if (!partnerId.isEmpty()) {
        Recordset r = db.openRecordset(
            QStringLiteral("select kljuc,idartikla from kl_eracunartikli where cstr(idkd)=?"),
            {partnerId});
        for (; !r.eof(); r.moveNext())
            remembered.insert(r.text(QStringLiteral("kljuc")), r.text(QStringLiteral("idartikla")));
    }
    // The bar codes, codes and names the lines look for, each given the first article that has
    // it in the book's order (a null id until one is found); of the remembered articles, those
    // still in the book. Only these are kept: the book may have far more articles than the
    // document has lines.
    const auto wanted = [&doc](const Line& l) {
        return l.kind == LineKind::Goods || doc.creditNote;
    };
    QHash<QString, QString> byBarcode, byCode, byName;
    for (const Line& l : doc.lines) {
        if (!wanted(l)) continue;
        if (!l.gtin.isEmpty()) byBarcode.insert(l.gtin, QString());
        if (!l.sellersId.isEmpty()) byCode.insert(l.sellersId, QString());
        byName.insert(l.name, QString());
    }
    QSet<QString> rememberedIds, articles;
    for (const QString& id : std::as_const(remembered))
        rememberedIds.insert(id);
    db.forEachRow(QStringLiteral("select id,sifra,barkod,naziv from artikli order by id"), {},
                  [&](const RowView& row) {
                      QString id;
                      const auto first = [&](QHash<QString, QString>& found, int column) {
                          const auto it = found.find(row.text(column).trimmed());
                          if (it == found.end() || !it->isNull()) return;
                          if (id.isNull()) id = row.text(0);
                          *it = id;
                      };
                      first(byCode, 1);
                      first(byBarcode, 2);
                      first(byName, 3);
                      if (!rememberedIds.isEmpty()) {
                          if (id.isNull()) id = row.text(0);
                          if (rememberedIds.contains(id)) articles.insert(id);
                      }
                  });
    std::vector<ArticleMatch> matches;
    matches.reserve(doc.lines.size());
    for (const Line& l : doc.lines) {
        ArticleMatch m;
        if (wanted(l)) {
            if (const QString id = remembered.value(itemKey(l)); articles.contains(id))
                m = {id, Match::Remembered};
            else if (const QString id = byBarcode.value(l.gtin); !id.isNull())
                m = {id, Match::ByBarcode};
            else if (const QString id = byCode.value(l.sellersId); !id.isNull())
                m = {id, Match::ByCode};
            else if (const QString id = byName.value(l.name); !id.isNull())
                m = {id, Match::ByName};
        }
        matches.push_back(m);
    }
    return matches;
}

QString rememberedDocumentType(const BookLocation& book, const QString& partnerId) {
    if (partnerId.isEmpty()) return {};
    Database db = Database::openBook(book);
    Recordset r = db.openRecordset(
        QStringLiteral("select dokument from kl_eracundobavljaci where cstr(idkd)=?"), {partnerId});
    return r.eof() ? QString() : r.text(QStringLiteral("dokument"));
}

namespace {

// The number of the document of `kind` under which the supplier's e-invoice `number` was
// imported; 0 when it was not.
int importedAs(Database& db, DocumentKind kind, const QString& partnerId, const QString& number) {
    Recordset r = db.openRecordset(
        QStringLiteral("select pi.brojpi from kl_eracuni inner join pi on kl_eracuni.idpi = pi.id "
                       "where pi.pi=? and cstr(kl_eracuni.idkd)=? and kl_eracuni.broj=?"),
        {kindLetter(kind), partnerId, number});
    return r.eof() ? 0 : r.value(0).toInt();
}

int postedIn(Database& db, const QString& partnerId, const QString& number) {
    if (const int imported = importedAs(db, DocumentKind::Receipt, partnerId, number))
        return imported;
    // A receipt typed by hand with the supplier's document number.
    Recordset typed = db.openRecordset(
        QStringLiteral("select brojpi from pi where pi='P' and cstr(idkd)=? and brojdok=? "
                       "order by brojpi asc"),
        {partnerId, number.left(20)});
    return typed.eof() ? 0 : typed.value(0).toInt();
}

// Posts the import as the next document of `kind` and records the e-invoice beside it, inside
// the caller's transaction; false when the posting was refused.
bool postRecorded(Database& db, DocumentKind kind, const Import& import, ImportResult* result) {
    result->receiptNumber = countDocuments(db, QStringLiteral("main"), kind) + 1;
    DocumentHeader header;
    header.kind = kind;
    header.broj = QString::number(result->receiptNumber);
    header.datum = import.postingDate;
    header.partner = import.partnerName;
    if (kind == DocumentKind::Receipt) {
        header.documentType = import.documentType;
        header.brojdok = import.number.left(20);
        header.datumdok = import.issueDate;
    }
    std::vector<DocumentLine> lines;
    lines.reserve(import.lines.size());
    for (const ImportLine& l : import.lines)
        lines.push_back({l.sifra, l.naziv, l.kolicina, l.cijena, l.iznos, l.articleId});
    result->posting = postDocument(db, header, lines);
    if (result->posting.refusal != PostingRefusal::None) return false;
    db.execute(QStringLiteral("insert into kl_eracuni(idpi,idkd,broj,datum,datoteka)"
                              "values(?,?,?,?,?)"),
               {QString::number(result->posting.headerId), import.partnerId, import.number,
                import.issueDate, import.fileName.left(255)});
    return true;
}

}  // namespace

int postedReceipt(const BookLocation& book, const QString& partnerId, const QString& number) {
    if (partnerId.isEmpty()) return 0;
    Database db = Database::openBook(book);
    return postedIn(db, partnerId, number);
}

QString alreadyPostedText(const QString& number, const QString& supplier, int receipt) {
    return QStringLiteral("Račun %1 dobavljača %2 već je unesen (primka br. %3).")
        .arg(number, supplier)
        .arg(receipt);
}

ImportResult postImport(const BookLocation& book, const Import& import) {
    Database db = Database::openBook(book);
    return runLocked(db, {db.serverSchema()}, [&] {
        ImportResult result;
        Transaction t(db);
        if (const int posted = postedIn(db, import.partnerId, import.number)) {
            result.alreadyPostedAs = posted;
            return result;
        }
        if (!postRecorded(db, DocumentKind::Receipt, import, &result)) return result;
        for (const ImportLine& l : import.lines) {
            if (l.rememberKey.isEmpty()) continue;
            db.execute(
                QStringLiteral("delete from kl_eracunartikli where cstr(idkd)=? and kljuc=?"),
                {import.partnerId, l.rememberKey.left(220)});
            db.execute(
                QStringLiteral("insert into kl_eracunartikli(idkd,kljuc,idartikla)values(?,?,?)"),
                {import.partnerId, l.rememberKey.left(220), l.articleId});
        }
        db.execute(QStringLiteral("delete from kl_eracundobavljaci where cstr(idkd)=?"),
                   {import.partnerId});
        db.execute(QStringLiteral("insert into kl_eracundobavljaci(idkd,dokument)values(?,?)"),
                   {import.partnerId, import.documentType});
        t.commit();
        return result;
    });
}

int postedCreditNote(const BookLocation& book, const QString& partnerId, const QString& number) {
    if (partnerId.isEmpty()) return 0;
    Database db = Database::openBook(book);
    return importedAs(db, DocumentKind::Issue, partnerId, number);
}

QString creditNotePostedText(const QString& number, const QString& supplier, int issue) {
    return QStringLiteral("Odobrenje %1 dobavljača %2 već je uneseno (izdatnica br. %3).")
        .arg(number, supplier)
        .arg(issue);
}

ImportResult postCreditNote(const BookLocation& book, const Import& import) {
    Database db = Database::openBook(book);
    return runLocked(db, {db.serverSchema()}, [&] {
        ImportResult result;
        Transaction t(db);
        if (const int posted =
                importedAs(db, DocumentKind::Issue, import.partnerId, import.number)) {
            result.alreadyPostedAs = posted;
            return result;
        }
        if (!postRecorded(db, DocumentKind::Issue, import, &result)) return result;
        t.commit();
        return result;
    });
}

}  // namespace kl::einvoice
