#include "production/products.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/database.h"
#include "reports/reportlayout.h"

#include <QHash>

#include <map>

namespace kl {

namespace {

Product productOf(const Recordset& rs) {
    return {rs.text(QStringLiteral("id")),
            {rs.text(QStringLiteral("sifra")).trimmed(), rs.text(QStringLiteral("naziv")).trimmed(),
             rs.text(QStringLiteral("barkod")).trimmed(),
             rs.text(QStringLiteral("jedmjere")).trimmed()}};
}

void insertLine(Database& db, const QString& productId, const BillLine& line) {
    db.execute(
        QStringLiteral("insert into sastojci(idartikla,kolicina,cijena,idproizvoda,"
                       "idskladista)values(?,?,?,?,?)"),
        {line.articleId, line.kolicina.trimmed(), line.cijena.trimmed(), productId, line.bookId});
}

// A figure of the line list ("  4,00") as a number.
double listFigure(const QString& text) {
    return numberOrZero(text.trimmed());
}

}  // namespace

BookLocation WarehouseBook::location() const {
    // The kind and id come from a book's own rows: checked before they name a file.
    return context().checkedBookLocation(checkedBookFileName(kind, id));
}

std::vector<WarehouseBook> companyWarehouseBooks(const QString& companyIdText) {
    Database db = Database::openBook(context().companyRegister());
    Recordset rs = db.openRecordset(
        QStringLiteral("select nazivknjige,vrstaknjige,idtvrtke,id from otvoreneknjige where "
                       "vrstaknjige like ? and idtvrtke like ? order by nazivknjige asc"),
        {kWarehouseKind, context().bookRowsOf(companyIdText)});
    std::vector<WarehouseBook> books;
    for (; !rs.eof(); rs.moveNext()) {
        // A row that names no book file of ours is no book to draw from.
        if (!isBookRow(rs.text(QStringLiteral("vrstaknjige")), rs.text(QStringLiteral("id"))))
            continue;
        books.push_back({rs.text(QStringLiteral("id")), rs.text(QStringLiteral("nazivknjige")),
                         rs.text(QStringLiteral("vrstaknjige"))});
    }
    return books;
}

std::optional<WarehouseBook> registeredBook(const QString& id) {
    Database db = Database::openBook(context().companyRegister());
    Recordset rs = db.openRecordset(
        QStringLiteral("select id,nazivknjige,vrstaknjige from otvoreneknjige where id=?"),
        {id.trimmed()});
    if (rs.eof()) return std::nullopt;
    return WarehouseBook{rs.text(QStringLiteral("id")), rs.text(QStringLiteral("nazivknjige")),
                         rs.text(QStringLiteral("vrstaknjige"))};
}

std::vector<Product> loadProducts(const BookLocation& book) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(QStringLiteral("select * from proizvodi order by naziv asc"));
    std::vector<Product> products;
    products.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext())
        products.push_back(productOf(rs));
    return products;
}

ProductClash findProductClash(const BookLocation& book, const ProductHeader& header,
                              const QString& exceptId) {
    Database db = Database::openBook(book);
    Recordset rs =
        exceptId.isEmpty()
            ? db.openRecordset(QStringLiteral("select sifra,naziv,barkod from proizvodi"))
            : db.openRecordset(QStringLiteral("select sifra,naziv,barkod from proizvodi "
                                              "where id<>?"),
                               {exceptId});
    const QString code = header.sifra.trimmed();
    const QString name = header.naziv.trimmed();
    const QString barcode = header.barkod.trimmed();
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.text(QStringLiteral("sifra")).trimmed() == code) return ProductClash::Code;
        if (rs.text(QStringLiteral("naziv")).trimmed() == name) return ProductClash::Name;
        const QString stored = rs.text(QStringLiteral("barkod")).trimmed();
        if (!stored.isEmpty() && stored == barcode) return ProductClash::Barcode;
    }
    return ProductClash::None;
}

QString storeProduct(const BookLocation& book, const ProductHeader& header,
                     const std::vector<BillLine>& lines) {
    Database db = Database::openBook(book);
    Transaction t(db);
    db.execute(QStringLiteral("insert into proizvodi(naziv,sifra,barkod,jedmjere)values(?,?,?,?)"),
               {header.naziv, header.sifra, header.barkod, header.jedmjere.trimmed()});
    const QString id = QString::number(db.lastInsertId());
    for (const BillLine& line : lines)
        insertLine(db, id, line);
    t.commit();
    return id;
}

void saveProductChange(const BookLocation& book, const QString& id, const ProductHeader& header,
                       const std::vector<BillLine>& lines, const QStringList& removedLineIds) {
    Database db = Database::openBook(book);
    Transaction t(db);
    db.execute(
        QStringLiteral("update proizvodi set sifra=?,naziv=?,barkod=?,jedmjere=? where id=?"),
        {header.sifra, header.naziv, header.barkod, header.jedmjere, id});
    for (const BillLine& line : lines) {
        if (line.lineId.trimmed() == QLatin1String("0")) insertLine(db, id, line);
    }
    for (const QString& lineId : removedLineIds) {
        if (lineId.trimmed() != QLatin1String("0"))
            db.execute(QStringLiteral("delete from sastojci where id=?"), {lineId.trimmed()});
    }
    t.commit();
}

bool productInWorkOrder(const BookLocation& book, const QString& id) {
    Database db = Database::openBook(book);
    return !db.openRecordset(
                  QStringLiteral("select idproizvoda from radninalozi where idproizvoda=?"), {id})
                .eof();
}

void deleteProduct(const BookLocation& book, const QString& id) {
    Database db = Database::openBook(book);
    Transaction t(db);
    db.execute(QStringLiteral("delete from sastojci where idproizvoda=?"), {id});
    db.execute(QStringLiteral("delete from proizvodi where id=?"), {id});
    t.commit();
}

std::optional<LoadedProduct> loadProduct(const BookLocation& book, const QString& id) {
    LoadedProduct loaded;
    {
        Database db = Database::openBook(book);
        Recordset rs = db.openRecordset(QStringLiteral("select * from proizvodi where id=?"), {id});
        if (rs.eof()) return std::nullopt;
        loaded.product = productOf(rs);
        Recordset bill = db.openRecordset(
            QStringLiteral("select * from sastojci where idproizvoda=? order by id"), {id});
        for (; !bill.eof(); bill.moveNext()) {
            BillLine line;
            line.articleId = bill.text(QStringLiteral("idartikla"));
            line.bookId = bill.text(QStringLiteral("idskladista"));
            line.lineId = bill.text(QStringLiteral("id"));
            const QString q = format00(bill.number(QStringLiteral("kolicina")), Precision::Single);
            const QString p = format00(bill.number(QStringLiteral("cijena")), Precision::Currency);
            const Currency amount =
                Currency::fromDouble(numberOrZero(q)) * Currency::fromDouble(numberOrZero(p));
            line.kolicina = padLeft(q, 12);
            line.cijena = padLeft(p, 12);
            line.iznos = padLeft(format00(amount.toDouble(), Precision::Currency), 12);
            loaded.lines.push_back(line);
        }
    }

    // Each warehouse book is opened once, however many lines it supplies.
    std::optional<Database> master;
    QHash<QString, std::optional<WarehouseBook>> books;
    std::map<QString, Database> open;
    for (BillLine& line : loaded.lines) {
        if (!books.contains(line.bookId)) {
            if (!master) master = Database::openBook(context().companyRegister());
            Recordset rs = master->openRecordset(
                QStringLiteral("select id,nazivknjige,vrstaknjige from otvoreneknjige where id=?"),
                {line.bookId.trimmed()});
            books.insert(line.bookId, rs.eof() ? std::nullopt
                                               : std::optional<WarehouseBook>(WarehouseBook{
                                                     rs.text(QStringLiteral("id")),
                                                     rs.text(QStringLiteral("nazivknjige")),
                                                     rs.text(QStringLiteral("vrstaknjige"))}));
        }
        const std::optional<WarehouseBook>& book = books.value(line.bookId);
        if (!book) continue;
        line.bookName = book->name;
        auto it = open.find(line.bookId);
        if (it == open.end())
            it = open.emplace(line.bookId, Database::openBook(book->location())).first;
        Recordset rs = it->second.openRecordset(
            QStringLiteral("select id,sifra,naziv from artikli where id=?"), {line.articleId});
        if (rs.eof()) continue;
        line.articleCode = rs.text(QStringLiteral("sifra"));
        line.articleName = rs.text(QStringLiteral("naziv"));
    }
    return loaded;
}

QString productPrice(const std::vector<BillLine>& lines) {
    float price = 0;
    for (const BillLine& line : lines)
        price = toSingle(double(price) + double(toSingle(listFigure(line.iznos))));
    return format00(price, Precision::Single);
}

QString productSheet(const ProductHeader& header, const std::vector<BillLine>& lines,
                     const QString& priceText, const QDate& today) {
    using namespace report;
    QString s;
    auto line = [&s](const QString& text) { s += text + kCrLf; };
    line(QStringLiteral("Ispis podataka za proizvod: ") + header.naziv +
         QStringLiteral(" na dan: ") + today.toString(QStringLiteral("dd.MM.yyyy")));
    line(underscores());
    line(QStringLiteral("Naziv proizvoda: ") + header.naziv);
    line(QStringLiteral("Šifra proizvoda: ") + header.sifra);
    line(QStringLiteral("Barkod         : ") + header.barkod);
    line(QStringLiteral("Jedinica mjere : ") + header.jedmjere);
    line(QStringLiteral("Sastavnica:"));
    line(underscores());
    line(
        QStringLiteral("Skladište        Šifra art. Naziv artikla              Količina Cijena   "
                       "Iznos"));
    line(underscores());
    for (const BillLine& b : lines) {
        line(left(cut(b.bookName, 16), 17) + left(cut(b.articleCode, 10), 11) +
             left(cut(b.articleName, 26), 27) +
             right(format00(listFigure(b.kolicina), Precision::Single), 8) + u' ' +
             right(format00(listFigure(b.cijena), Precision::Currency), 8) + u' ' +
             right(format00(listFigure(b.iznos)), 9));
    }
    line(dashes());
    line(blanks(48) + QStringLiteral("Ukupna cijena proizvoda: ") + right(priceText.trimmed(), 8));
    return s;
}

sheet::Sheet productSheetTable(const ProductHeader& header, const std::vector<BillLine>& lines,
                               const QString& priceText, const QDate& today) {
    using sheet::Cell;
    sheet::Sheet s;
    s.name = QStringLiteral("Proizvod ") + header.naziv.trimmed();
    s.titleLines = {QStringLiteral("Ispis podataka za proizvod: ") + header.naziv +
                        QStringLiteral(" na dan: ") + dateText(today),
                    (QStringLiteral("Šifra proizvoda: ") + header.sifra).trimmed(),
                    (QStringLiteral("Barkod: ") + header.barkod).trimmed(),
                    (QStringLiteral("Jedinica mjere: ") + header.jedmjere).trimmed()};
    s.heading = {QStringLiteral("Skladište"),     QStringLiteral("Šifra art."),
                 QStringLiteral("Naziv artikla"), QStringLiteral("Količina"),
                 QStringLiteral("Cijena"),        QStringLiteral("Iznos")};
    // Each figure as the sheet's text shows it.
    const auto figure = [](const QString& text, Precision p) {
        return Cell::ofNumber(numberOrZero(format00(listFigure(text), p)));
    };
    for (const BillLine& b : lines)
        s.rows.push_back(
            {Cell::ofText(b.bookName.trimmed()), Cell::ofText(b.articleCode.trimmed()),
             Cell::ofText(b.articleName.trimmed()), figure(b.kolicina, Precision::Single),
             figure(b.cijena, Precision::Currency), figure(b.iznos, Precision::Double)});
    s.totals.push_back({Cell::ofText(QStringLiteral("Ukupna cijena proizvoda")), Cell::empty(),
                        Cell::empty(), Cell::empty(), Cell::empty(),
                        Cell::ofNumber(listFigure(priceText))});
    return s;
}

}  // namespace kl
