#include "reports/journalsheet.h"

#include "data/convert.h"
#include "reports/journal.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace kl {

namespace {

// The cells of the journal's rows. A text of the rows' pool is turned into its cell once (its
// figure, its day, its trimmed text and that text's UTF-8), kept by the text's id.
class JournalCells {
  public:
    explicit JournalCells(const ReportRows& rows) : rows_(rows) {}

    void row(int r, sheet::Row& out) {
        prefetchAhead(r);
        out.resize(JournalColumnCount);
        out[0] = date(r, JDatum);
        out[1] = text(r, JNaziv);
        out[2] = text(r, JVrsta);
        out[3] = text(r, JDokument);
        out[4] = text(r, JBrojDok);
        out[5] = date(r, JDatumDok);
        size_t at = 6;
        for (int c : {JKolUlaz, JKolIzlaz, JCijena, JDuguje, JPotrazuje})
            out[at++] = figure(r, c);
    }

    sheet::Cell figure(int r, int column) {
        const ReportRows::TextId id = rows_.id(r, column);
        if (id == ReportRows::kEmpty) return sheet::Cell::empty();
        double amount = 0;
        if (rows_.figureOf(id, &amount)) {
            // The amount the report line shows, by the figure's place among the figures.
            double& v = slot(amounts_, ReportRows::figureIndex(id), kUnread);
            if (std::isnan(v)) v = numberOrZero(format00(amount, Precision::Double));
            return sheet::Cell::ofNumber(v);
        }
        double& v = slot(figures_, id, kUnread);
        if (std::isnan(v)) {
            // The figure the report line shows: "0.00" of the cell's value.
            const double read = parseNumber(rows_.textOf(id)).value_or(0);
            v = numberOrZero(format00(read, Precision::Double));
        }
        return sheet::Cell::ofNumber(v);
    }

  private:
    struct Text {
        QString text;
        QByteArray utf8;
    };

    // The rows are made in order and their texts lie all over the caches on a large book: the
    // caches' entries of the row 16 on are asked for from memory now, the texts those name of the
    // row 8 on, and those texts' characters of the row 4 on.
    void prefetchAhead(int r) {
        const int count = rows_.count();
        if (r + 16 < count) {
            for (int c : {JNaziv, JVrsta, JDokument, JBrojDok})
                if (const quint32 id = rows_.id(r + 16, c); id < textAt_.size())
                    __builtin_prefetch(&textAt_[id]);
            for (int c : {JDatum, JDatumDok})
                if (const quint32 id = rows_.id(r + 16, c); id < days_.size())
                    __builtin_prefetch(&days_[id]);
            for (int c : {JKolUlaz, JKolIzlaz, JCijena, JDuguje, JPotrazuje}) {
                const ReportRows::TextId id = rows_.id(r + 16, c);
                if (id == ReportRows::kEmpty) continue;
                const quint32 f = ReportRows::figureIndex(id);
                if (ReportRows::isFigure(id)) {
                    if (f < amounts_.size()) __builtin_prefetch(&amounts_[f]);
                } else if (id < figures_.size()) {
                    __builtin_prefetch(&figures_[id]);
                }
            }
        }
        for (const auto& [ahead, characters] : {std::pair{8, false}, std::pair{4, true}}) {
            if (r + ahead >= count) continue;
            for (int c : {JNaziv, JVrsta, JDokument, JBrojDok}) {
                const quint32 id = rows_.id(r + ahead, c);
                if (id >= textAt_.size() || textAt_[id] < 0) continue;
                const Text& t = texts_[size_t(textAt_[id])];
                if (!characters) {
                    __builtin_prefetch(&t);
                } else {
                    __builtin_prefetch(t.text.constData());
                    __builtin_prefetch(t.utf8.constData());
                }
            }
        }
    }
    static constexpr double kUnread = std::numeric_limits<double>::quiet_NaN();
    static constexpr qint64 kUnreadDay = std::numeric_limits<qint64>::min();
    static constexpr qint64 kNoDay = std::numeric_limits<qint64>::max();

    // The entry of `id` in a cache kept by text id, made `unread` when new.
    template <class T>
    static T& slot(std::vector<T>& cache, quint32 id, T unread) {
        if (id >= cache.size()) cache.resize(size_t(id) + 1, unread);
        return cache[id];
    }

    sheet::Cell text(int r, int column) {
        const ReportRows::TextId id = rows_.id(r, column);
        if (id == ReportRows::kEmpty) return sheet::Cell::empty();
        int& at = slot(textAt_, id, -1);
        if (at < 0) {
            at = int(texts_.size());
            const QString t = rows_.textOf(id).trimmed();
            texts_.push_back({t, t.toUtf8()});
        }
        const Text& t = texts_[size_t(at)];
        return sheet::Cell::ofText(t.text, t.utf8);
    }

    sheet::Cell date(int r, int column) {
        const ReportRows::TextId id = rows_.id(r, column);
        if (id == ReportRows::kEmpty) return sheet::Cell::empty();
        qint64& day = slot(days_, id, kUnreadDay);
        if (day == kUnreadDay) {
            const QDate d = parseDate(rows_.textOf(id)).value_or(QDate());
            day = d.isValid() ? d.toJulianDay() : kNoDay;
        }
        // A text that names no day stays the text it is.
        return day != kNoDay ? sheet::Cell::ofDate(QDate::fromJulianDay(day)) : text(r, column);
    }

    ReportRows rows_;
    std::vector<double> figures_;  // by text id
    std::vector<double> amounts_;  // by figure index
    std::vector<qint64> days_;     // by text id: the Julian day
    std::vector<int> textAt_;      // by text id: the index in texts_
    std::vector<Text> texts_;
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
    s.generate = [cells](size_t r, sheet::Row& row) { cells->row(int(r), row); };
    s.totals.push_back({Cell::ofText(QStringLiteral("Ukupno")), Cell::empty(), Cell::empty(),
                        Cell::empty(), Cell::empty(), Cell::empty(), Cell::empty(), Cell::empty(),
                        Cell::empty(), Cell::ofNumber(roundHalfAway(debit, 2)),
                        Cell::ofNumber(roundHalfAway(credit, 2))});
    return s;
}

}  // namespace kl
