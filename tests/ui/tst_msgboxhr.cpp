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

// How the real dialog is answered.
constexpr int kClickFirst = 0, kEsc = 1, kCloseWindow = 2;

}  // namespace

class TestMsgBoxHr : public QObject {
    Q_OBJECT

  private slots:
    void buttonSets_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<int>>("results");
        QTest::addColumn<int>("defaultButton");
        const QStringList ok{"U redu"}, okCancel{"U redu", "Odustani"},
            ari{"Prekini", "Ponovi", "Zanemari"}, ync{"Da", "Ne", "Odustani"}, yn{"Da", "Ne"},
            rc{"Ponovi", "Odustani"};
        const QList<int> rOk{1}, rOkCancel{1, 2}, rAri{3, 4, 5}, rYnc{6, 7, 2}, rYn{6, 7},
            rRc{4, 2};
        QTest::newRow("0") << 0 << ok << rOk << 0;
        QTest::newRow("1") << 1 << okCancel << rOkCancel << 0;
        QTest::newRow("2") << 2 << ari << rAri << 0;
        QTest::newRow("3") << 3 << ync << rYnc << 0;
        QTest::newRow("4") << 4 << yn << rYn << 0;
        QTest::newRow("5") << 5 << rc << rRc << 0;
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
    }

    void buttonSets() {
        QFETCH(int, style);
        QFETCH(QStringList, captions);
        QFETCH(QList<int>, results);
        QFETCH(int, defaultButton);
        QCOMPARE(msgBoxCaptions(style), captions);
        QCOMPARE(msgBoxResults(style), results);

        test::ScriptedMsgBox script;  // unanswered: the default button is pressed
        QCOMPARE(MsgBoxHr(QStringLiteral("?"), style), results.at(defaultButton));
        QCOMPARE(script.last().buttons, captions);
        QCOMPARE(script.last().defaultButton, defaultButton);
        QVERIFY(!script.last().plain);
    }

    void seamRecordsAndAnswers() {
        test::ScriptedMsgBox script;
        script.answer(MsgResult::No).answer(MsgResult::Cancel);
        QCOMPARE(MsgBoxHr(QStringLiteral("Obrisati?\nStavka 3"), 36), MsgResult::No);
        QCOMPARE(script.last().prompt, QStringLiteral("Obrisati?\nStavka 3"));
        QCOMPARE(script.last().title, applicationTitle());
        QCOMPARE(applicationTitle(), QStringLiteral("Knjige Lumen"));

        QCOMPARE(plainMsgBox(QStringLiteral("x"), 3, QStringLiteral("Baza")), MsgResult::Cancel);
        QCOMPARE(script.last().title, QStringLiteral("Baza"));
        QCOMPARE(script.last().buttons, (QStringList{"Yes", "No", "Cancel"}));
        QCOMPARE(script.last().results, (QList<int>{6, 7, 2}));
        QVERIFY(script.last().plain);
        QCOMPARE(script.count(), 2);
    }

    void realDialog_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("focused");  // the default button, with the focus
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("expected");
        QTest::newRow("276 Da clicked") << 276 << "Ne" << kClickFirst << "" << MsgResult::Yes;
        QTest::newRow("ok, Esc") << 0 << "U redu" << kEsc << "Naslov" << MsgResult::Ok;
        QTest::newRow("abort/retry/ignore, Esc")
            << 2 << "Prekini" << kEsc << "" << MsgResult::Abort;
        QTest::newRow("yes/no/cancel, Esc") << 3 << "Da" << kEsc << "" << MsgResult::Cancel;
        QTest::newRow("yes/no, Esc") << 4 << "Da" << kEsc << "" << MsgResult::No;
        QTest::newRow("yes/no, closed") << 36 << "Da" << kCloseWindow << "" << MsgResult::No;
    }
    void realDialog() {
        QFETCH(int, style);
        QFETCH(QString, focused);
        QFETCH(int, action);
        QFETCH(QString, title);
        QFETCH(int, expected);
        const QString prompt = QStringLiteral("Obrisati <b>stavku</b>?\nNe može se vratiti.");
        QStringList captions;
        QString focusedText, shownTitle, shownText;
        bool plainText = false, isDefault = false;
        onModal([&](QDialog* d) {
            captions = captionsOf(d);
            shownTitle = d->windowTitle();
            if (auto* label = d->findChild<QLabel*>(QStringLiteral("msgprompt"))) {
                shownText = label->text();
                plainText = label->textFormat() == Qt::PlainText;
            }
            if (auto* f = qobject_cast<QPushButton*>(d->focusWidget())) {
                focusedText = f->text();
                isDefault = f->isDefault();
            }
            if (action == kEsc)
                QTest::keyClick(d, Qt::Key_Escape);
            else if (action == kCloseWindow)
                d->close();
            else if (auto* first = d->findChild<QPushButton*>(QStringLiteral("msgbutton0")))
                QTest::mouseClick(first, Qt::LeftButton);
            else
                d->reject();
        });
        QCOMPARE(MsgBoxHr(prompt, style, title), expected);
        QCOMPARE(captions, msgBoxCaptions(style));
        QCOMPARE(focusedText, focused);
        QVERIFY(isDefault);
        QCOMPARE(shownTitle, title.isEmpty() ? QStringLiteral("Knjige Lumen") : title);
        QCOMPARE(shownText, prompt);
        QVERIFY(plainText);
    }
};

QTEST_MAIN(TestMsgBoxHr)
#include "tst_msgboxhr.moc"
