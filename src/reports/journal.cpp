#include "reports/journal.h"

#include "data/database.h"
#include "reports/longread.h"
#include "reports/reportlayout.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>

namespace kl {

namespace {

using report::blanks;
using report::kCrLf;

constexpr int kLineWidth = 130;  // the underscores under the heading
constexpr int kIndent = 12;      // blanks before every printed line
// A printed page is full when its line counter (4 after the heading block, one more a row)
// reaches this: 50 rows.
constexpr int kRowsCounterEnd = 54;

// The header fields every line of one document shares.
struct HeaderTexts {
    QDate datumpi;
    QString pi;
    QString dokument;
    QString brojdok;
    QDate datumdok;
};

QString textOf(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

// True when `text` is already what format00 makes of it: an optional minus, at most 13 integer
// digits without a leading zero (a lone 0 aside), the decimal comma and two decimals, and not
// "-0,00". Such a text (at most 15 significant digits) reads back to the same decimal and is
// written again unchanged, so it stands as it is. The amounts of the rows are all like this.
bool isFormatted00(QStringView text) {
    const auto digit = [&](qsizetype i) { return text[i] >= u'0' && text[i] <= u'9'; };
    const qsizetype n = text.size();
    const qsizetype first = n > 0 && text[0] == u'-' ? 1 : 0;
    qsizetype i = first;
    while (i < n && digit(i))
        ++i;
    const qsizetype integer = i - first;
    if (integer < 1 || integer > 13 || (integer > 1 && text[first] == u'0')) return false;
    if (n != i + 3 || text[i] != u',' || !digit(i + 1) || !digit(i + 2)) return false;
    return !(first == 1 && text == u"-0,00");
}

// The figures of the report: "0.00" right-aligned in 10, or 10 blanks for an empty text. The
// quantities and prices of a journal are few distinct texts: each is formatted once.
class Figures {
  public:
    void append(QString& out, const QString& text) {
        if (text.isEmpty()) {
            out.append(blanks_);
            return;
        }
        if (isFormatted00(text)) {
            pad(out, text.size());
            out.append(text);
            return;
        }
        auto it = made_.constFind(text);
        if (it == made_.cend())
            it = made_.insert(text,
                              report::figure(parseNumber(text).value_or(0), Precision::Double, 10));
        out.append(*it);
    }
    // A cell of rows in memory: an amount kept as its number is written from the number. Its
    // text would be format00 of it, which read back and formatted again gives the same text (15
    // significant digits come back from a double unchanged).
    void append(QString& out, const ReportRows& rows, ReportRows::TextId id) {
        double value = 0;
        if (rows.figureOf(id, &value))
            appendFormat00(out, value, Precision::Double, 10);
        else
            append(out, rows.textOf(id));
    }

  private:
    static void pad(QString& out, qsizetype size) {
        for (qsizetype i = size; i < 10; ++i)
            out.append(u' ');
    }
    const QString blanks_ = blanks(10);
    QHash<QString, QString> made_;
};

// A text left-aligned in `width`, cut to it.
void appendLeft(QString& out, const QString& text, int width) {
    const qsizetype n = std::min<qsizetype>(text.size(), width);
    out.append(QStringView(text).first(n));
    for (qsizetype i = n; i < width; ++i)
        out.append(u' ');
}

// A text right-aligned in `width`, kept whole.
void appendRight(QString& out, const QString& text, int width) {
    for (qsizetype i = text.size(); i < width; ++i)
        out.append(u' ');
    out.append(text);
}

const QString& cell(const QStringList& row, int column) {
    static const QString empty;
    return column < row.size() ? row.at(column) : empty;
}

// A row of a ReportRows, read as a row of texts.
struct RowOf {
    const ReportRows& rows;
    int row;
};

const QString& cell(const RowOf& r, int column) {
    return r.rows.text(r.row, column);
}

void appendFigure(QString& out, const QStringList& row, int column, Figures& figures) {
    figures.append(out, cell(row, column));
}
void appendFigure(QString& out, const RowOf& r, int column, Figures& figures) {
    figures.append(out, r.rows, r.rows.id(r.row, column));
}

// The texts of rows in memory asked for ahead: a book's names, quantities and prices lie all
// over the pool.
void prefetchAhead(const std::vector<QStringList>&, size_t) {}
void prefetchAhead(const ReportRows& rows, size_t row) {
    constexpr size_t kEntry = 16, kCharacters = 8;
    const size_t n = size_t(rows.count());
    for (int c : {JNaziv, JKolUlaz, JKolIzlaz, JCijena}) {
        if (row + kEntry < n) rows.prefetchEntry(int(row + kEntry), c);
        if (row + kCharacters < n) rows.prefetchCharacters(int(row + kCharacters), c);
    }
}

// The rows of a report, both kinds alike.
size_t rowCount(const std::vector<QStringList>& rows) {
    return rows.size();
}
const QStringList& rowAt(const std::vector<QStringList>& rows, size_t i) {
    return rows[i];
}
size_t rowCount(const ReportRows& rows) {
    return size_t(rows.count());
}
RowOf rowAt(const ReportRows& rows, size_t i) {
    return {rows, int(i)};
}

// The printed page's heading block.
void startPage(std::vector<QStringList>& pages, const QString& title) {
    const QString indent = blanks(kIndent);
    const int number = int(pages.size()) + 1;
    pages.push_back({QString(), QString(), QString(),
                     indent + title + QStringLiteral("  Stranica br. ") + QString::number(number),
                     QString(), indent + journalHeading(),
                     indent + report::underscores(kLineWidth)});
}

}  // namespace

namespace {

// What was read of rows by their id: the ids of a book count up from 1, so a vector finds them
// at once; an id far out of that range goes into a hash.
template <class T>
class ById {
  public:
    // The entry of `id`, made by `make` the first time.
    template <class Make>
    const T& get(qlonglong id, Make&& make) {
        if (id >= 0 && id < kDenseLimit) {
            if (size_t(id) >= dense_.size()) grow(size_t(id) + 1 + dense_.size() / 2);
            std::optional<T>& slot = dense_[size_t(id)];
            if (!slot) slot = make();
            return *slot;
        }
        auto it = sparse_.constFind(id);
        if (it == sparse_.cend()) it = sparse_.insert(id, make());
        return *it;
    }

    // Room for the ids up to `maxId` at once (as far as they are kept in the table).
    void reserve(qlonglong maxId) {
        if (maxId >= 0 && size_t(maxId) >= dense_.size())
            grow(size_t(std::min(maxId + 1, kDenseLimit)));
    }

    // The entry of `id`, or nullptr when there is none.
    T* find(qlonglong id) {
        if (id >= 0 && id < kDenseLimit) {
            if (size_t(id) >= dense_.size() || !dense_[size_t(id)]) return nullptr;
            return &*dense_[size_t(id)];
        }
        auto it = sparse_.find(id);
        return it == sparse_.end() ? nullptr : &*it;
    }

  private:
    // The table's new room asked for in large pages before it is first written.
    void grow(size_t size) {
        if (size > dense_.capacity()) {
            std::vector<std::optional<T>> wider;
            wider.reserve(size);
            adviseLargePages(wider);
            wider.resize(size);
            std::move(dense_.begin(), dense_.end(), wider.begin());
            dense_.swap(wider);
            return;
        }
        dense_.resize(size);
    }
    static constexpr qlonglong kDenseLimit = 1 << 22;
    std::vector<std::optional<T>> dense_;
    QHash<qlonglong, T> sparse_;
};

// The columns of the journal's select.
enum JournalSelect {
    Kolicina,
    Cijena,
    IdArt,
    Naziv,
    IdZag,
    Pi,
    DatumPi,
    BrojDok,
    DatumDok,
    NazivDok
};

// A line as readLines hands it over (valid during the call): its figures, its article's and
// header's ids, and their texts: kept once for all the lines that share them when readLines is
// asked to, otherwise read from the row by a caller that keeps what it needs itself.
struct LineRead {
    float kolicina = 0;
    double cijena = 0;
    bool hasArticle = false, hasHeader = false;
    qint64 articleId = 0, headerId = 0;
    const QString* naziv = nullptr;
    const HeaderTexts* header = nullptr;
    const RowView* row = nullptr;

    QString nameText() const { return naziv ? *naziv : textOf(row->value(Naziv)); }
    HeaderTexts headerTexts() const {
        if (header) return *header;
        return HeaderTexts{row->value(DatumPi).toDate(), textOf(row->value(Pi)),
                           textOf(row->value(NazivDok)), textOf(row->value(BrojDok)),
                           row->value(DatumDok).toDate()};
    }

    JournalLine line() const {
        JournalLine l;
        l.kolicina = kolicina;
        l.cijena = cijena;
        if (naziv) l.naziv = *naziv;
        if (header) {
            l.datumpi = header->datumpi;
            l.pi = header->pi;
            l.dokument = header->dokument;
            l.brojdok = header->brojdok;
            l.datumdok = header->datumdok;
        }
        return l;
    }
};

// Reads the journal's lines in stored order and hands each to `each`, keeping none. Lines of one
// document share the header's texts, lines of one article its name.
void readLines(Database& db, bool keepTexts, const std::function<void(const LineRead&)>& each) {
    ById<QString> names;
    ById<HeaderTexts> headers;
    db.forEachRow(
        QStringLiteral(
            "select ulazizlaz.kolicina,ulazizlaz.cijena,artikli.id as idart,artikli.naziv,"
            "pi.id as idzag,pi.pi,pi.datumpi,pi.brojdok,pi.datumdok,dokumenti.dokument as nazivdok "
            "from ulazizlaz "
            "left join artikli on artikli.id = ulazizlaz.idartikla "
            "left join pi on pi.id = ulazizlaz.idpi "
            "left join dokumenti on dokumenti.id = pi.dokument "
            "order by ulazizlaz.id"),
        {}, [&](const RowView& row) {
            LineRead line;
            line.row = &row;
            line.kolicina = float(row.number(Kolicina));
            line.cijena = row.number(Cijena);

            // The ids are the tables' integer keys: read without a QVariant.
            const auto idOf = [&row](int column) {
                qint64 id = 0;
                return row.integer(column, &id) ? id : row.value(column).toLongLong();
            };
            if (!row.isNull(IdArt)) {
                line.hasArticle = true;
                line.articleId = idOf(IdArt);
                if (keepTexts)
                    line.naziv = &names.get(line.articleId, [&line] { return line.nameText(); });
            }
            if (!row.isNull(IdZag)) {
                line.hasHeader = true;
                line.headerId = idOf(IdZag);
                if (keepTexts)
                    line.header =
                        &headers.get(line.headerId, [&line] { return line.headerTexts(); });
            }
            each(line);
        });
}

// Values by keys in one array probed in order: a lookup (a line's price among a large book's
// tens of thousands) touches one place of memory, not a QHash's span and then its entry. Filled
// to three quarters at most.
template <class Value, class Key = quint64>
class FlatHash {
  public:
    template <class Make>
    Value get(Key key, Make&& make) {
        if (4 * (used_ + 1) > 3 * slots_.size()) grow();
        Slot* slot = find(key);
        if (!slot->used) {
            *slot = {key, make(), true};
            ++used_;
        }
        return slot->value;
    }

  private:
    struct Slot {
        Key key{};
        Value value{};
        bool used = false;
    };
    Slot* find(Key key) {
        const size_t mask = slots_.size() - 1;
        size_t i = size_t((quint64(key) * 0x9E3779B97F4A7C15ull) >> 32) & mask;
        while (slots_[i].used && slots_[i].key != key)
            i = (i + 1) & mask;
        return &slots_[i];
    }
    void grow() {
        std::vector<Slot> old(std::max<size_t>(64, 2 * slots_.size()));
        old.swap(slots_);
        for (const Slot& s : old)
            if (s.used) *find(s.key) = s;
    }
    std::vector<Slot> slots_;
    size_t used_ = 0;
};

// The pool texts of the articles' names by the articles' ids: a table of four bytes an id when
// the ids are dense (as the program writes them), small enough for the lines' lookups in no
// order to stay within the cache; a hash for the others.
class ArticleNames {
  public:
    using TextId = ReportRows::TextId;
    // Dense for the ids from 0 to `lastId` (none when it is negative).
    explicit ArticleNames(qlonglong lastId) {
        if (lastId >= 0 && lastId < kDenseLimit) {
            dense_.reserve(size_t(lastId) + 1);
            prepareWrittenRoom(dense_);
            dense_.assign(size_t(lastId) + 1, kNone);
        }
    }
    // The first article of an id is the one a join finds first as well.
    template <class Make>
    void add(qint64 id, Make&& make) {
        if (id >= 0 && size_t(id) < dense_.size()) {
            if (dense_[size_t(id)] == kNone) dense_[size_t(id)] = make();
        } else if (!far_.contains(id)) {
            far_.insert(id, make());
        }
    }
    // The name's text, or nullptr when no article has the id.
    const TextId* find(qint64 id) const {
        if (id >= 0 && size_t(id) < dense_.size())
            return dense_[size_t(id)] == kNone ? nullptr : &dense_[size_t(id)];
        auto it = far_.constFind(id);
        return it == far_.cend() ? nullptr : &*it;
    }

  private:
    static constexpr TextId kNone = ~TextId(0);
    static constexpr qlonglong kDenseLimit = 1 << 22;
    std::vector<TextId> dense_;
    QHash<qint64, TextId> far_;
};

// Makes the rows of journal lines into `rows`: each date, name, header text, quantity and price
// is one text of the rows' pool, only the amounts are texts of their own.
class RowMaker {
  public:
    using TextId = ReportRows::TextId;
    explicit RowMaker(ReportRows& rows) : rows_(rows) {
        rows_.setFigureFormat([](double amount) { return format00(amount, Precision::Double); });
    }

    // The texts of a header as texts of the pool.
    struct HeaderIds {
        TextId datumpi = ReportRows::kEmpty, pi = ReportRows::kEmpty, dokument = ReportRows::kEmpty,
               brojdok = ReportRows::kEmpty, datumdok = ReportRows::kEmpty;
        bool receipt = false;
    };

    // Room for the headers read beforehand with ids up to `maxId`.
    void reserveHeaders(qlonglong maxId) { headers_.reserve(maxId); }
    // Room in the pool for `texts` texts more (a header's document number, an article's name).
    void reserveTexts(size_t texts) { rows_.reserveTexts(texts); }

    // A header read beforehand (readScanned), its texts already texts of the pool.
    void addHeader(qint64 id, const HeaderIds& ids) {
        headers_.get(id, [&] { return ids; });
    }
    // A text of the pool of its own (a name or a document number read once for all its lines).
    TextId text(const QString& t) { return t.isEmpty() ? ReportRows::kEmpty : rows_.addText(t); }
    // A day's text in the pool, once for each day.
    TextId date(const QDate& d) {
        if (!d.isValid()) return ReportRows::kEmpty;
        const qint64 day = d.toJulianDay();
        return recentDates_.get(quint64(day), [&] {
            auto it = dates_.constFind(day);
            if (it == dates_.cend()) it = dates_.insert(day, rows_.addText(dateText(d)));
            return *it;
        });
    }

    // A line whose article's name (a text of the pool) and header were found beforehand
    // (nullptr: none matched).
    void operator()(float kolicina, double cijena, TextId name, const HeaderIds* header) {
        static const HeaderIds noHeader;
        append(kolicina, priceOf(cijena), name, header ? *header : noHeader);
    }

    // The header read beforehand under `id`, or nullptr.
    const HeaderIds* header(qint64 id) { return headers_.find(id); }

    // A text the lines share (an article's name, a header's texts), one text of the pool for
    // each distinct text.
    TextId shared(const QString& text) {
        if (text.isEmpty()) return ReportRows::kEmpty;
        auto it = shared_.constFind(text);
        if (it == shared_.cend()) it = shared_.insert(text, rows_.addText(text));
        return *it;
    }

    // A line as read: its name and header texts found by the ids, each made a text of the pool
    // once.
    void operator()(const LineRead& read) {
        const TextId name =
            !read.hasArticle ? ReportRows::kEmpty
                             : names_.get(read.articleId, [&] { return shared(read.nameText()); });
        static const HeaderIds noHeader;
        const HeaderIds& h = !read.hasHeader ? noHeader : headers_.get(read.headerId, [&] {
            return headerIds(read.headerTexts());
        });
        append(read.kolicina, priceOf(read.cijena), name, h);
    }

    void operator()(const JournalLine& line) {
        append(line.kolicina, priceOf(line.cijena), shared(line.naziv),
               {date(line.datumpi), shared(line.pi), shared(line.dokument), shared(line.brojdok),
                date(line.datumdok), line.isReceipt()});
    }

  private:
    HeaderIds headerIds(const HeaderTexts& t) {
        // A supplier's document number is nearly always a header's own: not looked up.
        return {date(t.datumpi),          shared(t.pi),     shared(t.dokument),
                rows_.addText(t.brojdok), date(t.datumdok), t.pi == u"P"};
    }

    // A price as a text of the pool, each distinct price once, and its value rounded as money.
    // A price the program stored is the double nearest to a sum in ten-thousandths: the rounding
    // to money gives it back unchanged (with at most 14 digits, its 15 significant digits are that
    // sum's), and below 429 496,7296 its count of ten-thousandths finds its text in a table of
    // four-byte keys, small enough to stay within the cache. Any other price is rounded and found
    // by the double's bits.
    struct Price {
        TextId text;
        double value;
    };
    Price priceOf(double cijena) {
        const auto make = [&] {
            return rows_.addText(currencyText(Currency::fromDouble(cijena).toDouble()));
        };
        const double units = std::nearbyint(cijena * 10000);
        if (cijena != 0 && std::fabs(cijena) < 1e10 && units / 10000 == cijena) {
            if (units > 0 && units < 4294967296.0)
                return {storedPrices_.get(quint32(units), make), cijena};
            return {prices_.get(std::bit_cast<quint64>(cijena), make), cijena};
        }
        return {prices_.get(std::bit_cast<quint64>(cijena), make),
                cijena == 0 ? 0.0 : Currency::fromDouble(cijena).toDouble()};
    }

    void append(float kolicina, Price p, TextId name, const HeaderIds& h) {
        // Each quantity one text of the pool, found as the prices are.
        const auto q = quantities_.get(std::bit_cast<quint32>(kolicina), [&] {
            const QString text = singleText(kolicina);
            return std::pair{rows_.addText(text), parseNumber(text).value_or(0)};
        });
        // Amounts are nearly all different: kept as numbers, made texts when they are read.
        const TextId a = rows_.addFigure(q.second * p.value);
        const bool receipt = h.receipt;
        constexpr TextId none = ReportRows::kEmpty;
        rows_.appendRow({h.datumpi, name, h.pi, receipt ? h.dokument : none,
                         receipt ? h.brojdok : none, receipt ? h.datumdok : none,
                         receipt ? q.first : none, receipt ? none : q.first, p.text,
                         receipt ? a : none, receipt ? none : a});
    }

    ReportRows& rows_;
    // Texts already in the pool, by the value they stand for.
    QHash<qint64, TextId> dates_;                     // by Julian day
    RecentValues<TextId> recentDates_;                // the days last looked up
    FlatHash<std::pair<TextId, double>> quantities_;  // by the float's bits
    FlatHash<TextId, quint32> storedPrices_;          // by the count of ten-thousandths
    FlatHash<TextId> prices_;                         // by the double's bits
    QHash<QString, TextId> shared_;                   // by the text
    ById<TextId> names_;                              // by article id
    ById<HeaderIds> headers_;                         // by header id
};

std::vector<QStringList> listsOf(const ReportRows& rows) {
    std::vector<QStringList> lists;
    lists.reserve(size_t(rows.count()));
    for (int r = 0; r < rows.count(); ++r)
        lists.push_back(rows.rowTexts(r));
    return lists;
}

// The journal of a book file read table by table into `make`: the document types, the headers
// and the articles' names first, each table once in stored order, then every line in one pass
// over `ulazizlaz`, its article and header found by id in memory. On a large book the join's
// lookup of each line's article and header in the tables' B-trees costs many times the reading
// itself (the articles are looked up in no order). A line's article, a line's header and a
// header's document type are matched by their keys as the join matches them when a key is an
// integer or a text of plain digits (what the program writes); for any other key only the
// join can tell, and false is returned: the caller then reads the journal by the join. `lines`
// is the most lines the book can hold, as the ends of their ids tell.
bool readScanned(Database& db, RowMaker& make, size_t lines) {
    const ReadSnapshot snapshot(db);
    // Room for the headers at once (the ids of a book's rows count up from 1), and in the pool
    // for a document number and a name each: as much as the ends of the ids tell, within bounds
    // (a few far ids need not make room).
    const IdSpan headers = idSpan(db, QStringLiteral("pi")),
                 articles = idSpan(db, QStringLiteral("artikli"));
    if (headers.last >= 0 && size_t(headers.last) <= 4 * lines + 1024)
        make.reserveHeaders(headers.last);
    make.reserveTexts(std::min(headers.span() + articles.span(), size_t(1) << 22));
    // The document types' names and the one-letter kinds, each a text of the pool once.
    using TextId = ReportRows::TextId;
    ById<TextId> documentTypes;
    db.forEachRow(QStringLiteral("select id,dokument from dokumenti"), {}, [&](const RowView& row) {
        qint64 id = 0;
        if (row.integerKey(0, &id))
            documentTypes.get(id, [&] { return make.shared(textOf(row.value(1))); });
    });
    bool joinable = true;
    DateReader datumpi, datumdok;
    std::optional<TextId> letters[128];
    const auto kind = [&](const RowView& row, int column, bool* receipt) {
        const QByteArrayView b = row.textBytes(column);
        if (b.size() != 1 || uchar(b[0]) >= 128) {
            const QString text = textOf(row.value(column));
            *receipt = text == u"P";
            return make.shared(text);
        }
        *receipt = b[0] == 'P';
        std::optional<TextId>& letter = letters[uchar(b[0])];
        if (!letter) letter = make.shared(QString(QLatin1Char(b[0])));
        return *letter;
    };
    db.forEachRow(QStringLiteral("select id,pi,datumpi,brojdok,datumdok,dokument from pi"), {},
                  [&](const RowView& row) {
                      qint64 id = 0, type = 0;
                      if (!joinable || !row.integerKey(0, &id)) return;
                      RowMaker::HeaderIds h;
                      if (!row.isNull(5)) {
                          if (!row.integerKey(5, &type)) {
                              joinable = false;
                              return;
                          }
                          if (const TextId* d = documentTypes.find(type)) h.dokument = *d;
                      }
                      h.pi = kind(row, 1, &h.receipt);
                      h.datumpi = make.date(datumpi(row, 2));
                      // A supplier's document number is nearly always a header's own.
                      h.brojdok = make.text(textOf(row.value(3)));
                      h.datumdok = make.date(datumdok(row, 4));
                      make.addHeader(id, h);
                  });
    if (!joinable) return false;
    // Every article's name a text of the pool, found by the article's id.
    ArticleNames names(articles.last);
    db.forEachRow(QStringLiteral("select id,naziv from artikli"), {}, [&](const RowView& row) {
        qint64 id = 0;
        if (row.integerKey(0, &id)) names.add(id, [&] { return make.text(textOf(row.value(1))); });
    });
    db.forEachRow(
        QStringLiteral("select kolicina,cijena,idartikla,idpi from ulazizlaz order by id"), {},
        [&](const RowView& row) {
            if (!joinable) return;
            qint64 article = 0, header = 0;
            const RowView::Key articleKey = row.key(2, &article), headerKey = row.key(3, &header);
            if (articleKey == RowView::Key::Other || headerKey == RowView::Key::Other) {
                joinable = false;
                return;
            }
            const TextId* name =
                articleKey == RowView::Key::Integer ? names.find(article) : nullptr;
            make(float(row.number(0)), row.number(1), name ? *name : ReportRows::kEmpty,
                 headerKey == RowView::Key::Integer ? make.header(header) : nullptr);
        });
    return joinable;
}

}  // namespace

std::vector<JournalLine> readJournal(const BookLocation& book) {
    Database db = Database::openBook(book);
    std::vector<JournalLine> lines;
    readLines(db, true, [&lines](const LineRead& line) { lines.push_back(line.line()); });
    return lines;
}

ReportRows readJournalRows(const BookLocation& book) {
    Database db = Database::openBook(book);
    prepareLongRead(db);
    // Room for every line at once: no growing and copying of the rows while they are read. The
    // ends of the ids tell how many lines there are at most; a count would read them all once more.
    const size_t lines = std::min(idSpan(db, QStringLiteral("ulazizlaz")).span(), size_t(1) << 24);
    const auto room = [lines] {
        ReportRows rows;
        rows.reserve(lines, JournalColumnCount, ReportRows::Own::Figure, ReportRows::Room::AtMost);
        return rows;
    };
    ReportRows rows = room();
    {
        RowMaker make(rows);
        if (!db.onServer() && readScanned(db, make, lines)) return rows;
    }
    // On a server, which joins by itself, and for keys only the join can match: by the join.
    rows = room();
    RowMaker make(rows);
    readLines(db, false, [&](const LineRead& line) { make(line); });
    return rows;
}

QStringList journalRow(const JournalLine& line) {
    ReportRows rows;
    RowMaker make(rows);
    make(line);
    return rows.rowTexts(0);
}

std::vector<QStringList> journalRows(const std::vector<JournalLine>& lines) {
    ReportRows rows;
    rows.reserve(lines.size(), JournalColumnCount);
    RowMaker make(rows);
    for (const JournalLine& line : lines)
        make(line);
    return listsOf(rows);
}

qint64 journalRowDay(const QString& datumText) {
    const std::optional<QDate> date = parseDate(datumText);
    return date && date->isValid() ? date->toJulianDay() : kNoDay;
}

bool journalRowInRange(const QStringList& row, const QDate& from, const QDate& to) {
    const std::optional<QDate> date = parseDate(cell(row, JDatum));
    return date && *date >= from && *date <= to;
}

QString journalTitle(JournalScope scope, const QDate& today, const QDate& from, const QDate& to) {
    switch (scope) {
        case JournalScope::All:
            break;
        case JournalScope::Selection:
            return QStringLiteral("Izabrano iz dnevnika na dan: ") + dateText(today);
        case JournalScope::Range:
            return QStringLiteral("Ispis dijela dnevnika od: ") + dateText(from) +
                   QStringLiteral(" ") + QStringLiteral("do: ") + dateText(to) +
                   QStringLiteral(" na dan: ") + dateText(today);
    }
    return QStringLiteral("Ispis dnevnika na dan: ") + dateText(today);
}

QString journalHeading() {
    return QStringLiteral("Datum.p/i ") + u' ' + QStringLiteral("Naziv artikla          ") + u' ' +
           QStringLiteral("V") + u' ' + QStringLiteral("Dokument       ") + u' ' +
           QStringLiteral("Broj.dok  ") + u' ' + QStringLiteral("Datum.dok ") + u' ' +
           QStringLiteral("Kol.ulaz  ") + u' ' + QStringLiteral("Kol.izlaz ") + u' ' +
           QStringLiteral("Cijena    ") + u' ' + QStringLiteral("Duguje    ") + u' ' +
           QStringLiteral("Potražuje ");
}

namespace {

// Appends the report line of one row (no line end).
template <class Row>
void appendReportLine(QString& line, const Row& row, Figures& figures) {
    appendLeft(line, cell(row, JDatum), 10);
    line += u' ';
    // The name trimmed and cut to 23: a view of the stored text, no copy.
    const QStringView name = QStringView(cell(row, JNaziv)).trimmed();
    const qsizetype n = std::min<qsizetype>(name.size(), 23);
    line.append(name.first(n));
    for (qsizetype i = n; i < 23; ++i)
        line.append(u' ');
    line += u' ';
    appendLeft(line, cell(row, JVrsta), 1);
    line += u' ';
    appendLeft(line, cell(row, JDokument), 15);
    line += u' ';
    appendRight(line, cell(row, JBrojDok), 10);
    line += u' ';
    appendLeft(line, cell(row, JDatumDok), 10);
    for (int c : {JKolUlaz, JKolIzlaz, JCijena, JDuguje}) {
        line += u' ';
        appendFigure(line, row, c, figures);
    }
    if (cell(row, JVrsta) != u"P") {
        line += u' ';
        appendFigure(line, row, JPotrazuje, figures);
    }
}

}  // namespace

QString journalReportLine(const QStringList& row) {
    QString line;
    line.reserve(kLineWidth);
    Figures figures;
    appendReportLine(line, row, figures);
    return line;
}

namespace {

template <class Rows>
QString reportTextOf(const QString& title, const Rows& rows) {
    QString text;
    text.reserve(qsizetype(rowCount(rows) + 5) * (kLineWidth + 2));
    // A million lines are some 250 MB of text: its room in large pages, taken at once.
    prepareWrittenRoom(text.constData(), size_t(text.capacity()) * sizeof(QChar));
    text += title + kCrLf + kCrLf;
    text += journalHeading() + kCrLf;
    text += report::underscores(kLineWidth) + kCrLf;
    Figures figures;
    for (size_t r = 0; r < rowCount(rows); ++r) {
        prefetchAhead(rows, r);
        appendReportLine(text, rowAt(rows, r), figures);
        text += kCrLf;
    }
    return text;
}

// The report made line by line from the rows as they are shown.
class JournalReport final : public ReportSource {
  public:
    JournalReport(const QString& title, ReportRows&& rows)
        : title_(title), heading_(journalHeading()), rows_(std::move(rows)) {
        widest_ = int(std::max({title_.size(), heading_.size(), qsizetype(kLineWidth)}));
        // A line is as wide as its columns, but for a supplier's number over 10 characters or a
        // figure over 10 (both kept whole). What a text of the pool adds is worked out once for
        // each text and kept by its id in a table of bytes: a million rows' texts are not each
        // looked at again, which on a large book would cost a miss of the cache a cell.
        const auto over = [](qsizetype size) { return size > 10 ? int(size - 10) : 0; };
        constexpr qint8 kUnknown = -1;
        std::vector<qint8> sizeOver, figureOver, issueOf;
        const auto known = [&](std::vector<qint8>& table, ReportRows::TextId id) -> qint8& {
            if (id >= table.size()) table.resize(size_t(id) + 1 + id / 2, kUnknown);
            return table[id];
        };
        const auto clamp = [](int n) { return qint8(std::min(n, 127)); };
        const auto figure = [&](int r, int c) {
            const ReportRows::TextId id = rows_.id(r, c);
            // An amount kept as a number is "0.00" of it: within 10 characters below 100 000
            // either way, its text not made for that.
            double amount = 0;
            if (rows_.figureOf(id, &amount))
                return std::fabs(amount) < 1e5 ? 0 : over(rows_.text(r, c).size());
            const auto made = [&] {
                const QString& t = rows_.textOf(id);
                QString text;
                if (!t.isEmpty()) Figures().append(text, t);
                return over(text.size());
            };
            qint8& k = known(figureOver, id);
            if (k == kUnknown) k = clamp(made());
            return k < 127 ? int(k) : made();
        };
        // (A figure's id is far beyond the texts': its cell is looked at itself.)
        double figureValue = 0;
        const auto sizeOf = [&](ReportRows::TextId id) {
            if (rows_.figureOf(id, &figureValue)) return over(rows_.textOf(id).size());
            qint8& k = known(sizeOver, id);
            if (k == kUnknown) k = clamp(over(rows_.textOf(id).size()));
            return k < 127 ? int(k) : over(rows_.textOf(id).size());
        };
        const auto isIssue = [&](ReportRows::TextId id) {
            if (rows_.figureOf(id, &figureValue)) return rows_.textOf(id) != u"P";
            qint8& k = known(issueOf, id);
            if (k == kUnknown) k = rows_.textOf(id) != u"P" ? 1 : 0;
            return k == 1;
        };
        constexpr int kFixed = 10 + 1 + 23 + 1 + 1 + 1 + 15 + 1 + 10 + 1 + 10 + 4 * 11;
        for (int r = 0; r < rows_.count(); ++r) {
            const bool issue = isIssue(rows_.id(r, JVrsta));
            int width = kFixed + (issue ? 11 : 0) + sizeOf(rows_.id(r, JBrojDok));
            for (int c : {JKolUlaz, JKolIzlaz, JCijena, JDuguje})
                width += figure(r, c);
            if (issue) width += figure(r, JPotrazuje);
            widest_ = std::max(widest_, width);
        }
    }

    int lineCount() const override { return rows_.count() + 4; }
    QString line(int i) const override {
        switch (i) {
            case 0:
                return title_;
            case 1:
                return QString();
            case 2:
                return heading_;
            case 3:
                return report::underscores(kLineWidth);
            default:
                break;
        }
        QString out;
        out.reserve(kLineWidth);
        Figures figures;
        appendReportLine(out, RowOf{rows_, i - 4}, figures);
        return out;
    }
    int widestLine() const override { return widest_; }
    QString text() const override { return reportTextOf(title_, rows_); }

  private:
    QString title_, heading_;
    ReportRows rows_;
    int widest_ = 0;
};

template <class Rows>
std::vector<QStringList> pagesOf(const QString& firstTitle, const QString& laterTitle,
                                 const Rows& rows) {
    const QString indent = blanks(kIndent);
    std::vector<QStringList> pages;
    startPage(pages, firstTitle);
    int counter = 4;
    Figures figures;
    for (size_t r = 0; r < rowCount(rows); ++r) {
        QString line = indent;
        line.reserve(kIndent + kLineWidth);
        appendReportLine(line, rowAt(rows, r), figures);
        pages.back().append(line);
        if (++counter == kRowsCounterEnd) {
            pages.back() << QString() << indent + QString::number(pages.size());
            startPage(pages, laterTitle);
            counter = 4;
        }
    }
    return pages;
}

}  // namespace

QString journalText(const QString& title, const std::vector<QStringList>& rows) {
    return reportTextOf(title, rows);
}

std::shared_ptr<const ReportSource> journalReport(const QString& title, ReportRows rows) {
    return std::make_shared<JournalReport>(title, std::move(rows));
}

int journalPageEstimate(int rows) {
    return rows / kRowsCounterEnd + 1;
}

std::vector<QStringList> journalPages(const QString& firstTitle, const QString& laterTitle,
                                      const std::vector<QStringList>& rows) {
    return pagesOf(firstTitle, laterTitle, rows);
}

std::vector<QStringList> journalPages(const QString& firstTitle, const QString& laterTitle,
                                      const ReportRows& rows) {
    return pagesOf(firstTitle, laterTitle, rows);
}

PageSetup journalPageSetup() {
    PageSetup setup;
    setup.orientation = QPageLayout::Landscape;
    setup.font = QFont(QStringLiteral("Courier New"), 9);
    setup.margins = QMarginsF(10, 8, 10, 8);
    setup.linesPerPage = 59;
    setup.footer.shown = false;  // its pages carry their own numbers
    return setup;
}

}  // namespace kl
