// Customers and suppliers and the document types of a warehouse book, as the clerk meets them:
// the code field, the entry list and its storing, editing a stored partner, closing with
// entries, the lists of the receipt and issue window that follow, and database failures that
// must keep what the clerk typed. Which codes and partners a rule takes is tested in
// tst_masterdata; here each case gives its own message.

#include "data/database.h"
#include "data/identifiers.h"
#include "warehouse/frmunos.h"
#include "warehouse/frmunosdokumenta.h"
#include "warehousefixture.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

constexpr int Exclamation = MsgStyle::OkOnly | MsgStyle::Exclamation;
constexpr int Question = MsgStyle::YesNo | MsgStyle::Question;

QLineEdit* field(QWidget* w, int i) {
    static const char* const names[8] = {"txtkd",     "txtime",   "txtmb",      "txtziroracun",
                                         "txtmjesto", "txtulica", "txttelefon", "txtkontakt"};
    return kl::test::field(w, names[i]);
}

QStringList fieldTexts(QWidget* w) {
    QStringList texts;
    for (int i = 0; i < 8; ++i)
        texts.append(field(w, i)->text());
    return texts;
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

QList<QStringList> storedPartners(const BookLocation& book) {
    QList<QStringList> rows;
    for (const PartnerRow& p : loadPartners(book, false))
        rows.append(QStringList(p.fields.cbegin(), p.fields.cend()));
    return rows;
}

const QStringList kEmpty(8);
const QStringList kSeed = {"k", "Proizvodnja", "", "", "", "", "", ""};
const QStringList kFull = {"d",     "Drvo d.o.o.", "1234567890123", "2360000-1101",
                           "Split", "Obala 5",     "021/345-678",   "Ana Šimić"};

}  // namespace

class TstPartnerWindows : public WarehouseWindowTest {
    Q_OBJECT

    frmunos* openPartners(const QString& documentKind = {}) {
        frmunos* w = shown(windows().window<frmunos>(win::Unos));
        if (w) w->setDocumentKind(documentKind);
        return w;
    }

  private slots:
    void openingAndFields() {
        addPartner(book_, "d", "Ćevapi");
        addPartner(book_, "s", "Alfa");
        frmunos* w = openPartners();
        QVERIFY(w);
        // The yellow table by name (Croatian order), its ninth column the hidden id.
        ReportList* table = list(w, "lsveditkd");
        QCOMPARE(tableRows(table, 2),
                 QList<QStringList>({{"s", "Alfa"}, {"d", "Ćevapi"}, {"k", "Proizvodnja"}}));
        // (the tenth, after the OIB)
        QCOMPARE(table->columnWidth(9), 0);
        for (const char* off :
             {"cmddodaj", "cmdbrisi", "cmdprihvati", "cmdeditiraj", "cmdizmijeni", "cmdne"})
            QVERIFY2(!button(w, off)->isEnabled(), off);

        // A wrong code letter is erased at once; k, d or s goes on to the name.
        QLineEdit* code = field(w, 0);
        QVERIFY(code->hasFocus());
        field(w, 1)->setText(QStringLiteral("Ime"));
        QTest::keyClicks(code, QStringLiteral("x"));
        QCOMPARE(code->text(), QString());
        QVERIFY(code->hasFocus() && !button(w, "cmddodaj")->isEnabled());
        QTest::keyClicks(code, QStringLiteral("s"));
        QCOMPARE(code->text(), QStringLiteral("s"));
        QVERIFY(field(w, 1)->hasFocus() && button(w, "cmddodaj")->isEnabled());
        field(w, 1)->clear();
        QVERIFY(!button(w, "cmddodaj")->isEnabled());

        QLineEdit* phone = field(w, 6);
        phone->setFocus();
        QTest::keyClicks(phone, QStringLiteral("021/345-x67 a'"));
        QTest::keyClick(phone, Qt::Key_Backspace);
        QCOMPARE(phone->text(), QStringLiteral("021/345-6"));

        // Help mode and back: the caption returns with a leading blank.
        const QString caption = QStringLiteral(
            "Dodaj kupca/dobavljača ili izmijeni postojećeg u žutoj tablici    Pomoć  F1");
        QCOMPARE(w->windowTitle(), caption);
        QTest::keyClick(field(w, 1), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral(" ") + caption);
        QCOMPARE(box_->count(), 0);
    }

    // Tab (or Enter) after the code goes to the name, not past it (the code moves on by itself),
    // and on through the fields as they stand.
    void fieldOrder_data() {
        QTest::addColumn<int>("key");
        dataRow("Tab", int(Qt::Key_Tab));
        dataRow("Enter", int(Qt::Key_Return));
    }
    void fieldOrder() {
        QFETCH(int, key);
        frmunos* w = openPartners();
        QVERIFY(w && field(w, 0)->hasFocus());
        QTest::keyClicks(field(w, 0), "d");
        QVERIFY(field(w, 1)->hasFocus());
        QTest::keyClick(field(w, 1), Qt::Key(key));
        QVERIFY(field(w, 1)->hasFocus());
        // The OIB stands under the registration number.
        QList<QLineEdit*> order = {field(w, 1), field(w, 2), kl::test::field(w, "txtoib")};
        for (int i = 3; i < 8; ++i)
            order << field(w, i);
        for (QLineEdit* f : order) {
            QVERIFY2(f->hasFocus(), qPrintable(f->objectName()));
            QTest::keyClicks(f, "1");
            QTest::keyClick(f, Qt::Key(key));
        }
        QCOMPARE(fieldTexts(w), QStringList({"d", "1", "1", "1", "1", "1", "1", "1"}));
        QCOMPARE(kl::test::field(w, "txtoib")->text(), "1");
        QCOMPARE(QApplication::focusWidget(), button(w, "cmddodaj"));
    }

    // Editing waits for an empty entry list; the list is stored as typed after Yes only.
    void storeList() {
        frmunos* w = openPartners();
        QVERIFY(w);
        const QList<QStringList> entries = {kFull,
                                            {"k", "Kupac k", "", "", "Zadar", "", "", ""},
                                            {"S", "Oboje S", "", "", "", "", "01-2", ""}};
        for (const QStringList& e : entries)
            addEntry(w, e);
        ReportList* entryList = list(w, "lsvkd");
        QCOMPARE(tableRows(entryList), entries);
        QVERIFY(!button(w, "cmddodaj")->isEnabled());
        clickRow(list(w, "lsveditkd"), QStringLiteral("Proizvodnja"), 1);
        click(w, "cmdeditiraj");
        QVERIFY(!w->isEditing());
        QCOMPARE(fieldTexts(w), kEmpty);

        for (const int answer : {MsgResult::No, MsgResult::Yes}) {
            box_->answer(answer);
            click(w, "cmdprihvati");
            const bool yes = answer == MsgResult::Yes;
            QCOMPARE(storedPartners(book_),
                     QList<QStringList>({kSeed}) + (yes ? entries : QList<QStringList>()));
            QCOMPARE(entryList->rowCount(), yes ? 0 : 3);
            QCOMPARE(button(w, "cmdprihvati")->isEnabled(), !yes);
            QCOMPARE(button(w, "cmdbrisi")->isEnabled(), !yes);
            QCOMPARE(list(w, "lsveditkd")->rowCount(), yes ? 4 : 1);
        }
        QCOMPARE(list(w, "lsveditkd")->text(0, 1), QStringLiteral("Drvo d.o.o."));
        const QString ask = said(Question, "Unošenje u bazu", "Unošenje sa liste u bazu podataka?");
        QCOMPARE(said(*box_), QStringList({said(Exclamation, "Onemogućeno editiranje",
                                                "Onemogućeno editiranje dok se ne riješe kupci "
                                                "ili dobavljači unešeni na listu!"),
                                           ask, ask}));
    }

    // An IBAN's control digits and an OIB's control digit are checked as the partner goes on the
    // list and when an edit is saved: a wrong one is named and kept only after "Da"; the OIB is
    // stored beside the partner and comes back into the field for an edit.
    void ibanAndOib_data() {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("oib");
        QTest::addColumn<int>("answer");      // to the warning, when there is one
        QTest::addColumn<QString>("warned");  // the warning's title, empty: none
        const QString oib = "1234567890" + QString::number(oibControlDigit("1234567890"));
        const QString wrongOib =
            "1234567890" + QString::number((oibControlDigit("1234567890") + 1) % 10);
        dataRow("valid IBAN and OIB", "HR12 1001 0051 8630 0016 0", oib, MsgResult::Yes, "");
        dataRow("old domestic account, no OIB", "2360000-1101234567", "", MsgResult::Yes, "");
        dataRow("wrong IBAN, Ne", "HR1210010051863000161", oib, MsgResult::No, "Provjera IBAN-a");
        dataRow("wrong IBAN, Da", "HR1210010051863000161", oib, MsgResult::Yes, "Provjera IBAN-a");
        dataRow("Croatian IBAN one digit short, Da", "HR121001005186300016", "", MsgResult::Yes,
                "Provjera IBAN-a");
        dataRow("wrong OIB, Ne", "", wrongOib, MsgResult::No, "Provjera OIB-a");
        dataRow("short OIB, Da", "", "1234", MsgResult::Yes, "Provjera OIB-a");
    }
    void ibanAndOib() {
        QFETCH(QString, account);
        QFETCH(QString, oib);
        QFETCH(int, answer);
        QFETCH(QString, warned);
        frmunos* w = openPartners();
        QVERIFY(w);
        QLineEdit* oibField = kl::test::field(w, "txtoib");
        oibField->setText(oib);
        box_->answer(answer).answer(MsgResult::Yes);
        addEntry(w, {"d", "Iban d.o.o.", "", account});
        const bool kept = warned.isEmpty() || answer == MsgResult::Yes;
        QCOMPARE(box_->count(), warned.isEmpty() ? 0 : 1);
        if (!warned.isEmpty()) {
            QCOMPARE(box_->last().title, warned);
            QVERIFY(
                box_->last().prompt.contains(warned.endsWith("IBAN-a") ? account.trimmed() : oib));
        }
        QCOMPARE(list(w, "lsvkd")->rowCount(), kept ? 1 : 0);
        if (!kept) {  // still in the fields, to be corrected
            QCOMPARE(field(w, 3)->text(), account);
            return;
        }
        click(w, "cmdprihvati");
        const std::vector<PartnerRow> stored = loadPartners(book_, true);
        QCOMPARE(stored.front().fields[3], account);
        QCOMPARE(stored.front().oib, oib);
        clickRow(list(w, "lsveditkd"), "Iban d.o.o.", 1);
        click(w, "cmdeditiraj");
        QCOMPARE(oibField->text(), oib);
        // Cleared on an edit, the OIB goes; the account is checked again.
        oibField->clear();
        box_->clear();
        box_->answer(MsgResult::Yes).answer(MsgResult::Yes);
        click(w, "cmdizmijeni");
        QCOMPARE(loadPartners(book_, true).front().oib, QString());
        QCOMPARE(box_->count(), warned.endsWith("IBAN-a") ? 2 : 1);
    }

    // Edit started by the button or by a double click, then saved, abandoned, or refused for an
    // empty code or name (the changes stay in the fields).
    void editPartner_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("emptied");  // field emptied before saving, -1 none
        QTest::addColumn<bool>("save");    // "Izmjena" with Yes, or "Odustajem od izmjene"
        dataRow("button, saved", false, -1, true);
        dataRow("double click, saved", true, -1, true);
        dataRow("abandoned", true, -1, false);
        dataRow("code emptied", false, 0, true);
        dataRow("name emptied", false, 1, true);
    }
    void editPartner() {
        QFETCH(bool, doubleClick);
        QFETCH(int, emptied);
        QFETCH(bool, save);
        addPartner(book_, "d", "Stari");
        addPartner(book_, "k", "Kupac");
        const QList<QStringList> before = storedPartners(book_);
        frmunos* w = openPartners();
        QVERIFY(w);
        ReportList* table = list(w, "lsveditkd");
        clickRow(table, QStringLiteral("Stari"), 1, doubleClick);
        if (!doubleClick) click(w, "cmdeditiraj");
        QVERIFY(w->isEditing());
        QCOMPARE(fieldTexts(w), QStringList({"d", "Stari", "-", "-", "-", "-", "-", "-"}));
        auto captions = [w] {
            return button(w, "cmdizmijeni")->text() + " / " + button(w, "cmdne")->text();
        };
        QCOMPARE(captions(), QStringLiteral("I&zmjena: Stari / &Odustajem od izmjene: Stari"));

        for (int i = 0; i < 8; ++i)
            field(w, i)->setText(kFull[i]);
        if (emptied >= 0) field(w, emptied)->clear();
        QVERIFY(!button(w, "cmddodaj")->isEnabled());
        box_->answer(MsgResult::Yes);
        click(w, save ? "cmdizmijeni" : "cmdne");
        if (emptied >= 0) {
            QCOMPARE(said(*box_), QStringList(said(Exclamation, "Popunjavanje polja",
                                                   "Prva dva polja moraju biti popunjena")));
            QVERIFY(w->isEditing());
            QCOMPARE(field(w, 4)->text(), QStringLiteral("Split"));
            QCOMPARE(storedPartners(book_), before);
            return;
        }
        QCOMPARE(said(*box_), save ? QStringList(said(Question, "Promjena stanja?",
                                                      "Želite promjeniti stanje: Stari"))
                                   : QStringList());
        QList<QStringList> expected = before;
        if (save) expected[1] = kFull;
        QCOMPARE(storedPartners(book_), expected);
        QVERIFY(!w->isEditing());
        QCOMPARE(fieldTexts(w), kEmpty);
        QCOMPARE(captions(), QStringLiteral("Izmjena / Odustajem od izmjene"));
        QVERIFY(!button(w, "cmdizmijeni")->isEnabled() && !button(w, "cmdne")->isEnabled());
        // Saved, the table is read again in the book's order: the partner stays where it was.
        if (save)
            QCOMPARE(
                tableRows(table, 2),
                QList<QStringList>({{"k", "Proizvodnja"}, {"d", "Drvo d.o.o."}, {"k", "Kupac"}}));
    }

    // The receipt and issue window's partner list after storing the list, after "Izlaz", and
    // after closing with entries on the list: Cancel keeps everything, No discards, Yes stores.
    void documentPartnerList_data() {
        QTest::addColumn<QString>("documentMode");
        QTest::addColumn<QString>("kind");  // lblpd
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QStringList>("partners");
        const QStringList suppliers = {"Oboje", "Dobavljač"};
        const QStringList customers = {"Proizvodnja", "Oboje", "Kupac"};
        const QStringList none;
        dataRow("stored for a receipt", "Primka", "P", "store", 2, suppliers);
        dataRow("stored for an issue", "Izdatnica", "I", "store", 2, customers);
        dataRow("stored, opened from the menu", "Primka", "", "store", 1, suppliers);
        dataRow("left an issue", "Izdatnica", "I", "leave", 1, customers);
        dataRow("left a receipt", "Primka", "P", "leave", 1, suppliers);
        dataRow("left, opened from the menu", "Primka", "", "leave", 0, none);
        dataRow("closed with entries, yes", "Izdatnica", "", "close-yes", 1, customers);
        dataRow("closed with entries, no", "Izdatnica", "", "close-no", 0, none);
        dataRow("closed with entries, cancel", "Izdatnica", "", "close-cancel", 0, none);
    }
    void documentPartnerList() {
        QFETCH(QString, documentMode);
        QFETCH(QString, kind);
        QFETCH(QString, action);
        QFETCH(int, refreshes);
        QFETCH(QStringList, partners);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        context().documentMode = documentMode;
        context().calledFromDocument = true;  // reset when the window closes
        addPartner(book_, "s", "Oboje");
        QPointer<frmunos> w = openPartners(kind);
        QVERIFY(w);
        QCOMPARE(control<QLabel>(w, "lblpd")->text(), kind);
        QStringList messages;
        if (action == QLatin1String("leave")) {
            // Stored meanwhile by another window: "Izlaz" alone must bring them.
            insertPartners(book_, {{"d", "Dobavljač"}, {"k", "Kupac"}});
        } else {
            addEntry(w, {QStringLiteral("d"), QStringLiteral("Dobavljač")});
            addEntry(w, {QStringLiteral("k"), QStringLiteral("Kupac")});
        }
        if (action == QLatin1String("store")) {
            box_->answer(MsgResult::Yes);
            click(w, "cmdprihvati");
            QCOMPARE(document->partnerRefreshes, 1);
            messages << said(Question, "Unošenje u bazu", "Unošenje sa liste u bazu podataka?");
        }
        if (action.startsWith(QLatin1String("close"))) {
            box_->answer(action.endsWith(QLatin1String("yes"))  ? MsgResult::Yes
                         : action.endsWith(QLatin1String("no")) ? MsgResult::No
                                                                : MsgResult::Cancel);
            QTest::keyClick(field(w, 1), Qt::Key_Escape);
            messages << said(MsgStyle::YesNoCancel | MsgStyle::Question, "Unošenje u skladište!",
                             "Želite li spremiti u skladište unešene podatke sa liste desno?");
        } else {
            click(w, "cmdodustani");
        }
        QTest::qWait(20);
        QCOMPARE(said(*box_), messages);
        const bool stays = action == QLatin1String("close-cancel");
        QCOMPARE(!w.isNull() && w->isVisible(), stays);
        QCOMPARE(context().calledFromDocument, stays);
        if (stays) QCOMPARE(list(w, "lsvkd")->rowCount(), 2);
        QCOMPARE(rowCount(book_, "kd"), action == "close-no" || stays ? 2 : 4);
        QCOMPARE(document->partnerRefreshes, refreshes);
        QCOMPARE(document->partners, partners);
    }

    // A failed store or save keeps the entry list, or edit mode, so the clerk can try again.
    void databaseFailureKeepsEntries_data() {
        QTest::addColumn<QString>("action");
        for (const char* action : {"store", "close", "edit"})
            QTest::newRow(action) << QString(action);
    }
    void databaseFailureKeepsEntries() {
        QFETCH(QString, action);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        QPointer<frmunos> w = openPartners(QStringLiteral("P"));
        QVERIFY(w);
        const bool edit = action == QLatin1String("edit");
        if (edit) {
            clickRow(list(w, "lsveditkd"), QStringLiteral("Proizvodnja"), 1);
            click(w, "cmdeditiraj");
        } else {
            addEntry(w, {QStringLiteral("d"), QStringLiteral("Prvi")});
            addEntry(w, {QStringLiteral("d"), QStringLiteral("Drugi")});
        }
        Database::openBook(book_).execute("drop table kd");
        box_->answer(MsgResult::Yes);
        if (action == QLatin1String("close"))
            w->close();
        else
            click(w, edit ? "cmdizmijeni" : "cmdprihvati");
        QTest::qWait(20);
        QCOMPARE(box_->count(), 2);
        QVERIFY2(reportsDbError(box_->last(), edit ? "Izmjena nije spremljena.\n"
                                                   : "Kupci i dobavljači s liste nisu "
                                                     "spremljeni.\n"),
                 qPrintable(said(*box_).join('\n')));
        QVERIFY(!w.isNull() && w->isVisible());
        QCOMPARE(document->partnerRefreshes, 0);
        QCOMPARE(w->isEditing(), edit);
        if (edit) {
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
        dataRow("own window", false);
        dataRow("inside the main window", true);
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
        QLineEdit* name = field(w, "txtunos");
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

    // The name takes 15 characters; stored after Yes, it is added to the document window too.
    void storeDocumentTypes_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("fails");
        dataRow("yes", int(MsgResult::Yes), false);
        dataRow("no", int(MsgResult::No), false);
        dataRow("database failure", int(MsgResult::Yes), true);
    }
    void storeDocumentTypes() {
        QFETCH(int, answer);
        QFETCH(bool, fails);
        FakeDocumentWindow* document = loadFakeDocumentWindow();
        addDocumentType(book_, "Otpremnica");
        frmunosdokumenta* w = shown(windows().window<frmunosdokumenta>(win::UnosDokumenta));
        QVERIFY(w);
        if (fails) Database::openBook(book_).execute("drop table dokumenti");
        QLineEdit* name = field(w, "txtunos");
        const QString kept = QStringLiteral("Račun-otpremnic");  // one character cut
        name->setText(kept + QStringLiteral("a"));
        QCOMPARE(name->text(), kept);
        box_->answer(answer);
        click(w, "cmdunos");
        const bool stored = answer == MsgResult::Yes && !fails;
        QStringList messages = {said(Question, "Unosim dokument?", "Unosimo novi dokument?")};
        if (stored)
            messages << said(MsgStyle::OkOnly | MsgStyle::Information, "Dokument unešen",
                             "Novi dokument unešen");
        if (fails) QVERIFY(reportsDbError(box_->last(), "Dokument nije unešen.\n"));
        QCOMPARE(said(*box_).mid(0, fails ? 1 : 2), messages);
        QCOMPARE(box_->count(), answer == MsgResult::Yes ? 2 : 1);
        QCOMPARE(name->text(), stored ? QString() : kept);
        if (stored) QVERIFY(name->hasFocus());
        if (!fails)
            QCOMPARE(documentTypeNames(book_),
                     QStringList({"Otpremnica"}) + (stored ? QStringList{kept} : QStringList()));
        QCOMPARE(document->documentTypes, stored ? QStringList{kept} : QStringList());
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(TstPartnerWindows)
#include "tst_partnerwindows.moc"
