// The article window as the clerk uses it: the entry list and what may go on it, storing the
// list, changing one article, closing with entries left, and the receipt window's lists kept
// up to date. Every message is checked as shown; which codes clash is tested in tst_masterdata.

#include "data/database.h"
#include "warehouse/frmartikli.h"
#include "warehousefixture.h"

#include <QPointer>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

constexpr int Exclamation = MsgStyle::OkOnly | MsgStyle::Exclamation;

// Types an article into the fields and puts it on the list as "Dodaj na listu" does.
void enter(frmartikli* w, const QString& code, const QString& name,
           const QString& barcode = QString()) {
    field(w, "txtsifra")->setText(code);
    field(w, "txtbarkod")->setText(barcode);
    field(w, "txtnaziv")->setText(name);
    field(w, "txtjedmjere")->setText(QStringLiteral("kom"));
    w->addToList();
}

// Code, bar code, name, unit and minimum quantity as the fields show them.
QStringList fieldTexts(QWidget* w) {
    QStringList texts;
    for (const char* f : {"txtsifra", "txtbarkod", "txtnaziv", "txtjedmjere", "txtminkolicina"})
        texts.append(field(w, f)->text());
    return texts;
}

const QStringList kEmptyFields = {"", "", "", "", "0,00"};

}  // namespace

class TstFrmArtikli : public WarehouseWindowTest {
    Q_OBJECT

    frmartikli* open() {
        auto* w = new frmartikli;
        w->setAttribute(Qt::WA_DeleteOnClose);
        return shown(w);
    }

  private slots:
    // Code, name, unit and minimum quantity make an entry; the bar code may stay empty.
    void entering() {
        frmartikli* w = open();
        QVERIFY(w);
        const QString caption = QStringLiteral("Unos novog artikla     Pomoć  F1");
        QCOMPARE(w->windowTitle(), caption);
        QVERIFY(field(w, "txtsifra")->hasFocus());
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), caption);
        for (const char* b :
             {"cmddodaj", "cmdbrisi", "cmdprihvati", "cmdeditiraj", "cmdizmjena", "cmdne"})
            QVERIFY2(!button(w, b)->isEnabled(), b);
        QCOMPARE(fieldTexts(w), kEmptyFields);

        QPushButton* add = button(w, "cmddodaj");
        field(w, "txtsifra")->setText(QStringLiteral("A1"));
        // The book holds 30 characters of a name: the field takes no more, so nothing is cut.
        const QString name(30, QLatin1Char('v'));
        field(w, "txtnaziv")->setText(name + QLatin1Char('v'));
        QVERIFY(!add->isEnabled());
        field(w, "txtjedmjere")->setText(QStringLiteral("kom"));
        QVERIFY(add->isEnabled());
        field(w, "txtminkolicina")->clear();
        QVERIFY(!add->isEnabled());
        field(w, "txtminkolicina")->setText(QStringLiteral("5"));
        click(w, "cmddodaj");
        QCOMPARE(list(w, "lsvartikli")->rowTexts(0), QStringList({"A1", "", name, "kom", "5,00"}));
        QCOMPARE(fieldTexts(w), kEmptyFields);
        QVERIFY(!add->isEnabled());
        QVERIFY(button(w, "cmdbrisi")->isEnabled() && button(w, "cmdprihvati")->isEnabled());
        QVERIFY(field(w, "txtsifra")->hasFocus());
    }

    // Each clash keeps the article off the list with its own message, and nothing is emptied.
    void entryListRules_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        auto row = [](const char* name, const QString& code, const QString& barcode,
                      const QString& title, const QString& prompt, const QString& focus) {
            QTest::newRow(name) << code << barcode << said(Exclamation, title, prompt) << focus;
        };
        // On the list: A1 (bar code 385), B1 (none). In the book: S1 (bar code 777), S2 (none).
        row("code on the list", "A1", "", "Šifra postoji",
            "Ista šifra postoji već na listi desno, promjenite šifru", "txtsifra");
        row("bar code on the list", "A2", "385", "Barkod postoji!",
            "Isti barkod postoji već na listi desno, promjenite barkod", "txtbarkod");
        row("code in the book", "S1", "", "Šifra postoji",
            "Šifra artikla postoji, ne može se unijeti ista šifra", "txtsifra");
        row("bar code in the book", "A2", "777", "Barkod postoji!",
            "Isti barkod postoji već u bazi artikala! Promjenite barkod!", "txtbarkod");
    }
    void entryListRules() {
        QFETCH(QString, code);
        QFETCH(QString, barcode);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        addArticle(book_, "S1", "U knjizi", 0, 0, 0, "kom", 0, "777");
        addArticle(book_, "S2", "U knjizi bez barkoda");
        frmartikli* w = open();
        QVERIFY(w);
        enter(w, "A1", "Prvi", "385");
        enter(w, "B1", "Drugi");
        QCOMPARE(w->entryCount(), 2);
        enter(w, code, "Novi", barcode);
        QCOMPARE(said(*box_), QStringList{message});
        QCOMPARE(w->entryCount(), 2);
        QCOMPARE(fieldTexts(w), QStringList({code, barcode, "Novi", "kom", "0,00"}));
        QVERIFY(field(w, qPrintable(focus))->hasFocus());
    }

    // Editing waits for an empty entry list; the list is stored after OK only, and a list that
    // cannot be stored is kept whole (the first article taken back), the clerk told why.
    void storingTheList() {
        addArticle(book_, "S1", "Stari");
        frmartikli* w = open();
        QVERIFY(w);
        enter(w, "A1", "Vijak", "385");
        enter(w, "A2", "Matica");
        ReportList* all = list(w, "lsvsviartikli");
        clickRow(all, QStringLiteral("Stari"), 2);
        click(w, "cmdeditiraj");
        QVERIFY(!w->isEditing());
        for (const char* b : {"cmdizmjena", "cmdeditiraj", "cmdne"})
            QVERIFY2(!button(w, b)->isEnabled(), b);
        QVERIFY(executeRaw(book_,
                           "create trigger fail before insert on artikli when "
                           "new.sifra='A2' begin select raise(abort,'forced'); end"));
        for (const int answer : {MsgResult::Cancel, MsgResult::Ok, MsgResult::Ok}) {
            const bool stored = box_->count() == 4;
            if (stored) QVERIFY(executeRaw(book_, "drop trigger fail"));
            box_->answer(answer);
            click(w, "cmdprihvati");
            QCOMPARE(rowCount(book_, "artikli"), stored ? 3 : 1);
            QCOMPARE(w->entryCount(), stored ? 0 : 2);
        }
        QVERIFY2(reportsDbError(box_->shown()[3],
                                "Artikli s liste nisu spremljeni; lista je ostala "
                                "kakva je bila.\n"),
                 qPrintable(said(*box_).join('\n')));
        const QString ask = said(MsgStyle::OkCancel | MsgStyle::Question, "Unošenje podataka",
                                 "Unosimo u bazu artikle iz liste desno");
        QCOMPARE(said(*box_).mid(0, 3) + said(*box_).mid(4),
                 QStringList({said(Exclamation, "Lista za unošenje nije prazna!",
                                   " Editiranje onemogućeno. Trebali bi prvo riješiti "
                                   "listu za unošenje. Obrisati listu ili je unijeti"),
                              ask, ask, ask}));
        QVERIFY(!button(w, "cmdprihvati")->isEnabled() && !button(w, "cmdbrisi")->isEnabled());
        QCOMPARE(all->rowCount(), 3);
        QCOMPARE(all->rowTexts(1), QStringList({"A1", "385", "Vijak", "kom", "0,00", "2"}));
        QCOMPARE(all->rowTexts(2), QStringList({"A2", "", "Matica", "kom", "0,00", "3"}));
    }

    // A change of S1 (opened by a double click): refused with its message, stored after Yes, or
    // left by No or by "Odustajem od promjene". Only a changed code is checked.
    void changingAnArticle_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer");  // 0: the cancel button instead of saving
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("outcome");  // refused, stored, left
        const QStringList sure = {said(MsgStyle::YesNo | MsgStyle::Question, "Izmjena: S1",
                                       "Želite mijenjati artikl pod šifrom: S1")};
        using L = QStringList;
        dataRow("only the name", "S1", "Novi naziv", int(MsgResult::Yes), sure, "stored");
        dataRow("code of another article", "S2", "Stari", int(MsgResult::Yes),
                L{said(Exclamation, "Šifra postoji",
                       "Šifra artikla postoji, ne može se unijeti ista šifra")},
                "refused");
        dataRow("empty name", "S1", "", int(MsgResult::Yes),
                L{said(MsgStyle::OkOnly | MsgStyle::Question, "Unos nepotpun",
                       "Sve osim barkoda mora biti unešeno!")},
                "refused");
        dataRow("answered no", "S1", "Novi", int(MsgResult::No), sure, "left");
        dataRow("cancel button", "S1", "Novi", 0, L{}, "left");
    }
    void changingAnArticle() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(QString, outcome);
        addArticle(book_, "S1", "Stari", 0, 0, 0, "kom", 1.5, "385");
        addArticle(book_, "S2", "Drugi");
        frmartikli* w = open();
        QVERIFY(w);
        ReportList* all = list(w, "lsvsviartikli");
        clickRow(all, QStringLiteral("Stari"), 2, true);
        QVERIFY(w->isEditing());
        QCOMPARE(fieldTexts(w), QStringList({"S1", "385", "Stari", "kom", "1,50"}));
        auto captions = [w] {
            return button(w, "cmdizmjena")->text() + " / " + button(w, "cmdne")->text();
        };
        QCOMPARE(captions(), QStringLiteral("Izmjena: S1 / &Odustajem od promjene: S1"));
        QVERIFY(!button(w, "cmddodaj")->isEnabled() && !button(w, "cmdeditiraj")->isEnabled());

        field(w, "txtsifra")->setText(code);
        field(w, "txtnaziv")->setText(name);
        box_->answer(answer);
        click(w, answer ? "cmdizmjena" : "cmdne");
        QCOMPARE(said(*box_), messages);
        const bool stored = outcome == QLatin1String("stored");
        QCOMPARE(loadArticles(book_).front().naziv, stored ? name : QStringLiteral("Stari"));
        QCOMPARE(w->isEditing(), outcome == QLatin1String("refused"));
        if (w->isEditing()) {
            QVERIFY(field(w, "txtsifra")->hasFocus());
            return;
        }
        QCOMPARE(captions(),
                 stored ? "I&zmjena / Ostajem od promjene" : "Izmjena / Odustajem od promjene");
        QCOMPARE(all->rowTexts(0).mid(0, 5),
                 QStringList({"S1", "385", stored ? name : "Stari", "kom", "1,50"}));
        QCOMPARE(fieldTexts(w), kEmptyFields);
    }

    // Closing ("Izlaz") with entries on the list: Cancel keeps window and list, No drops the
    // entries, Yes stores them without asking again. A list emptied again asks nothing.
    void closingWithEntries_data() {
        QTest::addColumn<int>("answer");  // 0: the entries were taken off the list first
        QTest::addColumn<bool>("stays");
        QTest::addColumn<int>("stored");
        dataRow("cancel", int(MsgResult::Cancel), true, 0);
        dataRow("no", int(MsgResult::No), false, 0);
        dataRow("yes", int(MsgResult::Yes), false, 2);
        dataRow("list emptied", 0, false, 0);
    }
    void closingWithEntries() {
        QFETCH(int, answer);
        QFETCH(bool, stays);
        QFETCH(int, stored);
        QPointer<frmartikli> w = open();
        QVERIFY(w);
        enter(w, "A1", "Vijak");
        enter(w, "A2", "Matica");
        for (int i = 0; i < 2 && !answer; ++i) {
            list(w, "lsvartikli")->setCurrentRow(0);
            click(w, "cmdbrisi");
        }
        box_->answer(answer);
        click(w, "cmdodustani");
        QTest::qWait(10);
        QStringList asked;
        if (answer)
            asked << said(MsgStyle::YesNoCancel | MsgStyle::Question, "Posprema u skladište",
                          "Želite li pospremiti u skladište artikle na listi desno?");
        QCOMPARE(said(*box_), asked);
        QCOMPARE(w.isNull(), !stays);
        if (stays) QVERIFY(w->isVisible() && w->entryCount() == 2);
        QCOMPARE(rowCount(book_, "artikli"), stored);
    }

    // Opened from the receipt window, opening and storing leave the last article chosen there;
    // closing after entries refills its lists in name order whoever opened the window.
    void receiptWindowFollows_data() {
        QTest::addColumn<bool>("fromDocument");
        dataRow("opened from the receipt window", true);
        dataRow("opened from the menu", false);
    }
    void receiptWindowFollows() {
        QFETCH(bool, fromDocument);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        addArticle(book_, "S1", "Žica");
        context().calledFromDocument = fromDocument;
        QPointer<frmartikli> w = open();
        QVERIFY(w);
        QCOMPARE(document->chosen, fromDocument ? "1 S1 Žica" : "");
        enter(w, "A1", "Vijak");
        enter(w, "A2", "Matica");
        box_->answer(MsgResult::Ok);
        QVERIFY(w->storeList());
        QCOMPARE(document->shown,
                 fromDocument ? QStringList({"S1 Žica", "A1 Vijak", "A2 Matica"}) : QStringList());
        QCOMPARE(document->chosen, fromDocument ? "3 A2 Matica" : "");

        w->close();
        QTest::qWait(10);
        QVERIFY(w.isNull());
        QCOMPARE(document->choiceRefreshes, 1);
        QCOMPARE(document->choices, QStringList({"3 A2 Matica", "2 A1 Vijak", "1 S1 Žica"}));
        QVERIFY(!context().calledFromDocument);
        QVERIFY(!document->isVisible());
    }
};

QTEST_MAIN(TstFrmArtikli)
#include "tst_frmartikli.moc"
