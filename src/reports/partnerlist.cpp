#include "reports/partnerlist.h"

#include "data/convert.h"
#include "data/database.h"
#include "reports/reportlayout.h"

#include <QHash>

namespace kl {

namespace {

// Left-aligned in `width`; a longer value is kept whole (the line grows rather than an address
// losing its end).
QString column(const QString& text, int width) {
    return text.size() >= width ? text : text + report::blanks(int(width - text.size()));
}

}  // namespace

std::vector<PartnerEntry> readPartnerList(const BookLocation& book, PartnerListKind kind) {
    const bool customers = kind == PartnerListKind::Customers;
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(
        QStringLiteral("select ime,mb,ziroracun,kontakt,mjesto,ulica,telefon,id from kd "
                       "where kd = ? or kd = ? order by ime asc, id asc"),
        {customers ? QStringLiteral("k") : QStringLiteral("d"), QStringLiteral("s")});
    QHash<QString, QString> oibs;
    Recordset o = db.openRecordset(QStringLiteral("select idkd,oib from kl_oibpartnera"));
    for (; !o.eof(); o.moveNext())
        oibs.insert(o.text(QStringLiteral("idkd")), o.text(QStringLiteral("oib")));
    std::vector<PartnerEntry> partners;
    partners.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext()) {
        partners.push_back({rs.text(QStringLiteral("ime")).trimmed(),
                            rs.text(QStringLiteral("mb")).trimmed(),
                            rs.text(QStringLiteral("ziroracun")).trimmed(),
                            rs.text(QStringLiteral("kontakt")).trimmed(),
                            rs.text(QStringLiteral("mjesto")).trimmed(),
                            rs.text(QStringLiteral("ulica")).trimmed(),
                            rs.text(QStringLiteral("telefon")).trimmed(),
                            oibs.value(rs.text(QStringLiteral("id")))});
    }
    return partners;
}

QString partnerListText(PartnerListKind kind, const std::vector<PartnerEntry>& partners,
                        const QDate& today) {
    using namespace report;
    const QString title = kind == PartnerListKind::Customers
                              ? QStringLiteral("Kupci na dan: ")
                              : QStringLiteral("Dobavljači na dan: ");
    QString text = title + dateText(today) + kCrLf + kCrLf;
    text += QStringLiteral("Naziv") + blanks(26) + QStringLiteral("Mat. broj     ") +
            QStringLiteral("Žiroračun            ") + QStringLiteral("Kontakt          ") + kCrLf;
    text += underscores(5) + blanks(26) + QStringLiteral("Mjesto        ") +
            QStringLiteral("Ulica i br.          ") + QStringLiteral("Telefon") + kCrLf;
    text += underscores() + kCrLf;
    for (const PartnerEntry& p : partners) {
        text += column(p.ime, 30) + u' ' + column(p.mb, 13) + u' ' + column(p.ziroracun, 20) +
                u' ' + p.kontakt + kCrLf;
        text += blanks(31) + column(cut(p.mjesto, 13), 13) + u' ' + column(p.ulica, 20) + u' ' +
                p.telefon + kCrLf;
        if (!p.oib.isEmpty()) text += blanks(31) + QStringLiteral("OIB: ") + p.oib + kCrLf;
        text += dashes() + kCrLf;
    }
    return text;
}

sheet::Sheet partnerListSheet(PartnerListKind kind, const std::vector<PartnerEntry>& partners,
                              const QDate& today) {
    using sheet::Cell;
    const bool customers = kind == PartnerListKind::Customers;
    sheet::Sheet s;
    s.name = customers ? QStringLiteral("Kupci") : QStringLiteral("Dobavljači");
    s.titleLines = {
        (customers ? QStringLiteral("Kupci na dan: ") : QStringLiteral("Dobavljači na dan: ")) +
        dateText(today)};
    s.heading = {QStringLiteral("Naziv"),       QStringLiteral("Mat. broj"),
                 QStringLiteral("OIB"),         QStringLiteral("Žiroračun"),
                 QStringLiteral("Kontakt"),     QStringLiteral("Mjesto"),
                 QStringLiteral("Ulica i br."), QStringLiteral("Telefon")};
    s.rows.reserve(partners.size());
    for (const PartnerEntry& p : partners)
        s.rows.push_back({Cell::ofText(p.ime), Cell::ofText(p.mb), Cell::ofText(p.oib),
                          Cell::ofText(p.ziroracun), Cell::ofText(p.kontakt),
                          Cell::ofText(p.mjesto), Cell::ofText(p.ulica), Cell::ofText(p.telefon)});
    return s;
}

}  // namespace kl
