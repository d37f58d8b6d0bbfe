// The Croatian message box: button sets and result codes of every style word, the test seam, and
// the real dialog (button order, default button, title, plain-text prompt, Esc and close box).

#include "scriptedmsgbox.h"
#include "ui/msgboxhr.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kl;

namespace {

// Runs fn on the modal dialog as soon as it is open (the caller then blocks in exec()).
void onModal(std::function<void(QDialog*)> fn) {
    QTimer::singleShot(10, [fn] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            fn(d);
        else
            onModal(fn);
    });
}

// How the real dialog is answered.
enum Action { ClickFirst, Esc, CloseWindow };

}  // namespace

class TestMsgBoxHr : public QObject {
    Q_OBJECT

  private slots:
    void buttonSets_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("set");  // the row of the tables in buttonSets()
        QTest::addColumn<int>("defaultButton");
        const int rows[][3] = {{0, 0, 0},   {1, 1, 0},   {2, 2, 0},  {3, 3, 0},  {4, 4, 0},
                               {5, 5, 0},   {6, 4, 0},   {7, 5, 0},  {16, 0, 0}, {32, 0, 0},
                               {33, 1, 0},  {35, 3, 0},  {36, 4, 0}, {48, 0, 0}, {64, 0, 0},
                               {273, 1, 1}, {276, 4, 1}, {515, 3, 2}};
        for (const auto& r : rows)
            QTest::addRow("%d", r[0]) << r[0] << r[1] << r[2];
    }
    void buttonSets() {
        QFETCH(int, style);
        QFETCH(int, set);
        QFETCH(int, defaultButton);
        const char* sets[] = {"U redu",         "U redu,Odustani", "Prekini,Ponovi,Zanemari",
                              "Da,Ne,Odustani", "Da,Ne",           "Ponovi,Odustani"};
        const QStringList captions = QString(sets[set]).split(',');
        const QList<QList<int>> results{{1}, {1, 2}, {3, 4, 5}, {6, 7, 2}, {6, 7}, {4, 2}};
        QCOMPARE(msgBoxCaptions(style), captions);
        QCOMPARE(msgBoxResults(style), results[set]);

        test::ScriptedMsgBox script;  // unanswered: the default button is pressed
        QCOMPARE(MsgBoxHr("Obrisati?\nStavka 3", style), results[set][defaultButton]);
        QCOMPARE(script.last().prompt, QString("Obrisati?\nStavka 3"));
        QCOMPARE(script.last().title, QString("Knjige Lumen"));
        QCOMPARE(script.last().buttons, captions);
        QCOMPARE(script.last().defaultButton, defaultButton);
        QVERIFY(!script.last().plain);
    }

    // The platform's plain box: English captions, the same codes, the title given.
    void plainBox() {
        test::ScriptedMsgBox script;
        script.answer(MsgResult::Cancel);
        QCOMPARE(plainMsgBox("x", 3, "Baza"), MsgResult::Cancel);
        QCOMPARE(script.last().title, QString("Baza"));
        QCOMPARE(script.last().buttons, (QStringList{"Yes", "No", "Cancel"}));
        QCOMPARE(script.last().results, (QList<int>{6, 7, 2}));
        QVERIFY(script.last().plain);
    }

    void realDialog_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("focused");  // the default button, with the focus
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("expected");
        QTest::newRow("276 Da clicked") << 276 << "Ne" << int(ClickFirst) << "" << MsgResult::Yes;
        QTest::newRow("ok, Esc") << 0 << "U redu" << int(Esc) << "Naslov" << MsgResult::Ok;
        QTest::newRow("abort/retry/ignore, Esc")
            << 2 << "Prekini" << int(Esc) << "" << MsgResult::Abort;
        QTest::newRow("yes/no/cancel, Esc") << 3 << "Da" << int(Esc) << "" << MsgResult::Cancel;
        QTest::newRow("yes/no, Esc") << 4 << "Da" << int(Esc) << "" << MsgResult::No;
        QTest::newRow("yes/no, closed") << 36 << "Da" << int(CloseWindow) << "" << MsgResult::No;
    }
    void realDialog() {
        QFETCH(int, style);
        QFETCH(QString, focused);
        QFETCH(int, action);
        QFETCH(QString, title);
        QFETCH(int, expected);
        const QString prompt("Obrisati <b>stavku</b>?\nNe može se vratiti.");
        onModal([&](QDialog* d) {
            QStringList captions;
            for (int i = 0; auto* b = d->findChild<QPushButton*>(QString("msgbutton%1").arg(i));
                 ++i)
                captions << b->text();
            auto* label = d->findChild<QLabel*>("msgprompt");
            auto* focus = qobject_cast<QPushButton*>(d->focusWidget());
            if (action == Esc)
                QTest::keyClick(d, Qt::Key_Escape);
            else if (action == CloseWindow)
                d->close();
            else
                QTest::mouseClick(d->findChild<QPushButton*>("msgbutton0"), Qt::LeftButton);
            // The box is answered; its widgets live until MsgBoxHr returns.
            QCOMPARE(captions, msgBoxCaptions(style));
            QVERIFY(focus && focus->isDefault());
            QCOMPARE(focus->text(), focused);
            QCOMPARE(d->windowTitle(), title.isEmpty() ? QString("Knjige Lumen") : title);
            QVERIFY(label && label->textFormat() == Qt::PlainText);
            QCOMPARE(label->text(), prompt);
        });
        QCOMPARE(MsgBoxHr(prompt, style, title), expected);
    }
};

QTEST_MAIN(TestMsgBoxHr)
#include "tst_msgboxhr.moc"
