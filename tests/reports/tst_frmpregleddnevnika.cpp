// The journal window on a book filled by posting real documents: the list, the options, the
// report text after a sort, a selection and a date range, and the printed pages read back from
// the PDF.

#include "reportfixture.h"
#include "reports/frmpregleddnevnika.h"
#include "ui/reportlist.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

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

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
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

// The words of a line, so that a line read back from a PDF compares with the report line.
QString words(const QString& line) {
    return line.simplified();
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

    // 100 journal rows: a receipt of 60 lines on 10.03.2026 and an issue of 40 on 12.03.2026.
    void fillHundredRows() {
        const int a = addArticle(book_, "A1", QStringLiteral("Čaj od šipka"));
        addPartner(book_, "d", QStringLiteral("Dobavljač"));
        addPartner(book_, "k", QStringLiteral("Kupac"));
        addDocumentType(book_, QStringLiteral("Ulazni račun"));
        std::vector<Line> in(60, Line{a, "1", "2,50"}), out(40, Line{a, "1", "2,50"});
        receipt(book_, QDate(2026, 3, 10), QStringLiteral("Dobavljač"), in,
                QStringLiteral("Ulazni račun"));
        issue(book_, QDate(2026, 3, 12), QStringLiteral("Kupac"), out);
    }

    frmpregleddnevnika* open() {
        w_ = shown(windows().window<frmpregleddnevnika>(win::PregledDnevnika));
        return w_;
    }
    template <typename T>
    T* get(const char* name) {
        return control<T>(w_, QString::fromLatin1(name));
    }
    void click(const char* name) {
        QAbstractButton* b = get<QAbstractButton>(name);
        QVERIFY2(b->isEnabled() && b->isVisible(), name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    // Which of the two lists and the report box are shown.
    QString showing() {
        QStringList out;
        for (const char* name : {"lsvdnevnik", "lsvizbor", "rtfdnevnik"})
            if (get<QWidget>(name)->isVisible()) out << name;
        return out.join(u',');
    }

  private slots:
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

        // The list stays as read until "Cijeli dnevnik" reads the book again.
        issue(book_, QDate(2026, 3, 7), QStringLiteral("Kupac"), {{1, "1", "2,50"}});
        click("cmdprikazart");
        QCOMPARE(linesOf(w_->reportText()).size(), 4 + 4);
        click("optsve");
        QCOMPARE(list->rowCount(), 5);
        QVERIFY(box_->shown().isEmpty());
    }

    // "Prikaz" shows the report in place of the list; clicking an option brings a list back.
    void wholeJournal() {
        fillBook();
        QVERIFY(open());
        click("cmdprikazart");
        QCOMPARE(showing(), QString("rtfdnevnik"));
        QCOMPARE(linesOf(w_->reportText()),
                 report("Ispis dnevnika na dan: " + today(), {0, 1, 2, 3}));
        QCOMPARE(get<QPlainTextEdit>("rtfdnevnik")->toPlainText().split(u'\n'),
                 linesOf(w_->reportText()));
        click("optsve");
        QCOMPARE(showing(), QString("lsvdnevnik"));
        click("optdatumu");
        QCOMPARE(showing(), QString("lsvizbor"));
        click("cmdprikazart");
        click("optizbor");
        QCOMPARE(showing(), QString("lsvdnevnik"));
        QVERIFY(!get<QGroupBox>("Framedatum")->isEnabled());
    }

    // "Izbor": only the selected rows, in list order; none selected gives title and heading.
    void selection_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QList<int>>("rows");
        dataRow("none", QList<int>{}, QList<int>{});
        dataRow("two", QList<int>{3, 1}, QList<int>{1, 3});
    }
    void selection() {
        QFETCH(QList<int>, selected);
        QFETCH(QList<int>, rows);
        fillBook();
        QVERIFY(open());
        click("optizbor");
        ReportList* list = get<ReportList>("lsvdnevnik");
        QCOMPARE(list->rowCount(), 4);
        for (int r : selected)
            list->setRowSelected(r, true);
        click("cmdprikazart");
        QCOMPARE(linesOf(w_->reportText()),
                 report("Izabrano iz dnevnika na dan: " + today(), rows));
    }

    // A heading clicked twice: ascending, then descending (equal names keep their order); the
    // report follows the list.
    void sortTwice() {
        fillBook();
        QVERIFY(open());
        ReportList* list = get<ReportList>("lsvdnevnik");
        const QString title = "Ispis dnevnika na dan: " + today();
        clickHeading(list, JNaziv);
        click("cmdprikazart");
        QCOMPARE(linesOf(w_->reportText()), report(title, {3, 0, 2, 1}));
        click("optsve");  // the list again, read anew in stored order
        clickHeading(list, JNaziv);
        clickHeading(list, JNaziv);
        click("cmdprikazart");
        QCOMPARE(linesOf(w_->reportText()), report(title, {1, 0, 2, 3}));
    }

    // "Po datumu": the rows of the range, both ends included, in the list's order of the moment.
    void dateRange_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<int>>("rows");
        dataRow("one day", QDate(2026, 3, 2), QDate(2026, 3, 2), QList<int>{1, 0});
        dataRow("two days", QDate(2026, 3, 4), QDate(2026, 3, 6), QList<int>{3, 2});
        dataRow("none", QDate(2026, 3, 3), QDate(2026, 3, 3), QList<int>{});
    }
    void dateRange() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<int>, rows);
        fillBook();
        QVERIFY(open());
        ReportList* list = get<ReportList>("lsvdnevnik");
        clickHeading(list, JDuguje);  // "12,50" < "2,47" < "7,50" as texts; empties first
        clickHeading(list, JDuguje);
        click("optdatumu");
        QVERIFY(get<QGroupBox>("Framedatum")->isEnabled());
        get<QDateEdit>("dtpod")->setDate(from);
        get<QDateEdit>("dtpdo")->setDate(to);
        QCOMPARE(get<ReportList>("lsvizbor")->rowCount(), rows.size());
        click("cmdprikazart");
        QCOMPARE(linesOf(w_->reportText()),
                 report(QString("Ispis dijela dnevnika od: %1 do: %2 na dan: %3")
                            .arg(dateText(from), dateText(to), today()),
                        rows));
    }

    // The print: the page estimate asked first, then the journal's own pages: 50 rows each,
    // heading block and page number on every page, footer after a full one, the last column
    // on the paper.
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
        fillHundredRows();
        QVERIFY(open());
        click(qPrintable(option));
        ReportList* list = get<ReportList>("lsvdnevnik");
        for (int r = 0; r < selected; ++r)
            list->setRowSelected(r, true);
        get<QDateEdit>("dtpod")->setDate(QDate(2026, 3, 12));
        get<QDateEdit>("dtpdo")->setDate(QDate(2026, 3, 12));

        box_->answer(answer);
        click("cmdispisart");
        const QStringList report = linesOf(w_->reportText());
        QCOMPARE(report.first(), firstTitle);
        QVERIFY(box_->count() >= 1);
        const MsgBoxShown question = box_->shown().first();
        QCOMPARE(question.prompt, QString("Broj stranica: %1 Ispis dokumenta?").arg(estimate));
        QCOMPARE(question.style, MsgStyle::YesNo | MsgStyle::Question);
        QCOMPARE(question.title, QString("Ispis dokumenta!"));
        if (perPage.isEmpty()) {
            QCOMPARE(box_->count(), 1);
            QVERIFY(printed_.isEmpty());
            return;
        }
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(pdfPageCount(printed_.first()), perPage.size());
        const QStringList pages = pdfPageTexts(printed_.first());
        QCOMPARE(pages.size(), perPage.size());

        // Every row of the report, whole, on the pages in order.
        const QStringList rows = report.mid(4);
        QCOMPARE(rows.size(), std::accumulate(perPage.begin(), perPage.end(), 0));
        int next = 0;
        for (int p = 0; p < pages.size(); ++p) {
            QStringList lines;
            for (const QString& line : pages.at(p).split(u'\n'))
                if (!line.trimmed().isEmpty()) lines << words(line);
            const QString title =
                (p == 0 ? firstTitle : laterTitle) + "  Stranica br. " + QString::number(p + 1);
            const int n = perPage.at(p);
            QStringList expected{words(title), words(kHeading), QString(130, u'_')};
            for (int i = 0; i < n; ++i)
                expected << words(rows.at(next++));
            if (n == 50) expected << QString::number(p + 1);
            QCOMPARE(lines, expected);
        }
    }

    // A book that cannot be read: the list stays empty and the error is told.
    void readError() {
        fillBook();
        QVERIFY(open());
        QFile::remove(book_);
        click("optsve");
        QCOMPARE(get<ReportList>("lsvdnevnik")->rowCount(), 0);
        QCOMPARE(showing(), QString("lsvdnevnik"));
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().style, MsgStyle::OkOnly);
        QCOMPARE(box_->last().title, applicationTitle());
        QVERIFY(!box_->last().prompt.isEmpty());
    }
};

QTEST_MAIN(Tst_frmpregleddnevnika)
#include "tst_frmpregleddnevnika.moc"
