#pragma once
// What the warehouse window tests share: a fresh warehouse book entered as the current book, a
// stand-in for the receipt and issue window that records what the master-data windows write
// into its lists, the windows' controls by name, and the message boxes as texts to compare.

#include "data/appcontext.h"
#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/windowregistry.h"
#include "warehouse/documentlists.h"
#include "warehouse/warehousewindows.h"
#include "windowtest.h"

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

// Each test gets a company with one warehouse book entered as the current book, the warehouse
// windows defined and every message box scripted; all windows are closed after it.
class WarehouseWindowTest : public WindowTest {
    Q_OBJECT
  protected:
    BookLocation book_;

  private slots:
    void init() {
        beginWindowTest();
        book_ = enterNewWarehouseBook();
        defineWarehouseWindows();
    }
    void cleanup() { endWindowTest(); }
};

}  // namespace kl::test
