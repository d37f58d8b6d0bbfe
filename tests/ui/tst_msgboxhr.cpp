#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "scriptedmsgbox.h"
#include "ui/msgboxhr.h"

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

QStringList captionsOf(QDialog* d) {
    QStringList out;
    for (int i = 0; auto* b = d->findChild<QPushButton*>(QStringLiteral("msgbutton%1").arg(i)); ++i)
        out << b->text();
    return out;
}

}  // namespace

class TestMsgBoxHr : public QObject {
    Q_OBJECT
  private slots:
    void buttonSets_data();
    void buttonSets();
    void seamRecordsAndAnswers();
    void realDialogClick();
    void realDialogEscape_data();
    void realDialogEscape();
};

void TestMsgBoxHr::buttonSets_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<int>("defaultButton");
    const QStringList ok{"U redu"}, okCancel{"U redu", "Odustani"},
        ari{"Prekini", "Ponovi", "Zanemari"}, ync{"Da", "Ne", "Odustani"}, yn{"Da", "Ne"},
        rc{"Ponovi", "Odustani"};
    const QList<int> rOk{1}, rOkCancel{1, 2}, rAri{3, 4, 5}, rYnc{6, 7, 2}, rYn{6, 7}, rRc{4, 2};
    QTest::newRow("0") << 0 << ok << rOk << 0;
    QTest::newRow("1") << 1 << okCancel << rOkCancel << 0;
    QTest::newRow("2") << 2 << ari << rAri << 0;
    QTest::newRow("3") << 3 << ync << rYnc << 0;
    QTest::newRow("4") << 4 << yn << rYn << 0;
    QTest::newRow("5") << 5 << rc << rRc << 0;
    QTest::newRow("6 falls to yes/no") << 6 << yn << rYn << 0;
    QTest::newRow("7 falls to retry/cancel") << 7 << rc << rRc << 0;
    QTest::newRow("16") << 16 << ok << rOk << 0;
    QTest::newRow("32") << 32 << ok << rOk << 0;
    QTest::newRow("33") << 33 << okCancel << rOkCancel << 0;
    QTest::newRow("35") << 35 << ync << rYnc << 0;
    QTest::newRow("36") << 36 << yn << rYn << 0;
    QTest::newRow("48") << 48 << ok << rOk << 0;
    QTest::newRow("64") << 64 << ok << rOk << 0;
    QTest::newRow("273") << 273 << okCancel << rOkCancel << 1;
    QTest::newRow("276") << 276 << yn << rYn << 1;
    QTest::newRow("515 third default") << 515 << ync << rYnc << 2;
    QTest::newRow("513 no third button") << 513 << okCancel << rOkCancel << 0;
}

void TestMsgBoxHr::buttonSets() {
    QFETCH(int, style);
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, results);
    QFETCH(int, defaultButton);
    QCOMPARE(msgBoxCaptions(style), captions);
    QCOMPARE(msgBoxResults(style), results);

    test::ScriptedMsgBox script;  // unanswered: the default button is pressed
    QCOMPARE(MsgBoxHr(QStringLiteral("?"), style), results.at(defaultButton));
    QCOMPARE(script.last().buttons, captions);
    QCOMPARE(script.last().results, results);
    QCOMPARE(script.last().defaultButton, defaultButton);
    QVERIFY(!script.last().plain);
}

void TestMsgBoxHr::seamRecordsAndAnswers() {
    test::ScriptedMsgBox script;
    script.answer(MsgResult::No).answer(MsgResult::Cancel);
    QCOMPARE(MsgBoxHr(QStringLiteral("Obrisati?\nStavka 3"), 36), MsgResult::No);
    QCOMPARE(script.last().prompt, QStringLiteral("Obrisati?\nStavka 3"));
    QCOMPARE(script.last().style, 36);
    QCOMPARE(script.last().title, applicationTitle());
    QCOMPARE(applicationTitle(), QStringLiteral("Knjige Lumen"));

    QCOMPARE(plainMsgBox(QStringLiteral("x"), 3, QStringLiteral("Baza")), MsgResult::Cancel);
    QCOMPARE(script.last().title, QStringLiteral("Baza"));
    QCOMPARE(script.last().buttons, (QStringList{"Yes", "No", "Cancel"}));
    QCOMPARE(script.last().results, (QList<int>{6, 7, 2}));
    QVERIFY(script.last().plain);
    QCOMPARE(script.count(), 2);
}

void TestMsgBoxHr::realDialogClick() {
    const QString prompt = QStringLiteral("Obrisati <b>stavku</b>?\nNe može se vratiti.");
    QStringList captions;
    QString focused, title, shownText;
    bool plainText = false, isDefault = false;
    onModal([&](QDialog* d) {
        captions = captionsOf(d);
        title = d->windowTitle();
        if (auto* label = d->findChild<QLabel*>(QStringLiteral("msgprompt"))) {
            shownText = label->text();
            plainText = label->textFormat() == Qt::PlainText;
        }
        if (auto* f = qobject_cast<QPushButton*>(d->focusWidget())) {
            focused = f->text();
            isDefault = f->isDefault();
        }
        if (auto* yes = d->findChild<QPushButton*>(QStringLiteral("msgbutton0")))
            QTest::mouseClick(yes, Qt::LeftButton);
        else
            d->reject();
    });
    QCOMPARE(MsgBoxHr(prompt, 276), MsgResult::Yes);
    QCOMPARE(captions, (QStringList{"Da", "Ne"}));
    QCOMPARE(focused, QStringLiteral("Ne"));
    QVERIFY(isDefault);
    QCOMPARE(title, QStringLiteral("Knjige Lumen"));
    QCOMPARE(shownText, prompt);
    QVERIFY(plainText);
}

void TestMsgBoxHr::realDialogEscape_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("closeBox");  // the window's close button instead of Esc
    QTest::addColumn<int>("expected");
    QTest::newRow("ok") << 0 << false << MsgResult::Ok;
    QTest::newRow("ok/cancel") << 1 << false << MsgResult::Cancel;
    QTest::newRow("abort/retry/ignore") << 2 << false << MsgResult::Abort;
    QTest::newRow("yes/no/cancel") << 3 << false << MsgResult::Cancel;
    QTest::newRow("yes/no") << 4 << false << MsgResult::No;
    QTest::newRow("yes/no closed") << 36 << true << MsgResult::No;
    QTest::newRow("retry/cancel closed") << 5 << true << MsgResult::Cancel;
}

void TestMsgBoxHr::realDialogEscape() {
    QFETCH(int, style);
    QFETCH(bool, closeBox);
    QFETCH(int, expected);
    onModal([closeBox](QDialog* d) {
        if (closeBox)
            d->close();
        else
            QTest::keyClick(d, Qt::Key_Escape);
    });
    QCOMPARE(MsgBoxHr(QStringLiteral("?"), style, QStringLiteral("Naslov")), expected);
}

QTEST_MAIN(TestMsgBoxHr)
#include "tst_msgboxhr.moc"
