#pragma once
// Transfer of goods between two warehouse books of one company ("Međuskladišnica"), without
// windows.
//
// A transfer is an issue in the book the goods leave and a receipt in the book they go to, with
// the same lines: each line's quantity at the article's average price in the source book (the
// issue rule), its amount that quantity times that price; the receipt takes in the same quantity
// and amount and recomputes the average price there by the receipt rule. Both are written in one
// transaction over both files (the target book attached to the source book's connection), so
// either both documents are stored or neither.
//
// Each document names the other book as its partner: the issue goes to the partner named like
// the target book, the receipt comes from the partner named like the source book, its document
// type "Međuskladišnica" and its supplier document number the issue's number. A partner the
// book does not have yet is created in the same transaction with the code "s" (offered both as
// a customer and as a supplier, so a transfer the other way finds it), and so is the document
// type.
//
// The target article is the one with the same code (trimmed, letter case counts; the first by
// id when an old book has the code twice). When the target book has no article of that code, it
// is created there in the same transaction with the source article's code, name and unit (and
// its bar code when no article of the target book has that bar code; the minimum quantity 0, a
// minimum being each warehouse's own), stock 0 before the receipt; the window names such
// articles in its confirmation.
//
// Each book records its side in the program's own table kl_medjuskladisnice (made when first
// needed): its document's header, the other book, the other document's header and number, and
// the note ("Međuskladišnica br. 7 u Skladište B (primka br. 3)", "Međuskladišnica br. 7 iz
// Skladište A"). The transfer's number is the number of its issue.

#include "data/booklocation.h"
#include "warehouse/documents.h"
#include "warehouse/masterdata.h"

#include <QDate>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace kl {

// A warehouse book of the register.
struct TransferBook {
    QString id;
    QString name;  // `nazivknjige`
    // The book's file, checked to lie in the program folder.
    BookLocation location() const;
};

// The warehouse books of the company `companyIdText`, ordered by name.
std::vector<TransferBook> companyTransferBooks(const QString& companyIdText);

// The book of the company whose file is `bookFile` ("\Skladiste7.mdb"), or nothing.
std::optional<TransferBook> transferBookOfFile(const QString& companyIdText,
                                               const QString& bookFile);

// The articles of a book by their trimmed code: the first article (by id) of each code.
QHash<QString, ArticleChoice> articlesByCode(const BookLocation& book);

struct Transfer {
    TransferBook source;
    TransferBook target;
    QDate datum;
    // The lines as the window lists them: the source article's id, code and name and the
    // quantity ("10,00"). Posting prices each line at the article's average price as it stands
    // then, the amount that price times the quantity (the window shows the same).
    std::vector<DocumentLine> lines;
};

struct TransferResult {
    QString refusal;          // why nothing was written; empty when posted
    int issueNumber = 0;      // the issue in the source book, also the transfer's number
    int receiptNumber = 0;    // the receipt in the target book
    QStringList newArticles;  // "code name" of the articles created in the target book
};

// The texts a transfer is shown by.
QString transferIssueNote(int issueNumber, const QString& targetName, int receiptNumber);
QString transferReceiptNote(int issueNumber, const QString& sourceName);

// The document type of a transfer's receipt.
QString transferDocumentType();

// Why goods cannot go from `source` to `target` at all: the same book, a target book whose file
// was never made (it was never entered), or a target named like the cost centre "Proizvodnja";
// empty when they can.
QString transferTargetRefusal(const TransferBook& source, const TransferBook& target);

// Posts the transfer. Refused before anything is written: no lines, a transferTargetRefusal,
// an article gone from the source book, a quantity not above zero or above the stock (the lines
// of one article together). A database failure throws DbError and leaves both books exactly as
// they were.
TransferResult postTransfer(const Transfer& transfer);

// The note of the transfer document with header `headerId` in the book at `book`; empty
// when the document is no transfer.
QString transferNote(const BookLocation& book, qint64 headerId);

// The table a book records its transfers in (the reversal refuses its documents).
inline const QString kTransferTable = QStringLiteral("kl_medjuskladisnice");

}  // namespace kl
