#include "reports/inventura.h"

#include "data/collation.h"
#include "data/convert.h"
#include "data/database.h"
#include "data/dberror.h"
#include "reports/reportlayout.h"
#include "reports/stockaudit.h"
#include "warehouse/documents.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace kl {

namespace {

using report::kCrLf;
using report::left;
using report::right;

const QString kPartner = QStringLiteral("Inventura");

// Quantities as the book keeps them (a single with two decimals).
double quantity2(double q) {
    return roundHalfAway(q, 2);
}

std::optional<QDate> dateOf(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate) return v.toDate();
    return parseDate(v.toString());
}

StockTaking readHeader(Database& db, qint64 id, bool* found) {
    StockTaking st;
    Recordset rs = db.openRecordset(
        QStringLiteral("select id,broj,datum,zatvorena,brojizdatnice,brojprimke from kl_inventure "
                       "where id=?"),
        {id});
    *found = !rs.eof();
    if (!*found) return st;
    st.id = rs.value(0).toLongLong();
    st.broj = rs.value(1).toInt();
    st.datum = dateOf(rs.value(2)).value_or(QDate());
    st.closed = rs.value(3).toInt() != 0;
    st.issueNumber = rs.value(4).toInt();
    st.receiptNumber = rs.value(5).toInt();
    return st;
}

void readLines(Database& db, StockTaking& st) {
    db.forEachRow(
        QStringLiteral("select s.id,s.idartikla,s.knjizno,s.proscijena,s.popisano,a.sifra,"
                       "a.barkod,a.naziv,a.jedmjere from kl_inventurestavke as s left join "
                       "artikli as a on a.id=s.idartikla where s.idinventure=? order by a.sifra,"
                       "s.id"),
        {st.id}, [&](const RowView& row) {
            StockTakingLine l;
            l.id = row.value(0).toLongLong();
            l.articleId = row.value(1).toInt();
            l.knjizno = row.number(2);
            l.proscijena = row.number(3);
            if (!row.isNull(4)) l.popisano = row.number(4);
            l.sifra = row.value(5).toString();
            l.barkod = row.value(6).toString();
            l.naziv = row.value(7).toString();
            l.jedmjere = row.value(8).toString();
            st.lines.push_back(std::move(l));
        });
}

std::optional<StockTaking> load(Database& db, qint64 id) {
    bool found = false;
    StockTaking st = readHeader(db, id, &found);
    if (!found) return std::nullopt;
    readLines(db, st);
    return st;
}

QString heading(const QString& title, const QString& bookName, const StockTaking& st) {
    return title + kCrLf + QStringLiteral("Skladište: ") + bookName +
           QStringLiteral("   Inventura br. ") + QString::number(st.broj) +
           QStringLiteral(" na dan: ") + dateText(st.datum) + kCrLf + kCrLf;
}

// The id of the first row of `table` whose `column` is `name`; empty when there is none.
QString idNamed(Database& db, const QString& sql, const QString& name) {
    Recordset rs = db.openRecordset(sql, {name});
    return rs.eof() ? QString() : rs.value(0).toString();
}

}  // namespace

std::vector<StockTakingSummary> stockTakings(const BookLocation& book) {
    Database db = Database::openBook(book);
    std::vector<StockTakingSummary> out;
    db.forEachRow(
        QStringLiteral("select id,broj,datum,zatvorena from kl_inventure order by id desc"), {},
        [&](const RowView& row) {
            out.push_back({row.value(0).toLongLong(), row.value(1).toInt(),
                           dateOf(row.value(2)).value_or(QDate()), row.value(3).toInt() != 0});
        });
    return out;
}

qint64 startStockTaking(const BookLocation& book, const QDate& day) {
    Database db = Database::openBook(book);
    Transaction t(db);
    const int broj = int(db.openRecordset(QStringLiteral("select count(*) from kl_inventure"))
                             .value(0)
                             .toDouble()) +
                     1;
    db.execute(QStringLiteral("insert into kl_inventure(broj,datum,zatvorena,brojizdatnice,"
                              "brojprimke)values(?,?,0,0,0)"),
               {broj, dateText(day)});
    const qint64 id = db.lastInsertId();
    for (const ReplayedStock& r : replayStockAt(db, day)) {
        db.execute(QStringLiteral("insert into kl_inventurestavke(idinventure,idartikla,knjizno,"
                                  "proscijena)values(?,?,?,?)"),
                   {id, r.id, r.stanje, r.proscijena});
    }
    t.commit();
    return id;
}

std::optional<StockTaking> loadStockTaking(const BookLocation& book, qint64 id) {
    Database db = Database::openBook(book);
    return load(db, id);
}

QString setCounted(const BookLocation& book, qint64 lineId, std::optional<double> quantity) {
    Database db = Database::openBook(book);
    Transaction t(db);
    Recordset rs = db.openRecordset(
        QStringLiteral("select i.zatvorena from kl_inventurestavke as s inner join kl_inventure "
                       "as i on i.id=s.idinventure where s.id=?"),
        {lineId});
    if (rs.eof()) return QStringLiteral("Stavka inventure više ne postoji.");
    if (rs.value(0).toDouble() != 0)
        return QStringLiteral("Inventura je zaključena: popisane količine više se ne mijenjaju.");
    db.execute(QStringLiteral("update kl_inventurestavke set popisano=? where id=?"),
               {quantity ? QVariant(quantity2(*quantity)) : QVariant(), lineId});
    t.commit();
    return {};
}

int findLine(const StockTaking& st, const QString& code) {
    const QString c = code.trimmed();
    if (c.isEmpty()) return -1;
    for (size_t i = 0; i < st.lines.size(); ++i) {
        const StockTakingLine& l = st.lines[i];
        if (l.sifra.trimmed().compare(c, Qt::CaseInsensitive) == 0 ||
            (!l.barkod.trimmed().isEmpty() &&
             l.barkod.trimmed().compare(c, Qt::CaseInsensitive) == 0))
            return int(i);
    }
    return -1;
}

QString stockTakingNote(const StockTaking& st) {
    return QStringLiteral("Inventura br. %1 na dan %2").arg(st.broj).arg(dateText(st.datum));
}

namespace {

// The lines of the counting sheet in its order.
std::vector<const StockTakingLine*> countingOrder(const StockTaking& st, bool byName) {
    std::vector<const StockTakingLine*> lines;
    for (const StockTakingLine& l : st.lines)
        lines.push_back(&l);
    std::stable_sort(lines.begin(), lines.end(), [byName](auto* a, auto* b) {
        return byName ? compareText(a->naziv, b->naziv) < 0 : compareText(a->sifra, b->sifra) < 0;
    });
    return lines;
}

QStringList sheetTitle(const QString& title, const QString& bookName, const StockTaking& st) {
    return {title, QStringLiteral("Skladište: ") + bookName + QStringLiteral("   Inventura br. ") +
                       QString::number(st.broj) + QStringLiteral(" na dan: ") + dateText(st.datum)};
}

}  // namespace

QString countingSheetText(const QString& bookName, const StockTaking& st, bool byName) {
    const std::vector<const StockTakingLine*> lines = countingOrder(st, byName);
    QString out = heading(QStringLiteral("Popisna lista"), bookName, st);
    // Šifra 11, naziv 38, jed. mjere 8, popisana količina 26 (an empty column): 83 characters.
    out += left(QStringLiteral("Šifra"), 11) + left(QStringLiteral("Naziv"), 38) +
           left(QStringLiteral("J.mj."), 8) + left(QStringLiteral("Popisana količina"), 26) + kCrLf;
    out += report::underscores() + kCrLf;
    for (const StockTakingLine* l : lines) {
        out += left(report::cut(l->sifra.trimmed(), 10), 11) +
               left(report::cut(l->naziv.trimmed(), 37), 38) +
               left(report::cut(l->jedmjere.trimmed(), 7), 8) + QString(26, u'_') + kCrLf;
    }
    out += report::underscores() + kCrLf + kCrLf;
    out += QStringLiteral("Popisno povjerenstvo:") + kCrLf + kCrLf;
    out += QStringLiteral(
               "1. ____________________   2. ____________________   "
               "3. ____________________") +
           kCrLf;
    return out;
}

std::vector<const StockTakingLine*> uncountedWithStock(const StockTaking& st) {
    std::vector<const StockTakingLine*> lines;
    for (const StockTakingLine& l : st.lines)
        if (!l.popisano && quantity2(l.knjizno) != 0) lines.push_back(&l);
    return lines;
}

QString differencesText(const QString& bookName, const StockTaking& st) {
    QString out = heading(QStringLiteral("Inventurne razlike"), bookName, st);
    // Šifra 9, naziv 22, knjižno 10, popisano 10, manjak 10, višak 10, vrijednost 12: 83.
    out += left(QStringLiteral("Šifra"), 9) + left(QStringLiteral("Naziv"), 22) +
           right(QStringLiteral("Knjižno"), 10) + right(QStringLiteral("Popisano"), 10) +
           right(QStringLiteral("Manjak"), 10) + right(QStringLiteral("Višak"), 10) +
           right(QStringLiteral("Vrijednost"), 12) + kCrLf;
    out += report::underscores() + kCrLf;
    double shortage = 0, surplus = 0;
    int count = 0, uncounted = 0;
    for (const StockTakingLine& l : st.lines) {
        if (!l.popisano) {
            ++uncounted;
            continue;
        }
        const double d = quantity2(l.difference());
        if (d == 0) continue;
        const double value = roundHalfAway(d * l.proscijena, 2);
        (d < 0 ? shortage : surplus) += value;
        ++count;
        out += left(report::cut(l.sifra.trimmed(), 8), 9) +
               left(report::cut(l.naziv.trimmed(), 21), 22) +
               right(format00(l.knjizno, Precision::Single), 10) +
               right(format00(*l.popisano, Precision::Single), 10) +
               right(d < 0 ? format00(-d, Precision::Single) : QString(), 10) +
               right(d > 0 ? format00(d, Precision::Single) : QString(), 10) +
               right(format00(value), 12) + kCrLf;
    }
    out += report::underscores() + kCrLf;
    out += left(QStringLiteral("Ukupno manjak:"), 71) + right(format00(-shortage), 12) + kCrLf;
    out += left(QStringLiteral("Ukupno višak:"), 71) + right(format00(surplus), 12) + kCrLf;
    out += left(QStringLiteral("Razlika:"), 71) + right(format00(surplus + shortage), 12) + kCrLf;
    out += QStringLiteral("Artikala s razlikom: ") + QString::number(count) + kCrLf;
    if (uncounted > 0)
        out += QStringLiteral("Nepopisanih artikala (bez razlike): ") + QString::number(uncounted) +
               kCrLf;
    if (const auto withStock = uncountedWithStock(st); !withStock.empty()) {
        out +=
            QStringLiteral("Od toga s knjižnim stanjem (popisani s nula bili bi manjak):") + kCrLf;
        for (const StockTakingLine* l : withStock)
            out += left(report::cut(l->sifra.trimmed(), 8), 9) +
                   left(report::cut(l->naziv.trimmed(), 21), 22) +
                   right(format00(l->knjizno, Precision::Single), 10) + kCrLf;
    }
    if (st.closed)
        out += QStringLiteral("Razlike su knjižene: izdatnica br. %1, primka br. %2.")
                   .arg(st.issueNumber)
                   .arg(st.receiptNumber) +
               kCrLf;
    return out;
}

sheet::Sheet countingSheet(const QString& bookName, const StockTaking& st, bool byName) {
    using sheet::Cell;
    sheet::Sheet s;
    s.name = QStringLiteral("Popisna lista");
    s.titleLines = sheetTitle(QStringLiteral("Popisna lista"), bookName, st);
    s.heading = {QStringLiteral("Šifra"), QStringLiteral("Naziv"), QStringLiteral("J.mj."),
                 QStringLiteral("Popisana količina")};
    for (const StockTakingLine* l : countingOrder(st, byName))
        s.rows.push_back({Cell::ofText(l->sifra.trimmed()), Cell::ofText(l->naziv.trimmed()),
                          Cell::ofText(l->jedmjere.trimmed()), Cell::empty()});
    return s;
}

sheet::Sheet differencesSheet(const QString& bookName, const StockTaking& st) {
    using sheet::Cell;
    sheet::Sheet s;
    s.name = QStringLiteral("Inventurne razlike");
    s.titleLines = sheetTitle(QStringLiteral("Inventurne razlike"), bookName, st);
    s.heading = {QStringLiteral("Šifra"),     QStringLiteral("Naziv"),  QStringLiteral("Knjižno"),
                 QStringLiteral("Popisano"),  QStringLiteral("Manjak"), QStringLiteral("Višak"),
                 QStringLiteral("Vrijednost")};
    double shortage = 0, surplus = 0;
    for (const StockTakingLine& l : st.lines) {
        if (!l.popisano) continue;
        const double d = quantity2(l.difference());
        if (d == 0) continue;
        const double value = roundHalfAway(d * l.proscijena, 2);
        (d < 0 ? shortage : surplus) += value;
        s.rows.push_back({Cell::ofText(l.sifra.trimmed()), Cell::ofText(l.naziv.trimmed()),
                          Cell::ofNumber(quantity2(l.knjizno)),
                          Cell::ofNumber(quantity2(*l.popisano)),
                          d < 0 ? Cell::ofNumber(-d) : Cell::empty(),
                          d > 0 ? Cell::ofNumber(d) : Cell::empty(), Cell::ofNumber(value)});
    }
    const auto total = [](const QString& what, double v) {
        return sheet::Row{Cell::ofText(what), Cell::empty(), Cell::empty(),    Cell::empty(),
                          Cell::empty(),      Cell::empty(), Cell::ofNumber(v)};
    };
    s.totals = {total(QStringLiteral("Ukupno manjak:"), roundHalfAway(-shortage, 2)),
                total(QStringLiteral("Ukupno višak:"), roundHalfAway(surplus, 2)),
                total(QStringLiteral("Razlika:"), roundHalfAway(surplus + shortage, 2))};
    return s;
}

DifferencesPosting postDifferences(const BookLocation& book, qint64 id, bool uncountedAsZero) {
    Database db = Database::openBook(book);
    return runLocked(db, {db.serverSchema()}, [&] {
        DifferencesPosting result;
        Transaction t(db);
        std::optional<StockTaking> st = load(db, id);
        if (!st) {
            result.refusal = QStringLiteral("Inventura više ne postoji.");
            return result;
        }
        if (st->closed) {
            result.refusal = QStringLiteral("Inventura br. %1 već je zaključena.").arg(st->broj);
            return result;
        }
        if (uncountedAsZero) {
            for (const StockTakingLine* l : uncountedWithStock(*st))
                db.execute(QStringLiteral("update kl_inventurestavke set popisano=0 where id=?"),
                           {l->id});
            for (StockTakingLine& l : st->lines)
                if (!l.popisano && quantity2(l.knjizno) != 0) l.popisano = 0.0;
        }
        std::vector<DocumentLine> shortages, surpluses;
        for (const StockTakingLine& l : st->lines) {
            const double d = quantity2(l.difference());
            if (d == 0) continue;
            const double q = std::fabs(d);
            (d < 0 ? shortages : surpluses)
                .push_back({l.sifra, l.naziv, format00(q, Precision::Single),
                            format00(l.proscijena), format00(q * l.proscijena),
                            QString::number(l.articleId)});
        }

        // The partner and, for the receipt, the document type "Inventura", made when missing.
        if (idNamed(db, QStringLiteral("select id from kd where ime=?"), kPartner).isEmpty())
            db.execute(
                QStringLiteral("insert into kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)"
                               "values('k',?,'','','','','','')"),
                {kPartner});
        if (!surpluses.empty() &&
            idNamed(db, QStringLiteral("select id from dokumenti where dokument=?"), kPartner)
                .isEmpty())
            db.execute(QStringLiteral("insert into dokumenti(dokument)values(?)"), {kPartner});

        const auto post = [&](DocumentKind kind, const std::vector<DocumentLine>& lines) {
            if (lines.empty()) return 0;
            DocumentHeader h;
            h.kind = kind;
            const int number = countDocuments(db, QStringLiteral("main"), kind) + 1;
            h.broj = QString::number(number);
            h.datum = st->datum;
            h.partner = kPartner;
            if (kind == DocumentKind::Receipt) {
                h.documentType = kPartner;
                h.brojdok = QStringLiteral("Inventura %1").arg(st->broj);
                h.datumdok = st->datum;
            }
            if (postDocument(db, h, lines).refusal != PostingRefusal::None)
                throw DbError(DbErrorCode::NoCurrentRecord,
                              QStringLiteral("Razlike nisu knjižene: partner ili vrsta dokumenta "
                                             "Inventura nije u knjizi."));
            return number;
        };
        result.issueNumber = post(DocumentKind::Issue, shortages);
        result.receiptNumber = post(DocumentKind::Receipt, surpluses);
        db.execute(
            QStringLiteral("update kl_inventure set zatvorena=1,brojizdatnice=?,brojprimke=?,"
                           "napomena=? where id=?"),
            {result.issueNumber, result.receiptNumber, stockTakingNote(*st), id});
        t.commit();
        return result;
    });
}

}  // namespace kl
