#pragma once
// A received e-invoice read into what a receipt needs. The file is UBL 2.1 (an Invoice, or a
// CreditNote) by EN 16931: the Croatian CIUS or Peppol BIS Billing 3.0. Reading takes the
// supplier, the document's number, date and currency, the lines with their quantities, amounts
// and item identifiers, the document-level allowances and charges and the totals; `costLines`
// then gives each goods line its net cost and the unit price of the receipt line. Widget-free;
// nothing is stored here.
//
// The file is parsed with QXmlStreamReader and trusted in nothing: over 20 MB, not XML, a
// document type declaration or an entity of its own (never expanded), another root than
// Invoice/CreditNote, a number written with a comma or a date that is no date are refused with a
// Croatian message naming the element and the line. Elements are matched by namespace, not by
// prefix; the UBL extensions (signatures, the Croatian extension elements) and every element
// not used here are skipped.

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace kl::einvoice {

// The namespace of a UBL 2.1 schema: "Invoice-2", "CommonBasicComponents-2", ...
QString ublNamespace(const char* schema);

// An exact decimal amount: the value times 10^6. The files' amounts have at most two decimals,
// their quantities and prices a few more; more than six are refused.
struct Decimal {
    std::int64_t micros = 0;
    static constexpr std::int64_t kScale = 1'000'000;
    double toDouble() const { return double(micros) / double(kScale); }
    bool operator==(const Decimal&) const = default;
    auto operator<=>(const Decimal&) const = default;
};
// "12.5" -> 12500000 micros; nullopt for anything that is not a plain decimal with a point.
std::optional<Decimal> parseDecimal(const QString& text);
// The plain text of an amount with at least two decimals: 12.5 -> "12.50", 0.125 -> "0.125".
QString decimalText(Decimal d);

struct Party {
    QString name;
    QString street;
    QString place;
    QString postalCode;
    QString oib;   // 11 digits, from the endpoint (scheme 9934), the VAT number or the legal id
    QString iban;  // the account paid into (PaymentMeans/PayeeFinancialAccount)
};

enum class LineKind {
    Goods,
    Service,      // a unit of service (hours, a lump sum, ...): no stock
    NotPositive,  // a quantity of zero or less: a return or a correction
};

struct Line {
    int fileLine = 0;  // where the line starts in the file
    QString id;
    QString name;
    QString gtin;       // StandardItemIdentification
    QString sellersId;  // SellersItemIdentification
    QString unitCode;
    Decimal quantity;
    Decimal lineAmount;  // net: the line's own allowances and charges are in it
    Decimal price;
    std::optional<Decimal> baseQuantity;
    std::optional<Decimal> vatPercent;
    LineKind kind = LineKind::Goods;
};

struct AllowanceCharge {
    bool charge = false;
    Decimal amount;
    QString reason;
};

struct Document {
    bool creditNote = false;
    QString customizationId;
    QString number;
    QDate issueDate;
    QString currency;
    Party supplier;
    std::vector<Line> lines;
    std::vector<AllowanceCharge> allowancesCharges;  // document level
    Decimal lineTotal;                               // LegalMonetaryTotal/LineExtensionAmount
    Decimal taxExclusive;
    std::optional<Decimal> payable;
};

struct ReadResult {
    std::optional<Document> document;
    QString error;  // Croatian, naming what is wrong and where; empty when read
};

inline constexpr qint64 kMaxFileSize = 20 * 1024 * 1024;

ReadResult readFile(const QString& path);
ReadResult read(const QByteArray& xml);

// The unit the book gives a UBL unit code: C62, H87, EA, PCE -> "kom", KGM -> "kg", LTR -> "l",
// MTR -> "m"; empty for any other (the clerk types it).
QString bookUnit(const QString& unitCode);

// What the totals of the file say against its lines: empty when the lines add up to the line
// total and lines plus charges minus allowances to the amount without VAT; otherwise the
// Croatian text naming each difference.
QString totalsProblem(const Document& doc);

// The cost of the goods lines as a receipt takes them.
struct CostOptions {
    bool addVat = false;               // a company outside the VAT system: VAT is a cost
    std::vector<bool> spreadServices;  // per line: a service line spread as a charge
    std::optional<Decimal> rate;       // EUR per unit of a foreign currency
};
struct CostedLine {
    int line = 0;       // index into Document::lines
    Decimal cost;       // net cost in EUR, the document's charges and allowances shared in
    Decimal unitPrice;  // cost / quantity at two decimals
};
struct Costing {
    std::vector<CostedLine> lines;
    Decimal total;         // sum of the costs
    Decimal receiptTotal;  // sum of unit price x quantity at two decimals, as posted
    QString error;         // e.g. a foreign currency without a rate
};
// Shares the document-level allowances and charges (and the service lines chosen to be
// spread) over the goods lines in proportion to their net amounts, the last line taking what
// rounding leaves so that the shares add up exactly.
Costing costLines(const Document& doc, const CostOptions& options);

}  // namespace kl::einvoice
