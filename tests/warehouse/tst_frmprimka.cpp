// The receipt and issue window as the clerk meets it: each kind's setup, the number, typing
// quantities and prices, the amount and its limit, lines and their checks, the available
// quantity of an issue, posting from the window and closing with lines. The stored rows of a
// posting are tested in tst_documents.

#include "data/database.h"
#include "ui/fields.h"
#include "warehouse/frmprimka.h"
#include "warehousefixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include <sqlite3.h>

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

    frmPrimka* open(const char* mode) {
        context().documentMode = QString::fromLatin1(mode);
        return shown(windows().window<frmPrimka>(kDocumentWindowName));
    }
    void seed() {
        addPartner(book_, "d", "Dobavljač d.o.o.");
        addPartner(book_, "s", "Oboje");
        addDocumentType(book_, "Račun");
        kabel_ = addArticle(book_, "K1", "Kabel", 5, 10, 2);
        zica_ = addArticle(book_, "Z1", "Žica", 0, 0, 0);
    }
    // Chooses the article by name, types the quantity (and price), and adds the line.
    void addLine(frmPrimka* w, const QString& name, const QString& qty, const QString& price = {}) {
        w->chooseArticle(combo(w, "cbonaziv")->findText(name));
        field(w, "txtkolicina")->setText(qty);
        if (!price.isEmpty()) field(w, "txtcijena")->setText(price);
        w->addLine();
    }

  private slots:
    void kindSetup_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("receipt") << "Primka"
                                 << QStringList{"Primka      Pomoć  F1",
                                                "P",
                                                "Primka br:",
                                                "&Unos u skladište",
                                                "document shown",
                                                "article shown",
                                                "price editable",
                                                "no available",
                                                "Dobavljač d.o.o.|Oboje"};
        QTest::newRow("issue") << "Izdatnica"
                               << QStringList{"Izdatnica         Pomoć F1 ",
                                              "I",
                                              "Izdatnica br:",
                                              "Iz&nos iz baze",
                                              "document hidden",
                                              "article hidden",
                                              "price locked",
                                              "available shown",
                                              "Proizvodnja|Oboje"};
    }
    void kindSetup() {
        QFETCH(QString, mode);
        QFETCH(QStringList, expected);
        seed();
        frmPrimka* w = open(qPrintable(mode));
        QVERIFY(w);
        QLineEdit* price = field(w, "txtcijena");
        QComboBox* partners = combo(w, "cbokd");
        QStringList names;
        for (int i = 0; i < partners->count(); ++i)
            names.append(partners->itemText(i));
        const QStringList actual = {
            w->windowTitle(),
            control<QLabel>(w, "lblpi")->text(),
            labelOf(w, field(w, "txtprimka")),
            button(w, "cmdprihvati")->text(),
            combo(w, "cbodokument")->isVisible() && button(w, "cmdnovidokument")->isVisible()
                ? "document shown"
                : "document hidden",
            button(w, "cmdartikl")->isVisible() ? "article shown" : "article hidden",
            !price->isReadOnly() && price->focusPolicy() == Qt::StrongFocus ? "price editable"
                                                                            : "price locked",
            field(w, "txtpokazkolicine")->isVisible() ? "available shown" : "no available",
            names.join(u'|')};
        QCOMPARE(actual, expected);
        QCOMPARE(field(w, "txtprimka")->text(), "1");
        QCOMPARE(combo(w, "cbonaziv")->count(), 2);
        QCOMPARE(combo(w, "Cbosifra")->itemText(1), "Z1");  // parallel, in name order
        w->focusFirstControl();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(partners));

        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), "F1 vrati se u mod unosa!");
        QVERIFY(!control<QWidget>(w, "frameartikli")->isVisible());
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(),
                 mode == "Primka" ? "Primka     Pomoć  F1" : "Izdatnica      Pomoć F1");
    }

    void typingIntoListsDoesNothing() {
        seed();
        frmPrimka* w = open("Primka");
        QComboBox* names = combo(w, "cbonaziv");
        names->setFocus();
        QTest::keyClicks(names, "z");
        QCOMPARE(names->currentIndex(), -1);
        QTest::keyClick(names, Qt::Key_Down);  // the arrows still choose
        QCOMPARE(names->currentText(), "Kabel");
        QCOMPARE(combo(w, "Cbosifra")->currentText(), "K1");
        QCOMPARE(control<QLabel>(w, "lblartikl")->text(), QString::number(kabel_));
    }

    void quantityKeys_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("comma first ignored") << ",5"
                                             << "5";
        QTest::newRow("second comma ignored") << "1,2,5"
                                              << "1,25";
        QTest::newRow("full stop ignored") << "1.5"
                                           << "15";
        QTest::newRow("letters ignored") << "a1b"
                                         << "1";
    }
    void quantityKeys() {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        frmPrimka* w = open("Primka");
        QLineEdit* qty = field(w, "txtkolicina");
        qty->setFocus();
        QTest::keyClicks(qty, keys);
        QCOMPARE(qty->text(), text);
    }

    void leavingQuantity_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");
        QTest::newRow("six digits") << "123456"
                                    << "123456" << true;
        QTest::newRow("five digits, two decimals") << "99999,99"
                                                   << "99999,99" << false;
        QTest::newRow("leading comma") << "5"
                                       << "5,00" << false;
    }
    void leavingQuantity() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        frmPrimka* w = open("Primka");
        QLineEdit* qty = field(w, "txtkolicina");
        qty->setFocus();
        qty->setText(typed);
        field(w, "txtcijena")->setFocus();
        QCOMPARE(qty->text(), shown);
        QCOMPARE(said(*box_), refused ? QStringList{said(Exclamation, "Prevelik broj",
                                                         "Možete upisati samo do 99 999!")}
                                      : QStringList{});
        QCOMPARE(qty->hasFocus(), refused);
    }

    void amountAndItsLimit() {
        frmPrimka* w = open("Primka");
        QLineEdit* qty = field(w, "txtkolicina");
        QLineEdit* price = field(w, "txtcijena");
        qty->setText("0,5");
        price->setText("1");
        QCOMPARE(field(w, "txtiznos")->text(), "0,50");
        QVERIFY(button(w, "cmddodaj")->isEnabled());
        qty->setText("10000");
        price->setFocus();
        price->selectAll();
        QTest::keyClicks(price, "1000");  // 9 990 000 is taken, 10 000 000 is not
        QCOMPARE(said(*box_),
                 QStringList{said(MsgStyle::OkOnly | MsgStyle::Question, "Prevelik unos!",
                                  "Iznos ne smije prijeći 9 999 999 zbog bolje kontrole "
                                  "skladišta!\nNaš savjet:  Unesite u dvije primke")});
        QCOMPARE(price->text(), "0,00");
        QCOMPARE(field(w, "txtiznos")->text(), "0,00");
        QCOMPARE(qty->text(), "10000");

        box_->clear();
        w->close();
        seed();
        frmPrimka* issue = open("Izdatnica");  // no limit for an issue
        issue->chooseArticle(0);
        field(issue, "txtkolicina")->setText("99999");
        QCOMPARE(box_->count(), 0);
        QCOMPARE(field(issue, "txtiznos")->text(), "199998,00");
    }

    void lineChecks() {
        seed();
        frmPrimka* w = open("Primka");
        field(w, "txtkolicina")->setText("0");
        field(w, "txtcijena")->setText("2");
        w->addLine();
        QCOMPARE(said(*box_).value(0),
                 said(Exclamation, "Prevelik broj", "Unos mora biti veći od nule!"));
        QCOMPARE(field(w, "txtkolicina")->text(), "0,00");
        QVERIFY(field(w, "txtkolicina")->hasFocus());

        field(w, "txtkolicina")->setText("2");
        w->addLine();
        QCOMPARE(said(*box_).value(1),
                 said(Exclamation, "Unos nepotpun!", "Nije unešena šifra ili naziv!"));
        QVERIFY(combo(w, "Cbosifra")->hasFocus());
        QCOMPARE(list(w, "lsvartprimka")->rowCount(), 0);

        addLine(w, "Žica", "3", "1,5");
        QCOMPARE(lineTexts(w), QStringList{"Z1|Žica|3,00|1,50|4,50|" + QString::number(zica_)});
        QCOMPARE(field(w, "txtkolicina")->text(), "");
        QCOMPARE(combo(w, "cbonaziv")->currentIndex(), -1);
        QVERIFY(button(w, "cmdprihvati")->isEnabled());
        list(w, "lsvartprimka")->setCurrentRow(0);
        click(w, "cmdbrisi");
        QVERIFY(!button(w, "cmdprihvati")->isEnabled() && !button(w, "cmdbrisi")->isEnabled());
    }

    void issueOfMoreThanTheStock() {
        seed();  // Kabel: stock 5, average 2
        frmPrimka* w = open("Izdatnica");
        w->chooseArticle(0);
        QCOMPARE(field(w, "txtcijena")->text(), "2");
        QCOMPARE(field(w, "txtpokazkolicine")->text(), "5,00");
        addLine(w, "Kabel", "3");
        QCOMPARE(box_->count(), 0);
        w->chooseArticle(0);
        QCOMPARE(field(w, "txtpokazkolicine")->text(), "2,00");
        field(w, "txtkolicina")->setText("3");
        w->addLine();
        QCOMPARE(said(*box_),
                 QStringList{said(Exclamation, "Nema toliko!", "Na skladištu nema toliko!")});
        QCOMPARE(list(w, "lsvartprimka")->rowCount(), 1);
        field(w, "txtkolicina")->setText("2");
        w->addLine();
        QCOMPARE(list(w, "lsvartprimka")->rowCount(), 2);
    }

    void postingFromTheWindow() {
        seed();
        frmPrimka* w = open("Primka");
        addLine(w, "Žica", "10", "2,5");
        w->post();
        QCOMPARE(said(*box_).value(0),
                 said(Exclamation, "Unos nepotpun",
                      "Nije unešen datum primke,ime dobavljača,dokument,brojdokumenta ili "
                      "datum dokumenta!"));
        combo(w, "cbokd")->setCurrentIndex(1);
        combo(w, "cbodokument")->setCurrentIndex(0);
        field(w, "txtbroj")->setText("R-7");
        box_->answer(MsgResult::No);
        QVERIFY(!w->post());
        QCOMPARE(said(*box_).value(1),
                 said(MsgStyle::YesNo | MsgStyle::Question, "Unošenje", "Unosimo u bazu?"));
        QCOMPARE(lineTexts(w).size(), 1);  // No changes nothing
        QCOMPARE(combo(w, "cbokd")->currentText(), "Oboje");
        QCOMPARE(rowCount(book_, "pi"), 0);

        box_->answer(MsgResult::Yes);
        QVERIFY(w->post());
        QCOMPARE(rowCount(book_, "pi"), 1);
        QCOMPARE(rowCount(book_, "ulazizlaz"), 1);
        QCOMPARE(findArticle(book_, QString::number(zica_))->stanje, 10.0);
        QCOMPARE(lineTexts(w), QStringList{});
        QCOMPARE(field(w, "txtprimka")->text(), "2");
        QCOMPARE(combo(w, "cbokd")->currentIndex(), -1);
        QCOMPARE(combo(w, "cbodokument")->currentIndex(), -1);
        QCOMPARE(field(w, "txtbroj")->text(), "");
        QVERIFY(!button(w, "cmdprihvati")->isEnabled());

        w->close();  // an issue keeps its own numbering
        QCOMPARE(field(open("Izdatnica"), "txtprimka")->text(), "1");
    }

    void failedPostingKeepsTheDocument() {
        seed();
        frmPrimka* w = open("Izdatnica");
        combo(w, "cbokd")->setCurrentIndex(0);
        addLine(w, "Kabel", "2");
        QCOMPARE(sqlite3_exec(Database::open(book_).handle(),
                              "create trigger fail before insert on ulazizlaz begin "
                              "select raise(abort,'forced'); end",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        box_->answer(MsgResult::Yes);
        QVERIFY(!w->post());
        QVERIFY(reportsDbError(box_->last(),
                               "Izdatnica nije unešena; skladište je ostalo kakvo "
                               "je bilo."));
        QCOMPARE(lineTexts(w).size(), 1);
        QCOMPARE(field(w, "txtprimka")->text(), "1");
        QCOMPARE(combo(w, "cbokd")->currentText(), "Proizvodnja");
        QCOMPARE(findArticle(book_, QString::number(kabel_))->stanje, 5.0);
        QCOMPARE(rowCount(book_, "pi"), 0);
    }

    void closingWithLines_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("stored");
        QTest::newRow("yes posts") << int(MsgResult::Yes) << true << 1;
        QTest::newRow("no drops") << int(MsgResult::No) << true << 0;
        QTest::newRow("cancel stays") << int(MsgResult::Cancel) << false << 0;
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
        QCOMPARE(box_->shown().value(0).prompt,
                 "Imate unešene podatke na listu desno! Želite ih obraditi?");
        QCOMPARE(box_->shown().value(0).title, "Obrada unešenih podataka!");
        QTRY_COMPARE(w.isNull(), closed);
        QCOMPARE(rowCount(book_, "ulazizlaz"), stored);
        QCOMPARE(context().calledFromDocument, !closed);
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
        QCOMPARE(combo(w, "cbonaziv")->itemText(0), "Kabel");
        QCOMPARE(combo(w, "cbonaziv")->currentText(), "Žica");
        QCOMPARE(control<QLabel>(w, "lblartikl")->text(), QString::number(zica_));
        w->addDocumentType("Otpremnica");
        QCOMPARE(combo(w, "cbodokument")->currentText(), "Otpremnica");
    }
};

QTEST_MAIN(TstFrmPrimka)
#include "tst_frmprimka.moc"
