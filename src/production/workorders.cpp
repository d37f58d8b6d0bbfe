#include "production/workorders.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/database.h"
#include "reports/reportlayout.h"
#include "warehouse/documents.h"

#include <cmath>
#include <map>

namespace kl {

namespace {

const QString kProductionCustomer = QStringLiteral("Proizvodnja");

// A figure shown in a field or a list ("  12,50") as a number.
double shown(const QString& text) {
    return numberOrZero(text.trimmed());
}

// A figure as whole hundredths, so that figures shown with two decimals compare exactly.
qint64 cents(const QString& text) {
    return std::llround(shown(text) * 100.0);
}

// The count of issue notes of a warehouse book plus one: the number of its next issue note,
// shared by issues entered by hand and issues of work orders.
int nextIssueNumber(Database& db, const QString& schema) {
    return countDocuments(db, schema, DocumentKind::Issue) + 1;
}

}  // namespace

// ---- Materials of a product --------------------------------------------------------------------

std::optional<ProductMaterials> loadMaterials(const BookLocation& book,
                                              const QString& productName) {
    ProductMaterials m;
    {
        Database db = Database::openBook(book);
        Recordset product = db.openRecordset(
            QStringLiteral("select id,naziv from proizvodi where naziv=? order by id"),
            {productName});
        if (product.eof()) return std::nullopt;
        m.productId = product.text(QStringLiteral("id"));
        Recordset bill = db.openRecordset(
            QStringLiteral("select * from sastojci where idproizvoda=? order by id"),
            {m.productId});
        for (; !bill.eof(); bill.moveNext()) {
            MaterialLine line;
            line.lineId = bill.text(QStringLiteral("id"));
            line.articleId = bill.text(QStringLiteral("idartikla"));
            line.bookId = bill.text(QStringLiteral("idskladista")).trimmed();
            line.billQuantity = bill.number(QStringLiteral("kolicina"));
            line.billPrice = bill.number(QStringLiteral("cijena"));
            m.lines.push_back(line);
        }
    }

    // Each warehouse book is read once, however many lines it supplies.
    struct Book {
        std::optional<WarehouseBook> registered;
        std::optional<Database> db;
        int nextIssue = 0;
    };
    std::map<QString, Book> books;
    for (MaterialLine& line : m.lines) {
        auto it = books.find(line.bookId);
        if (it == books.end()) {
            Book book;
            book.registered = registeredBook(line.bookId);
            if (book.registered) {
                book.db = Database::openBook(book.registered->location());
                book.nextIssue = nextIssueNumber(*book.db, QStringLiteral("main"));
            }
            it = books.emplace(line.bookId, std::move(book)).first;
        }
        Book& book = it->second;
        line.stock = format00(0);
        if (book.registered) {
            line.bookName = book.registered->name;
            line.bookKind = book.registered->kind;
            line.issueNumber = book.nextIssue;
            Recordset rs = book.db->openRecordset(
                QStringLiteral("select id,naziv,stanje from artikli where id=?"), {line.articleId});
            if (!rs.eof()) {
                line.articleName = rs.text(QStringLiteral("naziv"));
                line.stock = format00(rs.number(QStringLiteral("stanje")), Precision::Single);
            }
        }
        const QString q = format00(line.billQuantity, Precision::Single);
        const QString p = format00(line.billPrice, Precision::Currency);
        const Currency amount =
            Currency::fromDouble(numberOrZero(q)) * Currency::fromDouble(numberOrZero(p));
        line.needed = q;
        line.amount = format00(amount.toDouble(), Precision::Currency);
    }
    return m;
}

void applyQuantity(std::vector<MaterialLine>& lines, const QString& units) {
    const double q = numberOrZero(format00(shown(units)));
    for (MaterialLine& line : lines) {
        const double perUnit = numberOrZero(format00(line.billQuantity, Precision::Single));
        line.needed = format00(q * perUnit);
        line.amount = format00(line.billPrice * numberOrZero(line.needed));
    }
}

QString materialCost(const std::vector<MaterialLine>& lines) {
    float sum = 0;
    for (const MaterialLine& line : lines)
        sum = toSingle(double(sum) + double(toSingle(shown(line.amount))));
    return format00(sum, Precision::Single);
}

QString totalCost(const WorkOrderCosts& c) {
    float sum = 0;
    for (const QString* value :
         {&c.material, &c.labour, &c.services, &c.other1, &c.other2, &c.other3})
        sum = toSingle(double(sum) + double(toSingle(shown(*value))));
    return format00(sum, Precision::Single);
}

std::optional<QString> costPerUnit(const QString& material, const QString& units) {
    const float q = toSingle(shown(units));
    if (q == 0.0f) return std::nullopt;
    return format00(toSingle(double(toSingle(shown(material))) / double(q)), Precision::Single);
}

QStringList shortages(const std::vector<MaterialLine>& lines) {
    QStringList found;
    for (const MaterialLine& line : lines) {
        const qint64 missing = cents(line.needed) - cents(line.stock);
        if (missing > 0) {
            found.append(line.bookName + QStringLiteral(": (") + line.articleName +
                         QStringLiteral(") Nedostaje: ") + format00(double(missing) / 100.0));
        }
    }
    return found;
}

QString shortageMessage(const QStringList& shortages) {
    QString lines;
    for (const QString& s : shortages)
        lines += s + u'\n';
    return QStringLiteral(" Nema dovoljno u  skladištu: \n______________\n") + lines +
           QStringLiteral("\n_______________\nSmanjite broj proizvoda ili popunite skladišta!");
}

// ---- The work orders of the book ---------------------------------------------------------------

QStringList productNames(const BookLocation& book) {
    Database db = Database::openBook(book);
    QStringList names;
    for (Recordset rs = db.openRecordset(QStringLiteral("select naziv from proizvodi order by id"));
         !rs.eof(); rs.moveNext())
        names.append(rs.text(QStringLiteral("naziv")));
    return names;
}

int nextWorkOrderNumber(const BookLocation& book) {
    Database db = Database::openBook(book);
    return db.openRecordset(QStringLiteral("select count(*) as n from radninalozi"))
               .value(0)
               .toInt() +
           1;
}

std::vector<WorkOrderRow> loadWorkOrders(const BookLocation& book) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(QStringLiteral(
        "select radninalozi.brojrn,radninalozi.datumotv,radninalozi.datumzatv,"
        "radninalozi.kolicinaproizvoda,proizvodi.naziv from radninalozi "
        "left join proizvodi on proizvodi.id = radninalozi.idproizvoda order by radninalozi.id"));
    std::vector<WorkOrderRow> rows;
    rows.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext()) {
        rows.push_back(
            {rs.text(QStringLiteral("brojrn")), rs.text(QStringLiteral("naziv")),
             rs.text(QStringLiteral("datumotv")), rs.text(QStringLiteral("datumzatv")),
             padLeft(format00(rs.number(QStringLiteral("kolicinaproizvoda")), Precision::Single),
                     12)});
    }
    return rows;
}

// ---- Issuing -----------------------------------------------------------------------------------

IssueResult issueWorkOrder(const BookLocation& book, const WorkOrder& order,
                           const std::vector<MaterialLine>& lines) {
    // The supplying warehouse books in the order of their first lines, each attached to the
    // production book's connection so that one transaction covers every book.
    struct Supplier {
        QString bookId;
        QString name;
        QString schema;
        QString customerId;
        QString issueNumber;
        QString serverSchema;  // on a server: the book's schema, locked while writing
    };
    std::vector<Supplier> suppliers;
    auto supplierOf = [&suppliers](const MaterialLine& line) -> Supplier& {
        for (Supplier& s : suppliers)
            if (s.bookId == line.bookId.trimmed()) return s;
        throw DbError(3021, QStringLiteral("Skladište ne postoji."));
    };

    Database db = Database::openBook(book);
    for (const MaterialLine& line : lines) {
        const QString id = line.bookId.trimmed();
        bool known = false;
        for (const Supplier& s : suppliers)
            known = known || s.bookId == id;
        if (known) continue;
        const BookLocation location =
            context().checkedBookLocation(checkedBookFileName(line.bookKind, id));
        Supplier s{
            id, line.bookName,    QStringLiteral("skladiste%1").arg(suppliers.size() + 1), {},
            {}, location.schema()};
        db.attachBook(location, s.schema);
        Recordset customer = db.openRecordsetIn(
            s.schema, QStringLiteral("select id,ime from kd where ime=? order by id"),
            {kProductionCustomer});
        if (customer.eof()) return {{line.bookName}, {}, {}};
        s.customerId = customer.text(QStringLiteral("id"));
        suppliers.push_back(s);
    }

    const float units = toSingle(shown(order.kolicina));
    // The numbers of the work order and of its issue notes are taken inside the one write, with
    // every book it writes locked in turn against other clerks.
    QStringList locked{db.serverSchema()};
    for (const Supplier& s : suppliers)
        locked.append(s.serverSchema);
    QString workOrderId, brojrn;
    runWrite(db, locked, [&] {
        brojrn = order.brojrn;
        if (order.proposedNumber)
            brojrn = QString::number(
                db.openRecordset(QStringLiteral("select count(*) as n from radninalozi"))
                    .value(0)
                    .toInt() +
                1);
        for (Supplier& s : suppliers) {
            s.issueNumber = QString::number(nextIssueNumber(db, s.schema));
            db.executeIn(s.schema,
                         QStringLiteral("insert into pi(pi,brojpi,datumpi,idkd)values(?,?,?,?)"),
                         {kindLetter(DocumentKind::Issue), s.issueNumber, dateText(order.datumotv),
                          s.customerId});
            const QString headerId = QString::number(db.lastInsertId());
            for (const MaterialLine& line : lines) {
                if (line.bookId.trimmed() != s.bookId) continue;
                Recordset rs = db.openRecordsetIn(
                    s.schema, QStringLiteral("select stanje,vrijednost from artikli where id=?"),
                    {line.articleId});
                if (rs.eof()) {
                    throw DbError(3021, QStringLiteral("Artikl %1 ne postoji u skladištu %2.")
                                            .arg(line.articleName, s.name));
                }
                const double issued = double(toSingle(line.billQuantity)) * double(units);
                const StockFigures now = applyWorkOrderIssue(
                    rs.number(QStringLiteral("stanje")), rs.number(QStringLiteral("vrijednost")),
                    issued, line.billPrice);
                db.executeIn(s.schema,
                             QStringLiteral("update artikli set stanje=?,vrijednost=? where id=?"),
                             {singleText(now.stanje), singleText(now.vrijednost), line.articleId});
            }
            for (const MaterialLine& line : lines) {
                if (line.bookId.trimmed() != s.bookId) continue;
                db.executeIn(
                    s.schema,
                    QStringLiteral("insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)"
                                   "values(?,?,?,?,?)"),
                    {line.articleId, headerId, s.customerId, line.needed.trimmed(),
                     currencyText(line.billPrice)});
            }
        }

        const WorkOrderCosts& c = order.costs;
        db.execute(
            QStringLiteral("insert into radninalozi(brojrn,datumotv,datumzatv,idproizvoda,"
                           "kolicinaproizvoda,trosakmat,trosakrada,trosakusluga,ostali1,"
                           "ostali2,ostali3)values(?,?,?,?,?,?,?,?,?,?,?)"),
            {brojrn, dateText(order.datumotv), dateText(order.datumzatv), order.productId,
             order.kolicina.trimmed(), c.material.trimmed(), c.labour.trimmed(),
             c.services.trimmed(), c.other1.trimmed(), c.other2.trimmed(), c.other3.trimmed()});
        workOrderId = QString::number(db.lastInsertId());
        for (const MaterialLine& line : lines) {
            const Supplier& s = supplierOf(line);
            // The cost row keeps the first 20 characters of a longer book name.
            db.execute(
                QStringLiteral("insert into troskovi(idrn,nazivskladista,izdatnicabr,iznos)"
                               "values(?,?,?,?)"),
                {workOrderId, report::cut(s.name, 20), s.issueNumber, line.amount.trimmed()});
        }
    });
    return {{}, workOrderId, brojrn};
}

// ---- Changing an issued work order
// ---------------------------------------------------------------

std::optional<StoredWorkOrder> loadWorkOrder(const BookLocation& book, const QString& brojrn) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(
        QStringLiteral("select radninalozi.*,proizvodi.naziv from radninalozi left join proizvodi "
                       "on proizvodi.id = radninalozi.idproizvoda where radninalozi.brojrn=? "
                       "order by radninalozi.id"),
        {brojrn.trimmed()});
    if (rs.eof()) return std::nullopt;
    auto figure = [&rs](const char* field) {
        return format00(rs.number(QString::fromLatin1(field)), Precision::Single);
    };
    StoredWorkOrder w;
    w.id = rs.text(QStringLiteral("id"));
    w.productName = rs.text(QStringLiteral("naziv"));
    w.order.brojrn = rs.text(QStringLiteral("brojrn"));
    w.order.datumotv = rs.value(QStringLiteral("datumotv")).toDate();
    w.order.datumzatv = rs.value(QStringLiteral("datumzatv")).toDate();
    w.order.productId = rs.text(QStringLiteral("idproizvoda"));
    w.order.kolicina = figure("kolicinaproizvoda");
    w.order.costs = {figure("trosakmat"), figure("trosakrada"), figure("trosakusluga"),
                     figure("ostali1"),   figure("ostali2"),    figure("ostali3")};
    Recordset costs =
        db.openRecordset(QStringLiteral("select * from troskovi where idrn=? order by id"), {w.id});
    for (; !costs.eof(); costs.moveNext()) {
        w.costLines.push_back({costs.text(QStringLiteral("nazivskladista")),
                               costs.text(QStringLiteral("izdatnicabr")),
                               format00(costs.number(QStringLiteral("iznos")), Precision::Single)});
    }
    return w;
}

void saveWorkOrderChange(const BookLocation& book, const QString& id, const QDate& datumotv,
                         const QDate& datumzatv, const WorkOrderCosts& c) {
    Database db = Database::openBook(book);
    db.execute(QStringLiteral("update radninalozi set datumotv=?,datumzatv=?,trosakrada=?,"
                              "trosakusluga=?,ostali1=?,ostali2=?,ostali3=? where id=?"),
               {dateText(datumotv), dateText(datumzatv), c.labour.trimmed(), c.services.trimmed(),
                c.other1.trimmed(), c.other2.trimmed(), c.other3.trimmed(), id});
}

QString workOrderSheet(const QString& productName, const WorkOrder& order,
                       const std::vector<CostLine>& costLines, const QString& total,
                       const QString& perUnit, const QDate& today) {
    using namespace report;
    QString s;
    auto line = [&s](const QString& text) { s += text + kCrLf; };
    // A name longer than its column is kept whole (the date then follows it directly).
    auto padded = [](const QString& text, int width) {
        return text.size() >= width ? text : padRight(text, width);
    };
    line(QStringLiteral("Ispis radnog naloga za proizvod: ") + productName +
         QStringLiteral(" na dan: ") + today.toString(QStringLiteral("dd.MM.yyyy")));
    line(underscores());
    line(QStringLiteral("Br.rad.naloga: ") + padded(order.brojrn, 20) +
         QStringLiteral("Datum  otvaranja rad.naloga: ") + dateText(order.datumotv));
    line(QStringLiteral("Ime proizvoda: ") + padded(productName, 20) +
         QStringLiteral("Datum zatvaranja rad.naloga: ") + dateText(order.datumzatv));
    line(QStringLiteral("Kol.proiz.:    ") + order.kolicina.trimmed());
    line(QStringLiteral("Popis izdat.:   "));
    line(underscores());
    line(QStringLiteral("Skladište        Izdatnica broj Iznos izdatnice"));
    line(underscores());
    float sum = 0;
    for (const CostLine& c : costLines) {
        line(left(cut(c.bookName, 16), 17) + padded(c.issueNumber, 14) +
             right(format00(shown(c.amount)), 15));
        sum = toSingle(double(sum) + double(toSingle(shown(c.amount))));
    }
    line(dashes());
    line(blanks(13) + QStringLiteral("Ukupna cijena izdatnica: ") +
         right(format00(sum, Precision::Single), 8));
    line(QStringLiteral("Troškovi"));
    line(dashes(7));
    const WorkOrderCosts& c = order.costs;
    const std::pair<const char*, QString> costs[] = {
        {"Trošak materijala: ", c.material}, {"Trošak rada:       ", c.labour},
        {"Trošak usluga:     ", c.services}, {"Ostali troškovi 1: ", c.other1},
        {"Ostali troškovi 2: ", c.other2},   {"Ostali troškovi 3: ", c.other3}};
    for (const auto& [label, value] : costs)
        line(QString::fromUtf8(label) + right(value.trimmed(), 12));
    line(dashes(40));
    line(QStringLiteral("Troškovi ukupno:   ") + right(total.trimmed(), 12));
    line(QStringLiteral("Troškovi po j.mj.: ") + right(perUnit.trimmed(), 12));
    return s;
}

sheet::Sheet workOrderSheetTable(const QString& productName, const WorkOrder& order,
                                 const std::vector<CostLine>& costLines, const QString& total,
                                 const QString& perUnit, const QDate& today) {
    using sheet::Cell;
    sheet::Sheet s;
    s.name = QStringLiteral("Radni nalog ") + order.brojrn.trimmed();
    s.titleLines = {QStringLiteral("Ispis radnog naloga za proizvod: ") + productName +
                        QStringLiteral(" na dan: ") + dateText(today),
                    QStringLiteral("Br.rad.naloga: ") + order.brojrn.trimmed(),
                    QStringLiteral("Kol.proiz.: ") + order.kolicina.trimmed(),
                    QStringLiteral("Datum otvaranja rad.naloga: ") + dateText(order.datumotv),
                    QStringLiteral("Datum zatvaranja rad.naloga: ") + dateText(order.datumzatv)};
    s.heading = {QStringLiteral("Skladište"), QStringLiteral("Izdatnica broj"),
                 QStringLiteral("Iznos izdatnice")};
    const auto figure = [](const QString& text) {
        return Cell::ofNumber(numberOrZero(format00(shown(text))));
    };
    float sum = 0;  // summed as the sheet's text sums it
    for (const CostLine& c : costLines) {
        s.rows.push_back({Cell::ofText(c.bookName.trimmed()), Cell::ofText(c.issueNumber.trimmed()),
                          figure(c.amount)});
        sum = toSingle(double(sum) + double(toSingle(shown(c.amount))));
    }
    const auto total2 = [&s](const QString& label, const Cell& value) {
        s.totals.push_back({Cell::ofText(label), Cell::empty(), value});
    };
    total2(QStringLiteral("Ukupna cijena izdatnica"),
           Cell::ofNumber(numberOrZero(format00(sum, Precision::Single))));
    const WorkOrderCosts& c = order.costs;
    const std::pair<const char*, QString> costs[] = {
        {"Trošak materijala", c.material}, {"Trošak rada", c.labour},
        {"Trošak usluga", c.services},     {"Ostali troškovi 1", c.other1},
        {"Ostali troškovi 2", c.other2},   {"Ostali troškovi 3", c.other3},
        {"Troškovi ukupno", total},        {"Troškovi po j.mj.", perUnit}};
    for (const auto& [label, value] : costs)
        total2(QString::fromUtf8(label), value.trimmed().isEmpty() ? Cell::empty() : figure(value));
    return s;
}

}  // namespace kl
