#include "reports/frmpregledprimki.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "reports/documentreports.h"
#include "reports/reportwindows.h"
#include "ui/controls.h"
#include "ui/msgboxhr.h"
#include "warehouse/reversal.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace kl {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// A date picker that keeps its place in the frame while it is hidden.
QDateEdit* datePicker(QWidget* parent, const char* name) {
    QDateEdit* d = makeDatePicker(parent, name);
    QSizePolicy policy = d->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    d->setSizePolicy(policy);
    return d;
}

QComboBox* chooser(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(false);
    c->setMaxVisibleItems(20);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(8);
    return c;
}

// Fills a chooser without running its click, the first entry chosen.
void fill(QComboBox* c, const QStringList& items) {
    const QSignalBlocker block(c);
    c->clear();
    c->addItems(items);
    c->setCurrentIndex(items.isEmpty() ? -1 : 0);
}

}  // namespace

void printPostedDocument(const BookLocation& book, DocumentKind kind, const QString& number) {
    const bool receipt = kind == DocumentKind::Receipt;
    QString text;
    try {
        const DocumentView document = readDocument(book, kind, number);
        text = fullViewText(kind, &document);
    } catch (const DbError& e) {
        showDbError(receipt ? QStringLiteral("Primku nije moguće ispisati.")
                            : QStringLiteral("Izdatnicu nije moguće ispisati."),
                    e);
        return;
    }
    const QString name =
        (receipt ? QStringLiteral("Primka ") : QStringLiteral("Izdatnica ")) + number;
    showPrintResult(printText(name, text, fittedTo(reportPageSetup(), text)));
}

frmpregledprimki::frmpregledprimki(DocumentKind kind, QWidget* parent)
    : ReportWindow(parent), kind_(kind) {
    const bool receipts = kind == DocumentKind::Receipt;
    setObjectName(receipts ? win::PregledPrimki : win::PregledIzdatnica);
    setCaption(receipts ? QStringLiteral("Pregled primki") : QStringLiteral("Pregled izdatnica"));

    optzakljucak_ = makeOption(this, "optzakljucak", QStringLiteral("Zaključak"));
    optprikaz_ = makeOption(this, "optprikaz", QStringLiteral("Cjelovit prikaz"));
    Optjedne_ = makeOption(this, "Optjedne", QStringLiteral("Jedne"));
    optvise_ = makeOption(this, "optvise", QStringLiteral("Više"));
    optdatumu_ = makeOption(this, "optdatumu", QStringLiteral("Datumu"));
    optdobavljacu_ = makeOption(this, "optdobavljacu", QStringLiteral("Dobavljaču"));
    QGroupBox* frame5 = makeOptionFrame(this, "Frame5", {optzakljucak_, optprikaz_});
    QGroupBox* frame2 = makeOptionFrame(this, "Frame2", {Optjedne_, optvise_});
    Frame4_ = makeOptionFrame(this, "Frame4", {optdatumu_, optdobavljacu_});
    optzakljucak_->setChecked(true);
    Optjedne_->setChecked(true);
    optdatumu_->setChecked(true);

    Framedatum_ = new QGroupBox(this);
    Framedatum_->setObjectName(QStringLiteral("Framedatum"));
    lblod_ = makeLabel(Framedatum_, "lblod", QStringLiteral("Od :"));
    lbldo_ = makeLabel(Framedatum_, "lbldo", QStringLiteral("Do :"));
    dtpod_ = datePicker(Framedatum_, "dtpod");
    dtpdo_ = datePicker(Framedatum_, "dtpdo");
    lblod_->setBuddy(dtpod_);
    lbldo_->setBuddy(dtpdo_);
    auto* dates = new QGridLayout(Framedatum_);
    dates->addWidget(lblod_, 0, 0);
    dates->addWidget(dtpod_, 0, 1);
    dates->addWidget(lbldo_, 1, 0);
    dates->addWidget(dtpdo_, 1, 1);

    frameprimkadobavljac_ = new QGroupBox(this);
    frameprimkadobavljac_->setObjectName(QStringLiteral("frameprimkadobavljac"));
    lblprimka_ = makeLabel(frameprimkadobavljac_, "lblprimka",
                           receipts ? QStringLiteral("Primka:") : QStringLiteral("Izdatnica:"));
    lbldobavljac_ =
        makeLabel(frameprimkadobavljac_, "lbldobavljac",
                  receipts ? QStringLiteral("Dobavljač:") : QStringLiteral("Mj.troška:"));
    cboizborprimke_ = chooser(frameprimkadobavljac_, "cboizborprimke");
    cboizbordobavljaca_ = chooser(frameprimkadobavljac_, "cboizbordobavljaca");
    lblprimka_->setBuddy(cboizborprimke_);
    lbldobavljac_->setBuddy(cboizbordobavljaca_);
    auto* choosers = new QHBoxLayout(frameprimkadobavljac_);
    choosers->addWidget(lblprimka_);
    choosers->addWidget(cboizborprimke_, 1);
    choosers->addSpacing(12);
    choosers->addWidget(lbldobavljac_);
    choosers->addWidget(cboizbordobavljaca_, 3);
    // Typing into the document chooser, closed or with its list open, chooses nothing.
    cboizborprimke_->installEventFilter(this);
    cboizborprimke_->view()->installEventFilter(this);

    auto* cmdprikazart = makeButton(this, "cmdprikazart", QStringLiteral("&Prikaz"));
    QPushButton* cmdispisart = makePrintButton();
    QPushButton* exit = makeExitButton(receipts ? "Command1" : "cmdizlaz");
    auto* cmdstorno = makeButton(this, "cmdstorno", QStringLiteral("S&torno..."),
                                 receipts ? QStringLiteral("Storno odabrane primke")
                                          : QStringLiteral("Storno odabrane izdatnice"));
    ReportView* rtfprimke = makeReportBox("rtfprimke");

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdprikazart);
    buttons->addWidget(cmdispisart);
    buttons->addWidget(cmdstorno);
    buttons->addWidget(exit);
    buttons->addStretch();
    auto* options = new QHBoxLayout;
    options->addWidget(frame5);
    options->addWidget(frame2);
    options->addWidget(Frame4_);
    options->addWidget(Framedatum_);
    options->addStretch();
    options->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(frameprimkadobavljac_);
    layout->addWidget(rtfprimke, 1);

    setTabOrder(optzakljucak_, optprikaz_);
    setTabOrder(optprikaz_, Optjedne_);
    setTabOrder(Optjedne_, optvise_);
    setTabOrder(optvise_, optdatumu_);
    setTabOrder(optdatumu_, optdobavljacu_);
    setTabOrder(optdobavljacu_, dtpod_);
    setTabOrder(dtpod_, dtpdo_);
    setTabOrder(dtpdo_, cboizborprimke_);
    setTabOrder(cboizborprimke_, cboizbordobavljaca_);
    setTabOrder(cboizbordobavljaca_, cmdprikazart);
    setTabOrder(cmdprikazart, cmdispisart);
    setTabOrder(cmdispisart, cmdstorno);
    setTabOrder(cmdstorno, exit);
    setTabOrder(exit, rtfprimke);

    connect(optzakljucak_, &QRadioButton::clicked, this, &frmpregledprimki::optzakljucakClick);
    connect(optprikaz_, &QRadioButton::clicked, this, &frmpregledprimki::optprikazClick);
    connect(Optjedne_, &QRadioButton::clicked, this, &frmpregledprimki::optjedneClick);
    connect(optvise_, &QRadioButton::clicked, this, &frmpregledprimki::optviseClick);
    connect(optdatumu_, &QRadioButton::clicked, this, &frmpregledprimki::optdatumuClick);
    connect(optdobavljacu_, &QRadioButton::clicked, this, &frmpregledprimki::optdobavljacuClick);
    connect(cboizbordobavljaca_, &QComboBox::activated, this,
            &frmpregledprimki::cboizbordobavljacaClick);
    connect(cmdprikazart, &QPushButton::clicked, this, &frmpregledprimki::cmdprikazartClick);
    connect(cmdstorno, &QPushButton::clicked, this, &frmpregledprimki::reverseChosen);

    setInitialFocus(cboizborprimke_);

    fillDocumentChooser();
    for (QWidget* c : std::initializer_list<QWidget*>{optdatumu_, optdobavljacu_, Framedatum_,
                                                      cboizbordobavljaca_, lbldobavljac_})
        c->setEnabled(false);
    frameprimkadobavljac_->setEnabled(true);
}

BookLocation frmpregledprimki::book() const {
    return context().currentBook();
}

bool frmpregledprimki::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == cboizborprimke_ || watched == cboizborprimke_->view())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        if (!shortcut && !text.isEmpty() && text.front().isPrint()) return true;
    }
    return ReportWindow::eventFilter(watched, event);
}

void frmpregledprimki::fillDocumentChooser() {
    QStringList numbers;
    try {
        numbers = documentNumbers(book(), kind_);
    } catch (const DbError& e) {
        fill(cboizborprimke_, {});
        showReportError(e.description());
        return;
    }
    fill(cboizborprimke_, numbers);
}

void frmpregledprimki::reverseChosen() {
    const bool receipt = kind_ == DocumentKind::Receipt;
    const QString word = receipt ? QStringLiteral("primku") : QStringLiteral("izdatnicu");
    const QString title =
        receipt ? QStringLiteral("Storno primke") : QStringLiteral("Storno izdatnice");
    const int number = cboizborprimke_->currentText().trimmed().toInt();
    if (number <= 0) {
        MsgBoxHr(QStringLiteral("Odaberite %1 koju želite stornirati.").arg(word),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, title);
        return;
    }
    try {
        const QString refusal = reversalRefusal(book(), kind_, number);
        if (!refusal.isEmpty()) {
            MsgBoxHr(refusal, MsgStyle::OkOnly | MsgStyle::Exclamation, title);
            return;
        }
        if (MsgBoxHr(QStringLiteral("Stornirati %1 br. %2?\n\nUnijet će se nova %3 s istim "
                                    "stavkama i negativnim količinama i iznosima; %1 br. %2 "
                                    "ostaje kakva jest.")
                         .arg(word)
                         .arg(number)
                         .arg(receipt ? QStringLiteral("primka") : QStringLiteral("izdatnica")),
                     MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                     title) != MsgResult::Yes)
            return;
        const ReversalResult r = reverseDocument(book(), kind_, number, QDate::currentDate());
        if (!r.refusal.isEmpty()) {
            MsgBoxHr(r.refusal, MsgStyle::OkOnly | MsgStyle::Exclamation, title);
            return;
        }
        MsgBoxHr(QStringLiteral("%1 br. %2 je unesena: %3.")
                     .arg(receipt ? QStringLiteral("Primka") : QStringLiteral("Izdatnica"))
                     .arg(r.number)
                     .arg(reversalNote(kind_, number)),
                 MsgStyle::OkOnly | MsgStyle::Information, title);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Storno nije unesen."), e);
        return;
    }
    fillDocumentChooser();
}

void frmpregledprimki::optzakljucakClick() {
    Optjedne_->setChecked(true);
    lblprimka_->setEnabled(true);
    optjedneClick();
    optvise_->setEnabled(true);
}

void frmpregledprimki::optprikazClick() {
    Optjedne_->setChecked(true);
    for (QWidget* c :
         std::initializer_list<QWidget*>{optdatumu_, optdobavljacu_, lbldobavljac_, optvise_,
                                         lblod_, lbldo_, cboizbordobavljaca_})
        c->setEnabled(false);
    dtpod_->hide();
    dtpdo_->hide();
    for (QWidget* c :
         std::initializer_list<QWidget*>{lblprimka_, cboizborprimke_, frameprimkadobavljac_})
        c->setEnabled(true);
    optjedneClick();
}

void frmpregledprimki::optjedneClick() {
    {
        const QSignalBlocker block(cboizborprimke_);
        cboizborprimke_->clear();
    }
    if (!optzakljucak_->isChecked() && !optprikaz_->isChecked()) return;
    for (QWidget* c : std::initializer_list<QWidget*>{optdatumu_, optdobavljacu_, Framedatum_,
                                                      cboizbordobavljaca_, lbldobavljac_})
        c->setEnabled(false);
    frameprimkadobavljac_->setEnabled(true);
    fillDocumentChooser();
}

void frmpregledprimki::optviseClick() {
    optdatumu_->setEnabled(true);
    optdobavljacu_->setEnabled(true);
    dtpod_->show();
    dtpdo_->show();
    if (!optzakljucak_->isChecked()) return;
    if (optdatumu_->isChecked()) {
        Frame4_->setEnabled(true);
        Framedatum_->setEnabled(true);
        cboizbordobavljaca_->setEnabled(false);
        lbldobavljac_->setEnabled(false);
        frameprimkadobavljac_->setEnabled(false);
    } else if (optdobavljacu_->isChecked()) {
        Framedatum_->setEnabled(false);
        Frame4_->setEnabled(true);
        cboizbordobavljaca_->setEnabled(true);
        lbldobavljac_->setEnabled(true);
    }
}

void frmpregledprimki::optdatumuClick() {
    if (!optvise_->isChecked()) return;
    Framedatum_->setEnabled(true);
    frameprimkadobavljac_->setEnabled(false);
}

void frmpregledprimki::optdobavljacuClick() {
    partnerIds_.clear();
    fill(cboizbordobavljaca_, {});
    if (optzakljucak_->isChecked() && optvise_->isChecked()) {
        Framedatum_->setEnabled(false);
        frameprimkadobavljac_->setEnabled(true);
        cboizbordobavljaca_->setEnabled(true);
        lbldobavljac_->setEnabled(true);
    }
    std::vector<PartnerChoice> partners;
    try {
        partners = documentPartners(book(), kind_);
    } catch (const DbError& e) {
        showReportError(e.description());
    }
    QStringList names;
    for (const PartnerChoice& p : partners) {
        partnerIds_.push_back(p.id);
        names.append(p.name);
    }
    fill(cboizbordobavljaca_, names);
    cboizbordobavljacaClick();
}

void frmpregledprimki::cboizbordobavljacaClick() {
    fill(cboizborprimke_, {});
    const int index = cboizbordobavljaca_->currentIndex();
    if (index < 0 || index >= int(partnerIds_.size())) return;
    std::vector<DocumentSummary> documents;
    try {
        documents = partnerDocuments(book(), kind_, partnerIds_[size_t(index)]);
    } catch (const DbError& e) {
        showReportError(e.description());
        return;
    }
    QStringList numbers;
    for (const DocumentSummary& d : documents)
        numbers.append(QString::number(d.number));
    fill(cboizborprimke_, numbers);
}

void frmpregledprimki::cmdprikazartClick() {
    const BusyCursor busy;
    if (optprikaz_->isChecked()) {
        prikazprimke();
    } else if (optzakljucak_->isChecked()) {
        if (Optjedne_->isChecked())
            zakljucakjedne();
        else if (optvise_->isChecked() && optdatumu_->isChecked())
            zakljucakvisedatum();
        else if (optvise_->isChecked() && optdobavljacu_->isChecked())
            zakljucakvisedobavljac();
    }
}

void frmpregledprimki::zakljucakjedne() {
    QString text = summaryHeading(kind_, false);
    shownSheet_.reset();
    try {
        const DocumentView document = readDocument(book(), kind_, cboizborprimke_->currentText());
        text += summaryLine(kind_, document.summary);
        shownSheet_ = summarySheet(kind_, {document.summary}, QDate::currentDate());
    } catch (const DbError& e) {
        setReportText(text);
        showReportError(e.description());
        return;
    }
    setReportText(text);
}

void frmpregledprimki::zakljucakvisedatum() {
    shownSheet_.reset();
    try {
        const auto documents = std::make_shared<const std::vector<DocumentSummary>>(
            documentsInRange(book(), kind_, dtpod_->date(), dtpdo_->date()));
        setReportSource(summaryReport(kind_, documents));
        shownSheet_ = summarySheet(kind_, documents, QDate::currentDate());
    } catch (const DbError& e) {
        setReportText(summaryHeading(kind_, true));
        showReportError(e.description());
    }
}

void frmpregledprimki::zakljucakvisedobavljac() {
    // The chosen partner's documents as they stand now.
    const int index = cboizbordobavljaca_->currentIndex();
    shownSheet_.reset();
    try {
        std::vector<DocumentSummary> read;
        if (index >= 0 && index < int(partnerIds_.size()))
            read = partnerDocuments(book(), kind_, partnerIds_[size_t(index)]);
        const auto documents =
            std::make_shared<const std::vector<DocumentSummary>>(std::move(read));
        setReportSource(summaryReport(kind_, documents));
        shownSheet_ = summarySheet(kind_, documents, QDate::currentDate());
    } catch (const DbError& e) {
        setReportText(summaryHeading(kind_, true));
        showReportError(e.description());
    }
}

void frmpregledprimki::prikazprimke() {
    std::optional<DocumentView> document;
    QString error;
    try {
        document = readDocument(book(), kind_, cboizborprimke_->currentText());
    } catch (const DbError& e) {
        error = e.description();
    }
    setReportText(fullViewText(kind_, document ? &*document : nullptr));
    if (document)
        shownSheet_ = fullViewSheet(kind_, *document);
    else
        shownSheet_.reset();
    if (!error.isEmpty()) showReportError(error);
}

}  // namespace kl
