#pragma once
// "Provjera zaliha - <knjiga>": the stock audit of one warehouse book (stockaudit.h) as a report.
//
// The window works on the book it is given (path and name, by the constructor or setBook; the
// book register's tools open it for the marked book). It runs the audit when it is shown, and
// again when setBook names another book while it is shown. "&Ispravi" (cmdispravi, enabled only
// when there are differences) asks "Ispraviti zapisane zalihe prema prometu? Izmijenit će se N
// artikala.", on Yes writes the computed figures in one transaction, says "Zalihe su
// ispravljene." and runs the audit again. "I&spis" prints the report, the preview and the two
// exports are beside it (the differences as a sheet), "&Izlaz" closes. A
// database failure shows its description in the report error box and writes nothing.

#include "data/booklocation.h"
#include "reports/reportwindow.h"
#include "reports/stockaudit.h"

class QPushButton;

namespace kl {

class frmProvjeraZaliha : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmProvjeraZaliha(QWidget* parent = nullptr);
    frmProvjeraZaliha(const BookLocation& book, const QString& bookName, QWidget* parent = nullptr);

    // The book audited; runs the audit at once when the window is shown.
    void setBook(const BookLocation& book, const QString& bookName);
    const BookLocation& book() const { return book_; }

    // Reads the book and shows the report.
    void runAudit();
    // "&Ispravi": the question, the correction, the message and the audit again.
    void correct();

    const std::vector<StockDifference>& differences() const { return differences_; }

  protected:
    void showEvent(QShowEvent* event) override;
    // The differences shown, a row each: the stored and the replayed figures side by side.
    bool exportsSheets() const override { return true; }
    std::optional<sheet::Sheet> reportSheet() const override;

  private:
    BookLocation book_;
    QString bookName_;
    bool audited_ = false;
    QDate auditedOn_;
    std::vector<StockDifference> differences_;
    QPushButton* cmdispravi_;
};

}  // namespace kl
