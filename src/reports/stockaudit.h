#pragma once
// "Provjera zaliha": the stock audit of a warehouse book, without windows.
//
// Each article stores its stock, value and average price (`stanje`, `vrijednost`, `proscijena`),
// changed line by line by every posting. The audit replays each article's movements (`ulazizlaz`
// with its header in `pi`) in posting order from the figures a new article starts with (0, 0, 0),
// computing each step exactly as posting did and storing it as posting stored it:
//
// - a receipt or issue posted by postDocument: the line's amount is the window's
//   "quantity x price" shown with two decimals, taken in and out by applyMovement; the average
//   price (averagePrice) follows from the figures as stored, and at zero stock stays as it was;
// - an issue to the customer "Proizvodnja" (the first customer of that name, as work orders look
//   it up) is taken as a work order issue: stock less the quantity, value less quantity x price
//   as currency, each rounded to two decimals; the average price is not touched.
//
// The book does not record which issue a work order made, and a work order issue stores its
// quantity with two decimals although it took the unrounded quantity (units x bill quantity). So
// an article issued to "Proizvodnja" by hand, or by a work order whose quantity had more than
// two decimals, may show a difference that is not an error: such differences are marked
// (`workOrderIssues`) and the report says so.

#include "data/booklocation.h"
#include "reports/stockreports.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kl {

class Database;

// An article's stock, value and average price as the replay of its movements gives them.
struct ReplayedStock {
    qint64 id = 0;
    double stanje = 0, vrijednost = 0, proscijena = 0;
    // The article has issues to the customer "Proizvodnja", replayed as work order issues.
    bool workOrderIssues = false;
};

// Every article of the book (id order) with the figures the replay of its movements gives: all
// of them, or with `upTo` valid only those of documents dated up to the end of that day (still in
// posting order). Receipts and issues, reversals (their negative lines) and work order issues
// each follow their own posting rule. Throws DbError.
std::vector<ReplayedStock> replayStock(Database& db, const QDate& upTo = QDate());

// The same figures as replayStock(db, day) for a valid `day` (all of them without one), replayed
// from the latest stock point of the book (kl_tockezaliha) that agrees with it: only the lines
// posted from that point on are read. The points the replay passes are kept in the book when
// they spare enough lines (a book that cannot be written keeps none); a stale one is removed.
std::vector<ReplayedStock> replayStockAt(Database& db, const QDate& day);

// The stock status at the end of `day`: the articles of `group` (by name for all of them, the
// others in stored order) with the replayed figures; a group is chosen by those figures.
std::vector<StockArticle> stockArticlesAt(Database& db, ArticleGroup group, const QDate& day);

// Replaces the figures of `articles` by those of the replay up to `day` (replayStockAt).
void applyStockAt(Database& db, const QDate& day, std::vector<StockArticle>& articles);

// Replaces the figures of `articles` by those of `replay` (0 for an article not in it).
void applyReplay(const std::vector<ReplayedStock>& replay, std::vector<StockArticle>& articles);

namespace testing {
// The lines a new stock point must spare over the stored ones to be kept.
inline qint64 stockPointLines = 4096;
}  // namespace testing

// The stock card lines of article `articleId` of documents dated up to `day`, in posting order.
std::vector<CardLine> readCardLinesAt(Database& db, int articleId, const QDate& day);

// The stock cards of the articles of `group` at the end of `day`: the group chosen by the
// figures at that day (stockArticlesAt), each entry's card that of the first article with its
// code (as readGroupCards), with the lines of documents dated up to that day, in posting order.
// `cards` holds what was read when a DbError is thrown.
void readGroupCardsAt(Database& db, ArticleGroup group, const QDate& day,
                      std::vector<StockCard>& cards);

struct StockDifference {
    QString articleId, sifra, naziv;
    double storedStanje = 0, storedVrijednost = 0, storedProscijena = 0;
    double replayStanje = 0, replayVrijednost = 0, replayProscijena = 0;
    // The article has issues to the customer "Proizvodnja", replayed as work order issues.
    bool workOrderIssues = false;
};

// The articles of the book at `book` whose stored figures differ from the replay of their
// movements, in article order; empty when every article agrees. Reads the book in one read
// transaction (articles once, every movement line once). Throws DbError on a database failure.
std::vector<StockDifference> auditStock(const BookLocation& book);

// The report: heading, the book's name and `today`, then two lines per difference (stored,
// computed) and a closing line; "Sve zalihe odgovaraju prometu." when there is none.
QString stockAuditText(const QString& bookName, const QDate& today,
                       const std::vector<StockDifference>& differences);

// Writes the computed figures of `differences` over the stored ones, all in one transaction. An
// article whose stored figures are no longer those the audit read (a document posted since), or
// that is gone, refuses the whole correction with DbError and nothing is written.
void correctStock(const BookLocation& book, const std::vector<StockDifference>& differences);

}  // namespace kl
