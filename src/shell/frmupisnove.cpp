#include "shell/frmupisnove.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "shell/companies.h"
#include "shell/shellwindows.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/windowregistry.h"

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
    try {
        if (edit)
            updateCompany(context().companyIdText(), values, oib);
        else
            insertCompany(values, oib);
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
    cmdUpis_->setEnabled(false);
    fields_[Naziv]->setFocus();
}

void frmUpisNove::closeEvent(QCloseEvent* event) {
    ChildWindow::closeEvent(event);
    if (!event->isAccepted() || isQuitting()) return;
    showWindow(windows().window(win::IzborTvrtke));
}

}  // namespace kl
