#pragma once
// What every report window of a warehouse book shares: the report text box, the "I&spis" button
// pattern, the error message of a report operation and the page a report is printed on.
//
// A report is plain fixed-width text (lines ending in CR LF) built by a widget-free text builder
// (or, for the journal, a source that makes each line from the rows when it is shown) and shown
// whole in the window's read-only report box (a ReportView: Courier New 9 pt, no
// wrapping, only the lines on screen painted, so a report of 200 000 lines shows at once). The
// box is never edited; each "Prikaz" replaces its text.
//
// Printing (the "I&spis" button, cmdispisart): an empty report prints nothing and asks nothing;
// otherwise "Ispis na pisač?" (Yes/No) is asked, and Yes prints the selected part of the report
// when the clerk has selected some of it, or the whole report, page by page with one-inch margins
// from the paper edge.
//
// The window is 800 x 520, Esc closes it, closing is never refused; the main window brings its
// menus back when it closes.

#include "ui/childwindow.h"
#include "ui/printing.h"
#include "ui/reportview.h"
#include "ui/sheet.h"
#include "ui/sheetexport.h"

#include <functional>
#include <optional>

class QPushButton;

namespace kl {

// The page of a printed report: portrait, Courier New 9 pt, one inch on every side.
PageSetup reportPageSetup();

// Shows the hourglass while it lives.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

class ReportWindow : public ChildWindow {
    Q_OBJECT
  public:
    explicit ReportWindow(QWidget* parent = nullptr);

    // The report box and its text as the builder made it (CR LF line ends).
    ReportView* reportBox() const { return reportBox_; }
    // Made whole from the report's source when it has one.
    QString reportText() const;
    bool hasReport() const;

    // Shows `text` (CR LF line ends) as the report; an empty text empties the box.
    void setReportText(const QString& text);
    // Shows the report of `source`, its lines made as they are shown (a long report from rows in
    // memory); the text is made whole only when it is printed or read (reportText).
    void setReportSource(std::shared_ptr<const ReportSource> source);

    // The "I&spis" button: the question, then the selection or the whole report. A window that
    // prints pages of its own says so here and in previewReport.
    virtual void printReport();
    // The "Pre&gled ispisa" button beside it: Qt's print preview of exactly that print, from
    // which the clerk prints or saves a PDF.
    virtual void previewReport();

    // "Izvoz u E&xcel..." and "Izvoz u &CSV...", beside them in a window whose reports export:
    // the report shown as a spreadsheet file the clerk names (the save dialog proposes the
    // report's name and the date; an existing file is replaced only after "Da").
    void exportReport(bool xlsx);
    // Test seam for the save dialog: while set, it is asked instead (title, proposed path) and
    // returns the chosen path or "". An empty function restores the dialog.
    using SaveFileChooser = kl::SaveFileChooser;
    static void setSaveFileChooser(SaveFileChooser chooser);

    // The text the print button would print now: the selection when there is one, otherwise
    // the whole report.
    QString textToPrint() const;

  protected:
    // Makes the report box `name` (rtfart, rtfprimke, ...) as a child of the window.
    ReportView* makeReportBox(const char* name);
    // Makes the print button cmdispisart, wired to printReport; the preview button
    // cmdpregledispisa is put after it in its layout when the window is first shown.
    QPushButton* makePrintButton();
    void showEvent(QShowEvent* event) override;
    // Makes the exit button `name` ("&Izlaz"), wired to close.
    QPushButton* makeExitButton(const char* name);

    // The failure of a report operation: its description in an OK box with no icon and no
    // title. The text built so far stays.
    static void showReportError(const QString& description);

    // The document name of the printed report (the PDF file is named after it).
    virtual QString printName() const { return caption(); }

    // A window whose reports export says so (its export buttons are then shown) and gives the
    // report shown as a table; nothing while no report that exports is shown. A DbError (a
    // report read again for its table) is shown as the report's error.
    virtual bool exportsSheets() const { return false; }
    virtual std::optional<sheet::Sheet> reportSheet() const { return std::nullopt; }

  private:
    ReportView* reportBox_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QPushButton* excelButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QString reportText_;
    std::shared_ptr<const ReportSource> reportSource_;
};

}  // namespace kl
