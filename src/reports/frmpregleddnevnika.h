#pragma once
// "Pregled dnevnika": the journal of the open warehouse book, every receipt and issue line in one
// list, taken whole ("Cijeli dnevnik"), as the rows the clerk selects ("Izbor") or as the rows of
// a date range ("Po datumu"), shown as report text and printed.
//
// The journal list `lsvdnevnik` is read when the window opens and again on every click of
// "Cijeli dnevnik" or "Izbor"; it is the source of every text and print, so a document posted
// meanwhile appears only after such a click. A heading click sorts the list (again: reversed),
// and the report follows the list's order. "Po datumu" shows `lsvizbor` instead: the rows of
// `lsvdnevnik` whose date lies in the range of `dtpod` and `dtpdo` (both included), in the order
// `lsvdnevnik` has at that moment; a change of either date fills it again.
//
// "Prikaz" shows the report in `rtfdnevnik` in place of the lists (its lines made from the rows
// as they come into view, see journalReport); a click on an option brings the list back. "Ispis"
// makes the report the same way, then asks "Broj stranica: N Ispis dokumenta?" and prints the
// journal's own landscape pages with page headings and numbers.

#include "reports/journal.h"
#include "reports/reportwindow.h"

#include <optional>
#include <utility>

class QDateEdit;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace kl {

class ReportList;

class frmpregleddnevnika : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmpregleddnevnika(QWidget* parent = nullptr);

    // Reads the journal into `lsvdnevnik` and shows it (the "Cijeli dnevnik" and "Izbor" clicks).
    void loadJournal();
    // Fills `lsvizbor` with the rows of the date range.
    void fillRange();
    // "Prikaz": the report of the chosen option in `rtfdnevnik`.
    void showReport();
    // "Ispis": the report, the question, the pages.
    void printJournal();
    void printReport() override { printJournal(); }
    // "Pregled ispisa": the report, then the preview of those pages.
    void previewReport() override;
    // The pages that preview shows of the report of the chosen option (for the tests).
    int previewPageCount() const;

  protected:
    bool exportsSheets() const override { return true; }
    // The report shown last, as long as it is shown.
    std::optional<sheet::Sheet> reportSheet() const override;

  private:
    JournalScope scope() const;
    // The rows the report and the print of the chosen option go through, in list order.
    ReportRows chosenRows() const;
    void showList(ReportList* list);
    // The printed pages of the chosen option.
    std::vector<QStringList> chosenPages() const;

    QRadioButton* optsve_;
    QRadioButton* optizbor_;
    QRadioButton* optdatumu_;
    QGroupBox* framedatum_;
    QDateEdit* dtpod_;
    QDateEdit* dtpdo_;
    ReportList* lsvdnevnik_;
    ReportList* lsvizbor_;
    // The day ("Dat.primke", as a Julian day) of every row of lsvdnevnik_ in its order, read once
    // for as long as the list's rows stay as they are (its revision); no date: kNoDay.
    std::vector<qint64> rowDays_;
    quint64 rowDaysRevision_ = ~quint64(0);
    // The rows and title of the report shown, for the export; no rows while a list is shown.
    std::optional<std::pair<QString, ReportRows>> shownReport_;
    QPushButton* cmdprikazart_;
    QPushButton* cmdispisart_;
    QPushButton* cmdizlaz_;
};

}  // namespace kl
