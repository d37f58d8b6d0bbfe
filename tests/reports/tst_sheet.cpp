// A report as a spreadsheet: the CSV bytes worked out by hand, and the .xlsx read back from its
// XML (cell types, values, the frozen heading, the formats), both written in place of a file;
// the sheets of the reports against their figures worked out by hand.

#include "production/workorders.h"
#include "reports/journalsheet.h"
#include "reports/stockreports.h"
#include "testenv.h"
#include "ui/sheet.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kl;
using namespace kl::sheet;

namespace {

Sheet sample() {
    Sheet s;
    s.name = "Stanje zaliha";
    s.titleLines = {"Stanje zaliha na dan: 07.12.2026"};
    s.heading = {"Šifra", "Naziv", "Količina", "Datum"};
    s.rows.push_back({Cell::ofText("0012"), Cell::ofText("Čavli; 3 mm"), Cell::ofNumber(12.5),
                      Cell::ofDate(QDate(2026, 12, 7))});
    s.rows.push_back(
        {Cell::ofText("A\"1"), Cell::ofText(" x "), Cell::ofNumber(-0.001), Cell::empty()});
    s.totals.push_back(
        {Cell::ofText("Ukupno"), Cell::empty(), Cell::ofNumber(12.499, 3), Cell::empty()});
    return s;
}

QString unzipped(const QString& file, const QString& member) {
    QProcess p;
    p.start("unzip", {"-p", file, member});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The attributes and value of cell `ref` ("C4") in the sheet's XML: "t=...|s=...|value".
QString cell(const QString& xml, const QString& ref) {
    const QRegularExpression re("<c r=\"" + ref + "\"([^>]*)>(.*?)</c>");
    const auto m = re.match(xml);
    if (!m.hasMatch()) return "<none>";
    QString type = QRegularExpression(" t=\"(\\w+)\"").match(m.captured(1)).captured(1);
    QString value = m.captured(2);
    value.remove(QRegularExpression("</?(v|is|t)>"));
    return type + "|" + value;
}

const QDate kToday(2026, 12, 7);

// Two journal rows as the journal list holds them: a receipt and an issue.
ReportRows journalRows() {
    ReportRows rows;
    rows.appendRow(
        {"05.12.2026", "Čavli ", "P", "Račun", "R-1", "04.12.2026", "10", "", "2", "20,00", ""});
    rows.appendRow({"06.12.2026", "Čavli", "I", "", "", "", "", "4", "2,5", "", "10,00"});
    return rows;
}

StockCard card(const QString& code, const QString& name, std::vector<CardLine> lines) {
    StockCard c;
    c.article.setTexts(code, name);
    c.lines = std::move(lines);
    return c;
}

}  // namespace

Q_DECLARE_METATYPE(kl::sheet::Sheet)

class TstSheet : public QObject {
    Q_OBJECT
  private slots:
    void csv() {
        QCOMPARE(csvBytes(sample()), QByteArray("\xEF\xBB\xBF"
                                                "Stanje zaliha na dan: 07.12.2026\r\n\r\n"
                                                "Šifra;Naziv;Količina;Datum\r\n"
                                                "0012;\"Čavli; 3 mm\";12,50;07.12.2026\r\n"
                                                "\"A\"\"1\";\" x \";0,00;\r\n"
                                                "Ukupno;;12,499;\r\n"));
    }

    void xlsx() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Stanje zaliha 07.12.2026.xlsx");
        QFile old(path);  // a file the clerk agreed to replace
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("staro") == 5);
        old.close();
        QCOMPARE(writeXlsx(path, sample()), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Stanje zaliha 07.12.2026.xlsx"});  // no temporary file left
        const QString xml = unzipped(path, "xl/worksheets/sheet1.xml");
        QVERIFY2(!xml.isEmpty(), "no sheet in the file");
        const int serial = int(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 7)));
        QCOMPARE(QStringList({cell(xml, "A1"), cell(xml, "A3"), cell(xml, "A4"), cell(xml, "B4"),
                              cell(xml, "C4").section('|', 1), cell(xml, "D4").section('|', 1),
                              cell(xml, "C5").section('|', 1), cell(xml, "C6").section('|', 1)}),
                 QStringList({"inlineStr|Stanje zaliha na dan: 07.12.2026", "inlineStr|Šifra",
                              "inlineStr|0012", "inlineStr|Čavli; 3 mm", "12.5",
                              QString::number(serial), "-0.001", "12.499"}));
        QVERIFY2(xml.contains("ySplit=\"3\"") && xml.contains("state=\"frozen\""), qPrintable(xml));
        QVERIFY(xml.contains("<cols>"));
        const QString styles = unzipped(path, "xl/styles.xml");
        for (const char* format :
             {"formatCode=\"0.00\"", "formatCode=\"0.000\"", "formatCode=\"dd.mm.yyyy\"", "<b/>"})
            QVERIFY2(styles.contains(QLatin1String(format)), format);
    }

    void csvReplacesWhole() {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.csv");
        QCOMPARE(writeCsv(path, sample()), QString());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), csvBytes(sample()));
        QCOMPARE(writeCsv(dir.filePath("nema/a.csv"), sample()).left(9), "Datoteku ");
    }

    // A report of many lines goes out in pieces: the file holds every line, in order, across
    // the pieces' seams.
    void csvLong() {
        Sheet s;
        s.heading = {"Naziv", "Iznos", "Datum"};
        s.generatedCount = 60000;
        s.generate = [](size_t i, Row& r) {
            r = {Cell::ofText(QStringLiteral("Čavli; %1").arg(i)), Cell::ofNumber(double(i) / 4),
                 Cell::ofDate(QDate(2026, 1, 1).addDays(qint64(i % 365)))};
        };
        QByteArray expected = "\xEF\xBB\xBFNaziv;Iznos;Datum\r\n";
        for (size_t i = 0; i < s.generatedCount; ++i)
            expected += QStringLiteral("\"Čavli; %1\";%2;%3\r\n")
                            .arg(i)
                            .arg(QString::number(double(i) / 4, 'f', 2).replace('.', ','))
                            .arg(QDate(2026, 1, 1).addDays(qint64(i % 365)).toString("dd.MM.yyyy"))
                            .toUtf8();
        QVERIFY(expected.size() > 2 << 20);
        QTemporaryDir dir;
        QCOMPARE(writeCsv(dir.filePath("d.csv"), s), QString());
        QFile f(dir.filePath("d.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == expected);
    }

    // Each report's sheet as CSV, against the figures worked out by hand.
    void reportSheets_data() {
        QTest::addColumn<Sheet>("sheet");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("journal, the totals of debit and credit")
            << journalSheet("Ispis dnevnika na dan: 07.12.2026", journalRows())
            << QStringList{"Ispis dnevnika na dan: 07.12.2026",
                           "",
                           "Dat.primke;Naziv artikla;V;Dokument;Br.dok;Datum dok.;Kol.ulaz;"
                           "Kol.izlaz;Cijena;Duguje;Potražuje",
                           "05.12.2026;Čavli;P;Račun;R-1;04.12.2026;10,00;;2,00;20,00;",
                           "06.12.2026;Čavli;I;;;;;4,00;2,50;;10,00",
                           "Ukupno;;;;;;;;;20,00;10,00"};
        const auto c = [](double v) { return Currency::fromDouble(v); };
        QTest::newRow("stock cards, the average kept at zero stock")
            << stockCardsSheet(
                   {card("0012", "Čavli",
                         {{u"P", 1, 10, c(2)}, {u"I", 5, 4, c(2.5)}, {u"I", 6, 6, c(1)}}),
                    card("A2", "Vijci", {})},
                   kToday)
            << QStringList{"Kartice artikala na dan: 07.12.2026",
                           "",
                           "Šifra;Naziv;R.br.;V;B.P/I;Ulaz količina;Ulaz cijena;Izlaz količina;"
                           "Izlaz cijena;Stanje;Vrijednost;Pr.cijena",
                           "0012;Čavli;1;P;1;10,00;2,00;0,00;0,00;10,00;20,00;2,00",
                           "0012;Čavli;2;I;5;0,00;0,00;4,00;2,50;6,00;10,00;1,67",
                           "0012;Čavli;3;I;6;0,00;0,00;6,00;1,00;0,00;4,00;1,67",
                           "A2;Vijci"};
        ReportRows articles;
        articles.appendRow({"0012", "", "Čavli", "kom", "5,5", "7"});
        articles.appendRow({"X", "385", "Y", "kg", "abc", "8"});
        using K = ColumnKind;
        QTest::newRow("a list, a figure that does not read kept as text")
            << listSheet("Artikli", "Artikli",
                         {"Šifra art.", "Barkod", "Naziv art.", "J.m.", "Min.kolicina", "id"},
                         {K::Text, K::Text, K::Text, K::Text, K::Number, K::LeftOut}, articles)
            << QStringList{"Artikli", "", "Šifra art.;Barkod;Naziv art.;J.m.;Min.kolicina",
                           "0012;;Čavli;kom;5,50", "X;385;Y;kg;abc"};
        QTest::newRow("product sheet")
            << productSheetTable(
                   {"P1", "Stol", "", "kom"},
                   {{"Skladište 1", "0012", "Čavli", "4,00", "1,20", "4,80", "", "", ""}}, "  4,80",
                   kToday)
            << QStringList{"Ispis podataka za proizvod: Stol na dan: 07.12.2026",
                           "Šifra proizvoda: P1",
                           "Barkod:",
                           "Jedinica mjere: kom",
                           "",
                           "Skladište;Šifra art.;Naziv artikla;Količina;Cijena;Iznos",
                           "Skladište 1;0012;Čavli;4,00;1,20;4,80",
                           "Ukupna cijena proizvoda;;;;;4,80"};
        WorkOrder order{"3",
                        QDate(2026, 12, 1),
                        QDate(2026, 12, 5),
                        "1",
                        "2",
                        {"9,60", "10,00", "0,00", "0,00", "0,00", "0,00"}};
        QTest::newRow("work order, no cost per unit")
            << workOrderSheetTable("Stol", order, {{"Skladište 1", "15", "9,60"}}, "19,60", "",
                                   kToday)
            << QStringList{"Ispis radnog naloga za proizvod: Stol na dan: 07.12.2026",
                           "Br.rad.naloga: 3",
                           "Kol.proiz.: 2",
                           "Datum otvaranja rad.naloga: 01.12.2026",
                           "Datum zatvaranja rad.naloga: 05.12.2026",
                           "",
                           "Skladište;Izdatnica broj;Iznos izdatnice",
                           "Skladište 1;15;9,60",
                           "Ukupna cijena izdatnica;;9,60",
                           "Trošak materijala;;9,60",
                           "Trošak rada;;10,00",
                           "Trošak usluga;;0,00",
                           "Ostali troškovi 1;;0,00",
                           "Ostali troškovi 2;;0,00",
                           "Ostali troškovi 3;;0,00",
                           "Troškovi ukupno;;19,60",
                           "Troškovi po j.mj.;;"};
    }
    void reportSheets() {
        QFETCH(Sheet, sheet);
        QFETCH(QStringList, lines);
        QCOMPARE(QString::fromUtf8(csvBytes(sheet).mid(3)), lines.join("\r\n") + "\r\n");
    }

    // A figure's column is as wide as its text (plus two), also where a rounding carries into a
    // digit more or takes a negative figure's sign away.
    void figureWidths() {
        QTemporaryDir dir;
        for (const auto& [v, decimals] :
             std::initializer_list<std::pair<double, int>>{{9.996, 2},
                                                           {9.994, 2},
                                                           {99.5, 0},
                                                           {0.5, 0},
                                                           {-0.004, 2},
                                                           {-0.006, 2},
                                                           {-12.345, 2},
                                                           {123456789.125, 3},
                                                           {1e16, 2},
                                                           {-999.9999, 2},
                                                           {0.0, 2}}) {
            Sheet s;
            s.heading = {"x"};
            s.rows.push_back({Cell::ofNumber(v, decimals)});
            const QString path = dir.filePath("w.xlsx");
            QCOMPARE(writeXlsx(path, s), QString());
            const int chars = int(csvBytes(s).split('\n').value(1).trimmed().size());
            QVERIFY2(unzipped(path, "xl/worksheets/sheet1.xml")
                         .contains(QString("width=\"%1.7109375\"").arg(chars + 2)),
                     qPrintable(QString::number(v)));
        }
    }

    // The journal's rows, made as the file is written, keep their types in the .xlsx.
    void journalXlsx() {
        QTemporaryDir dir;
        const QString path = dir.filePath("d.xlsx");
        QCOMPARE(writeXlsx(path, journalSheet("Dnevnik", journalRows())), QString());
        const QString xml = unzipped(path, "xl/worksheets/sheet1.xml");
        const int serial = int(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 5)));
        QCOMPARE(QStringList({cell(xml, "A4"), cell(xml, "B4"), cell(xml, "E4"), cell(xml, "G4"),
                              cell(xml, "H4"), cell(xml, "K5"), cell(xml, "J6")}),
                 QStringList({"|" + QString::number(serial), "inlineStr|Čavli", "inlineStr|R-1",
                              "|10", "<none>", "|10", "|20"}));
    }

    void proposedName() {
        QCOMPARE(proposedFileName("Kartica: artikla 1/2", QDate(2026, 12, 7), "xlsx"),
                 "Kartica artikla 12 07.12.2026.xlsx");
    }
};

QTEST_GUILESS_MAIN(TstSheet)
#include "tst_sheet.moc"
