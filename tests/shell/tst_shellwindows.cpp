// The shell as a new user meets it: start-up, the company register, company entry and changes,
// removing a company with its books, the printed company sheet, the book register, the main window
// of each kind of book with its menus, help mode and the about window.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/identifiers.h"
#include "shell/companies.h"
#include "shell/frmabout.h"
#include "shell/frmizborknjige.h"
#include "shell/frmizbortvrtke.h"
#include "shell/frmskladiste.h"
#include "shell/frmupisnove.h"
#include "shell/settings.h"
#include "shell/shellwindows.h"
#include "ui/childwindow.h"
#include "ui/printing.h"
#include "ui/windowregistry.h"
#include "windowtest.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>

using namespace kl;
using namespace kl::test;

namespace {

// The row buttons of both registers, off while nothing is marked.
const QStringList kRowButtons = {"cmdBrisanje", "cmdUlaz", "cmdUredjivanje"};

// Processes pending events, deferred deletions included.
void settle() {
    QTest::qWait(20);
}

frmIzborTvrtke* openCompanies() {
    auto* w = windows().window<frmIzborTvrtke>(win::IzborTvrtke);
    w->show();
    return QTest::qWaitForWindowExposed(w) ? w : nullptr;
}

// The main window on a new book of `kind` of a new company.
frmSkladiste* openBook(const QString& kind) {
    const int book = addBook(addCompany("Alfa"), "Knjiga", kind);
    context().currentBookFile = bookFileName(kind, QString::number(book));
    context().currentBookType = kind;
    auto* main = windows().window<frmSkladiste>(win::Skladiste);
    main->showBook();
    return main;
}

void selectRow(ReportList* list, int row) {
    list->setCurrentRow(row);
    emit list->rowClicked(row);
}

QStringList columnTexts(ReportList* list, int column) {
    QStringList texts;
    for (int r = 0; r < list->rowCount(); ++r)
        texts.append(list->text(r, column));
    return texts;
}

QStringList disabledButtons(QWidget* w) {
    QStringList names;
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (!b->isEnabled()) names.append(b->objectName());
    names.sort();
    return names;
}

QStringList shownMenus(QMainWindow* main) {
    QStringList names;
    for (QAction* a : main->menuBar()->actions())
        if (a->isVisible()) names.append(a->objectName());
    return names;
}

QAction* menuItem(QWidget* main, const char* name) {
    return main->findChild<QAction*>(QString::fromLatin1(name));
}

QString runTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A stand-in for a window of the book that later versions define by the same name.
class FakeBookWindow : public ChildWindow {
  public:
    FakeBookWindow() { (new QLineEdit(this))->setGeometry(10, 10, 200, 24); }
    // A window with entries the clerk keeps (Cancel at "store them?").
    static inline bool keepOpen = false;

  protected:
    bool queryClose() override { return !keepOpen; }
};

}  // namespace

class TstShellWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<ScriptedMsgBox> box_;
    QStringList opened_;

    // F1 from `focus` covers the window with its help, hiding `hidden`; a second F1 brings the
    // caption and the controls back.
    void helpTwice(QWidget* w, QWidget* focus, QWidgetList hidden, const QString& helpText) {
        QVERIFY(QTest::qWaitForWindowActive(w));
        const QString caption = w->windowTitle();
        auto* help = control<QTextBrowser>(w, "txtpomoc");
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), "F1 vrati se u mod unosa!");
        QVERIFY(help->isVisible() && help->toPlainText().contains(helpText));
        for (QWidget* h : hidden)
            QVERIFY2(!h->isVisible(), qPrintable(h->objectName()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), caption);
        QVERIFY(!help->isVisible());
    }

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        box_ = std::make_unique<ScriptedMsgBox>();
        opened_.clear();
        PrintSettings print;
        print.forcePdf = true;
        print.openFile = [this](const QString& path) { opened_.append(path); };
        setPrintSettings(print);
        defineShellWindows();
    }

    void cleanup() {
        windows().clear();
        settle();
        setPrintSettings({});
        box_.reset();
        folder_.reset();
    }

    // First start: the title window for half a second, then an empty company register; two
    // companies are added and one is changed.
    void firstStartAddTwoCompaniesAndEditOne() {
        QWidget* splash = windows().window(win::Uvod);
        splash->show();
        // Its half second counts from the start of the process (the test's own, here).
        const auto* timer = splash->findChild<QTimer*>("Timer1");
        QVERIFY(timer && timer->isActive() && timer->interval() > 0 && timer->interval() <= 500);
        QVERIFY(!windows().isLoaded(win::IzborTvrtke));
        QTRY_VERIFY(windows().isLoaded(win::IzborTvrtke));
        QTRY_VERIFY(!windows().isLoaded(win::Uvod));

        auto* companies = windows().loaded<frmIzborTvrtke>(win::IzborTvrtke);
        QVERIFY(companies->isVisible());
        QCOMPARE(companies->windowTitle(), "Izbor tvrtke / obrta        Pomoć F1");
        QCOMPARE(list(companies, "lsvLista")->rowCount(), 0);
        QCOMPARE(list(companies, "lsvLista")->columnWidth(10), 0);  // the id column is not shown
        QCOMPARE(disabledButtons(companies), kRowButtons);

        click(companies, "cmdNova");
        settle();
        QVERIFY(!windows().isLoaded(win::IzborTvrtke));  // the entry window takes its place
        auto* entry = windows().loaded<frmUpisNove>(win::UpisNove);
        QVERIFY(entry && QTest::qWaitForWindowActive(entry));
        QPushButton* store = button(entry, "cmdUpis");
        QVERIFY(!store->isEnabled());
        QLineEdit* name = field(entry, "Text1");
        QTRY_VERIFY(name->hasFocus());
        QTest::keyClicks(name, "  Beta \"obrt' ");
        QCOMPARE(name->text(), "  Beta obrt ");  // quotes never go in
        QVERIFY(store->isEnabled());
        // T/O: anything but T or O is cleared and keeps the focus; o becomes O.
        QLineEdit* kind = field(entry, "Text4");
        kind->setFocus();
        QTest::keyClicks(kind, "x");
        QTest::keyClick(kind, Qt::Key_Tab);
        QTRY_VERIFY(kind->hasFocus());
        QCOMPARE(kind->text(), QString());
        QTest::keyClicks(kind, "o");
        QTest::keyClick(kind, Qt::Key_Tab);
        QTRY_VERIFY(!kind->hasFocus());
        // Postal code and telephone take only their own characters (see the list below).
        QTest::keyClicks(field(entry, "Text6"), "21a 000");
        QTest::keyClicks(field(entry, "Text9"), "021/345-x67");

        click(entry, "cmdUpis");
        for (int i = 1; i <= 10; ++i)
            QCOMPARE(field(entry, qPrintable(QStringLiteral("Text%1").arg(i)))->text(), QString());
        QVERIFY(!store->isEnabled());
        QVERIFY(name->hasFocus());
        QTest::keyClicks(name, "Alfa");
        click(entry, "cmdUpis");
        QTest::keyClick(name, Qt::Key_Escape);  // back to the company register, reloaded
        settle();
        QVERIFY(!windows().isLoaded(win::UpisNove));
        companies = windows().loaded<frmIzborTvrtke>(win::IzborTvrtke);
        QVERIFY(companies && companies->isVisible());
        ReportList* rows = list(companies, "lsvLista");
        QCOMPARE(columnTexts(rows, 0), QStringList({"Alfa", "Beta obrt"}));
        QCOMPARE(
            rows->rowTexts(1).mid(0, 10),
            QStringList({"Beta obrt", "-", "-", "O", "-", "21 000", "-", "-", "021/345-67", "-"}));
        QCOMPARE(rows->currentRow(), 0);
        QCOMPARE(control<QLabel>(companies, "lblIme")->text(), "Alfa");
        QCOMPARE(disabledButtons(companies), QStringList());
        // Help mode hides the list and the buttons and gives them back on.
        helpTwice(companies, rows, {rows, button(companies, "cmdNova")},
                  "Dodaj novu tvrtku ili obrt");
        QVERIFY(rows->isVisible());
        QCOMPARE(disabledButtons(companies), QStringList());

        // Edit the second company: stored without a message.
        selectRow(rows, 1);
        click(companies, "cmdUredjivanje");
        settle();
        entry = windows().loaded<frmUpisNove>(win::UpisNove);
        QVERIFY(entry && entry->isVisible());
        QCOMPARE(entry->windowTitle(), "Izmjena podataka - Beta obrt");
        QCOMPARE(field(entry, "Text4")->text(), "O");
        field(entry, "Text7")->clear();
        QTest::keyClicks(field(entry, "Text7"), " Split ");
        click(entry, "cmdUpis");
        settle();
        QVERIFY(!windows().isLoaded(win::UpisNove));
        QCOMPARE(columnTexts(list(windows().loaded(win::IzborTvrtke), "lsvLista"), 6),
                 QStringList({"-", "Split"}));
        QCOMPARE(said(*box_),
                 QStringList({said(32, "Unešena nova tvrtka!", "Unešena nova tvrtka: Beta obrt"),
                              said(32, "Unešena nova tvrtka!", "Unešena nova tvrtka: Alfa")}));
    }

    // The company entry takes an account of 34 characters (an IBAN) and an OIB: a wrong IBAN is
    // named and the company stored only after "Da"; the OIB is stored beside it and comes back
    // for an edit.
    void companyIbanAndOib() {
        QVERIFY(openCompanies());
        click(windows().loaded(win::IzborTvrtke), "cmdNova");
        settle();
        auto* entry = windows().loaded<frmUpisNove>(win::UpisNove);
        QVERIFY(entry);
        QTest::keyClicks(field(entry, "Text1"), "Alfa");
        QLineEdit* account = field(entry, "Text5");
        account->setFocus();
        QTest::keyClicks(account, QString(35, u'1'));
        QCOMPARE(account->text(), QString(34, u'1'));
        account->setText("HR1210010051863000161");
        const QString oib = "1234567890" + QString::number(oibControlDigit("1234567890"));
        field(entry, "TextOib")->setText(oib);
        box_->answer(MsgResult::No);
        click(entry, "cmdUpis");
        QCOMPARE(box_->last().title, "Provjera IBAN-a");
        QVERIFY(box_->last().prompt.startsWith("IBAN HR1210010051863000161 nije ispravan"));
        QVERIFY(loadCompanies().isEmpty());
        QCOMPARE(account->text(), "HR1210010051863000161");
        box_->answer(MsgResult::Yes);
        click(entry, "cmdUpis");
        const QList<CompanyRow> stored = loadCompanies();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].fields[4], "HR1210010051863000161");
        QCOMPARE(stored[0].oib, oib);
        QCOMPARE(field(entry, "TextOib")->text(), QString());
        entry->startEdit(stored[0]);
        QCOMPARE(field(entry, "TextOib")->text(), oib);
    }

    // The company goes with its books and their files, its open book closing first; the other
    // company's file stays.
    void deleteCompanyWithItsBooks() {
        const int alfa = addCompany("Alfa");
        const int beta = addCompany("Beta");
        const int store = addBook(alfa, "Skladište", kWarehouseKind);
        const int plant = addBook(alfa, "Pogon", kProductionKind);
        const int betaStore = addBook(beta, "Skladište B", kWarehouseKind);
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        ReportList* rows = list(companies, "lsvLista");
        selectRow(rows, 0);
        click(companies, "cmdUlaz");
        click(windows().loaded(win::IzborKnjige), "cmdUlaz");
        QVERIFY(windows().isLoaded(win::Skladiste));

        box_->answer(MsgResult::No);
        click(companies, "cmdBrisanje");
        QCOMPARE(rows->rowCount(), 2);
        QVERIFY(QFileInfo::exists(bookPath(kWarehouseKind, store)));
        QVERIFY(windows().isLoaded(win::Skladiste));

        box_->answer(MsgResult::Yes);
        click(companies, "cmdBrisanje");
        settle();
        const QString question = said(4 + 16 + 256, "Brisanje tvrtke /obrta",
                                      "Želite trajno ukloniti tvtku: Alfa  i sve njezine knjige?\n"
                                      "Molim budite pažljivi!!!");
        const QString done =
            said(32, "Brisanje završeno", "Tvrtka i sve knjige su nepovratno obrisane!");
        QCOMPARE(said(*box_), QStringList({question, question, done}));
        QVERIFY(!windows().isLoaded(win::Skladiste));
        QVERIFY(!windows().isLoaded(win::IzborKnjige));
        QVERIFY(!QFileInfo::exists(bookPath(kWarehouseKind, store)));
        QVERIFY(!QFileInfo::exists(bookPath(kProductionKind, plant)));
        QVERIFY(QFileInfo::exists(bookPath(kWarehouseKind, betaStore)));
        QCOMPARE(columnTexts(rows, 0), QStringList({"Beta"}));
        QCOMPARE(control<QLabel>(companies, "lblidt")->text(), QString::number(beta));
        QCOMPARE(disabledButtons(companies), QStringList());
        QCOMPARE(rowCount(context().masterPath(), "otvoreneknjige"), 1);

        // The last company: the row buttons go off with it; no file is left but the register.
        box_->answer(MsgResult::Yes);
        click(companies, "cmdBrisanje");
        QCOMPARE(rows->rowCount(), 0);
        QCOMPARE(disabledButtons(companies), kRowButtons);
        QCOMPARE(QDir(folder_->path()).entryList(QDir::Files), QStringList({"tvrtke.mdb"}));
    }

    // "Izlaz" of the company register ends the program: every shell window closes.
    void exitClosesEverything() {
        addBook(addCompany("Alfa"), "Knjiga", kWarehouseKind);
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        click(companies, "cmdUlaz");
        click(windows().loaded(win::IzborKnjige), "cmdUlaz");
        QVERIFY(windows().isLoaded(win::Skladiste));
        click(companies, "cmdizlaz");
        settle();
        for (const QString& name : {win::Skladiste, win::IzborKnjige, win::IzborTvrtke})
            QVERIFY2(!windows().isLoaded(name), qPrintable(name));
    }

    // Also with the longest name the register takes: the heading is printed whole, its date
    // included.
    void printCompanySheet_data() {
        QTest::addColumn<QString>("name");
        dataRow("short name", "Alfa Č");
        dataRow("30 characters", "Ćiro Đurđević i sinovi ČĆŽŠĐ d");
    }
    void printCompanySheet() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QFETCH(QString, name);
        addCompany(name);
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        const QDir pdfFolder(folder_->filePath("Ispisi"));

        box_->answer(MsgResult::No);
        click(companies, "cmdispis");
        QVERIFY(pdfFolder.entryList(QDir::Files).isEmpty());
        box_->answer(MsgResult::Yes);
        click(companies, "cmdispis");
        const QStringList pdfs = pdfFolder.entryList(QDir::Files);
        QCOMPARE(pdfs.size(), 1);
        const QString pdf = pdfFolder.filePath(pdfs[0]);
        QCOMPARE(opened_, QStringList({pdf}));
        const QString question =
            said(4 + 32, "Ispis podataka!", " Ispis podataka za: " + name + "?");
        QCOMPARE(said(*box_).mid(0, 2), QStringList({question, question}));
        QCOMPARE(box_->count(), 3);  // then where the sheet went
        QVERIFY(box_->last().prompt.contains(QDir::toNativeSeparators(pdf)));

        // One A4 portrait page.
        const QString info = runTool("pdfinfo", {pdf});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")) &&
                     info.contains(QRegularExpression("Page size:\\s+595\\S* x 84")),
                 qPrintable(info));
        // pdftotext guesses blanks from glyph positions, so runs of blanks are compared as one; the
        // exact lines are the sheet's own test.
        QStringList lines;
        for (const QString& line : runTool("pdftotext", {"-layout", pdf, "-"}).split(u'\n'))
            if (!line.trimmed().isEmpty()) lines.append(line.simplified());
        QCOMPARE(lines.size(), 12);
        const QString today = QDate::currentDate().toString("dd.MM.yyyy");
        QCOMPARE(lines.first(), "Ispis podataka za: !" + name.simplified() + " na dan: " + today);
        // The footer names the sheet's company.
        QCOMPARE(lines.last(), ("Stranica 1 od 1  ·  " + name + "  ·  " + today).simplified());
        QCOMPARE(lines.mid(4, 2), QStringList({"Tvrtka/obrt : T", "Žiro račun : -"}));
    }

    // Kept in the register, read back when the windows open again: the company and the book
    // entered last stand selected, the windows come back where they were left (one that would
    // stand off the screen is brought onto it). A register from before reads nothing remembered.
    void rememberedState() {
        addBook(addCompany("Alfa"), "Treća", kWarehouseKind);
        const int beta = addCompany("Beta");
        addBook(beta, "Prva", kWarehouseKind);
        addBook(beta, "Druga", kWarehouseKind);
        QVERIFY(!settings::value(settings::lastCompanyKey()));
        QVERIFY(!Database::open(context().masterPath()).hasTable(settings::kTable));

        // Every window closed as at the end of the program, then the program again.
        const auto reopen = [] {
            windows().clear();
            settle();
            defineShellWindows();
        };
        const auto enter = [&reopen](int company, int book) {
            showWindow(windows().window(win::IzborTvrtke));
            ReportList* companies = list(windows().loaded(win::IzborTvrtke), "lsvLista");
            const int shownCompany = companies->currentRow();
            selectRow(companies, company);
            click(companies->window(), "cmdUlaz");
            QWidget* books = windows().loaded(win::IzborKnjige);
            const int shownBook = list(books, "lsvotvorene")->currentRow();
            selectRow(list(books, "lsvotvorene"), book);
            click(books, "cmdUlaz");
            reopen();
            return QPoint(shownCompany, shownBook);
        };
        QCOMPARE(enter(1, 1), QPoint(0, 0));
        QCOMPARE(enter(1, 0), QPoint(1, 1));
        QCOMPARE(enter(0, 0), QPoint(1, 0));

        QWidget* companies = windows().window(win::IzborTvrtke);
        showWindow(companies);
        companies->setGeometry(40, 50, 700, 450);
        const QRect left(companies->pos(), companies->size());  // the frame's corner
        companies->close();
        reopen();
        companies = windows().window(win::IzborTvrtke);
        showWindow(companies);
        QCOMPARE(QRect(companies->pos(), companies->size()), left);
        reopen();

        QVERIFY(settings::trySetValue(settings::windowKey(win::IzborTvrtke), "9000,-700,700,450"));
        companies = windows().window(win::IzborTvrtke);
        showWindow(companies);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect shown(companies->pos(), companies->size());
        QVERIFY2(screen.contains(shown), qPrintable(QString("%1,%2 %3x%4")
                                                        .arg(shown.x())
                                                        .arg(shown.y())
                                                        .arg(shown.width())
                                                        .arg(shown.height())));

        // A file dialog's folder: the one of the file chosen, while it still is one.
        const QString kept = folder_->filePath("Ispisi");
        QVERIFY(QDir().mkpath(kept));
        settings::rememberFolder("proba", kept + "/kopija.json");
        QCOMPARE(settings::lastFolder("proba", "-"), kept);
        QVERIFY(QDir(kept).removeRecursively());
        QCOMPARE(settings::lastFolder("proba", "-"), "-");
    }

    // Placements brought onto the screens: left as they are inside one; moved back from past an
    // edge; made smaller when larger than the screen; onto the screen overlapped most, or the
    // first.
    void keptOnScreens_data() {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QRect>("expected");
        dataRow("inside", QRect(10, 10, 300, 200), QRect(10, 10, 300, 200));
        dataRow("past the right and bottom", QRect(900, 700, 300, 200), QRect(724, 568, 300, 200));
        dataRow("above and left", QRect(-50, -20, 300, 200), QRect(0, 0, 300, 200));
        dataRow("larger", QRect(0, 0, 2000, 900), QRect(0, 0, 1024, 768));
        dataRow("mostly on the second", QRect(1000, 100, 300, 200), QRect(1024, 100, 300, 200));
        dataRow("on none", QRect(5000, 5000, 300, 200), QRect(724, 568, 300, 200));
    }
    void keptOnScreens() {
        QFETCH(QRect, rect);
        QFETCH(QRect, expected);
        QCOMPARE(settings::keptOnScreens(rect, {QRect(0, 0, 1024, 768), QRect(1024, 0, 800, 600)}),
                 expected);
    }

    // The company entry is a child window like the others: Enter goes from field to field and
    // presses the focused button; Esc closes it, back to the company register.
    void companyEntryKeys() {
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        click(companies, "cmdNova");
        settle();
        auto* entry = windows().loaded<frmUpisNove>(win::UpisNove);
        QVERIFY(qobject_cast<ChildWindow*>(entry) && QTest::qWaitForWindowActive(entry));
        QTRY_VERIFY(field(entry, "Text1")->hasFocus());
        QTest::keyClicks(field(entry, "Text1"), "Gama");
        QTest::keyClick(field(entry, "Text1"), Qt::Key_Return);
        QVERIFY(field(entry, "Text2")->hasFocus());
        button(entry, "cmdUpis")->setFocus();
        QTest::keyClick(button(entry, "cmdUpis"), Qt::Key_Return);
        QCOMPARE(box_->count(), 1);  // "Unešena nova tvrtka: Gama"
        QTest::keyClick(field(entry, "Text1"), Qt::Key_Escape);
        settle();
        QVERIFY(!windows().isLoaded(win::UpisNove));
        QVERIFY(windows().loaded(win::IzborTvrtke)->isVisible());
    }

    // Every menu shown has an access key (its text as shown unchanged), no two the same; Alt+key
    // opens it, F10 opens the first one.
    void menuAccessKeysAndF10_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("shown");
        dataRow("warehouse", kWarehouseKind, QStringList{"Novi unos", "Pregled", "Pomoć"});
        dataRow("production", kProductionKind, QStringList{"Izbor", "Pomoć"});
    }
    void menuAccessKeysAndF10() {
        QFETCH(QString, kind);
        QFETCH(QStringList, shown);
        frmSkladiste* main = openBook(kind);
        QVERIFY(QTest::qWaitForWindowActive(main));
        QStringList texts;
        QList<QKeySequence> keys;
        QList<QMenu*> menus;
        for (QAction* a : main->menuBar()->actions()) {
            if (!a->isVisible()) {
                QVERIFY2(!a->text().contains(u'&'), qPrintable(a->text()));  // keeps no key
                continue;
            }
            texts.append(QString(a->text()).remove(u'&'));
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(a->text()));
            keys.append(key);
            menus.append(a->menu());
        }
        QCOMPARE(texts, shown);
        for (int i = 0; i < keys.size(); ++i) {
            const Qt::Key key = keys[i][0].key();  // Alt+Ć too, which QTest cannot spell
            QTest::sendKeyEvent(QTest::Click, main, key, QString(QChar(key).toLower()),
                                Qt::AltModifier);
            QTRY_VERIFY2(menus[i]->isVisible(), qPrintable(texts[i]));
            menus[i]->close();
            QTRY_VERIFY(!menus[i]->isVisible());
        }
        QTest::keyClick(main, Qt::Key_F10);
        QTRY_VERIFY(menus.first()->isVisible());
        menus.first()->close();
    }

    void booksOfBothKinds() {
        addCompany("Beta");
        const int alfa = addCompany("Alfa");
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        // A double click enters the company as "Ulaz" does.
        ReportList* companyList = list(companies, "lsvLista");
        selectRow(companyList, 0);
        emit companyList->rowDoubleClicked(0);
        QCOMPARE(context().currentCompanyId, double(alfa));
        auto* books = windows().loaded<frmIzborKnjige>(win::IzborKnjige);
        QVERIFY(books && QTest::qWaitForWindowActive(books));
        QCOMPARE(books->windowTitle(), "Alfa - izbor knjige      Pomoć F1");
        ReportList* rows = list(books, "lsvotvorene");
        QCOMPARE(rows->rowCount(), 0);
        QCOMPARE(disabledButtons(books), kRowButtons);
        auto* kinds = control<QListWidget>(books, "lstpostojece");
        QCOMPARE(kinds->count(), 2);
        QCOMPARE(kinds->item(0)->text(), "Proizvodnja");
        QCOMPARE(kinds->item(1)->text(), "Skladiste");

        auto* frame = control<QGroupBox>(books, "Frame1");
        QLineEdit* name = field(books, "txtnaziv");
        QLineEdit* address = field(books, "txtadresa");
        QVERIFY(!frame->isVisible());
        click(books, "cmdNova");
        QVERIFY(frame->isVisible());
        QTRY_VERIFY(name->hasFocus());
        name->insert("Glavno skladište");
        click(books, "cmdunosimo");
        QTRY_VERIFY(address->hasFocus());
        QTest::keyClicks(address, "Ilica 1");
        click(books, "cmdunosimo");
        kinds->setCurrentRow(1);
        box_->answer(MsgResult::Cancel);
        click(books, "cmdunosimo");
        QCOMPARE(rows->rowCount(), 0);
        box_->answer(MsgResult::Ok);
        click(books, "cmdunosimo");
        const QString newBook = said(1 + 32, "Unos nove knjige", "Unosimo novu knjigu?");
        QCOMPARE(said(*box_),
                 QStringList({said(32, "Nepotpun unos", "Nije unešen naziv ili adresa knjige!"),
                              said(48, "Nije izabrano!", "Nije izabrana vrsta knjige!"), newBook,
                              newBook}));
        QVERIFY(!frame->isVisible());
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(name->text(), QString());

        // Help mode keeps the entry panel only while it holds text, and its buttons with it.
        click(books, "cmdNova");
        helpTwice(books, name, {frame}, "Izbor knjige");
        QVERIFY(!frame->isVisible());
        QCOMPARE(disabledButtons(books), QStringList());
        click(books, "cmdNova");
        QTest::keyClicks(name, "Pogon");
        helpTwice(books, name, {button(books, "cmdalati")}, "Izbor knjige");
        QVERIFY(frame->isVisible());
        QCOMPARE(disabledButtons(books),
                 QStringList({"cmdBrisanje", "cmdNova", "cmdUlaz", "cmdUredjivanje"}));
        QTest::keyClicks(address, "Savska 2");
        kinds->setCurrentRow(0);
        box_->answer(MsgResult::Ok);
        click(books, "cmdunosimo");
        // The list is read back from the register: the rows stored for this company.
        QCOMPARE(rows->rowTexts(0).mid(0, 3),
                 QStringList({"Glavno skladište", "Skladiste", "Ilica 1"}));

        // Marking a book makes it the current book at once; its database is made on entering.
        selectRow(rows, 0);
        const QString storePath = bookPath(kWarehouseKind, 1);
        QCOMPARE(context().currentBookFile, "\\Skladiste1.mdb");
        QCOMPARE(books->windowTitle(),
                 "Baza: " + QDir::toNativeSeparators(storePath) + "             Pomoć F1");
        QVERIFY(!QFileInfo::exists(storePath));
        click(books, "cmdUlaz");
        auto* main = windows().loaded<frmSkladiste>(win::Skladiste);
        QVERIFY(main && main->isVisible());
        QCOMPARE(main->windowTitle(),
                 "Knjiga: Glavno skladište      Baza: " + QDir::toNativeSeparators(storePath));
        QCOMPARE(context().currentBookType, kWarehouseKind);
        QCOMPARE(shownMenus(main), QStringList({"mnuNoviunos", "mnuPregled", "mnupomoc"}));
        QVERIFY(Database::open(storePath).hasTable("ulazizlaz"));
        QVERIFY(!button(books, "cmdUlaz")->isEnabled());

        // Entering the production book (by a double click) while the other is open opens its own
        // window.
        selectRow(rows, 1);
        emit rows->rowDoubleClicked(1);
        settle();
        main = windows().loaded<frmSkladiste>(win::Skladiste);
        QVERIFY(main);
        QCOMPARE(context().currentBookType, kProductionKind);
        QCOMPARE(context().currentBookFile, "\\Proizvodnja2.mdb");
        QCOMPARE(main->bookFile(), "\\Proizvodnja2.mdb");
        QCOMPARE(main->windowTitle(), "Knjiga: Pogon      Baza: " +
                                          QDir::toNativeSeparators(bookPath(kProductionKind, 2)));
        QCOMPARE(shownMenus(main), QStringList({"mnuizbor", "mnupomoc"}));
        QVERIFY(Database::open(bookPath(kProductionKind, 2)).hasTable("sastojci"));
        main->close();
        settle();
        QVERIFY(!windows().isLoaded(win::Skladiste));
        QVERIFY(books->isVisible());

        // Edit: name and address only.
        selectRow(rows, 0);
        click(books, "cmdUredjivanje");
        QCOMPARE(frame->title(), "Izmjena: - Glavno skladište");
        QCOMPARE(address->text(), "Ilica 1");
        name->clear();
        name->insert("Skladište A");
        box_->answer(MsgResult::Ok);
        click(books, "cmdunosimo");
        QCOMPARE(said(box_->last().style, box_->last().title, box_->last().prompt),
                 said(1 + 32, "Unos nove knjige", "Mijenjamo označenu knjigu?"));
        QCOMPARE(columnTexts(rows, 0), QStringList({"Skladište A", "Pogon"}));
        QCOMPARE(columnTexts(rows, 1), QStringList({"Skladiste", "Proizvodnja"}));

        // Delete the warehouse book: its file goes, the other stays.
        selectRow(rows, 0);
        box_->answer(MsgResult::Ok);
        click(books, "cmdBrisanje");
        QCOMPARE(said(*box_).mid(box_->count() - 2),
                 QStringList({said(1 + 16 + 256, "Nepovratno brisanje!!!",
                                   "Dobro razmislite! Brišete knjigu: Skladište A\n"
                                   "Ovim brisanjem gubite sve podatke vezane uz nju"),
                              said(0, applicationTitle(), "Knjiga je nepovratno uklonjena!")}));
        QVERIFY(!QFileInfo::exists(storePath));
        QVERIFY(QFileInfo::exists(bookPath(kProductionKind, 2)));
        QCOMPARE(columnTexts(rows, 0), QStringList({"Pogon"}));

        // Back to the company register.
        click(books, "cmdizlaz");
        settle();
        QVERIFY(!windows().isLoaded(win::IzborKnjige));
        QVERIFY(companies->isVisible());
    }

    // Every menu item opens its window inside the main window and disables the book's menus until
    // the window closes.
    void menuItemsOpenChildWindows_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("documentMode");
        const auto row = [](const char* name, const QString& kind, const char* item,
                            const char* window, const char* mode = "") {
            QTest::newRow(name) << kind << QString::fromLatin1(item) << QString::fromLatin1(window)
                                << QString::fromLatin1(mode);
        };
        row("articles", kWarehouseKind, "mnuArtikala", "frmartikli");
        row("receipt", kWarehouseKind, "mnuPrimki", "frmPrimka", "Primka");
        row("issue", kWarehouseKind, "mnuIzdatnica", "frmPrimka", "Izdatnica");
        row("article overview", kWarehouseKind, "mnuArtikala1", "frmPregledart");
        row("receipt overview", kWarehouseKind, "mnuPrimki1", "frmpregledprimki");
        row("issue overview", kWarehouseKind, "mnuIzdatnica1", "frmpregledizdatnice");
        row("partner lists", kWarehouseKind, "mnuKupaca1", "frmpregledkupacadobavljaca");
        row("journal", kWarehouseKind, "mnuDnevnika1", "frmpregleddnevnika");
        row("products", kProductionKind, "mnuproizvodi", "frmproizvodi");
        row("work orders", kProductionKind, "mnuradninalozi", "frmrn");
    }
    void menuItemsOpenChildWindows() {
        QFETCH(QString, kind);
        QFETCH(QString, item);
        QFETCH(QString, window);
        QFETCH(QString, documentMode);
        const QStringList bookMenus = kind == kWarehouseKind
                                          ? QStringList({"mnuNoviunos", "mnuPregled"})
                                          : QStringList({"mnuizbor"});
        frmSkladiste* main = openBook(kind);
        QVERIFY(QTest::qWaitForWindowExposed(main));

        // A window this version does not have is greyed out.
        QAction* action = menuItem(main, qPrintable(item));
        QVERIFY(action);
        if (!windows().isDefined(window)) {
            QVERIFY(!action->isEnabled());
            windows().define(window, [] { return new FakeBookWindow; });
            for (QMenu* m : main->findChildren<QMenu*>())
                emit m->aboutToShow();
        }
        QVERIFY(action->isEnabled());

        action->trigger();
        auto* child = windows().loaded<ChildWindow>(window);
        QVERIFY(child && child->isVisible());
        QCOMPARE(child->mdiSubWindow()->mdiArea(), main->mdiArea());
        if (!documentMode.isEmpty()) {
            QCOMPARE(context().documentMode, documentMode);
            QCOMPARE(child->findChild<QLabel*>("lblpi")->text(), documentMode.left(1));
        }
        // Disabled, and without their access keys, which now belong to the window's buttons.
        for (const QString& name : bookMenus) {
            auto* menu = main->findChild<QMenu*>(name);
            QVERIFY2(!menu->menuAction()->isEnabled(), qPrintable(name));
            QVERIFY(!menu->title().contains(QLatin1Char('&')));
        }
        QVERIFY(menuItem(main, "mnupomoc")->isEnabled());
        // Centred in the main window's client area.
        const QRect sub = child->mdiSubWindow()->geometry();
        const QSize area = main->mdiArea()->viewport()->size();
        QCOMPARE(sub.topLeft(), QPoint(qMax(0, (area.width() - sub.width()) / 2),
                                       qMax(0, (area.height() - sub.height()) / 2)));

        // The clerk can type at once: the focus is in the window's first control.
        QWidget* focus = child->focusWidget();
        QVERIFY(focus && child->isAncestorOf(focus));
        QCOMPARE(QApplication::focusWidget(), focus);
        QTest::keyClick(focus, Qt::Key_Escape);
        settle();
        QVERIFY(!windows().isLoaded(window));
        for (const QString& name : bookMenus)
            QVERIFY2(main->findChild<QMenu*>(name)->menuAction()->isEnabled(), qPrintable(name));
        if (kind == kWarehouseKind)
            QCOMPARE(main->findChild<QMenu*>("mnuPregled")->title(), "&Pregled");
    }

    // The book's window closes with its windows; one that keeps itself open keeps the book open.
    void mainWindowClosesWithItsWindows() {
        frmSkladiste* main = openBook(kWarehouseKind);
        const QString bookFile = context().currentBookFile;
        windows().define("frmartikli", [] { return new FakeBookWindow; });
        QWidget* child = main->openChild("frmartikli");
        QVERIFY(child);
        // Another book marked in the register meanwhile: the main window takes its own back.
        context().currentBookFile = "\\Skladiste99.mdb";
        QApplication::sendEvent(main, new QEvent(QEvent::WindowActivate));
        QCOMPARE(context().currentBookFile, bookFile);

        FakeBookWindow::keepOpen = true;
        menuItem(main, "mnuizlaz")->trigger();
        settle();
        FakeBookWindow::keepOpen = false;
        QVERIFY(windows().isLoaded(win::Skladiste));
        QVERIFY(child->isVisible());

        menuItem(main, "mnuizlaz")->trigger();
        settle();
        QVERIFY(!windows().isLoaded(win::Skladiste));
        QVERIFY(!windows().isLoaded("frmartikli"));
        // With the book register gone, closing the book returns to the company register.
        QVERIFY(windows().isLoaded(win::IzborTvrtke));
    }

    void aboutWindowSwitchesPages() {
        frmSkladiste* main = openBook(kWarehouseKind);
        menuItem(main, "mnupomoc1")->trigger();
        auto* about = windows().loaded<frmAbout>(win::About);
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), "O programu...");
        auto* guide = control<QTextBrowser>(about, "txtpomoc");
        QVERIFY(guide->isVisible());
        QVERIFY(guide->toPlainText().startsWith("O programu:"));
        QVERIFY(!button(about, "cmdSysInfo")->isVisible());
        click(about, "cmdOK");
        QVERIFY(!about->isVisible());

        menuItem(main, "mnunama")->trigger();
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), "O nama...");
        QVERIFY(!guide->isVisible());
        QVERIFY(control<QLabel>(about, "picIcon")->isVisible());
        click(about, "cmdSysInfo");
        QCOMPARE(box_->last().title, "Podaci o sustavu");
        QVERIFY(box_->last().prompt.contains(QDir::toNativeSeparators(folder_->path())));
        QTest::keyClick(button(about, "cmdOK"), Qt::Key_Escape);
        QVERIFY(!about->isVisible());
    }
};

QTEST_MAIN(TstShellWindows)
#include "tst_shellwindows.moc"
