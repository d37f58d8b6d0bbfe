#pragma once
// The overviews of posted receipts and issues without windows: reading documents with their
// partner, document type and total, and the texts of the summary ("Zaključak", one line per
// document) and of the full view of one document ("Cjelovit prikaz", its lines and grand total).
//
// A receipt's summary line names the supplier, the supplier's document type, number and date; an
// issue's names only the cost centre (or customer). Documents always come in stored order.
//
// Every reading function opens the book at `book`, reads and closes it; a database failure
// throws DbError.

#include "data/booklocation.h"
#include "ui/sheet.h"
#include "warehouse/documents.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kl {

// A posted document as its summary line shows it.
struct DocumentSummary {
    qint64 id = 0;      // pi.id
    qint64 number = 0;  // pi.brojpi
    QDate date;         // pi.datumpi
    qint64 partnerId = 0;
    QString partner;       // the partner's name (empty when the partner is gone)
    QString documentType;  // receipt: the supplier's document type name
    QString brojdok;       // receipt: the supplier's document number
    QDate datumdok;        // receipt: the supplier's document date
    double total = 0;      // the document total, two decimals
};

// A line of a document in its full view.
struct DocumentLineItem {
    QString sifra;
    QString naziv;
    QString jedmjere;
    double kolicina = 0;  // single
    double cijena = 0;    // currency
};

// A document with its lines, in the order they were posted.
struct DocumentView {
    DocumentSummary summary;
    std::vector<DocumentLineItem> lines;
};

// A partner the overview may be asked for: supplier of receipts, customer or cost centre of
// issues; partners of both kinds serve both.
struct PartnerChoice {
    qint64 id = 0;
    QString name;
};

// ---- Totals -------------------------------------------------------------------------------

// The quantity and price of one stored line.
struct LineFigures {
    double kolicina = 0;
    double cijena = 0;
};

// The total of a document: each line's price times its quantity as a money value (four
// decimals), added line by line in stored order with the running total rounded to two decimals
// after each line.
double documentTotal(const std::vector<LineFigures>& lines);

// ---- Reading ------------------------------------------------------------------------------

// The numbers of every document of `kind`, in stored order.
QStringList documentNumbers(const BookLocation& book, DocumentKind kind);

// The first document of `kind` with the number `number` (the text of the document chooser).
// DbError 3021 (no current record) when there is none, an empty or unreadable number included.
DocumentView readDocument(const BookLocation& book, DocumentKind kind, const QString& number);

// The documents of `kind` dated from `from` to `to`, both days included.
std::vector<DocumentSummary> documentsInRange(const BookLocation& book, DocumentKind kind,
                                              const QDate& from, const QDate& to);

// The documents of `kind` of the partner `partnerId`.
std::vector<DocumentSummary> partnerDocuments(const BookLocation& book, DocumentKind kind,
                                              qint64 partnerId);

// The partners a document of `kind` may name, in stored order.
std::vector<PartnerChoice> documentPartners(const BookLocation& book, DocumentKind kind);

// ---- Texts (CR LF line ends) --------------------------------------------------------------

// The heading of a summary and its rule: blanks for one document, underscores for several
// (an issue's rule is always blanks).
QString summaryHeading(DocumentKind kind, bool several);

// One document's summary line.
QString summaryLine(DocumentKind kind, const DocumentSummary& document);

// The heading followed by one line per document.
QString summaryText(DocumentKind kind, const std::vector<DocumentSummary>& documents, bool several);

// The same text made line by line as it is shown (several documents, the rule of underscores):
// a summary over many years has tens of thousands of lines.
using Summaries = std::shared_ptr<const std::vector<DocumentSummary>>;
std::shared_ptr<const ReportSource> summaryReport(DocumentKind kind, Summaries documents);

// The full view: the summary of the document, its lines with their amounts and the grand total.
// Without a document (its number found nothing) the summary line is left out and the list is
// empty. Each line's amount is worked from its quantity and price as shown ("0.00").
QString fullViewText(DocumentKind kind, const DocumentView* document);

// The same as spreadsheets: the summaries one row per document (number, dates, partner, the
// receipt's supplier document, total) with their total after them; the full view one row per
// line with its amount as the report computes it, and the document's total.
sheet::Sheet summarySheet(DocumentKind kind, const std::vector<DocumentSummary>& documents,
                          const QDate& today);
// The same with the rows made as the file is written, from the documents shared with the text.
sheet::Sheet summarySheet(DocumentKind kind, Summaries documents, const QDate& today);
sheet::Sheet fullViewSheet(DocumentKind kind, const DocumentView& document);

}  // namespace kl
