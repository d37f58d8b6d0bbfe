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

// A window the search sends to; keeps every article it receives.
class FakeReceiver : public QWidget, public ArticleReceiver {
    Q_OBJECT
  public:
    void receiveArticle(const ArticleStock& a) override {
        received << QStringList{a.id, a.sifra, a.naziv, QString::number(a.stanje),
                                QString::number(a.proscijena)}
                        .join(u' ');
    }
    QStringList received;  // "id code name stock average"
};

// Defines the fake as the window `name` and loads it.
FakeReceiver* loadReceiver(const QString& name) {
    windows().define(name, [] { return new FakeReceiver; });
    return windows().window<FakeReceiver>(name);
}

// The codes of the selected entries, joined by blanks.
QString selectedCodes(ReportList* list) {
    QStringList codes;
    for (int row : list->selectedRows())
        codes.append(list->text(row, 0));
    return codes.join(u' ');
}

}  // namespace

class TstArticleSearch : public WarehouseWindowTest {
    Q_OBJECT

    // The mode decides the book the search reads and the window it sends to.
    frmartikliizbor* openSearch(const QString& mode = QStringLiteral("Primka")) {
        context().documentMode = mode;
        return shown(windows().window<frmartikliizbor>(win::ArtikliIzbor));
    }
    void addSamples() {
        addArticle(book_, "A1", "Abeceda", 0, 0, 0, "kom", 2.675, "385001");
        addArticle(book_, "ab-2", "ABC");
        addArticle(book_, "K3", "Kabel");
        addArticle(book_, "Č4", "Čokolada  ");
    }

  private slots:
    void opening() {
        addSamples();
        frmartikliizbor* w = openSearch();
        QVERIFY(w);
        ReportList* l = list(w, "lsvsviartikli");
        QCOMPARE(l->rowCount(), 4);
        QCOMPARE(l->rowTexts(0).mid(0, 5), QStringList({"A1", "385001", "Abeceda", "kom", "2,68"}));
        QCOMPARE(l->text(3, 0), "Č4");
        QVERIFY(field(w, "txtupis")->hasFocus());
        QTest::keyClick(field(w, "txtupis"), Qt::Key_F1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), "Pretraga artikala    Pomoć  F1");
        QCOMPARE(box_->count(), 0);

        // A book whose articles cannot be read opens an empty list and says why.
        w->close();
        QTest::qWait(20);
        Database::openBook(book_).execute("drop table artikli");
        w = openSearch();
        QVERIFY(w);
        QCOMPARE(list(w, "lsvsviartikli")->rowCount(), 0);
        QCOMPARE(box_->count(), 1);
        QVERIFY(reportsDbError(box_->last(), "Artikle nije moguće pročitati.\n"));
    }

    // Kabel is selected beforehand: a search deselects everything first; an empty search only
    // puts the focus into the search text. Several or no entries selected are not sent.
    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("options");   // the field and the way of matching
        QTest::addColumn<QString>("selected");  // codes
        dataRow("name begins", "ab", "Optponazivu optpocinjesa", "A1 ab-2");
        dataRow("name anywhere", "ab", "Optponazivu optimaunazivu", "A1 ab-2 K3");
        dataRow("whole name, trimmed", " abc ", "Optponazivu optcijelinaziv", "ab-2");
        dataRow("whole name, none", "ab", "Optponazivu optcijelinaziv", "");
        dataRow("whole name, the article's trimmed", "čokolada", "Optponazivu optcijelinaziv",
                "Č4");
        dataRow("Croatian capitals", "čOK", "Optponazivu optpocinjesa", "Č4");
        dataRow("code begins", "AB", "optposifri optpocinjesa", "ab-2");
        dataRow("code anywhere", "4", "optposifri optimaunazivu", "Č4");
        dataRow("code is no name", "Kab", "optposifri optimaunazivu", "");
        dataRow("empty", "", "Optponazivu optimaunazivu", "K3");
        dataRow("blanks only", "   ", "Optponazivu optimaunazivu", "K3");
    }
    void search() {
        QFETCH(QString, text);
        QFETCH(QString, options);
        QFETCH(QString, selected);
        addSamples();
        frmartikliizbor* w = openSearch();
        QVERIFY(w);
        ReportList* l = list(w, "lsvsviartikli");
        l->setRowSelected(2, true);
        for (const QString& option : options.split(u' '))
            control<QRadioButton>(w, option)->click();
        field(w, "txtupis")->setText(text);
        click(w, "cmdtrazi");  // the click takes the focus to the button
        QCOMPARE(selectedCodes(l), selected);
        QCOMPARE(said(*box_).join(u';'),
                 selected.isEmpty() ? said(Question, "Nema traženog upisa", "Nema traženog upisa")
                                    : QString());
        QCOMPARE(field(w, "txtupis")->hasFocus(), text.trimmed().isEmpty());
        if (l->selectedRows().size() == 1) return;

        FakeReceiver* receiver = loadReceiver(kDocumentWindowName);
        box_->clear();
        click(w, "cmdodabir");
        QCOMPARE(said(*box_).join(u';'),
                 said(Question, "Selekcija artikla",
                      "Selektirajte samo jedan artikl ili nema selektiranog artikla"));
        QVERIFY(receiver->received.isEmpty() && w->isVisible());
    }

    // The article as it stands in the book when it is sent; the window closes after sending.
    // Otherwise one box: its style, title and first line.
    void send_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("spoil");  // done to the book after opening
        QTest::addColumn<QString>("message");
        dataRow("receipt", "Primka", false, "", "");
        dataRow("issue, double click", "Izdatnica", true, "", "");
        dataRow("production", "proizvodnja", false, "", "");
        dataRow("other mode", "Skladiste", false, "",
                "plain " + said(0, "Knjige Lumen", "Skladiste"));
        dataRow("article deleted", "Primka", false, "delete from artikli where sifra='M1'",
                said(MsgStyle::Exclamation, "Nema artikla", "Artikl više ne postoji u skladištu!"));
        dataRow("unreadable", "Izdatnica", false, "drop table artikli",
                said(MsgStyle::Critical, "Greška u bazi", "Artikl nije moguće pročitati."));
    }
    void send() {
        QFETCH(QString, mode);
        QFETCH(bool, doubleClick);
        QFETCH(QString, spoil);
        QFETCH(QString, message);
        addArticle(book_, "CUR", "Tekuće skladište", 1, 1, 1);
        QString from = book_.filePath();
        const bool production = mode == "proizvodnja";
        if (production) {
            const int material = addBook(addCompany("Beta"), "Materijal", kWarehouseKind);
            context().materialBookFile = bookFileName(kWarehouseKind, QString::number(material));
            from = context().bookPath(context().materialBookFile);
        } else {
            context().materialBookFile = context().currentBookFile;
        }
        const int id = addArticle(from, "M1", "Vijak", 0, 0, 0);
        FakeReceiver* receiver =
            loadReceiver(production ? kProductsWindowName : kDocumentWindowName);
        QPointer<frmartikliizbor> w = openSearch(mode);
        QVERIFY(w);
        ReportList* l = list(w, "lsvsviartikli");
        QCOMPARE(l->findRow("CUR") >= 0, !production);

        // Figures changed after the list was read are the ones sent.
        Database::open(from).execute("update artikli set stanje=?,proscijena=? where id=?",
                                     {12.5, 2.25, id});
        if (!spoil.isEmpty()) Database::open(from).execute(spoil);
        clickRow(l, "M1", 0, doubleClick);
        if (!doubleClick) click(w, "cmdodabir");
        QTest::qWait(20);
        QStringList boxes;
        for (const MsgBoxShown& b : box_->shown())
            boxes << (b.plain ? "plain " : "") +
                         said(b.style, b.title, b.prompt.section('\n', 0, 0));
        QCOMPARE(boxes.join(u';'), message);
        QCOMPARE(receiver->received.join(u';'),
                 message.isEmpty() ? QString::number(id) + " M1 Vijak 12.5 2.25" : QString());
        QCOMPARE(w.isNull(), message.isEmpty());
    }
};

QTEST_MAIN(TstArticleSearch)
#include "tst_frmartikliizbor.moc"
