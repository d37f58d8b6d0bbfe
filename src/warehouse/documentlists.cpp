#include "warehouse/documentlists.h"

#include "ui/windowregistry.h"

namespace kl {

DocumentLists* documentLists() {
    return dynamic_cast<DocumentLists*>(windows().loaded(kDocumentWindowName));
}

}  // namespace kl
