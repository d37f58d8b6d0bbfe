#pragma once
// Customers and suppliers of the open warehouse book (table `kd`).
//
// New partners are collected on the entry list on the right (`lsvkd`) and stored together, in
// one transaction, when the clerk accepts the list. The yellow table below (`lsveditkd`) shows
// every partner of the book; one of them can be taken into the entry fields, changed and saved
// (edit mode, `lblid` holds its id). Editing starts only while the entry list is empty.
//
// The window works on the book that was current when it was made. Opened from the receipt and
// issue window, it is told the document kind ("P" or "I") and keeps that window's partner list
// up to date when it stores the list or is left with "Izlaz".

#include "data/booklocation.h"
#include "ui/childwindow.h"
#include "warehouse/masterdata.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kl {

class ReportList;

class frmunos : public ChildWindow {
    Q_OBJECT
  public:
    static QString normalCaption() {
        return QStringLiteral(
            "Dodaj kupca/dobavljača ili izmijeni postojećeg u žutoj tablici    Pomoć  F1");
    }

    explicit frmunos(QWidget* parent = nullptr);

    // The book file this window reads and writes.
    const BookLocation& book() const { return book_; }

    // The document kind of the receipt and issue window that opened this window: "P" receipt,
    // "I" issue, empty when it was opened from the menu.
    void setDocumentKind(const QString& letter);
    QString documentKind() const;

    // "Dodaj na listu": the entered partner goes on the entry list and the fields are emptied.
    void addToList();
    // "Skini sa liste": removes the selected entry of the entry list.
    void removeSelected();
    // "Prihvati listu": stores every entry of the list in list order, all or none. `ask` puts
    // the confirmation question first. Returns true when the list is empty afterwards (stored,
    // or nothing to store); on a refusal or a database failure the list stays as it was.
    bool storeList(bool ask = true);

    // "Editiraj": takes the selected partner of the yellow table into the entry fields.
    void editSelected();
    // "Izmijeni": saves the changed partner. A refusal or a failure keeps edit mode.
    void saveEdit();
    // "Odustani": leaves edit mode without saving.
    void cancelEdit();
    bool isEditing() const;

    // "Izlaz": refreshes the partner list of the document window that opened this one, then
    // closes (which asks about the entries still on the list).
    void leave();

  protected:
    bool queryClose() override;
    void helpModeChanged(bool helpMode) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum { FieldCount = 8 };

    PartnerFields enteredFields() const;
    void clearFields();
    void updateAddButton();
    void listEmptied();
    void codeChanged(const QString& text);
    void fillPartnerTable(bool byName);
    void refreshDocument(bool suppliers);
    void endEdit();

    BookLocation book_;
    std::array<QLineEdit*, FieldCount> fields_{};
    QLineEdit* txtoib_ = nullptr;  // beside the fields of the partner's row
    ReportList* lsvkd_;
    ReportList* lsveditkd_;
    QPushButton* cmddodaj_;
    QPushButton* cmdbrisi_;
    QPushButton* cmdprihvati_;
    QPushButton* cmdodustani_;
    QPushButton* cmdeditiraj_;
    QPushButton* cmdizmijeni_;
    QPushButton* cmdne_;
    QLabel* lblid_;
    QLabel* lblimekd_;
    QLabel* lblpd_;
    // The code field has just moved the focus on to the name by itself: the clerk's Tab (or
    // Enter) after the code then stays in the name instead of skipping it.
    bool movedToName_ = false;
};

}  // namespace kl
