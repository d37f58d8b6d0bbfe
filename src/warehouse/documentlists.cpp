#include "warehouse/documentlists.h"

#include "ui/windowregistry.h"

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
    return dynamic_cast<ArticleReceiver*>(w);
}

}  // namespace kl
