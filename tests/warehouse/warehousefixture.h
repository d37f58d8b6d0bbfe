#pragma once
// What the warehouse window tests share: a fresh warehouse book entered as the current book, a
// stand-in for the receipt and issue window that records what the master-data windows write
// into its lists, the windows' controls by name, and the message boxes as texts to compare.

#include "data/appcontext.h"
#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"
#include "warehouse/documentlists.h"
#include "warehouse/warehousewindows.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace kl::test {

class FakeDocumentWindow : public QWidget, public DocumentLists {
    Q_OBJECT
  public:
    void setPartnerNames(const QStringList& names) override {
        partners = names;
        ++partnerRefreshes;
    }
    void addDocumentType(const QString& name) override { documentTypes.append(name); }
    void setArticleChoices(const std::vector<ArticleChoice>& articles) override {
        choices.clear();
        for (const ArticleChoice& a : articles)
            choices.append(a.id + ' ' + a.sifra + ' ' + a.naziv);
        ++choiceRefreshes;
    }
    void showArticlesChoosingLast(const std::vector<ArticleRow>& articles) override {
        shown.clear();
        for (const ArticleRow& a : articles)
            shown.append(a.sifra + ' ' + a.naziv);
        chosen = articles.empty() ? QString() : articles.back().id + ' ' + shown.back();
    }

    QStringList partners, documentTypes;
    QStringList choices;  // "id code name", as the id, code and name lists hold them
    QStringList shown;    // "code name" of the code and name lists
    QString chosen;       // "id code name" of the chosen article
    int partnerRefreshes = 0, choiceRefreshes = 0;
};

// Defines the stand-in under the document window's name and loads it.
inline FakeDocumentWindow* loadFakeDocumentWindow() {
    windows().define(kDocumentWindowName, [] { return new FakeDocumentWindow; });
    return windows().window<FakeDocumentWindow>(kDocumentWindowName);
}

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

// Each test gets a company with one warehouse book entered as the current book, the warehouse
// windows defined and every message box scripted; all windows are closed after it.
class WarehouseWindowTest : public QObject {
    Q_OBJECT
  protected:
    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<ScriptedMsgBox> box_;
    QString book_;

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        box_ = std::make_unique<ScriptedMsgBox>();
        book_ = enterNewWarehouseBook();
        defineWarehouseWindows();
    }
    void cleanup() {
        windows().clear();
        QTest::qWait(20);
        box_.reset();
        folder_.reset();
    }
};

}  // namespace kl::test
