// Customers and suppliers and the document types of a warehouse book, as the clerk meets them:
// the code field, the entry list and its storing, editing a stored partner, closing with
// entries, the lists of the receipt and issue window that follow, and database failures that
// must keep what the clerk typed.

#include "data/appcontext.h"
#include "data/database.h"
#include "fakedocument.h"
#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"
#include "warehouse/frmunos.h"
#include "warehouse/frmunosdokumenta.h"
#include "warehouse/masterdata.h"
#include "warehouse/warehousewindows.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using namespace kl;
using namespace kl::test;

namespace {

const char* const kFieldNames[8] = {"txtkd",     "txtime",   "txtmb",      "txtziroracun",
                                    "txtmjesto", "txtulica", "txttelefon", "txtkontakt"};

QLineEdit* field(QWidget* w, int i) {
    return control<QLineEdit>(w, QString::fromLatin1(kFieldNames[i]));
}

QPushButton* button(QWidget* w, const char* name) {
    return control<QPushButton>(w, QString::fromLatin1(name));
}

ReportList* list(QWidget* w, const char* name) {
    return control<ReportList>(w, QString::fromLatin1(name));
}

QString label(QWidget* w, const char* name) {
    return control<QLabel>(w, QString::fromLatin1(name))->text();
}

void click(QWidget* w, const char* name) {
    QPushButton* b = button(w, name);
    QVERIFY2(b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

// A click (or double click) on the row of `list` whose name column reads `name`.
void clickRow(ReportList* list, const QString& name, bool twice = false) {
    const int row = list->findRow(name, 1);
    QVERIFY2(row >= 0, qPrintable(name));
    const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Fills the eight fields (fewer values leave the rest empty) and puts the partner on the list.
void addEntry(QWidget* w, const QStringList& values) {
    for (int i = 0; i < values.size(); ++i)
        field(w, i)->setText(values[i]);
    click(w, "cmddodaj");
}

QList<QStringList> tableRows(ReportList* list, int columns = 8) {
    QList<QStringList> rows;
    for (int r = 0; r < list->rowCount(); ++r)
        rows.append(list->rowTexts(r).mid(0, columns));
    return rows;
}

QList<QStringList> storedPartners(const QString& book) {
    QList<QStringList> rows;
    for (const PartnerRow& p : loadPartners(book, false))
        rows.append(QStringList(p.fields.cbegin(), p.fields.cend()));
    return rows;
}

const QStringList kSeed = {"k", "Proizvodnja", "", "", "", "", "", ""};
const QStringList kFull = {"d",     "Drvo d.o.o.", "1234567890123", "2360000-1101",
                           "Split", "Obala 5",     "021/345-678",   "Ana Šimić"};

void dropTable(const QString& book, const QString& table) {
    Database db = Database::open(book);
    db.execute(QStringLiteral("drop table ") + table);
}

}  // namespace

class TstPartnerWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<ScriptedMsgBox> box_;
    QString book_;

    template <typename T>
    T* open(const QString& name) {
        auto* w = windows().window<T>(name);
        w->show();
        QApplication::setActiveWindow(w);
        w->activateWindow();
        return QTest::qWaitForWindowActive(w) ? w : nullptr;
    }
    frmunos* openPartners(const QString& documentKind = {}) {
        frmunos* w = open<frmunos>(win::Unos);
        if (w) w->setDocumentKind(documentKind);
        return w;
    }

    void checkBox(int index, const QString& prompt, int style, const QString& title) {
        QVERIFY(box_->count() > index);
        const MsgBoxShown& shown = box_->shown()[index];
        QCOMPARE(shown.prompt, prompt);
        QCOMPARE(shown.style, style);
        QCOMPARE(shown.title, title);
    }

    // The last box reports a database failure: `prefix`, then the engine's description.
    void checkError(const QString& prefix) {
        const MsgBoxShown& error = box_->last();
        QVERIFY2(error.prompt.startsWith(prefix), qPrintable(error.prompt));
        QVERIFY(error.prompt.size() > prefix.size());
        QCOMPARE(error.style, MsgStyle::OkOnly | MsgStyle::Critical);
        QCOMPARE(error.title, QStringLiteral("Greška u bazi"));
    }

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        box_ = std::make_unique<ScriptedMsgBox>();
        const int book =
            addBook(addCompany(QStringLiteral("Alfa")), QStringLiteral("Glavno"), kWarehouseKind);
        context().currentBookFile = bookFileName(kWarehouseKind, QString::number(book));
        context().currentBookType = kWarehouseKind;
        book_ = context().currentBookPath();
        defineWarehouseWindows();
    }

    void cleanup() {
        windows().clear();
        QTest::qWait(20);
        box_.reset();
        folder_.reset();
    }

    void openingAndFields() {
        addPartner(book_, QStringLiteral("d"), QStringLiteral("Ćevapi"));
        addPartner(book_, QStringLiteral("s"), QStringLiteral("Alfa"));
        frmunos* w = openPartners();
        QVERIFY(w);
        // The yellow table by name (Croatian order), its ninth column the hidden id.
        ReportList* table = list(w, "lsveditkd");
        QCOMPARE(tableRows(table, 2),
                 QList<QStringList>({{"s", "Alfa"}, {"d", "Ćevapi"}, {"k", "Proizvodnja"}}));
        QCOMPARE(table->columnWidth(8), 0);
        QCOMPARE(table->text(2, 8), QStringLiteral("1"));
        for (const char* off :
             {"cmddodaj", "cmdbrisi", "cmdprihvati", "cmdeditiraj", "cmdizmijeni", "cmdne"})
            QVERIFY2(!button(w, off)->isEnabled(), off);
        QVERIFY(field(w, 0)->hasFocus());

        QLineEdit* phone = field(w, 6);
        phone->setFocus();
        QTest::keyClicks(phone, QStringLiteral("021/345-x67 a'"));
        QTest::keyClick(phone, Qt::Key_Backspace);
        QCOMPARE(phone->text(), QStringLiteral("021/345-6"));

        // Help mode and back: the caption returns with a leading blank.
        QCOMPARE(w->windowTitle(), frmunos::normalCaption());
        QTest::keyClick(field(w, 1), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));
        QVERIFY(w->helpBox()->isVisible() && !w->helpBox()->toPlainText().isEmpty());
        QTest::keyClick(w->helpBox(), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral(" ") + frmunos::normalCaption());
        QCOMPARE(box_->count(), 0);
    }

    void codeField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("x") << QStringLiteral("x") << false;
        QTest::newRow("digit") << QStringLiteral("1") << false;
        QTest::newRow("s") << QStringLiteral("s") << true;
        QTest::newRow("K") << QStringLiteral("K") << true;
        QTest::newRow("d") << QStringLiteral("d") << true;
    }
    void codeField() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        frmunos* w = openPartners();
        QVERIFY(w);
        QLineEdit* code = field(w, 0);
        QVERIFY(code->hasFocus());
        QTest::keyClicks(code, typed);
        QCOMPARE(code->text(), accepted ? typed : QString());
        QCOMPARE(field(w, 1)->hasFocus(), accepted);
        QCOMPARE(code->hasFocus(), !accepted);
        // The name decides the add button together with an accepted code.
        field(w, 1)->setText(QStringLiteral("Ime"));
        QCOMPARE(button(w, "cmddodaj")->isEnabled(), accepted);
        field(w, 1)->clear();
        QVERIFY(!button(w, "cmddodaj")->isEnabled());
    }

    // The code is stored as typed; the document lists match it in either case.
    void storeList_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << MsgResult::Yes;
        QTest::newRow("no") << MsgResult::No;
    }
    void storeList() {
        QFETCH(int, answer);
        frmunos* w = openPartners();
        QVERIFY(w);
        const QList<QStringList> entries = {kFull,
                                            {"k", "Kupac k", "", "", "Zadar", "", "", ""},
                                            {"S", "Oboje S", "", "", "", "", "01-2", ""}};
        for (const QStringList& e : entries)
            addEntry(w, e);
        ReportList* entryList = list(w, "lsvkd");
        QCOMPARE(tableRows(entryList), entries);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(field(w, i)->text(), QString());
        QVERIFY(!button(w, "cmddodaj")->isEnabled());

        box_->answer(answer);
        click(w, "cmdprihvati");
        QCOMPARE(box_->count(), 1);
        checkBox(0, QStringLiteral("Unošenje sa liste u bazu podataka?"),
                 MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Unošenje u bazu"));
        if (answer == MsgResult::No) {
            QCOMPARE(storedPartners(book_), QList<QStringList>({kSeed}));
            QCOMPARE(entryList->rowCount(), 3);
            QVERIFY(button(w, "cmdprihvati")->isEnabled());
            return;
        }
        QCOMPARE(storedPartners(book_), QList<QStringList>({kSeed}) + entries);
        QCOMPARE(entryList->rowCount(), 0);
        QVERIFY(!button(w, "cmdprihvati")->isEnabled());
        QVERIFY(!button(w, "cmdbrisi")->isEnabled());
        QCOMPARE(list(w, "lsveditkd")->rowCount(), 4);
        QCOMPARE(list(w, "lsveditkd")->text(0, 1), QStringLiteral("Drvo d.o.o."));
        QCOMPARE(partnerNames(book_, true),
                 QStringList({QStringLiteral("Drvo d.o.o."), QStringLiteral("Oboje S")}));
        QCOMPARE(partnerNames(book_, false),
                 QStringList({QStringLiteral("Proizvodnja"), QStringLiteral("Kupac k"),
                              QStringLiteral("Oboje S")}));
    }

    void editRefusedWhileListHoldsEntries() {
        frmunos* w = openPartners();
        QVERIFY(w);
        addEntry(w, {QStringLiteral("d"), QStringLiteral("Novi")});
        clickRow(list(w, "lsveditkd"), QStringLiteral("Proizvodnja"));
        click(w, "cmdeditiraj");
        QCOMPARE(box_->count(), 1);
        checkBox(0,
                 QStringLiteral("Onemogućeno editiranje dok se ne riješe kupci ili dobavljači "
                                "unešeni na listu!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation,
                 QStringLiteral("Onemogućeno editiranje"));
        QVERIFY(!w->isEditing());
        QCOMPARE(label(w, "lblid"), QString());
        QCOMPARE(field(w, 1)->text(), QString());
    }

    // Edit started by the button or by a double click, then saved, refused or abandoned.
    void editPartner_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("finish");  // save-yes, cancel
        QTest::newRow("button, saved") << false << "save-yes";
        QTest::newRow("double click, saved") << true << "save-yes";
        QTest::newRow("abandoned") << true << "cancel";
    }
    void editPartner() {
        QFETCH(bool, doubleClick);
        QFETCH(QString, finish);
        const int id = addPartner(book_, QStringLiteral("d"), QStringLiteral("Stari"));
        addPartner(book_, QStringLiteral("k"), QStringLiteral("Drugi"));
        const QList<QStringList> before = storedPartners(book_);
        frmunos* w = openPartners();
        QVERIFY(w);
        ReportList* table = list(w, "lsveditkd");
        clickRow(table, QStringLiteral("Stari"), doubleClick);
        if (!doubleClick) {
            QVERIFY(button(w, "cmdeditiraj")->isEnabled());
            click(w, "cmdeditiraj");
        }
        QVERIFY(w->isEditing());
        QCOMPARE(label(w, "lblid"), QString::number(id));
        QCOMPARE(label(w, "lblimekd"), QStringLiteral("Stari"));
        const QStringList loaded = {"d", "Stari", "-", "-", "-", "-", "-", "-"};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(field(w, i)->text(), loaded[i]);
        QCOMPARE(button(w, "cmdizmijeni")->text(), QStringLiteral("I&zmjena: Stari"));
        QCOMPARE(button(w, "cmdne")->text(), QStringLiteral("&Odustajem od izmjene: Stari"));
        QVERIFY(!button(w, "cmddodaj")->isEnabled());

        for (int i = 0; i < 8; ++i)
            field(w, i)->setText(kFull[i]);
        QVERIFY(!button(w, "cmddodaj")->isEnabled());
        if (finish == QLatin1String("cancel")) {
            click(w, "cmdne");
            QCOMPARE(box_->count(), 0);
        } else {
            box_->answer(MsgResult::Yes);
            click(w, "cmdizmijeni");
            QCOMPARE(box_->count(), 1);
            checkBox(0, QStringLiteral("Želite promjeniti stanje: Stari"),
                     MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Promjena stanja?"));
        }

        QList<QStringList> expected = before;
        if (finish == QLatin1String("save-yes")) expected[1] = kFull;
        QCOMPARE(storedPartners(book_), expected);
        QVERIFY(!w->isEditing());
        QCOMPARE(label(w, "lblimekd"), QString());
        for (int i = 0; i < 8; ++i)
            QCOMPARE(field(w, i)->text(), QString());
        QCOMPARE(button(w, "cmdizmijeni")->text(), QStringLiteral("Izmjena"));
        QCOMPARE(button(w, "cmdne")->text(), QStringLiteral("Odustajem od izmjene"));
        QVERIFY(!button(w, "cmdizmijeni")->isEnabled());
        QVERIFY(!button(w, "cmdne")->isEnabled());
        if (finish == QLatin1String("save-yes")) {
            // Read again in the book's order, so the changed partner shows where it was.
            QCOMPARE(table->text(1, 1), QStringLiteral("Drvo d.o.o."));
            QVERIFY(!button(w, "cmdeditiraj")->isEnabled());
        }
    }

    void saveNeedsCodeAndName_data() {
        QTest::addColumn<int>("emptied");
        QTest::newRow("code") << 0;
        QTest::newRow("name") << 1;
    }
    void saveNeedsCodeAndName() {
        QFETCH(int, emptied);
        addPartner(book_, QStringLiteral("s"), QStringLiteral("Oboje"));
        const QList<QStringList> before = storedPartners(book_);
        frmunos* w = openPartners();
        QVERIFY(w);
        clickRow(list(w, "lsveditkd"), QStringLiteral("Oboje"));
        click(w, "cmdeditiraj");
        field(w, emptied)->clear();
        field(w, 4)->setText(QStringLiteral("Rijeka"));
        click(w, "cmdizmijeni");
        QCOMPARE(box_->count(), 1);
        checkBox(0, QStringLiteral("Prva dva polja moraju biti popunjena"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Popunjavanje polja"));
        QVERIFY(w->isEditing());
        QCOMPARE(field(w, 4)->text(), QStringLiteral("Rijeka"));
        QCOMPARE(storedPartners(book_), before);
    }

    // Closing with entries on the list: Cancel keeps everything, No discards, Yes stores.
    void closeWithEntries_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<int>("partners");
        QTest::newRow("cancel") << int(MsgResult::Cancel) << true << 1;
        QTest::newRow("no") << int(MsgResult::No) << false << 1;
        QTest::newRow("yes") << int(MsgResult::Yes) << false << 2;
    }
    void closeWithEntries() {
        QFETCH(int, answer);
        QFETCH(bool, staysOpen);
        QFETCH(int, partners);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        context().documentMode = QStringLiteral("Izdatnica");
        context().calledFromDocument = true;
        QPointer<frmunos> w = openPartners();
        QVERIFY(w);
        addEntry(w, {QStringLiteral("k"), QStringLiteral("Radionica")});
        box_->answer(answer);
        QTest::keyClick(field(w, 1), Qt::Key_Escape);
        QTest::qWait(20);
        QCOMPARE(box_->count(), 1);
        checkBox(
            0, QStringLiteral("Želite li spremiti u skladište unešene podatke sa liste desno?"),
            MsgStyle::YesNoCancel | MsgStyle::Question, QStringLiteral("Unošenje u skladište!"));
        QCOMPARE(!w.isNull() && w->isVisible(), staysOpen);
        QCOMPARE(context().calledFromDocument, staysOpen);
        QCOMPARE(rowCount(book_, QStringLiteral("kd")), partners);
        if (staysOpen) QCOMPARE(list(w, "lsvkd")->rowCount(), 1);
        // Stored on the way out: the issue window offers the new customer.
        QCOMPARE(document->partnerRefreshes, answer == MsgResult::Yes ? 1 : 0);
        if (answer == MsgResult::Yes)
            QCOMPARE(document->partners,
                     QStringList({QStringLiteral("Proizvodnja"), QStringLiteral("Radionica")}));
    }

    // The receipt and issue window's partner list after storing the list and after "Izlaz".
    void documentPartnerList_data() {
        QTest::addColumn<QString>("documentMode");
        QTest::addColumn<QString>("kind");  // lblpd
        QTest::addColumn<bool>("store");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QStringList>("partners");
        const QStringList suppliers = {"Oboje", "Dobavljač"};
        const QStringList customers = {"Proizvodnja", "Oboje", "Kupac"};
        auto row = [](const char* name, const char* mode, const char* kind, bool store,
                      int refreshes, const QStringList& partners) {
            QTest::newRow(name) << QString::fromLatin1(mode) << QString::fromLatin1(kind) << store
                                << refreshes << partners;
        };
        row("stored for a receipt", "Primka", "P", true, 2, suppliers);
        row("stored for an issue", "Izdatnica", "I", true, 2, customers);
        row("stored, opened from the menu", "Primka", "", true, 1, suppliers);
        row("left an issue", "Izdatnica", "I", false, 1, customers);
        row("left a receipt", "Primka", "P", false, 1, suppliers);
        row("left, opened from the menu", "Primka", "", false, 0, {});
    }
    void documentPartnerList() {
        QFETCH(QString, documentMode);
        QFETCH(QString, kind);
        QFETCH(bool, store);
        QFETCH(int, refreshes);
        QFETCH(QStringList, partners);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        context().documentMode = documentMode;
        context().calledFromDocument = !kind.isEmpty();
        addPartner(book_, QStringLiteral("s"), QStringLiteral("Oboje"));
        QPointer<frmunos> w = openPartners(kind);
        QVERIFY(w);
        QCOMPARE(label(w, "lblpd"), kind);
        if (store) {
            addEntry(w, {QStringLiteral("d"), QStringLiteral("Dobavljač")});
            addEntry(w, {QStringLiteral("k"), QStringLiteral("Kupac")});
            box_->answer(MsgResult::Yes);
            click(w, "cmdprihvati");
            QCOMPARE(document->partnerRefreshes, 1);
        } else {
            // Stored meanwhile by another window: "Izlaz" alone must bring them.
            insertPartners(book_, {{"d", "Dobavljač"}, {"k", "Kupac"}});
        }
        click(w, "cmdodustani");
        QTest::qWait(20);
        QVERIFY(w.isNull() || !w->isVisible());
        QCOMPARE(document->partnerRefreshes, refreshes);
        QCOMPARE(document->partners, partners);
        QVERIFY(!context().calledFromDocument);
    }

    // A failed store or save keeps the entry list, or edit mode, so the clerk can try again.
    void databaseFailureKeepsEntries_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("accept list") << "store";
        QTest::newRow("close, yes") << "close";
        QTest::newRow("save edit") << "edit";
    }
    void databaseFailureKeepsEntries() {
        QFETCH(QString, action);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        QPointer<frmunos> w = openPartners(QStringLiteral("P"));
        QVERIFY(w);
        if (action == QLatin1String("edit")) {
            clickRow(list(w, "lsveditkd"), QStringLiteral("Proizvodnja"));
            click(w, "cmdeditiraj");
        } else {
            addEntry(w, {QStringLiteral("d"), QStringLiteral("Prvi")});
            addEntry(w, {QStringLiteral("d"), QStringLiteral("Drugi")});
        }
        dropTable(book_, QStringLiteral("kd"));
        box_->answer(MsgResult::Yes);
        QString expected = QStringLiteral("Kupci i dobavljači s liste nisu spremljeni.\n");
        if (action == QLatin1String("store")) {
            click(w, "cmdprihvati");
        } else if (action == QLatin1String("close")) {
            w->close();
        } else {
            click(w, "cmdizmijeni");
            expected = QStringLiteral("Izmjena nije spremljena.\n");
        }
        QTest::qWait(20);
        QCOMPARE(box_->count(), 2);
        checkError(expected);
        QVERIFY(!w.isNull() && w->isVisible());
        QCOMPARE(document->partnerRefreshes, 0);
        if (action == QLatin1String("edit")) {
            QVERIFY(w->isEditing());
            QCOMPARE(field(w, 1)->text(), QStringLiteral("Proizvodnja"));
            QVERIFY(button(w, "cmdizmijeni")->isEnabled());
        } else {
            QCOMPARE(tableRows(list(w, "lsvkd"), 2),
                     QList<QStringList>({{"d", "Prvi"}, {"d", "Drugi"}}));
            QVERIFY(button(w, "cmdprihvati")->isEnabled());
        }
    }

    // ---- Document types ----

    // Whenever the window becomes active, the focus is in the name; F1 does nothing here.
    void documentTypeFocus_data() {
        QTest::addColumn<bool>("inMainWindow");
        QTest::newRow("own window") << false;
        QTest::newRow("inside the main window") << true;
    }
    void documentTypeFocus() {
        QFETCH(bool, inMainWindow);
        QWidget other;
        QMdiArea area;
        auto* w = windows().window<frmunosdokumenta>(win::UnosDokumenta);
        QWidget* activated = w;
        QMdiSubWindow* otherSub = nullptr;
        if (inMainWindow) {
            area.resize(900, 600);
            otherSub = area.addSubWindow(new QLineEdit);
            area.show();
            w->showInMdiArea(&area);
            activated = &area;
        } else {
            w->show();
        }
        QApplication::setActiveWindow(activated);
        QVERIFY(QTest::qWaitForWindowActive(activated));
        auto* name = control<QLineEdit>(w, QStringLiteral("txtunos"));
        QTRY_VERIFY(name->hasFocus());
        QVERIFY(!button(w, "cmdunos")->isEnabled());
        QTest::keyClicks(name, QStringLiteral("R"));
        QVERIFY(button(w, "cmdunos")->isEnabled());
        QTest::keyClick(name, Qt::Key_F1);
        QVERIFY(!w->isHelpMode() && name->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Unos dokumenta:"));

        button(w, "cmdunos")->setFocus();
        if (inMainWindow) {
            area.setActiveSubWindow(otherSub);
            QTRY_VERIFY(!w->isAncestorOf(QApplication::focusWidget()));
            area.setActiveSubWindow(w->mdiSubWindow());
        } else {
            other.show();
            QApplication::setActiveWindow(&other);
            QVERIFY(QTest::qWaitForWindowActive(&other));
            QApplication::setActiveWindow(w);
            QVERIFY(QTest::qWaitForWindowActive(w));
        }
        QTRY_VERIFY(name->hasFocus());
        QCOMPARE(box_->count(), 0);
    }

    void storeDocumentTypes_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("fails");
        QTest::newRow("yes") << int(MsgResult::Yes) << 1 << false;
        QTest::newRow("no") << int(MsgResult::No) << 1 << false;
        QTest::newRow("same name twice") << int(MsgResult::Yes) << 2 << false;
        QTest::newRow("database failure") << int(MsgResult::Yes) << 1 << true;
    }
    void storeDocumentTypes() {
        QFETCH(int, answer);
        QFETCH(int, times);
        QFETCH(bool, fails);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        addDocumentType(book_, QStringLiteral("Otpremnica"));
        frmunosdokumenta* w = open<frmunosdokumenta>(win::UnosDokumenta);
        QVERIFY(w);
        if (fails) dropTable(book_, QStringLiteral("dokumenti"));
        auto* name = control<QLineEdit>(w, QStringLiteral("txtunos"));
        const QString kept = QStringLiteral("Račun-otpremnic");  // one character cut
        QStringList added;
        for (int i = 0; i < times; ++i) {
            name->setText(kept + QStringLiteral("a"));
            QCOMPARE(name->text(), kept);
            box_->clear();
            box_->answer(answer);
            click(w, "cmdunos");
            checkBox(0, QStringLiteral("Unosimo novi dokument?"),
                     MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Unosim dokument?"));
            if (fails) {
                QCOMPARE(box_->count(), 2);
                checkError(QStringLiteral("Dokument nije unešen.\n"));
            }
            if (answer != MsgResult::Yes || fails) {
                QCOMPARE(name->text(), kept);
                continue;
            }
            QCOMPARE(box_->count(), 2);
            checkBox(1, QStringLiteral("Novi dokument unešen"),
                     MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Dokument unešen"));
            QCOMPARE(name->text(), QString());
            QVERIFY(name->hasFocus());
            added.append(kept);
        }
        if (!fails)
            QCOMPARE(documentTypeNames(book_), QStringList({QStringLiteral("Otpremnica")}) + added);
        QCOMPARE(document->documentTypes, added);
        QCOMPARE(document->chosenDocumentType, added.isEmpty() ? QString() : added.back());
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(TstPartnerWindows)
#include "tst_partnerwindows.moc"
