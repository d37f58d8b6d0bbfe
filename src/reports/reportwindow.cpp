#include "reports/reportwindow.h"

#include "ui/controls.h"
#include "ui/msgboxhr.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

namespace {

ReportWindow::SaveFileChooser& saveFileChooser() {
    static ReportWindow::SaveFileChooser chooser;
    return chooser;
}

QString& lastExportFolder() {
    static QString folder = QDir::homePath();
    return folder;
}

}  // namespace

void ReportWindow::setSaveFileChooser(SaveFileChooser chooser) {
    saveFileChooser() = std::move(chooser);
}

void ReportWindow::exportReport(bool xlsx) {
    const QString title = xlsx ? QStringLiteral("Izvoz u Excel") : QStringLiteral("Izvoz u CSV");
    const std::optional<sheet::Sheet> table = reportSheet();
    if (!table) {
        MsgBoxHr(QStringLiteral("Najprije prikažite izvještaj (Prikaz), pa ga izvezite."),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, title);
        return;
    }
    const QString extension = xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
    const QString proposed =
        QDir(lastExportFolder())
            .filePath(sheet::proposedFileName(table->name, QDate::currentDate(), extension));
    QString path;
    if (saveFileChooser()) {
        path = saveFileChooser()(title, proposed);
    } else {
        path = QFileDialog::getSaveFileName(
            this, title, proposed,
            xlsx ? QStringLiteral("Excel (*.xlsx)") : QStringLiteral("CSV (*.csv)"), nullptr,
            QFileDialog::DontConfirmOverwrite);
    }
    if (path.isEmpty()) return;
    if (!path.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive))
        path += QLatin1Char('.') + extension;
    lastExportFolder() = QFileInfo(path).absolutePath();
    if (QFileInfo::exists(path) &&
        MsgBoxHr(QStringLiteral("Datoteka %1 već postoji. Zamijeniti je?")
                     .arg(QDir::toNativeSeparators(path)),
                 MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                 title) != MsgResult::Yes)
        return;
    QString error;
    {
        BusyCursor busy;
        error = xlsx ? sheet::writeXlsx(path, *table) : sheet::writeCsv(path, *table);
    }
    if (!error.isEmpty()) {
        MsgBoxHr(error, MsgStyle::OkOnly | MsgStyle::Critical, title);
        return;
    }
    MsgBoxHr(
        QStringLiteral("Izvještaj je spremljen u datoteku %1.").arg(QDir::toNativeSeparators(path)),
        MsgStyle::OkOnly | MsgStyle::Information, title);
}

void ReportWindow::showReportError(const QString& description) {
    MsgBoxHr(description, MsgStyle::OkOnly, QString());
}

}  // namespace kl
