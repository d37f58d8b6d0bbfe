#pragma once
// The master data of a warehouse book without windows: articles (`artikli`), customers and
// suppliers (`kd`) and supplier document types (`dokumenti`). Every operation opens the book
// file it is given, runs its statements and closes it; several statements of one user action
// run in one transaction. Failures are thrown as DbError and leave the book as it was.

#include <QList>
#include <QString>
#include <QStringList>
#include "data/booklocation.h"

#include <array>
#include <vector>

namespace kl {

// ---- Articles --------------------------------------------------------------------------------

// The texts of an article as the clerk enters them: code, bar code, name, unit and minimum
// quantity ("12,50").
struct ArticleEntry {
    QString sifra;
    QString barkod;
    QString naziv;
    QString jedmjere;
    QString minkolicina;
};

// A stored article as the article window lists it.
struct ArticleRow {
    QString id;
    QString sifra;
    QString barkod;
    QString naziv;
    QString jedmjere;
    double minkolicina = 0;
};

// An article as the document window offers it: id, code and name.
struct ArticleChoice {
    QString id;
    QString sifra;
    QString naziv;
};

// Every article in the order the book returns them ("select * from artikli").
std::vector<ArticleRow> loadArticles(const BookLocation& book);

// Every article ordered by name, for the document window's parallel id, code and name lists.
std::vector<ArticleChoice> loadArticleChoices(const BookLocation& book);

// Why a new article cannot go on the entry list. Codes and bar codes are compared trimmed and
// exactly (letter case counts); an empty bar code never clashes.
enum class ArticleClash {
    None,
    CodeOnList,     // "Ista šifra postoji već na listi desno, promjenite šifru"
    BarcodeOnList,  // "Isti barkod postoji već na listi desno, promjenite barkod"
    CodeInBook,     // "Šifra artikla postoji, ne može se unijeti ista šifra"
    BarcodeInBook,  // "Isti barkod postoji već u bazi artikala! Promjenite barkod!"
};

// Checks `entry` against the entries on the list, in list order, and then against the
// articles of the book, row by row; the first clash found is returned (on the list the code of
// an entry is checked before its bar code, and so for each row of the book).
ArticleClash findArticleClash(const ArticleEntry& entry, const QList<ArticleEntry>& list,
                              const BookLocation& book);

// True if an article of the book has `code` (trimmed, exact).
bool articleCodeExists(const BookLocation& book, const QString& code);

// Stores the entries in list order as new articles with stock, value and average price 0: all
// of them or, on a failure, none.
void insertArticles(const BookLocation& book, const QList<ArticleEntry>& entries);

// Changes code, bar code, name, unit and minimum quantity of article `id`, all or nothing.
void updateArticle(const BookLocation& book, const QString& id, const ArticleEntry& entry);

// ---- Customers and suppliers ------------------------------------------------------------------

// The eight texts of a partner in column order: kd, ime, mb, ziroracun, mjesto, ulica, telefon,
// kontakt.
using PartnerFields = std::array<QString, 8>;

struct PartnerRow {
    QString id;
    PartnerFields fields;
    QString oib;  // kept beside the partner's row (kl_oibpartnera); empty when none
};

// Column names of `kd` in the order of PartnerFields.
const std::array<QString, 8>& partnerColumns();

// True for the partner codes the entry field takes: k, d or s in either case.
bool isPartnerCode(const QString& code);

// Every partner; `byName` orders them by name, otherwise they come in the book's order.
std::vector<PartnerRow> loadPartners(const BookLocation& book, bool byName);

// The names a document offers as its partner, in the book's order: suppliers (code d or s, any
// case) for a receipt, customers and cost centres (k or s) otherwise.
QStringList partnerNames(const BookLocation& book, bool suppliers);

// Stores the entries in list order, all or none; `oibs[i]`, when given and not empty, is the OIB
// of entry i.
void insertPartners(const BookLocation& book, const QList<PartnerFields>& entries,
                    const QStringList& oibs = {});

// Changes the eight fields and the OIB of partner `id` (an empty `oib` removes it), all or
// nothing.
void updatePartner(const BookLocation& book, const QString& id, const PartnerFields& fields,
                   const QString& oib = {});

// The partner whose OIB is `oib`; empty when none has it.
QString partnerIdByOib(const BookLocation& book, const QString& oib);

// ---- Document types ---------------------------------------------------------------------------

// Adds a supplier document type; returns its id.
QString insertDocumentType(const BookLocation& book, const QString& name);

// Every document type name ordered by name.
QStringList documentTypeNames(const BookLocation& book);

}  // namespace kl
