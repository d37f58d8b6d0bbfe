#pragma once
// Walking a window as the clerk does: its controls by name, clicks on buttons and list rows, and
// the message boxes shown as texts to compare.

#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/printing.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace kl::test {

inline QLineEdit* field(QWidget* w, const char* name) {
    return control<QLineEdit>(w, QString::fromLatin1(name));
}
inline QPushButton* button(QWidget* w, const char* name) {
    return control<QPushButton>(w, QString::fromLatin1(name));
}
inline ReportList* list(QWidget* w, const char* name) {
    return control<ReportList>(w, QString::fromLatin1(name));
}
inline void click(QWidget* w, const char* name) {
    QPushButton* b = button(w, name);
    QVERIFY2(b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}
// A click (or double click) on the row of `list` whose `column` reads `text`.
inline void clickRow(ReportList* list, const QString& text, int column, bool twice = false) {
    const int row = list->findRow(text, column);
    QVERIFY2(row >= 0, qPrintable(text));
    const QPoint at = list->visualRect(list->model()->index(row, column)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// A message box as one text: style, title and prompt.
inline QString said(int style, const QString& title, const QString& prompt) {
    return QStringLiteral("[%1] %2: %3").arg(style).arg(title, prompt);
}
// Every box shown so far, in order.
inline QStringList said(const ScriptedMsgBox& box) {
    QStringList texts;
    for (const MsgBoxShown& b : box.shown())
        texts.append(said(b.style, b.title, b.prompt));
    return texts;
}
// True if `b` reports a database failure: `what`, then the engine's description.
inline bool reportsDbError(const MsgBoxShown& b, const QString& what) {
    return b.prompt.startsWith(what) && b.prompt.size() > what.size() &&
           b.title == QStringLiteral("Greška u bazi") &&
           b.style == (MsgStyle::OkOnly | MsgStyle::Critical);
}

// What every window test shares: a fresh program folder wired into the context, every message box
// scripted, and every print going to a PDF file in that folder, recorded in printed_. A test
// class calls beginWindowTest() first in its init() and endWindowTest() in its cleanup().
class WindowTest : public QObject {
  protected:
    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<ScriptedMsgBox> box_;
    QStringList printed_;  // the PDF files written, in order

    void beginWindowTest() {
        folder_ = std::make_unique<TempProgramFolder>();
        box_ = std::make_unique<ScriptedMsgBox>();
        printed_.clear();
        PrintSettings s;
        s.forcePdf = true;
        s.openFile = [this](const QString& path) { printed_.append(path); };
        setPrintSettings(s);
    }
    // Closes every window (letting deferred deletions run) and removes the folder.
    void endWindowTest() {
        windows().clear();
        QTest::qWait(20);
        setPrintSettings(PrintSettings());
        box_.reset();
        folder_.reset();
    }
};

}  // namespace kl::test
