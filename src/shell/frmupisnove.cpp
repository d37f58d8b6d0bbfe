#include "shell/frmupisnove.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "reports/reportwindow.h"
#include "shell/companies.h"
#include "shell/companymove.h"
#include "shell/shellwindows.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/windowregistry.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace kl {

namespace {

enum Field { Naziv, Mb, SifraDj, To, ZiroRacun, Posta, Mjesto, Ulica, Telefon, Kontakt };

struct FieldRule {
    const char* label;
    int maxLength;
    const char* allowed;  // a character class of the keys taken, or nullptr for all but quotes
};

constexpr FieldRule kRules[10] = {
    {"Naziv :", 30, nullptr},
    {"M.B./JMBG :", 13, nullptr},
    {"Šifra djelatnosti :", 10, nullptr},
    {"Tvrtka/Obrt (T/O) :", 1, nullptr},
    {"Žiro račun :", 34, nullptr},
    {"Poštanski broj :", 6, "[0-9 ]*"},
    {"Mjesto :", 20, nullptr},
    {"Ulica i br. :", 30, nullptr},
    {"Telefon :", 15, "[0-9 /-]*"},
    {"Osoba za kontakt :", 15, nullptr},
};

}  // namespace

frmUpisNove::frmUpisNove(QWidget* parent) : ChildWindow(parent, Sizing::Free) {
    setObjectName(win::UpisNove);
    setAttribute(Qt::WA_DeleteOnClose);
    setCaption(QStringLiteral("Upis nove tvrtke / obrta"));

    auto* grid = new QGridLayout;
    // The OIB is entered under the registration number; rows and the Tab order follow that.
    const auto addOib = [this, grid] {
        oib_ = new QLineEdit(this);
        oib_->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), oib_));
        oib_->setObjectName(QStringLiteral("TextOib"));
        oib_->setMaxLength(11);
        oib_->setToolTip(QStringLiteral("OIB: 11 znamenki (ne mora se unijeti)"));
        selectAllOnFocus(oib_);
        showLimits(oib_);
        auto* label = new QLabel(QStringLiteral("OIB :"), this);
        label->setObjectName(QStringLiteral("LabelOib"));
        label->setBuddy(oib_);
        grid->addWidget(label, Mb + 1, 0, Qt::AlignRight);
        grid->addWidget(oib_, Mb + 1, 1);
    };
    for (int i = 0; i < 10; ++i) {
        const FieldRule& rule = kRules[i];
        QLineEdit* edit;
        if (rule.allowed) {
            edit = new QLineEdit(this);
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QString::fromLatin1(rule.allowed)), edit));
            selectAllOnFocus(edit);
            showLimits(edit);
        } else {
            edit = new TextField(this);
        }
        edit->setObjectName(QStringLiteral("Text") + QString::number(i + 1));
        edit->setMaxLength(rule.maxLength);
        auto* label = new QLabel(QString::fromUtf8(rule.label), this);
        label->setObjectName(QStringLiteral("Label") + QString::number(i + 1));
        label->setBuddy(edit);
        const int row = i > Mb ? i + 1 : i;
        grid->addWidget(label, row, 0, Qt::AlignRight);
        grid->addWidget(edit, row, 1);
        fields_[size_t(i)] = edit;
        if (i == Mb) addOib();
    }
    // Where the books are kept, under the company's fields.
    chkPosluzitelj_ = new QCheckBox(QStringLiteral("Knjige na &poslužitelju (PostgreSQL)"), this);
    chkPosluzitelj_->setObjectName(QStringLiteral("chkPosluzitelj"));
    int row = 11;
    grid->addWidget(chkPosluzitelj_, row++, 1);
    static constexpr struct {
        const char* label;
        const char* name;
        int maxLength;
        const char* allowed;
    } serverRules[5] = {
        {"Poslužitelj :", "txtPosluzitelj", 255, "[A-Za-z0-9.:_-]*"},
        {"Port :", "txtPort", 5, "[0-9]*"},
        {"Baza :", "txtBaza", 63, "[A-Za-z0-9_]*"},
        {"Korisnik :", "txtKorisnik", 63, "[A-Za-z0-9_.@-]*"},
        {"Shema tvrtke :", "txtShema", 63, "[a-z0-9_]*"},
    };
    for (size_t i = 0; i < serverFields_.size(); ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(serverRules[i].name));
        edit->setMaxLength(serverRules[i].maxLength);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QString::fromLatin1(serverRules[i].allowed)), edit));
        selectAllOnFocus(edit);
        edit->setEnabled(false);
        auto* label = new QLabel(QString::fromUtf8(serverRules[i].label), this);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0, Qt::AlignRight);
        grid->addWidget(edit, row++, 1);
        serverFields_[i] = edit;
    }
    serverFields_[1]->setMaximumWidth(80);
    serverFields_[4]->setPlaceholderText(QStringLiteral("tvrtka_ i broj tvrtke"));
    serverFields_[4]->setToolTip(
        QStringLiteral("Prazno za novu tvrtku; za tvrtku koju je na poslužitelj stavio drugi "
                       "referent upišite njezinu shemu (npr. tvrtka_12)."));
    connect(chkPosluzitelj_, &QCheckBox::toggled, this, [this](bool on) {
        for (QLineEdit* f : serverFields_)
            f->setEnabled(on);
        if (on && serverFields_[1]->text().isEmpty())
            serverFields_[1]->setText(QStringLiteral("5432"));
    });

    fields_[To]->setMaximumWidth(40);
    fields_[To]->installEventFilter(this);

    cmdUpis_ = makeButton(this, "cmdUpis", QStringLiteral("&Upiši"));
    cmdizlaz_ = makeButton(this, "cmdizlaz", QStringLiteral("&Izlaz"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdUpis_);
    buttons->addWidget(cmdizlaz_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(480);

    setInitialFocus(fields_[Naziv]);

    connect(fields_[Naziv], &QLineEdit::textChanged, this,
            [this](const QString& text) { cmdUpis_->setEnabled(!text.isEmpty()); });
    connect(cmdUpis_, &QPushButton::clicked, this, &frmUpisNove::store);
    connect(cmdizlaz_, &QPushButton::clicked, this, &QWidget::close);
}

void frmUpisNove::startInsert() {
    setCaption(QStringLiteral("Upis nove tvrtke / obrta"));
    for (QLineEdit* f : fields_)
        f->clear();
    oib_->clear();
    showServer(std::nullopt);
    cmdUpis_->setText(insertCaption());
    cmdUpis_->setToolTip(QStringLiteral("Unos nove tvrtke ili obrta"));
    cmdUpis_->setEnabled(false);
    fields_[Naziv]->setFocus();
}

void frmUpisNove::startEdit(const CompanyRow& company) {
    cmdUpis_->setText(editCaption());
    cmdUpis_->setToolTip(QStringLiteral("Izmjena knjige"));
    setCaption(QStringLiteral("Izmjena podataka - ") + company.name());
    for (size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->setText(company.fields[i]);
    oib_->setText(company.oib);
    try {
        showServer(companyServer(company.id));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Ne mogu pročitati gdje su knjige tvrtke."), e);
        showServer(std::nullopt);
    }
    cmdUpis_->setEnabled(!fields_[Naziv]->text().isEmpty());
    fields_[Naziv]->setFocus();
}

bool frmUpisNove::isEditMode() const {
    return cmdUpis_->text() == editCaption();
}

bool frmUpisNove::checkCompanyKind() {
    QLineEdit* to = fields_[To];
    const QString text = to->text();
    if (text.isEmpty()) return true;
    if (text.compare(QLatin1String("T"), Qt::CaseInsensitive) == 0) {
        to->setText(QStringLiteral("T"));
        return true;
    }
    if (text.compare(QLatin1String("O"), Qt::CaseInsensitive) == 0) {
        to->setText(QStringLiteral("O"));
        return true;
    }
    to->clear();
    return false;
}

bool frmUpisNove::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fields_[To] && event->type() == QEvent::FocusOut && !checkingKind_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only the clerk leaving the field counts, not a popup or another application.
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason ||
            reason == Qt::OtherFocusReason) {
            if (!checkCompanyKind()) {
                checkingKind_ = true;
                QTimer::singleShot(0, this, [this] {
                    fields_[To]->setFocus(Qt::OtherFocusReason);
                    checkingKind_ = false;
                });
            }
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

void frmUpisNove::store() {
    if (fields_[Naziv]->text().isEmpty()) return;
    if (!checkCompanyKind()) {
        fields_[To]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!confirmIdentifiers(fields_[ZiroRacun]->text(), oib_->text())) return;
    CompanyFields values;
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(storedField(fields_[i]->text()));
        values[i] = fields_[i]->text();
    }
    const QString oib = oib_->text().trimmed();
    const bool edit = isEditMode();
    std::optional<CompanyServer> server;
    if (!enteredServer(server)) return;
    if (edit && server && !moveToServer(*server)) return;
    if (edit && !server && !moveToFolder()) return;
    try {
        if (edit)
            updateCompany(context().companyIdText(), values, oib, server);
        else
            insertCompany(values, oib, server);
    } catch (const DbError& e) {
        showDbError(edit ? QStringLiteral("Izmjena nije spremljena.")
                         : QStringLiteral("Tvrtka nije upisana."),
                    e);
        return;
    }
    if (edit) {
        close();
        return;
    }
    MsgBoxHr(QStringLiteral("Unešena nova tvrtka: ") + values[Naziv],
             MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Unešena nova tvrtka!"));
    for (QLineEdit* f : fields_)
        f->clear();
    oib_->clear();
    showServer(std::nullopt);
    cmdUpis_->setEnabled(false);
    fields_[Naziv]->setFocus();
}

bool frmUpisNove::moveToServer(const CompanyServer& server) {
    const QString id = context().companyIdText();
    try {
        if (companyServer(id) || !companyHasLocalBooks(id)) return true;
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Ne mogu pročitati knjige tvrtke."), e);
        return false;
    }
    if (MsgBoxHr(QStringLiteral("Knjige tvrtke su u mapi programa. Prenijeti ih na %1?\n"
                                "Svaka se knjiga kopira i provjerava; tvrtka prelazi na "
                                "poslužitelj tek kad je sve provjereno.")
                     .arg(server.address.describe()),
                 MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                 QStringLiteral("Prenesi knjige na poslužitelj")) != MsgResult::Yes)
        return false;
    const QString login = connectToServer(
        server.address, [this, &server] { return askServerPassword(this, server.address); });
    QString problem = login;
    if (problem.isEmpty()) {
        const BusyCursor busy;
        problem = moveCompanyToServer(id, server.address, server.registerSchema);
    }
    if (!problem.isEmpty()) {
        MsgBoxHr(problem, MsgStyle::OkOnly | MsgStyle::Exclamation,
                 QStringLiteral("Prenesi knjige na poslužitelj"));
        return false;
    }
    MsgBoxHr(QStringLiteral("Knjige tvrtke prenesene su na poslužitelj i provjerene."),
             MsgStyle::OkOnly | MsgStyle::Information,
             QStringLiteral("Prenesi knjige na poslužitelj"));
    return true;
}

bool frmUpisNove::moveToFolder() {
    const QString id = context().companyIdText();
    std::optional<CompanyServer> server;
    try {
        server = companyServer(id);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Ne mogu pročitati knjige tvrtke."), e);
        return false;
    }
    if (!server) return true;
    const QString caption = QStringLiteral("Prenesi u mapu programa");
    if (MsgBoxHr(QStringLiteral("Knjige tvrtke su na poslužitelju %1. Prenijeti ih u mapu "
                                "programa?\nSvaka se knjiga kopira u datoteku i provjerava; "
                                "tvrtka prelazi u mapu programa tek kad je sve provjereno. "
                                "Drugi referenti nakon toga ne smiju knjižiti na poslužitelju.")
                     .arg(server->address.describe()),
                 MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                 caption) != MsgResult::Yes)
        return false;
    const QString login = connectToServer(
        server->address, [this, &server] { return askServerPassword(this, server->address); });
    QString problem = login;
    BookIdMap renumbered;
    if (problem.isEmpty()) {
        const BusyCursor busy;
        problem = moveCompanyToFolder(id, &renumbered);
    }
    if (!problem.isEmpty()) {
        MsgBoxHr(problem, MsgStyle::OkOnly | MsgStyle::Exclamation, caption);
        return false;
    }
    enterCompanyServer(std::nullopt);
    QString text = QStringLiteral("Knjige tvrtke prenesene su u mapu programa i provjerene.");
    if (!renumbered.isEmpty()) {
        QStringList changes;
        for (auto it = renumbered.cbegin(); it != renumbered.cend(); ++it)
            changes << QStringLiteral("%1 → %2").arg(it.key(), it.value());
        changes.sort();
        text += QStringLiteral(
                    "\nBrojevi nekih knjiga u mapi programa već su zauzeti pa su "
                    "dobile nove: ") +
                changes.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    text += QStringLiteral(
                "\nSheme tvrtke na poslužitelju %1 ostale su kakve su bile; "
                "administrator ih može obrisati.")
                .arg(server->address.describe());
    MsgBoxHr(text, MsgStyle::OkOnly | MsgStyle::Information, caption);
    return true;
}

void frmUpisNove::showServer(const std::optional<CompanyServer>& server) {
    for (QLineEdit* f : serverFields_)
        f->clear();
    chkPosluzitelj_->setChecked(bool(server));
    if (!server) return;
    serverFields_[0]->setText(server->address.host);
    serverFields_[1]->setText(QString::number(server->address.port));
    serverFields_[2]->setText(server->address.database);
    serverFields_[3]->setText(server->address.user);
    serverFields_[4]->setText(server->registerSchema);
}

bool frmUpisNove::enteredServer(std::optional<CompanyServer>& server) {
    server.reset();
    if (!chkPosluzitelj_->isChecked()) return true;
    const int port = serverFields_[1]->text().toInt();
    for (int i = 0; i < 4; ++i) {
        if (serverFields_[size_t(i)]->text().trimmed().isEmpty() || port < 1 || port > 65535) {
            MsgBoxHr(QStringLiteral("Za knjige na poslužitelju upišite poslužitelj, port (1 do "
                                    "65535), bazu i korisnika."),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Poslužitelj"));
            serverFields_[size_t(i)]->setFocus();
            return false;
        }
    }
    CompanyServer s;
    s.address.host = serverFields_[0]->text().trimmed();
    s.address.port = port;
    s.address.database = serverFields_[2]->text().trimmed();
    s.address.user = serverFields_[3]->text().trimmed();
    s.registerSchema = serverFields_[4]->text().trimmed();
    server = s;
    return true;
}

void frmUpisNove::closeEvent(QCloseEvent* event) {
    ChildWindow::closeEvent(event);
    if (!event->isAccepted() || isQuitting()) return;
    showWindow(windows().window(win::IzborTvrtke));
}

}  // namespace kl
