#pragma once
// A stand-in for the receipt and issue window: registered under its window name, it records
// what the master-data windows write into its lists.

#include "ui/windowregistry.h"
#include "warehouse/documentlists.h"

#include <QWidget>

namespace kl::test {

class FakeDocumentWindow : public QWidget, public DocumentLists {
    Q_OBJECT
  public:
    void setPartnerNames(const QStringList& names) override {
        partners = names;
        ++partnerRefreshes;
    }
    void addDocumentType(const QString& name) override {
        documentTypes.append(name);
        chosenDocumentType = name;
    }
    void setArticleChoices(const std::vector<ArticleChoice>& articles) override {
        choices = articles;
        ++choiceRefreshes;
    }
    void showArticlesChoosingLast(const std::vector<ArticleRow>& articles) override {
        codes.clear();
        names.clear();
        for (const ArticleRow& a : articles) {
            codes.append(a.sifra);
            names.append(a.naziv);
        }
        chosenCode = articles.empty() ? QString() : articles.back().sifra;
        chosenName = articles.empty() ? QString() : articles.back().naziv;
        chosenId = articles.empty() ? QString() : articles.back().id;
    }

    QStringList partners;
    int partnerRefreshes = 0;
    QStringList documentTypes;
    QString chosenDocumentType;
    std::vector<ArticleChoice> choices;
    int choiceRefreshes = 0;
    QStringList codes, names;
    QString chosenCode, chosenName, chosenId;
};

// Defines the stand-in under the document window's name and loads it.
inline FakeDocumentWindow* loadFakeDocumentWindow() {
    windows().define(kDocumentWindowName, [] { return new FakeDocumentWindow; });
    return windows().window<FakeDocumentWindow>(kDocumentWindowName);
}

}  // namespace kl::test
