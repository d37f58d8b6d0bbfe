#include "reports/stockaudit.h"

#include "data/convert.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "reports/longread.h"
#include "reports/reportlayout.h"
#include "warehouse/documents.h"

#include <QHash>

#include <algorithm>

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
        return memo(currencies_, f, [f] {
            const double v = textValue(f);
            return std::fabs(v) >= 9.2e14 ? 0.0 : Currency::fromDouble(v).toDouble();
        });
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

// A line posted by postDocument. Its amount was the window's quantity x price as typed, shown
// with two decimals; the quantity typed is the default text of the stored single.
void replayDocumentLine(Conversions& c, Figures& f, DocumentKind kind, double storedKolicina,
                        double cijena) {
    const double kolicina = c.typed(float(storedKolicina));
    // The amount shown with two decimals and read back: the same as rounding its decimal digits.
    const double product = kolicina * cijena;
    const double amount = std::isfinite(product) ? roundHalfAway(product, 2) : 0.0;
    const StockFigures now =
        applyMovement(kind, {float(f.stanje), float(f.vrijednost)}, kolicina, amount);
    f.stanje = c.storedSingle(now.stanje);
    f.vrijednost = c.storedCurrency(now.vrijednost);
    if (const auto average = averagePrice(f.stanje, f.vrijednost))
        f.proscijena = c.storedCurrency(*average);
}

// A line issued by a work order, by the work order's own rule; the stored quantity stands for
// the quantity the work order took (see the header).
void replayWorkOrderLine(Conversions& c, Figures& f, double kolicina, double cijena) {
    const StockFigures now = applyWorkOrderIssue(f.stanje, f.vrijednost, kolicina, cijena);
    f.stanje = c.storedSingle(now.stanje);
    f.vrijednost = c.storedCurrency(now.vrijednost);
}

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

}  // namespace

std::vector<ReplayedStock> replayStock(Database& db, const QDate& upTo) {
    std::vector<ReplayedStock> articles;
    db.forEachRow(QStringLiteral("select id from artikli order by id"), {},
                  [&](const RowView& row) {
                      ReplayedStock a;
                      a.id = row.value(0).toLongLong();
                      articles.push_back(a);
                  });
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

    Conversions conversions;
    std::vector<Figures> figures(articles.size());
    // Every line once, in posting order (the lines' ids ascend as documents are posted). A line
    // of an article or a header that is not in the book moves nothing.
    db.forEachRow(
        QStringLiteral("select u.idartikla,u.kolicina,u.cijena,p.pi,p.idkd,p.datumpi from "
                       "ulazizlaz as u left join pi as p on p.id=u.idpi order by u.id"),
        {}, [&](const RowView& row) {
            qint64 id = 0;
            if (!row.integer(0, &id) && !jet::isIntegerText(row.value(0).toString().trimmed(), &id))
                return;
            const int place = placeOf(id);
            if (place < 0) return;
            // The article's figures are wanted below: fetched while the row is read.
            __builtin_prefetch(&figures[size_t(place)]);
            const char kind = kindOf(row, 3);
            if (kind == 0) return;
            // A line without a readable date counts at any date.
            if (lastDay != 0) {
                const int day = dayNumber(row, 5);
                if (day > lastDay) return;
            }
            Figures& f = figures[size_t(place)];
            const double kolicina = row.number(1), cijena = row.number(2);
            if (kind == 'P') {
                replayDocumentLine(conversions, f, DocumentKind::Receipt, kolicina, cijena);
                return;
            }
            qint64 customer = -1;
            if (!row.isNull(4) && !row.integer(4, &customer)) customer = row.value(4).toLongLong();
            if (workOrderCustomer >= 0 && !row.isNull(4) && customer == workOrderCustomer) {
                replayWorkOrderLine(conversions, f, kolicina, cijena);
                articles[size_t(place)].workOrderIssues = true;
            } else {
                replayDocumentLine(conversions, f, DocumentKind::Issue, kolicina, cijena);
            }
        });
    for (size_t i = 0; i < articles.size(); ++i) {
        articles[i].stanje = figures[i].stanje;
        articles[i].vrijednost = figures[i].vrijednost;
        articles[i].proscijena = figures[i].proscijena;
    }
    return articles;
}

std::vector<StockDifference> auditStock(const QString& bookPath) {
    Database db = Database::open(bookPath);
    prepareLongRead(db);
    ReadSnapshot snapshot(db);

    std::vector<StockDifference> stored;
    db.forEachRow(QStringLiteral("select id,sifra,naziv,stanje,vrijednost,proscijena from artikli "
                                 "order by id"),
                  {}, [&](const RowView& row) {
                      StockDifference d;
                      d.articleId = row.value(0).toString();
                      d.sifra = row.value(1).toString();
                      d.naziv = row.value(2).toString();
                      d.storedStanje = row.value(3).toDouble();
                      d.storedVrijednost = row.value(4).toDouble();
                      d.storedProscijena = row.value(5).toDouble();
                      stored.push_back(std::move(d));
                  });
    const std::vector<ReplayedStock> replay = replayStock(db);

    // Both lists are in id order, read in one snapshot: the same articles, side by side.
    std::vector<StockDifference> differences;
    for (size_t i = 0; i < stored.size() && i < replay.size(); ++i) {
        StockDifference& d = stored[i];
        const ReplayedStock& r = replay[i];
        d.replayStanje = r.stanje;
        d.replayVrijednost = r.vrijednost;
        d.replayProscijena = r.proscijena;
        d.workOrderIssues = r.workOrderIssues;
        if (d.storedStanje != d.replayStanje || d.storedVrijednost != d.replayVrijednost ||
            d.storedProscijena != d.replayProscijena)
            differences.push_back(std::move(d));
    }
    return differences;
}

std::vector<StockArticle> stockArticlesAt(Database& db, ArticleGroup group, const QDate& day) {
    ReadSnapshot snapshot(db);
    std::vector<StockArticle> articles = readArticleGroup(db, ArticleGroup::All);
    applyStockAt(db, day, articles);
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
    const std::vector<ReplayedStock> replay = replayStock(db, day);
    QHash<qint64, const ReplayedStock*> byId;
    byId.reserve(qsizetype(replay.size()));
    for (const ReplayedStock& r : replay)
        byId.insert(r.id, &r);
    for (StockArticle& a : articles) {
        const ReplayedStock* r = byId.value(a.id);
        a.stanje = r ? float(r->stanje) : 0.0f;
        a.vrijednost = Currency::fromDouble(r ? r->vrijednost : 0.0);
        a.proscijena = Currency::fromDouble(r ? r->proscijena : 0.0);
    }
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
            CardLine l;
            l.kolicina = float(row.value(1).toDouble());
            l.cijena = Currency::fromDouble(row.value(2).toDouble());
            l.kind = row.value(3).toString();
            const QVariant broj = row.value(4);
            if (!broj.isNull()) l.broj = QString::number(broj.toLongLong());
            lines.push_back(std::move(l));
        });
    return lines;
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

void correctStock(const QString& bookPath, const std::vector<StockDifference>& differences) {
    if (differences.empty()) return;
    Database db = Database::open(bookPath);
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
