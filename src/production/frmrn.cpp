#include "production/frmrn.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "reports/reportwindow.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/printing.h"
#include "ui/reportlist.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kl {

namespace {

const QString kZero = QStringLiteral("0,00");
const QString kOneUnit = QStringLiteral("1,00");
const QString kIssueTitle = QStringLiteral("Izdavanje radnog naloga!");

QString help() {
    return QStringLiteral(
        "<h3>Radni nalozi</h3>"
        "<p>Radni nalog se izdaje za jedan proizvod. Za izdavanje radnih naloga mora postojati "
        "barem jedan proizvod sa sastavnicom (unosi se u prozoru <b>Proizvodi</b>).</p>"
        "<p><b>Broj radnog naloga</b> program upisuje sam; ne može se unijeti ni "
        "promijeniti.</p>"
        "<p><b>Ime proizvoda</b> birate s liste. Lista gore desno tada pokazuje skladišta iz "
        "kojih dolazi materijal, broj izdatnice koju će svako skladište dobiti i iznos "
        "materijala.</p>"
        "<p><b>Koliko proiz.</b> je broj proizvoda koji se izrađuje. O njemu ovisi trošak "
        "materijala: količina svakog materijala iz sastavnice množi se brojem proizvoda, a cijena "
        "je ona upisana u sastavnicu. Broj proizvoda ne može biti nula i ne može tražiti više "
        "materijala nego što ga u izabranim skladištima ima; ako nečega nema dovoljno, program "
        "javlja koliko nedostaje.</p>"
        "<p><b>Trošak rada</b>, <b>trošak usluga</b> i <b>ostali troškovi</b> 1 do 3 upisujete "
        "sami; primaju najviše 99 999,99. <b>Troškovi ukupno</b> su zbroj svih troškova, a "
        "<b>troškovi po jed. mj.</b> su trošak materijala podijeljen brojem proizvoda.</p>"
        "<p><b>Izdaj radni nalog</b> sprema radni nalog i u svakom skladištu izdaje izdatnicu "
        "materijala (kupac Proizvodnja).</p>"
        "<p>Izdani radni nalozi su na listi dolje desno; klik na naslov stupca ih razvrstava. "
        "Označeni radni nalog <b>Editiraj</b> otvara za izmjenu: nakon izdavanja mogu se "
        "mijenjati samo datumi te trošak rada, usluga i ostali troškovi; proizvod, količina, "
        "trošak materijala i izdatnice ostaju kakvi jesu. <b>Izmjeni</b> sprema promjenu, "
        "<b>Odustani od promjene</b> vraća u mod unosa, <b>Ispis na pisač</b> ispisuje radni "
        "nalog.</p>"
        "<p><b>F1</b> vraća u mod unosa, <b>Esc</b> zatvara prozor.</p>");
}

NumericField* costField(QWidget* parent, const char* name, const QString& tip) {
    auto* field = new NumericField(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setToolTip(tip);
    field->setArticleRules();  // empty or too large: "0,00"
    field->setAlignment(Qt::AlignRight);
    field->setText(kZero);
    return field;
}

// The number of units typed could not be taken: above 99 999,99.
bool quantityTooLarge(const QString& text) {
    return integerPartTooLong(text) ||
           integerPartTooLong(formatEntry(parseNumber(text).value_or(0.0)));
}

}  // namespace

frmrn::frmrn(QWidget* parent) : ChildWindow(parent), book_(context().currentBook()) {
    setObjectName(QStringLiteral("frmrn"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    setCaption(QStringLiteral("Radni nalozi    Pomoć F1"));
    setHelpText(help());
    ucitavanje();
}

void frmrn::buildControls() {
    QWidget* f = makeInputFrame("frameunos");

    txtbr_ = makeShownField(f, "txtbr", QStringLiteral("Broj radnog naloga"));
    cboproizvod_ = makeChoiceList(f, "cboproizvod", QStringLiteral("Izbor proizvoda"));
    dtpotv_ = makeDatePicker(f, "dtpotv");
    dtpotv_->setToolTip(QStringLiteral("Datum otvaranja radnog naloga"));
    dtpzatv_ = makeDatePicker(f, "dtpzatv");
    dtpzatv_->setToolTip(QStringLiteral("Datum zatvaranja radnog naloga"));
    txtkolicina_ = costField(f, "txtkolicina", QStringLiteral("Upišite količinu proizvoda"));
    txtkolicina_->setText(kOneUnit);
    // Empty and too large become "1,00" here, before the field's own leaving rules.
    txtkolicina_->installEventFilter(this);
    txtmat_ = makeShownField(f, "txtmat", QStringLiteral("Automatski unos"));
    txtrada_ = costField(f, "txtrada", QStringLiteral("Unos troška rada"));
    txtusluga_ = costField(f, "txtusluga", QStringLiteral("Unos troška usluga"));
    txt1_ = costField(f, "txt1", QStringLiteral("Unos ostalih troškova 1"));
    txt2_ = costField(f, "txt2", QStringLiteral("Unos ostalih troškova 2"));
    txt3_ = costField(f, "txt3", QStringLiteral("Unos ostalih troškova 3"));
    txtukupno_ = makeShownField(f, "txtukupno", QStringLiteral("Automatski se ažurira"));
    txtpojed_ = makeShownField(f, "txtpojed", QStringLiteral("Automatski se ažurira"));
    for (QLineEdit* e : {txtmat_, txtukupno_, txtpojed_})
        e->setText(kZero);

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(3);
    const std::pair<const char*, QWidget*> rows[] = {{"Radni nalog br.:", txtbr_},
                                                     {"Ime proizvoda:", cboproizvod_},
                                                     {"Datum otv.:", dtpotv_},
                                                     {"Daum zatv.:", dtpzatv_},
                                                     {"Koliko proizv:", txtkolicina_},
                                                     {"Trošak mat.:", txtmat_},
                                                     {"Trošak rada:", txtrada_},
                                                     {"Trošak usluga:", txtusluga_},
                                                     {"Ostali troškovi:           1.", txt1_},
                                                     {"2.", txt2_},
                                                     {"3.", txt3_},
                                                     {"Troškovi ukupno:", txtukupno_},
                                                     {"Troškovi po jed. mj:", txtpojed_}};
    int r = 0;
    for (const auto& [text, control] : rows) {
        auto* label = new QLabel(QString::fromUtf8(text), f);
        label->setBuddy(control);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        fields->addWidget(label, r, 0);
        fields->addWidget(control, r, 1);
        ++r;
    }
    fields->setColumnStretch(1, 1);

    lsvartikli_ = new ReportList(f);
    lsvartikli_->setObjectName(QStringLiteral("lsvartikli"));
    lsvartikli_->setColumns({{QStringLiteral("Skladište"), 170},
                             {QStringLiteral("Izdatnica br."), 90, Qt::AlignRight},
                             {QStringLiteral("Iznos"), 110, Qt::AlignRight},
                             {QString(), 0},
                             {QString(), 0}});
    lsvsviartikli_ = new ReportList(f);
    lsvsviartikli_->setObjectName(QStringLiteral("lsvsviartikli"));
    lsvsviartikli_->setColumns({{QStringLiteral("Br. r.n."), 60, Qt::AlignRight},
                                {QStringLiteral("Ime proizvoda"), 150},
                                {QStringLiteral("Datum otv."), 80},
                                {QStringLiteral("Datum zatv."), 80},
                                {QStringLiteral("Kol. pr."), 90, Qt::AlignRight}});

    cmdprihvati_ = makeButton(f, "cmdprihvati", QStringLiteral("Iz&daj radni nalog"),
                              QStringLiteral("Unošenje sa liste u bazu"));
    cmdeditiraj_ = makeButton(f, "cmdeditiraj", QStringLiteral("&Editiraj"),
                              QStringLiteral("Editiraj označeni proizvod"));
    cmdizmjena_ =
        makeButton(f, "cmdizmjena", QStringLiteral("I&zmjeni"), QStringLiteral("Spremi promjene"));
    cmdne_ = makeButton(f, "cmdne", QStringLiteral("&Odustani od promjene"),
                        QStringLiteral("Odustajanje od promjene proizvoda"));
    cmdispis_ = makeButton(f, "cmdispis", QStringLiteral("Is&pis na pisač"));
    cmdodustani_ = makeButton(f, "cmdodustani", QStringLiteral("&Izlaz"),
                              QStringLiteral("Izlaz i odustajanje"));
    for (QPushButton* b : {cmdprihvati_, cmdeditiraj_, cmdizmjena_, cmdne_})
        b->setEnabled(false);

    lblrn_ = hiddenLabel(f, "lblrn");
    lblidpro_ = hiddenLabel(f, "lblidpro");
    lblsifra_ = hiddenLabel(f, "lblsifra");
    lblidrn_ = hiddenLabel(f, "lblidrn");
    lblidrnpravi_ = hiddenLabel(f, "lblidrnpravi");
    rtbnema_ = new QTextEdit(f);
    rtbnema_->setObjectName(QStringLiteral("rtbnema"));
    rtbnema_->hide();
    rtfispis_ = new QTextEdit(f);
    rtfispis_->setObjectName(QStringLiteral("rtfispis"));
    rtfispis_->setFont(QFont(QStringLiteral("Courier New"), 9));
    rtfispis_->hide();

    auto* lists = new QVBoxLayout;
    lists->addWidget(lsvartikli_, 2);
    lists->addWidget(lsvsviartikli_, 3);
    auto* top = new QHBoxLayout;
    top->addLayout(fields, 2);
    top->addLayout(lists, 3);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdprihvati_, cmdeditiraj_, cmdizmjena_, cmdne_, cmdispis_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdodustani_);
    auto* main = new QVBoxLayout(f);
    main->addLayout(top, 1);
    main->addLayout(buttons);

    connect(cboproizvod_, &QComboBox::activated, this, qOverload<int>(&frmrn::chooseProduct));
    connect(txtkolicina_, &QLineEdit::textChanged, this, &frmrn::quantityChanged);
    for (QLineEdit* e : {txtmat_, static_cast<QLineEdit*>(txtrada_),
                         static_cast<QLineEdit*>(txtusluga_), static_cast<QLineEdit*>(txt1_),
                         static_cast<QLineEdit*>(txt2_), static_cast<QLineEdit*>(txt3_)})
        connect(e, &QLineEdit::textChanged, this, &frmrn::updateTotals);
    connect(lsvsviartikli_, &ReportList::rowClicked, this, &frmrn::orderClicked);
    connect(lsvsviartikli_, &ReportList::rowDoubleClicked, this, [this](int row) {
        orderClicked(row);
        if (cmdeditiraj_->isEnabled()) edit();
    });
    connect(cmdprihvati_, &QPushButton::clicked, this, &frmrn::issue);
    connect(cmdeditiraj_, &QPushButton::clicked, this, &frmrn::edit);
    connect(cmdizmjena_, &QPushButton::clicked, this, &frmrn::saveChange);
    connect(cmdne_, &QPushButton::clicked, this, &frmrn::cancelChange);
    connect(cmdispis_, &QPushButton::clicked, this, &frmrn::print);
    connect(cmdodustani_, &QPushButton::clicked, this, &QWidget::close);

    setTabOrder(cboproizvod_, dtpotv_);
    setTabOrder(dtpotv_, dtpzatv_);
    setTabOrder(dtpzatv_, txtkolicina_);
    setTabOrder(txtkolicina_, txtrada_);
    setTabOrder(txtrada_, txtusluga_);
    setTabOrder(txtusluga_, txt1_);
    setTabOrder(txt1_, txt2_);
    setTabOrder(txt2_, txt3_);
    setTabOrder(txt3_, cmdprihvati_);
    setTabOrder(cmdprihvati_, lsvsviartikli_);
    setTabOrder(lsvsviartikli_, cmdeditiraj_);
    setTabOrder(cmdeditiraj_, cmdizmjena_);
    setTabOrder(cmdizmjena_, cmdne_);
    setTabOrder(cmdne_, cmdispis_);
    setTabOrder(cmdispis_, cmdodustani_);
    addExportButtons(
        cmdispis_,
        [this]() -> std::optional<sheet::Sheet> {
            if (!editMode_) return std::nullopt;
            return workOrderSheetTable(productName(), order(), costLines(), txtukupno_->text(),
                                       txtpojed_->text(), QDate::currentDate());
        },
        [this] {
            if (!editMode_) return;
            const QString text = ispis();
            previewText(this, QStringLiteral("Radni nalog"), text,
                        fittedTo(reportPageSetup(), text));
        },
        QStringLiteral("Najprije izaberite radni nalog (Editiraj), pa ga izvezite."));
    setInitialFocus(cboproizvod_);
}

// ---- Loading -----------------------------------------------------------------------------------

void frmrn::ucitavanje() {
    lines_.clear();
    lsvartikli_->clear();
    lsvsviartikli_->clear();
    cboproizvod_->clear();
    rtbnema_->clear();
    lblidpro_->clear();
    {
        QScopedValueRollback guard(settingQuantity_, true);
        txtkolicina_->setText(kOneUnit);
    }
    txtmat_->setText(kZero);
    resetCosts();
    dtpotv_->setDate(QDate::currentDate());
    dtpzatv_->setDate(QDate::currentDate());
    cmdprihvati_->setEnabled(false);
    try {
        cboproizvod_->addItems(productNames(book_));
        cboproizvod_->setCurrentIndex(-1);
        loadWorkOrderList();
        const QString next = QString::number(nextWorkOrderNumber(book_));
        txtbr_->setText(next);
        proposedNumber_ = next;
        lblrn_->setText(next);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Radne naloge nije moguće pročitati."), e);
    }
    updateTotals();
}

void frmrn::loadWorkOrderList() {
    std::vector<QStringList> rows;
    for (const WorkOrderRow& o : loadWorkOrders(book_))
        rows.push_back({o.brojrn, o.productName, o.datumotv, o.datumzatv, o.kolicina});
    lsvsviartikli_->setRows(std::move(rows));
}

void frmrn::resetCosts() {
    for (QLineEdit* e : {txtrada_, txtusluga_, txt1_, txt2_, txt3_})
        e->setText(kZero);
}

// ---- Composing ---------------------------------------------------------------------------------

void frmrn::chooseProduct(const QString& name) {
    chooseProduct(cboproizvod_->findText(name));
}

void frmrn::chooseProduct(int index) {
    if (index < 0 || index >= cboproizvod_->count() || !cboproizvod_->isEnabled()) return;
    cboproizvod_->setCurrentIndex(index);
    lines_.clear();
    lsvartikli_->clear();
    lblidpro_->clear();
    cmdprihvati_->setEnabled(false);
    resetCosts();
    {
        QScopedValueRollback guard(settingQuantity_, true);
        txtkolicina_->setText(kOneUnit);
    }
    std::optional<ProductMaterials> materials;
    try {
        materials = loadMaterials(book_, cboproizvod_->itemText(index));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Sastavnicu proizvoda nije moguće pročitati."), e);
    }
    if (!materials) {
        txtmat_->setText(kZero);
        return;
    }
    lblidpro_->setText(materials->productId);
    lines_ = std::move(materials->lines);
    showMaterialLines();
    txtmat_->setText(materialCost(lines_));
    cmdprihvati_->setEnabled(true);
    updateTotals();
}

// The material list in bill order; its figure columns align the figures to the right.
void frmrn::showMaterialLines() {
    std::vector<QStringList> rows;
    for (const MaterialLine& l : lines_)
        rows.push_back({l.bookName, QString::number(l.issueNumber), l.amount, l.needed, l.stock});
    lsvartikli_->setRows(std::move(rows));
}

void frmrn::quantityChanged() {
    if (settingQuantity_) return;
    if (!lines_.empty()) {
        applyQuantity(lines_, txtkolicina_->text());
        showMaterialLines();
        txtmat_->setText(materialCost(lines_));
    }
    updateTotals();
}

WorkOrderCosts frmrn::costs() const {
    return {txtmat_->text(), txtrada_->text(), txtusluga_->text(),
            txt1_->text(),   txt2_->text(),    txt3_->text()};
}

WorkOrder frmrn::order() const {
    return {txtbr_->text(),
            dtpotv_->date(),
            dtpzatv_->date(),
            lblidpro_->text(),
            txtkolicina_->text(),
            costs(),
            txtbr_->text() == proposedNumber_};
}

QString frmrn::productName() const {
    return editMode_ ? lblsifra_->text() : cboproizvod_->currentText();
}

void frmrn::updateTotals() {
    txtukupno_->setText(totalCost(costs()));
    // Zero units leave the cost per unit as it was.
    if (const auto perUnit = costPerUnit(txtmat_->text(), txtkolicina_->text()))
        txtpojed_->setText(*perUnit);
}

// Before the field's own leaving rules: the number of units cannot be left empty and falls back
// to one unit when it is too large. Returns false when it was too large.
bool frmrn::prepareQuantityLeave() {
    const QString typed = txtkolicina_->text();
    if (typed.isEmpty()) {
        txtkolicina_->setText(kOneUnit);
    } else if (quantityTooLarge(typed)) {
        MsgBoxHr(QStringLiteral("Možete upisati samo do 99 999!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Prevelik broj"));
        txtkolicina_->setText(kOneUnit);
        txtkolicina_->selectAll();
        return false;
    }
    return true;
}

// A button pressed by its access key leaves no field: the leaving rules are applied here.
bool frmrn::finishEntries() {
    bool ok = true;
    if (txtkolicina_->isEnabled()) ok = prepareQuantityLeave() && txtkolicina_->finishEntry();
    for (NumericField* e : {txtrada_, txtusluga_, txt1_, txt2_, txt3_})
        ok = e->finishEntry() && ok;
    return ok;
}

// ---- Issuing -----------------------------------------------------------------------------------

bool frmrn::issue() {
    if (!cmdprihvati_->isEnabled()) return false;
    finishEntries();
    if (numberOrZero(txtkolicina_->text()) == 0) {
        MsgBoxHr(QStringLiteral("Količina ne može biti nula!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Količinanula!"));
        txtkolicina_->setFocus(Qt::OtherFocusReason);
        txtkolicina_->selectAll();
        issueFailed_ = true;
        return false;
    }
    // The stock compared is the one read when the product was chosen.
    rtbnema_->clear();
    const QStringList shortList = shortages(lines_);
    if (!shortList.isEmpty()) {
        rtbnema_->setPlainText(shortList.join(u'\n'));
        MsgBoxHr(shortageMessage(shortList), MsgStyle::OkOnly | MsgStyle::Exclamation,
                 QStringLiteral("Nema dovoljno!"));
        issueFailed_ = true;
        return false;
    }
    if (MsgBoxHr(QStringLiteral("Izdavanje radnog naloga i kreiranje pripadajućih izdatnica?"),
                 MsgStyle::YesNo | MsgStyle::Question, kIssueTitle) != MsgResult::Yes) {
        issueFailed_ = true;
        return false;
    }
    return izdatnice();
}

bool frmrn::izdatnice() {
    IssueResult result;
    try {
        result = issueWorkOrder(book_, order(), lines_);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Radni nalog nije izdan; sve knjige su ostale kakve su bile."),
                    e);
        issueFailed_ = true;
        return false;
    }
    if (result.refusal.refused()) {
        MsgBoxHr(QStringLiteral("U skladištu ") + result.refusal.bookWithoutCustomer +
                     QStringLiteral(" nema kupca Proizvodnja!\nRadni nalog nije izdan."),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, kIssueTitle);
        issueFailed_ = true;
        return false;
    }
    issueFailed_ = false;
    ucitavanje();
    cmdprihvati_->setEnabled(false);
    MsgBoxHr(QStringLiteral("Radni nalog izdan!"), MsgStyle::OkOnly | MsgStyle::Exclamation,
             kIssueTitle);
    return true;
}

// ---- Work orders of the list -------------------------------------------------------------------

void frmrn::orderClicked(int row) {
    if (lsvsviartikli_->rowCount() == 0 || row < 0) return;
    // Choosing another work order leaves edit mode as "Odustani od promjene" does, so the loaded
    // order's number, dates and costs never stand in a new work order.
    if (editMode_) cancelChange();
    cmdeditiraj_->setEnabled(true);
    cmdizmjena_->setEnabled(false);
    cmdizmjena_->setText(QStringLiteral("Izmjena"));
    cmdne_->setEnabled(false);
    cmdne_->setText(QStringLiteral("Odustajem od promjene"));
    cboproizvod_->setEnabled(true);
    txtkolicina_->setEnabled(true);
    lblidrn_->setText(lsvsviartikli_->text(row, BrojRn));
    lblsifra_->setText(lsvsviartikli_->text(row, ImeProizvoda));
}

void frmrn::edit() {
    if (lsvsviartikli_->rowCount() == 0 || lblidrn_->text().isEmpty()) return;
    const QString name = lblsifra_->text();
    if (cmdprihvati_->isEnabled() &&
        MsgBoxHr(QStringLiteral("Želite editirati proizvod: ") + name,
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Editiranje proizvoda")) != MsgResult::Yes)
        return;
    cmdprihvati_->setEnabled(false);
    cmdeditiraj_->setEnabled(false);
    cmdizmjena_->setEnabled(true);
    cmdizmjena_->setText(QStringLiteral("Izmjena: ") + name);
    cmdne_->setEnabled(true);
    cmdne_->setText(QStringLiteral("&Odustajem od promjene: ") + name);
    cboproizvod_->setEnabled(false);
    txtkolicina_->setEnabled(false);
    editMode_ = true;
    izmjena();
    txtrada_->setFocus(Qt::OtherFocusReason);
}

void frmrn::izmjena() {
    std::optional<StoredWorkOrder> stored;
    try {
        stored = loadWorkOrder(book_, lblidrn_->text());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Radni nalog nije moguće pročitati."), e);
        return;
    }
    if (!stored) return;
    lines_.clear();
    const WorkOrder& o = stored->order;
    txtbr_->setText(o.brojrn);
    dtpotv_->setDate(o.datumotv);
    dtpzatv_->setDate(o.datumzatv);
    txtkolicina_->setText(o.kolicina);
    cboproizvod_->setCurrentIndex(cboproizvod_->findText(stored->productName));
    lblsifra_->setText(stored->productName);
    txtmat_->setText(o.costs.material);
    txtrada_->setText(o.costs.labour);
    txtusluga_->setText(o.costs.services);
    txt1_->setText(o.costs.other1);
    txt2_->setText(o.costs.other2);
    txt3_->setText(o.costs.other3);
    lblidrnpravi_->setText(stored->id);
    std::vector<QStringList> rows;
    for (const CostLine& c : stored->costLines)
        rows.push_back({c.bookName, c.issueNumber, c.amount});
    lsvartikli_->setRows(std::move(rows));
}

void frmrn::saveChange() {
    if (!editMode_) return;
    finishEntries();
    const QString name = productName();
    if (MsgBoxHr(QStringLiteral("Želite mijenjati radni nalog za proizvod: ") + name,
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Izmjena radnog naloga!")) != MsgResult::Yes)
        return;
    try {
        saveWorkOrderChange(book_, lblidrnpravi_->text(), dtpotv_->date(), dtpzatv_->date(),
                            costs());
        loadWorkOrderList();  // the list shows the new dates
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Izmjena radnog naloga nije spremljena."), e);
        return;
    }
    cancelChange();
    MsgBoxHr(QStringLiteral("Radni nalog uspješno izmjenjen za proizvod: ") + name,
             MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Izmjena radnog naloga"));
}

void frmrn::cancelChange() {
    editMode_ = false;
    cmdizmjena_->setText(QStringLiteral("Izmjena"));
    cmdizmjena_->setEnabled(false);
    cmdeditiraj_->setEnabled(false);
    cmdne_->setText(QStringLiteral("Odustajem od promjene"));
    cboproizvod_->setEnabled(true);
    txtkolicina_->setEnabled(true);
    txtbr_->setText(lblrn_->text());
    lines_.clear();
    lblidpro_->clear();
    cmdprihvati_->setEnabled(false);
    resetCosts();
    {
        QScopedValueRollback guard(settingQuantity_, true);
        txtkolicina_->setText(kOneUnit);
    }
    cboproizvod_->setCurrentIndex(-1);
    lsvartikli_->clear();
    txtmat_->setText(kZero);
    dtpotv_->setDate(QDate::currentDate());
    dtpzatv_->setDate(QDate::currentDate());
    cmdne_->setEnabled(false);
    updateTotals();
}

// ---- Printing ----------------------------------------------------------------------------------

std::vector<CostLine> frmrn::costLines() const {
    std::vector<CostLine> lines;
    for (int r = 0; r < lsvartikli_->rowCount(); ++r)
        lines.push_back({lsvartikli_->text(r, Skladiste), lsvartikli_->text(r, Izdatnica),
                         lsvartikli_->text(r, Iznos).trimmed()});
    return lines;
}

QString frmrn::ispis() {
    const QString text = workOrderSheet(productName(), order(), costLines(), txtukupno_->text(),
                                        txtpojed_->text(), QDate::currentDate());
    rtfispis_->setPlainText(text);
    return text;
}

void frmrn::print() {
    if (!editMode_) return;
    const QString text = ispis();
    if (text.isEmpty()) return;
    if (MsgBoxHr(QStringLiteral("Ispis radnog naloga za proizvod: ") + productName() +
                     QStringLiteral(" na pisač?"),
                 MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Ispis!")) != MsgResult::Yes)
        return;
    showPrintResult(
        printText(QStringLiteral("Radni nalog"), text, fittedTo(reportPageSetup(), text)));
}

// ---- Closing, help, keys -----------------------------------------------------------------------

bool frmrn::queryClose() {
    if (cmdprihvati_->isEnabled() && lsvartikli_->rowCount() > 0) {
        const int answer = MsgBoxHr(QStringLiteral("Želite li unijeti radni nalog u bazu radnih "
                                                   "naloga?"),
                                    MsgStyle::YesNoCancel | MsgStyle::Question,
                                    QStringLiteral("Posprema u skladište"));
        if (answer == MsgResult::Yes) {
            issue();
            if (issueFailed_) return false;
        } else if (answer != MsgResult::No) {
            return false;
        }
    }
    return true;
}

bool frmrn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == txtkolicina_) {
        // The same leaves the field itself reacts to (not a menu, a message box or another
        // application taking the focus, nor the field being hidden).
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            txtkolicina_->isVisible())
            prepareQuantityLeave();
    }
    return ChildWindow::eventFilter(watched, event);
}

}  // namespace kl
