#include "shell/frmizborknjige.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "shell/books.h"
#include "shell/frmalati.h"
#include "shell/frmizbortvrtke.h"
#include "shell/frmskladiste.h"
#include "shell/helptexts.h"
#include "shell/settings.h"
#include "shell/shellwindows.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kl {

namespace {

enum Column { NameColumn = 0, KindColumn = 1, AddressColumn = 2, IdColumn = 3 };

}  // namespace

frmIzborKnjige::frmIzborKnjige(QWidget* parent) : ChildWindow(parent, Sizing::Free) {
    setObjectName(win::IzborKnjige);
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpText(help::bookRegistry());

    label2_ = new QLabel(QStringLiteral("Izaberite knjigu :"), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    lsvotvorene_ = new ReportList(this);
    lsvotvorene_->setObjectName(QStringLiteral("lsvotvorene"));
    lsvotvorene_->useFixedPitchFont(10);
    lsvotvorene_->setColumns({{QStringLiteral("Naziv knjige"), 260},
                              {QStringLiteral("Vrsta knjige"), 150},
                              {QStringLiteral("Adresa"), 260},
                              {QString(), 0}});

    cmdUlaz_ = makeButton(this, "cmdUlaz", QStringLiteral("&Ulaz"),
                          QStringLiteral("Ulaz u odabranu knjigu"));
    cmdNova_ = makeButton(this, "cmdNova", QStringLiteral("U&pis nove knjige"),
                          QStringLiteral("Ulaz u mod upisa nove knjige"));
    cmdUredjivanje_ = makeButton(this, "cmdUredjivanje", QStringLiteral("Iz&mjena"),
                                 QStringLiteral("Izmjena izabrane knjige"));
    cmdBrisanje_ = makeButton(this, "cmdBrisanje", QStringLiteral("&Brisanje"),
                              QStringLiteral("Brisanje označene knjige"));
    cmdizlaz_ = makeButton(this, "cmdizlaz", QStringLiteral("< Vrat&i se"),
                           QStringLiteral("Povratak u izbor tvrtke"));
    cmdalati_ = makeButton(this, "cmdalati", QStringLiteral("Alati..."),
                           QStringLiteral("Otvara se forma sa alatima"));
    for (QPushButton* b : {cmdUlaz_, cmdUredjivanje_, cmdBrisanje_})
        b->setEnabled(false);

    frame1_ = new QGroupBox(QStringLiteral("Upis nove knjige"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    txtnaziv_ = new TextField(frame1_, "txtnaziv", 30);
    txtadresa_ = new TextField(frame1_, "txtadresa", 30);
    lstpostojece_ = new QListWidget(frame1_);
    lstpostojece_->setObjectName(QStringLiteral("lstpostojece"));
    lstpostojece_->setMaximumHeight(70);
    cmdunosimo_ =
        makeButton(frame1_, "cmdunosimo", newBookCaption(), QStringLiteral("Unosimo novu knjigu"));
    cmdodustani_ = makeButton(frame1_, "cmdodustani", QStringLiteral("&Izlaz iz unosa"),
                              QStringLiteral("Izlaz iz moda unosa"));
    auto* frameGrid = new QGridLayout(frame1_);
    auto* nameLabel = new QLabel(QStringLiteral("Naziv knjige:"), frame1_);
    nameLabel->setBuddy(txtnaziv_);
    auto* addressLabel = new QLabel(QStringLiteral("Adresa knjige:"), frame1_);
    addressLabel->setBuddy(txtadresa_);
    auto* kindLabel = new QLabel(QStringLiteral("Izbor vrste               knjige:"), frame1_);
    kindLabel->setWordWrap(true);  // the blanks put "knjige:" on a line of its own
    kindLabel->setMaximumWidth(110);
    kindLabel->setMinimumHeight(kindLabel->fontMetrics().lineSpacing() * 2 + 4);
    kindLabel->setBuddy(lstpostojece_);
    frameGrid->addWidget(nameLabel, 0, 0);
    frameGrid->addWidget(txtnaziv_, 0, 1);
    frameGrid->addWidget(addressLabel, 1, 0);
    frameGrid->addWidget(txtadresa_, 1, 1);
    frameGrid->addWidget(kindLabel, 0, 2);
    frameGrid->addWidget(lstpostojece_, 1, 2, 2, 1);
    auto* frameButtons = new QHBoxLayout;
    frameButtons->addWidget(cmdunosimo_);
    frameButtons->addWidget(cmdodustani_);
    frameButtons->addStretch();
    frameGrid->addLayout(frameButtons, 3, 0, 1, 3);
    frame1_->hide();

    lblid_ = hiddenLabel(this, "lblid");
    lblvrstaknjige_ = hiddenLabel(this, "lblvrstaknjige");
    lblimeknjige_ = hiddenLabel(this, "lblimeknjige");
    lblimebaze_ = hiddenLabel(this, "lblimebaze");
    lblidtvrtke_ = hiddenLabel(this, "lblidtvrtke");

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdUlaz_, cmdNova_, cmdUredjivanje_, cmdBrisanje_, cmdalati_})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdizlaz_);
    auto* top = new QHBoxLayout;
    top->addWidget(lsvotvorene_, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label2_);
    layout->addLayout(top, 1);
    layout->addWidget(frame1_);
    resize(900, 460);

    connect(lsvotvorene_, &ReportList::rowClicked, this, &frmIzborKnjige::rowClicked);
    connect(lsvotvorene_, &ReportList::rowDoubleClicked, this, [this] {
        rowClicked();
        enterBook();
    });
    connect(cmdUlaz_, &QPushButton::clicked, this, &frmIzborKnjige::enterBook);
    connect(cmdNova_, &QPushButton::clicked, this, &frmIzborKnjige::newBook);
    connect(cmdUredjivanje_, &QPushButton::clicked, this, &frmIzborKnjige::editBook);
    connect(cmdBrisanje_, &QPushButton::clicked, this, &frmIzborKnjige::deleteBook);
    connect(cmdizlaz_, &QPushButton::clicked, this, &frmIzborKnjige::goBack);
    connect(cmdunosimo_, &QPushButton::clicked, this, &frmIzborKnjige::storeBook);
    connect(cmdodustani_, &QPushButton::clicked, this, &frmIzborKnjige::closeEntryPanel);
    connect(cmdalati_, &QPushButton::clicked, this, &frmIzborKnjige::openTools);

    lblidtvrtke_->setText(context().companyIdText());
    loadBooks();
}

QString frmIzborKnjige::companyId() const {
    return lblidtvrtke_->text();
}

void frmIzborKnjige::setCompany(const QString& companyIdText) {
    if (companyIdText == lblidtvrtke_->text()) return;
    lblidtvrtke_->setText(companyIdText);
    loadBooks();
}

QList<QWidget*> frmIzborKnjige::helpHiddenControls() const {
    return {cmdalati_, frame1_,         lsvotvorene_, cmdUlaz_,
            cmdNova_,  cmdUredjivanje_, cmdBrisanje_, cmdizlaz_};
}

void frmIzborKnjige::helpModeChanged(bool helpMode) {
    if (helpMode) return;
    // Back from help: the entry panel stays only while it holds text; the selected book's
    // caption comes back.
    if (frame1_->isVisible() && txtnaziv_->text().isEmpty() && txtadresa_->text().isEmpty()) {
        closeEntryPanel();
        return;
    }
    if (lsvotvorene_->rowCount() > 0 && !frame1_->isVisible()) rowClicked();
}

void frmIzborKnjige::fillList() {
    lsvotvorene_->clear();
    QList<BookRow> books;
    try {
        books = kl::loadBooks(lblidtvrtke_->text());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Popis knjiga nije moguće učitati."), e);
    }
    std::vector<QStringList> rows;
    rows.reserve(size_t(books.size()));
    for (const BookRow& b : std::as_const(books))
        rows.push_back({b.name, b.kind, b.address, b.id});
    lsvotvorene_->setRows(std::move(rows));
}

void frmIzborKnjige::loadBooks() {
    lstpostojece_->clear();
    try {
        lstpostojece_->addItems(loadBookKinds());
    } catch (const DbError&) {
        // The list of books below reports the same failure.
    }
    fillList();
    if (lsvotvorene_->rowCount() > 0) {
        // The company's book entered last time stands selected.
        const int last = lsvotvorene_->findRow(
            settings::valueOr(settings::lastBookKey(lblidtvrtke_->text())), IdColumn);
        lsvotvorene_->setCurrentRow(qMax(last, 0));
        rowClicked();
    }
}

int frmIzborKnjige::selectedRow() const {
    const QList<int> selected = lsvotvorene_->selectedRows();
    return selected.isEmpty() ? -1 : selected.back();
}

void frmIzborKnjige::rowClicked() {
    const int row = selectedRow();
    if (row < 0) return;
    const QString kind = lsvotvorene_->text(row, KindColumn);
    const QString id = lsvotvorene_->text(row, IdColumn);
    lblid_->setText(id);
    lblvrstaknjige_->setText(kind);
    lblimeknjige_->setText(lsvotvorene_->text(row, NameColumn));
    context().currentBookFile = bookFileName(kind.trimmed(), id.trimmed());
    const QString base = QStringLiteral("Baza: ") + context().currentBook().shown();
    setCaption(base + QStringLiteral("             Pomoć F1"));
    lblimebaze_->setText(base);
    setListButtonsEnabled(true);
}

void frmIzborKnjige::setListButtonsEnabled(bool enabled) {
    cmdUlaz_->setEnabled(enabled);
    cmdBrisanje_->setEnabled(enabled);
    cmdUredjivanje_->setEnabled(enabled);
}

void frmIzborKnjige::enterBook() {
    const QString kind = lblvrstaknjige_->text().trimmed();
    QString bookFile;
    try {
        bookFile = checkedBookFileName(kind, lblid_->text().trimmed());
    } catch (const DbError& e) {
        MsgBoxHr(QStringLiteral("Knjigu nije moguće otvoriti.\n") + e.description(),
                 MsgStyle::OkOnly | MsgStyle::Critical, QStringLiteral("Ulaz u knjigu"));
        return;
    }

    // One book is open at a time: another book's window closes first (its windows may ask
    // about unsaved entries and keep it open).
    if (auto* open = windows().loaded<frmSkladiste>(win::Skladiste);
        open && open->bookFile() != bookFile) {
        if (!open->close()) return;
    }

    context().currentBookFile = bookFile;
    context().currentBookName = lblimeknjige_->text().trimmed();
    settings::trySetValue(settings::lastBookKey(lblidtvrtke_->text()), lblid_->text().trimmed());
    cmdUredjivanje_->setEnabled(false);
    cmdUlaz_->setEnabled(false);
    cmdBrisanje_->setEnabled(false);
    context().currentBookType = kind;

    auto* main = windows().window<frmSkladiste>(win::Skladiste);
    if (!main) return;
    main->setCompanyId(lblidtvrtke_->text());
    main->setWindowTitle(QStringLiteral("Knjiga: ") + lblimeknjige_->text() +
                         QStringLiteral("      ") + lblimebaze_->text());
    main->showBook();
}

void frmIzborKnjige::openEntryPanel() {
    frame1_->show();
    cmdNova_->setEnabled(false);
    setListButtonsEnabled(false);
    txtnaziv_->setFocus();
}

void frmIzborKnjige::newBook() {
    frame1_->setTitle(QStringLiteral("Upis nove knjige"));
    cmdunosimo_->setText(newBookCaption());
    cmdunosimo_->setToolTip(QStringLiteral("Unos nove knjige"));
    lstpostojece_->setEnabled(true);
    openEntryPanel();
}

void frmIzborKnjige::editBook() {
    const int row = selectedRow();
    if (lsvotvorene_->rowCount() == 0 || row < 0) {
        MsgBoxHr(QStringLiteral("Molim označite što želite mijenjati na listi!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Nije ništa označeno!"));
        return;
    }
    const QString name = lsvotvorene_->text(row, NameColumn);
    frame1_->setTitle(QStringLiteral("Izmjena: - ") + name);
    txtnaziv_->setText(name);
    txtadresa_->setText(lsvotvorene_->text(row, AddressColumn));
    cmdunosimo_->setText(editBookCaption());
    cmdunosimo_->setToolTip(QStringLiteral("Izmjena naziva i adrese knjige (ne i vrste knjige)"));
    // The kind of a book never changes: its file name depends on it.
    lstpostojece_->setEnabled(false);
    openEntryPanel();
    txtnaziv_->selectAll();
}

void frmIzborKnjige::storeBook() {
    if (txtnaziv_->text().isEmpty() || txtadresa_->text().isEmpty()) {
        MsgBoxHr(QStringLiteral("Nije unešen naziv ili adresa knjige!"),
                 MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Nepotpun unos"));
        (txtnaziv_->text().isEmpty() ? txtnaziv_ : txtadresa_)->setFocus();
        return;
    }
    const bool isNew = cmdunosimo_->text() == newBookCaption();
    QString kind;
    if (isNew) {
        QListWidgetItem* item = lstpostojece_->currentItem();
        if (!item || !item->isSelected()) {
            MsgBoxHr(QStringLiteral("Nije izabrana vrsta knjige!"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Nije izabrano!"));
            return;
        }
        kind = item->text();
    }
    const int row = selectedRow();
    if (row >= 0) lblid_->setText(lsvotvorene_->text(row, IdColumn));
    if (MsgBoxHr(isNew ? QStringLiteral("Unosimo novu knjigu?")
                       : QStringLiteral("Mijenjamo označenu knjigu?"),
                 MsgStyle::OkCancel | MsgStyle::Question,
                 QStringLiteral("Unos nove knjige")) != MsgResult::Ok)
        return;

    QString storedId;
    try {
        if (isNew) {
            storedId =
                insertBook(lblidtvrtke_->text(), txtnaziv_->text(), kind, txtadresa_->text());
        } else {
            storedId = lblid_->text();
            updateBook(storedId, txtnaziv_->text(), txtadresa_->text());
        }
    } catch (const DbError& e) {
        showDbError(isNew ? QStringLiteral("Knjiga nije upisana.")
                          : QStringLiteral("Izmjena nije spremljena."),
                    e);
        return;
    }
    fillList();
    frame1_->hide();
    cmdNova_->setEnabled(true);
    setListButtonsEnabled(true);
    cmdizlaz_->setEnabled(true);
    txtnaziv_->clear();
    txtadresa_->clear();
    // The stored book is the marked one, ready to be entered.
    if (const int stored = lsvotvorene_->findRow(storedId, IdColumn); stored >= 0) {
        lsvotvorene_->setCurrentRow(stored);
        rowClicked();
    }
}

void frmIzborKnjige::closeEntryPanel() {
    frame1_->hide();
    cmdNova_->setEnabled(true);
    if (lsvotvorene_->rowCount() > 0) {
        setListButtonsEnabled(true);
        rowClicked();
    }
    cmdizlaz_->setEnabled(true);
    txtnaziv_->clear();
    txtadresa_->clear();
}

void frmIzborKnjige::deleteBook() {
    if (lsvotvorene_->rowCount() == 0) return;
    const int row = selectedRow();
    if (row < 0) {
        MsgBoxHr(QStringLiteral("Molim označite što želite brisati na listi!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Nije ništa označeno!"));
        return;
    }
    if (MsgBoxHr(QStringLiteral("Dobro razmislite! Brišete knjigu: ") + lblimeknjige_->text() +
                     QLatin1Char('\n') +
                     QStringLiteral("Ovim brisanjem gubite sve podatke vezane uz nju"),
                 MsgStyle::OkCancel | MsgStyle::Critical | MsgStyle::DefaultButton2,
                 QStringLiteral("Nepovratno brisanje!!!")) != MsgResult::Ok)
        return;

    const QString kind = lsvotvorene_->text(row, KindColumn);
    const QString id = lsvotvorene_->text(row, IdColumn);
    const QString bookFile = bookFileName(kind.trimmed(), id.trimmed());
    // The book's own window closes before its file goes.
    if (auto* open = windows().loaded<frmSkladiste>(win::Skladiste);
        open && open->bookFile() == bookFile) {
        if (!open->close()) return;
    }
    context().currentBookFile = bookFile;
    try {
        kl::deleteBook(id, kind);
    } catch (const DbError& e) {
        MsgBoxHr(QStringLiteral("Knjiga nije obrisana.\n") + e.description(),
                 MsgStyle::OkOnly | MsgStyle::Critical, QStringLiteral("Nepovratno brisanje!!!"));
        return;
    }
    lsvotvorene_->removeRow(row);
    MsgBoxHr(QStringLiteral("Knjiga je nepovratno uklonjena!"), MsgStyle::OkOnly);
    if (lsvotvorene_->rowCount() == 0) {
        setListButtonsEnabled(false);
    } else {
        lsvotvorene_->setCurrentRow(lsvotvorene_->rowCount() - 1);
        rowClicked();
    }
}

void frmIzborKnjige::openTools() {
    auto* tools = windows().window<frmAlati>(win::Alati);
    if (!tools) return;
    // A row that names no book file of ours marks no book for the tools.
    const QString kind = lblvrstaknjige_->text().trimmed();
    const QString id = lblid_->text().trimmed();
    if (isBookRow(kind, id))
        tools->setMarkedBook(kind, bookFileName(kind, id), lblimeknjige_->text());
    else
        tools->setMarkedBook(QString(), QString(), lblimeknjige_->text());
    // While the tools work on the files, nothing else of the program changes them.
    tools->setWindowModality(Qt::ApplicationModal);
    connect(tools, &frmAlati::databasesRestored, this, &frmIzborKnjige::reloadAfterRestore,
            Qt::UniqueConnection);
    showWindow(tools);
}

void frmIzborKnjige::reloadAfterRestore() {
    if (auto* companies = windows().loaded<frmIzborTvrtke>(win::IzborTvrtke))
        companies->loadCompanies();
    loadBooks();
}

void frmIzborKnjige::goBack() {
    setListButtonsEnabled(false);
    close();
}

void frmIzborKnjige::closeEvent(QCloseEvent* event) {
    ChildWindow::closeEvent(event);
    if (!event->isAccepted() || isQuitting()) return;
    // Back to the company register, which normally is still open beneath.
    showWindow(windows().window(win::IzborTvrtke));
}

}  // namespace kl
