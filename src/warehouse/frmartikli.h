#pragma once
// Entry and change of the articles of a warehouse book. New articles are checked one by one
// and collected on the entry list on the right; one confirmation stores the whole list. The
// list below shows every article of the book; one of them can be changed at a time, and only
// while the entry list is empty.
//
// Opened from the main window's menu or from the receipt window; opened from the receipt
// window (the context's calledFromDocument), it keeps that window's article lists up to date.

#include "data/booklocation.h"
#include "ui/childwindow.h"
#include "warehouse/masterdata.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kl {

class NumericField;
class ReportList;
class TextField;

class frmartikli : public ChildWindow {
    Q_OBJECT
  public:
    static QString normalCaption() { return QStringLiteral("Unos novog artikla     Pomoć  F1"); }

    explicit frmartikli(QWidget* parent = nullptr);

    // Reloads the list of every article; opened from the receipt window, also refills that
    // window's code and name lists and leaves the last article chosen there.
    void loud();
    // Refills the receipt window's id, code and name lists (when that window is open).
    void izmjenacomboboxova();

    // ---- Entry list ----
    // Checks the entry fields and puts the article on the entry list (`cmddodaj`).
    void addToList();
    // Removes the selected entry (`cmdbrisi`).
    void removeFromList();
    // Stores the entry list (`cmdprihvati`); `ask` asks the clerk first. Returns false if the
    // clerk declined or storing failed (the list is then kept).
    bool storeList(bool ask = true);
    int entryCount() const;

    // ---- Changing one article ----
    void editSelected();  // `cmdeditiraj`
    void saveEdit();      // `cmdizmjena`
    void cancelEdit();    // `cmdne`
    bool isEditing() const;

  protected:
    bool queryClose() override;
    QList<QWidget*> helpHiddenControls() const override;

  private:
    ArticleEntry fieldEntry() const;
    QList<ArticleEntry> listEntries() const;
    // Code, name, unit and minimum quantity are filled in (the bar code may stay empty).
    bool fieldsComplete() const;
    void updateAddButton();
    void clearFields();
    void fillAllArticles(const std::vector<ArticleRow>& rows);
    void leaveEditMode(const QString& saveCaption, const QString& cancelCaption);

    BookLocation book_;
    QWidget* frame_;
    TextField* txtsifra_;
    TextField* txtbarkod_;
    TextField* txtnaziv_;
    TextField* txtjedmjere_;
    NumericField* txtminkolicina_;
    ReportList* lsvartikli_;
    ReportList* lsvsviartikli_;
    QPushButton* cmddodaj_;
    QPushButton* cmdbrisi_;
    QPushButton* cmdprihvati_;
    QPushButton* cmdodustani_;
    QPushButton* cmdeditiraj_;
    QPushButton* cmdizmjena_;
    QPushButton* cmdne_;
    QLabel* lblida_;
    QLabel* lblsifra_;
    bool entered_ = false;  // something was put on the entry list since the window opened
};

}  // namespace kl
