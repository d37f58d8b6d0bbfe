// A report as a spreadsheet: the CSV bytes worked out by hand, and the .xlsx read back from its
// XML (cell types, values, the frozen heading, the formats), both written in place of a file.

#include "reports/sheet.h"
#include "testenv.h"

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

}  // namespace

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

    void proposedName() {
        QCOMPARE(proposedFileName("Kartica: artikla 1/2", QDate(2026, 12, 7), "xlsx"),
                 "Kartica artikla 12 07.12.2026.xlsx");
    }
};

QTEST_GUILESS_MAIN(TstSheet)
#include "tst_sheet.moc"
