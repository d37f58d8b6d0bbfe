#pragma once
// What the production tests share: a company with two warehouse books and a production book
// entered as the current book, articles in the warehouse books, products with bills stored
// through the program's own code, issues posted by hand into a warehouse book, the windows
// defined and every message box scripted, every print going to a PDF file in the test's folder.

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/database.h"
#include "production/productionwindows.h"
#include "production/products.h"
#include "production/workorders.h"
#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/printing.h"
#include "ui/windowregistry.h"
#include "warehouse/documents.h"
#include "warehouse/warehousewindows.h"
#include "windowtest.h"

#include <QDir>
#include <QTest>

#include <memory>

namespace kl::test {

// The company's books: the warehouse books "Glavno" and "Pomoćno" and the production book "Pogon"
// (the current book).
struct ProductionBooks {
    int companyId = 0, glavno = 0, pomocno = 0, proizvodnja = 0;
    BookLocation glavnoBook, pomocnoBook, productionBook;
    QString glavnoId() const { return QString::number(glavno); }
    QString pomocnoId() const { return QString::number(pomocno); }
};

// Creates the company "Alfa" with its books and enters the production book.
inline ProductionBooks enterProductionBook() {
    ProductionBooks b;
    b.companyId = addCompany(QStringLiteral("Alfa"));
    context().currentCompanyId = b.companyId;
    b.glavno = addBook(b.companyId, QStringLiteral("Glavno"), kWarehouseKind);
    b.pomocno = addBook(b.companyId, QStringLiteral("Pomoćno"), kWarehouseKind);
    b.proizvodnja = addBook(b.companyId, QStringLiteral("Pogon"), kProductionKind);
    b.glavnoBook = bookAt(kWarehouseKind, b.glavno);
    b.pomocnoBook = bookAt(kWarehouseKind, b.pomocno);
    b.productionBook = bookAt(kProductionKind, b.proizvodnja);
    context().currentBookFile = bookFileName(kProductionKind, QString::number(b.proizvodnja));
    context().currentBookType = kProductionKind;
    return b;
}

// A bill line not stored yet, as the product window's list holds it after "Dodaj na listu".
inline BillLine billLine(const QString& bookName, int bookId, int articleId, const QString& code,
                         const QString& name, const QString& quantity, const QString& price) {
    const double amount = numberOrZero(quantity) * numberOrZero(price);
    return {bookName,
            code,
            name,
            quantity,
            price,
            formatEntry(amount),
            QString::number(articleId),
            QString::number(bookId),
            QStringLiteral("0")};
}

// A hand-posted issue of one line in a warehouse book (the customer "Proizvodnja" seeded in
// every warehouse book); returns its header id.
inline qint64 postIssue(const BookLocation& book, const QString& articleId, const QString& quantity,
                        const QString& price) {
    DocumentHeader h;
    h.kind = DocumentKind::Issue;
    h.broj = QString::number(nextDocumentNumber(book, DocumentKind::Issue));
    h.datum = QDate::currentDate();
    h.partner = QStringLiteral("Proizvodnja");
    const QString amount = formatEntry(numberOrZero(quantity) * numberOrZero(price));
    return postDocument(book, h, {{QString(), QString(), quantity, price, amount, articleId}})
        .headerId;
}

// One value of a book, read with a bound select ("select stanje from artikli where id=?"), as
// its text form; empty when there is no row.
inline QString valueOf(const BookLocation& book, const QString& sql,
                       const QVariantList& params = {}) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(sql, params);
    return rs.eof() ? QString() : rs.text(rs.fieldName(0));
}

// Message box styles of the production windows.
constexpr int Exclamation = MsgStyle::OkOnly | MsgStyle::Exclamation;
constexpr int Question = MsgStyle::YesNo | MsgStyle::Question;
constexpr int OkQuestion = MsgStyle::OkOnly | MsgStyle::Question;
constexpr int Information = MsgStyle::OkOnly | MsgStyle::Information;

// The first `columns` cells of every row of a list, trimmed, joined by "|".
inline QStringList rows(ReportList* l, int columns) {
    QStringList texts;
    for (int r = 0; r < l->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells.append(l->text(r, c).trimmed());
        texts.append(cells.join(u'|'));
    }
    return texts;
}

// Each test gets the company and its books, every window defined, message boxes scripted and
// prints going to PDF files in the test's own folder; all windows are closed after it.
class ProductionTest : public WindowTest {
    Q_OBJECT
  protected:
    ProductionBooks books_;

  private slots:
    void init() {
        beginWindowTest();
        books_ = enterProductionBook();
        defineWarehouseWindows();
        defineProductionWindows();
    }
    void cleanup() { endWindowTest(); }
};

}  // namespace kl::test
