#include "shell/frmalati.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "reports/frmprovjerazaliha.h"
#include "reports/reportwindows.h"
#include "shell/dbtools.h"
#include "shell/frmskladiste.h"
#include "shell/helptexts.h"
#include "shell/settings.h"
#include "shell/shellwindows.h"
#include "ui/controls.h"
#include "ui/folderchooser.h"
#include "ui/msgboxhr.h"
#include "ui/windowregistry.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kl {

namespace {
// The folder dialogs of the back-up to and the restore from another place share one memory.
const QString kBackupDialog = QStringLiteral("sigurnosnakopija");
}  // namespace

namespace {

QString backupText(const BackupInfo& b) {
    return b.taken.toString(QStringLiteral("dd.MM.yyyy  HH:mm:ss")) +
           QStringLiteral("   (baza: %1)").arg(b.files.size()) +
           (b.serverCompany.isEmpty() ? QString()
                                      : QStringLiteral("   poslužitelj: %1").arg(b.serverCompany));
}

}  // namespace

frmAlati::frmAlati(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::Alati);
    setCaption(QStringLiteral("Alati"));
    setHelpText(help::tools());

    ReportView* box = makeReportBox("rtfalati");
    QPushButton* cmdkopija =
        makeButton(this, "cmdkopija", QStringLiteral("Sigurnosna &kopija"),
                   QStringLiteral("Sprema kopiju popisa tvrtki i svih knjiga u mapu \"Sigurnosne "
                                  "kopije\""));
    QPushButton* cmdkopijana = makeButton(
        this, "cmdkopijana", QStringLiteral("Sigurnosna kopija &na..."),
        QStringLiteral("Sprema kopiju popisa tvrtki i svih knjiga u mapu koju odaberete (npr. na "
                       "USB sticku)"));
    QPushButton* cmdprovjera = makeButton(this, "cmdprovjera", QStringLiteral("&Provjera baza"),
                                          QStringLiteral("Provjerava jesu li sve baze ispravne"));
    QPushButton* cmdsazimanje = makeButton(this, "cmdsazimanje", QStringLiteral("S&ažimanje baza"),
                                           QStringLiteral("Oslobađa prazan prostor u svim bazama"));
    QPushButton* cmdzalihe =
        makeButton(this, "cmdzalihe", QStringLiteral("Provjera &zaliha"),
                   QStringLiteral("Uspoređuje zalihe označene skladišne knjige s njenim prometom"));
    QPushButton* cmdvracanje =
        makeButton(this, "cmdvracanje", QStringLiteral("&Vraćanje kopije"),
                   QStringLiteral("Vraća označenu sigurnosnu kopiju na mjesto sadašnjih baza"));
    QPushButton* cmdvracanjes =
        makeButton(this, "cmdvracanjes", QStringLiteral("V&rati kopiju s..."),
                   QStringLiteral("Vraća sigurnosnu kopiju iz mape koju odaberete (npr. s USB "
                                  "sticka)"));
    QPushButton* cmdispis = makePrintButton();
    QPushButton* cmdizlaz = makeExitButton("cmdizlaz");

    lstkopije_ = new QListWidget(this);
    lstkopije_->setObjectName(QStringLiteral("lstkopije"));
    auto* listLabel = new QLabel(QStringLiteral("Spremljene k&opije:"), this);
    listLabel->setBuddy(lstkopije_);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdkopija, cmdkopijana, cmdprovjera, cmdsazimanje, cmdzalihe, cmdispis})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    buttons->addWidget(listLabel);
    buttons->addWidget(lstkopije_, 1);
    buttons->addWidget(cmdvracanje);
    buttons->addWidget(cmdvracanjes);
    buttons->addSpacing(12);
    buttons->addWidget(cmdizlaz);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(box, 1);
    layout->addLayout(buttons);

    connect(cmdkopija, &QPushButton::clicked, this, &frmAlati::backUp);
    connect(cmdkopijana, &QPushButton::clicked, this, &frmAlati::backUpTo);
    connect(cmdprovjera, &QPushButton::clicked, this, &frmAlati::check);
    connect(cmdsazimanje, &QPushButton::clicked, this, &frmAlati::compact);
    connect(cmdzalihe, &QPushButton::clicked, this, &frmAlati::auditStock);
    connect(cmdvracanje, &QPushButton::clicked, this, &frmAlati::restore);
    connect(cmdvracanjes, &QPushButton::clicked, this, &frmAlati::restoreFrom);
    connect(lstkopije_, &QListWidget::itemDoubleClicked, this, &frmAlati::restore);
    setInitialFocus(cmdkopija);
    loadBackups();
}

void frmAlati::setMarkedBook(const QString& kind, const QString& bookFile, const QString& name) {
    bookKind_ = kind;
    bookFile_ = bookFile;
    bookName_ = name;
}

void frmAlati::loadBackups() {
    lstkopije_->clear();
    for (const BackupInfo& b : listBackups()) {
        auto* item = new QListWidgetItem(backupText(b), lstkopije_);
        item->setData(Qt::UserRole, b.path);
        item->setToolTip(QDir::toNativeSeparators(b.path) + QLatin1Char('\n') +
                         b.files.join(QStringLiteral(", ")));
    }
}

void frmAlati::backUp() {
    BackupReport report;
    // For a company on a server: its books, copied from the server into single files.
    const bool onServer = context().companyServer.has_value();
    {
        BusyCursor busy;
        try {
            if (onServer)
                backUpServerCompany(context().companyIdText(), &report);
            else
                backUpDatabases(&report);
        } catch (const DbError& e) {
            MsgBoxHr(e.description(), MsgStyle::OkOnly | MsgStyle::Critical,
                     QStringLiteral("Sigurnosna kopija"));
            return;
        }
    }
    loadBackups();
    if (lstkopije_->count() > 0) lstkopije_->setCurrentRow(0);
    const bool whole = report.leftOut.isEmpty() && report.missing.isEmpty();
    MsgBoxHr(onServer ? serverBackupMessage(report) : backupMessage(report),
             MsgStyle::OkOnly | (whole ? MsgStyle::Information : MsgStyle::Exclamation),
             QStringLiteral("Sigurnosna kopija"));
}

void frmAlati::backUpTo() {
    // Opens where the last back-up went (a stick that is plugged in again), else on the media.
    const QString folder = chooseFolder(this, QStringLiteral("Sigurnosna kopija na..."),
                                        settings::lastFolder(kBackupDialog, QString()));
    if (folder.isEmpty()) return;
    settings::rememberFolder(kBackupDialog, folder);
    if (const QString problem = outsideFolderProblem(folder); !problem.isEmpty()) {
        MsgBoxHr(problem, MsgStyle::OkOnly | MsgStyle::Exclamation,
                 QStringLiteral("Sigurnosna kopija"));
        return;
    }
    BackupReport report;
    const bool onServer = context().companyServer.has_value();
    {
        BusyCursor busy;
        try {
            if (onServer)
                backUpServerCompanyTo(context().companyIdText(), folder, &report);
            else
                backUpDatabasesTo(folder, &report);
        } catch (const DbError& e) {
            MsgBoxHr(e.description(), MsgStyle::OkOnly | MsgStyle::Critical,
                     QStringLiteral("Sigurnosna kopija"));
            return;
        }
    }
    const bool whole = report.leftOut.isEmpty() && report.missing.isEmpty();
    MsgBoxHr(onServer ? serverBackupMessage(report) : backupMessage(report),
             MsgStyle::OkOnly | (whole ? MsgStyle::Information : MsgStyle::Exclamation),
             QStringLiteral("Sigurnosna kopija"));
}

void frmAlati::check() {
    BusyCursor busy;
    bool ok = false;
    sheet::Sheet table;
    setReportText(checkDatabases(&ok, &table));
    shownSheet_ = std::move(table);
}

void frmAlati::compact() {
    BusyCursor busy;
    sheet::Sheet table;
    setReportText(compactDatabases(&table));
    shownSheet_ = std::move(table);
}

void frmAlati::restore() {
    QListWidgetItem* item = lstkopije_->currentItem();
    if (!item || !item->isSelected()) {
        MsgBoxHr(QStringLiteral("Označite na popisu sigurnosnu kopiju koju želite vratiti."),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Nije ništa označeno!"));
        return;
    }
    restoreCopy(item->data(Qt::UserRole).toString(),
                item->text().section(QStringLiteral("   "), 0, 0), QString());
}

void frmAlati::restoreFrom() {
    const QString folder = chooseFolder(this, QStringLiteral("Vrati kopiju s..."),
                                        settings::lastFolder(kBackupDialog, QString()));
    if (folder.isEmpty()) return;
    settings::rememberFolder(kBackupDialog, folder);
    const std::vector<BackupInfo> found = listBackupsIn(folder);
    if (found.empty()) {
        MsgBoxHr(QStringLiteral("U mapi %1 nema cijele sigurnosne kopije programa (mape s "
                                "popisom sadržaja kopija.json).\nOdaberite mapu kopije ili mapu "
                                "u kojoj su kopije.")
                     .arg(QDir::toNativeSeparators(folder)),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Vraćanje kopije"));
        return;
    }
    // Of several, the newest; an older one is chosen by choosing its own folder.
    const BackupInfo& copy = found.front();
    const QString note =
        found.size() > 1 ? QStringLiteral(
                               "U mapi je više kopija (%1); vraća se najnovija. Stariju vratite "
                               "tako da odaberete njezinu mapu.\n")
                               .arg(found.size())
                         : QString();
    restoreCopy(
        copy.path, copy.taken.toString(QStringLiteral("dd.MM.yyyy  HH:mm:ss")),
        QStringLiteral("Kopija je u mapi %1.\n").arg(QDir::toNativeSeparators(copy.path)) + note);
}

void frmAlati::restoreCopy(const QString& folder, const QString& taken, const QString& note) {
    if (MsgBoxHr(QStringLiteral("Vraćate sigurnosnu kopiju od %1.\n").arg(taken) + note +
                     QStringLiteral("Popis tvrtki i sve knjige bit će zamijenjeni onima iz kopije; "
                                    "sve promjene nakon te kopije nestaju iz programa.\n"
                                    "Sadašnje baze najprije se spremaju u novu sigurnosnu kopiju.\n"
                                    "Vratiti kopiju?"),
                 MsgStyle::YesNo | MsgStyle::Exclamation | MsgStyle::DefaultButton2,
                 QStringLiteral("Vraćanje kopije")) != MsgResult::Yes)
        return;
    // The book's windows close first: their lists would show what is no longer stored.
    if (auto* open = windows().loaded<frmSkladiste>(win::Skladiste)) {
        if (!open->close()) return;
    }
    QString saved;
    {
        BusyCursor busy;
        try {
            saved = restoreBackupFrom(folder);
        } catch (const DbError& e) {
            loadBackups();
            MsgBoxHr(e.description(), MsgStyle::OkOnly | MsgStyle::Critical,
                     QStringLiteral("Vraćanje kopije"));
            emit databasesRestored();
            return;
        }
    }
    loadBackups();
    MsgBoxHr(QStringLiteral("Sigurnosna kopija je vraćena.\nBaze kakve su bile prije vraćanja "
                            "spremljene su u mapu:\n") +
                 QDir::toNativeSeparators(saved),
             MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Vraćanje kopije"));
    emit databasesRestored();
}

void frmAlati::auditStock() {
    if (bookKind_ != kWarehouseKind) {
        MsgBoxHr(QStringLiteral("Provjera zaliha radi se za skladišnu knjigu. Označite "
                                "skladišnu knjigu na popisu knjiga."),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Provjera zaliha"));
        return;
    }
    auto* audit = windows().window<frmProvjeraZaliha>(win::ProvjeraZaliha);
    if (!audit) return;
    audit->setBook(context().bookLocation(bookFile_), bookName_);
    audit->setWindowModality(Qt::ApplicationModal);
    showWindow(audit);
}

}  // namespace kl
