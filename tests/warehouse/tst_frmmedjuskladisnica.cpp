// The transfer window as the clerk walks it: the target books of the company, the lines with
// their checks and what the target book has of each article, the confirmation naming the
// articles to be created, both numbers after posting, and a failure that keeps the lines. The
// stored rows of a transfer are tested in tst_transfer.

#include "warehouse/frmartikliizbor.h"
#include "warehouse/frmmedjuskladisnica.h"
#include "warehouse/warehousewindows.h"
#include "warehousefixture.h"

#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

constexpr int Exclamation = MsgStyle::OkOnly | MsgStyle::Exclamation;

QComboBox* combo(QWidget* w, const char* name) {
    return control<QComboBox>(w, QString::fromLatin1(name));
}

QStringList lineTexts(QWidget* w) {
    QStringList lines;
    ReportList* l = list(w, "lsvstavke");
    for (int r = 0; r < l->rowCount(); ++r)
        lines.append(l->rowTexts(r).mid(0, frmMedjuskladisnica::IdArtikla).join(u'|'));
    return lines;
}

}  // namespace

class TstFrmMedjuskladisnica : public WarehouseWindowTest {
    Q_OBJECT

    QString pomocno_;

    void add(frmMedjuskladisnica* w, const QString& name, const QString& quantity) {
        w->chooseArticle(combo(w, "cbonaziv")->findText(name));
        field(w, "txtkolicina")->setText(quantity);
        click(w, "cmddodaj");
    }

  private slots:
    void walk() {
        context().currentCompanyId = 1;
        context().currentBookName = "Glavno";
        addArticle(book_, "K1", "Kabel", 15, 40.55, 2.7);
        addArticle(book_, "Z1", "Žica", 8, 10, 1.25, "m");
        pomocno_ = bookPath(kWarehouseKind, addBook(1, "Pomoćno", kWarehouseKind));
        addArticle(pomocno_, "K1", "Kabel bakreni");
        QFile::remove(bookPath(kWarehouseKind, addBook(1, "Treće", kWarehouseKind)));
        auto* w = shown(windows().window<frmMedjuskladisnica>(kTransferWindowName));
        QVERIFY(w);
        QCOMPARE(field(w, "txtizvor")->text(), "Glavno");
        QCOMPARE(field(w, "txtbroj")->text(), "1");
        QCOMPARE(combo(w, "cboskladiste")->count(), 2);  // the other books only

        add(w, "Kabel", "6");
        QCOMPARE(said(*box_).last(), said(Exclamation, "Unos nepotpun!",
                                          "Najprije odaberite skladište u koje roba ide!"));
        w->chooseTarget(1);  // never entered
        QCOMPARE(said(*box_).last(),
                 said(Exclamation, "Međuskladišnica",
                      "Skladište Treće još nema svoju datoteku: uđite jednom u tu knjigu, pa "
                      "ponovite međuskladišnicu."));
        QCOMPARE(combo(w, "cboskladiste")->currentIndex(), -1);
        w->chooseTarget(0);
        add(w, "Kabel", "16");
        QCOMPARE(said(*box_).last(),
                 said(Exclamation, "Nema toliko!", "Na skladištu nema toliko!"));
        QCOMPARE(field(w, "txtpokazkolicine")->text(), "15,00");
        field(w, "txtkolicina")->setText("6");
        click(w, "cmddodaj");
        add(w, "Žica", "3");
        QCOMPARE(lineTexts(w), QStringList({"K1|Kabel|6,00|2,7|16,20|Kabel bakreni",
                                            "Z1|Žica|3,00|1,25|3,75|novi artikl"}));
        QCOMPARE(w->runningTotal(), "Stavki: 2    Ukupno: 19,95");
        QCOMPARE(box_->count(), 3);

        // A failure in the target book keeps the lines and says that neither book changed.
        QVERIFY(executeRaw(pomocno_,
                           "create trigger fail before insert on ulazizlaz "
                           "begin select raise(abort, 'kvar'); end"));
        box_->clear();
        box_->answer(MsgResult::Yes);
        QVERIFY(!w->post());
        QCOMPARE(said(*box_).first(),
                 said(MsgStyle::YesNo | MsgStyle::Question, "Međuskladišnica",
                      "Međuskladišnica iz skladišta Glavno u skladište Pomoćno: Stavki: 2    "
                      "Ukupno: 19,95.\nU skladištu Pomoćno nema artikala Z1 Žica; upisat će se "
                      "ondje s istom šifrom, nazivom i jedinicom mjere.\nKnjižimo?"));
        QVERIFY(reportsDbError(box_->last(),
                               "Međuskladišnica nije unesena; oba skladišta su "
                               "ostala kakva su bila.\n"));
        QCOMPARE(list(w, "lsvstavke")->rowCount(), 2);

        QVERIFY(executeRaw(pomocno_, "drop trigger fail"));
        box_->clear();
        box_->answer(MsgResult::Yes);
        QVERIFY(w->post());
        QCOMPARE(said(*box_).last(),
                 said(MsgStyle::OkOnly | MsgStyle::Information, "Međuskladišnica",
                      "Međuskladišnica br. 1 je unesena: izdatnica br. 1 u skladištu Glavno i "
                      "primka br. 1 u skladištu Pomoćno."));
        QCOMPARE(list(w, "lsvstavke")->rowCount(), 0);
        QCOMPARE(field(w, "txtbroj")->text(), "2");
        // Žica is in the target book now.
        add(w, "Žica", "1");
        QCOMPARE(lineTexts(w), QStringList{"Z1|Žica|1,00|1,25|1,25|Žica"});

        // Closing with lines asks; Cancel keeps the window and its lines.
        box_->clear();
        box_->answer(MsgResult::Cancel);
        QVERIFY(!w->close());
        QCOMPARE(said(*box_),
                 QStringList{said(MsgStyle::YesNoCancel | MsgStyle::Question,
                                  "Obrada unešenih podataka!",
                                  "Imate unešene podatke na listu desno! Želite ih obraditi?")});
    }

    // "Pretraga postojećih artikala...": the search of this book, its article sent here as if
    // chosen in the lists (one made after they were filled joins them), the search closed.
    void searchSendsArticle() {
        context().currentCompanyId = 1;
        addArticle(book_, "K1", "Kabel", 15, 40.55, 2.7);
        auto* w = shown(windows().window<frmMedjuskladisnica>(kTransferWindowName));
        addArticle(book_, "N1", "Novi kabel", 4, 10, 2.5);
        click(w, "cmdpretraga");
        QCOMPARE(context().documentMode, "Medjuskladisnica");
        QPointer<frmartikliizbor> search =
            qobject_cast<frmartikliizbor*>(windows().loaded(win::ArtikliIzbor));
        QVERIFY(search);
        QCOMPARE(search->book().filePath(), book_);
        clickRow(list(search, "lsvsviartikli"), "N1", 0);
        click(search, "cmdodabir");
        QTest::qWait(20);
        QVERIFY(search.isNull());
        QCOMPARE(combo(w, "Cbosifra")->currentText(), "N1");
        QCOMPARE(combo(w, "cbonaziv")->currentText(), "Novi kabel");
        QCOMPARE(field(w, "txtpokazkolicine")->text(), "4,00");
        QCOMPARE(field(w, "txtcijena")->text(), "2,5");
        QCOMPARE(box_->count(), 0);
    }
};

QTEST_MAIN(TstFrmMedjuskladisnica)
#include "tst_frmmedjuskladisnica.moc"
