// The work order window as the clerk meets it: numbering, choosing a product, the quantity and
// the costs, the leaving rules of the figures, the stock check, issuing, editing an issued work
// order, printing its sheet and closing with a composed work order. What an issue stores in the
// books is tested in tst_workorders.

#include "production/frmrn.h"
#include "productionfixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPointer>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

const QString kIssueQuestion = said(Question, "Izdavanje radnog naloga!",
                                    "Izdavanje radnog naloga i kreiranje pripadajućih izdatnica?");
const QString kIssued = said(Exclamation, "Izdavanje radnog naloga!", "Radni nalog izdan!");

}  // namespace

class TstFrmRn : public ProductionTest {
    Q_OBJECT

    // Glavno: Lim 10 and Vijak 100; Pomoćno: Boja 5. "Stol" takes 2 Lim at 3,00, 4 Vijak at 0,50
    // and 1 Boja at 10,00 (18,00 a unit); "Polica" 1 Lim at 3,00.
    void seed() {
        const int lim = addArticle(books_.glavnoBook, "L1", "Lim", 10, 30, 3);
        const int vijak = addArticle(books_.glavnoBook, "V1", "Vijak", 100, 50, 0.5);
        const int boja = addArticle(books_.pomocnoBook, "B1", "Boja", 5, 50, 10);
        storeProduct(books_.productionBook, {"S1", "Stol", "", "kom"},
                     {billLine("Glavno", books_.glavno, lim, "L1", "Lim", "2,00", "3,00"),
                      billLine("Glavno", books_.glavno, vijak, "V1", "Vijak", "4,00", "0,50"),
                      billLine("Pomoćno", books_.pomocno, boja, "B1", "Boja", "1,00", "10,00")});
        storeProduct(books_.productionBook, {"P1", "Polica", "", "kom"},
                     {billLine("Glavno", books_.glavno, lim, "L1", "Lim", "1,00", "3,00")});
    }
    frmrn* open() { return shown(windows().window<frmrn>(win::RadniNalozi)); }
    // Types `text` into the field `name` and leaves it for the labour field (or the quantity).
    void enter(frmrn* w, const char* name, const QString& text) {
        QLineEdit* f = field(w, name);
        f->setFocus();
        f->setText(text);
        field(w, qstrcmp(name, "txtrada") ? "txtrada" : "txt1")->setFocus();
    }
    QString totals(frmrn* w) {
        return QStringList{field(w, "txtmat")->text(), field(w, "txtukupno")->text(),
                           field(w, "txtpojed")->text()}
            .join(u' ');
    }

  private slots:
    void opensAndComposes() {
        seed();
        postIssue(books_.pomocnoBook, "1", "1", "10");  // Pomoćno's next issue note is 2
        frmrn* w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), "Radni nalozi    Pomoć F1");
        QCOMPARE(field(w, "txtbr")->text(), "1");
        QVERIFY(!button(w, "cmdprihvati")->isEnabled());
        auto* products = control<QComboBox>(w, "cboproizvod");
        QCOMPARE(products->count(), 2);
        products->setFocus();
        QTest::keyClicks(products, "s");  // typing chooses the first product starting with it
        QVERIFY(products->currentText().startsWith(u'S'));

        w->chooseProduct("Stol");
        QCOMPARE(rows(list(w, "lsvartikli"), 5),
                 QStringList({"Glavno|1|6,00|2,00|10,00", "Glavno|1|2,00|4,00|100,00",
                              "Pomoćno|2|10,00|1,00|4,00"}));
        QCOMPARE(field(w, "txtkolicina")->text() + " " + totals(w), "1,00 18,00 18,00 18,00");
        QVERIFY(button(w, "cmdprihvati")->isEnabled());

        // The quantity drives the material lines and their cost; the other costs only the total.
        enter(w, "txtrada", "100");
        enter(w, "txt3", "1,5");
        enter(w, "txtkolicina", "2,5");
        QCOMPARE(
            rows(list(w, "lsvartikli"), 4),
            QStringList({"Glavno|1|15,00|5,00", "Glavno|1|5,00|10,00", "Pomoćno|2|25,00|2,50"}));
        QCOMPARE(totals(w), "45,00 146,50 18,00");
        w->chooseProduct("Polica");  // a new choice: one unit, no other costs
        QCOMPARE(field(w, "txtrada")->text() + field(w, "txtkolicina")->text(), "0,001,00");
        QCOMPARE(totals(w), "3,00 3,00 3,00");
    }

    void leavingFigures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<bool>("tooLarge");
        dataRow("quantity emptied", "txtkolicina", "", "1,00", false);
        dataRow("cost too large", "txt1", "100000", "0,00", true);
        dataRow("quantity too large", "txtkolicina", "123456,5", "1,00", true);
        dataRow("largest quantity", "txtkolicina", "99999,99", "99999,99", false);
    }
    void leavingFigures() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QFETCH(bool, tooLarge);
        frmrn* w = open();
        enter(w, qPrintable(name), typed);
        QCOMPARE(field(w, qPrintable(name))->text(), left);
        QCOMPARE(said(*box_), tooLarge ? QStringList{said(Exclamation, "Prevelik broj",
                                                          "Možete upisati samo do 99 999!")}
                                       : QStringList{});
    }

    // Lim 10 in stock, Boja 5: what the checks let through to the question.
    void checks_data() {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("shown");
        const auto shortOf = [](const QString& lines) {
            return said(Exclamation, "Nema dovoljno!",
                        " Nema dovoljno u  skladištu: \n______________\n" + lines +
                            "\n\n_______________\nSmanjite broj proizvoda ili popunite "
                            "skladišta!");
        };
        dataRow("all the stock", "Polica", "10", kIssueQuestion);
        dataRow("a hundredth more", "Polica", "10,01", shortOf("Glavno: (Lim) Nedostaje: 0,01"));
        dataRow("two short", "Stol", "6",
                shortOf("Glavno: (Lim) Nedostaje: 2,00\nPomoćno: (Boja) Nedostaje: 1,00"));
        dataRow("zero", "Stol", "0",
                said(Exclamation, "Količinanula!", "Količina ne može biti nula!"));
    }
    void checks() {
        QFETCH(QString, product);
        QFETCH(QString, units);
        QFETCH(QString, shown);
        seed();
        frmrn* w = open();
        w->chooseProduct(product);
        enter(w, "txtkolicina", units);
        box_->answer(MsgResult::No);
        QVERIFY(!w->issue());
        QCOMPARE(said(*box_), QStringList{shown});
        QCOMPARE(rowCount(books_.productionBook, "radninalozi"), 0);
        QCOMPARE(rowCount(books_.glavnoBook, "pi"), 0);
        QCOMPARE(list(w, "lsvartikli")->rowCount(), product == "Stol" ? 3 : 1);
    }

    // Issuing reloads the window; a warehouse book without the customer "Proizvodnja" refuses,
    // a failing write leaves every book as it was. Either way the composed order stays.
    void issuing_data() {
        QTest::addColumn<bool>("inPomocno");  // the book changed beforehand, else production
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("answer");  // the box after the question
        dataRow("issued", false, QString(), kIssued);
        dataRow("refused", true, QString("delete from kd where ime='Proizvodnja'"),
                said(Exclamation, "Izdavanje radnog naloga!",
                     "U skladištu Pomoćno nema kupca Proizvodnja!\nRadni nalog nije izdan."));
        dataRow("failed", false,
                QString("create trigger fail before insert on troskovi begin "
                        "select raise(abort,'forced'); end"),
                QString());
    }
    void issuing() {
        QFETCH(bool, inPomocno);
        QFETCH(QString, change);
        QFETCH(QString, answer);
        seed();
        if (!change.isEmpty())
            QVERIFY(executeRaw(inPomocno ? books_.pomocnoBook : books_.productionBook, change));
        frmrn* w = open();
        w->chooseProduct("Stol");
        enter(w, "txtkolicina", "2");
        box_->answer(MsgResult::Yes);
        const int stored = change.isEmpty() ? 1 : 0;
        QCOMPARE(w->issue(), stored == 1);
        QCOMPARE(said(*box_).value(0), kIssueQuestion);
        if (answer.isEmpty())
            QVERIFY(reportsDbError(box_->last(),
                                   "Radni nalog nije izdan; sve knjige su ostale "
                                   "kakve su bile."));
        else
            QCOMPARE(said(*box_).value(1), answer);
        QCOMPARE(rowCount(books_.productionBook, "radninalozi"), stored);
        QCOMPARE(rowCount(books_.glavnoBook, "pi") + rowCount(books_.pomocnoBook, "pi"),
                 2 * stored);
        QCOMPARE(field(w, "txtbr")->text(), stored ? "2" : "1");
        QCOMPARE(list(w, "lsvartikli")->rowCount(), stored ? 0 : 3);
        QCOMPARE(button(w, "cmdprihvati")->isEnabled(), !stored);
        const QString today = dateText(QDate::currentDate());
        QCOMPARE(rows(list(w, "lsvsviartikli"), 5),
                 stored ? QStringList{"1|Stol|" + today + "|" + today + "|2,00"} : QStringList{});
    }

    // Only the dates and the manual costs of an issued work order change; then it prints.
    void editingAndPrinting() {
        seed();
        frmrn* w = open();
        w->chooseProduct("Stol");
        enter(w, "txtkolicina", "2");
        box_->answer(MsgResult::Yes);
        QVERIFY(w->issue());
        box_->clear();
        clickRow(list(w, "lsvsviartikli"), "Stol", 1, true);
        QVERIFY(w->isEditMode());
        QVERIFY(!control<QComboBox>(w, "cboproizvod")->isEnabled() &&
                !field(w, "txtkolicina")->isEnabled());
        QCOMPARE(button(w, "cmdizmjena")->text(), "Izmjena: Stol");
        QCOMPARE(totals(w), "36,00 36,00 18,00");
        QCOMPARE(rows(list(w, "lsvartikli"), 3),
                 QStringList({"Glavno|1|12,00", "Glavno|1|4,00", "Pomoćno|1|20,00"}));

        box_->answer(MsgResult::No).answer(MsgResult::Yes);
        click(w, "cmdispis");
        QVERIFY(printed_.isEmpty());
        click(w, "cmdispis");
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(said(*box_).value(0),
                 said(Question, "Ispis!", "Ispis radnog naloga za proizvod: Stol na pisač?"));

        box_->clear();
        const QDate closing = QDate::currentDate().addDays(5);
        control<QDateEdit>(w, "dtpzatv")->setDate(closing);
        enter(w, "txtrada", "50");
        box_->answer(MsgResult::Yes);
        click(w, "cmdizmjena");
        QCOMPARE(said(*box_),
                 QStringList({said(Question, "Izmjena radnog naloga!",
                                   "Želite mijenjati radni nalog za proizvod: Stol"),
                              said(Information, "Izmjena radnog naloga",
                                   "Radni nalog uspješno izmjenjen za proizvod: Stol")}));
        const auto saved = loadWorkOrder(books_.productionBook, "1");
        QCOMPARE(saved->order.costs.labour + " " + saved->order.costs.material + " " +
                     dateText(saved->order.datumzatv),
                 "50,00 36,00 " + dateText(closing));
        QVERIFY(!w->isEditMode());
        QCOMPARE(field(w, "txtbr")->text(), "2");
        QVERIFY(field(w, "txtkolicina")->isEnabled());

        // Choosing a work order in the list while one is loaded leaves edit mode with the next
        // number, so a new work order never takes the loaded one's number.
        clickRow(list(w, "lsvsviartikli"), "Stol", 1, true);
        QCOMPARE(field(w, "txtbr")->text(), "1");
        clickRow(list(w, "lsvsviartikli"), "Stol", 1);
        QVERIFY(!w->isEditMode());
        QCOMPARE(field(w, "txtbr")->text(), "2");
        QCOMPARE(list(w, "lsvartikli")->rowCount(), 0);
    }

    // Closing with a composed work order: Cancel, and Yes with a failing check, keep it open.
    void closing_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("units");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("stored");
        dataRow("cancel", int(MsgResult::Cancel), QString("1"), false, 0);
        dataRow("no", int(MsgResult::No), QString("1"), true, 0);
        dataRow("yes, short", int(MsgResult::Yes), QString("6"), false, 0);
        dataRow("yes", int(MsgResult::Yes), QString("1"), true, 1);
    }
    void closing() {
        QFETCH(int, answer);
        QFETCH(QString, units);
        QFETCH(bool, closed);
        QFETCH(int, stored);
        seed();
        QPointer<frmrn> w = open();
        w->chooseProduct("Stol");
        enter(w, "txtkolicina", units);
        box_->answer(answer).answer(MsgResult::Yes);
        QCOMPARE(w->close(), closed);
        QCOMPARE(said(*box_).value(0),
                 said(MsgStyle::YesNoCancel | MsgStyle::Question, "Posprema u skladište",
                      "Želite li unijeti radni nalog u bazu radnih naloga?"));
        QCOMPARE(rowCount(books_.productionBook, "radninalozi"), stored);
    }
};

QTEST_MAIN(TstFrmRn)
#include "tst_frmrn.moc"
