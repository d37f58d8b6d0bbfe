#include "reports/journal.h"

#include "data/database.h"
#include "reports/reportlayout.h"

#include <QHash>

#include <bit>
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

// A figure of the report: "0.00" right-aligned in 10, or 10 blanks for an empty text.
QString figureOf(const QString& text) {
    if (text.isEmpty()) return blanks(10);
    return report::figure(parseNumber(text).value_or(0), Precision::Double, 10);
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

std::vector<JournalLine> readJournal(const QString& bookPath) {
    Database db = Database::open(bookPath);
    Recordset rs = db.openRecordset(QStringLiteral(
        "select ulazizlaz.kolicina,ulazizlaz.cijena,artikli.id as idart,artikli.naziv,"
        "pi.id as idzag,pi.pi,pi.datumpi,pi.brojdok,pi.datumdok,dokumenti.dokument as nazivdok "
        "from ulazizlaz "
        "left join artikli on artikli.id = ulazizlaz.idartikla "
        "left join pi on pi.id = ulazizlaz.idpi "
        "left join dokumenti on dokumenti.id = pi.dokument "
        "order by ulazizlaz.id"));
    enum { Kolicina, Cijena, IdArt, Naziv, IdZag, Pi, DatumPi, BrojDok, DatumDok, NazivDok };

    std::vector<JournalLine> lines;
    lines.reserve(size_t(rs.recordCount()));
    QHash<qlonglong, QString> names;
    QHash<qlonglong, HeaderTexts> headers;
    for (; !rs.eof(); rs.moveNext()) {
        JournalLine line;
        line.kolicina = float(rs.value(Kolicina).toDouble());
        line.cijena = rs.value(Cijena).toDouble();

        const QVariant article = rs.value(IdArt);
        if (!article.isNull()) {
            auto it = names.constFind(article.toLongLong());
            if (it == names.cend())
                it = names.insert(article.toLongLong(), textOf(rs.value(Naziv)));
            line.naziv = *it;
        }

        const QVariant header = rs.value(IdZag);
        if (!header.isNull()) {
            auto it = headers.constFind(header.toLongLong());
            if (it == headers.cend())
                it = headers.insert(
                    header.toLongLong(),
                    {rs.value(DatumPi).toDate(), textOf(rs.value(Pi)), textOf(rs.value(NazivDok)),
                     textOf(rs.value(BrojDok)), rs.value(DatumDok).toDate()});
            line.datumpi = it->datumpi;
            line.pi = it->pi;
            line.dokument = it->dokument;
            line.brojdok = it->brojdok;
            line.datumdok = it->datumdok;
        }
        lines.push_back(std::move(line));
    }
    rs.close();
    db.close();
    return lines;
}

QStringList journalRow(const JournalLine& line) {
    return journalRows({line}).front();
}

std::vector<QStringList> journalRows(const std::vector<JournalLine>& lines) {
    // Texts already made, by the value they stand for.
    QHash<qint64, QString> dates;                           // by Julian day
    QHash<quint32, std::pair<QString, double>> quantities;  // by the float's bits
    QHash<quint64, std::pair<QString, double>> prices;      // by the double's bits
    QHash<std::pair<quint32, quint64>, QString> amounts;    // by quantity and price
    const auto dateOf = [&dates](const QDate& d) -> QString {
        if (!d.isValid()) return QString();
        auto it = dates.constFind(d.toJulianDay());
        if (it == dates.cend()) it = dates.insert(d.toJulianDay(), dateText(d));
        return *it;
    };

    std::vector<QStringList> rows;
    rows.reserve(lines.size());
    for (const JournalLine& line : lines) {
        const quint32 bits = std::bit_cast<quint32>(line.kolicina);
        auto q = quantities.constFind(bits);
        if (q == quantities.cend()) {
            const QString text = singleText(line.kolicina);
            q = quantities.insert(bits, {text, parseNumber(text).value_or(0)});
        }
        const quint64 priceBits = std::bit_cast<quint64>(line.cijena);
        auto p = prices.constFind(priceBits);
        if (p == prices.cend()) {
            const double price = Currency::fromDouble(line.cijena).toDouble();
            p = prices.insert(priceBits, {currencyText(price), price});
        }
        auto a = amounts.constFind({bits, priceBits});
        if (a == amounts.cend())
            a = amounts.insert({bits, priceBits},
                               format00(q->second * p->second, Precision::Double));

        const bool receipt = line.isReceipt();
        QStringList row;
        row.reserve(JournalColumnCount);
        row << dateOf(line.datumpi) << line.naziv << line.pi
            << (receipt ? line.dokument : QString()) << (receipt ? line.brojdok : QString())
            << (receipt ? dateOf(line.datumdok) : QString()) << (receipt ? q->first : QString())
            << (receipt ? QString() : q->first) << p->first << (receipt ? *a : QString())
            << (receipt ? QString() : *a);
        rows.push_back(std::move(row));
    }
    return rows;
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

QString journalReportLine(const QStringList& row) {
    QString line;
    line.reserve(kLineWidth);
    line += report::left(cell(row, JDatum), 10);
    line += u' ';
    line += report::left(report::cut(cell(row, JNaziv).trimmed(), 23), 23);
    line += u' ';
    line += report::left(cell(row, JVrsta), 1);
    line += u' ';
    line += report::left(cell(row, JDokument), 15);
    line += u' ';
    line += report::right(cell(row, JBrojDok), 10);
    line += u' ';
    line += report::left(cell(row, JDatumDok), 10);
    for (int c : {JKolUlaz, JKolIzlaz, JCijena, JDuguje}) {
        line += u' ';
        line += figureOf(cell(row, c));
    }
    if (cell(row, JVrsta) != u"P") {
        line += u' ';
        line += figureOf(cell(row, JPotrazuje));
    }
    return line;
}

QString journalText(const QString& title, const std::vector<QStringList>& rows) {
    QString text;
    text.reserve(qsizetype(rows.size() + 5) * (kLineWidth + 2));
    text += title + kCrLf + kCrLf;
    text += journalHeading() + kCrLf;
    text += report::underscores(kLineWidth) + kCrLf;
    for (const QStringList& row : rows)
        text += journalReportLine(row) + kCrLf;
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
    for (const QStringList& row : rows) {
        pages.back().append(indent + journalReportLine(row));
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
    return setup;
}

}  // namespace kl
