// The receipt and issue window as the clerk meets it: each kind's setup, typing quantities and
// prices, the amount and its limit, lines and their checks, the available quantity of an issue,
// posting from the window and closing with lines. The stored rows of a posting are tested in
// tst_documents.

#include "warehouse/frmprimka.h"
#include "warehouse/masterdata.h"
#include "warehouse/warehousewindows.h"
#include "warehousefixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

constexpr int Exclamation = MsgStyle::OkOnly | MsgStyle::Exclamation;

QComboBox* combo(QWidget* w, const char* name) {
    return control<QComboBox>(w, QString::fromLatin1(name));
}

QString labelOf(QWidget* w, QWidget* buddy) {
    for (QLabel* l : w->findChildren<QLabel*>())
        if (l->buddy() == buddy) return l->text();
    return {};
}

QStringList lineTexts(QWidget* w) {
    QStringList lines;
    ReportList* l = list(w, "lsvartprimka");
    for (int r = 0; r < l->rowCount(); ++r)
        lines.append(l->rowTexts(r).join(u'|'));
    return lines;
}

}  // namespace

class TstFrmPrimka : public WarehouseWindowTest {
    Q_OBJECT

    int kabel_ = 0, zica_ = 0;

    frmPrimka* open(const QString& mode) {
        context().documentMode = mode;
        return shown(windows().window<frmPrimka>(kDocumentWindowName));
    }
    void seed() {
        addPartner(book_, "d", "Dobavljač d.o.o.");
        addPartner(book_, "s", "Oboje");
        addDocumentType(book_, "Račun");
        kabel_ = addArticle(book_, "K1", "Kabel", 5, 7500, 1500);
        zica_ = addArticle(book_, "Z1", "Žica", 0, 0, 0);
    }
    // Chooses the article by name, types the quantity (and price), and adds the line with the
    // button (which must be enabled then).
    void addLine(frmPrimka* w, const QString& name, const QString& qty, const QString& price = {}) {
        w->chooseArticle(combo(w, "cbonaziv")->findText(name));
        field(w, "txtkolicina")->setText(qty);
        if (!price.isEmpty()) field(w, "txtcijena")->setText(price);
        click(w, "cmddodaj");
    }

  private slots:
    // What each kind shows; the first article chosen by typing its first letter; 10 000 of it at a
    // price typed as 1000, over the limit of a receipt's amount; then help mode on and off with F1.
    void kindSetup_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("expected");
        dataRow("receipt", "Primka",
                QStringList{"Primka      Pomoć  F1", "P", "Primka br:", "&Unos u skladište",
                            "document shown shown, article shown", "Dobavljač d.o.o.|Oboje",
                            "K1 Kabel, price editable 0,00, amount 0,00, available hidden",
                            said(MsgStyle::OkOnly | MsgStyle::Question, "Prevelik unos!",
                                 "Iznos ne smije prijeći 9 999 999 zbog bolje kontrole "
                                 "skladišta!\nNaš savjet:  Unesite u dvije primke"),
                            "F1 vrati se u mod unosa!", "Primka     Pomoć  F1"});
        dataRow("issue", "Izdatnica",
                QStringList{"Izdatnica         Pomoć F1 ", "I", "Izdatnica br:", "Iz&nos iz baze",
                            "document hidden hidden, article hidden", "Proizvodnja|Oboje",
                            "K1 Kabel, price locked 1500, amount 15000000,00, available 5,00", "",
                            "F1 vrati se u mod unosa!", "Izdatnica      Pomoć F1"});
    }
    void kindSetup() {
        QFETCH(QString, mode);
        QFETCH(QStringList, expected);
        seed();
        frmPrimka* w = open(mode);
        QVERIFY(w);
        QComboBox* partners = combo(w, "cbokd");
        QStringList names;
        for (int i = 0; i < partners->count(); ++i)
            names.append(partners->itemText(i));
        const auto visible = [](QWidget* c) { return c->isVisible() ? "shown" : "hidden"; };
        QStringList actual = {
            w->windowTitle(),
            control<QLabel>(w, "lblpi")->text(),
            labelOf(w, field(w, "txtprimka")),
            button(w, "cmdprihvati")->text(),
            QStringLiteral("document %1 %2, article %3")
                .arg(visible(combo(w, "cbodokument")), visible(button(w, "cmdnovidokument")),
                     visible(button(w, "cmdartikl"))),
            names.join(u'|')};

        QComboBox* articles = combo(w, "cbonaziv");
        articles->setFocus();
        QTest::keyClicks(articles, "k");  // chooses the first name starting with it
        field(w, "txtkolicina")->setText("10000");
        QLineEdit* price = field(w, "txtcijena");
        price->setFocus();
        price->selectAll();
        QTest::keyClicks(price, "1000");
        QLineEdit* available = field(w, "txtpokazkolicine");
        actual << QStringLiteral("%1 %2, price %3 %4, amount %5, available %6")
                      .arg(combo(w, "Cbosifra")->currentText(), articles->currentText(),
                           price->isReadOnly() ? "locked" : "editable", price->text(),
                           field(w, "txtiznos")->text(),
                           available->isVisible() ? available->text() : "hidden")
               << said(*box_).join(u';');

        QTest::keyClick(w, Qt::Key_F1);
        actual << w->windowTitle();
        QVERIFY(!control<QWidget>(w, "frameartikli")->isVisible());
        QTest::keyClick(w, Qt::Key_F1);
        actual << w->windowTitle();
        QCOMPARE(actual, expected);
    }

    // Typing into the quantity, then leaving it for the price.
    void quantityField_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<bool>("refused");  // "Možete upisati samo do 99 999!", the focus stays
        dataRow("comma first ignored", ",5", "5", "5,00", false);
        dataRow("second comma ignored", "1,2,5", "1,25", "1,25", false);
        dataRow("full stop ignored", "1.5", "15", "15,00", false);
        dataRow("six digits", "123456", "123456", "123456", true);
        dataRow("five digits, two decimals", "99999,99", "99999,99", "99999,99", false);
    }
    void quantityField() {
        QFETCH(QString, keys);
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QFETCH(bool, refused);
        frmPrimka* w = open("Primka");
        QLineEdit* qty = field(w, "txtkolicina");
        qty->setFocus();
        QTest::keyClicks(qty, keys);
        QCOMPARE(qty->text(), typed);
        field(w, "txtcijena")->setFocus();
        QCOMPARE(qty->text(), left);
        QCOMPARE(said(*box_), refused ? QStringList{said(Exclamation, "Prevelik broj",
                                                         "Možete upisati samo do 99 999!")}
                                      : QStringList{});
        QCOMPARE(qty->hasFocus(), refused);
    }

    // A first line goes on the list and the entry is cleared; then a second line is tried.
    void lines_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("article");  // chosen by name; none when empty
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("refusal");  // the box shown; none when the line is taken
        QTest::addColumn<QString>("focus");
        dataRow("zero", "Primka", "Žica", "0",
                said(Exclamation, "Prevelik broj", "Unos mora biti veći od nule!"), "txtkolicina");
        dataRow("no article", "Primka", "", "2",
                said(Exclamation, "Unos nepotpun!", "Nije unešena šifra ili naziv!"), "Cbosifra");
        // Kabel: stock 5, of which the first line issues 3.
        dataRow("more than is left", "Izdatnica", "Kabel", "3",
                said(Exclamation, "Nema toliko!", "Na skladištu nema toliko!"), "txtkolicina");
        dataRow("all that is left", "Izdatnica", "Kabel", "2", QString(), "Cbosifra");
    }
    void lines() {
        QFETCH(QString, mode);
        QFETCH(QString, article);
        QFETCH(QString, quantity);
        QFETCH(QString, refusal);
        QFETCH(QString, focus);
        seed();
        frmPrimka* w = open(mode);
        addLine(w, "Kabel", "3", "1500");
        QCOMPARE(lineTexts(w),
                 QStringList{"K1|Kabel|3,00|1500,00|4500,00|" + QString::number(kabel_)});
        QCOMPARE(field(w, "txtkolicina")->text() + field(w, "txtcijena")->text(), "");
        QCOMPARE(combo(w, "cbonaziv")->currentIndex(), -1);

        if (!article.isEmpty()) w->chooseArticle(combo(w, "cbonaziv")->findText(article));
        if (mode == "Izdatnica") QCOMPARE(field(w, "txtpokazkolicine")->text(), "2,00");
        field(w, "txtkolicina")->setText(quantity);
        if (mode == "Primka") field(w, "txtcijena")->setText("2");
        click(w, "cmddodaj");
        QCOMPARE(said(*box_), refusal.isEmpty() ? QStringList{} : QStringList{refusal});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(lineTexts(w).size(), refusal.isEmpty() ? 2 : 1);

        // Deleting a line; with the last one gone nothing can be deleted or posted.
        list(w, "lsvartprimka")->setCurrentRow(0);
        click(w, "cmdbrisi");
        QCOMPARE(lineTexts(w).size(), refusal.isEmpty() ? 1 : 0);
        QCOMPARE(button(w, "cmdprihvati")->isEnabled(), refusal.isEmpty());
        QCOMPARE(button(w, "cmdbrisi")->isEnabled(), refusal.isEmpty());
    }

    // Posting asks for a complete header and a confirmation; No and a failed posting keep the
    // document as it was, a posting clears it for the next one.
    void postingFromTheWindow() {
        seed();
        frmPrimka* w = open("Primka");
        addLine(w, "Žica", "10", "2,5");
        combo(w, "cbokd")->setCurrentIndex(1);
        combo(w, "cbodokument")->setCurrentIndex(0);
        w->post();  // the number of the supplier's document is missing
        QCOMPARE(said(*box_).value(0),
                 said(Exclamation, "Unos nepotpun",
                      "Nije unešen datum primke,ime dobavljača,dokument,brojdokumenta ili "
                      "datum dokumenta!"));
        field(w, "txtbroj")->setText("R-7");
        const auto document = [w] {
            return QStringList{lineTexts(w).join(u';'), combo(w, "cbokd")->currentText(),
                               combo(w, "cbodokument")->currentText(), field(w, "txtbroj")->text(),
                               field(w, "txtprimka")->text()};
        };
        const QStringList entered = document();

        box_->answer(MsgResult::No);
        QVERIFY(!w->post());
        QCOMPARE(said(*box_).value(1),
                 said(MsgStyle::YesNo | MsgStyle::Question, "Unošenje", "Unosimo u bazu?"));
        QCOMPARE(document(), entered);

        QVERIFY(executeRaw(book_,
                           "create trigger fail before insert on ulazizlaz begin "
                           "select raise(abort,'forced'); end"));
        box_->answer(MsgResult::Yes);
        QVERIFY(!w->post());
        QVERIFY(reportsDbError(box_->last(),
                               "Primka nije unešena; skladište je ostalo kakvo je "
                               "bilo."));
        QCOMPARE(document(), entered);
        QCOMPARE(rowCount(book_, "pi"), 0);

        QVERIFY(executeRaw(book_, "drop trigger fail"));
        box_->answer(MsgResult::Yes);
        QVERIFY(w->post());
        QCOMPARE(findArticle(book_, QString::number(zica_))->stanje, 10.0);
        QCOMPARE(document(), QStringList({"", "", "", "", "2"}));
        w->close();  // an issue keeps its own numbering
        QCOMPARE(field(open("Izdatnica"), "txtprimka")->text(), "1");
    }

    // The running total under the list follows each line added and deleted; after the posting
    // the clerk reads the document's number and may print it.
    void runningTotalAndPostedNumber_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("printed");
        dataRow("receipt printed", "Primka", int(MsgResult::Yes),
                "Primka br. 1 je unesena.\nŽelite li ispisati primku?", QStringList{"P 1"});
        dataRow("issue not printed", "Izdatnica", int(MsgResult::No),
                "Izdatnica br. 1 je unesena.\nŽelite li ispisati izdatnicu?", QStringList{});
    }
    void runningTotalAndPostedNumber() {
        QFETCH(QString, mode);
        QFETCH(int, answer);
        QFETCH(QString, said);
        QFETCH(QStringList, printed);
        seed();
        QStringList asked;
        setPostedDocumentPrinter(
            [&](const BookLocation& path, DocumentKind kind, const QString& n) {
                QCOMPARE(path.filePath(), book_);
                asked.append(kindLetter(kind) + u' ' + n);
            });
        frmPrimka* w = open(mode);
        const QLabel* total = control<QLabel>(w, "lblukupno");
        QCOMPARE(total->text(), "Stavki: 0    Ukupno: 0,00");
        addLine(w, "Kabel", "3", "1500");
        addLine(w, "Kabel", "1,5", "1500");
        QCOMPARE(total->text(), "Stavki: 2    Ukupno: 6750,00");
        list(w, "lsvartprimka")->setCurrentRow(0);
        click(w, "cmdbrisi");
        QCOMPARE(total->text(), "Stavki: 1    Ukupno: 2250,00");

        combo(w, "cbokd")->setCurrentIndex(0);
        combo(w, "cbodokument")->setCurrentIndex(0);
        field(w, "txtbroj")->setText("R-1");
        box_->answer(MsgResult::Yes).answer(answer);
        QVERIFY(w->post());
        setPostedDocumentPrinter({});
        QCOMPARE(kl::test::said(*box_).value(1),
                 kl::test::said(MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                                "Unošenje", said));
        QCOMPARE(asked, printed);
        QCOMPARE(total->text(), "Stavki: 0    Ukupno: 0,00");
    }

    void closingWithLines_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("stored");
        dataRow("yes posts", int(MsgResult::Yes), true, 1);
        dataRow("no drops", int(MsgResult::No), true, 0);
        dataRow("cancel stays", int(MsgResult::Cancel), false, 0);
    }
    void closingWithLines() {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(int, stored);
        seed();
        QPointer<frmPrimka> w = open("Izdatnica");
        w->close();  // an empty list asks nothing
        QCOMPARE(box_->count(), 0);
        QTRY_VERIFY(!w);
        w = open("Izdatnica");
        context().calledFromDocument = true;
        combo(w, "cbokd")->setCurrentIndex(0);
        addLine(w, "Kabel", "1");
        box_->answer(answer).answer(MsgResult::Yes);
        w->close();
        QCOMPARE(said(*box_).value(0),
                 said(MsgStyle::YesNoCancel | MsgStyle::Question, "Obrada unešenih podataka!",
                      "Imate unešene podatke na listu desno! Želite ih obraditi?"));
        QTRY_COMPARE(w.isNull(), closed);
        QCOMPARE(rowCount(book_, "ulazizlaz"), stored);
        QCOMPARE(context().calledFromDocument, !closed);
    }

    // Esc on the open partner list closes the list only: the window and its header stay.
    void escClosesOnlyTheOpenList() {
        seed();
        QPointer<frmPrimka> w = open("Primka");
        QComboBox* partners = combo(w, "cbokd");
        partners->setCurrentIndex(0);
        partners->setFocus();
        partners->showPopup();
        QTRY_VERIFY(partners->view()->isVisible());
        QTest::keyClick(partners->view(), Qt::Key_Escape);
        QTRY_VERIFY(!partners->view()->isVisible());
        QVERIFY(w && w->isVisible());
        QCOMPARE(partners->currentText(), "Dobavljač d.o.o.");
        QCOMPARE(box_->count(), 0);
    }

    // The partner window opened from the receipt, left by "Izlaz" (its list then refreshed) or
    // by Esc: the supplier chosen stays chosen.
    void partnerWindowKeepsSupplier_data() {
        QTest::addColumn<bool>("byButton");
        dataRow("Izlaz", true);
        dataRow("Esc", false);
    }
    void partnerWindowKeepsSupplier() {
        QFETCH(bool, byButton);
        seed();
        frmPrimka* w = open("Primka");
        QComboBox* partners = combo(w, "cbokd");
        partners->setCurrentIndex(partners->findText("Oboje"));
        click(w, "cmddobavljac");
        QPointer<QWidget> partnerWindow = windows().loaded(win::Unos);
        QVERIFY(partnerWindow && QTest::qWaitForWindowActive(partnerWindow));
        insertPartners(book_, {{"d", "Alfa"}});
        if (byButton)
            click(partnerWindow, "cmdodustani");
        else
            QTest::keyClick(field(partnerWindow, "txtkd"), Qt::Key_Escape);
        QTRY_VERIFY(!partnerWindow || !partnerWindow->isVisible());
        QCOMPARE(partners->currentText(), "Oboje");
        QCOMPARE(partners->findText("Alfa") >= 0, byButton);
    }

    void articlesFromOtherWindows() {
        seed();
        frmPrimka* w = open("Izdatnica");
        w->receiveArticle(*findArticle(book_, QString::number(kabel_)));
        QCOMPARE(combo(w, "cbonaziv")->currentText(), "Kabel");
        QCOMPARE(field(w, "txtpokazkolicine")->text(), "5,00");
        QVERIFY(field(w, "txtkolicina")->hasFocus());
        // A refill keeps the chosen article chosen.
        w->setArticleChoices(loadArticleChoices(book_));
        QCOMPARE(combo(w, "Cbosifra")->currentText(), "K1");
        // The article window shows the articles in the book's order and the last one chosen.
        w->showArticlesChoosingLast(loadArticles(book_));
        QCOMPARE(combo(w, "cbonaziv")->currentText(), "Žica");
        QCOMPARE(control<QLabel>(w, "lblartikl")->text(), QString::number(zica_));
        w->addDocumentType("Otpremnica");
        w->addDocumentType("Ponuda");
        QCOMPARE(combo(w, "cbodokument")->currentText(), "Ponuda");
    }
};

QTEST_MAIN(TstFrmPrimka)
#include "tst_frmprimka.moc"
