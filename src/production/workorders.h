#pragma once
// Work orders of a production book, without windows: the materials a chosen product needs, their
// cost, the stock check, issuing a work order, changing it afterwards and its printed sheet.
//
// Issuing a work order posts, in every warehouse book that supplies material, one issue note
// ("Izdatnica", customer "Proizvodnja") that takes the needed quantities and their value at the
// bill price out of stock, and stores in the production book the work order (`radninalozi`) and
// one cost row (`troskovi`) per material line. The production book and every warehouse book it
// touches are written in one transaction: either all of it is stored or nothing is.
//
// As in products.h, every function opens what it needs in the program folder of the application
// context and throws DbError on a database failure.

#include "data/booklocation.h"
#include "production/products.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kl {

// One bill line of the chosen product as the work order window needs it.
struct MaterialLine {
    // From the bill.
    QString lineId;           // `sastojci.id`
    QString articleId;        // `idartikla`
    QString bookId;           // `idskladista`
    QString bookKind;         // `vrstaknjige` of that book
    QString bookName;         // `nazivknjige` of that book
    double billQuantity = 0;  // `kolicina` per unit of product (single)
    double billPrice = 0;     // `cijena` (currency)
    // From the warehouse book when the product was chosen.
    QString articleName;  // empty when the article is gone
    QString stock;        // `stanje`, "0.00"
    int issueNumber = 0;  // the number that book's next issue note gets
    // Computed for the number of units (applyQuantity).
    QString needed;  // quantity needed, "0.00"
    QString amount;  // line amount, "0.00"
};

// The chosen product's id and its bill lines in bill order, with the figures for one unit:
// needed = bill quantity, amount = bill quantity x bill price as currency, both "0.00". Nothing
// when no product has that name. Several lines of one warehouse book get the same issue number.
struct ProductMaterials {
    QString productId;
    std::vector<MaterialLine> lines;
};
std::optional<ProductMaterials> loadMaterials(const BookLocation& book, const QString& productName);

// Recomputes every line for `units` units of product (the quantity field's text): needed =
// units x bill quantity (each with two decimals), amount = bill price x needed.
void applyQuantity(std::vector<MaterialLine>& lines, const QString& units);

// The material cost: the sum of the amounts, formatted "0.00".
QString materialCost(const std::vector<MaterialLine>& lines);

// The cost fields of a work order, as the window shows them ("0,00").
struct WorkOrderCosts {
    QString material;  // `trosakmat`
    QString labour;    // `trosakrada`
    QString services;  // `trosakusluga`
    QString other1, other2, other3;
};

// Total cost (all six) and cost per unit (material cost / units), each "0.00"; the cost per unit
// is nothing for zero units.
QString totalCost(const WorkOrderCosts& costs);
std::optional<QString> costPerUnit(const QString& materialCost, const QString& units);

// The lines whose stock is less than what is needed, one text per line:
// "<book name>: (<article name>) Nedostaje: <needed - stock>".
QStringList shortages(const std::vector<MaterialLine>& lines);

// The message that reports the shortages (title "Nema dovoljno!").
QString shortageMessage(const QStringList& shortages);

// ---- The work orders of the book ---------------------------------------------------------------

// Product names in stored order, for the product picker.
QStringList productNames(const BookLocation& book);

// The number the next work order gets: the count of work orders plus one.
int nextWorkOrderNumber(const BookLocation& book);

// A row of the work order list: number, product name, both dates ("dd.MM.yyyy") and the number
// of units ("0.00", right-aligned in 12 characters).
struct WorkOrderRow {
    QString brojrn;
    QString productName;
    QString datumotv;
    QString datumzatv;
    QString kolicina;
};
std::vector<WorkOrderRow> loadWorkOrders(const BookLocation& book);

// ---- Issuing -----------------------------------------------------------------------------------

struct WorkOrder {
    QString brojrn;
    QDate datumotv;
    QDate datumzatv;
    QString productId;
    QString kolicina;  // number of units, as shown
    WorkOrderCosts costs;
    // The number is the one the window proposed: issuing gives the next number at that moment
    // (see DocumentHeader::proposedNumber).
    bool proposedNumber = false;
};

// Why a work order was not issued although nothing failed.
struct IssueRefusal {
    // The warehouse book that has no customer named "Proizvodnja"; empty when nothing refused.
    QString bookWithoutCustomer;
    bool refused() const { return !bookWithoutCustomer.isEmpty(); }
};

struct IssueResult {
    IssueRefusal refusal;
    QString workOrderId;  // `radninalozi.id` of the stored work order
    QString brojrn;       // the number it was issued under
};

// Issues the work order with the material lines as the window computed them (needed quantities
// and amounts for its number of units): one issue note per supplying warehouse book, in the order
// of the books' first lines, dated on the work order's opening date; per line the article's stock
// falls by bill quantity x units and its value by that times the bill price (the average price
// stays); the work order row; one cost row per line with the book's name (cut to 20 characters),
// its issue note's number and the line amount. Issue notes are numbered at issue time as every
// issue of that book is (count + 1). A warehouse book without the customer "Proizvodnja" refuses
// the issue before anything is written.
IssueResult issueWorkOrder(const BookLocation& book, const WorkOrder& order,
                           const std::vector<MaterialLine>& lines);

// ---- Changing an issued work order
// ---------------------------------------------------------------

// A cost row of a stored work order.
struct CostLine {
    QString bookName;
    QString issueNumber;
    QString amount;  // "0.00"
};

struct StoredWorkOrder {
    QString id;  // `radninalozi.id`
    QString productName;
    WorkOrder order;  // the number of units and the costs formatted "0.00"
    std::vector<CostLine> costLines;
};

// The work order numbered `brojrn`, or nothing.
std::optional<StoredWorkOrder> loadWorkOrder(const BookLocation& book, const QString& brojrn);

// Saves the dates and the labour, services and other costs of the work order `id`; its product,
// number of units, material cost and issue notes never change after issue.
void saveWorkOrderChange(const BookLocation& book, const QString& id, const QDate& datumotv,
                         const QDate& datumzatv, const WorkOrderCosts& costs);

// The work order sheet printed from the work order window: CR LF line ends, for Courier New.
// `costLines` are the material list's lines, `total` and `perUnit` the texts the window shows.
QString workOrderSheet(const QString& productName, const WorkOrder& order,
                       const std::vector<CostLine>& costLines, const QString& total,
                       const QString& perUnit, const QDate& today);

// The same as a spreadsheet: the order's number, product, units and dates in the title rows, one
// row per issue note (book and number as text, amount as a number), then as totals the issue
// notes' sum, each cost, the total cost and the cost per unit, all numbers of two decimals.
sheet::Sheet workOrderSheetTable(const QString& productName, const WorkOrder& order,
                                 const std::vector<CostLine>& costLines, const QString& total,
                                 const QString& perUnit, const QDate& today);

}  // namespace kl
