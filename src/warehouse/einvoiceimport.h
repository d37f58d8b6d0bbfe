#pragma once
// A received e-invoice (einvoice.h) turned into a receipt of a warehouse book, without windows:
// the supplier and the articles it matches, what the clerk chose before, the check that the
// invoice was not posted already, and the posting itself, which goes through the book's own
// receipt posting (numbering, stock rule, journal) in one transaction with the program's own
// rows: the invoice's full number and the clerk's choices, remembered for the next invoice.

#include "data/booklocation.h"
#include "warehouse/documents.h"
#include "warehouse/einvoice.h"

#include <QString>

#include <vector>

namespace kl {
class Database;
}

namespace kl::einvoice {

enum class Match { None, ByOib, ByName, Remembered, ByBarcode, ByCode };

struct SupplierMatch {
    QString partnerId;  // empty: no partner of the book is this supplier
    QString name;       // the partner's name in the book
    Match how = Match::None;
};

// The supplier among the book's partners of kind d or s: by OIB, then by exact name.
SupplierMatch matchSupplier(const BookLocation& book, const Party& supplier);

struct ArticleMatch {
    QString articleId;  // empty: not matched
    Match how = Match::None;
};

// The key under which a choice for a supplier's item is remembered: the supplier's own code,
// else the GTIN, else the name.
QString itemKey(const Line& line);

// Each line's article: what the clerk chose for that supplier's item before (when a supplier
// is known), the GTIN as the article's bar code, the supplier's code as the article's code,
// the exact name. Lines that are no goods are not matched.
std::vector<ArticleMatch> matchLines(const BookLocation& book, const QString& partnerId,
                                     const Document& doc);

// The document type chosen for the supplier's last invoice; empty when none.
QString rememberedDocumentType(const BookLocation& book, const QString& partnerId);

// The receipt number under which the supplier's invoice `number` is already in the book (an
// imported invoice, or a receipt typed by hand with that supplier document number); 0 when it
// is not. The text the clerk is shown for it.
int postedReceipt(const BookLocation& book, const QString& partnerId, const QString& number);
QString alreadyPostedText(const QString& number, const QString& supplier, int receipt);

struct ImportLine {
    QString articleId;
    QString sifra;
    QString naziv;
    QString kolicina;  // as the receipt's lines hold them: "10,00"
    QString cijena;
    QString iznos;
    QString rememberKey;  // itemKey of the invoice line; empty: nothing to remember
};

struct Import {
    QString partnerId;
    QString partnerName;
    QString documentType;
    QString number;  // the invoice's full number (the receipt keeps its first 20 characters)
    QDate issueDate;
    QDate postingDate;
    QString fileName;
    std::vector<ImportLine> lines;
};

struct ImportResult {
    PostingResult posting;
    int receiptNumber = 0;
    int alreadyPostedAs = 0;  // refused: the invoice is the book's receipt of that number
};

// Posts the receipt and records the invoice and the clerk's choices, all in one transaction;
// refused whole when the invoice is already in the book. Throws DbError on a failure, leaving
// the book as it was.
ImportResult postImport(const BookLocation& book, const Import& import);

// A credit note with goods, taken back as an issue of those quantities to the supplier: the
// issue number under which the supplier's credit note `number` is already in the book (0 when it
// is not), the text the clerk is shown for it, and the posting through the book's own issue
// posting with the credit note's row in kl_eracuni, in one transaction. The lines carry the
// articles' average prices (the issue rule); the caller has checked the stock. `documentType` and
// `rememberKey` are not used.
int postedCreditNote(const BookLocation& book, const QString& partnerId, const QString& number);
QString creditNotePostedText(const QString& number, const QString& supplier, int issue);
ImportResult postCreditNote(const BookLocation& book, const Import& import);

}  // namespace kl::einvoice
