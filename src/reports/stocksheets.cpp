#include "data/convert.h"
#include "reports/stockreports.h"

#include <cmath>

namespace kl {

sheet::Sheet stockCardsSheet(const std::vector<StockCard>& cards, const QDate& today) {
    using sheet::Cell;
    sheet::Sheet s;
    const bool one = cards.size() == 1;
    s.name = one ? QStringLiteral("Kartica artikla") : QStringLiteral("Kartice artikala");
    s.titleLines = {s.name + QStringLiteral(" na dan: ") + dateText(today)};
    s.heading = {QStringLiteral("Šifra"),        QStringLiteral("Naziv"),
                 QStringLiteral("R.br."),        QStringLiteral("V"),
                 QStringLiteral("B.P/I"),        QStringLiteral("Ulaz količina"),
                 QStringLiteral("Ulaz cijena"),  QStringLiteral("Izlaz količina"),
                 QStringLiteral("Izlaz cijena"), QStringLiteral("Stanje"),
                 QStringLiteral("Vrijednost"),   QStringLiteral("Pr.cijena")};
    const auto quantity = [](float v) {
        return Cell::ofNumber(numberOrZero(format00(v, Precision::Single)));
    };
    const auto money = [](Currency v) { return Cell::ofNumber(numberOrZero(format00(v))); };
    const Cell zero = Cell::ofNumber(0);
    constexpr double currencyLimit = 922337203685477.0;
    for (const StockCard& card : cards) {
        const Cell code = Cell::ofText(card.article.sifra().trimmed().toString());
        const Cell name = Cell::ofText(card.article.naziv().trimmed().toString());
        if (card.lines.empty()) s.rows.push_back({code, name});
        // The running balance of the card's text: stock, value and the average price, which
        // stays as it was while the stock is zero.
        float stock = 0;
        Currency value, average;
        int number = 0;
        for (const CardLine& l : card.lines) {
            const bool receipt = l.receipt;
            const Currency amount = l.cijena * Currency::fromDouble(l.kolicina);
            stock = receipt ? stock + l.kolicina : stock - l.kolicina;
            value = receipt ? value + amount : value - amount;
            if (stock != 0) {
                const double quotient = value.toDouble() / double(stock);
                if (std::isfinite(quotient) && std::fabs(quotient) < currencyLimit)
                    average = Currency::fromDouble(quotient);
            }
            const Cell q = quantity(l.kolicina), p = money(l.cijena);
            s.rows.push_back({code, name, Cell::ofNumber(++number, 0),
                              Cell::ofText(l.letter ? QString(l.kindLetter()) : QString()),
                              Cell::ofText(l.broj()), receipt ? q : zero, receipt ? p : zero,
                              receipt ? zero : q, receipt ? zero : p, quantity(stock), money(value),
                              money(average)});
        }
    }
    return s;
}

}  // namespace kl
