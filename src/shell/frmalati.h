#pragma once
// The tools window of the book register ("Alati"): back-up copies of every database of the
// program folder and putting one back, the integrity check and compacting of the databases, and
// the stock audit of the warehouse book marked in the register. Each tool writes its report into
// the window's report box, which prints like every other report.

#include "reports/reportwindow.h"

class QListWidget;
class QPushButton;

namespace kl {

class frmAlati : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmAlati(QWidget* parent = nullptr);

    // The book marked in the register when the window was opened: its kind, file name
    // ("\Skladiste7.mdb") and name; the stock audit works on it.
    void setMarkedBook(const QString& kind, const QString& bookFile, const QString& name);

    void backUp();
    // A back-up into a folder the clerk chooses (a USB stick), and a restore from one.
    void backUpTo();
    void check();
    void compact();
    void restore();
    void restoreFrom();
    void auditStock();

    // The back-up copies on offer (newest first), as listed.
    QListWidget* backupList() const { return lstkopije_; }
    void loadBackups();

  signals:
    // A back-up copy was put back: every list of companies and books must be read again.
    void databasesRestored();

  protected:
    bool exportsSheets() const override { return true; }
    std::optional<sheet::Sheet> reportSheet() const override { return shownSheet_; }

  private:
    // Asks, closes the book's windows and puts back the copy in `folder` (taken at `taken`).
    void restoreCopy(const QString& folder, const QString& taken, const QString& note);

    QListWidget* lstkopije_;
    QString bookKind_, bookFile_, bookName_;
    std::optional<sheet::Sheet> shownSheet_;  // the check's or the compacting's report shown
};

}  // namespace kl
