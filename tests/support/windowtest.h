#pragma once
// Walking a window as the clerk does: its controls by name, clicks on buttons and list rows, and
// the message boxes shown as texts to compare.

#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/reportlist.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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

}  // namespace kl::test
