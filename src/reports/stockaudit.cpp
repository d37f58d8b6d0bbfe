#include "reports/stockaudit.h"

#include "data/collation.h"
#include "data/convert.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "reports/longread.h"
#include "reports/reportlayout.h"
#include "warehouse/documents.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <map>

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstring>

namespace kl {

namespace {

using report::kCrLf;
using report::left;
using report::right;

// The customer work orders issue to (issueWorkOrder looks it up by this name).
const QString kProductionCustomer = QStringLiteral("Proizvodnja");

// An article's figures as its row holds them: each as read back from its column.
struct Figures {
    double stanje = 0, vrijednost = 0, proscijena = 0;
};

// The conversions of the replay, each figure converted once (the same figures come back again
// and again over a book's lines): a figure as posting stores it, its single-precision text read
// back from a single or a currency column, and the quantity a stored single was typed as.
class Conversions {
  public:
    double storedSingle(float f) {
        return memo(singles_, f, [f] { return double(toSingle(textValue(f))); });
    }
    double storedCurrency(float f) {
        return memo(currencies_, f, [f] { return Currency::ofSingleText(f).toDouble(); });
    }
    double typed(float kolicina) {
        return memo(typed_, kolicina, [kolicina] { return textValue(kolicina); });
    }

    // numberOrZero(singleText(f)), without the texts.
    static double textValue(float f) { return singleTextValue(f); }

  private:
    // A cache of the last conversions, a slot for each value's low bits: the figures that come
    // back (quantities, prices, the stock of the article being replayed) are found at once, a
    // figure met once costs its conversion and a slot.
    struct Slot {
        quint32 key = 0;
        bool used = false;
        double value = 0;
    };
    using Cache = std::vector<Slot>;
    static constexpr size_t kSlots = 1 << 10;

    template <class F>
    static double memo(Cache& cache, float f, F convert) {
        if (cache.empty()) cache.resize(kSlots);
        quint32 key;
        std::memcpy(&key, &f, sizeof key);
        Slot& slot = cache[(key ^ (key >> 14)) & (kSlots - 1)];
        if (!slot.used || slot.key != key) slot = {key, true, convert()};
        return slot.value;
    }
    Cache singles_, currencies_, typed_;
};

// Nearly every figure of a line is a single of at most two decimals, a count of hundredths (from
// 0,01 to 99 999,99 either way). Such a single is its own round2Single, its stored single is
// itself and its stored currency the double nearest its hundredths (the tests check all of them).
// The sum of two of them below 8 192 is the single of the sum of their hundredths: each single
// lies within 2^-12 of its hundredths, the sum's single within 2^-12 more, and its seven digits
// within 0,0005 more, far inside the 0,005 that would round it to other hundredths. The replay
// takes those at once and leaves every other figure to the stock rules' own roundings.
struct Rounded {
    float value = 0;
    qint32 hundredths = 0;  // when value is such a single, else 0 (both in one register)
};

// The hundredths of such a single, or 0.
qint32 hundredthsOf(float g) {
    const double m = nearestInteger(double(g) * 100);
    if (m == 0 || !(std::fabs(m) < 1e7) || float(m / 100) != g) return 0;
    return qint32(m);
}

// round2Single(x), which rounds the single of x.
Rounded rounded(double x) {
    const float f = toSingle(x);
    if (const qint32 h = hundredthsOf(f)) return {f, h};
    const float r = round2Single(x);
    return {r, hundredthsOf(r)};
}

// round2Single(double(a) + double(b)), or of a - b.
Rounded roundedSum(const Rounded& a, const Rounded& b, bool minus) {
    constexpr qint32 kQuick = 819200;  // 8 192 in hundredths
    if (a.hundredths && b.hundredths) {
        const qint32 x = a.hundredths, y = minus ? -b.hundredths : b.hundredths, r = x + y;
        if (std::abs(x) < kQuick && std::abs(y) < kQuick && std::abs(r) >= 100 &&
            std::abs(r) < kQuick)
            return {float(double(r) / 100), r};
    }
    return rounded(minus ? double(a.value) - double(b.value) : double(a.value) + double(b.value));
}

// A line posted by postDocument. Its amount was the window's quantity x price as typed, shown
// with two decimals; the quantity typed is the default text of the stored single. The figures
// are those of applyMovement and averagePrice, stored as posting stores them.
void replayDocumentLine(Conversions& c, Figures& f, DocumentKind kind, double storedKolicina,
                        double cijena) {
    const double kolicina = c.typed(float(storedKolicina));
    // The amount shown with two decimals and read back: the same as rounding its decimal digits.
    const double amount = std::isfinite(kolicina * cijena) ? roundedAmount(kolicina, cijena) : 0.0;
    const bool issue = kind != DocumentKind::Receipt;
    const Rounded stanje = roundedSum(rounded(float(f.stanje)), rounded(kolicina), issue);
    const Rounded vrijednost = roundedSum(rounded(float(f.vrijednost)), rounded(amount), issue);
    f.stanje = stanje.hundredths ? double(stanje.value) : c.storedSingle(stanje.value);
    f.vrijednost = vrijednost.hundredths ? double(vrijednost.hundredths) / 100
                                         : c.storedCurrency(vrijednost.value);
    // The average of the stored figures, each rounded again (at once when it is such a single).
    const Rounded s = stanje.hundredths ? stanje : rounded(f.stanje);
    if (s.value == 0.0f) return;
    const Rounded v = vrijednost.hundredths ? vrijednost : rounded(f.vrijednost);
    f.proscijena = c.storedCurrency(round2Single(double(v.value) / double(s.value)));
}

// A line issued by a work order, by the work order's own rule; the stored quantity stands for
// the quantity the work order took (see the header).
void replayWorkOrderLine(Conversions& c, Figures& f, double kolicina, double cijena) {
    const StockFigures now = applyWorkOrderIssue(f.stanje, f.vrijednost, kolicina, cijena);
    f.stanje = c.storedSingle(now.stanje);
    f.vrijednost = c.storedCurrency(now.vrijednost);
}

// A movement line as the replay needs it: the place of its article, its kind ('P' a receipt,
// otherwise an issue), its quantity and price, and whether it is an issue by the work order's rule.
struct ReadLine {
    size_t place = 0;
    char kind = 0;
    bool workOrder = false;
    double kolicina = 0, cijena = 0;
};

// The line of `row` for the article at `place`: the quantity and price in columns `quantity` and
// `quantity` + 1, the partner in column `customerColumn`; an issue to `workOrderCustomer` is one
// by the work order's rule.
ReadLine readLine(const RowView& row, size_t place, char kind, int quantity, int customerColumn,
                  qint64 workOrderCustomer) {
    ReadLine line{place, kind, false, row.number(quantity), row.number(quantity + 1)};
    if (kind != 'P' && workOrderCustomer >= 0) {
        qint64 customer = -1;
        const RowView::Key key = row.key(customerColumn, &customer);
        if (key == RowView::Key::Other) customer = row.value(customerColumn).toLongLong();
        line.workOrder = key != RowView::Key::Null && customer == workOrderCustomer;
    }
    return line;
}

// The lines of a replay on `figures`, each applied one row after it was read: the figures of its
// article, far apart in a large book, come from memory meanwhile, while the next row is read. An
// article with an issue by the work order's rule is marked in `workOrder`.
class LaggedReplay {
  public:
    LaggedReplay(std::vector<Figures>& figures, std::vector<char>& workOrder)
        : figures_(figures), workOrder_(workOrder) {}
    void add(const ReadLine& line) {
        __builtin_prefetch(&figures_[line.place], 1);
        flush();
        waiting_ = line;
        hasWaiting_ = true;
    }
    // The line waiting applied: before the figures are looked at.
    void flush() {
        if (!hasWaiting_) return;
        hasWaiting_ = false;
        Figures& f = figures_[waiting_.place];
        if (waiting_.kind == 'P') {
            replayDocumentLine(conversions_, f, DocumentKind::Receipt, waiting_.kolicina,
                               waiting_.cijena);
        } else if (waiting_.workOrder) {
            replayWorkOrderLine(conversions_, f, waiting_.kolicina, waiting_.cijena);
            workOrder_[waiting_.place] = 1;
        } else {
            replayDocumentLine(conversions_, f, DocumentKind::Issue, waiting_.kolicina,
                               waiting_.cijena);
        }
    }

  private:
    std::vector<Figures>& figures_;
    std::vector<char>& workOrder_;
    Conversions conversions_;
    ReadLine waiting_;
    bool hasWaiting_ = false;
};

// A pair of figures for the report: "0.00", unless the two differ only beyond the second
// decimal, when both are shown in their default text so the difference can be seen.
std::pair<QString, QString> figurePair(double stored, double replay, Precision p, int width) {
    QString a = format00(stored, p), b = format00(replay, p);
    if (a == b && stored != replay) {
        a = p == Precision::Single ? singleText(float(stored)) : currencyText(stored);
        b = p == Precision::Single ? singleText(float(replay)) : currencyText(replay);
    }
    return {right(a, width), right(b, width)};
}

// The kind letter of a header ("P", "I"; letter case and blanks around it ignored), or 0 for
// anything else.
char kindOf(const RowView& row, int column) {
    const QByteArrayView bytes = row.textBytes(column);
    if (bytes.size() == 1) {
        const char c = bytes[0];
        return c == 'P' || c == 'p' ? 'P' : c == 'I' || c == 'i' ? 'I' : 0;
    }
    const QString kind = row.value(column).toString().trimmed().toUpper();
    return kind == u"P" ? 'P' : kind == u"I" ? 'I' : 0;
}

}  // namespace

namespace {

// The date of a header as yyyymmdd, from its stored text ("dd.MM.yyyy" or "yyyy-MM-dd" read
// without a QString, anything else as parseDate reads it); 0 when it is not a date.
int dayNumber(const RowView& row, int column) {
    const QByteArrayView b = row.textBytes(column);
    auto digit = [&b](int i) { return b[i] >= '0' && b[i] <= '9' ? b[i] - '0' : -1; };
    if (b.size() == 10 && b[2] == '.' && b[5] == '.') {
        const int d[8] = {digit(6), digit(7), digit(8), digit(9),
                          digit(3), digit(4), digit(0), digit(1)};
        int n = 0;
        for (int x : d) {
            if (x < 0) return 0;
            n = n * 10 + x;
        }
        return n;
    }
    if (b.size() == 10 && b[4] == '-' && b[7] == '-') {
        const int d[8] = {digit(0), digit(1), digit(2), digit(3),
                          digit(5), digit(6), digit(8), digit(9)};
        int n = 0;
        for (int x : d) {
            if (x < 0) return 0;
            n = n * 10 + x;
        }
        return n;
    }
    const auto date = parseDate(row.value(column).toString());
    return date ? date->year() * 10000 + date->month() * 100 + date->day() : 0;
}

// The replay of replayStock on `articles`, the book's articles in id order with only their ids.
void replayArticles(Database& db, std::vector<ReplayedStock>& articles, const QDate& upTo) {
    // An article's place by its id: the ids of a book count up from 1, so a table finds them at
    // once; ids far beyond the number of articles are found in a hash.
    const qint64 maxId = articles.empty() ? 0 : articles.back().id;
    const bool dense = articles.empty() ||
                       (articles.front().id >= 0 && maxId < 4 * qint64(articles.size()) + 1024);
    std::vector<int> placeById(dense ? size_t(maxId) + 1 : 0, -1);
    QHash<qint64, int> placeBySparseId;
    for (size_t i = 0; i < articles.size(); ++i) {
        if (dense)
            placeById[size_t(articles[i].id)] = int(i);
        else
            placeBySparseId.insert(articles[i].id, int(i));
    }
    const auto placeOf = [&](qint64 id) {
        if (dense) return id >= 0 && id <= maxId ? placeById[size_t(id)] : -1;
        return placeBySparseId.value(id, -1);
    };

    qint64 workOrderCustomer = -1;
    {
        Recordset rs = db.openRecordset(QStringLiteral("select id from kd where ime=? order by id"),
                                        {kProductionCustomer});
        if (!rs.eof()) workOrderCustomer = rs.value(QStringLiteral("id")).toLongLong();
    }
    const int lastDay = upTo.isValid() ? upTo.year() * 10000 + upTo.month() * 100 + upTo.day() : 0;

    std::vector<Figures> figures(articles.size());
    std::vector<char> workOrder(articles.size(), 0);
    LaggedReplay replay(figures, workOrder);
    // Every line once, in posting order (the lines' ids ascend as documents are posted). A line
    // of an article or a header that is not in the book moves nothing.
    // The header's date only when the replay stops at a day.
    db.forEachRow(
        lastDay != 0
            ? QStringLiteral("select u.idartikla,u.kolicina,u.cijena,p.pi,p.idkd,p.datumpi from "
                             "ulazizlaz as u left join pi as p on p.id=u.idpi order by u.id")
            : QStringLiteral("select u.idartikla,u.kolicina,u.cijena,p.pi,p.idkd from "
                             "ulazizlaz as u left join pi as p on p.id=u.idpi order by u.id"),
        {}, [&](const RowView& row) {
            qint64 id = 0;
            if (!row.integer(0, &id) && !jet::isIntegerText(row.value(0).toString().trimmed(), &id))
                return;
            const int place = placeOf(id);
            if (place < 0) return;
            const char kind = kindOf(row, 3);
            if (kind == 0) return;
            // A line without a readable date counts at any date.
            if (lastDay != 0) {
                const int day = dayNumber(row, 5);
                if (day > lastDay) return;
            }
            replay.add(readLine(row, size_t(place), kind, 1, 4, workOrderCustomer));
        });
    replay.flush();
    for (size_t i = 0; i < articles.size(); ++i) {
        articles[i].workOrderIssues = workOrder[i] != 0;
        articles[i].stanje = figures[i].stanje;
        articles[i].vrijednost = figures[i].vrijednost;
        articles[i].proscijena = figures[i].proscijena;
    }
}

}  // namespace

std::vector<ReplayedStock> replayStock(Database& db, const QDate& upTo) {
    std::vector<ReplayedStock> articles;
    db.forEachRow(QStringLiteral("select id from artikli order by id"), {},
                  [&](const RowView& row) {
                      ReplayedStock a;
                      a.id = row.value(0).toLongLong();
                      articles.push_back(a);
                  });
    replayArticles(db, articles, upTo);
    return articles;
}

std::vector<StockDifference> auditStock(const BookLocation& book) {
    Database db = Database::openBook(book);
    prepareLongRead(db);
    ReadSnapshot snapshot(db);

    // The stored figures of every article; the code and name only of those that differ.
    struct Stored {
        qint64 id = 0;
        Figures f;
    };
    std::vector<Stored> stored;
    std::vector<ReplayedStock> replay;
    db.forEachRow(QStringLiteral("select id,stanje,vrijednost,proscijena from artikli order by id"),
                  {}, [&](const RowView& row) {
                      Stored a;
                      if (!row.integer(0, &a.id)) a.id = row.value(0).toLongLong();
                      a.f = {row.number(1), row.number(2), row.number(3)};
                      stored.push_back(a);
                      ReplayedStock r;
                      r.id = a.id;
                      replay.push_back(r);
                  });
    replayArticles(db, replay, QDate());

    // Both lists are in id order, read in one snapshot: the same articles, side by side.
    std::vector<StockDifference> differences;
    std::vector<size_t> differing;  // the places of the articles in differences
    for (size_t i = 0; i < stored.size(); ++i) {
        const Figures& f = stored[i].f;
        const ReplayedStock& r = replay[i];
        if (f.stanje == r.stanje && f.vrijednost == r.vrijednost && f.proscijena == r.proscijena)
            continue;
        StockDifference d;
        d.articleId = QString::number(stored[i].id);
        d.storedStanje = f.stanje;
        d.storedVrijednost = f.vrijednost;
        d.storedProscijena = f.proscijena;
        d.replayStanje = r.stanje;
        d.replayVrijednost = r.vrijednost;
        d.replayProscijena = r.proscijena;
        d.workOrderIssues = r.workOrderIssues;
        differences.push_back(std::move(d));
        differing.push_back(i);
    }
    // The codes and names of those that differ, from the articles in the same order once more.
    if (!differences.empty()) {
        size_t place = 0, next = 0;
        db.forEachRow(QStringLiteral("select sifra,naziv from artikli order by id"), {},
                      [&](const RowView& row) {
                          if (next < differing.size() && differing[next] == place) {
                              differences[next].sifra = row.value(0).toString();
                              differences[next].naziv = row.value(1).toString();
                              ++next;
                          }
                          ++place;
                      });
    }
    return differences;
}

namespace {

// ---- Stock points -------------------------------------------------------------------------
//
// The stock at a day replays every line of a document dated up to that day, in posting order.
// A stock point keeps the figures of every article after the lines whose ids are below its
// `granica`, all of them dated up to its `dan`: at any day from `dan` on those lines all count
// and come first, so the replay at that day starts from the point's figures and reads only the
// lines from `granica` on, exactly as the whole replay would. Posting adds lines above every
// point and changes none of the lines below one: a back-dated document is one of the lines read
// after the point, at its posting place. What a point's figures depend on is checked before they
// are used: the number of lines below `granica` (all lines less those read after it), of the
// headers up to the last one then, the work order customer, the articles (each one of the
// point's, or made after it and named by no line below it). A point that does not agree is not
// used and is removed; the replay then starts from an earlier one, or from nothing.
//
// Points are made by a replay at a day as it passes the end of a year (at the first line dated in
// a later year than every line before it, all of them counted) and at its last line (when every
// line was counted); the latest point of each of the last few years is kept, a new one only when
// it spares enough lines. A point's articles are kept packed, a few thousand to a row.

constexpr int kKeptYears = 3;
constexpr qsizetype kPackedSize = 33;  // id, the three figures, the mark
constexpr size_t kPackedPerRow = 2048;

// The mark of a packed article: its figures; its figures, with work order issues; an article id
// above the point's last article that a line below its granica names.
enum Mark : quint8 { Plain = 0, WorkOrder = 1, Orphan = 2 };

struct PointArticle {
    qint64 id = 0;
    Figures f;
    bool workOrderIssues = false;
};

struct StockPoint {
    qint64 row = 0;  // its id in kl_tockezaliha; 0 while it is not stored
    qint64 granica = 0, redaka = 0;
    int dan = 0;  // yyyymmdd, 0 when no line below granica had a readable date
    qint64 zadnjeZaglavlje = 0, zaglavlja = 0, proizvodnja = -1, zadnjiArtikl = 0;
    std::vector<PointArticle> articles;  // every article of the book then, in id order
    std::vector<qint64> orphans;         // ids above zadnjiArtikl named by lines below granica
};

// What the book holds now, against which a point is checked.
struct BookState {
    std::vector<qint64> articleIds;  // ascending
    qint64 workOrderCustomer = -1, lastHeader = 0, headers = 0, lines = 0;
    qint64 lastArticle() const { return articleIds.empty() ? 0 : articleIds.back(); }
};

// The points a replay at a day made, and the stored ones it found no longer agreeing.
struct PointWork {
    std::vector<StockPoint> made;
    std::vector<qint64> stale;
};

int dayOf(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

qint64 integerOf(const RowView& row, int column) {
    qint64 v = 0;
    return row.integer(column, &v) ? v : qint64(row.number(column));
}

qint64 countOf(Database& db, const QString& sql, const QVariantList& params = {}) {
    qint64 n = -1;
    db.forEachRow(sql, params, [&n](const RowView& row) { n = integerOf(row, 0); });
    return n;
}

void packNumber(char* to, quint64 bits) {
    qToLittleEndian(bits, to);
}

quint64 bitsOf(double d) {
    quint64 bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

double doubleOf(const char* from) {
    const quint64 bits = qFromLittleEndian<quint64>(from);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The point's articles and orphans, packed, a row's text each (base64).
QStringList packedRows(const StockPoint& p) {
    QStringList rows;
    QByteArray raw;
    const auto flush = [&] {
        rows << QString::fromLatin1(raw.toBase64());
        raw.clear();
    };
    const auto add = [&](qint64 id, const Figures& f, Mark mark) {
        char entry[kPackedSize];
        packNumber(entry, quint64(id));
        packNumber(entry + 8, bitsOf(f.stanje));
        packNumber(entry + 16, bitsOf(f.vrijednost));
        packNumber(entry + 24, bitsOf(f.proscijena));
        entry[32] = char(mark);
        raw.append(entry, kPackedSize);
        if (raw.size() == qsizetype(kPackedPerRow) * kPackedSize) flush();
    };
    for (const PointArticle& a : p.articles)
        add(a.id, a.f, a.workOrderIssues ? WorkOrder : Plain);
    for (const qint64 id : p.orphans)
        add(id, {}, Orphan);
    if (!raw.isEmpty() || rows.isEmpty()) flush();
    return rows;
}

// Adds the articles of a packed row to `p`; false when it is not one.
bool unpackRow(QByteArrayView text, StockPoint& p) {
    const QByteArray::FromBase64Result result = QByteArray::fromBase64Encoding(
        QByteArray::fromRawData(text.data(), text.size()), QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray& decoded = result.decoded;
    if (!result || decoded.size() % kPackedSize != 0) return false;
    for (const char* e = decoded.constData(); e != decoded.constData() + decoded.size();
         e += kPackedSize) {
        const qint64 id = qint64(qFromLittleEndian<quint64>(e));
        switch (quint8(e[32])) {
            case Plain:
            case WorkOrder:
                p.articles.push_back({id,
                                      {doubleOf(e + 8), doubleOf(e + 16), doubleOf(e + 24)},
                                      e[32] == WorkOrder});
                break;
            case Orphan:
                p.orphans.push_back(id);
                break;
            default:
                return false;
        }
    }
    return true;
}

std::vector<StockPoint> readPointHeads(Database& db) {
    std::vector<StockPoint> heads;
    if (!db.hasTable(QStringLiteral("kl_tockezaliha"))) return heads;
    db.forEachRow(QStringLiteral("select id,granica,dan,redaka,zadnjezaglavlje,zaglavlja,"
                                 "proizvodnja,zadnjiartikl from kl_tockezaliha"),
                  {}, [&heads](const RowView& row) {
                      StockPoint p;
                      p.row = integerOf(row, 0);
                      p.granica = integerOf(row, 1);
                      p.dan = int(integerOf(row, 2));
                      p.redaka = integerOf(row, 3);
                      p.zadnjeZaglavlje = integerOf(row, 4);
                      p.zaglavlja = integerOf(row, 5);
                      p.proizvodnja = integerOf(row, 6);
                      p.zadnjiArtikl = integerOf(row, 7);
                      heads.push_back(std::move(p));
                  });
    return heads;
}

// Whether the stored point `p` agrees with the book in all but its lines (their number is known
// only after the replay from it); its articles are read when it does.
bool pointAgrees(Database& db, const BookState& book, StockPoint& p) {
    if (p.proizvodnja != book.workOrderCustomer || p.zadnjeZaglavlje > book.lastHeader)
        return false;
    if (book.headers - countOf(db, QStringLiteral("select count(*) from pi where id>?"),
                               {p.zadnjeZaglavlje}) !=
        p.zaglavlja)
        return false;
    bool readable = true;
    qint64 expected = 0;
    db.forEachRow(
        QStringLiteral("select redni,stavke from kl_tockezalihastavke where idtocke=? order by "
                       "redni"),
        {p.row}, [&](const RowView& row) {
            readable =
                readable && integerOf(row, 0) == expected++ && unpackRow(row.textBytes(1), p);
        });
    if (!readable || expected == 0) return false;
    const auto byId = [](const PointArticle& a, const PointArticle& b) { return a.id < b.id; };
    if (!std::is_sorted(p.articles.begin(), p.articles.end(), byId)) return false;
    std::sort(p.orphans.begin(), p.orphans.end());
    // Every article of the book is one of the point's, or came after it unnamed by its lines.
    auto next = p.articles.begin();
    for (const qint64 id : book.articleIds) {
        while (next != p.articles.end() && next->id < id)
            ++next;
        if (next != p.articles.end() && next->id == id) continue;
        if (id > p.zadnjiArtikl && !std::binary_search(p.orphans.begin(), p.orphans.end(), id))
            continue;
        return false;
    }
    return true;
}

BookState readBookState(Database& db, const std::vector<qint64>* articleIds) {
    BookState book;
    if (articleIds) {
        book.articleIds = *articleIds;
    } else {
        db.forEachRow(QStringLiteral("select id from artikli"), {}, [&book](const RowView& row) {
            book.articleIds.push_back(integerOf(row, 0));
        });
    }
    std::sort(book.articleIds.begin(), book.articleIds.end());
    {
        Recordset rs = db.openRecordset(QStringLiteral("select id from kd where ime=? order by id"),
                                        {kProductionCustomer});
        if (!rs.eof()) book.workOrderCustomer = rs.value(QStringLiteral("id")).toLongLong();
    }
    book.lastHeader = std::max<qint64>(0, countOf(db, QStringLiteral("select max(id) from pi")));
    book.headers = countOf(db, QStringLiteral("select count(*) from pi"));
    book.lines = countOf(db, QStringLiteral("select count(*) from ulazizlaz"));
    return book;
}

// The replay of the lines from `base` (from the first line without one) to the end of the day
// `lastDay`, starting from the base's figures; with `made`, the points passed on the way.
struct TailReplay {
    std::vector<ReplayedStock> stock;
    qint64 seen = 0;  // the lines read
};

TailReplay replayTail(Database& db, const BookState& book, const StockPoint* base, int lastDay,
                      std::vector<StockPoint>* made) {
    QHash<qint64, size_t> byId;
    byId.reserve(qsizetype(book.articleIds.size()));
    for (size_t i = 0; i < book.articleIds.size(); ++i)
        byId.insert(book.articleIds[i], i);
    std::vector<Figures> figures(book.articleIds.size());
    std::vector<char> workOrder(book.articleIds.size(), 0);
    QSet<qint64> orphans;
    if (base) {
        // Both in id order.
        size_t i = 0;
        for (const PointArticle& a : base->articles) {
            while (i < book.articleIds.size() && book.articleIds[i] < a.id)
                ++i;
            if (i == book.articleIds.size()) break;
            if (book.articleIds[i] != a.id) continue;
            figures[i] = a.f;
            workOrder[i] = a.workOrderIssues;
        }
        for (const qint64 id : base->orphans)
            orphans.insert(id);
    }

    int maxDay = base ? base->dan : 0;
    const qint64 baseLines = base ? base->redaka : 0;
    qint64 seen = 0, lastLine = base ? base->granica - 1 : 0;
    const auto makePoint = [&](qint64 granica) {
        StockPoint p;
        p.granica = granica;
        p.redaka = baseLines + seen;
        p.dan = maxDay;
        p.zadnjeZaglavlje = book.lastHeader;
        p.zaglavlja = book.headers;
        p.proizvodnja = book.workOrderCustomer;
        p.zadnjiArtikl = book.lastArticle();
        p.articles.reserve(figures.size());
        for (size_t i = 0; i < figures.size(); ++i)
            p.articles.push_back({book.articleIds[i], figures[i], workOrder[i] != 0});
        for (const qint64 id : orphans)
            if (id > p.zadnjiArtikl) p.orphans.push_back(id);
        std::sort(p.orphans.begin(), p.orphans.end());
        made->push_back(std::move(p));
    };

    LaggedReplay replay(figures, workOrder);
    const auto replayRow = [&](const RowView& row) {
        const qint64 lineId = integerOf(row, 0);
        const int lineDay = dayNumber(row, 6);
        // The first line dated in a later year than every line before it, all of them counted.
        if (made && lineDay != 0 && maxDay != 0 && maxDay <= lastDay &&
            lineDay / 10000 > maxDay / 10000) {
            replay.flush();
            makePoint(lineId);
        }
        ++seen;
        lastLine = lineId;
        maxDay = std::max(maxDay, lineDay);

        // From here on as replayStock replays a line.
        qint64 id = 0;
        if (!row.integer(1, &id) && !jet::isIntegerText(row.value(1).toString().trimmed(), &id))
            return;
        const auto it = byId.constFind(id);
        if (it == byId.constEnd()) {
            // An article made later would have this line in its replay.
            if (id > book.lastArticle()) orphans.insert(id);
            return;
        }
        const char kind = kindOf(row, 4);
        if (kind == 0) return;
        // A line without a readable date counts at any date.
        if (lineDay > lastDay) return;
        replay.add(readLine(row, *it, kind, 2, 5, book.workOrderCustomer));
    };
    const QString lines = QStringLiteral(
        "select u.id,u.idartikla,u.kolicina,u.cijena,p.pi,p.idkd,p.datumpi from ulazizlaz as u "
        "left join pi as p on p.id=u.idpi");
    if (base)
        db.forEachRow(lines + QStringLiteral(" where u.id>=? order by u.id"), {base->granica},
                      replayRow);
    else
        db.forEachRow(lines + QStringLiteral(" order by u.id"), {}, replayRow);
    replay.flush();
    if (made && seen > 0 && maxDay <= lastDay) makePoint(lastLine + 1);

    TailReplay out;
    out.seen = seen;
    out.stock.resize(book.articleIds.size());
    for (size_t i = 0; i < out.stock.size(); ++i) {
        ReplayedStock& r = out.stock[i];
        r.id = book.articleIds[i];
        r.stanje = figures[i].stanje;
        r.vrijednost = figures[i].vrijednost;
        r.proscijena = figures[i].proscijena;
        r.workOrderIssues = workOrder[i] != 0;
    }
    return out;
}

// The replay up to the end of `day` (valid), from the latest stored point that agrees with the
// book (`articleIds`: the book's articles when the caller has read them); with `work`, the points
// passed on the way that are worth keeping are made and the stale ones named.
std::vector<ReplayedStock> replayFromPoint(Database& db, const QDate& day,
                                           const std::vector<qint64>* articleIds, PointWork* work) {
    const BookState book = readBookState(db, articleIds);
    const int lastDay = dayOf(day);
    std::vector<StockPoint> heads = readPointHeads(db);
    std::sort(heads.begin(), heads.end(),
              [](const StockPoint& a, const StockPoint& b) { return a.granica > b.granica; });
    std::vector<qint64> stale;
    std::vector<StockPoint> made;
    TailReplay replay;
    for (size_t next = 0;; ++next) {
        StockPoint* base = nullptr;
        for (; next < heads.size(); ++next) {
            if (heads[next].dan > lastDay) continue;
            if (pointAgrees(db, book, heads[next])) {
                base = &heads[next];
                break;
            }
            stale.push_back(heads[next].row);
        }
        made.clear();
        replay = replayTail(db, book, base, lastDay, work ? &made : nullptr);
        // The lines below the point are those it had.
        if (!base || book.lines - replay.seen == base->redaka) break;
        stale.push_back(base->row);
    }
    if (work) {
        // Only a point that spares enough lines over the stored ones below it is worth writing.
        for (StockPoint& m : made) {
            qint64 below = 0;
            for (const StockPoint& p : heads)
                if (p.granica <= m.granica &&
                    std::find(stale.begin(), stale.end(), p.row) == stale.end())
                    below = std::max(below, p.redaka);
            if (m.redaka - below >= testing::stockPointLines) work->made.push_back(std::move(m));
        }
        work->stale = std::move(stale);
    }
    return std::move(replay.stock);
}

// Stores the points `work` made that are worth keeping and removes the stale ones and those
// they replace, in one transaction. A book that cannot be written keeps what it has: the next
// replay at a day is a longer one, with the same figures.
void keepPoints(Database& db, PointWork& work) {
    if (work.made.empty() && work.stale.empty()) return;
    if (!db.hasTable(QStringLiteral("kl_tockezaliha"))) return;
    try {
        Transaction t(db);
        std::vector<StockPoint> stored = readPointHeads(db);
        std::vector<const StockPoint*> all;
        for (const StockPoint& p : stored)
            if (std::find(work.stale.begin(), work.stale.end(), p.row) == work.stale.end())
                all.push_back(&p);
        for (const StockPoint& m : work.made)
            all.push_back(&m);
        // The latest point of each year, of the latest years.
        std::sort(all.begin(), all.end(),
                  [](const StockPoint* a, const StockPoint* b) { return a->granica > b->granica; });
        std::vector<const StockPoint*> kept;
        for (const StockPoint* p : all) {
            if (kept.size() == size_t(kKeptYears)) break;
            if (!kept.empty() && kept.back()->dan / 10000 <= p->dan / 10000) continue;
            kept.push_back(p);
        }
        const auto isKept = [&kept](const StockPoint* p) {
            return std::find(kept.begin(), kept.end(), p) != kept.end();
        };
        for (const StockPoint& p : stored) {
            if (isKept(&p)) continue;
            db.execute(QStringLiteral("delete from kl_tockezalihastavke where idtocke=?"), {p.row});
            db.execute(QStringLiteral("delete from kl_tockezaliha where id=?"), {p.row});
        }
        for (const StockPoint& m : work.made) {
            if (!isKept(&m)) continue;
            db.execute(QStringLiteral("insert into kl_tockezaliha(granica,dan,redaka,"
                                      "zadnjezaglavlje,zaglavlja,proizvodnja,zadnjiartikl)"
                                      "values(?,?,?,?,?,?,?)"),
                       {m.granica, m.dan, m.redaka, m.zadnjeZaglavlje, m.zaglavlja, m.proizvodnja,
                        m.zadnjiArtikl});
            const qint64 row = db.lastInsertId();
            const QStringList packed = packedRows(m);
            for (qsizetype i = 0; i < packed.size(); ++i)
                db.execute(QStringLiteral("insert into kl_tockezalihastavke(idtocke,redni,stavke)"
                                          "values(?,?,?)"),
                           {row, i, packed[i]});
        }
        t.commit();
    } catch (const DbError&) {
    }
}

}  // namespace

std::vector<ReplayedStock> replayStockAt(Database& db, const QDate& day) {
    if (!day.isValid()) return replayStock(db);
    PointWork work;
    std::vector<ReplayedStock> replay;
    {
        ReadSnapshot snapshot(db);
        replay = replayFromPoint(db, day, nullptr, &work);
    }
    keepPoints(db, work);
    return replay;
}

std::vector<StockArticle> stockArticlesAt(Database& db, ArticleGroup group, const QDate& day) {
    std::vector<StockArticle> articles;
    PointWork work;
    {
        ReadSnapshot snapshot(db);
        articles = readArticleGroup(db, ArticleGroup::All);
        std::vector<qint64> ids;
        ids.reserve(articles.size());
        for (const StockArticle& a : articles)
            ids.push_back(a.id);
        applyReplay(replayFromPoint(db, day, &ids, &work), articles);
    }
    keepPoints(db, work);
    if (group == ArticleGroup::All) return articles;
    std::vector<StockArticle> members;
    for (StockArticle& a : articles) {
        if (group == ArticleGroup::ZeroStock ? a.stanje == 0 : a.stanje < a.minkolicina)
            members.push_back(std::move(a));
    }
    std::sort(members.begin(), members.end(),
              [](const StockArticle& a, const StockArticle& b) { return a.id < b.id; });
    return members;
}

void applyStockAt(Database& db, const QDate& day, std::vector<StockArticle>& articles) {
    applyReplay(replayStockAt(db, day), articles);
}

void applyReplay(const std::vector<ReplayedStock>& replay, std::vector<StockArticle>& articles) {
    const auto apply = [](StockArticle& a, const ReplayedStock* r) {
        a.stanje = r ? float(r->stanje) : 0.0f;
        a.vrijednost = Currency::fromDouble(r ? r->vrijednost : 0.0);
        a.proscijena = Currency::fromDouble(r ? r->proscijena : 0.0);
    };
    // The replay's place of each article from the ids by place (a book's count up from 1): a
    // hash looked up in name order would miss the caches at every article of a large book.
    std::vector<qint64> ids;
    ids.reserve(replay.size());
    for (const ReplayedStock& r : replay)
        ids.push_back(r.id);
    if (const IdOrder order(ids); order.valid()) {
        constexpr size_t kAhead = 8;  // the figures of an article a few on asked for now
        for (size_t i = 0; i < articles.size(); ++i) {
            if (i + kAhead < articles.size())
                if (const int ahead = order.placeOf(articles[i + kAhead].id); ahead >= 0)
                    __builtin_prefetch(&replay[size_t(ahead)]);
            const int place = order.placeOf(articles[i].id);
            apply(articles[i], place >= 0 ? &replay[size_t(place)] : nullptr);
        }
        return;
    }
    // An article given twice: the last of it.
    QHash<qint64, const ReplayedStock*> byId;
    byId.reserve(qsizetype(replay.size()));
    for (const ReplayedStock& r : replay)
        byId.insert(r.id, &r);
    for (StockArticle& a : articles)
        apply(a, byId.value(a.id));
}

std::vector<CardLine> readCardLinesAt(Database& db, int articleId, const QDate& day) {
    const int lastDay = day.year() * 10000 + day.month() * 100 + day.day();
    std::vector<CardLine> lines;
    db.forEachRow(
        QStringLiteral("select u.idartikla,u.kolicina,u.cijena,p.pi,p.brojpi,p.datumpi from "
                       "ulazizlaz as u left join pi as p on p.id=u.idpi where u.idartikla=? "
                       "order by u.id"),
        {QString::number(articleId)}, [&](const RowView& row) {
            if (dayNumber(row, 5) > lastDay) return;
            lines.push_back(readCardLine(row));
        });
    return lines;
}

void readGroupCardsAt(Database& db, ArticleGroup group, const QDate& day,
                      std::vector<StockCard>& cards) {
    cards.clear();
    const std::vector<StockArticle> members = stockArticlesAt(db, group, day);
    if (members.empty()) return;
    ReadSnapshot snapshot(db);
    // Each member's card is that of the first article with its code, as on today's cards.
    const std::vector<StockArticle> all = readArticleGroup(db, ArticleGroup::All);
    struct TextLess {
        bool operator()(QStringView a, QStringView b) const { return compareText(a, b) < 0; }
    };
    std::map<QStringView, const StockArticle*, TextLess> firstByCode;
    for (const StockArticle& a : all) {
        auto [it, inserted] = firstByCode.emplace(a.sifra(), &a);
        if (!inserted && a.id < it->second->id) it->second = &a;
    }
    QHash<qint64, std::vector<CardLine>> linesOf;
    cards.reserve(members.size());
    for (const StockArticle& m : members) {
        const auto it = firstByCode.find(m.sifra());
        cards.push_back({it != firstByCode.end() ? *it->second : m, {}});
        linesOf.insert(cards.back().article.id, {});
    }
    // Every line once, in posting order, those of documents dated up to the day to their cards.
    const int lastDay = dayOf(day);
    db.forEachRow(
        QStringLiteral("select u.idartikla,u.kolicina,u.cijena,p.pi,p.brojpi,p.datumpi from "
                       "ulazizlaz as u left join pi as p on p.id=u.idpi order by u.id"),
        {}, [&](const RowView& row) {
            qint64 id = 0;
            if (!row.integer(0, &id)) return;
            const auto it = linesOf.find(id);
            if (it == linesOf.end() || dayNumber(row, 5) > lastDay) return;
            it->push_back(readCardLine(row));
        });
    for (StockCard& card : cards)
        card.lines = linesOf.value(card.article.id);
}

QString stockAuditText(const QString& bookName, const QDate& today,
                       const std::vector<StockDifference>& differences) {
    QString out = QStringLiteral("PROVJERA ZALIHA") + kCrLf;
    out += QStringLiteral("Skladište: ") + bookName + QStringLiteral(" na dan: ") +
           dateText(today) + kCrLf + kCrLf;
    if (differences.empty()) return out + QStringLiteral("Sve zalihe odgovaraju prometu.") + kCrLf;

    // Šifra 11, naziv 38, stanje 11, vrijednost 13, prosječna cijena 10: 83 characters.
    out += left(QStringLiteral("Šifra"), 11) + left(QStringLiteral("Naziv"), 38) +
           right(QStringLiteral("Stanje"), 11) + right(QStringLiteral("Vrijednost"), 13) +
           right(QStringLiteral("Pr.cijena"), 10) + kCrLf;
    out += report::blanks(11) + QStringLiteral("(zapisano / prema prometu)") + kCrLf;
    out += report::underscores() + kCrLf;
    bool marked = false;
    for (const StockDifference& d : differences) {
        const auto s = figurePair(d.storedStanje, d.replayStanje, Precision::Single, 11);
        const auto v = figurePair(d.storedVrijednost, d.replayVrijednost, Precision::Currency, 13);
        const auto p = figurePair(d.storedProscijena, d.replayProscijena, Precision::Currency, 10);
        QString name = report::cut(d.naziv.trimmed(), 30);
        if (d.workOrderIssues) name += QStringLiteral(" *");
        marked = marked || d.workOrderIssues;
        out += left(report::cut(d.sifra.trimmed(), 10), 11) + left(name, 38) + s.first + v.first +
               p.first + kCrLf;
        out += report::blanks(11) + left(QStringLiteral("prema prometu:"), 38) + s.second +
               v.second + p.second + kCrLf;
        out += report::dashes() + kCrLf;
    }
    out += QStringLiteral("Artikala s razlikom: ") + QString::number(differences.size()) + kCrLf;
    if (marked) {
        out += QStringLiteral(
                   "* izdavano kupcu Proizvodnja: izdatnica unesena rukom ili radni "
                   "nalog s") +
               kCrLf +
               QStringLiteral(
                   "  količinom od više od dvije decimale mogu dati razliku koja nije "
                   "greška.") +
               kCrLf;
    }
    return out;
}

void correctStock(const BookLocation& book, const std::vector<StockDifference>& differences) {
    if (differences.empty()) return;
    Database db = Database::openBook(book);
    Transaction t(db);
    for (const StockDifference& d : differences) {
        // Only over the figures the audit read: a document posted since refuses the correction.
        Recordset rs = db.openRecordset(
            QStringLiteral("select stanje,vrijednost,proscijena from artikli where id=?"),
            {d.articleId});
        if (rs.eof() || rs.number(QStringLiteral("stanje")) != d.storedStanje ||
            rs.number(QStringLiteral("vrijednost")) != d.storedVrijednost ||
            rs.number(QStringLiteral("proscijena")) != d.storedProscijena) {
            throw DbError(DbErrorCode::NoCurrentRecord,
                          QStringLiteral("Zalihe artikla %1 promijenile su se nakon provjere ili "
                                         "artikl više ne postoji. Ništa nije ispravljeno.")
                              .arg(d.sifra.trimmed()));
        }
        db.execute(
            QStringLiteral("update artikli set stanje=?,vrijednost=?,proscijena=? where id=?"),
            {d.replayStanje, d.replayVrijednost, d.replayProscijena, d.articleId});
    }
    t.commit();
}

}  // namespace kl
