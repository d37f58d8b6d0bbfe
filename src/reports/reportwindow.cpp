#include "reports/reportwindow.h"

#include "ui/controls.h"
#include "ui/msgboxhr.h"

#include <QApplication>
#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

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

QPlainTextEdit* ReportWindow::makeReportBox(const char* name) {
    reportBox_ = new QPlainTextEdit(this);
    reportBox_->setObjectName(QString::fromLatin1(name));
    reportBox_->setReadOnly(true);
    reportBox_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    reportBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    reportBox_->setUndoRedoEnabled(false);
    QFont font(QStringLiteral("Courier New"), 9);
    font.setStyleHint(QFont::TypeWriter);
    reportBox_->setFont(font);
    return reportBox_;
}

QPushButton* ReportWindow::makePrintButton() {
    QPushButton* b = makeButton(this, "cmdispisart", QStringLiteral("I&spis"));
    connect(b, &QPushButton::clicked, this, &ReportWindow::printReport);
    return b;
}

QPushButton* ReportWindow::makeExitButton(const char* name) {
    QPushButton* b = makeButton(this, name, QStringLiteral("&Izlaz"));
    connect(b, &QPushButton::clicked, this, &QWidget::close);
    return b;
}

void ReportWindow::setReportText(const QString& text) {
    reportText_ = text;
    if (!reportBox_) return;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(u'\n')) shown.chop(1);  // the box shows no empty line after the last one
    reportBox_->setPlainText(shown);
}

QString ReportWindow::textToPrint() const {
    if (!reportBox_) return reportText_;
    const QTextCursor cursor = reportBox_->textCursor();
    if (!cursor.hasSelection()) return reportText_;
    QString selected = cursor.selectedText();
    selected.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    return selected;
}

void ReportWindow::printReport() {
    if (reportText_.isEmpty()) return;
    if (MsgBoxHr(QStringLiteral("Ispis na pisač?"), MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Ispis!")) != MsgResult::Yes)
        return;
    const PrintResult result = printText(printName(), textToPrint(), reportPageSetup());
    showPrintResult(result);
}

void ReportWindow::showReportError(const QString& description) {
    MsgBoxHr(description, MsgStyle::OkOnly, QString());
}

}  // namespace kl
