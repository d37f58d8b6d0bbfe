// The report box: how a report's text is split into lines, and what the clerk selects with the
// mouse and the keys, as the print and the clipboard receive it.

#include "testenv.h"
#include "ui/reportview.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

using namespace kl;
using Position = ReportView::Position;

Q_DECLARE_METATYPE(Position)

namespace {

const QString kReport = QStringLiteral(
    "Kupci na dan: 05.12.2026\r\n"
    "\r\n"
    "Naziv      Mjesto\r\n"
    "Oba d.o.o. Velika Gorica\r\n"
    "Proizvodnja\r\n");

// The point in the middle of the character cell of `p` (a column past the end of its line is
// still a point on that line).
QPoint pointOf(const ReportView& v, Position p) {
    const QFontMetricsF fm(v.font());
    const qreal w = fm.horizontalAdvance(QString(100, QLatin1Char('M'))) / 100;
    return QPointF(4 + p.column * w + w / 4, (p.line - v.firstVisibleLine()) * fm.lineSpacing() + 2)
        .toPoint();
}

}  // namespace

class TstReportView : public QObject {
    Q_OBJECT
  private slots:
    void lines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        kl::test::dataRow("CR LF, one after the last line", QString("ab\r\ncd\r\n"),
                          QStringList{"ab", "cd"});
        kl::test::dataRow("an empty line between", QString("ab\r\n\r\ncd"),
                          QStringList{"ab", "", "cd"});
        kl::test::dataRow("LF and a lone CR", QString("ab\ncd\ref"), QStringList{"ab", "cd", "ef"});
        kl::test::dataRow("LF CR and CR CR LF", QString("ab\n\rcd\r\r\nef"),
                          QStringList{"ab", "", "cd", "", "ef"});
        kl::test::dataRow("only a line end", QString("\r\n"), QStringList{""});
        kl::test::dataRow("nothing", QString(), QStringList{});
    }
    void lines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        ReportView v;
        v.setText(text);
        QStringList got;
        for (int i = 0; i < v.lineCount(); ++i)
            got.append(v.line(i));
        QCOMPARE(got, lines);
        QCOMPARE(v.toPlainText(), lines.join('\n'));
    }

    void selectedText_data() {
        QTest::addColumn<Position>("anchor");
        QTest::addColumn<Position>("cursor");
        QTest::addColumn<QString>("selected");
        kl::test::dataRow("part of a line", Position{3, 0}, Position{3, 3}, QString("Oba"));
        kl::test::dataRow("backwards over lines, CR LF between", Position{3, 3}, Position{2, 11},
                          QString("Mjesto\r\nOba"));
        kl::test::dataRow("whole lines with an empty one", Position{0, 0}, Position{2, 5},
                          QString("Kupci na dan: 05.12.2026\r\n\r\nNaziv"));
        kl::test::dataRow("past the ends: clamped to the text", Position{-3, -1}, Position{99, 99},
                          QString(kReport).chopped(2));
        kl::test::dataRow("nothing", Position{1, 0}, Position{1, 0}, QString());
    }
    void selectedText() {
        QFETCH(Position, anchor);
        QFETCH(Position, cursor);
        QFETCH(QString, selected);
        ReportView v;
        v.setText(kReport);
        v.setSelection(anchor, cursor);
        QCOMPARE(v.selectedText(), selected);
        QCOMPARE(v.hasSelection(), !selected.isEmpty());
        // A new report drops the selection.
        v.setText(kReport);
        QVERIFY(!v.hasSelection());
    }

    void mouseSelects() {
        ReportView v;
        v.resize(400, 200);
        v.setText(kReport);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QWidget* vp = v.viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, pointOf(v, {2, 11}));
        QMouseEvent move(QEvent::MouseMove, pointOf(v, {3, 3}), vp->mapToGlobal(pointOf(v, {3, 3})),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, pointOf(v, {3, 3}));
        QCOMPARE(v.selectedText(), QString("Mjesto\r\nOba"));
        // Shift+click moves the end, the start stays.
        QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, pointOf(v, {4, 6}));
        QCOMPARE(v.selectedText(), QString("Mjesto\r\nOba d.o.o. Velika Gorica\r\nProizv"));
        // A double click takes the word under the pointer; a click drops the selection.
        QTest::mouseDClick(vp, Qt::LeftButton, {}, pointOf(v, {0, 16}));
        QCOMPARE(v.selectedText(), QString("05.12.2026"));
        QTest::mouseClick(vp, Qt::LeftButton, {}, pointOf(v, {1, 0}));
        QVERIFY(!v.hasSelection());
    }

    void keysSelectScrollAndCopy() {
        ReportView v;
        v.resize(400, 120);
        QString text;
        for (int i = 1; i <= 100; ++i)
            text += QStringLiteral("Redak %1\r\n").arg(i);
        v.setText(text);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        v.setFocus();
        QTest::keyClick(&v, Qt::Key_Down);
        QTest::keyClick(&v, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(v.selectedText(), QString("Redak 2"));
        QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&v, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(v.selectedText(), QString("Redak 2\r\nRedak "));
        QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("Redak 2\r\nRedak "));
        // Moving without Shift drops the selection; Ctrl+End goes to the end and shows it.
        QTest::keyClick(&v, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(!v.hasSelection());
        QVERIFY(v.firstVisibleLine() > 0);
        QCOMPARE(v.firstVisibleLine(), v.verticalScrollBar()->maximum());
        QTest::keyClick(&v, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(v.firstVisibleLine(), 0);
        QCOMPARE(v.selectedText(), QString(text).chopped(2));
        QTest::keyClick(&v, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(v.selectedText(), QString(text).chopped(2));
        // The end of the widest line can be scrolled into view.
        v.setText(QString(130, u'x') + "\r\n");
        QTest::keyClick(&v, Qt::Key_End);
        QCOMPARE(v.horizontalScrollBar()->value(), v.horizontalScrollBar()->maximum());
        QVERIFY(v.horizontalScrollBar()->maximum() + v.viewport()->width() >=
                QFontMetricsF(v.font()).horizontalAdvance(QString(130, u'x')));
        // Painting a selection over several lines and the caret does not fail.
        QVERIFY(!v.grab().isNull());
    }
};

QTEST_MAIN(TstReportView)
#include "tst_reportview.moc"
