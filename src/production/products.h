#pragma once
// Products of a production book and their bills of materials, without windows.
//
// A product (`proizvodi`) is made from articles of the company's warehouse books: each bill line
// (`sastojci`) names one article of one warehouse book by the pair (book id in
// `otvoreneknjige`, article id in that book's `artikli`), with a quantity per unit of product and
// the unit price the article had when the line was entered. The articles stay in their warehouse
// books; the production book keeps only the ids.
//
// Every function opens the databases it needs (the master database and the book files in the
// program folder of the application context) and closes them again. A database failure throws
// DbError; a function that writes several rows writes them in one transaction, so a failure
// leaves the production book as it was.

#include "data/booklocation.h"
#include "ui/sheet.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kl {

// A warehouse book of the company, as `otvoreneknjige` registers it.
struct WarehouseBook {
    QString id;
    QString name;  // `nazivknjige`
    QString kind;  // `vrstaknjige`: "Skladiste"
    // Full path of the book's file in the program folder.
    BookLocation location() const;
};

// The warehouse books of the company `companyIdText` (its id as text), ordered by name.
std::vector<WarehouseBook> companyWarehouseBooks(const QString& companyIdText);

// The registered book `id` (any kind), or nothing when the register has no such book.
std::optional<WarehouseBook> registeredBook(const QString& id);

struct ProductHeader {
    QString sifra;     // code, at most 10 characters
    QString naziv;     // name, at most 30
    QString barkod;    // bar code, at most 13, may be empty
    QString jedmjere;  // unit of measure, at most 5
};

struct Product {
    QString id;
    ProductHeader header;
};

// Every product of the book ordered by name.
std::vector<Product> loadProducts(const BookLocation& book);

// A bill line as the product window's line list holds it: every figure is the text shown there.
struct BillLine {
    QString bookName;     // the warehouse book's name
    QString articleCode;  // `sifra` of the article in that book
    QString articleName;  // `naziv`
    QString kolicina;     // quantity per unit of product, "4,00"
    QString cijena;       // unit price, "1,20"
    QString iznos;        // quantity x price, "4,80"
    QString articleId;    // `idartikla`
    QString bookId;       // `idskladista`
    QString lineId;       // `sastojci.id`; "0" for a line not stored yet
};

// Which field of a product clashes with another product. Codes, names and bar codes are compared
// trimmed and exactly; an empty stored bar code never clashes.
enum class ProductClash { None, Code, Name, Barcode };

// The first clash of `header` with the stored products (code before name before bar code, product
// by product in stored order), leaving out the product `exceptId` when it is given.
ProductClash findProductClash(const BookLocation& book, const ProductHeader& header,
                              const QString& exceptId = QString());

// Stores a new product with its bill lines (in list order); returns the new product's id.
QString storeProduct(const BookLocation& book, const ProductHeader& header,
                     const std::vector<BillLine>& lines);

// Saves a change of the product `id`: its four header fields, the lines of `lines` not stored
// yet (line id "0"; stored lines stay as they are) and the deletion of the stored lines
// `removedLineIds`.
void saveProductChange(const BookLocation& book, const QString& id, const ProductHeader& header,
                       const std::vector<BillLine>& lines, const QStringList& removedLineIds);

// True when a work order of the book makes the product `id`.
bool productInWorkOrder(const BookLocation& book, const QString& id);

// Deletes the product `id` with its bill lines.
void deleteProduct(const BookLocation& book, const QString& id);

// A stored product with its bill lines as the product window shows them for editing: the
// warehouse book's name, the article's code and name as they now stand in that book (empty when
// the book or the article is gone), and quantity, price and amount (quantity x price as currency)
// formatted with two decimals and right-aligned in 12 characters. The price is the one stored on
// the bill line, never the article's current average price.
struct LoadedProduct {
    Product product;
    std::vector<BillLine> lines;
};
std::optional<LoadedProduct> loadProduct(const BookLocation& book, const QString& id);

// The product price: the sum of the line amounts, formatted "0.00".
QString productPrice(const std::vector<BillLine>& lines);

// The product sheet printed from the product window: CR LF line ends, for Courier New.
QString productSheet(const ProductHeader& header, const std::vector<BillLine>& lines,
                     const QString& priceText, const QDate& today);

// The same as a spreadsheet: the product's fields in the title rows, one row per bill line
// (book, code, name as text; quantity, price and amount as numbers of two decimals) and the
// product's price as the total.
sheet::Sheet productSheetTable(const ProductHeader& header, const std::vector<BillLine>& lines,
                               const QString& priceText, const QDate& today);

}  // namespace kl
