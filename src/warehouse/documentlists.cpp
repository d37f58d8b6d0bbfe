#include "warehouse/documentlists.h"

#include "data/convert.h"
#include "ui/controls.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"

#include <QComboBox>

namespace kl {

DocumentLists* documentLists() {
    return dynamic_cast<DocumentLists*>(windows().loaded(kDocumentWindowName));
}

ArticleReceiver* articleReceiver(const QString& documentMode) {
    QWidget* w = nullptr;
    if (documentMode == QLatin1String("Primka") || documentMode == QLatin1String("Izdatnica"))
        w = windows().loaded(kDocumentWindowName);
    else if (documentMode == QLatin1String("proizvodnja"))
        w = windows().loaded(kProductsWindowName);
    else if (documentMode == QLatin1String("eRacun"))
        w = windows().loaded(QStringLiteral("frmeracun"));
    else if (documentMode == QLatin1String("Medjuskladisnica"))
        w = windows().loaded(QStringLiteral("frmmedjuskladisnica"));
    return dynamic_cast<ArticleReceiver*>(w);
}

void fillArticleLists(QComboBox* codes, QComboBox* names,
                      const std::vector<ArticleChoice>& articles) {
    QStringList ids, codeTexts, nameTexts;
    for (const ArticleChoice& a : articles) {
        ids.append(a.id);
        codeTexts.append(a.sifra);
        nameTexts.append(a.naziv);
    }
    fillChoices(codes, codeTexts, ids);
    fillChoices(names, nameTexts, ids);
}

void selectArticleInLists(QComboBox* codes, QComboBox* names, const ArticleStock& article) {
    int index = codes->findData(article.id);
    if (index < 0) {  // stored after the lists were filled
        codes->addItem(article.sifra, article.id);
        names->addItem(article.naziv, article.id);
        index = codes->count() - 1;
    }
    codes->setCurrentIndex(index);
    names->setCurrentIndex(index);
}

QString linesTotalText(const ReportList& lines, int amountColumn) {
    qint64 hundredths = 0;
    for (int r = 0; r < lines.rowCount(); ++r)
        hundredths += qRound64(numberOrZero(lines.text(r, amountColumn)) * 100);
    return QStringLiteral("Stavki: %1    Ukupno: %2")
        .arg(lines.rowCount())
        .arg(format00(double(hundredths) / 100));
}

}  // namespace kl
