#include "reports/journalsheet.h"

#include "data/convert.h"
#include "reports/journal.h"

#include <QHash>

#include <memory>

namespace kl {

namespace {

// The cells of the journal's rows; a text of the rows' pool is turned into its cell once.
class JournalCells {
  public:
    explicit JournalCells(const ReportRows& rows) : rows_(rows) {}

    const ReportRows& rows() const { return rows_; }

    sheet::Row row(int r) {
        sheet::Row out;
        out.reserve(JournalColumnCount);
        out.push_back(date(r, JDatum));
        out.push_back(text(r, JNaziv));
        out.push_back(text(r, JVrsta));
        out.push_back(text(r, JDokument));
        out.push_back(text(r, JBrojDok));
        out.push_back(date(r, JDatumDok));
        for (int c : {JKolUlaz, JKolIzlaz, JCijena, JDuguje, JPotrazuje})
            out.push_back(figure(r, c));
        return out;
    }

    sheet::Cell figure(int r, int column) {
        const ReportRows::TextId id = rows_.id(r, column);
        if (id == ReportRows::kEmpty) return sheet::Cell::empty();
        auto it = figures_.constFind(id);
        if (it == figures_.cend()) {
            // The figure the report line shows: "0.00" of the cell's value.
            const double v = parseNumber(rows_.textOf(id)).value_or(0);
            it = figures_.insert(id, numberOrZero(format00(v, Precision::Double)));
        }
        return sheet::Cell::ofNumber(*it);
    }

  private:
    sheet::Cell text(int r, int column) const {
        const QString& t = rows_.text(r, column);
        return t.isEmpty() ? sheet::Cell::empty() : sheet::Cell::ofText(t.trimmed());
    }

    sheet::Cell date(int r, int column) {
        const ReportRows::TextId id = rows_.id(r, column);
        if (id == ReportRows::kEmpty) return sheet::Cell::empty();
        auto it = dates_.constFind(id);
        if (it == dates_.cend())
            it = dates_.insert(id, parseDate(rows_.textOf(id)).value_or(QDate()));
        // A text that names no day stays the text it is.
        return it->isValid() ? sheet::Cell::ofDate(*it) : text(r, column);
    }

    ReportRows rows_;
    QHash<ReportRows::TextId, double> figures_;
    QHash<ReportRows::TextId, QDate> dates_;
};

}  // namespace

sheet::Sheet journalSheet(const QString& title, const ReportRows& rows) {
    using sheet::Cell;
    sheet::Sheet s;
    s.name = QStringLiteral("Dnevnik");
    s.titleLines = {title};
    s.heading = {
        QStringLiteral("Dat.primke"), QStringLiteral("Naziv artikla"), QStringLiteral("V"),
        QStringLiteral("Dokument"),   QStringLiteral("Br.dok"),        QStringLiteral("Datum dok."),
        QStringLiteral("Kol.ulaz"),   QStringLiteral("Kol.izlaz"),     QStringLiteral("Cijena"),
        QStringLiteral("Duguje"),     QStringLiteral("Potražuje")};
    auto cells = std::make_shared<JournalCells>(rows);
    double debit = 0, credit = 0;
    for (int r = 0; r < rows.count(); ++r) {
        debit += cells->figure(r, JDuguje).number;
        credit += cells->figure(r, JPotrazuje).number;
    }
    s.generatedCount = size_t(rows.count());
    s.generate = [cells](size_t r) { return cells->row(int(r)); };
    s.totals.push_back({Cell::ofText(QStringLiteral("Ukupno")), Cell::empty(), Cell::empty(),
                        Cell::empty(), Cell::empty(), Cell::empty(), Cell::empty(), Cell::empty(),
                        Cell::empty(), Cell::ofNumber(roundHalfAway(debit, 2)),
                        Cell::ofNumber(roundHalfAway(credit, 2))});
    return s;
}

}  // namespace kl
