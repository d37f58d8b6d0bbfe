// The report list: heading-click sorting in the Croatian order, hidden id columns, row access by
// shown position, selection, and filling/sorting large lists quickly.

#include "data/collation.h"
#include "ui/reportlist.h"

#include <QHeaderView>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <numeric>

using kl::ReportList;

namespace {

// Name, code, id (hidden), with six rows unless `empty`; shown and ready for clicks.
void fill(ReportList& list, bool empty = false) {
    list.setColumns({{"Naziv", 150}, {"Šifra", 60, Qt::AlignRight}, {"", 0}});
    const char* rows[][3] = {{"đumbir", "t", "1"}, {"Čaj", "Š", "2"},    {"cedevita", "ž", "3"},
                             {"Duhan", "s", "4"},  {"ćevapi", "Z", "5"}, {"Cedevita", "a", "6"}};
    for (const auto& r : rows)
        if (!empty) list.addRow({r[0], r[1], r[2]});
    list.resize(400, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
}

// The ids in the order shown, the current row marked "*", then the sort column and direction.
QString shown(const ReportList& list) {
    QStringList out;
    for (int r = 0; r < list.rowCount(); ++r)
        out.append(list.text(r, 2) + (r == list.currentRow() ? "*" : ""));
    const bool up = list.header()->sortIndicatorOrder() == Qt::AscendingOrder;
    return out.join(u',') + QString(" by %1 %2").arg(list.sortColumn()).arg(up ? "up" : "down");
}

void clickHeading(ReportList& list, int column) {
    QHeaderView* h = list.header();
    const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class TstReportList : public QObject {
    Q_OBJECT

  private slots:
    // A heading click sorts ascending, a second one descending, a third ascending again; another
    // heading starts ascending. The current row follows its row.
    void headingClicksSort() {
        ReportList list;
        fill(list);
        list.setCurrentRow(3);
        clickHeading(list, 0);  // C (both cases, kept in their order) < Č < Ć < D < Đ
        QCOMPARE(shown(list), QString("3,6,2,5,4*,1 by 0 up"));
        clickHeading(list, 0);
        QCOMPARE(shown(list), QString("1,4*,5,2,3,6 by 0 down"));
        clickHeading(list, 1);  // A < S < Š < T < Z < Ž
        QCOMPARE(shown(list), QString("6,4*,2,1,5,3 by 1 up"));
        clickHeading(list, 1);
        clickHeading(list, 1);
        QCOMPARE(shown(list), QString("6,4*,2,1,5,3 by 1 up"));
    }

    void rowsSelectionAndRefill() {
        ReportList list;
        fill(list);
        QVERIFY(list.isColumnHidden(2));
        QCOMPARE(list.header()->sectionSize(2), 0);
        QSignalSpy current(&list, &ReportList::currentRowChanged);
        QSignalSpy doubled(&list, &ReportList::rowDoubleClicked);

        list.setCurrentRow(2);
        list.setCurrentRow(4);  // single selection: the new row alone
        QCOMPARE(current.count(), 2);
        QCOMPARE(list.selectedRows(), QList<int>{4});
        list.setMultiSelection(true);
        list.setRowSelected(1, true);
        list.removeRow(0);
        QCOMPARE(list.selectedRows(), (QList<int>{0, 3}));
        QCOMPARE(list.findRow("6", 2), 4);

        const QRect cell = list.visualRect(list.model()->index(1, 1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(doubled.count(), 1);
        QCOMPARE(doubled.last().at(0).toInt(), 1);
        QTest::keyClick(&list, Qt::Key_Return);  // Enter is a double click on the current row
        QCOMPARE(doubled.count(), 2);
        QCOMPARE(doubled.last().at(0).toInt(), 1);

        list.sortRows(0, Qt::AscendingOrder);
        list.setColumnWidth(0, 222);  // the clerk widened the column
        std::vector<QStringList> rows{{"Zec", "1"}, {"Anis", "2", "9"}};  // no text for Zec's id
        list.setRows(std::move(rows));
        QVERIFY(list.isColumnHidden(2));
        QCOMPARE(list.columnWidth(0), 222);
        QCOMPARE(list.sortColumn(), -1);  // a refill shows the rows as given
        QCOMPARE(list.text(0, 2), QString());
        QCOMPARE(list.text(1, 2), QString("9"));
        QCOMPARE(list.text(5, 0), QString());
        list.clear();
        QCOMPARE(current.last().at(0).toInt(), -1);
    }

    // A large list fills and sorts whole: stable, in the Croatian letter order, the current row
    // following its row. (How fast is measured by the benchmark, not here.)
    void largeList() {
        const int n = 20000;
        std::vector<QStringList> rows(n);
        QRandomGenerator random(7);
        const QStringList names{"čavao", "Cijev", "ćup", "Daska", "đubrivo", "Šaraf"};
        for (int i = 0; i < n; ++i)
            rows[size_t(i)] = {
                names[int(random.bounded(6))] + QString::number(random.bounded(1000)),
                QString::number(random.bounded(100000)), QString::number(i)};
        ReportList list;
        fill(list, true);

        list.setRows(std::move(rows));
        list.setCurrentRow(n - 1);
        QCoreApplication::processEvents();
        QCOMPARE(list.rowCount(), n);
        clickHeading(list, 0);
        QCoreApplication::processEvents();
        for (int r = 1; r < n; ++r) {
            const int c = kl::compareText(list.text(r - 1, 0), list.text(r, 0));
            QVERIFY(c <= 0);
            if (c == 0) QVERIFY(list.text(r - 1, 2).toInt() < list.text(r, 2).toInt());  // stable
        }
        QCOMPARE(list.text(list.currentRow(), 2), QString::number(n - 1));
    }

    // The order by ranks is the order a stable sort by the collation gives, both ways: texts
    // equal but for letter case tie and keep their order; č, ć, dž, đ, lj, nj, š, ž in their
    // Croatian places; empty texts and missing cells first; long texts and letters of any plane
    // in their places.
    void sortedOrderIsTheStableSort() {
        const QStringList words{
            "Čavao", "čavao", "Cavao", "ćup", "Dž", "dz", "Džep", "Đak", "d", "Lj", "L", "lz", "Nj",
            "nz", "Šaraf", "sz", "ž", "Z", "", " a", "A", "a1", "a10", "a2", "Ž",
            // beyond the first twelve letters, and letters past U+E000 and
            // outside the BMP at every place
            "Vijak M8x40 pocinčani", "vijak m8x40 POCINČANI", "Vijak M8x40 pocincani",
            "Vijak M8x40 pocinčan", "Vijak M8x40 ", "Vijak M8x40", "ab\uE000c", "ab\uE001",
            "ab\uE000", "Ab😀", "ab😀a", "a\uFFFF", "\uFB01", "😀", "Vijak M8x40 \uE000",
            "Vijak M8x40 z", "Vijak M8x40 pocinčani, kutija 100",
            "vijak M8x40 pocinčani, kutija 50", "Vijak M8x40 pocinčani, kutija"};
        QRandomGenerator random(3);
        std::vector<QString> texts;
        for (int i = 0; i < 400; ++i)
            texts.push_back(words[int(random.bounded(qint64(words.size())))]);
        std::vector<const QString*> pointers;
        for (const QString& t : texts)
            pointers.push_back(&t);
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            std::vector<int> expected(texts.size());
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                const int c = kl::compareText(texts[size_t(a)], texts[size_t(b)]);
                return order == Qt::AscendingOrder ? c < 0 : c > 0;
            });
            QCOMPARE(kl::sortedOrder(pointers, order), expected);
        }

        // The same texts as a list sorts them: rows sharing one text of the pool, and equal
        // texts added twice to it, as a report's builder fills its rows.
        kl::ReportRows rows;
        std::vector<kl::ReportRows::TextId> first, second;
        for (const QString& w : words) {
            first.push_back(rows.addText(w));
            second.push_back(rows.addText(w));
        }
        for (size_t i = 0; i < texts.size(); ++i) {
            const int w = int(words.indexOf(texts[i]));
            rows.appendRow({(i % 3 ? first : second)[size_t(w)], rows.addFigure(double(i % 7)),
                            rows.addText(QString::number(i))});
        }
        // Figures read past the keys' twelve letters: their order is the texts'.
        rows.setFigureFormat([](double v) { return "Ukupni iznos: " + QString::number(v); });
        ReportList list;
        list.setColumns({{"Naziv", 100}, {"Iznos", 100}, {"Red", 100}});
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            for (const int column : {0, 1}) {
                list.setRows(kl::ReportRows(rows));
                std::vector<int> expected(size_t(rows.count()));
                std::iota(expected.begin(), expected.end(), 0);
                std::stable_sort(expected.begin(), expected.end(), [&](int x, int y) {
                    const int c = kl::compareText(rows.text(x, column), rows.text(y, column));
                    return order == Qt::AscendingOrder ? c < 0 : c > 0;
                });
                list.sortRows(column, order);
                for (int r = 0; r < list.rowCount(); ++r)
                    QCOMPARE(list.rowTexts(r), rows.rowTexts(expected[size_t(r)]));
            }
        }
    }

    // After a sort every change reaches the row shown where it was asked for, and the rows
    // asked for whole come in the order shown; a second sort keeps the order of the first among
    // rows it finds equal.
    void changesAfterASort_data() {
        QTest::addColumn<int>("change");
        QTest::newRow("rows whole") << 0;
        QTest::newRow("text set") << 1;
        QTest::newRow("row removed") << 2;
        QTest::newRow("row added") << 3;
    }
    void changesAfterASort() {
        QFETCH(int, change);
        ReportList list;
        list.setColumns({{"Naziv", 100}, {"Iznos", 100}, {"Red", 100}});
        std::vector<QStringList> given;
        for (int i = 0; i < 12; ++i)
            given.push_back(
                {QStringList{"b", "a", "c"}[i % 3], QString::number(i % 4), QString::number(i)});
        std::vector<QStringList> rows = given;
        list.setRows(std::move(rows));
        list.sortRows(1, Qt::DescendingOrder);
        list.sortRows(0, Qt::AscendingOrder);
        // By name, and among equal names by amount downwards, then as given.
        std::vector<QStringList> expected = given;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const QStringList& x, const QStringList& y) { return x[1] > y[1]; });
        std::stable_sort(expected.begin(), expected.end(),
                         [](const QStringList& x, const QStringList& y) { return x[0] < y[0]; });
        switch (change) {
            case 1:
                list.setText(5, 2, "novo");
                expected[5][2] = "novo";
                break;
            case 2:
                list.removeRow(5);
                expected.erase(expected.begin() + 5);
                break;
            case 3:
                list.addRow({"a", "9", "kraj"});
                expected.push_back({"a", "9", "kraj"});
                break;
        }
        const auto showsExpected = [&] {
            QCOMPARE(list.rowCount(), int(expected.size()));
            for (int r = 0; r < list.rowCount(); ++r)
                QCOMPARE(list.rowTexts(r), expected[size_t(r)]);
        };
        showsExpected();
        const kl::ReportRows& whole = list.rows();
        for (int r = 0; r < whole.count(); ++r)
            QCOMPARE(whole.rowTexts(r), expected[size_t(r)]);
        showsExpected();  // and the list shows them as before
    }

    // A copy of rows shares their cells until one of the two changes: a change of either leaves
    // the other as it was.
    void copiesKeepTheirRows_data() {
        QTest::addColumn<int>("change");
        QTest::newRow("text set") << 0;
        QTest::newRow("row removed") << 1;
        QTest::newRow("rows reordered") << 2;
        QTest::newRow("row appended") << 3;
        QTest::newRow("row wider") << 4;
    }
    void copiesKeepTheirRows() {
        QFETCH(int, change);
        kl::ReportRows original;
        original.appendRow(QStringList{"a", "1"});
        original.appendRow(QStringList{"b", "2"});
        const auto textsOf = [](const kl::ReportRows& r) {
            QStringList all;
            for (int i = 0; i < r.count(); ++i)
                all << r.rowTexts(i).join('|');
            return all;
        };
        const QStringList before = textsOf(original);
        for (const bool changeCopy : {true, false}) {
            kl::ReportRows a = original, b = original;
            kl::ReportRows& changed = changeCopy ? b : a;
            switch (change) {
                case 0:
                    changed.setText(0, 1, "x");
                    break;
                case 1:
                    changed.removeRow(0);
                    break;
                case 2:
                    changed.reorder({1, 0});
                    break;
                case 3:
                    changed.appendRow(QStringList{"c", "3"});
                    break;
                default:
                    changed.appendRow(QStringList{"c", "3", "wide"});
                    break;
            }
            QVERIFY(textsOf(changed) != before);
            QCOMPARE(textsOf(changeCopy ? a : b), before);
            QCOMPARE(textsOf(original), before);
        }
    }

    // Rows selected at once, in runs and alone, add to the selection there is.
    void selectRows() {
        ReportList list;
        fill(list);
        list.setMultiSelection(true);
        list.setRowSelected(4, true);
        list.selectRows({0, 1, 2, 5});
        QCOMPARE(list.selectedRows(), (QList<int>{0, 1, 2, 4, 5}));
        QVERIFY(list.isRowSelected(1) && !list.isRowSelected(3));
    }
};

QTEST_MAIN(TstReportList)
#include "tst_reportlist.moc"
