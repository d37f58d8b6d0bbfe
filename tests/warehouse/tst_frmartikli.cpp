// The article window as the clerk uses it: the entry list and what may go on it, storing the
// list, changing one article, closing with entries left, and the receipt window's lists kept
// up to date when the window was opened from it. Every message is checked as shown.

#include "data/appcontext.h"
#include "data/database.h"
#include "fakedocument.h"
#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"
#include "warehouse/frmartikli.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

constexpr int Exclamation = MsgStyle::OkOnly | MsgStyle::Exclamation;

}  // namespace

class TstFrmArtikli : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<ScriptedMsgBox> box_;
    QString book_;

    frmartikli* open() {
        auto* w = new frmartikli;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w)) return nullptr;
        return w;
    }
    static QLineEdit* field(frmartikli* w, const char* name) {
        return w->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    static QPushButton* button(frmartikli* w, const char* name) {
        return w->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static ReportList* list(frmartikli* w, const char* name) {
        return w->findChild<ReportList*>(QString::fromLatin1(name));
    }
    // Types an article into the fields and presses "Dodaj na listu".
    static void enter(frmartikli* w, const QString& code, const QString& name,
                      const QString& barcode = QString(), const QString& minimum = "0,00") {
        field(w, "txtsifra")->setText(code);
        field(w, "txtbarkod")->setText(barcode);
        field(w, "txtnaziv")->setText(name);
        field(w, "txtjedmjere")->setText(QStringLiteral("kom"));
        field(w, "txtminkolicina")->setText(minimum);
        w->addToList();
    }
    static QStringList column(ReportList* l, int c) {
        QStringList texts;
        for (int r = 0; r < l->rowCount(); ++r)
            texts.append(l->text(r, c));
        return texts;
    }
    static void choose(ReportList* l, int row) {
        l->setCurrentRow(row);
        emit l->rowClicked(row);
    }

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        box_ = std::make_unique<ScriptedMsgBox>();
        createMaster();
        const int company = addCompany(QStringLiteral("Alfa"));
        const int id = addBook(company, QStringLiteral("Glavno"), kWarehouseKind);
        book_ = bookPath(kWarehouseKind, id);
        context().currentBookFile = bookFileName(kWarehouseKind, QString::number(id));
        context().currentBookType = kWarehouseKind;
    }
    void cleanup() {
        windows().clear();
        box_.reset();
        folder_.reset();
    }

    void opening() {
        frmartikli* w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Unos novog artikla     Pomoć  F1"));
        // The book holds 30 characters of a name; the field refuses the rest as it is typed.
        QCOMPARE(field(w, "txtnaziv")->maxLength(), 30);
        QCOMPARE(field(w, "txtminkolicina")->text(), QStringLiteral("0,00"));
        QVERIFY(field(w, "txtsifra")->hasFocus());
        for (const char* b :
             {"cmddodaj", "cmdbrisi", "cmdprihvati", "cmdeditiraj", "cmdizmjena", "cmdne"})
            QVERIFY2(!button(w, b)->isEnabled(), b);
        QVERIFY(button(w, "cmdodustani")->isEnabled());
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Unos novog artikla     Pomoć  F1"));
    }

    // Code, name, unit and minimum quantity make an entry; the bar code may stay empty.
    void addButtonFollowsTheFields() {
        frmartikli* w = open();
        QVERIFY(w);
        QPushButton* add = button(w, "cmddodaj");
        field(w, "txtsifra")->setText(QStringLiteral("A1"));
        field(w, "txtnaziv")->setText(QStringLiteral("Vijak"));
        QVERIFY(!add->isEnabled());
        field(w, "txtjedmjere")->setText(QStringLiteral("kom"));
        QVERIFY(add->isEnabled());
        field(w, "txtminkolicina")->clear();
        QVERIFY(!add->isEnabled());
        field(w, "txtminkolicina")->setText(QStringLiteral("5"));
        QVERIFY(add->isEnabled());
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(list(w, "lsvartikli")->rowTexts(0),
                 QStringList({"A1", "", "Vijak", "kom", "5,00"}));
        for (const char* f : {"txtsifra", "txtbarkod", "txtnaziv", "txtjedmjere"})
            QVERIFY2(field(w, f)->text().isEmpty(), f);
        QCOMPARE(field(w, "txtminkolicina")->text(), QStringLiteral("0,00"));
        QVERIFY(!add->isEnabled());
        QVERIFY(button(w, "cmdbrisi")->isEnabled());
        QVERIFY(button(w, "cmdprihvati")->isEnabled());
        QVERIFY(field(w, "txtsifra")->hasFocus());
    }

    // What keeps an article off the entry list, and what does not.
    void entryListRules_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focus");
        // On the list: A1 (bar code 385), B1 (none). In the book: S1 (bar code 777), S2 (none).
        // Which codes clash is tested on the book itself; here each clash gives its message.
        QTest::newRow("code on the list")
            << "A1"
            << ""
            << "Ista šifra postoji već na listi desno, promjenite šifru"
            << "Šifra postoji"
            << "txtsifra";
        QTest::newRow("bar code on the list")
            << "A2"
            << "385"
            << "Isti barkod postoji već na listi desno, promjenite barkod"
            << "Barkod postoji!"
            << "txtbarkod";
        QTest::newRow("code in the book") << "S1"
                                          << ""
                                          << "Šifra artikla postoji, ne može se unijeti ista šifra"
                                          << "Šifra postoji"
                                          << "txtsifra";
        QTest::newRow("bar code in the book")
            << "A2"
            << "777"
            << "Isti barkod postoji već u bazi artikala! Promjenite barkod!"
            << "Barkod postoji!"
            << "txtbarkod";
    }
    void entryListRules() {
        QFETCH(QString, code);
        QFETCH(QString, barcode);
        QFETCH(QString, prompt);
        QFETCH(QString, title);
        QFETCH(QString, focus);
        addArticle(book_, QStringLiteral("S1"), QStringLiteral("U knjizi"), 0, 0, 0,
                   QStringLiteral("kom"), 0, QStringLiteral("777"));
        addArticle(book_, QStringLiteral("S2"), QStringLiteral("U knjizi bez barkoda"));
        frmartikli* w = open();
        QVERIFY(w);
        enter(w, QStringLiteral("A1"), QStringLiteral("Prvi"), QStringLiteral("385"));
        enter(w, QStringLiteral("B1"), QStringLiteral("Drugi"));
        QCOMPARE(box_->count(), 0);
        QCOMPARE(w->entryCount(), 2);

        enter(w, code, QStringLiteral("Novi"), barcode);
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt, prompt);
        QCOMPARE(box_->last().title, title);
        QCOMPARE(box_->last().style, Exclamation);
        QCOMPARE(w->entryCount(), 2);
        QCOMPARE(field(w, "txtsifra")->text(), code);  // nothing is emptied
        QVERIFY(w->findChild<QLineEdit*>(focus)->hasFocus());
    }

    void storingTheList() {
        frmartikli* w = open();
        QVERIFY(w);
        enter(w, QStringLiteral("A1"), QStringLiteral("Vijak"), QStringLiteral("385"), "2,5");
        enter(w, QStringLiteral("A2"), QStringLiteral("Matica"));
        enter(w, QStringLiteral("A3"), QStringLiteral("Podloška"));

        box_->answer(MsgResult::Cancel);
        QTest::mouseClick(button(w, "cmdprihvati"), Qt::LeftButton);
        QCOMPARE(box_->last().prompt, QStringLiteral("Unosimo u bazu artikle iz liste desno"));
        QCOMPARE(box_->last().title, QStringLiteral("Unošenje podataka"));
        QCOMPARE(box_->last().style, MsgStyle::OkCancel | MsgStyle::Question);
        QCOMPARE(rowCount(book_, QStringLiteral("artikli")), 0);
        QCOMPARE(w->entryCount(), 3);

        box_->answer(MsgResult::Ok);
        QTest::mouseClick(button(w, "cmdprihvati"), Qt::LeftButton);
        QCOMPARE(w->entryCount(), 0);
        QVERIFY(!button(w, "cmdprihvati")->isEnabled());
        QVERIFY(!button(w, "cmdbrisi")->isEnabled());
        ReportList* all = list(w, "lsvsviartikli");
        QCOMPARE(all->rowTexts(0).mid(0, 5), QStringList({"A1", "385", "Vijak", "kom", "2,50"}));
        QCOMPARE(column(all, 0), QStringList({"A1", "A2", "A3"}));
        Database db = Database::open(book_);
        Recordset rs = db.openRecordset(
            QStringLiteral("select * from artikli where stanje=0 and vrijednost=0 and "
                           "proscijena=0 order by id"));
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(column(all, 5), QStringList({"1", "2", "3"}));
    }

    void editingWaitsForAnEmptyList() {
        addArticle(book_, QStringLiteral("S1"), QStringLiteral("Stari"));
        frmartikli* w = open();
        QVERIFY(w);
        enter(w, QStringLiteral("A1"), QStringLiteral("Vijak"));
        choose(list(w, "lsvsviartikli"), 0);
        QVERIFY(button(w, "cmdeditiraj")->isEnabled());
        QTest::mouseClick(button(w, "cmdeditiraj"), Qt::LeftButton);
        QCOMPARE(box_->last().prompt,
                 QStringLiteral(" Editiranje onemogućeno. Trebali bi prvo riješiti listu za "
                                "unošenje. Obrisati listu ili je unijeti"));
        QCOMPARE(box_->last().title, QStringLiteral("Lista za unošenje nije prazna!"));
        QCOMPARE(box_->last().style, Exclamation);
        QVERIFY(!w->isEditing());
        for (const char* b : {"cmdizmjena", "cmdeditiraj", "cmdne"})
            QVERIFY2(!button(w, b)->isEnabled(), b);
    }

    // Saving a change: which code changes are checked, the question, what is stored.
    void savingAChange_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal");  // expected message, or empty when stored
        QTest::newRow("only the name") << "S1"
                                       << "Novi naziv"
                                       << "";
        QTest::newRow("code in other case") << "s1"
                                            << "Stari"
                                            << "";
        QTest::newRow("code of another article")
            << "S2"
            << "Stari"
            << "Šifra artikla postoji, ne može se unijeti ista šifra";
        QTest::newRow("empty name") << "S1"
                                    << ""
                                    << "Sve osim barkoda mora biti unešeno!";
    }
    void savingAChange() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        addArticle(book_, QStringLiteral("S1"), QStringLiteral("Stari"), 0, 0, 0,
                   QStringLiteral("kom"), 1.5, QStringLiteral("385"));
        addArticle(book_, QStringLiteral("S2"), QStringLiteral("Drugi"));
        frmartikli* w = open();
        QVERIFY(w);
        ReportList* all = list(w, "lsvsviartikli");
        choose(all, 0);
        emit all->rowDoubleClicked(0);
        QVERIFY(w->isEditing());
        QCOMPARE(field(w, "txtminkolicina")->text(), QStringLiteral("1,50"));
        QCOMPARE(field(w, "txtbarkod")->text(), QStringLiteral("385"));
        QCOMPARE(button(w, "cmdizmjena")->text(), QStringLiteral("Izmjena: S1"));
        QCOMPARE(button(w, "cmdne")->text(), QStringLiteral("&Odustajem od promjene: S1"));
        QVERIFY(!button(w, "cmddodaj")->isEnabled());
        QVERIFY(!button(w, "cmdeditiraj")->isEnabled());

        field(w, "txtsifra")->setText(code);
        field(w, "txtnaziv")->setText(name);
        box_->answer(MsgResult::Yes);
        QTest::mouseClick(button(w, "cmdizmjena"), Qt::LeftButton);
        Database db = Database::open(book_);
        Recordset rs =
            db.openRecordset(QStringLiteral("select sifra,naziv from artikli order by id"));
        if (!refusal.isEmpty()) {
            QCOMPARE(box_->count(), 1);
            QCOMPARE(box_->last().prompt, refusal);
            QVERIFY(w->isEditing());
            QVERIFY(field(w, "txtsifra")->hasFocus());
            QCOMPARE(rs.text(QStringLiteral("naziv")), QStringLiteral("Stari"));
            return;
        }
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Želite mijenjati artikl pod šifrom: ") + code);
        QCOMPARE(box_->last().title, QStringLiteral("Izmjena: S1"));
        QCOMPARE(box_->last().style, MsgStyle::YesNo | MsgStyle::Question);
        QCOMPARE(rs.text(QStringLiteral("sifra")), code);
        QCOMPARE(rs.text(QStringLiteral("naziv")), name);
        QVERIFY(!w->isEditing());
        QCOMPARE(button(w, "cmdizmjena")->text(), QStringLiteral("I&zmjena"));
        QCOMPARE(button(w, "cmdne")->text(), QStringLiteral("Ostajem od promjene"));
        QCOMPARE(all->rowTexts(0).mid(0, 5), QStringList({code, "385", name, "kom", "1,50"}));
        QVERIFY(field(w, "txtsifra")->text().isEmpty());
    }

    void noOrCancelLeavesTheArticle() {
        addArticle(book_, QStringLiteral("S1"), QStringLiteral("Stari"));
        frmartikli* w = open();
        QVERIFY(w);
        ReportList* all = list(w, "lsvsviartikli");
        for (int answerNo = 0; answerNo < 2; ++answerNo) {
            choose(all, 0);
            w->editSelected();
            field(w, "txtnaziv")->setText(QStringLiteral("Novi"));
            if (answerNo) {
                box_->answer(MsgResult::No);
                w->saveEdit();
            } else {
                QTest::mouseClick(button(w, "cmdne"), Qt::LeftButton);
            }
            QVERIFY(!w->isEditing());
            QCOMPARE(button(w, "cmdizmjena")->text(), QStringLiteral("Izmjena"));
            QCOMPARE(button(w, "cmdne")->text(), QStringLiteral("Odustajem od promjene"));
            QCOMPARE(field(w, "txtminkolicina")->text(), QStringLiteral("0,00"));
            QCOMPARE(all->text(0, 2), QStringLiteral("Stari"));
        }
        QCOMPARE(Database::open(book_)
                     .openRecordset(QStringLiteral("select naziv from artikli"))
                     .text(QStringLiteral("naziv")),
                 QStringLiteral("Stari"));
    }

    // Closing with entries on the list: Cancel keeps window and list, No drops the entries,
    // Yes stores them without asking again.
    void closingWithEntries_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stays");
        QTest::addColumn<int>("stored");
        QTest::newRow("cancel") << int(MsgResult::Cancel) << true << 0;
        QTest::newRow("no") << int(MsgResult::No) << false << 0;
        QTest::newRow("yes") << int(MsgResult::Yes) << false << 2;
    }
    void closingWithEntries() {
        QFETCH(int, answer);
        QFETCH(bool, stays);
        QFETCH(int, stored);
        QPointer<frmartikli> w = open();
        QVERIFY(w);
        enter(w, QStringLiteral("A1"), QStringLiteral("Vijak"));
        enter(w, QStringLiteral("A2"), QStringLiteral("Matica"));
        box_->answer(answer);
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::qWait(10);
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Želite li pospremiti u skladište artikle na listi desno?"));
        QCOMPARE(box_->last().title, QStringLiteral("Posprema u skladište"));
        QCOMPARE(box_->last().style, MsgStyle::YesNoCancel | MsgStyle::Question);
        QCOMPARE(!w.isNull() && w->isVisible(), stays);
        if (stays) QCOMPARE(w->entryCount(), 2);
        QCOMPARE(rowCount(book_, QStringLiteral("artikli")), stored);
    }

    void closingAsksOnlyForEntries() {
        QPointer<frmartikli> w = open();
        QVERIFY(w);
        enter(w, QStringLiteral("A1"), QStringLiteral("Vijak"));
        list(w, "lsvartikli")->setCurrentRow(0);
        w->removeFromList();
        QTest::mouseClick(button(w, "cmdodustani"), Qt::LeftButton);
        QTest::qWait(10);
        QVERIFY(w.isNull());
        QCOMPARE(box_->count(), 0);
    }

    // Opened from the receipt window, storing leaves the last stored article chosen there and
    // closing refills its lists in name order.
    void keepsTheReceiptWindowUpToDate() {
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        addArticle(book_, QStringLiteral("S1"), QStringLiteral("Žica"));
        context().calledFromDocument = true;
        QPointer<frmartikli> w = open();
        QVERIFY(w);
        QCOMPARE(document->chosenCode, QStringLiteral("S1"));
        enter(w, QStringLiteral("A1"), QStringLiteral("Vijak"));
        enter(w, QStringLiteral("A2"), QStringLiteral("Matica"));
        box_->answer(MsgResult::Ok);
        w->storeList();
        QCOMPARE(document->codes, QStringList({"S1", "A1", "A2"}));
        QCOMPARE(document->names, QStringList({"Žica", "Vijak", "Matica"}));
        QCOMPARE(document->chosenCode, QStringLiteral("A2"));
        QCOMPARE(document->chosenName, QStringLiteral("Matica"));
        QCOMPARE(document->chosenId, QStringLiteral("3"));

        w->close();
        QTest::qWait(10);
        QVERIFY(w.isNull());
        QCOMPARE(document->choiceRefreshes, 1);
        QStringList names;
        for (const ArticleChoice& c : document->choices)
            names.append(c.naziv);
        QCOMPARE(names, QStringList({"Matica", "Vijak", "Žica"}));
        QCOMPARE(document->choices.front().id, QStringLiteral("3"));
        QVERIFY(!context().calledFromDocument);
    }

    void otherwiseTheReceiptWindowIsLeftAlone() {
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        frmartikli* w = open();
        QVERIFY(w);
        enter(w, QStringLiteral("A1"), QStringLiteral("Vijak"));
        box_->answer(MsgResult::Ok);
        w->storeList();
        QVERIFY(document->codes.isEmpty());
        QVERIFY(document->chosenCode.isEmpty());
        QVERIFY(!document->isVisible());
    }

    // A list that cannot be stored is kept whole, and the clerk is told why.
    void failedStoringKeepsTheList() {
        frmartikli* w = open();
        QVERIFY(w);
        enter(w, QStringLiteral("A1"), QStringLiteral("Vijak"));
        enter(w, QStringLiteral("A2"), QStringLiteral("Matica"));
        {
            Database db = Database::open(book_);
            db.execute(QStringLiteral("create unique index ix_test_naziv on artikli (naziv)"));
        }
        addArticle(book_, QStringLiteral("S1"), QStringLiteral("Matica"));
        box_->answer(MsgResult::Ok);
        QVERIFY(!w->storeList());
        QCOMPARE(box_->last().title, QStringLiteral("Greška u bazi"));
        QVERIFY(box_->last().prompt.startsWith(
            QStringLiteral("Artikli s liste nisu spremljeni; lista je ostala kakva je bila.\n")));
        QCOMPARE(box_->last().style, MsgStyle::OkOnly | MsgStyle::Critical);
        QCOMPARE(w->entryCount(), 2);
        QCOMPARE(rowCount(book_, QStringLiteral("artikli")), 1);
    }
};

QTEST_MAIN(TstFrmArtikli)
#include "tst_frmartikli.moc"
