#include "warehouse/frmeracun.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "data/settings.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"
#include "warehouse/frmartikliizbor.h"
#include "warehouse/frmprimka.h"
#include "warehouse/masterdata.h"
#include "warehouse/warehousewindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace kl {

using namespace einvoice;

namespace {

const QString kDialog = QStringLiteral("eracun");

// The partner's fields the supplier is stored into, and their widths.
constexpr int kNameWidth = 30, kAccountWidth = 34, kPlaceWidth = 17, kStreetWidth = 20;
// The article's fields.
constexpr int kCodeWidth = 10, kBarcodeWidth = 13, kArticleNameWidth = 30, kUnitWidth = 5;
// The receipt's supplier document number.
constexpr int kNumberWidth = 20;

QString vatKey() {
    return QStringLiteral("eracun.izvansustavapdv.") + context().companyIdText();
}

QString howText(Match how) {
    switch (how) {
        case Match::ByOib:
            return QStringLiteral("pronađen po OIB-u");
        case Match::ByName:
            return QStringLiteral("pronađen po nazivu");
        case Match::Remembered:
            return QStringLiteral("zapamćen izbor");
        case Match::ByBarcode:
            return QStringLiteral("po barkodu");
        case Match::ByCode:
            return QStringLiteral("po šifri");
        case Match::None:
            break;
    }
    return QStringLiteral("odabran");
}

QString shown(Decimal d) {
    return format00(d.toDouble());
}

// A quantity as the file gives it, with a comma: 2.5 -> "2,5", 10 -> "10".
QString quantityText(Decimal d) {
    QString t = decimalText(d);
    if (t.endsWith(QLatin1String(".00"))) t.chop(3);
    return t.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString helpText() {
    return QStringLiteral(
        "<h3>Učitaj e-račun</h3>"
        "<p><b>Odaberi datoteku</b> otvara XML datoteku e-računa (UBL 2.1); datoteku možete i "
        "povući mišem na prozor.</p>"
        "<p><b>Dobavljač</b> se traži po OIB-u, zatim po točnom nazivu. Ako ga nema u knjizi, "
        "gumb <b>Unos dobavljača</b> unosi ga s podacima iz računa; što ne stane u polja "
        "kupca/dobavljača bude skraćeno i to vam program kaže.</p>"
        "<p><b>Dokument</b> je vrsta dokumenta primke; program pamti izbor za svakog "
        "dobavljača. Cijeli broj računa čuva se i kad je duži od 20 znakova broja primke.</p>"
        "<p>Račun u stranoj valuti traži <b>tečaj</b> (koliko eura vrijedi jedna jedinica "
        "valute).</p>"
        "<p><b>Tvrtka nije u sustavu PDV-a</b>: PDV stavke ulazi u nabavnu cijenu. Izbor se "
        "pamti za tvrtku.</p>"
        "<p>Stavka bez artikla dobiva artikl gumbom <b>Pretraga artikla</b> ili kao novi artikl "
        "(šifru, naziv i jedinicu mjere potvrdite ispod liste i pritisnite <b>Unesi "
        "artikl</b>). Izbor se pamti za sljedeći račun istog dobavljača.</p>"
        "<p>Usluga (prijevoz, pakiranje) nije roba: gumbom <b>Raspodijeli / izostavi uslugu</b> "
        "dodajete je u trošak robe ili je izostavljate. Stavka s količinom nula ili manjom ne "
        "ulazi u primku.</p>"
        "<p><b>Proknjiži</b> unosi primku u skladište. Isti račun istog dobavljača ne može se "
        "unijeti dvaput.</p>"
        "<p><b>Odobrenje</b> dobavljača s robom program nudi kao izdatnicu: povrat te robe "
        "dobavljaču po prosječnim cijenama, najviše koliko ima na stanju.</p>"
        "<p><b>F1</b> vraća u mod unosa, <b>Esc</b> zatvara prozor.</p>");
}

}  // namespace

frmEracun::frmEracun(QWidget* parent) : ChildWindow(parent), book_(context().currentBook()) {
    setObjectName(win::Eracun);
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    setCaption(QStringLiteral("Učitaj e-račun      Pomoć  F1"));
    setHelpText(helpText());
    buildControls();
    clearDocument();
}

void frmEracun::buildControls() {
    QWidget* f = makeInputFrame("frameeracun");

    cmddatoteka_ = makeButton(f, "cmddatoteka", QStringLiteral("&Odaberi datoteku..."),
                              QStringLiteral("Odabir XML datoteke e-računa"));
    txtdatoteka_ = makeShownField(f, "txtdatoteka", QStringLiteral("Datoteka e-računa"));
    txtdatoteka_->setAlignment(Qt::AlignLeft);

    lbldobavljac_ = new QLabel(f);
    lbldobavljac_->setObjectName(QStringLiteral("lbldobavljac"));
    lbldobavljac_->setWordWrap(true);
    cmddobavljac_ = makeButton(f, "cmddobavljac", QStringLiteral("Unos do&bavljača..."),
                               QStringLiteral("Unos dobavljača s podacima iz računa"));
    lblracun_ = new QLabel(f);
    lblracun_->setObjectName(QStringLiteral("lblracun"));
    lblracun_->setWordWrap(true);

    txtdatumprimke_ = makeDatePicker(f, "txtdatumprimke");
    txtdatumprimke_->setToolTip(QStringLiteral("Datum primke"));
    cbodokument_ = makeChoiceList(f, "cbodokument", QStringLiteral("Odabir dokumenta"));
    lbltecaj_ = new QLabel(f);
    txttecaj_ = new TextField(f);
    txttecaj_->setObjectName(QStringLiteral("txttecaj"));
    txttecaj_->setToolTip(QStringLiteral("Tečaj: koliko eura vrijedi jedna jedinica valute"));
    txttecaj_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,6}([,.][0-9]{0,6})?")), txttecaj_));
    lbltecaj_->setBuddy(txttecaj_);
    chkpdv_ = new QCheckBox(QStringLiteral("Tvrtka &nije u sustavu PDV-a (PDV je trošak)"), f);
    chkpdv_->setObjectName(QStringLiteral("chkpdv"));
    chkpdv_->setChecked(settings::valueOr(vatKey()) == QLatin1String("1"));

    lbldatum_ = new QLabel(f);
    lbldatum_->setBuddy(txtdatumprimke_);
    auto* lbldokument = new QLabel(QStringLiteral("&Dokument:"), f);
    lbldokument->setBuddy(cbodokument_);

    auto* header = new QGridLayout;
    header->addWidget(cmddatoteka_, 0, 0);
    header->addWidget(txtdatoteka_, 0, 1, 1, 4);
    header->addWidget(new QLabel(QStringLiteral("Dobavljač:"), f), 1, 0);
    header->addWidget(lbldobavljac_, 1, 1, 1, 3);
    header->addWidget(cmddobavljac_, 1, 4);
    header->addWidget(new QLabel(QStringLiteral("Račun:"), f), 2, 0);
    header->addWidget(lblracun_, 2, 1, 1, 4);
    header->addWidget(lbldokument, 3, 0);
    header->addWidget(cbodokument_, 3, 1);
    header->addWidget(lbldatum_, 3, 2);
    header->addWidget(txtdatumprimke_, 3, 3);
    header->addWidget(lbltecaj_, 4, 0);
    header->addWidget(txttecaj_, 4, 1);
    header->addWidget(chkpdv_, 4, 2, 1, 3);
    header->setColumnStretch(1, 1);
    header->setColumnStretch(3, 1);

    lsvstavke_ = new ReportList(f);
    lsvstavke_->setObjectName(QStringLiteral("lsvstavke"));
    lsvstavke_->setColumns({{QStringLiteral("Naziv na računu"), 200},
                            {QStringLiteral("Količina"), 65, Qt::AlignRight},
                            {QStringLiteral("J.m."), 40},
                            {QStringLiteral("Trošak"), 75, Qt::AlignRight},
                            {QStringLiteral("Cijena"), 70, Qt::AlignRight},
                            {QStringLiteral("Artikl"), 280}});
    lsvstavke_->setHeaderSorting(false);
    auto* lblstavke = new QLabel(QStringLiteral("&Stavke:"), f);
    lblstavke->setBuddy(lsvstavke_);
    lblukupno_ = new QLabel(f);
    lblukupno_->setObjectName(QStringLiteral("lblukupno"));
    lblukupno_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblproblem_ = new QLabel(f);
    lblproblem_->setObjectName(QStringLiteral("lblproblem"));
    lblproblem_->setWordWrap(true);
    lblproblem_->setStyleSheet(QStringLiteral("color: #b00000;"));

    cmdpretraga_ = makeButton(f, "cmdpretraga", QStringLiteral("&Pretraga artikla..."),
                              QStringLiteral("Artikl za označenu stavku iz pretrage"));
    txtsifra_ = new TextField(f, "txtsifra", kCodeWidth, QStringLiteral("Šifra novog artikla"));
    txtnaziv_ =
        new TextField(f, "txtnaziv", kArticleNameWidth, QStringLiteral("Naziv novog artikla"));
    txtjedmjere_ =
        new TextField(f, "txtjedmjere", kUnitWidth, QStringLiteral("Jedinica mjere novog artikla"));
    cmdartikl_ = makeButton(f, "cmdartikl", QStringLiteral("Unesi &artikl"),
                            QStringLiteral("Novi artikl iz stavke, za označenu stavku"));
    cmdusluga_ = makeButton(f, "cmdusluga", QStringLiteral("Raspodijeli / izostavi &uslugu"),
                            QStringLiteral("Usluga u trošak robe ili izostavljena"));
    cmdknjizi_ = makeButton(f, "cmdknjizi", QStringLiteral("Pro&knjiži"),
                            QStringLiteral("Unos primke u skladište"));
    cmdizlaz_ =
        makeButton(f, "cmdizlaz", QStringLiteral("&Izlaz"), QStringLiteral("Izlaz i odustajanje"));

    auto* newArticle = new QGroupBox(QStringLiteral("Novi artikl iz stavke"), f);
    auto* na = new QHBoxLayout(newArticle);
    const std::pair<const char*, QWidget*> fields[] = {
        {"Ši&fra:", txtsifra_}, {"Na&ziv:", txtnaziv_}, {"&J.m.:", txtjedmjere_}};
    for (const auto& [caption, widget] : fields) {
        auto* label = new QLabel(QString::fromUtf8(caption), newArticle);
        label->setBuddy(widget);
        na->addWidget(label);
        na->addWidget(widget, widget == txtnaziv_ ? 3 : 1);
    }
    na->addWidget(cmdartikl_);

    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(cmdpretraga_);
    lineButtons->addWidget(cmdusluga_);
    lineButtons->addStretch();
    lineButtons->addWidget(lblukupno_);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblproblem_, 1);
    bottom->addWidget(cmdknjizi_);
    bottom->addWidget(cmdizlaz_);

    auto* layout = new QVBoxLayout(f);
    layout->addLayout(header);
    layout->addWidget(lblstavke);
    layout->addWidget(lsvstavke_, 1);
    layout->addLayout(lineButtons);
    layout->addWidget(newArticle);
    layout->addLayout(bottom);

    setTabOrder(cmddatoteka_, cmddobavljac_);
    setTabOrder(cmddobavljac_, cbodokument_);
    setTabOrder(cbodokument_, txtdatumprimke_);
    setTabOrder(txtdatumprimke_, txttecaj_);
    setTabOrder(txttecaj_, chkpdv_);
    setTabOrder(chkpdv_, lsvstavke_);
    setTabOrder(lsvstavke_, cmdpretraga_);
    setTabOrder(cmdpretraga_, cmdusluga_);
    setTabOrder(cmdusluga_, txtsifra_);
    setTabOrder(txtsifra_, txtnaziv_);
    setTabOrder(txtnaziv_, txtjedmjere_);
    setTabOrder(txtjedmjere_, cmdartikl_);
    setTabOrder(cmdartikl_, cmdknjizi_);
    setTabOrder(cmdknjizi_, cmdizlaz_);
    setInitialFocus(cmddatoteka_);

    connect(cmddatoteka_, &QPushButton::clicked, this, &frmEracun::chooseFile);
    connect(cmddobavljac_, &QPushButton::clicked, this, &frmEracun::createSupplier);
    connect(cmdpretraga_, &QPushButton::clicked, this, &frmEracun::openSearch);
    connect(cmdartikl_, &QPushButton::clicked, this, &frmEracun::createArticle);
    connect(cmdusluga_, &QPushButton::clicked, this, &frmEracun::toggleService);
    connect(cmdknjizi_, &QPushButton::clicked, this, &frmEracun::post);
    connect(cmdizlaz_, &QPushButton::clicked, this, &QWidget::close);
    connect(lsvstavke_, &ReportList::currentRowChanged, this, [this] { fillArticleEntry(); });
    connect(lsvstavke_, &ReportList::rowDoubleClicked, this, &frmEracun::openSearch);
    connect(txttecaj_, &QLineEdit::textChanged, this, &frmEracun::refreshLines);
    connect(chkpdv_, &QCheckBox::toggled, this, [this](bool on) {
        settings::trySetValue(vatKey(), on ? QStringLiteral("1") : QStringLiteral("0"));
        refreshLines();
    });
}

void frmEracun::clearDocument() {
    doc_.reset();
    filePath_.clear();
    supplier_ = {};
    choices_.clear();
    txtdatoteka_->clear();
    lbldobavljac_->clear();
    lblracun_->clear();
    txttecaj_->clear();
    cbodokument_->clear();
    try {
        cbodokument_->addItems(documentTypeNames(book_));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Podatke skladišta nije moguće pročitati."), e);
    }
    cbodokument_->setCurrentIndex(-1);
    cbodokument_->setEnabled(true);
    chkpdv_->setEnabled(true);
    lbldatum_->setText(QStringLiteral("Datum p&rimke:"));
    stock_.clear();
    lsvstavke_->clear();
    showSupplier();
    refreshLines();
}

// ---- The file ------------------------------------------------------------------------------

void frmEracun::chooseFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Odaberite e-račun"), settings::lastFolder(kDialog, QDir::homePath()),
        QStringLiteral("E-račun (*.xml *.XML);;Sve datoteke (*)"));
    if (path.isEmpty()) return;
    settings::rememberFolder(kDialog, path);
    loadFile(path);
}

void frmEracun::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void frmEracun::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    loadFile(urls.front().toLocalFile());
}

bool frmEracun::loadFile(const QString& path) {
    ReadResult read = readFile(path);
    if (!read.document) {
        MsgBoxHr(QStringLiteral("Datoteku %1 nije moguće učitati kao e-račun.\n%2")
                     .arg(QFileInfo(path).fileName(), read.error),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
        return false;
    }
    const Document& d = *read.document;
    if (d.creditNote) {
        const bool goods = std::any_of(d.lines.begin(), d.lines.end(),
                                       [](const Line& l) { return l.kind == LineKind::Goods; });
        if (!goods) {
            MsgBoxHr(QStringLiteral("Datoteka %1 je odobrenje (CreditNote) bez robe: ono ne "
                                    "mijenja skladište i ne unosi se.")
                         .arg(QFileInfo(path).fileName()),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
            return false;
        }
        if (MsgBoxHr(QStringLiteral("Datoteka %1 je odobrenje (CreditNote) dobavljača s robom.\n"
                                    "Unijeti povrat te robe dobavljaču kao izdatnicu?")
                         .arg(QFileInfo(path).fileName()),
                     MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                     QStringLiteral("Odobrenje")) != MsgResult::Yes)
            return false;
    }

    clearDocument();
    doc_ = std::move(*read.document);
    filePath_ = path;
    txtdatoteka_->setText(QDir::toNativeSeparators(path));
    try {
        supplier_ = matchSupplier(book_, doc_->supplier);
        articles_.clear();
        for (ArticleChoice& a : loadArticleChoices(book_))
            articles_.insert(a.id, a);
        const std::vector<ArticleMatch> matches = matchLines(book_, supplier_.partnerId, *doc_);
        stock_.clear();
        for (size_t i = 0; i < matches.size(); ++i) {
            const ArticleMatch& m = matches[i];
            const bool goods = doc_->lines[i].kind == LineKind::Goods;
            choices_.push_back({goods ? m.articleId : QString(), m.how, false});
            if (doc_->creditNote && goods && !m.articleId.isEmpty())
                if (const auto a = findArticle(book_, m.articleId)) stock_.insert(a->id, *a);
        }
        // The type chosen for the supplier's last invoice, else the book's "Račun" if it has one.
        const QString type = rememberedDocumentType(book_, supplier_.partnerId);
        cbodokument_->setCurrentIndex(
            cbodokument_->findText(type.isEmpty() ? QStringLiteral("Račun") : type));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Podatke skladišta nije moguće pročitati."), e);
        clearDocument();
        return false;
    }

    QString invoice =
        QStringLiteral("%1 od %2")
            .arg(doc_->number, doc_->issueDate.toString(QStringLiteral("dd.MM.yyyy")));
    if (doc_->creditNote)
        invoice = QStringLiteral("odobrenje ") + invoice +
                  QStringLiteral(" – povrat robe dobavljaču izdatnicom, po prosječnim cijenama");
    if (doc_->number.size() > kNumberWidth && !doc_->creditNote)
        invoice += QStringLiteral(
                       " (u primku ulazi prvih %1 znakova: %2; cijeli broj čuva se uz "
                       "primku)")
                       .arg(kNumberWidth)
                       .arg(doc_->number.left(kNumberWidth));
    if (doc_->currency != QLatin1String("EUR"))
        invoice += QStringLiteral(", valuta %1").arg(doc_->currency);
    cbodokument_->setEnabled(!doc_->creditNote);
    chkpdv_->setEnabled(!doc_->creditNote);
    if (doc_->creditNote) lbldatum_->setText(QStringLiteral("Datum izdatni&ce:"));
    lblracun_->setText(invoice);
    showSupplier();
    refreshLines();
    if (lsvstavke_->rowCount() > 0) lsvstavke_->setCurrentRow(0);
    fillArticleEntry();
    return true;
}

// ---- The supplier ---------------------------------------------------------------------------

void frmEracun::showSupplier() {
    const bool foreign = doc_ && !doc_->creditNote && doc_->currency != QLatin1String("EUR");
    lbltecaj_->setText(foreign ? QStringLiteral("&Tečaj 1 %1 = ? EUR:").arg(doc_->currency)
                               : QStringLiteral("&Tečaj:"));
    lbltecaj_->setVisible(foreign);
    txttecaj_->setVisible(foreign);
    if (!doc_) {
        lbldobavljac_->setText(QStringLiteral("(odaberite datoteku e-računa)"));
        cmddobavljac_->setEnabled(false);
        return;
    }
    const Party& p = doc_->supplier;
    QString text = p.name;
    if (!p.oib.isEmpty()) text += QStringLiteral(", OIB ") + p.oib;
    if (supplier_.partnerId.isEmpty())
        text += QStringLiteral(" – nije u knjizi");
    else
        text += QStringLiteral(" – ") + howText(supplier_.how) +
                (supplier_.name != p.name ? QStringLiteral(": ") + supplier_.name : QString());
    lbldobavljac_->setText(text);
    cmddobavljac_->setEnabled(supplier_.partnerId.isEmpty());
}

void frmEracun::createSupplier() {
    if (!doc_ || !supplier_.partnerId.isEmpty()) return;
    const Party& p = doc_->supplier;
    PartnerFields fields;
    QStringList cut;
    auto put = [&](int index, const QString& value, int width, const QString& what) {
        fields[size_t(index)] = value.left(width);
        if (value.size() > width)
            cut << QStringLiteral("%1 \"%2\" → \"%3\" (najviše %4 znakova)")
                       .arg(what, value, value.left(width))
                       .arg(width);
    };
    fields[0] = QStringLiteral("d");
    put(1, p.name.trimmed(), kNameWidth, QStringLiteral("naziv"));
    put(3, p.iban, kAccountWidth, QStringLiteral("IBAN"));
    put(4, p.place, kPlaceWidth, QStringLiteral("mjesto"));
    put(5, p.street, kStreetWidth, QStringLiteral("ulica"));
    QString prompt = QStringLiteral("Unosimo dobavljača %1 (OIB %2)?").arg(fields[1], p.oib);
    if (!cut.isEmpty())
        prompt +=
            QStringLiteral("\nNe stane sve u polja dobavljača:\n") + cut.join(QLatin1Char('\n'));
    if (MsgBoxHr(prompt, MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Unos dobavljača")) !=
        MsgResult::Yes)
        return;
    try {
        insertPartners(book_, {fields}, {p.oib});
        supplier_ = matchSupplier(book_, p);
        if (!supplier_.partnerId.isEmpty()) {
            const std::vector<ArticleMatch> matches = matchLines(book_, supplier_.partnerId, *doc_);
            for (size_t i = 0; i < matches.size() && i < choices_.size(); ++i)
                if (choices_[i].articleId.isEmpty())
                    choices_[i] = {matches[i].articleId, matches[i].how, choices_[i].spread};
        }
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Dobavljač nije unesen."), e);
        return;
    }
    if (DocumentLists* lists = documentLists()) lists->setPartnerNames(partnerNames(book_, true));
    showSupplier();
    refreshLines();
}

// ---- The lines ------------------------------------------------------------------------------

bool frmEracun::outsideVat() const {
    return chkpdv_->isChecked();
}

std::optional<Decimal> frmEracun::rate() const {
    QString t = txttecaj_->text().trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.startsWith(QLatin1Char('.'))) t.prepend(QLatin1Char('0'));
    if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    return parseDecimal(t);
}

Costing frmEracun::costing() const {
    if (!doc_ || doc_->creditNote) return {};
    CostOptions options;
    options.addVat = outsideVat();
    for (const LineChoice& c : choices_)
        options.spreadServices.push_back(c.spread);
    options.rate = rate();
    return costLines(*doc_, options);
}

QString frmEracun::lineArticleText(int line) const {
    const Line& l = doc_->lines[size_t(line)];
    const LineChoice& c = choices_[size_t(line)];
    switch (l.kind) {
        case LineKind::Service:
            return c.spread ? QStringLiteral("usluga: raspodijeljena u trošak robe")
                            : QStringLiteral("usluga: izostavljena");
        case LineKind::NotPositive:
            return QStringLiteral("količina nije veća od nule: nije stavka primke");
        case LineKind::Goods:
            break;
    }
    if (c.articleId.isEmpty()) return QStringLiteral("NEMA ARTIKLA – pretraga ili novi artikl");
    const ArticleChoice a = articles_.value(c.articleId);
    return QStringLiteral("%1 %2 (%3)").arg(a.sifra, a.naziv, howText(c.how));
}

void frmEracun::refreshLines() {
    const int current = lsvstavke_->currentRow();
    std::vector<QStringList> rows;
    const Costing cost = costing();
    if (doc_) {
        // The amount of a line the receipt does not take, when it is in the receipt's money.
        const bool euro = doc_->currency == QLatin1String("EUR");
        std::vector<const CostedLine*> costed(doc_->lines.size(), nullptr);
        for (const CostedLine& c : cost.lines)
            costed[size_t(c.line)] = &c;
        for (int i = 0; i < int(doc_->lines.size()); ++i) {
            const Line& l = doc_->lines[size_t(i)];
            const QString unit = bookUnit(l.unitCode);
            rows.push_back(
                {l.name, quantityText(l.quantity), unit.isEmpty() ? l.unitCode : unit,
                 costed[size_t(i)] ? shown(costed[size_t(i)]->cost)
                 : euro            ? shown(l.lineAmount)
                                   : QString(),
                 costed[size_t(i)] ? shown(costed[size_t(i)]->unitPrice) : returnPrice(i),
                 lineArticleText(i)});
        }
    }
    lsvstavke_->setRows(std::move(rows));
    if (current >= 0 && current < lsvstavke_->rowCount()) lsvstavke_->setCurrentRow(current);
    lblukupno_->setText(totalsText());

    QStringList problems;
    if (doc_) {
        if (const QString t = totalsProblem(*doc_); !t.isEmpty()) problems << t;
        if (!cost.error.isEmpty()) problems << cost.error;
    }
    lblproblem_->setText(problems.join(QLatin1Char('\n')));
    cmdknjizi_->setEnabled(doc_.has_value());
    cmdpretraga_->setEnabled(doc_.has_value());
    cmdartikl_->setEnabled(doc_.has_value());
    const int line = selectedLine();
    cmdusluga_->setEnabled(line >= 0 && doc_->lines[size_t(line)].kind == LineKind::Service);
}

// The price a credit note's line goes back at: the article's average price (the issue rule).
QString frmEracun::returnPrice(int line) const {
    if (!isCreditNote() || doc_->lines[size_t(line)].kind != LineKind::Goods) return {};
    const auto a = stock_.constFind(choices_[size_t(line)].articleId);
    return a == stock_.cend() ? QString() : offeredPriceText(*a);
}

QString frmEracun::totalsText() const {
    if (!doc_) return {};
    if (doc_->creditNote) {
        double total = 0;
        for (int i = 0; i < int(doc_->lines.size()); ++i) {
            const QString price = returnPrice(i);
            if (!price.isEmpty())
                total += numberOrZero(
                    formatEntry(numberOrZero(format00(doc_->lines[size_t(i)].quantity.toDouble())) *
                                numberOrZero(price)));
        }
        return QStringLiteral("Izdatnica: %1    Odobrenje bez PDV-a: %2")
            .arg(format00(total), shown(doc_->taxExclusive));
    }
    const Costing cost = costing();
    if (!cost.error.isEmpty()) return {};
    // The difference is the receipt's own rounding: its unit prices at two decimals times the
    // quantities against the costs they come from.
    QString text = QStringLiteral("Primka: %1    Bez PDV-a: %2")
                       .arg(shown(cost.receiptTotal), shown(doc_->taxExclusive));
    if (doc_->currency != QLatin1String("EUR")) text += QLatin1Char(' ') + doc_->currency;
    // The lines the receipt leaves out, so that the clerk sees where the amounts part.
    std::int64_t left = 0;
    for (size_t i = 0; i < doc_->lines.size(); ++i) {
        const Line& l = doc_->lines[i];
        if (l.kind == LineKind::NotPositive || (l.kind == LineKind::Service && !choices_[i].spread))
            left += l.lineAmount.micros;
    }
    if (left != 0) {
        text += QStringLiteral("    Izostavljeno: ") + shown({left});
        if (doc_->currency != QLatin1String("EUR")) text += QLatin1Char(' ') + doc_->currency;
    }
    return text + QStringLiteral("    Razlika: ") +
           shown({cost.receiptTotal.micros - cost.total.micros});
}

int frmEracun::selectedLine() const {
    if (!doc_) return -1;
    const int row = lsvstavke_->currentRow();
    return row >= 0 && row < int(doc_->lines.size()) ? row : -1;
}

void frmEracun::selectLine(int line) {
    lsvstavke_->setCurrentRow(line);
    fillArticleEntry();
}

// The entry of a new article, from the selected line: its name cut to the article's, the unit
// the book gives its unit code, the supplier's code as the code when it fits.
void frmEracun::fillArticleEntry() {
    const int line = selectedLine();
    if (line < 0) {
        for (QLineEdit* e : {txtsifra_, txtnaziv_, txtjedmjere_})
            e->clear();
        cmdusluga_->setEnabled(false);
        return;
    }
    const Line& l = doc_->lines[size_t(line)];
    txtsifra_->setText(l.sellersId.size() <= kCodeWidth ? l.sellersId : QString());
    txtnaziv_->setText(l.name.trimmed().left(kArticleNameWidth));
    txtjedmjere_->setText(bookUnit(l.unitCode));
    cmdusluga_->setEnabled(l.kind == LineKind::Service);
}

void frmEracun::openSearch() {
    const int line = selectedLine();
    if (line < 0) return;
    if (doc_->lines[size_t(line)].kind != LineKind::Goods) {
        MsgBoxHr(QStringLiteral("Ova stavka nije roba: ne dobiva artikl."),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
        return;
    }
    // The search sends to the window of the document mode; the mode before stays for the
    // receipt window, which sets its own when it opens the search.
    context().documentMode = searchMode();
    if (auto* open = windows().loaded<frmartikliizbor>(win::ArtikliIzbor);
        open && open->book() != book_)
        windows().unload(win::ArtikliIzbor);
    if (auto* w = qobject_cast<ChildWindow*>(windows().window(win::ArtikliIzbor)))
        showBeside(w, false, QPoint(30, 30));
}

void frmEracun::receiveArticle(const ArticleStock& article) {
    const int line = selectedLine();
    if (line < 0 || doc_->lines[size_t(line)].kind != LineKind::Goods) return;
    rememberArticle(article);
    choices_[size_t(line)] = {article.id, Match::None, false};
    refreshLines();
    lsvstavke_->setFocus(Qt::OtherFocusReason);
}

void frmEracun::createArticle() {
    const int line = selectedLine();
    if (line < 0) return;
    const Line& l = doc_->lines[size_t(line)];
    if (l.kind != LineKind::Goods) {
        MsgBoxHr(QStringLiteral("Ova stavka nije roba: ne dobiva artikl."),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
        return;
    }
    ArticleEntry entry;
    entry.sifra = txtsifra_->text().trimmed();
    entry.naziv = txtnaziv_->text().trimmed();
    entry.jedmjere = txtjedmjere_->text().trimmed();
    entry.barkod = l.gtin.size() <= kBarcodeWidth ? l.gtin : QString();
    entry.minkolicina = QStringLiteral("0,00");
    if (entry.sifra.isEmpty() || entry.naziv.isEmpty() || entry.jedmjere.isEmpty()) {
        MsgBoxHr(QStringLiteral("Upišite šifru, naziv i jedinicu mjere novog artikla."),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Unos nepotpun!"));
        (entry.sifra.isEmpty()   ? txtsifra_
         : entry.naziv.isEmpty() ? txtnaziv_
                                 : txtjedmjere_)
            ->setFocus(Qt::OtherFocusReason);
        return;
    }
    try {
        switch (findArticleClash(entry, {}, book_)) {
            case ArticleClash::None:
            case ArticleClash::CodeOnList:
            case ArticleClash::BarcodeOnList:
                break;
            case ArticleClash::CodeInBook:
                MsgBoxHr(QStringLiteral("Šifra artikla postoji, ne može se unijeti ista šifra"),
                         MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Šifra postoji"));
                txtsifra_->setFocus(Qt::OtherFocusReason);
                return;
            case ArticleClash::BarcodeInBook:
                // The line's bar code is another article's: the new one goes without it.
                entry.barkod.clear();
                break;
        }
        insertArticles(book_, {entry});
        for (const ArticleRow& a : loadArticles(book_)) {
            if (a.sifra.trimmed() == entry.sifra) {
                rememberArticle({a.id, a.sifra, a.naziv, 0, 0});
                choices_[size_t(line)] = {a.id, Match::None, false};
                break;
            }
        }
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikl nije unesen."), e);
        return;
    }
    if (DocumentLists* lists = documentLists()) lists->setArticleChoices(loadArticleChoices(book_));
    refreshLines();
}

void frmEracun::rememberArticle(const ArticleStock& article) {
    articles_.insert(article.id, {article.id, article.sifra, article.naziv});
    stock_.insert(article.id, article);
}

void frmEracun::toggleService() {
    const int line = selectedLine();
    if (line < 0 || doc_->lines[size_t(line)].kind != LineKind::Service) return;
    choices_[size_t(line)].spread = !choices_[size_t(line)].spread;
    refreshLines();
}

// ---- Posting --------------------------------------------------------------------------------

namespace {
bool refuse(const QString& text) {
    MsgBoxHr(text, MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Unos nepotpun"));
    return false;
}
}  // namespace

// The supplier in the book and an article on every goods line.
bool frmEracun::checkSupplierAndArticles() {
    if (supplier_.partnerId.isEmpty())
        return refuse(QStringLiteral("Dobavljač %1 nije u knjizi: unesite ga gumbom Unos "
                                     "dobavljača.")
                          .arg(doc_->supplier.name));
    for (size_t i = 0; i < doc_->lines.size(); ++i)
        if (doc_->lines[i].kind == LineKind::Goods && choices_[i].articleId.isEmpty())
            return refuse(QStringLiteral("Stavka %1 (%2) nema artikla: odaberite ga pretragom "
                                         "ili unesite novi artikl.")
                              .arg(i + 1)
                              .arg(doc_->lines[i].name));
    return true;
}

bool frmEracun::post() {
    if (!doc_) return false;
    if (!checkSupplierAndArticles()) return false;
    if (doc_->creditNote) return postReturn();
    if (cbodokument_->currentText().isEmpty())
        return refuse(QStringLiteral("Nije odabran dokument!"));
    const Costing cost = costing();
    if (!cost.error.isEmpty()) return refuse(cost.error);
    for (const CostedLine& c : cost.lines) {
        const Line& l = doc_->lines[size_t(c.line)];
        if (c.cost.toDouble() > frmPrimka::MaxReceiptAmount)
            return refuse(QStringLiteral("Iznos stavke %1 (%2) prelazi 9 999 999: takva se "
                                         "primka ne unosi.")
                              .arg(c.line + 1)
                              .arg(l.name));
        // The receipt's fields take two decimals and at most 99 999,99.
        const double quantity = numberOrZero(format00(l.quantity.toDouble()));
        if (quantity == 0 || quantity > 99999.99 || c.unitPrice.toDouble() > 99999.99 ||
            c.unitPrice.micros <= 0)
            return refuse(QStringLiteral("Stavka %1 (%2): količina %3 i cijena %4 ne mogu u "
                                         "primku (dvije decimale, veće od nule, najviše "
                                         "99 999,99).")
                              .arg(c.line + 1)
                              .arg(l.name, quantityText(l.quantity), shown(c.unitPrice)));
    }

    Import import;
    import.partnerId = supplier_.partnerId;
    import.partnerName = supplier_.name;
    import.documentType = cbodokument_->currentText();
    import.number = doc_->number;
    import.issueDate = doc_->issueDate;
    import.postingDate = txtdatumprimke_->date();
    import.fileName = QFileInfo(filePath_).fileName();
    for (const CostedLine& c : cost.lines) {
        const Line& l = doc_->lines[size_t(c.line)];
        const ArticleChoice a = articles_.value(choices_[size_t(c.line)].articleId);
        const double quantity = l.quantity.toDouble();
        const double amount = numberOrZero(format00(quantity)) * c.unitPrice.toDouble();
        import.lines.push_back({a.id, a.sifra, a.naziv, format00(quantity), shown(c.unitPrice),
                                format00(amount), itemKey(l)});
    }

    try {
        if (const int posted = postedReceipt(book_, import.partnerId, import.number)) {
            MsgBoxHr(alreadyPostedText(import.number, import.partnerName, posted),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
            return false;
        }
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Podatke skladišta nije moguće pročitati."), e);
        return false;
    }
    if (const QString problem = totalsProblem(*doc_); !problem.isEmpty()) {
        if (MsgBoxHr(problem + QStringLiteral("\nŽelite li ipak unijeti primku?"),
                     MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                     QStringLiteral("Iznosi se ne slažu")) != MsgResult::Yes)
            return false;
    }
    if (MsgBoxHr(QStringLiteral("Unosimo u bazu?"), MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Unošenje")) != MsgResult::Yes)
        return false;

    ImportResult result;
    try {
        result = postImport(book_, import);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Primka nije unešena; skladište je ostalo kakvo je bilo."), e);
        return false;
    }
    if (result.alreadyPostedAs) {
        MsgBoxHr(alreadyPostedText(import.number, import.partnerName, result.alreadyPostedAs),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
        return false;
    }
    switch (result.posting.refusal) {
        case PostingRefusal::None:
            break;
        case PostingRefusal::PartnerMissing:
            return refuse(QStringLiteral("Nema dobavljača u tablici, morate dodati dobavljača!"));
        case PostingRefusal::DocumentTypeMissing:
            return refuse(QStringLiteral("Nema dokumenta u tablici, morate dodati dokument!"));
    }

    clearDocument();
    sayPosted(DocumentKind::Receipt, result.receiptNumber);
    return true;
}

// The credit note's goods back to the supplier as an issue: every article must have the
// quantity in stock (all lines of an article together), and goes at its average price.
bool frmEracun::postReturn() {
    Import import;
    import.partnerId = supplier_.partnerId;
    import.partnerName = supplier_.name;
    import.number = doc_->number;
    import.issueDate = doc_->issueDate;
    import.postingDate = txtdatumprimke_->date();
    import.fileName = QFileInfo(filePath_).fileName();
    try {
        if (const int posted = postedCreditNote(book_, import.partnerId, import.number)) {
            MsgBoxHr(creditNotePostedText(import.number, import.partnerName, posted),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
            return false;
        }
        QHash<QString, double> taken;
        for (size_t i = 0; i < doc_->lines.size(); ++i) {
            const Line& l = doc_->lines[i];
            if (l.kind != LineKind::Goods) continue;
            const auto article = findArticle(book_, choices_[i].articleId);
            if (!article)
                return refuse(
                    QStringLiteral("Artikl stavke %1 više ne postoji u skladištu!").arg(i + 1));
            const QString quantity = format00(l.quantity.toDouble());
            taken[article->id] += numberOrZero(quantity);
            const double stock = numberOrZero(format00(article->stanje, Precision::Single));
            if (taken[article->id] > stock)
                return refuse(QStringLiteral("Na skladištu nema toliko! Artikl %1 %2: na stanju "
                                             "%3, povrat %4.")
                                  .arg(article->sifra, article->naziv, format00(stock),
                                       format00(taken[article->id])));
            const QString price = offeredPriceText(*article);
            import.lines.push_back({article->id, article->sifra, article->naziv, quantity, price,
                                    formatEntry(numberOrZero(quantity) * numberOrZero(price)),
                                    QString()});
        }
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Podatke skladišta nije moguće pročitati."), e);
        return false;
    }
    if (const QString problem = totalsProblem(*doc_); !problem.isEmpty()) {
        if (MsgBoxHr(problem + QStringLiteral("\nŽelite li ipak unijeti izdatnicu?"),
                     MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                     QStringLiteral("Iznosi se ne slažu")) != MsgResult::Yes)
            return false;
    }
    if (MsgBoxHr(QStringLiteral("Iznosimo iz baze povrat dobavljaču %1?").arg(import.partnerName),
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Unošenje")) != MsgResult::Yes)
        return false;
    ImportResult result;
    try {
        result = postCreditNote(book_, import);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Izdatnica nije unešena; skladište je ostalo kakvo je bilo."),
                    e);
        return false;
    }
    if (result.alreadyPostedAs) {
        MsgBoxHr(creditNotePostedText(import.number, import.partnerName, result.alreadyPostedAs),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("E-račun"));
        return false;
    }
    if (result.posting.refusal != PostingRefusal::None)
        return refuse(QStringLiteral("Nema dobavljača u tablici, morate dodati dobavljača!"));
    clearDocument();
    sayPosted(DocumentKind::Issue, result.receiptNumber);
    return true;
}

// The posted number with the print offer, as the receipt and issue window says it; an open
// receipt and issue window of that kind reads its next number again.
void frmEracun::sayPosted(DocumentKind kind, int posted) {
    const bool receipt = kind == DocumentKind::Receipt;
    if (auto* w = windows().loaded<frmPrimka>(kDocumentWindowName); w && w->kind() == kind)
        w->refreshNumber();
    const QString number = QString::number(posted);
    const QString said = (receipt ? QStringLiteral("Primka br. %1 je unesena.")
                                  : QStringLiteral("Izdatnica br. %1 je unesena."))
                             .arg(number);
    const PostedDocumentPrinter& print = postedDocumentPrinter();
    if (!print) {
        MsgBoxHr(said, MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Unošenje"));
    } else if (MsgBoxHr(said + (receipt ? QStringLiteral("\nŽelite li ispisati primku?")
                                        : QStringLiteral("\nŽelite li ispisati izdatnicu?")),
                        MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                        QStringLiteral("Unošenje")) == MsgResult::Yes) {
        print(book_, kind, number);
    }
}

// A search still open for this window closes with it, and the mode goes back to the receipt's.
bool frmEracun::queryClose() {
    if (context().documentMode == searchMode()) {
        if (QWidget* search = windows().loaded(win::ArtikliIzbor)) search->close();
        context().documentMode = QStringLiteral("Primka");
    }
    return true;
}

}  // namespace kl
