#include "reports/journal.h"

#include "data/database.h"
#include "reports/reportlayout.h"

#include <QHash>

#include <algorithm>
#include <bit>
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
            if (size_t(id) >= dense_.size()) dense_.resize(size_t(id) + 1 + dense_.size() / 2);
            std::optional<T>& slot = dense_[size_t(id)];
            if (!slot) slot = make();
            return *slot;
        }
        auto it = sparse_.constFind(id);
        if (it == sparse_.cend()) it = sparse_.insert(id, make());
        return *it;
    }

  private:
    static constexpr qlonglong kDenseLimit = 1 << 22;
    std::vector<std::optional<T>> dense_;
    QHash<qlonglong, T> sparse_;
};

// Reads the journal's lines in stored order and hands each to `each`, keeping none. Lines of one
// document share the header's texts, lines of one article its name.
void readLines(const QString& bookPath, const std::function<void(const JournalLine&)>& each) {
    Database db = Database::open(bookPath);
    enum { Kolicina, Cijena, IdArt, Naziv, IdZag, Pi, DatumPi, BrojDok, DatumDok, NazivDok };
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
            JournalLine line;
            line.kolicina = float(row.number(Kolicina));
            line.cijena = row.number(Cijena);

            const QVariant article = row.value(IdArt);
            if (!article.isNull())
                line.naziv =
                    names.get(article.toLongLong(), [&row] { return textOf(row.value(Naziv)); });

            const QVariant header = row.value(IdZag);
            if (!header.isNull()) {
                const HeaderTexts& h = headers.get(header.toLongLong(), [&row] {
                    return HeaderTexts{row.value(DatumPi).toDate(), textOf(row.value(Pi)),
                                       textOf(row.value(NazivDok)), textOf(row.value(BrojDok)),
                                       row.value(DatumDok).toDate()};
                });
                line.datumpi = h.datumpi;
                line.pi = h.pi;
                line.dokument = h.dokument;
                line.brojdok = h.brojdok;
                line.datumdok = h.datumdok;
            }
            each(line);
        });
}

// Makes the rows of journal lines; equal texts (dates, figures) share one string.
class RowMaker {
  public:
    QStringList operator()(const JournalLine& line) {
        const quint32 bits = std::bit_cast<quint32>(line.kolicina);
        auto q = quantities_.constFind(bits);
        if (q == quantities_.cend()) {
            const QString text = singleText(line.kolicina);
            q = quantities_.insert(bits, {text, parseNumber(text).value_or(0)});
        }
        const quint64 priceBits = std::bit_cast<quint64>(line.cijena);
        auto p = prices_.constFind(priceBits);
        if (p == prices_.cend()) {
            const double price = Currency::fromDouble(line.cijena).toDouble();
            p = prices_.insert(priceBits, {currencyText(price), price});
        }
        // Amounts are nearly all different: made for each line, not looked up.
        const QString a = format00(q->second * p->second, Precision::Double);

        const bool receipt = line.isReceipt();
        QStringList row;
        row.reserve(JournalColumnCount);
        row << dateOf(line.datumpi) << line.naziv << line.pi
            << (receipt ? line.dokument : QString()) << (receipt ? line.brojdok : QString())
            << (receipt ? dateOf(line.datumdok) : QString()) << (receipt ? q->first : QString())
            << (receipt ? QString() : q->first) << p->first << (receipt ? a : QString())
            << (receipt ? QString() : a);
        return row;
    }

  private:
    QString dateOf(const QDate& d) {
        if (!d.isValid()) return QString();
        auto it = dates_.constFind(d.toJulianDay());
        if (it == dates_.cend()) it = dates_.insert(d.toJulianDay(), dateText(d));
        return *it;
    }

    // Texts already made, by the value they stand for.
    QHash<qint64, QString> dates_;                           // by Julian day
    QHash<quint32, std::pair<QString, double>> quantities_;  // by the float's bits
    QHash<quint64, std::pair<QString, double>> prices_;      // by the double's bits
};

}  // namespace

std::vector<JournalLine> readJournal(const QString& bookPath) {
    std::vector<JournalLine> lines;
    readLines(bookPath, [&lines](const JournalLine& line) { lines.push_back(line); });
    return lines;
}

std::vector<QStringList> readJournalRows(const QString& bookPath) {
    RowMaker make;
    std::vector<QStringList> rows;
    readLines(bookPath, [&](const JournalLine& line) { rows.push_back(make(line)); });
    return rows;
}

QStringList journalRow(const JournalLine& line) {
    return RowMaker()(line);
}

std::vector<QStringList> journalRows(const std::vector<JournalLine>& lines) {
    RowMaker make;
    std::vector<QStringList> rows;
    rows.reserve(lines.size());
    for (const JournalLine& line : lines)
        rows.push_back(make(line));
    return rows;
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
void appendReportLine(QString& line, const QStringList& row, Figures& figures) {
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
        figures.append(line, cell(row, c));
    }
    if (cell(row, JVrsta) != u"P") {
        line += u' ';
        figures.append(line, cell(row, JPotrazuje));
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

QString journalText(const QString& title, const std::vector<QStringList>& rows) {
    QString text;
    text.reserve(qsizetype(rows.size() + 5) * (kLineWidth + 2));
    text += title + kCrLf + kCrLf;
    text += journalHeading() + kCrLf;
    text += report::underscores(kLineWidth) + kCrLf;
    Figures figures;
    for (const QStringList& row : rows) {
        appendReportLine(text, row, figures);
        text += kCrLf;
    }
    return text;
}

int journalPageEstimate(int rows) {
    return rows / kRowsCounterEnd + 1;
}

std::vector<QStringList> journalPages(const QString& firstTitle, const QString& laterTitle,
                                      const std::vector<QStringList>& rows) {
    const QString indent = blanks(kIndent);
    std::vector<QStringList> pages;
    startPage(pages, firstTitle);
    int counter = 4;
    Figures figures;
    for (const QStringList& row : rows) {
        QString line = indent;
        line.reserve(kIndent + kLineWidth);
        appendReportLine(line, row, figures);
        pages.back().append(line);
        if (++counter == kRowsCounterEnd) {
            pages.back() << QString() << indent + QString::number(pages.size());
            startPage(pages, laterTitle);
            counter = 4;
        }
    }
    return pages;
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
