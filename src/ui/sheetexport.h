#pragma once
// The spreadsheet export as the clerk meets it, for any window: the save dialog (its folder
// remembered in the settings store, the report's name and the date proposed), the question
// before an existing file is replaced, the file written, the outcome in a message box; and the
// buttons "Pre&gled ispisa", "Izvoz u E&xcel..." and "Izvoz u &CSV..." put beside a window's
// print button.

#include "ui/sheet.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QPushButton;
class QWidget;

namespace kl {

// What a window exports now: the sheet, or nothing while it shows nothing that exports. May
// throw DbError (a report read again for its sheet), shown as the report's error.
using SheetOf = std::function<std::optional<sheet::Sheet>()>;

// Asks for the file and writes the sheet `sheetOf` gives as .xlsx or CSV. Nothing to export:
// "Najprije prikažite izvještaj (Prikaz), pa ga izvezite."
// `nothing` replaces that message.
void exportSheet(QWidget* parent, bool xlsx, const SheetOf& sheetOf,
                 const QString& nothing = QString());

// Test seam for the save dialog: while set, it is asked instead (title, proposed path) and
// returns the chosen path or "". An empty function restores the dialog.
using SaveFileChooser = std::function<QString(const QString& title, const QString& proposed)>;
void setSaveFileChooser(SaveFileChooser chooser);

// The two export buttons cmdizvozexcel and cmdizvozcsv of `window`, for the caller to place.
std::pair<QPushButton*, QPushButton*> makeExportButtons(QWidget* window, const SheetOf& sheetOf,
                                                        const QString& nothing = QString());

// Makes the preview button (when `preview` is given) and the two export buttons, after
// `printButton` in the tab order and enabled with it, and puts them right after it when it lies
// in a box layout (otherwise the caller places the buttons returned).
std::vector<QPushButton*> addExportButtons(QPushButton* printButton, const SheetOf& sheetOf,
                                           const std::function<void()>& preview = {},
                                           const QString& nothing = QString());

}  // namespace kl
