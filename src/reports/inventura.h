#pragma once
// "Inventura": the stock-taking of a warehouse book, without windows.
//
// A stock-taking is started at a date: every article of the book with its book stock and average
// price at the end of that day (replayStockAt, the replay from the stock points), kept in the
// program's own tables kl_inventure (one row per stock-taking: number, date, closed, the
// documents it posted) and kl_inventurestavke (one row per article: book quantity, average
// price, counted quantity, empty until counted). Counted quantities are stored one by one as they
// are entered, so the counting can be left and resumed.
//
// The differences are the counted less the book quantity of every counted article (an article
// not counted has none, unless the clerk has it posted as counted at zero): a shortage below
// zero, a surplus above, each valued at the average price at the date. Posting them writes, in one
// transaction, one issue of all shortages and one receipt of all surpluses to the partner
// "Inventura" (made when the book has none, with the document type "Inventura" for the receipt),
// both dated at the stock-taking's date, and closes it. A closed stock-taking can only be printed.
//
// Every function throws DbError on a database failure; a refusal is a Croatian sentence.

#include <QDate>
#include <QString>
#include "data/booklocation.h"
#include "ui/sheet.h"

#include <optional>
#include <vector>

namespace kl {

class Database;

struct StockTakingLine {
    qint64 id = 0;  // the row of kl_inventurestavke
    int articleId = 0;
    QString sifra, barkod, naziv, jedmjere;
    double knjizno = 0;              // the book quantity at the date
    double proscijena = 0;           // the average price at the date
    std::optional<double> popisano;  // the counted quantity
    // Counted less book quantity (0 while not counted).
    double difference() const { return popisano ? *popisano - knjizno : 0.0; }
};

struct StockTaking {
    qint64 id = 0;
    int broj = 0;
    QDate datum;
    bool closed = false;
    int issueNumber = 0, receiptNumber = 0;  // of the posted differences, 0 for none
    std::vector<StockTakingLine> lines;      // in code order
};

struct StockTakingSummary {
    qint64 id = 0;
    int broj = 0;
    QDate datum;
    bool closed = false;
};

// The stock-takings of the book, the newest first.
std::vector<StockTakingSummary> stockTakings(const BookLocation& book);

// Starts stock-taking number (count + 1) at `day` with every article's book figures at that day;
// returns its id.
qint64 startStockTaking(const BookLocation& book, const QDate& day);

// The stock-taking `id` with its lines; nullopt when there is none.
std::optional<StockTaking> loadStockTaking(const BookLocation& book, qint64 id);

// Stores the counted quantity of line `lineId` (none to clear it). Refused (the sentence
// returned) when the stock-taking is closed.
QString setCounted(const BookLocation& book, qint64 lineId, std::optional<double> quantity);

// The line whose article's code or bar code is `code` (letter case and blanks around it
// ignored); -1 when there is none.
int findLine(const StockTaking& st, const QString& code);

// The note the posted documents carry: "Inventura br. 3 na dan 31.12.2026".
QString stockTakingNote(const StockTaking& st);

// "Popisna lista": code, name, unit and an empty column for the counted quantity, sorted by code
// or by name, the signatures of the counting committee below.
QString countingSheetText(const QString& bookName, const StockTaking& st, bool byName);

// The lines not counted whose book quantity is not zero (at two decimals), in code order: counted
// at zero, each would take its whole book stock out (or in, below zero).
std::vector<const StockTakingLine*> uncountedWithStock(const StockTaking& st);

// The differences report: each article with a difference, its book and counted quantity, the
// shortage or surplus and its value, and the totals; then the number of articles not counted and
// those of them with a book quantity, each with it.
QString differencesText(const QString& bookName, const StockTaking& st);

// The same two reports as spreadsheet tables, from the same lines: the counting sheet (code,
// name, unit, an empty column for the counted quantity) and the differences (the articles with a
// difference, their figures as numbers, the totals as numbers).
sheet::Sheet countingSheet(const QString& bookName, const StockTaking& st, bool byName);
sheet::Sheet differencesSheet(const QString& bookName, const StockTaking& st);

struct DifferencesPosting {
    QString refusal;  // empty when posted
    int issueNumber = 0, receiptNumber = 0;
};

// "Knjiži razlike": posts the differences of stock-taking `id` and closes it, all in one
// transaction (see above). With `uncountedAsZero` the lines of uncountedWithStock are first
// stored as counted at zero, in the same transaction, so their stock goes with the differences.
// Refused when it is closed already or not there.
DifferencesPosting postDifferences(const BookLocation& book, qint64 id,
                                   bool uncountedAsZero = false);

}  // namespace kl
