#pragma once
// The article overview of a warehouse book: the stock status list and the stock cards, read from
// the book and written as fixed-width report text. No widgets here; the window frmPregledart
// collects the choice, calls these and shows the text.
//
// Stock status ("Stanje"): one line per article with its code, name, unit, minimum quantity,
// stock, value and average price as the book holds them.
//
// Stock card ("Kartice"): every receipt and issue line of an article in the order it was posted,
// with a stock, a value and an average price recomputed line by line from the lines themselves:
// the stock as a single-precision running sum, the value in currency (price times quantity,
// rounded to four decimals half to even, added for a receipt and taken out for an issue), the
// average price the value divided by the stock. At zero stock there is no average; the card keeps
// the one of the line before (0 before the first line).
//
// Every reading function throws DbError; the window shows what was read up to the failure.

#include "data/convert.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "ui/reportrows.h"
#include "ui/sheet.h"

#include <memory>

namespace kl {

class Database;
class RowView;

// One article as the book holds it. Its four texts lie in one block of text it shares with the
// articles read with it (ArticleTexts): the articles of a large book are a hundred thousand, and
// a string of their own for each text would be three or four hundred thousand small blocks of
// memory to take and give back with every report. A view of a text is valid while the article,
// or a copy of it, is.
struct StockArticle {
    int id = 0;
    float minkolicina = 0;
    float stanje = 0;
    Currency vrijednost;
    Currency proscijena;

    QStringView sifra() const { return text(0); }
    QStringView naziv() const { return text(1); }
    QStringView barkod() const { return text(2); }
    QStringView jedmjere() const { return text(3); }
    // Texts of its own (an article made by hand); the block is shared with its copies only.
    void setTexts(QStringView sifra, QStringView naziv, QStringView barkod = {},
                  QStringView jedmjere = {});

  private:
    friend class ArticleTexts;
    QStringView text(size_t field) const {
        return texts_ ? QStringView(texts_->constData() + start_[field], length_[field])
                      : QStringView();
    }

    std::shared_ptr<const QString> texts_;
    std::array<qsizetype, 4> start_{};  // sifra, naziv, barkod, jedmjere
    std::array<quint32, 4> length_{};   // a value is at most 64 MB
};

// The block of text of articles read together: each text appended once, a unit equal to the one
// appended before it shared. Articles made with it keep the block. Appending while they are being
// made is safe (they keep places, not addresses); once they are given out it is never changed,
// so a view of their texts stays valid.
class ArticleTexts {
  public:
    ArticleTexts();
    // Room for about `characters` more.
    void reserve(qsizetype characters);
    void give(StockArticle& a, QStringView sifra, QStringView naziv, QStringView barkod,
              QStringView jedmjere);
    // The same from UTF-8 bytes, read as QString::fromUtf8 reads them.
    void giveUtf8(StockArticle& a, const std::array<QByteArrayView, 4>& texts);

  private:
    void place(StockArticle& a, size_t field, QStringView text);
    void placeUtf8(StockArticle& a, size_t field, QByteArrayView text);
    // The unit just placed for `a` given the place of the last one instead, when it is the same.
    void shareUnit(StockArticle& a);

    std::shared_ptr<QString> block_;
    std::shared_ptr<const QString> shared_;  // the same block, as the articles keep it
    qsizetype lastUnitStart_ = -1;
    quint32 lastUnitLength_ = 0;
};

// The articles of a report over several articles.
enum class ArticleGroup {
    All,           // "Svi artikli", by name
    ZeroStock,     // "Količina nula": stock exactly 0, in stored order
    BelowMinimum,  // "Min. količina": stock below the minimum quantity, in stored order
};

// How the article of a stock card is named.
enum class ArticleKey { Name, Code };

// One line of a stock card: the document's kind ("P" receipt, anything else an issue) and
// number, and the line's quantity and price as stored. Held as plain figures (a card of every
// article runs to hundreds of thousands of lines): of the kind its first letter and whether it
// is a receipt, of the number the number.
struct CardLine {
    CardLine() = default;
    CardLine(QStringView kind, std::optional<qint64> number, float quantity, Currency price)
        : cijena(price),
          brojpi(number.value_or(0)),
          kolicina(quantity),
          letter(kind.isEmpty() ? u'\0' : kind.front().unicode()),
          receipt(kind == u"P"),
          numbered(number.has_value()) {}

    // The kind's first letter, a blank without a kind.
    QChar kindLetter() const { return letter ? QChar(letter) : QChar(u' '); }
    // The document's number as text, empty without one.
    QString broj() const { return numbered ? QString::number(brojpi) : QString(); }

    Currency cijena;
    qint64 brojpi = 0;
    float kolicina = 0;
    char16_t letter = 0;  // 0 without a kind
    bool receipt = false;
    bool numbered = false;
};

// The lines of one card: a run of a store of lines that the cards of one reading share (the
// cards of every article are read into one store, not a hundred thousand of their own), or
// lines of its own.
class CardLines {
  public:
    CardLines() = default;
    CardLines(std::vector<CardLine> lines)  // NOLINT: lines of its own, taken as they are
        : end_(lines.size()),
          store_(std::make_shared<const std::vector<CardLine>>(std::move(lines))) {}
    CardLines(std::shared_ptr<const std::vector<CardLine>> store, size_t begin, size_t end)
        : begin_(begin), end_(end), store_(std::move(store)) {}

    size_t size() const { return end_ - begin_; }
    bool empty() const { return end_ == begin_; }
    const CardLine& operator[](size_t i) const { return (*store_)[begin_ + i]; }
    const CardLine* begin() const { return store_ ? store_->data() + begin_ : nullptr; }
    const CardLine* end() const { return store_ ? store_->data() + end_ : nullptr; }

  private:
    size_t begin_ = 0, end_ = 0;
    std::shared_ptr<const std::vector<CardLine>> store_;
};

struct StockCard {
    StockArticle article;
    CardLines lines;
};

// ---- Reading -------------------------------------------------------------------------------

// Every article whose code equals `code` (letter case ignored), in stored order.
std::vector<StockArticle> readArticlesByCode(Database& db, const QString& code);

// The articles of `group` in the group's order.
std::vector<StockArticle> readArticleGroup(Database& db, ArticleGroup group);

// The first article (stored order) whose name or code equals `text`, letter case ignored. An
// article that is not there is the engine's "no current record" error (DbError 3021).
StockArticle readCardArticle(Database& db, ArticleKey key, const QString& text);

// The stock card lines of article `articleId`, in the order they were posted.
std::vector<CardLine> readCardLines(Database& db, int articleId);
// The card line of a row read forward whose columns begin idartikla, kolicina, cijena, pi,
// brojpi (its kind read from the row's bytes when it is one ASCII letter, as nearly every kind is).
CardLine readCardLine(const RowView& row);

// The cards of the articles of `group`, in the group's order, read with one query for the
// articles and one for the lines. Each entry of the group names its article by code: its card is
// that of the first article (stored order) with that code, letter case ignored. `cards` holds what
// was read when a DbError is thrown (the articles without their lines when the lines failed).
void readGroupCards(Database& db, ArticleGroup group, std::vector<StockCard>& cards);

// ---- Report text (CR LF line ends) -----------------------------------------------------------

// The stock status list: heading, rule and one line per article. No total line.
QString stockStatusText(const std::vector<StockArticle>& articles);
// The same made line by line as it is shown (the articles shared with the window's export).
using StockArticles = std::shared_ptr<const std::vector<StockArticle>>;
std::shared_ptr<const ReportSource> stockStatusReport(StockArticles articles);

// The same list as a spreadsheet: one row per article with the figures the text shows (two
// decimals), the total of the values after them.
sheet::Sheet stockStatusSheet(const std::vector<StockArticle>& articles, const QDate& today);

// The stock card of one article: the label line, the article block and its lines. Without an
// article (it was not found) the text is empty.
QString stockCardText(const std::optional<StockCard>& card);

// The stock cards of several articles: the label line once, then each card followed by a dashed
// rule and two blank lines.
QString stockCardsText(const std::vector<StockCard>& cards);

// The same report made line by line as it is shown (its text() is stockCardsText of the cards):
// the running figures are worked out once, each line's text when it is asked for.
std::shared_ptr<const ReportSource> stockCardsReport(std::vector<StockCard> cards);

// The cards as a spreadsheet: one row per card line with the article's code and name before
// the figures the text shows (the other side's quantity and price 0), an article without lines
// one row of its code and name. One card: "Kartica artikla", several: "Kartice artikala".
sheet::Sheet stockCardsSheet(const std::vector<StockCard>& cards, const QDate& today);

}  // namespace kl
