#include "reports/reportwindow.h"

#include "ui/controls.h"
#include "ui/msgboxhr.h"

#include <QApplication>
#include <QBoxLayout>
#include <QPushButton>

namespace kl {

PageSetup reportPageSetup() {
    PageSetup setup;
    setup.orientation = QPageLayout::Portrait;
    setup.font = QFont(QStringLiteral("Courier New"), 9);
    setup.margins = QMarginsF(25.4, 25.4, 25.4, 25.4);
    return setup;
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

ReportWindow::ReportWindow(QWidget* parent) : ChildWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

ReportView* ReportWindow::makeReportBox(const char* name) {
    reportBox_ = new ReportView(this);
    reportBox_->setObjectName(QString::fromLatin1(name));
    return reportBox_;
}

QPushButton* ReportWindow::makePrintButton() {
    QPushButton* b = makeButton(this, "cmdispisart", QStringLiteral("I&spis"));
    connect(b, &QPushButton::clicked, this, &ReportWindow::printReport);
    printButton_ = b;
    previewButton_ = makeButton(this, "cmdpregledispisa", QStringLiteral("Pre&gled ispisa"),
                                QStringLiteral("Pregled ispisa po stranicama"));
    previewButton_->hide();
    connect(previewButton_, &QPushButton::clicked, this, &ReportWindow::previewReport);
    excelButton_ = makeButton(this, "cmdizvozexcel", QStringLiteral("Izvoz u E&xcel..."),
                              QStringLiteral("Prikazani izvještaj u tablicu (.xlsx)"));
    csvButton_ = makeButton(this, "cmdizvozcsv", QStringLiteral("Izvoz u &CSV..."),
                            QStringLiteral("Prikazani izvještaj u datoteku CSV"));
    excelButton_->hide();
    csvButton_->hide();
    connect(excelButton_, &QPushButton::clicked, this, [this] { exportReport(true); });
    connect(csvButton_, &QPushButton::clicked, this, [this] { exportReport(false); });
    return b;
}

void ReportWindow::showEvent(QShowEvent* event) {
    // The preview button goes right after the print button, wherever the window laid that out.
    if (previewButton_ && previewButton_->isHidden() &&
        !previewButton_->property("klPlaced").toBool()) {
        for (QBoxLayout* layout : findChildren<QBoxLayout*>()) {
            const int at = layout->indexOf(printButton_);
            if (at < 0) continue;
            layout->insertWidget(at + 1, previewButton_);
            previewButton_->show();
            setTabOrder(printButton_, previewButton_);
            if (exportsSheets()) {
                layout->insertWidget(at + 2, excelButton_);
                layout->insertWidget(at + 3, csvButton_);
                excelButton_->show();
                csvButton_->show();
                setTabOrder(previewButton_, excelButton_);
                setTabOrder(excelButton_, csvButton_);
            }
            break;
        }
        previewButton_->setProperty("klPlaced", true);
    }
    ChildWindow::showEvent(event);
}

QPushButton* ReportWindow::makeExitButton(const char* name) {
    QPushButton* b = makeButton(this, name, QStringLiteral("&Izlaz"));
    connect(b, &QPushButton::clicked, this, &QWidget::close);
    return b;
}

void ReportWindow::setReportText(const QString& text) {
    reportSource_.reset();
    reportText_ = text;
    if (reportBox_) reportBox_->setText(text);
}

void ReportWindow::setReportSource(std::shared_ptr<const ReportSource> source) {
    reportText_.clear();
    reportSource_ = std::move(source);
    if (reportBox_) reportBox_->setSource(reportSource_);
}

QString ReportWindow::reportText() const {
    return reportSource_ ? reportSource_->text() : reportText_;
}

bool ReportWindow::hasReport() const {
    return reportSource_ ? reportSource_->lineCount() > 0 : !reportText_.isEmpty();
}

QString ReportWindow::textToPrint() const {
    if (reportBox_ && reportBox_->hasSelection()) return reportBox_->selectedText();
    return reportText();
}

void ReportWindow::printReport() {
    if (!hasReport()) return;
    if (MsgBoxHr(QStringLiteral("Ispis na pisač?"), MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Ispis!")) != MsgResult::Yes)
        return;
    const PrintResult result =
        printText(printName(), textToPrint(), fittedTo(reportPageSetup(), reportText()));
    showPrintResult(result);
}

void ReportWindow::previewReport() {
    if (!hasReport()) return;
    previewText(this, printName(), textToPrint(), fittedTo(reportPageSetup(), reportText()));
}

void ReportWindow::setSaveFileChooser(SaveFileChooser chooser) {
    kl::setSaveFileChooser(std::move(chooser));
}

void ReportWindow::exportReport(bool xlsx) {
    exportSheet(this, xlsx, [this] { return reportSheet(); });
}

void ReportWindow::showReportError(const QString& description) {
    MsgBoxHr(description, MsgStyle::OkOnly, QString());
}

}  // namespace kl
