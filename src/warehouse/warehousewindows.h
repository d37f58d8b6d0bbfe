#pragma once
// The windows of a warehouse book's master data and their names in the window registry.

#include "data/booklocation.h"
#include "warehouse/documents.h"

#include <QString>

#include <functional>

namespace kl {

namespace win {
inline const QString Artikli = QStringLiteral("frmartikli");
inline const QString ArtikliIzbor = QStringLiteral("frmartikliizbor");
inline const QString Unos = QStringLiteral("frmunos");
inline const QString UnosDokumenta = QStringLiteral("frmunosdokumenta");
inline const QString Eracun = QStringLiteral("frmeracun");
}  // namespace win

// Defines the warehouse windows in kl::windows().
void defineWarehouseWindows();

// Prints the posted document `number` of `kind` of the book at `book` as its overview shows
// it whole. The overview belongs to the report windows, which set it when they are defined; the
// receipt and issue window offers the print after a posting only while one is set.
using PostedDocumentPrinter =
    std::function<void(const BookLocation& book, DocumentKind kind, const QString& number)>;
void setPostedDocumentPrinter(PostedDocumentPrinter printer);
const PostedDocumentPrinter& postedDocumentPrinter();

}  // namespace kl
