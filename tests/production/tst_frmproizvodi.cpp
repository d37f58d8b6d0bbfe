// The products window as the clerk meets it: the warehouse picker, composing bill lines with
// their checks, the amount limit, storing with the uniqueness rules, changing a stored product
// (removals only on save), deleting, printing, the article search and closing with lines. The
// rows written are checked only as far as the window decides them; tst_products covers the rest.

#include "production/frmproizvodi.h"
#include "productionfixture.h"
#include "warehouse/frmartikliizbor.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

QComboBox* combo(QWidget* w, const char* name) {
    return control<QComboBox>(w, QString::fromLatin1(name));
}

QStringList items(QComboBox* c) {
    QStringList texts;
    for (int i = 0; i < c->count(); ++i)
        texts.append(c->itemText(i));
    return texts;
}

}  // namespace

class TstFrmProizvodi : public ProductionTest {
    Q_OBJECT

    int kabel_ = 0, kabel2_ = 0;

    // Glavno: Kabel 10 at 2,50, Vijak 100 at 0,10, Alat 100 at 200 000; Pomoćno: Kabel 4 at 3,00.
    // With `withStol` the product "Stol" (2 Kabel, 8 Vijak of Glavno, bar code 385001) is stored
    // before the window opens.
    frmproizvodi* open(bool withStol = false) {
        kabel_ = addArticle(books_.glavnoBook, "K1", "Kabel", 10, 25, 2.5);
        const int vijak = addArticle(books_.glavnoBook, "V1", "Vijak", 100, 10, 0.1);
        addArticle(books_.glavnoBook, "S1", "Alat", 100, 20000000, 200000);
        kabel2_ = addArticle(books_.pomocnoBook, "K1", "Kabel", 4, 12, 3);
        if (withStol)
            storeProduct(books_.productionBook, {"P1", "Stol", "385001", "kom"},
                         {billLine("Glavno", books_.glavno, kabel_, "K1", "Kabel", "2,00", "2,50"),
                          billLine("Glavno", books_.glavno, vijak, "V1", "Vijak", "8,00", "0,10")});
        return shown(windows().window<frmproizvodi>(win::Proizvodi));
    }
    // Warehouse, article by name, quantity, then "Dodaj na listu" as the button does it.
    bool compose(frmproizvodi* w, const QString& book, const QString& article, const QString& qty) {
        w->chooseWarehouse(combo(w, "cboskladiste")->findText(book));
        w->chooseArticle(combo(w, "cbonaziv")->findText(article));
        field(w, "txtkolicina")->setText(qty);
        return w->addLine();
    }
    void header(QWidget* w, const QString& code, const QString& name, const QString& barcode) {
        field(w, "txtsifra")->setText(code);
        field(w, "txtnaziv")->setText(name);
        field(w, "txtbarkod")->setText(barcode);
        field(w, "txtjedmjere")->setText("kom");
    }
    // Loads "Stol" of the product list for a change, by a double click.
    void editStol(frmproizvodi* w) {
        clickRow(list(w, "lsvsviproizvodi"), "Stol", frmproizvodi::NazivProizvoda, true);
        QVERIFY(w->isEditMode());
    }

  private slots:
    // Only this company's warehouse books, by name; a choice fills the article lists in name
    // order and opens the search; typing a first letter chooses; F1 and back; the article search.
    void warehousePickerAndSearch() {
        addBook(addCompany("Beta"), "Arhiva", kWarehouseKind);
        addBook(books_.companyId, "Drugi pogon", kProductionKind);
        addBook(books_.companyId, "Centrala", kWarehouseKind);
        frmproizvodi* w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), "Unos novog proizvoda      Pomoć F1");
        QComboBox* books = combo(w, "cboskladiste");
        QCOMPARE(items(books), (QStringList{"Centrala", "Glavno", "Pomoćno"}));
        QVERIFY(!button(w, "cmdpretraga")->isEnabled());
        books->setFocus();
        QTest::keyClicks(books, "g");  // chooses "Glavno", as a click does
        QCOMPARE(books->currentText(), "Glavno");

        w->chooseWarehouse(1);
        QCOMPARE(control<QLabel>(w, "lblidknjige")->text(), books_.glavnoId());
        QCOMPARE(context().materialBookFile, bookFileName(kWarehouseKind, books_.glavnoId()));
        QCOMPARE(items(combo(w, "cbonaziv")), (QStringList{"Alat", "Kabel", "Vijak"}));
        QCOMPARE(items(combo(w, "Cbosifra")), (QStringList{"S1", "K1", "V1"}));
        QVERIFY(button(w, "cmdpretraga")->isEnabled());

        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), "F1 vrati se u mod unosa!");
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), "Unos novog proizvoda    Pomoć  F1");

        // The search sends its article back like a choice by code.
        QVERIFY(compose(w, "Pomoćno", "Kabel", "1"));
        w->chooseWarehouse(combo(w, "cboskladiste")->findText("Pomoćno"));
        click(w, "cmdpretraga");
        QCOMPARE(context().documentMode, "proizvodnja");
        auto* search = windows().loaded<frmartikliizbor>(win::ArtikliIzbor);
        QVERIFY(search);
        QVERIFY(search->book() == books_.pomocnoBook);
        ReportList* found = list(search, "lsvsviartikli");
        found->setCurrentRow(found->findRow("K1"));
        search->sendSelected();
        QCOMPARE(combo(w, "Cbosifra")->currentText() + "|" + combo(w, "cbonaziv")->currentText() +
                     "|" + field(w, "txtpokazkolicine")->text() + "|" +
                     field(w, "txtcijena")->text(),
                 "K1|Kabel|3,00|3,00");
        QCOMPARE(control<QLabel>(w, "lblartikl")->text(), QString::number(kabel2_));
    }

    // The first line takes 4 Kabel of Glavno; then a second line is tried.
    void lines_data() {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("qty");
        QTest::addColumn<QString>("available");  // shown when the article is chosen
        QTest::addColumn<QString>("refusal");
        dataRow("same article same book", "Glavno", "1", "6,00",
                said(Exclamation, "Nepravilan unos!",
                     "Ne može se unijeti dva puta isti proizvod iz istog skladišta"));
        dataRow("same code other book, all of it", "Pomoćno", "4", "4,00", QString());
        dataRow("more than the other book has", "Pomoćno", "4,01", "4,00",
                said(Exclamation, "Nema toliko!", "Na skladištu nema toliko!"));
        dataRow("zero", "Pomoćno", "0", "4,00",
                said(Exclamation, "Nema količine",
                     "Niste unijeli količinu ili na skladištu  je stanje nula!!"));
    }
    void lines() {
        QFETCH(QString, book);
        QFETCH(QString, qty);
        QFETCH(QString, available);
        QFETCH(QString, refusal);
        frmproizvodi* w = open();
        QVERIFY(compose(w, "Glavno", "Kabel", "4"));
        QCOMPARE(rows(list(w, "lsvproizvodi"), 9),
                 QStringList{"Glavno|K1|Kabel|4,00|2,50|10,00|" + QString::number(kabel_) + "|" +
                             books_.glavnoId() + "|0"});
        // The warehouse stays for the next line; the button waits for its quantity.
        QCOMPARE(combo(w, "cboskladiste")->currentText() + "|" + field(w, "txtkolicina")->text() +
                     "|" + combo(w, "cbonaziv")->currentText(),
                 "Glavno||");
        QVERIFY(!button(w, "cmddodaj")->isEnabled());
        QVERIFY(button(w, "cmdprihvati")->isEnabled());

        w->chooseWarehouse(combo(w, "cboskladiste")->findText(book));
        w->chooseArticle(combo(w, "cbonaziv")->findText("Kabel"));
        QCOMPARE(field(w, "txtpokazkolicine")->text(), available);
        field(w, "txtkolicina")->setText(qty);
        QCOMPARE(w->addLine(), refusal.isEmpty());
        QCOMPARE(said(*box_), refusal.isEmpty() ? QStringList{} : QStringList{refusal});
        QCOMPARE(field(w, "txtcijenaproizvoda")->text(), refusal.isEmpty() ? "22,00" : "10,00");
        if (qty == "0") QCOMPARE(field(w, "txtcijena")->text(), "0,00");
    }

    // The warehouse chosen again keeps the article chosen; "Dodaj na listu" without a warehouse
    // says why it does nothing.
    void warehouseChosenAgain() {
        frmproizvodi* w = open();
        field(w, "txtkolicina")->setText("1");
        field(w, "txtcijena")->setText("2,00");
        click(w, "cmddodaj");
        QCOMPARE(said(*box_),
                 QStringList{said(Exclamation, "Unos nepotpun!", "Nije odabrano skladište!")});
        QCOMPARE(list(w, "lsvproizvodi")->rowCount(), 0);

        QComboBox* books = combo(w, "cboskladiste");
        books->setFocus();
        QTest::keyClicks(books, "g");
        w->chooseArticle(combo(w, "cbonaziv")->findText("Vijak"));
        QTest::keyClick(books, Qt::Key_Down);  // Pomoćno
        QTest::keyClick(books, Qt::Key_Up);    // Glavno again: its articles, nothing chosen
        QCOMPARE(combo(w, "cbonaziv")->currentIndex(), -1);
        w->chooseArticle(combo(w, "cbonaziv")->findText("Vijak"));
        books->showPopup();
        QTRY_VERIFY(books->view()->isVisible());
        QTest::keyClick(books->view(), Qt::Key_Return);  // the same one chosen from the list
        QTRY_VERIFY(!books->view()->isVisible());
        QCOMPARE(books->currentText() + "|" + combo(w, "cbonaziv")->currentText() + "|" +
                     field(w, "txtpokazkolicine")->text(),
                 "Glavno|Vijak|100,00");
    }

    // A quantity too large keeps the focus (the document rules); the amount limit resets
    // quantity and amount.
    void quantityAndAmount() {
        frmproizvodi* w = open();
        QLineEdit* qty = field(w, "txtkolicina");
        qty->setText("123456");
        qty->setFocus();
        field(w, "txtsifra")->setFocus();
        QCOMPARE(said(*box_),
                 QStringList{said(Exclamation, "Prevelik broj", "Možete upisati samo do 99 999!")});
        QVERIFY(qty->hasFocus());

        box_->clear();
        qty->clear();
        w->chooseWarehouse(combo(w, "cboskladiste")->findText("Glavno"));
        w->chooseArticle(combo(w, "cbonaziv")->findText("Alat"));
        QCOMPARE(field(w, "txtcijena")->text(), "200000,00");
        qty->setText("49");
        QCOMPARE(field(w, "txtiznos")->text(), "9800000,00");
        qty->setText("50");
        QCOMPARE(said(*box_), QStringList{said(OkQuestion, "Prevelik unos!",
                                               "Iznos ne smije prijeći 9 999 999 zbog bolje "
                                               "kontrole skladišta!")});
        QCOMPARE(qty->text() + "|" + field(w, "txtiznos")->text(), "0,00|0,00");
    }

    // Storing a new product: the header is checked, the product and its lines written, the
    // window emptied; the product list shows it.
    void storing() {
        frmproizvodi* w = open();
        QVERIFY(compose(w, "Glavno", "Kabel", "2"));
        QVERIFY(compose(w, "Pomoćno", "Kabel", "1,5"));
        field(w, "txtsifra")->setText("P1");
        QVERIFY(!w->store());
        header(w, "P1", "Stol", "");
        box_->answer(MsgResult::No).answer(MsgResult::Yes);
        QVERIFY(!w->store());
        QVERIFY(w->store());
        const QString question = said(Question, "Unošenje", "Unosimo proizvod u bazu proizvoda?");
        QCOMPARE(
            said(*box_),
            (QStringList{
                said(Exclamation, "Unos nepotpun", "Nije unešen naziv,sifra ili jedinica mjere!"),
                question, question,
                said(OkQuestion, "Uspješno unošenje", "Unos proizvoda je uspješno izveden!")}));
        const QString id = valueOf(books_.productionBook, "select id from proizvodi");
        QCOMPARE(
            valueOf(books_.productionBook, "select idproizvoda from sastojci where idskladista=?",
                    {books_.pomocnoId()}),
            id);
        QCOMPARE(rowCount(books_.productionBook, "sastojci"), 2);
        QCOMPARE(rows(list(w, "lsvsviproizvodi"), 5), QStringList{"P1|Stol||kom|" + id});
        QCOMPARE(list(w, "lsvproizvodi")->rowCount(), 0);
        QCOMPARE(field(w, "txtnaziv")->text() + field(w, "txtcijenaproizvoda")->text(), "0,00");
        QVERIFY(!button(w, "cmdprihvati")->isEnabled());
    }

    // A new product against the stored "Stol" (and "Stolica" without a bar code).
    void clashes_data() {
        QTest::addColumn<QStringList>("entered");  // code, name, bar code
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("focus");
        dataRow("code", QStringList{"P1", "Klupa", ""},
                "Šifra proizvoda već postoji u bazi podataka!\nNe mogu biti dvije jednake šifre!",
                "txtsifra");
        dataRow("name", QStringList{"P3", "Stol", ""},
                "Naziv proizvoda već postoji u bazi podataka!\nNe mogu se unijeti dva ista naziva!",
                "txtnaziv");
        dataRow("bar code", QStringList{"P3", "Klupa", "385001"},
                "Barkod proizvoda već postoji u bazi podataka!\nNe mogu se unijeti dva ista "
                "barkoda!",
                "txtbarkod");
        dataRow("empty bar codes", QStringList{"P3", "Klupa", ""}, QString(), QString());
    }
    void clashes() {
        QFETCH(QStringList, entered);
        QFETCH(QString, refusal);
        QFETCH(QString, focus);
        frmproizvodi* w = open(true);
        storeProduct(books_.productionBook, {"P2", "Stolica", "", "kom"}, {});
        QVERIFY(compose(w, "Glavno", "Vijak", "1"));
        header(w, entered[0], entered[1], entered[2]);
        box_->answer(MsgResult::Yes);
        QCOMPARE(w->store(), refusal.isEmpty());
        QCOMPARE(rowCount(books_.productionBook, "proizvodi"), refusal.isEmpty() ? 3 : 2);
        if (refusal.isEmpty()) return;
        QCOMPARE(said(*box_).value(1), said(OkQuestion, "Pogrešan unos šifre!", refusal));
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }

    // Printing only in edit mode and only after Yes. A removal is carried out only when the
    // change is saved; leaving edit mode forgets it.
    void changingAndPrinting() {
        frmproizvodi* w = open(true);
        w->print();
        QCOMPARE(box_->count(), 0);
        editStol(w);
        QVERIFY(w->ispis().startsWith("Ispis podataka za proizvod: Stol na dan: "));
        box_->answer(MsgResult::No).answer(MsgResult::Yes);
        w->print();
        QVERIFY(printed_.isEmpty());
        w->print();
        QCOMPARE(said(*box_).value(0), said(Question, "Ispis!", "Ispis proizvoda: Stol na pisač?"));
        QCOMPARE(printed_.size(), 1);
        box_->clear();

        QCOMPARE(field(w, "txtsifra")->text() + field(w, "txtjedmjere")->text(), "P1kom");
        QCOMPARE(button(w, "cmdizmjena")->text() + button(w, "cmdne")->text() +
                     button(w, "cmdbrisiproizvod")->text(),
                 "I&zmjena: Stol&Odustani od izmjene: StolB&risi: Stol");
        const QString vijakLine = list(w, "lsvproizvodi")->text(1, frmproizvodi::IdSastojka);
        QCOMPARE(vijakLine, "2");
        const auto removeVijak = [&] {
            list(w, "lsvproizvodi")->setCurrentRow(1);
            box_->answer(MsgResult::Yes);
            w->removeLine();
        };
        removeVijak();
        QCOMPARE(w->removedLineIds(), QStringList{vijakLine});
        w->cancelChange();
        QCOMPARE(rowCount(books_.productionBook, "sastojci"), 2);
        QCOMPARE(button(w, "cmdne")->text(), "&Odustajem od promjene");
        QVERIFY(!w->isEditMode() && !button(w, "cmdeditiraj")->isEnabled());

        editStol(w);
        removeVijak();
        QVERIFY(compose(w, "Pomoćno", "Kabel", "1"));
        field(w, "txtnaziv")->setText("Stol veliki");
        box_->clear();
        box_->answer(MsgResult::Yes);
        QVERIFY(w->saveChange());
        QCOMPARE(said(*box_),
                 (QStringList{said(Question, "Unošenje", "Mijenjamo osobine proizvoda?Stol"),
                              said(Information, "Promjena!", "Promjena je uspješno obavljena!")}));
        QCOMPARE(valueOf(books_.productionBook, "select naziv from proizvodi"), "Stol veliki");
        QCOMPARE(valueOf(books_.productionBook, "select id from sastojci where id=?", {vijakLine}),
                 "");
        QCOMPARE(rowCount(books_.productionBook, "sastojci"), 2);
        QVERIFY(!w->isEditMode());
    }

    void deleting_data() {
        QTest::addColumn<bool>("inWorkOrder");
        dataRow("free", false);
        dataRow("in a work order", true);
    }
    void deleting() {
        QFETCH(bool, inWorkOrder);
        frmproizvodi* w = open(true);
        // "Polica" keeps its bill line whatever happens to "Stol"; one of the two is in a work
        // order.
        const QString polica = storeProduct(
            books_.productionBook, {"P2", "Polica", "", "kom"},
            {billLine("Glavno", books_.glavno, kabel_, "K1", "Kabel", "1,00", "2,50")});
        Database::openBook(books_.productionBook)
            .execute("insert into radninalozi(brojrn,idproizvoda) values(?,?)",
                     {1, inWorkOrder ? valueOf(books_.productionBook,
                                               "select id from proizvodi where naziv=?", {"Stol"})
                                     : polica});
        editStol(w);
        box_->answer(MsgResult::Yes);
        QCOMPARE(w->deleteProduct(), !inWorkOrder);
        const QStringList refused{said(MsgStyle::OkOnly | MsgStyle::Critical,
                                       "Brisanje onemogućeno!",
                                       "Proizvod: Stol je u tablici radnih naloga i ne može se "
                                       "brisati!")};
        const QStringList deleted{
            said(MsgStyle::YesNo | MsgStyle::Critical | MsgStyle::DefaultButton2,
                 "Brisanje proizvoda!", "Želite brisati cijeli proizvod! Stol\nBudite pažljivi!"),
            said(Information, "Proizvod obrisan", "Proizvod: !Stol je nepovratno obrisan!")};
        QCOMPARE(said(*box_), inWorkOrder ? refused : deleted);
        QCOMPARE(rowCount(books_.productionBook, "sastojci"), inWorkOrder ? 3 : 1);
        QCOMPARE(rows(list(w, "lsvsviproizvodi"), 2),
                 QStringList{inWorkOrder ? "P1|Stol" : "P2|Polica"});
    }

    void closing_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        dataRow("cancel stays", int(MsgResult::Cancel), false);
        dataRow("no closes", int(MsgResult::No), true);
        dataRow("yes with an empty header stays", int(MsgResult::Yes), false);
    }
    void closing() {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QPointer<frmproizvodi> w = open();
        QVERIFY(compose(w, "Glavno", "Vijak", "1"));
        box_->answer(answer);
        w->close();
        QCOMPARE(said(*box_).value(0),
                 said(MsgStyle::YesNoCancel | MsgStyle::Question, "Posprema u skladište",
                      "Želite li unijeti proizvod u bazu proizvoda?"));
        QTRY_COMPARE(w.isNull(), closed);
    }
};

QTEST_MAIN(TstFrmProizvodi)
#include "tst_frmproizvodi.moc"
