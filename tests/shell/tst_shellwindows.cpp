// The shell as a new user meets it: start-up, the company register, company entry and changes,
// removing a company with its books, the printed company sheet, the book register, the main
// window of each kind of book with its menus, help mode and the about window.

#include "data/appcontext.h"
#include "data/database.h"
#include "scriptedmsgbox.h"
#include "shell/frmabout.h"
#include "shell/frmizborknjige.h"
#include "shell/frmizbortvrtke.h"
#include "shell/frmskladiste.h"
#include "shell/frmupisnove.h"
#include "shell/shellwindows.h"
#include "testenv.h"
#include "ui/childwindow.h"
#include "ui/printing.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace kl;
using namespace kl::test;

namespace {

template <typename T = QWidget>
T* loadedWindow(const QString& name) {
    return windows().loaded<T>(name);
}

// Processes pending events, deferred deletions included.
void settle() {
    QTest::qWait(20);
}

frmIzborTvrtke* openCompanies() {
    auto* w = windows().window<frmIzborTvrtke>(win::IzborTvrtke);
    w->show();
    if (!QTest::qWaitForWindowExposed(w)) return nullptr;
    return w;
}

void click(QWidget* parent, const char* button) {
    auto* b = control<QPushButton>(parent, QString::fromLatin1(button));
    QVERIFY(b);
    QVERIFY2(b->isEnabled(), button);
    QTest::mouseClick(b, Qt::LeftButton);
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

// The enabled state of a window's buttons, by name.
QMap<QString, bool> buttonStates(QWidget* w) {
    QMap<QString, bool> states;
    for (QPushButton* b : w->findChildren<QPushButton*>())
        states.insert(b->objectName(), b->isEnabled());
    return states;
}

QAction* menuItem(QWidget* main, const char* name) {
    return main->findChild<QAction*>(QString::fromLatin1(name));
}

bool menuShown(QWidget* main, const char* name) {
    auto* menu = main->findChild<QMenu*>(QString::fromLatin1(name));
    return menu && menu->menuAction()->isVisible();
}

bool menuEnabled(QWidget* main, const char* name) {
    auto* menu = main->findChild<QMenu*>(QString::fromLatin1(name));
    return menu && menu->menuAction()->isEnabled();
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
    FakeBookWindow() {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("txtfake"));
        field->setGeometry(10, 10, 200, 24);
    }
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

    // First start: the title window for half a second, then an empty company register.
    void firstStart() {
        QWidget* splash = windows().window(win::Uvod);
        splash->show();
        QCOMPARE(splash->windowTitle(), QStringLiteral("Uvod"));
        QCOMPARE(control<QLabel>(splash, QStringLiteral("lblNaziv"))->text(),
                 QStringLiteral("Knjigovodstveni programi"));
        QCOMPARE(splash->findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 500);
        QTest::qWait(300);
        QVERIFY(!windows().isLoaded(win::IzborTvrtke));
        QTRY_VERIFY(windows().isLoaded(win::IzborTvrtke));
        QTRY_VERIFY(!windows().isLoaded(win::Uvod));

        auto* companies = loadedWindow<frmIzborTvrtke>(win::IzborTvrtke);
        QVERIFY(companies->isVisible());
        QCOMPARE(companies->windowTitle(), QStringLiteral("Izbor tvrtke / obrta        Pomoć F1"));
        auto* list = control<ReportList>(companies, QStringLiteral("lsvLista"));
        QCOMPARE(list->rowCount(), 0);
        QCOMPARE(list->columnCount(), 11);
        QCOMPARE(list->model()->headerData(5, Qt::Horizontal).toString(),
                 QStringLiteral("Pošt.br."));
        QCOMPARE(list->columnWidth(10), 0);
        for (const char* off : {"cmdUlaz", "cmdUredjivanje", "cmdBrisanje"})
            QVERIFY2(!control<QPushButton>(companies, QString::fromLatin1(off))->isEnabled(), off);
        QVERIFY(control<QPushButton>(companies, QStringLiteral("cmdNova"))->isEnabled());
        QCOMPARE(control<QPushButton>(companies, QStringLiteral("cmdUlaz"))->toolTip(),
                 QStringLiteral("Ulazimo u odabranu tvrtku ili obrt"));
        // The register is created on first use with its two kinds of book.
        QCOMPARE(rowCount(context().masterPath(), QStringLiteral("dodajknjige")), 2);
        QCOMPARE(box_->count(), 0);
    }

    void addTwoCompaniesAndEditOne() {
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        click(companies, "cmdNova");
        settle();
        QVERIFY(!windows().isLoaded(win::IzborTvrtke));  // the entry window takes its place
        auto* entry = loadedWindow<frmUpisNove>(win::UpisNove);
        QVERIFY(entry && entry->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(entry));
        auto* store = control<QPushButton>(entry, QStringLiteral("cmdUpis"));
        QCOMPARE(store->text(), QStringLiteral("&Upis nove tvrtke"));
        QCOMPARE(store->toolTip(), QStringLiteral("Unos nove tvrtke ili obrta"));
        QVERIFY(!store->isEnabled());

        auto* name = control<QLineEdit>(entry, QStringLiteral("Text1"));
        QTRY_VERIFY(name->hasFocus());
        QTest::keyClicks(name, QStringLiteral("  Beta \"obrt' "));
        QCOMPARE(name->text(), QStringLiteral("  Beta obrt "));  // quotes never go in
        QVERIFY(store->isEnabled());

        // T/O: anything but T or O is cleared and keeps the focus; o becomes O.
        auto* kind = control<QLineEdit>(entry, QStringLiteral("Text4"));
        kind->setFocus();
        QTest::keyClicks(kind, QStringLiteral("x"));
        QTest::keyClick(kind, Qt::Key_Tab);
        QTRY_VERIFY(kind->hasFocus());
        QCOMPARE(kind->text(), QString());
        QTest::keyClicks(kind, QStringLiteral("o"));
        QTest::keyClick(kind, Qt::Key_Tab);
        QTRY_VERIFY(!kind->hasFocus());
        QCOMPARE(kind->text(), QStringLiteral("O"));
        // Postal code and telephone take only their own characters.
        auto* post = control<QLineEdit>(entry, QStringLiteral("Text6"));
        QTest::keyClicks(post, QStringLiteral("21a 000"));
        QCOMPARE(post->text(), QStringLiteral("21 000"));
        auto* phone = control<QLineEdit>(entry, QStringLiteral("Text9"));
        QTest::keyClicks(phone, QStringLiteral("021/345-x67"));
        QCOMPARE(phone->text(), QStringLiteral("021/345-67"));

        click(entry, "cmdUpis");
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt, QStringLiteral("Unešena nova tvrtka: Beta obrt"));
        QCOMPARE(box_->last().style, 32);
        QCOMPARE(box_->last().title, QStringLiteral("Unešena nova tvrtka!"));
        for (int i = 1; i <= 10; ++i)
            QCOMPARE(control<QLineEdit>(entry, QStringLiteral("Text%1").arg(i))->text(), QString());
        QVERIFY(!store->isEnabled());
        QVERIFY(name->hasFocus());

        QTest::keyClicks(name, QStringLiteral("Alfa"));
        click(entry, "cmdUpis");
        QCOMPARE(box_->count(), 2);
        QTest::keyClick(name, Qt::Key_Escape);  // back to the company register, reloaded
        settle();
        QVERIFY(!windows().isLoaded(win::UpisNove));
        companies = loadedWindow<frmIzborTvrtke>(win::IzborTvrtke);
        QVERIFY(companies && companies->isVisible());
        auto* list = control<ReportList>(companies, QStringLiteral("lsvLista"));
        QCOMPARE(columnTexts(list, 0), QStringList({"Alfa", "Beta obrt"}));
        QCOMPARE(
            list->rowTexts(1).mid(0, 10),
            QStringList({"Beta obrt", "-", "-", "O", "-", "21 000", "-", "-", "021/345-67", "-"}));
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(control<QLabel>(companies, QStringLiteral("lblIme"))->text(),
                 QStringLiteral("Alfa"));
        for (const char* on : {"cmdUlaz", "cmdUredjivanje", "cmdBrisanje"})
            QVERIFY2(control<QPushButton>(companies, QString::fromLatin1(on))->isEnabled(), on);

        // Edit the second company.
        selectRow(list, 1);
        click(companies, "cmdUredjivanje");
        settle();
        entry = loadedWindow<frmUpisNove>(win::UpisNove);
        QVERIFY(entry && entry->isVisible());
        QCOMPARE(entry->windowTitle(), QStringLiteral("Izmjena podataka - Beta obrt"));
        store = control<QPushButton>(entry, QStringLiteral("cmdUpis"));
        QCOMPARE(store->text(), QStringLiteral("I&zmjena"));
        QCOMPARE(store->toolTip(), QStringLiteral("Izmjena knjige"));
        QCOMPARE(control<QLineEdit>(entry, QStringLiteral("Text4"))->text(), QStringLiteral("O"));
        auto* place = control<QLineEdit>(entry, QStringLiteral("Text7"));
        place->clear();
        QTest::keyClicks(place, QStringLiteral(" Split "));
        click(entry, "cmdUpis");
        settle();
        QCOMPARE(box_->count(), 2);  // a change is stored without a message
        QVERIFY(!windows().isLoaded(win::UpisNove));
        companies = loadedWindow<frmIzborTvrtke>(win::IzborTvrtke);
        list = control<ReportList>(companies, QStringLiteral("lsvLista"));
        QCOMPARE(list->text(1, 6), QStringLiteral("Split"));
        QCOMPARE(list->text(0, 6), QStringLiteral("-"));
    }

    void deleteCompanyWithItsBooks() {
        const int alfa = addCompany(QStringLiteral("Alfa"));
        const int beta = addCompany(QStringLiteral("Beta"));
        const int store = addBook(alfa, QStringLiteral("Skladište"), kWarehouseKind);
        const int plant = addBook(alfa, QStringLiteral("Pogon"), kProductionKind);
        const int betaStore = addBook(beta, QStringLiteral("Skladište B"), kWarehouseKind);
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        auto* list = control<ReportList>(companies, QStringLiteral("lsvLista"));
        selectRow(list, 0);

        box_->answer(MsgResult::No);
        click(companies, "cmdBrisanje");
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Želite trajno ukloniti tvtku: Alfa  i sve njezine knjige?\n"
                                "Molim budite pažljivi!!!"));
        QCOMPARE(box_->last().style, 4 + 16 + 256);
        QCOMPARE(box_->last().title, QStringLiteral("Brisanje tvrtke /obrta"));
        QCOMPARE(list->rowCount(), 2);
        QVERIFY(QFileInfo::exists(bookPath(kWarehouseKind, store)));

        box_->answer(MsgResult::Yes);
        click(companies, "cmdBrisanje");
        QCOMPARE(box_->count(), 3);
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Tvrtka i sve knjige su nepovratno obrisane!"));
        QCOMPARE(box_->last().style, 32);
        QCOMPARE(box_->last().title, QStringLiteral("Brisanje završeno"));
        QVERIFY(!QFileInfo::exists(bookPath(kWarehouseKind, store)));
        QVERIFY(!QFileInfo::exists(bookPath(kProductionKind, plant)));
        QVERIFY(QFileInfo::exists(bookPath(kWarehouseKind, betaStore)));
        QCOMPARE(columnTexts(list, 0), QStringList({"Beta"}));
        QCOMPARE(control<QLabel>(companies, QStringLiteral("lblidt"))->text(),
                 QString::number(beta));
        QVERIFY(control<QPushButton>(companies, QStringLiteral("cmdBrisanje"))->isEnabled());
        QCOMPARE(rowCount(context().masterPath(), QStringLiteral("otvoreneknjige")), 1);

        // The last company: the row buttons go off with it.
        box_->answer(MsgResult::Yes);
        click(companies, "cmdBrisanje");
        QCOMPARE(list->rowCount(), 0);
        QVERIFY(!control<QPushButton>(companies, QStringLiteral("cmdBrisanje"))->isEnabled());
        QVERIFY(!control<QPushButton>(companies, QStringLiteral("cmdUredjivanje"))->isEnabled());
        QCOMPARE(QDir(folder_->path()).entryList(QDir::Files),
                 QStringList({QStringLiteral("tvrtke.mdb")}));
    }

    // A company whose book is open: its main window and book register close before the files go.
    void deletingTheOpenCompanyClosesItsBook() {
        const int alfa = addCompany(QStringLiteral("Alfa"));
        const int store = addBook(alfa, QStringLiteral("Skladište"), kWarehouseKind);
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        click(companies, "cmdUlaz");
        auto* books = loadedWindow<frmIzborKnjige>(win::IzborKnjige);
        QVERIFY(books);
        click(books, "cmdUlaz");
        QVERIFY(windows().isLoaded(win::Skladiste));
        box_->answer(MsgResult::Yes);
        click(companies, "cmdBrisanje");
        settle();
        QVERIFY(!windows().isLoaded(win::Skladiste));
        QVERIFY(!windows().isLoaded(win::IzborKnjige));
        QVERIFY(!QFileInfo::exists(bookPath(kWarehouseKind, store)));
    }

    void printCompanySheet() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const int alfa = addCompany(QStringLiteral("Alfa Č"));
        Q_UNUSED(alfa);
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        const QString pdfFolder = folder_->filePath(QStringLiteral("Ispisi"));

        box_->answer(MsgResult::No);
        click(companies, "cmdispis");
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt, QStringLiteral(" Ispis podataka za: Alfa Č?"));
        QCOMPARE(box_->last().style, 4 + 32);
        QCOMPARE(box_->last().title, QStringLiteral("Ispis podataka!"));
        QVERIFY(QDir(pdfFolder).entryList(QDir::Files).isEmpty());

        box_->answer(MsgResult::Yes);
        click(companies, "cmdispis");
        QCOMPARE(box_->count(), 3);  // the question, then where the sheet went
        const QStringList pdfs = QDir(pdfFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        QCOMPARE(pdfs.size(), 1);
        const QString pdf = QDir(pdfFolder).filePath(pdfs[0]);
        QCOMPARE(opened_, QStringList({pdf}));
        QVERIFY(box_->last().prompt.contains(QDir::toNativeSeparators(pdf)));

        const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595\\S* x 84"))),
                 qPrintable(info));  // A4 portrait
        const QString text = runTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        // pdftotext guesses blanks from glyph positions, so runs of blanks are compared as one;
        // the exact lines are the sheet's own test.
        QStringList lines;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty()) lines.append(line.simplified());
        }
        const QStringList expected = {
            QStringLiteral("Ispis podataka za: !Alfa Č  na dan: ") +
                QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")),
            QStringLiteral("Naziv T/O   :  Alfa Č"),
            QStringLiteral("Matični br. :  -"),
            QStringLiteral("Šifra djel. :  -"),
            QStringLiteral("Tvrtka/obrt :  T"),
            QStringLiteral("Žiro račun  :  -"),
            QStringLiteral("Pošt. br.   :  -"),
            QStringLiteral("Mjesto      :  -"),
            QStringLiteral("Ulica i br. :  -"),
            QStringLiteral("Telefon     :  -"),
            QStringLiteral("Kontaktiraj :  -")};
        QStringList simplified;
        for (const QString& line : expected)
            simplified.append(line.simplified());
        QCOMPARE(lines, simplified);
        const QString fonts = runTool(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(
            fonts.contains(QStringLiteral("Mono")) || fonts.contains(QStringLiteral("Courier")),
            qPrintable(fonts));
    }

    void booksOfBothKinds() {
        addCompany(QStringLiteral("Beta"));
        const int alfa = addCompany(QStringLiteral("Alfa"));
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        // A double click enters the company as "Ulaz" does.
        auto* companyList = control<ReportList>(companies, QStringLiteral("lsvLista"));
        QCOMPARE(companyList->text(0, 0), QStringLiteral("Alfa"));
        selectRow(companyList, 0);
        emit companyList->rowDoubleClicked(0);
        QCOMPARE(context().currentCompanyId, double(alfa));
        auto* books = loadedWindow<frmIzborKnjige>(win::IzborKnjige);
        QVERIFY(books && books->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(books));
        QCOMPARE(books->windowTitle(), QStringLiteral("Alfa - izbor knjige      Pomoć F1"));
        auto* list = control<ReportList>(books, QStringLiteral("lsvotvorene"));
        QCOMPARE(list->rowCount(), 0);
        for (const char* off : {"cmdUlaz", "cmdUredjivanje", "cmdBrisanje"})
            QVERIFY2(!control<QPushButton>(books, QString::fromLatin1(off))->isEnabled(), off);
        auto* kinds = control<QListWidget>(books, QStringLiteral("lstpostojece"));
        QCOMPARE(kinds->count(), 2);
        QCOMPARE(kinds->item(0)->text(), QStringLiteral("Proizvodnja"));
        QCOMPARE(kinds->item(1)->text(), QStringLiteral("Skladiste"));

        auto* frame = control<QGroupBox>(books, QStringLiteral("Frame1"));
        auto* name = control<QLineEdit>(books, QStringLiteral("txtnaziv"));
        auto* address = control<QLineEdit>(books, QStringLiteral("txtadresa"));
        QVERIFY(!frame->isVisible());
        click(books, "cmdNova");
        QVERIFY(frame->isVisible());
        QVERIFY(!control<QPushButton>(books, QStringLiteral("cmdNova"))->isEnabled());
        QTRY_VERIFY(name->hasFocus());
        name->insert(QStringLiteral("Glavno skladište"));
        click(books, "cmdunosimo");
        QCOMPARE(box_->last().prompt, QStringLiteral("Nije unešen naziv ili adresa knjige!"));
        QCOMPARE(box_->last().style, 32);
        QCOMPARE(box_->last().title, QStringLiteral("Nepotpun unos"));
        QTRY_VERIFY(address->hasFocus());
        QTest::keyClicks(address, QStringLiteral("Ilica 1"));
        click(books, "cmdunosimo");
        QCOMPARE(box_->last().prompt, QStringLiteral("Nije izabrana vrsta knjige!"));
        QCOMPARE(box_->last().style, 48);
        QCOMPARE(box_->last().title, QStringLiteral("Nije izabrano!"));
        kinds->setCurrentRow(1);
        box_->answer(MsgResult::Cancel);
        click(books, "cmdunosimo");
        QCOMPARE(box_->last().prompt, QStringLiteral("Unosimo novu knjigu?"));
        QCOMPARE(box_->last().style, 1 + 32);
        QCOMPARE(box_->last().title, QStringLiteral("Unos nove knjige"));
        QCOMPARE(list->rowCount(), 0);
        box_->answer(MsgResult::Ok);
        click(books, "cmdunosimo");
        QVERIFY(!frame->isVisible());
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(name->text(), QString());

        click(books, "cmdNova");
        QTest::keyClicks(name, QStringLiteral("Pogon"));
        QTest::keyClicks(address, QStringLiteral("Savska 2"));
        kinds->setCurrentRow(0);
        box_->answer(MsgResult::Ok);
        click(books, "cmdunosimo");
        QCOMPARE(list->rowCount(), 2);
        QCOMPARE(columnTexts(list, 1), QStringList({"Skladiste", "Proizvodnja"}));
        {
            Database db = Database::open(context().masterPath());
            Recordset rs = db.openRecordset(QStringLiteral("select * from otvoreneknjige"));
            QCOMPARE(rs.text(QStringLiteral("idtvrtke")), QString::number(alfa));
            QCOMPARE(rs.text(QStringLiteral("nazivknjige")), QStringLiteral("Glavno skladište"));
            QCOMPARE(rs.text(QStringLiteral("adresa")), QStringLiteral("Ilica 1"));
        }

        // Marking a book makes it the current book at once.
        selectRow(list, 0);
        const QString storePath = bookPath(kWarehouseKind, 1);
        QCOMPARE(context().currentBookFile, QStringLiteral("\\Skladiste1.mdb"));
        QCOMPARE(books->windowTitle(), QStringLiteral("Baza: ") +
                                           QDir::toNativeSeparators(storePath) +
                                           QStringLiteral("             Pomoć F1"));
        QVERIFY(!QFileInfo::exists(storePath));

        // Enter the warehouse book.
        click(books, "cmdUlaz");
        auto* main = loadedWindow<frmSkladiste>(win::Skladiste);
        QVERIFY(main && main->isVisible());
        QCOMPARE(main->windowTitle(), QStringLiteral("Knjiga: Glavno skladište      Baza: ") +
                                          QDir::toNativeSeparators(storePath));
        QCOMPARE(context().currentBookType, kWarehouseKind);
        QVERIFY(menuShown(main, "mnuNoviunos"));
        QVERIFY(menuShown(main, "mnuPregled"));
        QVERIFY(menuShown(main, "mnupomoc"));
        QVERIFY(!menuShown(main, "mnuizbor"));
        QVERIFY(!menuShown(main, "mnualati"));
        QVERIFY(QFileInfo::exists(storePath));
        {
            Database db = Database::open(storePath);
            for (const char* table : {"artikli", "kd", "pi", "ulazizlaz", "dokumenti"})
                QVERIFY2(db.hasTable(QString::fromLatin1(table)), table);
        }
        QVERIFY(!control<QPushButton>(books, QStringLiteral("cmdUlaz"))->isEnabled());
        main->close();
        settle();
        QVERIFY(!windows().isLoaded(win::Skladiste));
        QVERIFY(books->isVisible());

        // Enter the production book by a double click.
        selectRow(list, 1);
        emit list->rowDoubleClicked(1);
        main = loadedWindow<frmSkladiste>(win::Skladiste);
        QVERIFY(main);
        QCOMPARE(context().currentBookType, kProductionKind);
        QCOMPARE(context().currentBookFile, QStringLiteral("\\Proizvodnja2.mdb"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Knjiga: Pogon      Baza: ") +
                                          QDir::toNativeSeparators(bookPath(kProductionKind, 2)));
        QVERIFY(menuShown(main, "mnuizbor"));
        QVERIFY(menuShown(main, "mnupomoc"));
        QVERIFY(!menuShown(main, "mnuNoviunos"));
        QVERIFY(!menuShown(main, "mnuPregled"));
        QVERIFY(!menuShown(main, "mnualati"));
        {
            Database db = Database::open(bookPath(kProductionKind, 2));
            for (const char* table : {"proizvodi", "sastojci", "radninalozi", "troskovi"})
                QVERIFY2(db.hasTable(QString::fromLatin1(table)), table);
        }

        // Entering the other book while one is open opens the other book's own window.
        selectRow(list, 0);
        click(books, "cmdUlaz");
        settle();
        main = loadedWindow<frmSkladiste>(win::Skladiste);
        QVERIFY(main);
        QCOMPARE(main->bookFile(), QStringLiteral("\\Skladiste1.mdb"));
        QVERIFY(menuShown(main, "mnuNoviunos"));
        QVERIFY(!menuShown(main, "mnuizbor"));
        main->close();
        settle();

        // Edit: name and address only.
        selectRow(list, 0);
        click(books, "cmdUredjivanje");
        QCOMPARE(frame->title(), QStringLiteral("Izmjena: - Glavno skladište"));
        QCOMPARE(name->text(), QStringLiteral("Glavno skladište"));
        QCOMPARE(address->text(), QStringLiteral("Ilica 1"));
        QCOMPARE(control<QPushButton>(books, QStringLiteral("cmdunosimo"))->text(),
                 QStringLiteral("Iz&mjena"));
        name->clear();
        name->insert(QStringLiteral("Skladište A"));
        box_->answer(MsgResult::Ok);
        click(books, "cmdunosimo");
        QCOMPARE(box_->last().prompt, QStringLiteral("Mijenjamo označenu knjigu?"));
        QCOMPARE(columnTexts(list, 0), QStringList({"Skladište A", "Pogon"}));
        QCOMPARE(columnTexts(list, 1), QStringList({"Skladiste", "Proizvodnja"}));

        // Delete the warehouse book: its file goes, the other stays.
        selectRow(list, 0);
        box_->answer(MsgResult::Ok);
        click(books, "cmdBrisanje");
        QCOMPARE(box_->shown().at(box_->count() - 2).prompt,
                 QStringLiteral("Dobro razmislite! Brišete knjigu: Skladište A\n"
                                "Ovim brisanjem gubite sve podatke vezane uz nju"));
        QCOMPARE(box_->shown().at(box_->count() - 2).style, 1 + 16 + 256);
        QCOMPARE(box_->last().prompt, QStringLiteral("Knjiga je nepovratno uklonjena!"));
        QCOMPARE(box_->last().title, applicationTitle());
        QVERIFY(!QFileInfo::exists(storePath));
        QVERIFY(QFileInfo::exists(bookPath(kProductionKind, 2)));
        QCOMPARE(columnTexts(list, 0), QStringList({"Pogon"}));

        // Back to the company register.
        click(books, "cmdizlaz");
        settle();
        QVERIFY(!windows().isLoaded(win::IzborKnjige));
        QVERIFY(companies->isVisible());
    }

    void helpModeTwiceRestoresTheWindow_data() {
        QTest::addColumn<int>("companies");
        QTest::newRow("first start, buttons off") << 0;
        QTest::newRow("with a company") << 1;
    }
    void helpModeTwiceRestoresTheWindow() {
        QFETCH(int, companies);
        for (int i = 0; i < companies; ++i)
            addCompany(QStringLiteral("Tvrtka %1").arg(i));
        frmIzborTvrtke* w = openCompanies();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto* list = control<ReportList>(w, QStringLiteral("lsvLista"));
        list->setFocus();
        const QMap<QString, bool> before = buttonStates(w);
        QTest::keyClick(list, Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));
        QVERIFY(control<QTextBrowser>(w, QStringLiteral("txtpomoc"))->isVisible());
        QVERIFY(!list->isVisible());
        QVERIFY(!control<QPushButton>(w, QStringLiteral("cmdNova"))->isVisible());
        QVERIFY(control<QTextBrowser>(w, QStringLiteral("txtpomoc"))
                    ->toPlainText()
                    .contains(QStringLiteral("Dodaj novu tvrtku ili obrt")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Izbor tvrtke / obrta        Pomoć F1"));
        QVERIFY(list->isVisible());
        QVERIFY(!control<QTextBrowser>(w, QStringLiteral("txtpomoc"))->isVisible());
        QCOMPARE(buttonStates(w), before);
    }

    // In the book register help mode keeps an entry panel only while it holds text.
    void bookRegisterHelpMode_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("panelAfter");
        QTest::newRow("empty panel closes") << QString() << false;
        QTest::newRow("panel with a name stays") << QStringLiteral("Nova") << true;
    }
    void bookRegisterHelpMode() {
        QFETCH(QString, typed);
        QFETCH(bool, panelAfter);
        const int alfa = addCompany(QStringLiteral("Alfa"));
        addBook(alfa, QStringLiteral("Skladište"), kWarehouseKind);
        context().currentCompanyId = alfa;
        auto* books = windows().window<frmIzborKnjige>(win::IzborKnjige);
        books->show();
        QVERIFY(QTest::qWaitForWindowActive(books));
        const QString caption = books->windowTitle();
        QVERIFY(caption.startsWith(QStringLiteral("Baza: ")));
        click(books, "cmdNova");
        auto* name = control<QLineEdit>(books, QStringLiteral("txtnaziv"));
        QTest::keyClicks(name, typed);
        QTest::keyClick(name, Qt::Key_F1);
        QCOMPARE(books->windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));
        QVERIFY(!control<QGroupBox>(books, QStringLiteral("Frame1"))->isVisible());
        QVERIFY(!control<QPushButton>(books, QStringLiteral("cmdalati"))->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(books->windowTitle(), caption);
        QCOMPARE(control<QGroupBox>(books, QStringLiteral("Frame1"))->isVisible(), panelAfter);
        // Entry mode keeps the list buttons off; browse mode has them on.
        QCOMPARE(control<QPushButton>(books, QStringLiteral("cmdNova"))->isEnabled(), !panelAfter);
        QCOMPARE(control<QPushButton>(books, QStringLiteral("cmdUlaz"))->isEnabled(), !panelAfter);
    }

    // Every menu item opens its window inside the main window and disables the book's menus
    // until the window closes.
    void menuItemsOpenChildWindows_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("documentMode");
        QTest::addColumn<QStringList>("disabled");
        const QStringList warehouse = {"mnuNoviunos", "mnuPregled"};
        QTest::newRow("articles") << kWarehouseKind << "mnuArtikala"
                                  << "frmartikli"
                                  << "" << warehouse;
        QTest::newRow("receipt") << kWarehouseKind << "mnuPrimki"
                                 << "frmPrimka"
                                 << "Primka" << warehouse;
        QTest::newRow("issue") << kWarehouseKind << "mnuIzdatnica"
                               << "frmPrimka"
                               << "Izdatnica" << warehouse;
        QTest::newRow("journal") << kWarehouseKind << "mnuDnevnika1"
                                 << "frmpregleddnevnika"
                                 << "" << warehouse;
        QTest::newRow("products") << kProductionKind << "mnuproizvodi"
                                  << "frmproizvodi"
                                  << "" << QStringList{"mnuizbor"};
        QTest::newRow("work orders") << kProductionKind << "mnuradninalozi"
                                     << "frmrn"
                                     << "" << QStringList{"mnuizbor"};
    }
    void menuItemsOpenChildWindows() {
        QFETCH(QString, kind);
        QFETCH(QString, item);
        QFETCH(QString, window);
        QFETCH(QString, documentMode);
        QFETCH(QStringList, disabled);
        const int alfa = addCompany(QStringLiteral("Alfa"));
        const int book = addBook(alfa, QStringLiteral("Knjiga"), kind);
        context().currentBookFile = bookFileName(kind, QString::number(book));
        context().currentBookType = kind;
        auto* main = windows().window<frmSkladiste>(win::Skladiste);
        main->showBook();
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
        if (!documentMode.isEmpty()) QCOMPARE(context().documentMode, documentMode);
        // Disabled, and without their access keys, which now belong to the window's buttons.
        for (const QString& menu : disabled) {
            QVERIFY2(!menuEnabled(main, qPrintable(menu)), qPrintable(menu));
            QVERIFY(!main->findChild<QMenu*>(menu)->title().contains(QLatin1Char('&')));
        }
        QVERIFY(menuEnabled(main, "mnupomoc"));
        // Centred in the main window's client area.
        const QRect sub = child->mdiSubWindow()->geometry();
        const QSize area = main->mdiArea()->viewport()->size();
        QCOMPARE(sub.left(), qMax(0, (area.width() - sub.width()) / 2));
        QCOMPARE(sub.top(), qMax(0, (area.height() - sub.height()) / 2));

        // The clerk can type at once: the focus is in the window's first control.
        QWidget* focus = child->focusWidget();
        QVERIFY(focus && child->isAncestorOf(focus));
        QCOMPARE(QApplication::focusWidget(), focus);
        QTest::keyClick(focus, Qt::Key_Escape);
        settle();
        QVERIFY(!windows().isLoaded(window));
        for (const QString& menu : disabled)
            QVERIFY2(menuEnabled(main, qPrintable(menu)), qPrintable(menu));
        if (kind == kWarehouseKind)
            QCOMPARE(main->findChild<QMenu*>("mnuPregled")->title(), QStringLiteral("&Pregled"));
    }

    // The book's window closes with its windows; one that keeps itself open keeps the book open.
    void mainWindowClosesWithItsWindows() {
        const int alfa = addCompany(QStringLiteral("Alfa"));
        const int book = addBook(alfa, QStringLiteral("Knjiga"), kWarehouseKind);
        context().currentBookFile = bookFileName(kWarehouseKind, QString::number(book));
        context().currentBookType = kWarehouseKind;
        auto* main = windows().window<frmSkladiste>(win::Skladiste);
        main->showBook();
        windows().define(QStringLiteral("frmartikli"), [] { return new FakeBookWindow; });
        QWidget* child = main->openChild(QStringLiteral("frmartikli"));
        QVERIFY(child);
        // Another book marked in the register meanwhile: the main window takes its own back.
        context().currentBookFile = QStringLiteral("\\Skladiste99.mdb");
        QApplication::sendEvent(main, new QEvent(QEvent::WindowActivate));
        QCOMPARE(context().currentBookFile, bookFileName(kWarehouseKind, QString::number(book)));

        // A window that keeps itself open keeps the book open.
        FakeBookWindow::keepOpen = true;
        menuItem(main, "mnuizlaz")->trigger();
        settle();
        FakeBookWindow::keepOpen = false;
        QVERIFY(windows().isLoaded(win::Skladiste));
        QVERIFY(child->isVisible());

        menuItem(main, "mnuizlaz")->trigger();
        settle();
        QVERIFY(!windows().isLoaded(win::Skladiste));
        QVERIFY(!windows().isLoaded(QStringLiteral("frmartikli")));
        // With the book register gone, closing the book returns to the company register.
        QVERIFY(windows().isLoaded(win::IzborTvrtke));
    }

    void aboutWindowSwitchesPages() {
        const int alfa = addCompany(QStringLiteral("Alfa"));
        const int book = addBook(alfa, QStringLiteral("Knjiga"), kWarehouseKind);
        context().currentBookFile = bookFileName(kWarehouseKind, QString::number(book));
        context().currentBookType = kWarehouseKind;
        auto* main = windows().window<frmSkladiste>(win::Skladiste);
        main->showBook();

        menuItem(main, "mnupomoc1")->trigger();
        auto* about = loadedWindow<frmAbout>(win::About);
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowModality(), Qt::ApplicationModal);
        QCOMPARE(about->windowTitle(), QStringLiteral("O programu..."));
        auto* guide = control<QTextBrowser>(about, QStringLiteral("txtpomoc"));
        QVERIFY(guide->isVisible());
        QVERIFY(guide->toPlainText().startsWith(QStringLiteral("O programu:")));
        QVERIFY(!control<QLabel>(about, QStringLiteral("picIcon"))->isVisible());
        QVERIFY(!control<QPushButton>(about, QStringLiteral("cmdSysInfo"))->isVisible());
        QCOMPARE(about->size(), QSize(800, 520));
        click(about, "cmdOK");
        QVERIFY(!about->isVisible());

        menuItem(main, "mnunama")->trigger();
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("O nama..."));
        QVERIFY(!guide->isVisible());
        QVERIFY(control<QLabel>(about, QStringLiteral("picIcon"))->isVisible());
        QCOMPARE(control<QLabel>(about, QStringLiteral("lblVersion"))->text(),
                 QStringLiteral("Verzija programa: 1.01"));
        click(about, "cmdSysInfo");
        QCOMPARE(box_->last().title, QStringLiteral("Podaci o sustavu"));
        QVERIFY(box_->last().prompt.contains(QDir::toNativeSeparators(folder_->path())));
        QTest::keyClick(control<QPushButton>(about, QStringLiteral("cmdOK")), Qt::Key_Escape);
        QVERIFY(!about->isVisible());
    }

    // "Izlaz" of the company register ends the program: every shell window closes.
    void exitClosesEverything() {
        const int alfa = addCompany(QStringLiteral("Alfa"));
        addBook(alfa, QStringLiteral("Knjiga"), kWarehouseKind);
        frmIzborTvrtke* companies = openCompanies();
        QVERIFY(companies);
        click(companies, "cmdUlaz");
        click(loadedWindow(win::IzborKnjige), "cmdUlaz");
        QVERIFY(windows().isLoaded(win::Skladiste));
        click(companies, "cmdizlaz");
        settle();
        for (const QString& name : {win::Skladiste, win::IzborKnjige, win::IzborTvrtke})
            QVERIFY2(!windows().isLoaded(name), qPrintable(name));
    }
};

QTEST_MAIN(TstShellWindows)
#include "tst_shellwindows.moc"
