// The article search as the clerk uses it: which entries a search selects, the refusals of
// sending, and the article that reaches the receipt and issue window or the products window,
// read from the right book at the moment it is sent.

#include "data/database.h"
#include "warehouse/frmartikliizbor.h"
#include "warehousefixture.h"

#include <QPointer>
#include <QRadioButton>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

constexpr int Question = MsgStyle::OkOnly | MsgStyle::Question;
const QString kRefused = said(Question, QStringLiteral("Selekcija artikla"),
                              QStringLiteral("Selektirajte samo jedan artikl ili nema "
                                             "selektiranog artikla"));

// A window the search sends to; keeps every article it receives.
class FakeReceiver : public QWidget, public ArticleReceiver {
    Q_OBJECT
  public:
    void receiveArticle(const ArticleStock& a) override {
        received.append(QStringLiteral("%1 %2 %3 %4 %5")
                            .arg(a.id, a.sifra, a.naziv)
                            .arg(a.stanje)
                            .arg(a.proscijena));
    }
    QStringList received;  // "id code name stock average"
};

QStringList selectedCodes(ReportList* list) {
    QStringList codes;
    for (int row : list->selectedRows())
        codes.append(list->text(row, 0));
    return codes;
}

}  // namespace

class TstArticleSearch : public WarehouseWindowTest {
    Q_OBJECT

    // Opened for a receipt unless told otherwise; the mode decides the book it reads.
    frmartikliizbor* openSearch(const QString& mode = QStringLiteral("Primka")) {
        context().documentMode = mode;
        return shown(windows().window<frmartikliizbor>(win::ArtikliIzbor));
    }
    void addSamples() {
        addArticle(book_, "A1", "Abeceda", 0, 0, 0, "kom", 2.675, "385001");
        addArticle(book_, "ab-2", "ABC");
        addArticle(book_, "K3", "Kabel");
        addArticle(book_, "Č4", "Čokolada");
    }

  private slots:
    void opening() {
        addSamples();
        frmartikliizbor* w = openSearch();
        QVERIFY(w);
        ReportList* l = list(w, "lsvsviartikli");
        QCOMPARE(l->rowCount(), 4);
        QCOMPARE(l->rowTexts(0).mid(0, 5), QStringList({"A1", "385001", "Abeceda", "kom", "2,68"}));
        QCOMPARE(l->text(3, 0), QStringLiteral("Č4"));
        QCOMPARE(l->columnWidth(5), 0);
        QVERIFY(l->isMultiSelection());
        QVERIFY(field(w, "txtupis")->hasFocus());

        QCOMPARE(w->windowTitle(), QStringLiteral("Pretraga artikala     Pomoć  F1"));
        QTest::keyClick(field(w, "txtupis"), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("F1 vrati se u mod pretrage!"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Pretraga artikala    Pomoć  F1"));
        QCOMPARE(box_->count(), 0);
    }

    void unreadableBook() {
        Database::open(book_).execute("drop table artikli");
        frmartikliizbor* w = openSearch();
        QVERIFY(w);
        QCOMPARE(list(w, "lsvsviartikli")->rowCount(), 0);
        QCOMPARE(box_->count(), 1);
        QVERIFY(reportsDbError(box_->last(), "Artikle nije moguće pročitati.\n"));
    }

    // Kabel is selected beforehand: a search deselects everything first.
    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("selected");
        auto row = [](const char* name, const QString& text, const char* field, const char* how,
                      const QStringList& selected) {
            QTest::newRow(name) << text << field << how << selected;
        };
        row("name begins", "ab", "Optponazivu", "optpocinjesa", {"A1", "ab-2"});
        row("name anywhere", "ab", "Optponazivu", "optimaunazivu", {"A1", "ab-2", "K3"});
        row("whole name, trimmed", " abc ", "Optponazivu", "optcijelinaziv", {"ab-2"});
        row("whole name, none", "ab", "Optponazivu", "optcijelinaziv", {});
        row("Croatian capitals", "čOK", "Optponazivu", "optpocinjesa", {"Č4"});
        row("code begins", "AB", "optposifri", "optpocinjesa", {"ab-2"});
        row("code anywhere", "4", "optposifri", "optimaunazivu", {"Č4"});
        row("code is no name", "Kab", "optposifri", "optimaunazivu", {});
    }
    void search() {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(QString, how);
        QFETCH(QStringList, selected);
        addSamples();
        frmartikliizbor* w = openSearch();
        QVERIFY(w);
        ReportList* l = list(w, "lsvsviartikli");
        l->setRowSelected(2, true);
        control<QRadioButton>(w, field)->click();
        control<QRadioButton>(w, how)->click();
        kl::test::field(w, "txtupis")->setText(text);
        click(w, "cmdtrazi");
        QCOMPARE(selectedCodes(l), selected);
        const QStringList none = {said(Question, QStringLiteral("Nema traženog upisa"),
                                       QStringLiteral("Nema traženog upisa"))};
        QCOMPARE(said(*box_), selected.isEmpty() ? none : QStringList());
        if (selected.size() == 1) return;

        // Several or none selected: nothing is sent.
        windows().define(kDocumentWindowName, [] { return new FakeReceiver; });
        auto* receiver = windows().window<FakeReceiver>(kDocumentWindowName);
        box_->clear();
        click(w, "cmdodabir");
        QCOMPARE(said(*box_), QStringList(kRefused));
        QVERIFY(receiver->received.isEmpty() && w->isVisible());
    }

    void emptySearchOnlyFocuses_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks only") << "   ";
    }
    void emptySearchOnlyFocuses() {
        QFETCH(QString, text);
        addSamples();
        frmartikliizbor* w = openSearch();
        QVERIFY(w);
        ReportList* l = list(w, "lsvsviartikli");
        l->setRowSelected(1, true);
        field(w, "txtupis")->setText(text);
        click(w, "cmdtrazi");  // the click takes the focus to the button
        QVERIFY(field(w, "txtupis")->hasFocus());
        QCOMPARE(selectedCodes(l), QStringList({"ab-2"}));
        QCOMPARE(box_->count(), 0);
    }

    // The article as it stands in the book when it is sent; the window closes after sending.
    void send_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("spoil");  // what happens to the book after opening
        QTest::addColumn<QString>("message");
        auto row = [](const char* name, const char* mode, bool twice, const char* spoil,
                      const QString& message) {
            QTest::newRow(name) << mode << twice << spoil << message;
        };
        row("receipt", "Primka", false, "", "");
        row("issue, double click", "Izdatnica", true, "", "");
        row("production", "proizvodnja", false, "", "");
        row("other mode", "Skladiste", false, "", "Skladiste");
        row("article deleted", "Primka", false, "delete", "Artikl više ne postoji u skladištu!");
        row("unreadable", "Izdatnica", false, "drop", "Artikl nije moguće pročitati.");
    }
    void send() {
        QFETCH(QString, mode);
        QFETCH(bool, doubleClick);
        QFETCH(QString, spoil);
        QFETCH(QString, message);
        addArticle(book_, "CUR", "Tekuće skladište", 1, 1, 1);
        QString from = book_;
        const bool production = mode == QLatin1String("proizvodnja");
        if (production) {
            const int material = addBook(addCompany("Beta"), "Materijal", kWarehouseKind);
            context().materialBookFile = bookFileName(kWarehouseKind, QString::number(material));
            from = context().materialBookPath();
        } else {
            context().materialBookFile = context().currentBookFile;
        }
        const int id = addArticle(from, "M1", "Vijak", 0, 0, 0);
        const QString name = production ? kProductsWindowName : kDocumentWindowName;
        windows().define(name, [] { return new FakeReceiver; });
        auto* receiver = windows().window<FakeReceiver>(name);
        QPointer<frmartikliizbor> w = openSearch(mode);
        QVERIFY(w);
        ReportList* l = list(w, "lsvsviartikli");
        QCOMPARE(l->findRow(QStringLiteral("CUR")) >= 0, !production);

        // Figures changed after the list was read are the ones sent.
        {
            Database db = Database::open(from);
            db.execute("update artikli set stanje=?,proscijena=? where id=?", {12.5, 2.25, id});
            if (spoil == "delete") db.execute("delete from artikli where id=?", {id});
            if (spoil == "drop") db.execute("drop table artikli");
        }
        clickRow(l, QStringLiteral("M1"), 0, doubleClick);
        if (!doubleClick) click(w, "cmdodabir");
        QTest::qWait(20);
        if (message.isEmpty()) {
            QCOMPARE(box_->count(), 0);
            QCOMPARE(receiver->received, QStringList(QString::number(id) + " M1 Vijak 12.5 2.25"));
            QVERIFY(w.isNull());
            return;
        }
        QCOMPARE(box_->count(), 1);
        QVERIFY2(box_->last().prompt.startsWith(message), qPrintable(box_->last().prompt));
        if (spoil == "drop") QVERIFY(reportsDbError(box_->last(), message));
        if (spoil == "delete") QCOMPARE(box_->last().title, QStringLiteral("Nema artikla"));
        QCOMPARE(box_->last().plain, spoil.isEmpty());
        QVERIFY(receiver->received.isEmpty());
        QVERIFY(!w.isNull() && w->isVisible());
    }
};

QTEST_MAIN(TstArticleSearch)
#include "tst_frmartikliizbor.moc"
