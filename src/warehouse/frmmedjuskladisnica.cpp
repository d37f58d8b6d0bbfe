#include "warehouse/frmmedjuskladisnica.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"
#include "warehouse/documentlists.h"
#include "warehouse/warehousewindows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kl {

namespace {

const QString kTitle = QStringLiteral("Međuskladišnica");
const QString kNewArticle = QStringLiteral("novi artikl");

QString transferHelp() {
    return QStringLiteral(
        "<h3>Međuskladišnica</h3>"
        "<p>Prenosi robu iz ovog skladišta u drugo skladište iste tvrtke. <b>Broj</b> je broj "
        "izdatnice ovog skladišta; program ga upisuje sam.</p>"
        "<p><b>U skladište</b>: odaberite knjigu skladišta u koju roba ide.</p>"
        "<p>Artikl birate po šifri ili po nazivu, ili ga nađete gumbom <b>Pretraga postojećih "
        "artikala...</b>. <b>Cijena</b> je prosječna cijena artikla i ne "
        "može se mijenjati. <b>Količina</b> ne smije biti veća od stanja umanjenog za ono što je "
        "već na listi.</p>"
        "<p>Stupac <b>U skladištu</b> pokazuje artikl ciljnog skladišta s istom šifrom. Ako ga "
        "ondje nema, piše <b>novi artikl</b>: pri knjiženju upisuje se u ciljno skladište s "
        "istom šifrom, nazivom i jedinicom mjere.</p>"
        "<p><b>Proknjiži</b> unosi odjednom izdatnicu u ovo skladište i primku u ciljno, s "
        "istim količinama i iznosima; partner svake je ono drugo skladište. Unesu se obje ili "
        "nijedna. Knjiženje se ne može poništiti.</p>"
        "<p><b>F1</b> vraća u mod unosa, <b>Esc</b> zatvara prozor.</p>");
}

}  // namespace

frmMedjuskladisnica::frmMedjuskladisnica(QWidget* parent)
    : ChildWindow(parent), book_(context().currentBook()) {
    setObjectName(kTransferWindowName);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    loadLists();
    listChanged();
}

void frmMedjuskladisnica::buildControls() {
    QWidget* f = makeInputFrame("framemedjuskladisnica");
    setHelpText(transferHelp());
    setCaption(QStringLiteral("Međuskladišnica     Pomoć F1"));

    txtbroj_ = makeShownField(f, "txtbroj", QStringLiteral("Broj međuskladišnice (izdatnice)"));
    txtdatum_ = makeDatePicker(f, "txtdatum");
    txtdatum_->setToolTip(QStringLiteral("Datum međuskladišnice"));
    txtizvor_ = makeShownField(f, "txtizvor", QStringLiteral("Skladište iz kojeg roba izlazi"));
    txtizvor_->setAlignment(Qt::AlignLeft);
    cboskladiste_ =
        makeChoiceList(f, "cboskladiste", QStringLiteral("Skladište u koje roba ulazi"));
    Cbosifra_ = makeChoiceList(f, "Cbosifra", QStringLiteral("Odabir šifre artikla"));
    cbonaziv_ = makeChoiceList(f, "cbonaziv", QStringLiteral("Odabir naziva artikla"));
    txtkolicina_ = new NumericField(f);
    txtkolicina_->setObjectName(QStringLiteral("txtkolicina"));
    txtkolicina_->setToolTip(QStringLiteral("Unos količine"));
    txtkolicina_->setDocumentRules();
    txtkolicina_->setAlignment(Qt::AlignRight);
    txtpokazkolicine_ = makeShownField(f, "txtpokazkolicine", QStringLiteral("Na stanju"));
    txtcijena_ = makeShownField(f, "txtcijena", QStringLiteral("Prosječna cijena"));
    txtiznos_ = makeShownField(f, "txtiznos", QStringLiteral("Iznos(automatski se mijenja)"));
    txtiznos_->setText(QStringLiteral("0,00"));

    auto* grid = new QGridLayout;
    const std::pair<const char*, QWidget*> rows[] = {
        {"Broj:", txtbroj_},          {"Datum:", txtdatum_},
        {"Iz skladišta:", txtizvor_}, {"U skladište:", cboskladiste_},
        {"Šifra:", Cbosifra_},        {"Naziv:", cbonaziv_},
        {"Količ.:", txtkolicina_},    {"Cijena:", txtcijena_},
        {"Iznos:", txtiznos_}};
    for (int r = 0; r < 9; ++r) {
        auto* label = new QLabel(QString::fromUtf8(rows[r].first), f);
        label->setBuddy(rows[r].second);
        grid->addWidget(label, r, 0);
        grid->addWidget(rows[r].second, r, 1, 1, r == 6 ? 1 : 2);
    }
    grid->addWidget(txtpokazkolicine_, 6, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    auto* search = new QGroupBox(QStringLiteral("Izbor postojećih artikala"), f);
    cmdpretraga_ =
        makeButton(search, "cmdpretraga", QStringLiteral("Pretraga postojećih artikala..."));
    (new QHBoxLayout(search))->addWidget(cmdpretraga_);

    cmddodaj_ = makeButton(f, "cmddodaj", QStringLiteral("&Dodaj na listu"),
                           QStringLiteral("Dodaj na listu desno"));
    cmdbrisi_ = makeButton(f, "cmdbrisi", QStringLiteral("&Briši sa liste"),
                           QStringLiteral("Briši sa liste desno"));
    cmdprihvati_ = makeButton(f, "cmdprihvati", QStringLiteral("&Proknjiži"),
                              QStringLiteral("Izdatnica ovdje i primka u ciljnom skladištu"));
    cmdodustani_ = makeButton(f, "cmdodustani", QStringLiteral("&Izlaz"),
                              QStringLiteral("Izlaz i odustajanje"));
    for (QPushButton* b : {cmddodaj_, cmdbrisi_, cmdprihvati_})
        b->setEnabled(false);

    lsvstavke_ = new ReportList(f);
    lsvstavke_->setObjectName(QStringLiteral("lsvstavke"));
    lsvstavke_->setColumns({{QStringLiteral("Šifra art."), 60},
                            {QStringLiteral("Naziv art."), 110},
                            {QStringLiteral("Količina"), 60, Qt::AlignRight},
                            {QStringLiteral("Cijena"), 60, Qt::AlignRight},
                            {QStringLiteral("Iznos"), 70, Qt::AlignRight},
                            {QStringLiteral("U skladištu"), 100},
                            {QString(), 0}});
    lblartikl_ = hiddenLabel(f, "lblartikl");
    lblukupno_ = new QLabel(f);
    lblukupno_->setObjectName(QStringLiteral("lblukupno"));
    lblukupno_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(cmddodaj_);
    lineButtons->addWidget(cmdbrisi_);
    auto* left = new QVBoxLayout;
    left->addWidget(search);
    left->addLayout(grid);
    left->addLayout(lineButtons);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(lsvstavke_, 1);
    right->addWidget(lblukupno_);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 4);
    top->addLayout(right, 6);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdprihvati_);
    bottom->addWidget(cmdodustani_);
    auto* layout = new QVBoxLayout(f);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(cboskladiste_, &QComboBox::activated, this, &frmMedjuskladisnica::chooseTarget);
    connect(Cbosifra_, &QComboBox::activated, this, &frmMedjuskladisnica::chooseArticle);
    connect(cbonaziv_, &QComboBox::activated, this, &frmMedjuskladisnica::chooseArticle);
    connect(txtkolicina_, &QLineEdit::textChanged, this, &frmMedjuskladisnica::amountChanged);
    connect(cmdpretraga_, &QPushButton::clicked, this, &frmMedjuskladisnica::openSearch);
    connect(cmddodaj_, &QPushButton::clicked, this, &frmMedjuskladisnica::addLine);
    connect(cmdbrisi_, &QPushButton::clicked, this, &frmMedjuskladisnica::deleteLine);
    connect(cmdprihvati_, &QPushButton::clicked, this, &frmMedjuskladisnica::post);
    connect(cmdodustani_, &QPushButton::clicked, this, &QWidget::close);

    setTabOrder(txtdatum_, cboskladiste_);
    setTabOrder(cboskladiste_, cmdpretraga_);
    setTabOrder(cmdpretraga_, Cbosifra_);
    setTabOrder(Cbosifra_, cbonaziv_);
    setTabOrder(cbonaziv_, txtkolicina_);
    setTabOrder(txtkolicina_, cmddodaj_);
    setTabOrder(cmddodaj_, cmdbrisi_);
    setTabOrder(cmdbrisi_, lsvstavke_);
    setTabOrder(lsvstavke_, cmdprihvati_);
    setTabOrder(cmdprihvati_, cmdodustani_);
    setInitialFocus(cboskladiste_);
}

void frmMedjuskladisnica::loadLists() {
    try {
        const QString company = context().companyIdText();
        source_ = transferBookOfFile(company, context().currentBookFile);
        txtizvor_->setText(source_ ? source_->name : context().currentBookName);
        QStringList names;
        for (const TransferBook& b : companyTransferBooks(company)) {
            if (source_ && b.id == source_->id) continue;
            targets_.push_back(b);
            names << b.name;
        }
        cboskladiste_->addItems(names);
        cboskladiste_->setCurrentIndex(-1);
        txtbroj_->setText(QString::number(nextDocumentNumber(book_, DocumentKind::Issue)));
        fillArticleLists(Cbosifra_, cbonaziv_, loadArticleChoices(book_));
        Cbosifra_->setCurrentIndex(-1);
        cbonaziv_->setCurrentIndex(-1);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Podatke skladišta nije moguće pročitati."), e);
    }
}

std::optional<TransferBook> frmMedjuskladisnica::target() const {
    const int i = cboskladiste_->currentIndex();
    if (i < 0 || i >= int(targets_.size())) return std::nullopt;
    return targets_[size_t(i)];
}

QString frmMedjuskladisnica::targetText(const QString& code) const {
    const auto it = targetArticles_.constFind(code.trimmed());
    return it == targetArticles_.cend() ? kNewArticle : it->naziv.trimmed();
}

void frmMedjuskladisnica::chooseTarget(int index) {
    cboskladiste_->setCurrentIndex(index);
    targetArticles_.clear();
    const auto book = target();
    if (!book || !source_) return;
    try {
        if (const QString refusal = transferTargetRefusal(*source_, *book); !refusal.isEmpty()) {
            MsgBoxHr(refusal, MsgStyle::OkOnly | MsgStyle::Exclamation, kTitle);
            cboskladiste_->setCurrentIndex(-1);
            return;
        }
        targetArticles_ = articlesByCode(book->location());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Skladište %1 nije moguće pročitati.").arg(book->name), e);
        cboskladiste_->setCurrentIndex(-1);
    }
    for (int r = 0; r < lsvstavke_->rowCount(); ++r)
        lsvstavke_->setText(r, UCilju,
                            target() ? targetText(lsvstavke_->text(r, Sifra)) : QString());
}

void frmMedjuskladisnica::chooseArticle(int index) {
    if (index < 0 || index >= Cbosifra_->count()) return;
    Cbosifra_->setCurrentIndex(index);
    cbonaziv_->setCurrentIndex(index);
    const QString id = Cbosifra_->itemData(index).toString();
    lblartikl_->setText(id);
    try {
        const auto article = findArticle(book_, id);
        if (!article) return;
        txtcijena_->setText(offeredPriceText(*article));
        double available = numberOrZero(format00(article->stanje, Precision::Single));
        for (int r = 0; r < lsvstavke_->rowCount(); ++r)
            if (lsvstavke_->text(r, IdArtikla) == id)
                available -= numberOrZero(lsvstavke_->text(r, Kolicina));
        txtpokazkolicine_->setText(format00(available));
        amountChanged();
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikl nije moguće pročitati."), e);
    }
}

void frmMedjuskladisnica::openSearch() {
    context().documentMode = QStringLiteral("Medjuskladisnica");
    if (auto* w = qobject_cast<ChildWindow*>(windows().window(win::ArtikliIzbor)))
        showBeside(w, false, QPoint(30, 30));
}

void frmMedjuskladisnica::receiveArticle(const ArticleStock& article) {
    selectArticleInLists(Cbosifra_, cbonaziv_, article);
    chooseArticle(Cbosifra_->currentIndex());
    txtkolicina_->setFocus(Qt::OtherFocusReason);
}

void frmMedjuskladisnica::amountChanged() {
    const auto quantity = parseNumber(txtkolicina_->text());
    const auto price = parseNumber(txtcijena_->text());
    txtiznos_->setText(formatEntry(quantity && price ? *quantity * *price : 0.0));
    cmddodaj_->setEnabled(!txtkolicina_->text().isEmpty() && !lblartikl_->text().isEmpty());
}

void frmMedjuskladisnica::addLine() {
    if (!txtkolicina_->finishEntry()) return;
    auto refuse = [](const QString& text, const QString& title, QWidget* focus) {
        MsgBoxHr(text, MsgStyle::OkOnly | MsgStyle::Exclamation, title);
        focus->setFocus(Qt::OtherFocusReason);
    };
    if (targets_.empty())
        return refuse(QStringLiteral("Tvrtka nema druge knjige skladišta u koju bi roba išla."),
                      kTitle, cboskladiste_);
    if (!target())
        return refuse(QStringLiteral("Najprije odaberite skladište u koje roba ide!"),
                      QStringLiteral("Unos nepotpun!"), cboskladiste_);
    if (lblartikl_->text().isEmpty())
        return refuse(QStringLiteral("Nije unešena šifra ili naziv!"),
                      QStringLiteral("Unos nepotpun!"), Cbosifra_);
    const double quantity = numberOrZero(txtkolicina_->text());
    if (quantity == 0)
        return refuse(QStringLiteral("Unos mora biti veći od nule!"),
                      QStringLiteral("Prevelik broj"), txtkolicina_);
    if (quantity > numberOrZero(txtpokazkolicine_->text()))
        return refuse(QStringLiteral("Na skladištu nema toliko!"), QStringLiteral("Nema toliko!"),
                      txtkolicina_);
    lsvstavke_->addRow({Cbosifra_->currentText(), cbonaziv_->currentText(), txtkolicina_->text(),
                        txtcijena_->text(), txtiznos_->text(), targetText(Cbosifra_->currentText()),
                        lblartikl_->text()});
    clearEntry();
    listChanged();
    Cbosifra_->setFocus(Qt::OtherFocusReason);
}

void frmMedjuskladisnica::clearEntry() {
    Cbosifra_->setCurrentIndex(-1);
    cbonaziv_->setCurrentIndex(-1);
    lblartikl_->clear();
    for (QLineEdit* e : {static_cast<QLineEdit*>(txtkolicina_), txtcijena_, txtpokazkolicine_})
        e->clear();
    txtiznos_->setText(QStringLiteral("0,00"));
    cmddodaj_->setEnabled(false);
}

void frmMedjuskladisnica::deleteLine() {
    const QList<int> selected = lsvstavke_->selectedRows();
    if (selected.isEmpty()) return;
    lsvstavke_->removeRow(selected.front());
    listChanged();
}

void frmMedjuskladisnica::listChanged() {
    const bool lines = lsvstavke_->rowCount() > 0;
    cmdbrisi_->setEnabled(lines);
    cmdprihvati_->setEnabled(lines);
    lblukupno_->setText(runningTotal());
}

QString frmMedjuskladisnica::runningTotal() const {
    return linesTotalText(*lsvstavke_, Iznos);
}

bool frmMedjuskladisnica::post() {
    if (lsvstavke_->rowCount() == 0) return false;
    const auto book = target();
    if (!book || !source_) {
        MsgBoxHr(QStringLiteral("Najprije odaberite skladište u koje roba ide!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Unos nepotpun!"));
        return false;
    }
    Transfer transfer{*source_, *book, txtdatum_->date(), {}};
    QStringList created;
    for (int r = 0; r < lsvstavke_->rowCount(); ++r) {
        const QString code = lsvstavke_->text(r, Sifra).trimmed();
        transfer.lines.push_back({lsvstavke_->text(r, Sifra), lsvstavke_->text(r, Naziv),
                                  lsvstavke_->text(r, Kolicina), lsvstavke_->text(r, Cijena),
                                  lsvstavke_->text(r, Iznos), lsvstavke_->text(r, IdArtikla)});
        const QString named = code + u' ' + lsvstavke_->text(r, Naziv).trimmed();
        if (lsvstavke_->text(r, UCilju) == kNewArticle && !created.contains(named))
            created << named;
    }
    QString question = QStringLiteral("Međuskladišnica iz skladišta %1 u skladište %2: %3.")
                           .arg(source_->name.trimmed(), book->name.trimmed(), runningTotal());
    if (!created.isEmpty())
        question += QStringLiteral(
                        "\nU skladištu %1 nema artikala %2; upisat će se ondje s "
                        "istom šifrom, nazivom i jedinicom mjere.")
                        .arg(book->name.trimmed(), created.join(QStringLiteral(", ")));
    question += QStringLiteral("\nKnjižimo?");
    if (MsgBoxHr(question, MsgStyle::YesNo | MsgStyle::Question, kTitle) != MsgResult::Yes)
        return false;

    TransferResult result;
    try {
        result = postTransfer(transfer);
    } catch (const DbError& e) {
        showDbError(
            QStringLiteral("Međuskladišnica nije unesena; oba skladišta su ostala kakva su bila."),
            e);
        return false;
    }
    if (!result.refusal.isEmpty()) {
        MsgBoxHr(result.refusal, MsgStyle::OkOnly | MsgStyle::Exclamation, kTitle);
        return false;
    }
    lsvstavke_->clear();
    listChanged();
    txtbroj_->setText(QString::number(result.issueNumber + 1));
    chooseTarget(cboskladiste_->currentIndex());  // the articles made there are there now
    MsgBoxHr(QStringLiteral("Međuskladišnica br. %1 je unesena: izdatnica br. %1 u skladištu %2 "
                            "i primka br. %3 u skladištu %4.")
                 .arg(result.issueNumber)
                 .arg(source_->name.trimmed())
                 .arg(result.receiptNumber)
                 .arg(book->name.trimmed()),
             MsgStyle::OkOnly | MsgStyle::Information, kTitle);
    return true;
}

bool frmMedjuskladisnica::queryClose() {
    if (lsvstavke_->rowCount() > 0) {
        const int answer =
            MsgBoxHr(QStringLiteral("Imate unešene podatke na listu desno! Želite ih obraditi?"),
                     MsgStyle::YesNoCancel | MsgStyle::Question,
                     QStringLiteral("Obrada unešenih podataka!"));
        if (answer == MsgResult::Yes) return post();
        if (answer != MsgResult::No) return false;
    }
    return true;
}

void frmMedjuskladisnica::helpModeChanged(bool helpMode) {
    if (!helpMode) setCaption(QStringLiteral("Međuskladišnica     Pomoć F1"));
}

}  // namespace kl
