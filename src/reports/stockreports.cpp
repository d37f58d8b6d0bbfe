#include "reports/stockreports.h"

#include "data/collation.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "reports/longread.h"
#include "reports/reportlayout.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numeric>
#include <string>
#include <string_view>

namespace kl {

void StockArticle::setTexts(QStringView sifra, QStringView naziv, QStringView barkod,
                            QStringView jedmjere) {
    ArticleTexts().give(*this, sifra, naziv, barkod, jedmjere);
}

ArticleTexts::ArticleTexts() : block_(std::make_shared<QString>()), shared_(block_) {}

void ArticleTexts::reserve(qsizetype characters) {
    block_->reserve(block_->size() + characters);
}

void ArticleTexts::place(StockArticle& a, size_t field, QStringView text) {
    a.start_[field] = block_->size();
    a.length_[field] = quint32(text.size());
    block_->append(text);
}

void ArticleTexts::placeUtf8(StockArticle& a, size_t field, QByteArrayView text) {
    const qsizetype start = block_->size();
    // Never more UTF-16 units than bytes. Each text decoded by itself: a sequence cut short at
    // its end reads as it does in a string of its own.
    block_->resize(start + text.size());
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QChar* end = decode.appendToBuffer(block_->data() + start, text);
    block_->truncate(end - block_->constData());
    a.start_[field] = start;
    a.length_[field] = quint32(block_->size() - start);
}

void ArticleTexts::shareUnit(StockArticle& a) {
    const qsizetype start = a.start_[3];
    const quint32 length = a.length_[3];
    const QStringView unit = QStringView(*block_).mid(start, length);
    if (lastUnitStart_ >= 0 && QStringView(*block_).mid(lastUnitStart_, lastUnitLength_) == unit) {
        // The unit just placed is the last block's end: taken back.
        block_->truncate(start);
        a.start_[3] = lastUnitStart_;
        a.length_[3] = lastUnitLength_;
        return;
    }
    lastUnitStart_ = start;
    lastUnitLength_ = length;
}

void ArticleTexts::give(StockArticle& a, QStringView sifra, QStringView naziv, QStringView barkod,
                        QStringView jedmjere) {
    a.texts_ = shared_;
    const std::array<QStringView, 4> texts{sifra, naziv, barkod, jedmjere};
    for (size_t f = 0; f < 4; ++f)
        place(a, f, texts[f]);
    shareUnit(a);
}

void ArticleTexts::giveUtf8(StockArticle& a, const std::array<QByteArrayView, 4>& texts) {
    a.texts_ = shared_;
    for (size_t f = 0; f < 4; ++f)
        placeUtf8(a, f, texts[f]);
    shareUnit(a);
}

namespace {

using report::figure;
using report::figureWidth;
using report::fitsBelow;
using report::kCrLf;
using report::left;
using report::right;

// The largest magnitude a currency value holds.
constexpr double kCurrencyLimit = 922337203685477.0;

int fieldIndex(const Recordset& rs, const char* name) {
    for (int c = 0; c < rs.fieldCount(); ++c)
        if (rs.fieldName(c).compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return c;
    return -1;
}

QString textOf(const Recordset& rs, int column) {
    return column < 0 ? QString() : rs.value(column).toString();
}

double numberOf(const Recordset& rs, int column) {
    return column < 0 ? 0.0 : rs.value(column).toDouble();
}

// The positions of the article fields in a "select * from artikli".
struct ArticleFields {
    explicit ArticleFields(const Recordset& rs)
        : id(fieldIndex(rs, "id")),
          sifra(fieldIndex(rs, "sifra")),
          naziv(fieldIndex(rs, "naziv")),
          barkod(fieldIndex(rs, "barkod")),
          jedmjere(fieldIndex(rs, "jedmjere")),
          minkolicina(fieldIndex(rs, "minkolicina")),
          stanje(fieldIndex(rs, "stanje")),
          vrijednost(fieldIndex(rs, "vrijednost")),
          proscijena(fieldIndex(rs, "proscijena")) {}

    StockArticle read(const Recordset& rs, ArticleTexts& texts) const {
        StockArticle a;
        a.id = int(rs.value(id).toLongLong());
        texts.give(a, textOf(rs, sifra), textOf(rs, naziv), textOf(rs, barkod),
                   textOf(rs, jedmjere));
        a.minkolicina = float(numberOf(rs, minkolicina));
        a.stanje = float(numberOf(rs, stanje));
        a.vrijednost = Currency::fromDouble(numberOf(rs, vrijednost));
        a.proscijena = Currency::fromDouble(numberOf(rs, proscijena));
        return a;
    }

    int id, sifra, naziv, barkod, jedmjere, minkolicina, stanje, vrijednost, proscijena;
};

std::vector<StockArticle> readArticles(Database& db, const QString& sql,
                                       const QVariantList& params = {}) {
    Recordset rs = db.openRecordset(sql, params);
    const ArticleFields fields(rs);
    std::vector<StockArticle> articles;
    articles.reserve(size_t(rs.recordCount()));
    ArticleTexts texts;
    for (; !rs.eof(); rs.moveNext())
        articles.push_back(fields.read(rs, texts));
    return articles;
}

// Every article of a book file in the order of "order by naziv": the order read from the index
// on the names alone (the ids it holds beside the names), then the articles in stored order, each
// put in its place, both in one read transaction. Going through the index for whole rows looks up
// every article's row in no order, which on a large book costs many times the reading.
//
// The rows' texts are first kept as their bytes, and the articles made from them in name order
// after the read: their texts then lie in one block in the order the reports go through them.
std::vector<StockArticle> articlesByName(Database& db) {
    prepareLongRead(db);  // every article, twice
    const ReadSnapshot snapshot(db);
    const IdOrder order(db, QStringLiteral("select id from artikli order by naziv asc"));
    if (!order.valid())
        return readArticles(db, QStringLiteral("select * from artikli order by naziv asc"));
    struct Staged {
        int id = 0;
        bool read = false;
        float minkolicina = 0, stanje = 0;
        double vrijednost = 0, proscijena = 0;
        size_t texts = 0;                    // where its four texts start in `bytes`
        std::array<qsizetype, 4> lengths{};  // sifra, naziv, barkod, jedmjere
    };
    std::vector<Staged> staged(order.size());
    QByteArray bytes;
    size_t placed = 0;
    db.forEachRow(QStringLiteral("select id,sifra,naziv,barkod,jedmjere,minkolicina,stanje,"
                                 "vrijednost,proscijena from artikli"),
                  {}, [&](const RowView& row) {
                      const int place = order.placeOf(row);
                      qint64 id = 0;
                      if (place < 0 || !row.integer(0, &id) || qint64(int(id)) != id) return;
                      // The rows come in the order of their ids, their places all over: the
                      // place of an article a few ids on is asked for from memory now.
                      if (const int ahead = order.placeOf(id + 4); ahead >= 0)
                          __builtin_prefetch(&staged[size_t(ahead)]);
                      Staged& s = staged[size_t(place)];
                      if (s.read) return;
                      s.read = true;
                      s.id = int(id);
                      s.texts = size_t(bytes.size());
                      for (int f = 0; f < 4; ++f) {
                          QByteArrayView text = row.textBytes(f + 1);
                          // Anything but a text value (NULL, a number): as the value reads.
                          QByteArray other;
                          if (text.isEmpty()) text = other = row.value(f + 1).toString().toUtf8();
                          bytes += text;
                          s.lengths[size_t(f)] = text.size();
                      }
                      s.minkolicina = float(row.number(5));
                      s.stanje = float(row.number(6));
                      s.vrijednost = row.number(7);
                      s.proscijena = row.number(8);
                      ++placed;
                  });
    // An id the articles cannot hold (not an integer, beyond an int): as the select gives them.
    if (placed != staged.size())
        return readArticles(db, QStringLiteral("select * from artikli order by naziv asc"));
    std::vector<StockArticle> articles(staged.size());
    // The texts were staged in stored order and are taken in the order of the names, into one
    // block: each asked for from memory a few articles ahead.
    constexpr size_t kAhead = 8;
    ArticleTexts texts;
    texts.reserve(bytes.size());
    for (size_t i = 0; i < staged.size(); ++i) {
        if (i + kAhead < staged.size()) {
            const char* ahead = bytes.constData() + staged[i + kAhead].texts;
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        const Staged& s = staged[i];
        StockArticle& a = articles[i];
        const char* text = bytes.constData() + s.texts;
        std::array<QByteArrayView, 4> fields;
        for (size_t f = 0; f < 4; ++f) {
            fields[f] = QByteArrayView(text, s.lengths[f]);
            text += s.lengths[f];
        }
        texts.giveUtf8(a, fields);
        a.id = s.id;
        a.minkolicina = s.minkolicina;
        a.stanje = s.stanje;
        a.vrijednost = Currency::fromDouble(s.vrijednost);
        a.proscijena = Currency::fromDouble(s.proscijena);
    }
    return articles;
}

// The lines of a card query: idartikla, kolicina, cijena, pi, brojpi in this order.
const QString kLinesSql = QStringLiteral(
    "select u.idartikla,u.kolicina,u.cijena,p.pi,p.brojpi from ulazizlaz as u "
    "left join pi as p on p.id=u.idpi");

// ---- Text -----------------------------------------------------------------------------------

QString cardLabelLine() {
    return QStringLiteral("Šifra:") + report::blanks(8) + QStringLiteral("Naziv:") +
           report::blanks(34) + QStringLiteral("Barkod:") + report::blanks(7) +
           QStringLiteral("J.m.:") + report::blanks(1) + QStringLiteral("Min.kol.") + kCrLf;
}

// `text` left-aligned in `width` (cut to it), appended to `out`.
void appendLeft(QString& out, QStringView text, int width) {
    const QStringView shown = text.left(width);
    out += shown;
    for (qsizetype i = shown.size(); i < width; ++i)
        out += u' ';
}

// The article's line of a card: code, name, bar code, unit and minimum quantity.
void appendArticleLine(QString& out, const StockArticle& a) {
    appendLeft(out, a.sifra(), 14);
    appendLeft(out, a.naziv(), 40);
    appendLeft(out, a.barkod(), 14);
    appendLeft(out, a.jedmjere(), 6);
    out += figure(a.minkolicina, Precision::Single, 9);
}

void appendArticleBlock(QString& out, const StockArticle& a) {
    appendArticleLine(out, a);
    out += kCrLf;
    out += report::underscores() + kCrLf;
    out += QStringLiteral(
               "R.br. V B.P/I Ulaz              Izlaz             Stanje     "
               "Vrijednost   Pr.cijena") +
           kCrLf;
    out += report::blanks(14) + QStringLiteral("Količina Cijena   Količina Cijena   ") +
           report::blanks(38) + kCrLf;
    out += report::underscores() + kCrLf;
}

// The document's number of `l` right-aligned in six columns (kept whole), blanks without one.
void appendNumber(QString& out, const CardLine& l) {
    char digits[24];
    const char* end =
        l.numbered ? std::to_chars(digits, digits + sizeof digits, l.brojpi).ptr : digits;
    for (qsizetype i = end - digits; i < 6; ++i)
        out += u' ';
    out += QLatin1String(digits, end - digits);
}

// The columns the document's number of `l` takes: six, or its digits and sign when more.
int numberColumns(const CardLine& l) {
    if (!l.numbered || (l.brojpi > -100000 && l.brojpi < 1000000)) return 6;
    char digits[24];
    return int(std::to_chars(digits, digits + sizeof digits, l.brojpi).ptr - digits);
}

// The running figures of a card after one of its lines.
struct Running {
    float stock = 0;
    Currency value;
    Currency average;
};

// The stock, value and average after each of `lines`, replayed from the first.
template <class Visit>
void replayCard(const CardLines& lines, Visit&& visit) {
    Running r;
    for (const CardLine& l : lines) {
        const bool receipt = l.receipt;
        const Currency amount = l.cijena * Currency::fromDouble(l.kolicina);
        if (receipt) {
            r.stock = r.stock + l.kolicina;
            r.value = r.value + amount;
        } else {
            r.stock = r.stock - l.kolicina;
            r.value = r.value - amount;
        }
        // No average at zero stock (or beyond what a currency value holds): the previous stays.
        if (r.stock != 0) {
            const double quotient = r.value.toDouble() / double(r.stock);
            if (std::isfinite(quotient) && std::fabs(quotient) < kCurrencyLimit)
                r.average = Currency::fromDouble(quotient);
        }
        visit(l, receipt, r);
    }
}

// Line `number` of a card: `l` with the running figures after it. Appended piece by piece,
// straight into the text: a card of every article can run to hundreds of thousands of lines. The
// column of the other side always reads 0,00.
void appendCardLine(QString& out, int number, const CardLine& l, bool receipt, const Running& r) {
    static const QString zeroQuantity = figure(0.0, Precision::Single, 9);
    static const QString zeroPrice = figure(0.0, Precision::Currency, 9);
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, number);
    for (qsizetype i = written.ptr - digits; i < 4; ++i)
        out += u' ';
    out += QLatin1String(digits, written.ptr - digits);
    out += QLatin1String(". ");
    out += l.kindLetter();
    appendNumber(out, l);
    if (receipt) {
        appendFormat00(out, l.kolicina, Precision::Single, 9);
        appendFormat00(out, l.cijena, 9);
        out += zeroQuantity;
        out += zeroPrice;
    } else {
        out += zeroQuantity;
        out += zeroPrice;
        appendFormat00(out, l.kolicina, Precision::Single, 9);
        appendFormat00(out, l.cijena, 9);
    }
    appendFormat00(out, r.stock, Precision::Single, 11);
    appendFormat00(out, r.value, 13);
    appendFormat00(out, r.average, 10);
}

void appendCardLines(QString& out, const CardLines& lines) {
    int number = 0;
    replayCard(lines, [&](const CardLine& l, bool receipt, const Running& r) {
        appendCardLine(out, ++number, l, receipt, r);
        out += kCrLf;
    });
}

// The width a currency figure takes in a column of `width` (report::figureWidth of a double).
int figureWidth(Currency value, int width) {
    if (std::fabs(value.toDouble()) < fitsBelow(width)) return width;
    QString text;
    appendFormat00(text, value, 0);
    return std::max(width, int(text.size()));
}

QString articleLine(const StockArticle& a) {
    QString out;
    appendArticleLine(out, a);
    return out;
}

// The stock cards of several articles made line by line as they are shown: the cards' lines with
// the running figures after each, replayed once; a line's text is made when it is asked for.
class StockCardsReport final : public ReportSource {
  public:
    explicit StockCardsReport(std::vector<StockCard>&& cards) : cards_(std::move(cards)) {
        static const QString heading[] = {cardLabelLine().chopped(2), report::underscores(),
                                          QString()};
        widest_ = report::kWidth;
        for (const QString& h : heading)
            widest_ = std::max(widest_, int(h.size()));
        for (const QString& l : blockTail())
            widest_ = std::max(widest_, int(l.size()));
        size_t lines = 0;
        for (const StockCard& card : cards_)
            lines += card.lines.size();
        running_.reserve(lines);
        firstLine_.reserve(cards_.size() + 1);
        int line = kHeadingLines;
        for (const StockCard& card : cards_) {
            firstLine_.push_back(line);
            line += int(card.lines.size()) + kCardExtraLines;
            widest_ =
                std::max(widest_, 74 + figureWidth(card.article.minkolicina, Precision::Single, 9));
            int number = 0;
            replayCard(card.lines, [&](const CardLine& l, bool, const Running& r) {
                running_.push_back(r);
                char text[16];
                const int digits =
                    int(std::to_chars(text, text + sizeof text, ++number).ptr - text);
                const int width = std::max(4, digits) + 3 + numberColumns(l) +
                                  figureWidth(l.kolicina, Precision::Single, 9) +
                                  figureWidth(l.cijena, 9) + 18 +
                                  figureWidth(r.stock, Precision::Single, 11) +
                                  figureWidth(r.value, 13) + figureWidth(r.average, 10);
                widest_ = std::max(widest_, width);
            });
        }
        firstLine_.push_back(line);
        lineCount_ = line;
        // The first running figures of each card in running_.
        size_t at = 0;
        firstRunning_.reserve(cards_.size());
        for (const StockCard& card : cards_) {
            firstRunning_.push_back(at);
            at += card.lines.size();
        }
    }

    int lineCount() const override { return lineCount_; }
    int widestLine() const override { return widest_; }
    QString text() const override { return stockCardsText(cards_); }

    QString line(int i) const override {
        switch (i) {
            case 0:
                return cardLabelLine().chopped(2);
            case 1:
                return report::underscores();
            case 2:
                return QString();
            default:
                break;
        }
        const size_t c =
            size_t(std::upper_bound(firstLine_.begin(), firstLine_.end(), i) - firstLine_.begin()) -
            1;
        const StockCard& card = cards_[c];
        const int at = i - firstLine_[c];
        const int n = int(card.lines.size());
        if (at == 0) return articleLine(card.article);
        if (at < 5) return blockTail()[size_t(at - 1)];
        if (at < 5 + n) {
            const CardLine& l = card.lines[size_t(at - 5)];
            QString out;
            out.reserve(report::kWidth);
            appendCardLine(out, at - 4, l, l.receipt, running_[firstRunning_[c] + size_t(at - 5)]);
            return out;
        }
        if (at == 5 + n) return report::dashes();
        return report::blanks(report::kWidth);
    }

  private:
    static constexpr int kHeadingLines = 3;
    static constexpr int kCardExtraLines = 8;  // the article block, the rule and two blank lines

    // The four lines of the article block after the article's own: rule, column headings, rule.
    static const std::vector<QString>& blockTail() {
        static const std::vector<QString> tail = [] {
            QString out;
            appendArticleBlock(out, StockArticle());
            std::vector<QString> lines;
            for (QStringView l : QStringView(out).split(kCrLf).mid(1, 4))
                lines.push_back(l.toString());
            return lines;
        }();
        return tail;
    }

    std::vector<StockCard> cards_;
    std::vector<Running> running_;
    std::vector<size_t> firstRunning_;
    std::vector<int> firstLine_;  // the line of each card's article, then the line count
    int lineCount_ = 0;
    int widest_ = 0;
};

}  // namespace

// ---- Reading --------------------------------------------------------------------------------

std::vector<StockArticle> readArticlesByCode(Database& db, const QString& code) {
    return readArticles(db, QStringLiteral("select * from artikli where sifra=?"), {code});
}

std::vector<StockArticle> readArticleGroup(Database& db, ArticleGroup group) {
    switch (group) {
        case ArticleGroup::All:
            if (db.onServer())
                return readArticles(db, QStringLiteral("select * from artikli order by naziv asc"));
            return articlesByName(db);
        case ArticleGroup::ZeroStock:
            return readArticles(db, QStringLiteral("select * from artikli where stanje=0"));
        case ArticleGroup::BelowMinimum:
            return readArticles(db,
                                QStringLiteral("select * from artikli where stanje<minkolicina"));
    }
    return {};
}

StockArticle readCardArticle(Database& db, ArticleKey key, const QString& text) {
    const QString sql = key == ArticleKey::Name
                            ? QStringLiteral("select * from artikli where naziv=?")
                            : QStringLiteral("select * from artikli where sifra=?");
    Recordset rs = db.openRecordset(sql, {text});
    ArticleTexts texts;
    return ArticleFields(rs).read(rs, texts);  // reading an empty result throws "no current record"
}

std::vector<CardLine> readCardLines(Database& db, int articleId) {
    std::vector<CardLine> lines;
    db.forEachRow(kLinesSql + QStringLiteral(" where u.idartikla=? order by u.id"),
                  {QString::number(articleId)},
                  [&lines](const RowView& row) { lines.push_back(readCardLine(row)); });
    return lines;
}

CardLine readCardLine(const RowView& row) {
    std::optional<qint64> number;
    if (!row.isNull(4)) {
        qint64 broj = 0;
        if (!row.integer(4, &broj)) broj = row.value(4).toLongLong();
        number = broj;
    }
    const float quantity = float(row.number(1));
    const Currency price = Currency::fromDouble(row.number(2));
    const QByteArrayView kind = row.textBytes(3);
    if (kind.size() == 1 && uchar(kind[0]) < 128) {
        const char16_t letter = char16_t(uchar(kind[0]));
        return CardLine(QStringView(&letter, 1), number, quantity, price);
    }
    return CardLine(row.value(3).toString(), number, quantity, price);
}

void readGroupCards(Database& db, ArticleGroup group, std::vector<StockCard>& cards) {
    cards.clear();
    prepareLongRead(db);
    const std::vector<StockArticle> members = readArticleGroup(db, group);
    if (members.empty()) return;

    // Each member's card is that of the first article with its code.
    const bool everyArticle = group == ArticleGroup::All;
    const std::vector<StockArticle> others =
        everyArticle ? std::vector<StockArticle>()
                     : readArticles(db, QStringLiteral("select * from artikli"));
    const std::vector<StockArticle>& all = everyArticle ? members : others;
    // Codes equal to the books' order (letter case aside) are one code: the articles sorted by a
    // hash of their codes (then by id), and the codes of one hash told apart by compareText.
    struct Coded {
        std::uint64_t hash;
        const StockArticle* article;
    };
    std::vector<std::uint64_t> hashes(all.size());
    std::vector<Coded> byCode(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        hashes[i] = collationHash(all[i].sifra());
        byCode[i] = {hashes[i], &all[i]};
    }
    std::sort(byCode.begin(), byCode.end(), [](const Coded& a, const Coded& b) {
        if (a.hash != b.hash) return a.hash < b.hash;
        if (a.article->id != b.article->id) return a.article->id < b.article->id;
        return a.article < b.article;
    });
    // The first article (the least id) with the code of member `i`; the member itself if none.
    const auto firstWithCode = [&](size_t i) -> const StockArticle& {
        const StockArticle& m = members[i];
        const std::uint64_t hash = everyArticle ? hashes[i] : collationHash(m.sifra());
        auto it = std::lower_bound(byCode.begin(), byCode.end(), hash,
                                   [](const Coded& c, std::uint64_t h) { return c.hash < h; });
        for (; it != byCode.end() && it->hash == hash; ++it)
            if (compareText(it->article->sifra(), m.sifra()) == 0) return *it->article;
        return m;
    };
    // The lines of each card's article gather in a slot of their own; the slot of an article id
    // is found in a table by id (the ids of a book count up from 1), or in a hash for ids far
    // beyond the number of cards.
    int slotCount = 0;
    std::vector<int> slotById;
    QHash<int, int> slotBySparseId;
    cards.reserve(members.size());
    int minId = 0, maxId = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        const StockArticle& article = firstWithCode(i);
        cards.push_back({article, {}});
        minId = std::min(minId, article.id);
        maxId = std::max(maxId, article.id);
    }
    const bool dense = minId >= 0 && maxId < 4 * int(cards.size()) + 1024;
    if (dense) slotById.assign(size_t(maxId) + 1, -1);
    const auto slotOf = [&](int id) -> int* {
        if (dense) return id >= 0 && id <= maxId ? &slotById[size_t(id)] : nullptr;
        auto it = slotBySparseId.find(id);
        return it == slotBySparseId.end() ? nullptr : &*it;
    };
    for (const StockCard& card : cards) {
        if (!dense && !slotBySparseId.contains(card.article.id))
            slotBySparseId.insert(card.article.id, -1);
        int* slot = slotOf(card.article.id);
        if (slot && *slot < 0) *slot = slotCount++;
    }

    // Every line of the book once, in posting order, kept with its card's slot; read forward,
    // since the lines go straight to their cards. The lines are then moved into one store, slot
    // after slot (each slot's lines in posting order), and each card given its slot's run of it.
    // A failure leaves the cards without their lines.
    std::vector<std::pair<int, CardLine>> read;
    // Room for the lines at most: the ends of their ids tell it (a count would read them all
    // once more), and the room is handed out as it is written.
    read.reserve(std::min(idSpan(db, QStringLiteral("ulazizlaz")).span(), size_t(1) << 24));
    adviseLargePages(read);
    db.forEachRow(kLinesSql + QStringLiteral(" order by u.id"), {}, [&](const RowView& row) {
        qint64 id = 0;
        if (!row.integer(0, &id)) return;
        const int* slot = slotOf(int(id));
        if (!slot || *slot < 0) return;
        read.emplace_back(*slot, readCardLine(row));
    });
    std::vector<size_t> start(size_t(slotCount) + 1, 0);
    for (const auto& [slot, line] : read)
        ++start[size_t(slot) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    auto store = std::make_shared<std::vector<CardLine>>();
    store->reserve(read.size());
    prepareWrittenRoom(*store);
    store->resize(read.size());
    {
        std::vector<size_t> next(start.begin(), start.end() - 1);
        for (auto& [slot, line] : read)
            (*store)[next[size_t(slot)]++] = std::move(line);
        std::vector<std::pair<int, CardLine>>().swap(read);
    }
    // Two entries of a group may name the same article: both have its run.
    const std::shared_ptr<const std::vector<CardLine>> lines = std::move(store);
    for (StockCard& card : cards) {
        const size_t slot = size_t(*slotOf(card.article.id));
        card.lines = CardLines(lines, start[slot], start[slot + 1]);
    }
}

// ---- Text -----------------------------------------------------------------------------------

namespace {

const QString& statusHeading() {
    static const QString heading = QStringLiteral(
        "Šifra        Naziv                 J.mj. Min.kol. Stanje     "
        "Vrijednost   Pr.cijena");
    return heading;
}

// An article's line of the stock status, without its line end.
void appendStatusLine(QString& out, const StockArticle& a) {
    appendLeft(out, a.sifra().trimmed(), 13);
    // The name cut to 21 characters: the column keeps a blank.
    appendLeft(out, a.naziv().trimmed().left(21), 22);
    appendLeft(out, a.jedmjere().trimmed(), 6);
    out += figure(a.minkolicina, Precision::Single, 8);
    out += figure(a.stanje, Precision::Single, 11);
    out += figure(a.vrijednost.toDouble(), Precision::Currency, 13);
    out += figure(a.proscijena.toDouble(), Precision::Currency, 9);
}

// The stock status made line by line as it is shown: the status of every article of a large
// book is a hundred thousand lines.
class StockStatusReport final : public ReportSource {
  public:
    explicit StockStatusReport(StockArticles articles) : articles_(std::move(articles)) {
        widest_ = int(std::max(statusHeading().size(), qsizetype(report::kWidth)));
        // The text columns are cut to their width; a figure too long for its column pushes the
        // line.
        for (const StockArticle& a : *articles_)
            widest_ = std::max(widest_,
                               13 + 22 + 6 + figureWidth(a.minkolicina, Precision::Single, 8) +
                                   figureWidth(a.stanje, Precision::Single, 11) +
                                   figureWidth(a.vrijednost.toDouble(), Precision::Currency, 13) +
                                   figureWidth(a.proscijena.toDouble(), Precision::Currency, 9));
    }

    int lineCount() const override { return int(articles_->size()) + 2; }
    QString line(int i) const override {
        if (i == 0) return statusHeading();
        if (i == 1) return report::underscores();
        QString out;
        out.reserve(report::kWidth);
        appendStatusLine(out, (*articles_)[size_t(i - 2)]);
        return out;
    }
    int widestLine() const override { return widest_; }
    QString text() const override { return stockStatusText(*articles_); }

  private:
    StockArticles articles_;
    int widest_ = 0;
};

}  // namespace

QString stockStatusText(const std::vector<StockArticle>& articles) {
    QString out;
    out.reserve(int(articles.size() + 2) * 85);
    out += statusHeading() + kCrLf + report::underscores() + kCrLf;
    for (const StockArticle& a : articles) {
        appendStatusLine(out, a);
        out += kCrLf;
    }
    return out;
}

std::shared_ptr<const ReportSource> stockStatusReport(StockArticles articles) {
    return std::make_shared<StockStatusReport>(std::move(articles));
}

sheet::Sheet stockStatusSheet(const std::vector<StockArticle>& articles, const QDate& today) {
    using sheet::Cell;
    sheet::Sheet s;
    s.name = QStringLiteral("Stanje artikala");
    s.titleLines = {QStringLiteral("Stanje artikala na dan: ") + dateText(today)};
    s.heading = {QStringLiteral("Šifra"),    QStringLiteral("Naziv"),  QStringLiteral("J.mj."),
                 QStringLiteral("Min.kol."), QStringLiteral("Stanje"), QStringLiteral("Vrijednost"),
                 QStringLiteral("Pr.cijena")};
    // Each figure as the report shows it: rounded to its two decimals.
    const auto shown = [](double v, Precision p) {
        return Cell::ofNumber(numberOrZero(format00(v, p)));
    };
    double total = 0;
    s.rows.reserve(articles.size());
    for (const StockArticle& a : articles) {
        const Cell value = shown(a.vrijednost.toDouble(), Precision::Currency);
        total += value.number;
        s.rows.push_back({Cell::ofText(a.sifra().trimmed().toString()),
                          Cell::ofText(a.naziv().trimmed().toString()),
                          Cell::ofText(a.jedmjere().trimmed().toString()),
                          shown(a.minkolicina, Precision::Single),
                          shown(a.stanje, Precision::Single), value,
                          shown(a.proscijena.toDouble(), Precision::Currency)});
    }
    s.totals.push_back({Cell::ofText(QStringLiteral("Ukupno")), Cell::empty(), Cell::empty(),
                        Cell::empty(), Cell::empty(), Cell::ofNumber(roundHalfAway(total, 2)),
                        Cell::empty()});
    return s;
}

QString stockCardText(const std::optional<StockCard>& card) {
    if (!card) return QString();
    QString out = cardLabelLine();
    appendArticleBlock(out, card->article);
    appendCardLines(out, card->lines);
    return out;
}

QString stockCardsText(const std::vector<StockCard>& cards) {
    size_t lines = 4;
    for (const StockCard& card : cards)
        lines += card.lines.size() + 8;
    QString out;
    out.reserve(qsizetype(lines) * (report::kWidth + 2));
    out += cardLabelLine() + report::underscores() + kCrLf + kCrLf;
    for (const StockCard& card : cards) {
        appendArticleBlock(out, card.article);
        appendCardLines(out, card.lines);
        out += report::dashes() + kCrLf;
        out += report::blanks(report::kWidth) + kCrLf;
        out += report::blanks(report::kWidth) + kCrLf;
    }
    return out;
}

}  // namespace kl

namespace kl {

std::shared_ptr<const ReportSource> stockCardsReport(std::vector<StockCard> cards) {
    return std::make_shared<StockCardsReport>(std::move(cards));
}

}  // namespace kl
