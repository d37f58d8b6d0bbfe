// The journal window on a book filled by posting real documents: the list, the options, the
// report text after a sort, a selection and a date range, and the printed pages read back from
// the PDF.

#include "reportfixture.h"
#include "reports/frmpregleddnevnika.h"
#include "ui/reportlist.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <numeric>

using namespace kl;
using namespace kl::test;

namespace {

const QString kHeading = QStringLiteral(
    "Datum.p/i  Naziv artikla           V Dokument        Broj.dok   Datum.dok  Kol.ulaz   "
    "Kol.izlaz  Cijena     Duguje     Potražuje ");

// The report lines of the four journal rows of fillBook(), in posting order.
const QStringList kLines = {
    QStringLiteral("02.03.2026 Čokolada mliječna       P Ulazni račun           R-7 01.03.2026 "
                   "      5,00                  2,50      12,50"),
    QStringLiteral("02.03.2026 Žito                    P Ulazni račun           R-7 01.03.2026 "
                   "     10,00                  0,75       7,50"),
    QStringLiteral("04.03.2026 Čokolada mliječna       I                                         "
                   "               5,00       2,50                 12,50"),
    QStringLiteral("06.03.2026 Brašno T-550            P Ulazni račun           R-8 05.03.2026 "
                   "      2,00                  1,23       2,47"),
};

QString today() {
    return dateText(QDate::currentDate());
}

// The report: title, empty line, heading, underscores, then the lines of kLines at `rows`.
QStringList report(const QString& title, const QList<int>& rows) {
    QStringList lines{title, "", kHeading, QString(130, u'_')};
    for (int r : rows)
        lines << kLines.at(r);
    return lines;
}

void clickHeading(ReportList* list, int column) {
    QHeaderView* h = list->header();
    const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class Tst_frmpregleddnevnika : public ReportTest {
    Q_OBJECT

    frmpregleddnevnika* w_ = nullptr;

    void fillBook() {
        const int cokolada = addArticle(book_, "C1", QStringLiteral("Čokolada mliječna"));
        const int zito = addArticle(book_, "Z1", QStringLiteral("Žito"));
        const int brasno = addArticle(book_, "B1", QStringLiteral("Brašno T-550"));
        addPartner(book_, "d", QStringLiteral("Dobavljač"));
        addPartner(book_, "k", QStringLiteral("Kupac"));
        addDocumentType(book_, QStringLiteral("Ulazni račun"));
        receipt(book_, QDate(2026, 3, 2), QStringLiteral("Dobavljač"),
                {{cokolada, "5", "2,50"}, {zito, "10", "0,75"}}, QStringLiteral("Ulazni račun"),
                QStringLiteral("R-7"), QDate(2026, 3, 1));
        issue(book_, QDate(2026, 3, 4), QStringLiteral("Kupac"), {{cokolada, "5", "2,50"}});
        receipt(book_, QDate(2026, 3, 6), QStringLiteral("Dobavljač"), {{brasno, "2", "1,2345"}},
                QStringLiteral("Ulazni račun"), QStringLiteral("R-8"), QDate(2026, 3, 5));
    }

    frmpregleddnevnika* open() {
        w_ = shown(windows().window<frmpregleddnevnika>(win::PregledDnevnika));
        return w_;
    }
    template <typename T>
    T* get(const char* name) {
        return control<T>(w_, QString::fromLatin1(name));
    }
    void click(const char* name) { clickOn(w_, name); }
    QStringList reportShown() { return reportLines(w_->reportText()); }
    // Which of the two lists and the report box are shown.
    QString showing() {
        QStringList out;
        for (const char* name : {"lsvdnevnik", "lsvizbor", "rtfdnevnik"})
            if (get<QWidget>(name)->isVisible()) out << name;
        return out.join(u',');
    }

  private slots:
    // The list as the window opens. "Prikaz" shows the report in place of the list, in the
    // list's order: as read, then after a heading clicked once (ascending) and twice (descending,
    // equal names keep their order); clicking an option brings a list back. The list stays as
    // read until "Cijeli dnevnik" reads the book again; a book that cannot be read leaves it
    // empty and the error is told.
    void window() {
        fillBook();
        QVERIFY(open());
        QCOMPARE(w_->windowTitle(), QString("Pregled dnevnika"));
        QVERIFY(get<QRadioButton>("optsve")->isChecked());
        QVERIFY(!get<QGroupBox>("Framedatum")->isEnabled());
        for (const char* name : {"dtpod", "dtpdo"})
            QCOMPARE(get<QDateEdit>(name)->date(), QDate::currentDate());
        ReportList* list = get<ReportList>("lsvdnevnik");
        QCOMPARE(showing(), QString("lsvdnevnik"));
        QVERIFY(list->isMultiSelection());
        QCOMPARE(list->rowCount(), 4);
        QCOMPARE(list->rowTexts(2), (QStringList{"04.03.2026", "Čokolada mliječna", "I", "", "", "",
                                                 "", "5", "2,5", "", "12,50"}));

        const QString title = "Ispis dnevnika na dan: " + today();
        click("cmdprikazart");
        QCOMPARE(showing(), QString("rtfdnevnik"));
        QCOMPARE(reportShown(), report(title, {0, 1, 2, 3}));
        QCOMPARE(get<ReportView>("rtfdnevnik")->toPlainText().split(u'\n'), reportShown());
        click("optdatumu");
        QCOMPARE(showing(), QString("lsvizbor"));
        click("cmdprikazart");
        click("optizbor");
        QCOMPARE(showing(), QString("lsvdnevnik"));
        QVERIFY(!get<QGroupBox>("Framedatum")->isEnabled());

        click("optsve");
        clickHeading(list, JNaziv);
        click("cmdprikazart");
        QCOMPARE(reportShown(), report(title, {3, 0, 2, 1}));
        click("optsve");  // the list again, read anew in stored order
        clickHeading(list, JNaziv);
        clickHeading(list, JNaziv);
        click("cmdprikazart");
        QCOMPARE(reportShown(), report(title, {1, 0, 2, 3}));

        issue(book_, QDate(2026, 3, 7), QStringLiteral("Kupac"), {{1, "1", "2,50"}});
        click("cmdprikazart");
        QCOMPARE(reportShown().size(), 4 + 4);
        click("optsve");
        QCOMPARE(list->rowCount(), 5);
        QVERIFY(box_->shown().isEmpty());
        QFile::remove(book_.filePath());
        click("optsve");
        QCOMPARE(list->rowCount(), 0);
        QCOMPARE(showing(), QString("lsvdnevnik"));
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().style, MsgStyle::OkOnly);
        QCOMPARE(box_->last().title, applicationTitle());
        QVERIFY(!box_->last().prompt.isEmpty());
    }

    // "Izbor": only the selected rows; "Po datumu": the rows of the range, both ends included.
    // Both in the list's order of the moment: "Duguje" sorted descending as texts gives the rows
    // 1 ("7,50"), 3 ("2,47"), 0 ("12,50"), 2 (empty).
    void chosenRows_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QList<int>>("selected");  // positions in the sorted list
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<int>>("rows");
        const QDate d2(2026, 3, 2), d3(2026, 3, 3), d4(2026, 3, 4), d6(2026, 3, 6);
        dataRow("selection, none", QString("optizbor"), QList<int>{}, d2, d2, QList<int>{});
        dataRow("selection, two", QString("optizbor"), QList<int>{3, 1}, d2, d2, QList<int>{3, 2});
        dataRow("range, one day", QString("optdatumu"), QList<int>{}, d2, d2, QList<int>{1, 0});
        dataRow("range, two days", QString("optdatumu"), QList<int>{}, d4, d6, QList<int>{3, 2});
        dataRow("range, none", QString("optdatumu"), QList<int>{}, d3, d3, QList<int>{});
    }
    void chosenRows() {
        QFETCH(QString, option);
        QFETCH(QList<int>, selected);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<int>, rows);
        fillBook();
        QVERIFY(open());
        click(qPrintable(option));
        const bool range = option == "optdatumu";
        QCOMPARE(get<QGroupBox>("Framedatum")->isEnabled(), range);
        ReportList* list = get<ReportList>("lsvdnevnik");
        clickHeading(list, JDuguje);
        clickHeading(list, JDuguje);
        for (int r : selected)
            list->setRowSelected(r, true);
        get<QDateEdit>("dtpod")->setDate(from);
        get<QDateEdit>("dtpdo")->setDate(to);
        if (range) QCOMPARE(get<ReportList>("lsvizbor")->rowCount(), rows.size());
        click("cmdprikazart");
        const QString title = range ? QString("Ispis dijela dnevnika od: %1 do: %2 na dan: %3")
                                          .arg(dateText(from), dateText(to), today())
                                    : "Izabrano iz dnevnika na dan: " + today();
        QCOMPARE(reportShown(), report(title, rows));
    }

    // The print of 100 rows: the page estimate asked first, then the journal's own pages: 50 rows
    // each, heading block and page number on every page, footer after a full one, the last
    // column on the paper.
    void print_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("selected");  // "Izbor": the first n rows
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("estimate");
        QTest::addColumn<QList<int>>("perPage");
        QTest::addColumn<QString>("firstTitle");
        QTest::addColumn<QString>("laterTitle");
        const QString all = "Ispis dnevnika na dan: " + today();
        dataRow("whole", QString("optsve"), 0, MsgResult::Yes, 2, QList<int>{50, 50, 0}, all, all);
        dataRow("answered no", QString("optsve"), 0, MsgResult::No, 2, QList<int>{}, all, all);
        dataRow("selection", QString("optizbor"), 60, MsgResult::Yes, 2, QList<int>{50, 10},
                "Izabrano iz dnevnika na dan: " + today(), all);
        const QString range =
            "Ispis dijela dnevnika od: 12.03.2026 do: 12.03.2026 na dan: " + today();
        dataRow("range", QString("optdatumu"), 0, MsgResult::Yes, 1, QList<int>{40}, range, range);
    }
    void print() {
        QFETCH(QString, option);
        QFETCH(int, selected);
        QFETCH(int, answer);
        QFETCH(int, estimate);
        QFETCH(QList<int>, perPage);
        QFETCH(QString, firstTitle);
        QFETCH(QString, laterTitle);
        // A receipt of 60 lines on 10.03.2026 and an issue of 40 on 12.03.2026.
        const int a = addArticle(book_, "A1", QStringLiteral("Čaj od šipka"));
        addPartner(book_, "d", QStringLiteral("Dobavljač"));
        addPartner(book_, "k", QStringLiteral("Kupac"));
        addDocumentType(book_, QStringLiteral("Ulazni račun"));
        receipt(book_, QDate(2026, 3, 10), QStringLiteral("Dobavljač"),
                std::vector<Line>(60, Line{a, "1", "2,50"}), QStringLiteral("Ulazni račun"));
        issue(book_, QDate(2026, 3, 12), QStringLiteral("Kupac"),
              std::vector<Line>(40, Line{a, "1", "2,50"}));
        QVERIFY(open());
        click(qPrintable(option));
        ReportList* list = get<ReportList>("lsvdnevnik");
        for (int r = 0; r < selected; ++r)
            list->setRowSelected(r, true);
        get<QDateEdit>("dtpod")->setDate(QDate(2026, 3, 12));
        get<QDateEdit>("dtpdo")->setDate(QDate(2026, 3, 12));

        box_->answer(answer);
        click("cmdispisart");
        const QStringList report = reportShown();
        QCOMPARE(report.first(), firstTitle);
        QVERIFY(box_->count() >= 1);
        const MsgBoxShown question = box_->shown().first();
        QCOMPARE(question.prompt, QString("Broj stranica: %1 Ispis dokumenta?").arg(estimate));
        QCOMPARE(question.style, MsgStyle::YesNo | MsgStyle::Question);
        QCOMPARE(question.title, QString("Ispis dokumenta!"));
        QCOMPARE(printed_.size(), perPage.isEmpty() ? 0 : 1);
        if (perPage.isEmpty()) return;
        QCOMPARE(pdfPageCount(printed_.first()), perPage.size());
        QCOMPARE(w_->previewPageCount(), perPage.size());  // the preview shows those pages
        const QStringList pages = pdfPageTexts(printed_.first());
        QCOMPARE(pages.size(), perPage.size());

        // Every row of the report, whole, on the pages in order (pdftotext shortens the blanks).
        const QStringList rows = report.mid(4);
        QCOMPARE(rows.size(), std::accumulate(perPage.begin(), perPage.end(), 0));
        int next = 0;
        for (int p = 0; p < pages.size(); ++p) {
            QStringList lines;
            for (const QString& line : pages.at(p).split(u'\n'))
                if (!line.trimmed().isEmpty()) lines << line.simplified();
            const QString title =
                (p == 0 ? firstTitle : laterTitle) + "  Stranica br. " + QString::number(p + 1);
            QStringList expected{title.simplified(), kHeading.simplified(), QString(130, u'_')};
            for (int i = 0; i < perPage.at(p); ++i)
                expected << rows.at(next++).simplified();
            if (perPage.at(p) == 50) expected << QString::number(p + 1);
            QCOMPARE(lines, expected);
        }
    }

    // The report shown (a date range) into a spreadsheet, each figure as the report line shows
    // it, the debit and credit summed; a list shown exports nothing. The preview sits after the
    // print button.
    void exportShown() {
        fillBook();
        QVERIFY(open());
        QVERIFY(get<QPushButton>("cmdpregledispisa")->isVisible());
        QTemporaryDir dir;
        ReportWindow::setSaveFileChooser(
            [&](const QString&, const QString&) { return dir.filePath("dnevnik"); });
        const auto guard = qScopeGuard([] { ReportWindow::setSaveFileChooser({}); });
        click("optdatumu");
        get<QDateEdit>("dtpdo")->setDate(QDate(2026, 3, 6));
        get<QDateEdit>("dtpod")->setDate(QDate(2026, 3, 3));
        click("cmdprikazart");
        click("cmdizvozcsv");
        QFile csv(dir.filePath("dnevnik.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()).split("\r\n"),
                 QStringList(
                     {"\xEF\xBB\xBFIspis dijela dnevnika od: 03.03.2026 do: 06.03.2026 na dan: " +
                          today(),
                      "",
                      "Dat.primke;Naziv artikla;V;Dokument;Br.dok;Datum dok.;Kol.ulaz;"
                      "Kol.izlaz;Cijena;Duguje;Potražuje",
                      "04.03.2026;Čokolada mliječna;I;;;;;5,00;2,50;;12,50",
                      "06.03.2026;Brašno T-550;P;Ulazni račun;R-8;05.03.2026;2,00;;1,23;"
                      "2,47;",
                      "Ukupno;;;;;;;;;2,47;12,50", ""}));
        click("optsve");
        click("cmdizvozexcel");
        QCOMPARE(box_->last().prompt, "Najprije prikažite izvještaj (Prikaz), pa ga izvezite.");
    }
};

QTEST_MAIN(Tst_frmpregleddnevnika)
#include "tst_frmpregleddnevnika.moc"
