#include "warehouse/frmunos.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/sheetexport.h"
#include "warehouse/documentlists.h"
#include "warehouse/warehousewindows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace kl {

namespace {

// Positions of the entry fields, the same as the columns of both lists and of PartnerFields.
enum Field { Kd, Ime, Mb, ZiroRacun, Mjesto, Ulica, Telefon, Kontakt };

constexpr int OibColumn = 8;  // after the eight fields in both lists
constexpr int IdColumn = 9;   // hidden column of the yellow table

struct FieldRule {
    const char* name;
    const char* label;
    const char* tip;
    int maxLength;
};

constexpr FieldRule kFields[8] = {
    {"txtkd", "K/D/S", "Unos k,d ili s(kupac,dobavljač ili oboje)", 1},
    {"txtime", "Ime:", "Unos imena k,d ili s", 30},
    {"txtmb", "Mat. broj:", "Unos matičnog broja(ne mora se unijeti)", 13},
    {"txtziroracun", "Žiro rač.:", "Unos žiro računa ili IBAN-a(ne mora se unijeti)", 34},
    {"txtmjesto", "Mjesto:", "Unos mjesta(Ne mora se unijeti)", 17},
    {"txtulica", "Ulica i br.", "Unos ulice i broja(Ne mora se unijeti)", 20},
    {"txttelefon", "Telefon:", "Unos telefona(Ne mora se unijeti)", 17},
    {"txtkontakt", "Kontakt:", "Osoba za kontakt(Ne mora se unijeti)", 17},
};

QList<ReportColumn> partnerColumnsShown() {
    return {{QStringLiteral("kd"), 30},      {QStringLiteral("Ime"), 150},
            {QStringLiteral("mb"), 90},      {QStringLiteral("Žiro račun"), 170},
            {QStringLiteral("Mjesto"), 100}, {QStringLiteral("Ulica"), 120},
            {QStringLiteral("Telefon"), 90}, {QStringLiteral("Kontakt"), 100},
            {QStringLiteral("OIB"), 90}};
}

QString partnerHelp() {
    return QStringLiteral(
        "<h3>Kupci i dobavljači</h3>"
        "<p>U ovom prozoru unosite nove kupce i dobavljače te mijenjate postojeće.</p>"
        "<p><b>K/D/S</b> – oznaka je obavezna: <b>K</b> znači kupac (i mjesto troška), "
        "<b>D</b> dobavljač, a <b>S</b> oboje. Može se upisati malim ili velikim slovom; "
        "svako drugo slovo se briše.</p>"
        "<p><b>Ime</b> – obavezno, najviše 30 znakova.</p>"
        "<p>Ostala polja ne morate popuniti, a možete ih i naknadno izmijeniti: matični broj "
        "do 13 znakova, OIB od 11 znamenki, žiro račun ili IBAN do 34, mjesto do 17, ulica i broj "
        "do 20, telefon do 17 "
        "(samo brojke, \"-\" i \"/\") i osoba za kontakt do 17 znakova. Kontrolni broj "
        "IBAN-a i kontrolna znamenka OIB-a provjeravaju se pri spremanju; pogrešan broj "
        "sprema se tek kad to potvrdite.</p>"
        "<p><b>Dodaj na listu</b> stavlja kupca ili dobavljača samo na listu desno, još ne u "
        "bazu, pa od svega možete odustati. <b>Skini sa liste</b> uklanja označenog s liste.</p>"
        "<p><b>Prihvati listu</b> unosi sve s liste u bazu i osvježava žutu tablicu dolje.</p>"
        "<p>U žutoj tablici označite kupca ili dobavljača i pritisnite <b>Editiraj</b>; "
        "dvostruki klik na žutu tablicu, kad nije prazna, isto je što i <b>Editiraj</b>. "
        "Podaci dolaze u polja za unos, gdje ih promijenite i spremite s <b>Izmjena</b> ili "
        "odustanete s <b>Odustajem od izmjene</b>. Editirati se može tek kad je lista desno "
        "prazna.</p>"
        "<p>Klik na naslov stupca razvrstava tablicu po tom stupcu, ponovni klik obrnutim "
        "redom.</p>"
        "<p><b>F1</b> vraća u mod unosa, <b>Esc</b> zatvara prozor.</p>");
}

// A button caption that shows `text` literally after `prefix` (an "&" in a name is no access
// key).
QString captionWithName(const QString& prefix, const QString& name) {
    QString shown = name;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return prefix + shown;
}

}  // namespace

frmunos::frmunos(QWidget* parent) : ChildWindow(parent) {
    setObjectName(win::Unos);
    setAttribute(Qt::WA_DeleteOnClose);
    book_ = context().currentBook();
    setCaption(normalCaption());
    setHelpText(partnerHelp());

    auto* grid = new QGridLayout;
    for (int i = 0; i < FieldCount; ++i) {
        const FieldRule& rule = kFields[i];
        QLineEdit* edit;
        if (i == Telefon) {
            edit = new QLineEdit(this);
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9/-]*")), edit));
            selectAllOnFocus(edit);
            showLimits(edit);
        } else {
            edit = new TextField(this);
        }
        edit->setObjectName(QString::fromLatin1(rule.name));
        edit->setToolTip(QString::fromUtf8(rule.tip));
        edit->setMaxLength(rule.maxLength);
        auto* label = new QLabel(QString::fromUtf8(rule.label), this);
        label->setBuddy(edit);
        const int row = i > Mb ? i + 1 : i;
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        fields_[size_t(i)] = edit;
        if (i == Mb) {  // the OIB under the registration number, in the Tab order too
            txtoib_ = new QLineEdit(this);
            txtoib_->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), txtoib_));
            txtoib_->setObjectName(QStringLiteral("txtoib"));
            txtoib_->setToolTip(QStringLiteral("Unos OIB-a, 11 znamenki(ne mora se unijeti)"));
            txtoib_->setMaxLength(11);
            selectAllOnFocus(txtoib_);
            showLimits(txtoib_);
            auto* oibLabel = new QLabel(QStringLiteral("OIB:"), this);
            oibLabel->setBuddy(txtoib_);
            grid->addWidget(oibLabel, Mb + 1, 0);
            grid->addWidget(txtoib_, Mb + 1, 1);
        }
    }
    fields_[Kd]->setMaximumWidth(30);
    grid->setColumnStretch(1, 1);

    cmddodaj_ = makeButton(this, "cmddodaj", QStringLiteral("&Dodaj na listu"),
                           QStringLiteral("Dodavanje na listu desno"));
    cmdbrisi_ = makeButton(this, "cmdbrisi", QStringLiteral("&Skini sa liste"),
                           QStringLiteral("Brisanje sa liste"));
    cmdprihvati_ = makeButton(this, "cmdprihvati", QStringLiteral("&Prihvati listu"),
                              QStringLiteral("Unošenje sa liste u bazu"));
    cmdodustani_ = makeButton(this, "cmdodustani", QStringLiteral("&Izlaz"),
                              QStringLiteral("Izlaz i odustajanje"));

    lsvkd_ = new ReportList(this);
    lsvkd_->setObjectName(QStringLiteral("lsvkd"));
    lsvkd_->setColumns(partnerColumnsShown());

    lsveditkd_ = new ReportList(this);
    lsveditkd_->setObjectName(QStringLiteral("lsveditkd"));
    QList<ReportColumn> editColumns = partnerColumnsShown();
    editColumns.append({QString(), 0});
    lsveditkd_->setColumns(editColumns);
    QPalette yellow = lsveditkd_->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 160));
    yellow.setColor(QPalette::AlternateBase, QColor(255, 255, 160));
    lsveditkd_->setPalette(yellow);

    cmdeditiraj_ = makeButton(this, "cmdeditiraj", QStringLiteral("&Editiraj"),
                              QStringLiteral("Editiranje označenog kupca ili dobavljača"));
    cmdizmijeni_ = makeButton(this, "cmdizmijeni", QStringLiteral("I&zmijeni"),
                              QStringLiteral("Prihvati izmjene"));
    cmdne_ = makeButton(this, "cmdne", QStringLiteral("&Odustani"),
                        QStringLiteral("Odustani od izmjena"));

    lblid_ = hiddenLabel(this, "lblid");
    lblimekd_ = hiddenLabel(this, "lblimekd");
    lblpd_ = hiddenLabel(this, "lblpd");

    for (QPushButton* b : {cmddodaj_, cmdbrisi_, cmdprihvati_, cmdeditiraj_, cmdizmijeni_, cmdne_})
        b->setEnabled(false);

    auto* entryButtons = new QVBoxLayout;
    for (QPushButton* b : {cmddodaj_, cmdbrisi_, cmdprihvati_})
        entryButtons->addWidget(b);
    entryButtons->addStretch();
    entryButtons->addWidget(cmdodustani_);
    auto* top = new QHBoxLayout;
    top->addLayout(grid, 3);
    top->addLayout(entryButtons);
    top->addWidget(lsvkd_, 5);
    auto* editButtons = new QHBoxLayout;
    for (QPushButton* b : {cmdeditiraj_, cmdizmijeni_, cmdne_})
        editButtons->addWidget(b);
    editButtons->addStretch();
    // The partner list below as a spreadsheet, every partner of the book.
    const auto [excel, csv] = makeExportButtons(this, [this]() -> std::optional<sheet::Sheet> {
        QStringList heading;
        for (const ReportColumn& c : partnerColumnsShown())
            heading << c.title;
        std::vector<sheet::ColumnKind> kinds(size_t(heading.size()), sheet::ColumnKind::Text);
        kinds.push_back(sheet::ColumnKind::LeftOut);  // the id
        return sheet::listSheet(
            QStringLiteral("Kupci i dobavljači"),
            QStringLiteral("Kupci i dobavljači na dan: ") + dateText(QDate::currentDate()), heading,
            kinds, lsveditkd_->rows());
    });
    editButtons->addWidget(excel);
    editButtons->addWidget(csv);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lsveditkd_, 1);
    layout->addLayout(editButtons);

    connect(fields_[Kd], &QLineEdit::textChanged, this, &frmunos::codeChanged);
    connect(fields_[Ime], &QLineEdit::textChanged, this, &frmunos::updateAddButton);
    connect(cmddodaj_, &QPushButton::clicked, this, &frmunos::addToList);
    connect(cmdbrisi_, &QPushButton::clicked, this, &frmunos::removeSelected);
    connect(cmdprihvati_, &QPushButton::clicked, this, [this] { storeList(true); });
    connect(cmdodustani_, &QPushButton::clicked, this, &frmunos::leave);
    connect(cmdeditiraj_, &QPushButton::clicked, this, &frmunos::editSelected);
    connect(cmdizmijeni_, &QPushButton::clicked, this, &frmunos::saveEdit);
    connect(cmdne_, &QPushButton::clicked, this, &frmunos::cancelEdit);
    connect(lsveditkd_, &ReportList::rowClicked, this, [this] { cmdeditiraj_->setEnabled(true); });
    connect(lsveditkd_, &ReportList::currentRowChanged, this,
            [this](int row) { cmdeditiraj_->setEnabled(row >= 0); });
    connect(lsveditkd_, &ReportList::rowDoubleClicked, this, [this] {
        if (lsveditkd_->rowCount() > 0) editSelected();
    });

    setInitialFocus(fields_[Kd]);
    fields_[Ime]->installEventFilter(this);
    fillPartnerTable(true);
}

void frmunos::setDocumentKind(const QString& letter) {
    lblpd_->setText(letter);
}

QString frmunos::documentKind() const {
    return lblpd_->text();
}

bool frmunos::isEditing() const {
    return !lblid_->text().isEmpty();
}

PartnerFields frmunos::enteredFields() const {
    PartnerFields values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = fields_[i]->text();
    return values;
}

void frmunos::clearFields() {
    for (QLineEdit* f : fields_)
        f->clear();
    txtoib_->clear();
}

void frmunos::updateAddButton() {
    cmddodaj_->setEnabled(!fields_[Kd]->text().isEmpty() && !fields_[Ime]->text().isEmpty() &&
                          !isEditing());
}

// The code is one of k, d, s in either case: on to the name. Anything else is erased at once.
void frmunos::codeChanged(const QString& text) {
    if (!text.isEmpty()) {
        if (isPartnerCode(text)) {
            movedToName_ = fields_[Kd]->hasFocus();  // typed, not filled in from a row
            fields_[Ime]->setFocus(Qt::OtherFocusReason);
        } else {
            fields_[Kd]->clear();  // comes back here with the empty text
        }
    }
    updateAddButton();
}

void frmunos::listEmptied() {
    cmdbrisi_->setEnabled(false);
    cmdprihvati_->setEnabled(false);
}

void frmunos::fillPartnerTable(bool byName) {
    std::vector<QStringList> rows;
    try {
        const std::vector<PartnerRow> partners = loadPartners(book_, byName);
        rows.reserve(partners.size());
        for (const PartnerRow& p : partners) {
            QStringList texts(p.fields.cbegin(), p.fields.cend());
            texts.append(p.oib);
            texts.append(p.id);
            rows.push_back(texts);
        }
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Popis kupaca i dobavljača nije moguće učitati."), e);
    }
    lsveditkd_->setRows(std::move(rows));
    cmdeditiraj_->setEnabled(false);
}

void frmunos::refreshDocument(bool suppliers) {
    DocumentLists* document = documentLists();
    if (!document) return;
    try {
        document->setPartnerNames(partnerNames(book_, suppliers));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Popis kupaca i dobavljača u dokumentu nije osvježen."), e);
    }
}

void frmunos::addToList() {
    if (fields_[Kd]->text().isEmpty() || fields_[Ime]->text().isEmpty() || isEditing()) return;
    if (!confirmIdentifiers(fields_[ZiroRacun]->text(), txtoib_->text())) return;
    const PartnerFields values = enteredFields();
    lsvkd_->addRow(QStringList(values.cbegin(), values.cend()) << txtoib_->text().trimmed());
    cmdbrisi_->setEnabled(true);
    cmdprihvati_->setEnabled(true);
    clearFields();
    cmddodaj_->setEnabled(false);
    fields_[Kd]->setFocus(Qt::OtherFocusReason);
}

void frmunos::removeSelected() {
    const QList<int> selected = lsvkd_->selectedRows();
    if (selected.isEmpty()) return;
    lsvkd_->removeRow(selected.front());
    if (lsvkd_->rowCount() == 0) listEmptied();
}

bool frmunos::storeList(bool ask) {
    if (lsvkd_->rowCount() == 0) return true;
    if (ask && MsgBoxHr(QStringLiteral("Unošenje sa liste u bazu podataka?"),
                        MsgStyle::YesNo | MsgStyle::Question,
                        QStringLiteral("Unošenje u bazu")) != MsgResult::Yes)
        return false;

    QList<PartnerFields> entries;
    QStringList oibs;
    entries.reserve(lsvkd_->rowCount());
    for (int r = 0; r < lsvkd_->rowCount(); ++r) {
        PartnerFields values;
        for (int c = 0; c < FieldCount; ++c)
            values[size_t(c)] = lsvkd_->text(r, c);
        entries.append(values);
        oibs.append(lsvkd_->text(r, OibColumn));
    }
    try {
        insertPartners(book_, entries, oibs);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Kupci i dobavljači s liste nisu spremljeni."), e);
        return false;
    }

    lsvkd_->clear();
    listEmptied();
    clearFields();
    fillPartnerTable(true);
    refreshDocument(context().documentMode == QLatin1String("Primka"));
    return true;
}

void frmunos::editSelected() {
    if (lsvkd_->rowCount() > 0) {
        MsgBoxHr(QStringLiteral("Onemogućeno editiranje dok se ne riješe kupci ili dobavljači "
                                "unešeni na listu!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation,
                 QStringLiteral("Onemogućeno editiranje"));
        return;
    }
    const QList<int> selected = lsveditkd_->selectedRows();
    if (selected.isEmpty()) return;
    const int row = selected.front();
    const QString id = lsveditkd_->text(row, IdColumn);

    PartnerFields values;
    for (int c = 0; c < FieldCount; ++c)
        values[size_t(c)] = lsveditkd_->text(row, c);
    for (size_t i = 0; i < values.size(); ++i)
        fields_[i]->setText(values[i]);
    txtoib_->setText(lsveditkd_->text(row, OibColumn));
    lblid_->setText(id);
    lblimekd_->setText(values[Ime]);
    cmdizmijeni_->setText(captionWithName(QStringLiteral("I&zmjena: "), values[Ime]));
    cmdne_->setText(captionWithName(QStringLiteral("&Odustajem od izmjene: "), values[Ime]));
    cmdizmijeni_->setEnabled(true);
    cmdne_->setEnabled(true);
    updateAddButton();
}

void frmunos::saveEdit() {
    if (!isEditing()) return;
    if (fields_[Kd]->text().isEmpty() || fields_[Ime]->text().isEmpty()) {
        MsgBoxHr(QStringLiteral("Prva dva polja moraju biti popunjena"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Popunjavanje polja"));
        return;
    }
    if (MsgBoxHr(QStringLiteral("Želite promjeniti stanje: ") + lblimekd_->text(),
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Promjena stanja?")) != MsgResult::Yes)
        return;
    if (!confirmIdentifiers(fields_[ZiroRacun]->text(), txtoib_->text())) return;
    try {
        updatePartner(book_, lblid_->text(), enteredFields(), txtoib_->text());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Izmjena nije spremljena."), e);
        return;
    }
    fillPartnerTable(false);
    endEdit();
}

void frmunos::cancelEdit() {
    endEdit();
}

void frmunos::endEdit() {
    cmdizmijeni_->setText(QStringLiteral("Izmjena"));
    cmdne_->setText(QStringLiteral("Odustajem od izmjene"));
    cmdizmijeni_->setEnabled(false);
    cmdne_->setEnabled(false);
    lblid_->clear();
    lblimekd_->clear();
    clearFields();
    updateAddButton();
    fields_[Kd]->setFocus(Qt::OtherFocusReason);
}

void frmunos::leave() {
    if (!lblpd_->text().isEmpty()) refreshDocument(lblpd_->text() == QLatin1String("P"));
    close();
}

bool frmunos::queryClose() {
    if (lsvkd_->rowCount() > 0) {
        const int answer = MsgBoxHr(
            QStringLiteral("Želite li spremiti u skladište unešene podatke sa liste desno?"),
            MsgStyle::YesNoCancel | MsgStyle::Question, QStringLiteral("Unošenje u skladište!"));
        if (answer == MsgResult::Yes) {
            if (!storeList(false)) return false;
        } else if (answer != MsgResult::No) {
            return false;
        }
    }
    context().calledFromDocument = false;
    return true;
}

bool frmunos::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fields_[Ime] && movedToName_) {
        if (event->type() == QEvent::FocusOut) {
            movedToName_ = false;
        } else if (event->type() == QEvent::KeyPress) {
            movedToName_ = false;
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool next = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Return ||
                              key->key() == Qt::Key_Enter;
            if (next && !(key->modifiers() & ~Qt::KeypadModifier)) return true;
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

void frmunos::helpModeChanged(bool helpMode) {
    if (!helpMode) setCaption(QStringLiteral(" ") + normalCaption());
}

}  // namespace kl
