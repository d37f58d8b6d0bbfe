#pragma once
// Receipts ("Primka") and issues ("Izdatnica") of a warehouse book without windows: document
// numbering, the article figures a document line needs, the stock rules and posting.
//
// Posting a document writes its header into `pi`, one `ulazizlaz` row per line and, line by
// line, the new stock, value and average price of the line's article, all in one transaction:
// either the whole document is stored and every article updated, or nothing is.

#include <QDate>
#include <QString>
#include "data/booklocation.h"

#include <optional>
#include <vector>

namespace kl {

class Database;

enum class DocumentKind { Receipt, Issue };

// The kind letter stored in `pi.pi`: "P" for a receipt, "I" for an issue.
QString kindLetter(DocumentKind kind);

// The number the next document of `kind` gets: the count of stored documents of that kind plus
// one. Receipts and issues are numbered independently, each from 1.
int nextDocumentNumber(const BookLocation& book, DocumentKind kind);
// The count of stored documents of `kind` in the book open as `schema` of `db` ("main" or an
// attached book).
int countDocuments(Database& db, const QString& schema, DocumentKind kind);

// ---- Articles as a document line needs them ---------------------------------------------------

struct ArticleStock {
    QString id;
    QString sifra;
    QString naziv;
    double stanje = 0;      // stock quantity
    double proscijena = 0;  // average price
};

// The article with `id`, or nothing when the book has no such article.
std::optional<ArticleStock> findArticle(const BookLocation& book, const QString& id);

// The text an issue offers as the price of an article: its average price in the default text
// form of a currency value ("2,64", "3").
QString offeredPriceText(const ArticleStock& article);

// ---- Stock rules ------------------------------------------------------------------------------

// An article's stock quantity and stock value.
struct StockFigures {
    float stanje = 0;
    float vrijednost = 0;
};

// One movement of `quantity` worth `amount`: a receipt adds both, an issue takes both out. Every
// value is rounded to two decimals and held with single precision, the old figures and the
// movement before the sum is made and the sum after.
StockFigures applyMovement(DocumentKind kind, StockFigures old, double quantity, double amount);

// A work order's issue of `issued` units of material at the bill price `price`: the quantity and
// its value as a currency product are taken out of the figures rounded to two decimals, each
// result rounded again; the average price is not touched. The figures are taken as stored.
StockFigures applyWorkOrderIssue(double stanje, double vrijednost, double issued, double price);

// The average price of stored figures (value / stock, rounded to two decimals); nothing at zero
// stock, where the article keeps the average price it had.
std::optional<float> averagePrice(double stanje, double vrijednost);

// ---- Posting ----------------------------------------------------------------------------------

// A line of the document as the line list holds it: every figure is the text shown there.
struct DocumentLine {
    QString sifra;
    QString naziv;
    QString kolicina;  // "10,00"
    QString cijena;    // "2,50"
    QString iznos;     // "25,00"
    QString idArtikla;
};

struct DocumentHeader {
    DocumentKind kind = DocumentKind::Receipt;
    QString broj;     // the document number
    QDate datum;      // the document date
    QString partner;  // the partner's name: supplier of a receipt, customer or cost centre
    // Receipt only: the supplier's document type (name), number and date.
    QString documentType;
    QString brojdok;
    QDate datumdok;
    // The number is the one the window proposed (count + 1 when it opened): posting gives the
    // document the next number of its kind at that moment instead, so that two clerks posting
    // into one book never give the same number. A number the clerk typed is kept as typed.
    bool proposedNumber = false;
};

// Why a document was not posted although nothing failed.
enum class PostingRefusal {
    None,
    PartnerMissing,       // no partner of that name in the book
    DocumentTypeMissing,  // receipt: no document type of that name in the book
};

struct PostingResult {
    PostingRefusal refusal = PostingRefusal::None;
    qint64 headerId = 0;  // `pi.id` of the posted header
    QString number;       // the document number it was posted under
};

// Posts the document into the book at `book`: the header, then for each line in list order
// the receipt or issue stock rule on its article (a second line of the same article starts from
// what the first left), then the lines. A refusal writes nothing. A database failure throws
// DbError and leaves the book exactly as it was.
PostingResult postDocument(const BookLocation& book, const DocumentHeader& header,
                           const std::vector<DocumentLine>& lines);

// The same on a book that is already open. Inside a transaction of the caller the document is a
// savepoint of it: a failure takes back this document only, and nothing is durable before the
// caller commits (a generator of many documents commits them in batches).
PostingResult postDocument(Database& db, const DocumentHeader& header,
                           const std::vector<DocumentLine>& lines);

// The same into the book attached to `db` as `schema` ("main" for the book `db` opened): a
// posting that writes several books in one transaction posts each with its schema.
PostingResult postDocumentIn(Database& db, const QString& schema, const DocumentHeader& header,
                             const std::vector<DocumentLine>& lines);

}  // namespace kl
