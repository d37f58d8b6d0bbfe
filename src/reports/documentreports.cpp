#include "reports/documentreports.h"

#include "data/convert.h"
#include "data/database.h"
#include "data/dberror.h"
#include "reports/longread.h"
#include "reports/reportlayout.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>

namespace kl {

namespace {

using report::kCrLf;

// The headers of documents of one kind with their partner's and document type's names. The
// condition names the header's columns as pi.<column>; its values follow the kind letter.
QString headersSql(const QString& condition) {
    return QStringLiteral(
               "select pi.id,pi.brojpi,pi.datumpi,pi.idkd,pi.brojdok,pi.datumdok,"
               "kd.ime,dokumenti.dokument from pi left join kd on kd.id=pi.idkd "
               "left join dokumenti on dokumenti.id=pi.dokument where pi.pi=? and ") +
           condition + QStringLiteral(" order by pi.id");
}

Recordset readHeaders(Database& db, DocumentKind kind, const QString& condition,
                      QVariantList params) {
    params.prepend(kindLetter(kind));
    return db.openRecordset(headersSql(condition), params);
}

enum HeaderColumn { Id, Number, Date, PartnerId, Brojdok, Datumdok, PartnerName, TypeName };

// The header of a Recordset's current row.
DocumentSummary summaryOf(const Recordset& rs) {
    DocumentSummary d;
    d.id = rs.value(Id).toLongLong();
    d.number = rs.value(Number).toLongLong();
    d.date = rs.value(Date).toDate();
    d.partnerId = rs.value(PartnerId).toLongLong();
    d.brojdok = rs.value(Brojdok).toString();
    d.datumdok = rs.value(Datumdok).toDate();
    d.partner = rs.value(PartnerName).toString();
    d.documentType = rs.value(TypeName).toString();
    return d;
}

// The headers of a long read, one by one, as summaryOf reads them: the integers and dates without
// a QVariant, the partner's name once for each partner and a document type's once for each type
// (the same join gives the same names in one read).
class SummaryReader {
  public:
    DocumentSummary operator()(const RowView& row) {
        DocumentSummary d;
        d.id = integerOf(row, Id);
        d.number = integerOf(row, Number);
        d.date = datumpi_(row, Date);
        // The name of a partner known by its integer id is made once.
        const bool byId = !row.isNull(PartnerId) && row.integer(PartnerId, &d.partnerId);
        if (!byId) {
            d.partnerId = row.value(PartnerId).toLongLong();
            d.partner = row.value(PartnerName).toString();
        } else {
            auto it = partners_.constFind(d.partnerId);
            if (it == partners_.cend())
                it = partners_.insert(d.partnerId, row.value(PartnerName).toString());
            d.partner = *it;
        }
        d.brojdok = row.value(Brojdok).toString();
        d.datumdok = datumdok_(row, Datumdok);
        d.documentType = typeOf(row);
        return d;
    }

  private:
    static qint64 integerOf(const RowView& row, int column) {
        qint64 v = 0;
        return row.integer(column, &v) ? v : row.value(column).toLongLong();
    }

    QString typeOf(const RowView& row) {
        if (row.isNull(TypeName)) return row.value(TypeName).toString();
        const QByteArrayView bytes = row.textBytes(TypeName);
        if (bytes.isEmpty()) return row.value(TypeName).toString();
        for (const auto& [b, text] : types_)
            if (bytes == QByteArrayView(b)) return text;
        QString text = row.value(TypeName).toString();
        if (types_.size() < 32) types_.emplace_back(bytes.toByteArray(), text);
        return text;
    }

    DateReader datumpi_, datumdok_;
    QHash<qint64, QString> partners_;
    std::vector<std::pair<QByteArray, QString>> types_;
};

// One line added to a running document total.
double addToTotal(double total, const LineFigures& line) {
    const Currency amount = Currency::fromDouble(line.cijena) * Currency::fromDouble(line.kolicina);
    return roundHalfAway(total + amount.toDouble(), 2);
}

// A document's total as addToTotal makes it, line by line. While the total and the amounts are
// not negative and below 10^10, the sum's decimal digits are exactly the total's hundredths plus
// the amount's ten-thousandths, so it is kept in whole hundredths without a double or a text;
// anything else goes the long way.
class RunningTotal {
  public:
    void add(Currency amount) {
        constexpr std::int64_t kLimit = 100'000'000'000'000;  // 10^10 in ten-thousandths
        if (!long_ && amount.units >= 0 && cents_ * 100 < kLimit - amount.units) {
            cents_ = (cents_ * 100 + amount.units + 50) / 100;
            return;
        }
        if (!long_) total_ = double(cents_) / 100.0;
        long_ = true;
        total_ = roundHalfAway(total_ + amount.toDouble(), 2);
    }
    double value() const { return long_ ? total_ : double(cents_) / 100.0; }

  private:
    std::int64_t cents_ = 0;
    double total_ = 0;
    bool long_ = false;
};

// Currency::fromDouble of the figures of many lines: the quantities and prices that come back
// converted once.
class CurrencyOf {
  public:
    Currency operator()(double value) {
        return made_.get(std::bit_cast<quint64>(value),
                         [value] { return Currency::fromDouble(value); });
    }

  private:
    RecentValues<Currency> made_;
};

// The documents of the condition with their totals: the headers, then every line of them in one
// read, added to their document's total in stored order.
std::vector<DocumentSummary> readSummaries(const BookLocation& book, DocumentKind kind,
                                           const QString& condition, const QVariantList& params) {
    Database db = Database::openBook(book);
    prepareLongRead(db);
    std::vector<DocumentSummary> documents;
    QVariantList lineParams = params;
    lineParams.prepend(kindLetter(kind));
    // Room for every header of the book at once, in large pages: a summary over all years holds
    // a large part of them, and its room grown step by step would be handed out page by page
    // again at each step.
    Recordset all = db.openRecordset(QStringLiteral("select count(*) as n from pi"));
    const double headers = all.eof() ? 0 : std::max(0.0, all.value(0).toDouble());
    documents.reserve(size_t(headers));
    adviseLargePages(documents);
    db.forEachRow(headersSql(condition), lineParams,
                  [&, read = SummaryReader()](const RowView& row) mutable {
                      documents.push_back(read(row));
                  });
    if (documents.empty()) return documents;

    // A document's place by its header's id (the key of `pi`: each id given once; ids that
    // repeat, which the program never writes, are found in a hash at their last place).
    std::vector<qint64> ids;
    ids.reserve(documents.size());
    for (const DocumentSummary& d : documents)
        ids.push_back(d.id);
    const IdOrder places(ids);
    QHash<qint64, size_t> repeated;
    if (!places.valid())
        for (size_t i = 0; i < documents.size(); ++i)
            repeated.insert(documents[i].id, i);
    const auto placeOf = [&](qint64 id) -> qint64 {
        if (places.valid()) return places.placeOf(id);
        const auto it = repeated.constFind(id);
        return it == repeated.cend() ? -1 : qint64(*it);
    };
    std::vector<RunningTotal> totals(documents.size());
    CurrencyOf currency;
    qint64 lastId = 0;
    RunningTotal* current = nullptr;
    // The lines of the documents found: when they are a large part of the book, every line is
    // read in stored order and those of other documents passed over, which costs less than
    // finding the header of every line; otherwise only theirs are read, through their headers.
    const bool everyLine = double(documents.size()) * 4 >= headers;
    const QString sql =
        everyLine ? QStringLiteral("select idpi,kolicina,cijena from ulazizlaz order by id")
                  : QStringLiteral(
                        "select ulazizlaz.idpi,ulazizlaz.kolicina,ulazizlaz.cijena "
                        "from ulazizlaz inner join pi on pi.id=ulazizlaz.idpi "
                        "where pi.pi=? and ") +
                        condition + QStringLiteral(" order by ulazizlaz.id");
    db.forEachRow(sql, everyLine ? QVariantList() : lineParams, [&](const RowView& row) {
        // A line's header is the one whose id its idpi equals: an integer (a
        // line without one, or with a text or a fraction, belongs to none).
        qint64 id = 0;
        if (!row.integer(0, &id)) {
            const QVariant v = row.value(0);
            if (v.typeId() != QMetaType::LongLong) return;
            id = v.toLongLong();
        }
        // The lines of one document mostly follow each other.
        if (!current || id != lastId) {
            const qint64 place = placeOf(id);
            current = place < 0 ? nullptr : &totals[size_t(place)];
            lastId = id;
        }
        if (current) current->add(currency(row.number(2)) * currency(row.number(1)));
    });
    db.close();
    for (size_t i = 0; i < documents.size(); ++i)
        documents[i].total = totals[i].value();
    return documents;
}

// `text` cut to `width` characters and filled up to it with blanks.
void appendLeft(QString& out, QStringView text, int width) {
    out += text.first(std::min(text.size(), qsizetype(width)));
    for (qsizetype i = text.size(); i < width; ++i)
        out += u' ';
}

// Blanks, then `text` kept whole: right-aligned in `width`.
void appendRight(QString& out, QStringView text, int width) {
    for (qsizetype i = text.size(); i < width; ++i)
        out += u' ';
    out += text;
}

// The summary line's date: "dd.mm.yy", blanks for a missing date.
void appendShortDate(QString& out, const QDate& date) {
    if (!date.isValid()) {
        out += QLatin1String("        ");
        return;
    }
    const int year = date.year();
    if (year < 1 || year > 9999) {
        appendLeft(out, dateTextShort(date), 8);
        return;
    }
    const auto two = [&out](int n) {
        out += QLatin1Char(char('0' + n / 10));
        out += QLatin1Char(char('0' + n % 10));
    };
    two(date.day());
    out += u'.';
    two(date.month());
    out += u'.';
    two(year % 100);
}

// A summary line (CR LF after it) appended to `out`, piece by piece: a summary over many years
// has tens of thousands of them.
void appendSummaryLine(QString& out, DocumentKind kind, const DocumentSummary& d) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, d.number);
    for (qsizetype i = written.ptr - digits; i < 5; ++i)
        out += u' ';
    out += QLatin1String(digits, written.ptr - digits);
    out += u' ';
    appendShortDate(out, d.date);
    out += u' ';
    if (kind == DocumentKind::Issue) {
        appendLeft(out, QStringView(d.partner).first(std::min(d.partner.size(), qsizetype(39))),
                   55);
    } else {
        appendLeft(out, d.partner, 25);
        out += u' ';
        appendLeft(out, d.documentType, 10);
        out += u' ';
        appendRight(out, d.brojdok, 10);
        out += u' ';
        appendShortDate(out, d.datumdok);
    }
    out += u' ';
    appendFormat00(out, d.total, Precision::Double, 11);
    out += kCrLf;
}

}  // namespace

double documentTotal(const std::vector<LineFigures>& lines) {
    double total = 0;
    for (const LineFigures& line : lines)
        total = addToTotal(total, line);
    return total;
}

QStringList documentNumbers(const BookLocation& book, DocumentKind kind) {
    Database db = Database::openBook(book);
    QStringList numbers;
    for (Recordset rs = db.openRecordset(QStringLiteral("select brojpi from pi where pi=?"),
                                         {kindLetter(kind)});
         !rs.eof(); rs.moveNext())
        numbers.append(rs.text(QStringLiteral("brojpi")));
    db.close();
    return numbers;
}

DocumentView readDocument(const BookLocation& book, DocumentKind kind, const QString& number) {
    Database db = Database::openBook(book);
    // A number the chooser cannot hold (it is empty when the book has no document of the kind)
    // finds nothing, like a number no document has.
    bool ok = false;
    const qint64 wanted = number.trimmed().toLongLong(&ok);
    Recordset headers = readHeaders(db, kind, QStringLiteral("pi.brojpi=?"),
                                    {ok ? QVariant(wanted) : QVariant(qint64(-1))});
    headers.moveFirst();  // no current record when no document has the number
    DocumentView view;
    view.summary = summaryOf(headers);

    std::vector<LineFigures> figures;
    for (Recordset rs = db.openRecordset(
             QStringLiteral("select ulazizlaz.kolicina,ulazizlaz.cijena,artikli.sifra,"
                            "artikli.naziv,artikli.jedmjere from ulazizlaz left join artikli "
                            "on artikli.id=ulazizlaz.idartikla where ulazizlaz.idpi=? "
                            "order by ulazizlaz.id"),
             {view.summary.id});
         !rs.eof(); rs.moveNext()) {
        DocumentLineItem line;
        line.kolicina = rs.value(0).toDouble();
        line.cijena = rs.value(1).toDouble();
        line.sifra = rs.value(2).toString();
        line.naziv = rs.value(3).toString();
        line.jedmjere = rs.value(4).toString();
        figures.push_back({line.kolicina, line.cijena});
        view.lines.push_back(line);
    }
    db.close();
    view.summary.total = documentTotal(figures);
    return view;
}

std::vector<DocumentSummary> documentsInRange(const BookLocation& book, DocumentKind kind,
                                              const QDate& from, const QDate& to) {
    return readSummaries(book, kind, QStringLiteral("pi.datumpi<=? and pi.datumpi>=?"), {to, from});
}

std::vector<DocumentSummary> partnerDocuments(const BookLocation& book, DocumentKind kind,
                                              qint64 partnerId) {
    return readSummaries(book, kind, QStringLiteral("pi.idkd=?"), {partnerId});
}

std::vector<PartnerChoice> documentPartners(const BookLocation& book, DocumentKind kind) {
    const QString own = kind == DocumentKind::Receipt ? QStringLiteral("d") : QStringLiteral("k");
    Database db = Database::openBook(book);
    std::vector<PartnerChoice> partners;
    for (Recordset rs = db.openRecordset(
             QStringLiteral("select id,ime from kd where kd=? or kd=? order by id"),
             {own, QStringLiteral("s")});
         !rs.eof(); rs.moveNext())
        partners.push_back({rs.value(QStringLiteral("id")).toLongLong(),
                            rs.value(QStringLiteral("ime")).toString()});
    db.close();
    return partners;
}

QString summaryHeading(DocumentKind kind, bool several) {
    if (kind == DocumentKind::Issue)
        return QStringLiteral("B.iz. Dat.iz.  Mjesto troška") + report::blanks(43) +
               QStringLiteral("Iznos") + kCrLf + report::blanks(report::kWidth) + kCrLf;
    return QStringLiteral(
               "B.pr. Dat.pr.  Dobavljač                 Dokument   Broj dok.  "
               "Dat.dok. Iznos") +
           kCrLf + (several ? report::underscores() : report::blanks(report::kWidth)) + kCrLf;
}

QString summaryLine(DocumentKind kind, const DocumentSummary& d) {
    QString line;
    appendSummaryLine(line, kind, d);
    return line;
}

namespace {

// The summary of several documents made line by line as it is shown.
class SummaryReport final : public ReportSource {
  public:
    SummaryReport(DocumentKind kind, Summaries documents)
        : kind_(kind), documents_(std::move(documents)) {
        const QStringList heading = summaryHeading(kind, true).split(kCrLf, Qt::SkipEmptyParts);
        heading_ = {heading.value(0), heading.value(1)};
        widest_ = int(std::max(heading_[0].size(), heading_[1].size()));
        // A line is as wide as its columns, but for a number over five digits, a supplier's
        // number over 10 characters and a total over 11 (each kept whole).
        for (const DocumentSummary& d : *documents_) {
            char digits[24];
            const int number =
                int(std::to_chars(digits, digits + sizeof digits, d.number).ptr - digits);
            int width = std::max(5, number) + 1 + 8 + 1 +
                        report::figureWidth(d.total, Precision::Double, 11) + 1;
            width += kind == DocumentKind::Issue
                         ? 55
                         : 25 + 1 + 10 + 1 + std::max(10, int(d.brojdok.size())) + 1 + 8;
            widest_ = std::max(widest_, width);
        }
    }

    int lineCount() const override { return int(documents_->size()) + 2; }
    QString line(int i) const override {
        if (i < 2) return heading_[size_t(i)];
        QString out;
        out.reserve(report::kWidth + 2);
        appendSummaryLine(out, kind_, (*documents_)[size_t(i - 2)]);
        out.chop(kCrLf.size());
        return out;
    }
    int widestLine() const override { return widest_; }
    QString text() const override { return summaryText(kind_, *documents_, true); }

  private:
    DocumentKind kind_;
    Summaries documents_;
    std::array<QString, 2> heading_;
    int widest_ = 0;
};

}  // namespace

std::shared_ptr<const ReportSource> summaryReport(DocumentKind kind, Summaries documents) {
    return std::make_shared<SummaryReport>(kind, std::move(documents));
}

QString summaryText(DocumentKind kind, const std::vector<DocumentSummary>& documents,
                    bool several) {
    QString text = summaryHeading(kind, several);
    text.reserve(text.size() + qsizetype(documents.size()) * (report::kWidth + 2));
    for (const DocumentSummary& d : documents)
        appendSummaryLine(text, kind, d);
    return text;
}

QString fullViewText(DocumentKind kind, const DocumentView* document) {
    QString text = summaryHeading(kind, false);
    if (document) text += summaryLine(kind, document->summary);
    text += report::underscores() + kCrLf +
            QStringLiteral(
                "R.br. Šifra        Naziv                 J.mj. Količina    "
                "Cijena       Iznos") +
            kCrLf + report::blanks(report::kWidth) + kCrLf + report::dashes() + kCrLf;

    Currency grandTotal;
    if (document) {
        int i = 0;
        for (const DocumentLineItem& line : document->lines) {
            // The amount of the figures as the line shows them, not as they are stored.
            const QString quantity = format00(line.kolicina, Precision::Single);
            const QString price = format00(line.cijena, Precision::Currency);
            const Currency amount = Currency::fromText(price).value_or(Currency()) *
                                    Currency::fromText(quantity).value_or(Currency());
            grandTotal = grandTotal + amount;
            text += report::right(QString::number(++i), 4) + QStringLiteral(". ") +
                    report::left(line.sifra, 12) + u' ' +
                    report::left(report::cut(line.naziv, 21), 21) + u' ' +
                    report::left(line.jedmjere, 5) + u' ' + report::right(quantity, 11) + u' ' +
                    report::right(price, 12) + u' ' +
                    report::figure(amount.toDouble(), Precision::Currency, 11) + kCrLf;
        }
    }
    text += report::underscores() + kCrLf + report::blanks(58) + QStringLiteral("Ukupni iznos: ") +
            report::figure(grandTotal.toDouble(), Precision::Currency, 11) + kCrLf;
    return text;
}

sheet::Sheet summarySheet(DocumentKind kind, const std::vector<DocumentSummary>& documents,
                          const QDate& today) {
    return summarySheet(kind, std::make_shared<const std::vector<DocumentSummary>>(documents),
                        today);
}

sheet::Sheet summarySheet(DocumentKind kind, Summaries documents, const QDate& today) {
    using sheet::Cell;
    const bool receipt = kind == DocumentKind::Receipt;
    sheet::Sheet s;
    s.name = receipt ? QStringLiteral("Primke") : QStringLiteral("Izdatnice");
    s.titleLines = {(receipt ? QStringLiteral("Pregled primki na dan: ")
                             : QStringLiteral("Pregled izdatnica na dan: ")) +
                    dateText(today)};
    s.heading = receipt ? QStringList{QStringLiteral("Broj"),      QStringLiteral("Datum"),
                                      QStringLiteral("Dobavljač"), QStringLiteral("Dokument"),
                                      QStringLiteral("Broj dok."), QStringLiteral("Datum dok."),
                                      QStringLiteral("Iznos")}
                        : QStringList{QStringLiteral("Broj"), QStringLiteral("Datum"),
                                      QStringLiteral("Mjesto troška"), QStringLiteral("Iznos")};
    double total = 0;
    for (const DocumentSummary& d : *documents)
        total += d.total;
    // A summary over many years has tens of thousands of rows: each made as it is written.
    s.generatedCount = documents->size();
    s.generate = [receipt, documents](size_t i, sheet::Row& r) {
        const DocumentSummary& d = (*documents)[i];
        r = {Cell::ofNumber(double(d.number), 0), Cell::ofDate(d.date), Cell::ofText(d.partner)};
        if (receipt)
            r.insert(r.end(), {Cell::ofText(d.documentType), Cell::ofText(d.brojdok),
                               d.datumdok.isValid() ? Cell::ofDate(d.datumdok) : Cell::empty()});
        r.push_back(Cell::ofNumber(d.total));
    };
    sheet::Row totals(size_t(s.heading.size()), Cell::empty());
    totals.front() = Cell::ofText(QStringLiteral("Ukupno"));
    totals.back() = Cell::ofNumber(roundHalfAway(total, 2));
    s.totals.push_back(std::move(totals));
    return s;
}

sheet::Sheet fullViewSheet(DocumentKind kind, const DocumentView& document) {
    using sheet::Cell;
    const bool receipt = kind == DocumentKind::Receipt;
    sheet::Sheet s;
    s.name = (receipt ? QStringLiteral("Primka ") : QStringLiteral("Izdatnica ")) +
             QString::number(document.summary.number);
    s.titleLines = {s.name + QStringLiteral(" od ") + dateText(document.summary.date) +
                    QStringLiteral(", ") + document.summary.partner};
    s.heading = {QStringLiteral("R.br."), QStringLiteral("Šifra"),    QStringLiteral("Naziv"),
                 QStringLiteral("J.mj."), QStringLiteral("Količina"), QStringLiteral("Cijena"),
                 QStringLiteral("Iznos")};
    Currency grandTotal;
    int i = 0;
    for (const DocumentLineItem& line : document.lines) {
        // The figures as the full view shows and multiplies them.
        const QString quantity = format00(line.kolicina, Precision::Single);
        const QString price = format00(line.cijena, Precision::Currency);
        const Currency amount = Currency::fromText(price).value_or(Currency()) *
                                Currency::fromText(quantity).value_or(Currency());
        grandTotal = grandTotal + amount;
        s.rows.push_back(
            {Cell::ofNumber(++i, 0), Cell::ofText(line.sifra), Cell::ofText(line.naziv),
             Cell::ofText(line.jedmjere), Cell::ofNumber(numberOrZero(quantity)),
             Cell::ofNumber(numberOrZero(price)),
             Cell::ofNumber(numberOrZero(format00(amount.toDouble(), Precision::Currency)))});
    }
    s.totals.push_back(
        {Cell::ofText(QStringLiteral("Ukupni iznos")), Cell::empty(), Cell::empty(), Cell::empty(),
         Cell::empty(), Cell::empty(),
         Cell::ofNumber(numberOrZero(format00(grandTotal.toDouble(), Precision::Currency)))});
    return s;
}

}  // namespace kl
