#pragma once
// The book register of the chosen company: its books of both kinds, adding, renaming and
// removing them, and entering one (on to the main window of the book).

#include "ui/childwindow.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kl {

class ReportList;

class frmIzborKnjige : public ChildWindow {
    Q_OBJECT
  public:
    static QString newBookCaption() { return QStringLiteral("Unosim knji&gu"); }
    static QString editBookCaption() { return QStringLiteral("Iz&mjena"); }

    explicit frmIzborKnjige(QWidget* parent = nullptr);

    // The company whose books are listed (its id as text); the list is read again when it
    // changes.
    void setCompany(const QString& companyIdText);
    QString companyId() const;

    // Reads the kinds and the company's books (the current company of the context).
    void loadBooks();
    // Row click: the row's book becomes the current book file; caption and labels follow.
    void rowClicked();

    void enterBook();
    void newBook();
    void editBook();
    void storeBook();
    void closeEntryPanel();
    void deleteBook();
    void goBack();
    // "Alati...": the tools window for the program's databases and the marked book.
    void openTools();
    // A back-up copy was put back: the companies and books are read again.
    void reloadAfterRestore();

  protected:
    QList<QWidget*> helpHiddenControls() const override;
    void helpModeChanged(bool helpMode) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    int selectedRow() const;
    void fillList();
    void openEntryPanel();
    void setListButtonsEnabled(bool enabled);

    ReportList* lsvotvorene_;
    QPushButton* cmdUlaz_;
    QPushButton* cmdNova_;
    QPushButton* cmdUredjivanje_;
    QPushButton* cmdBrisanje_;
    QPushButton* cmdizlaz_;
    QPushButton* cmdalati_;
    QGroupBox* frame1_;
    QLineEdit* txtnaziv_;
    QLineEdit* txtadresa_;
    QListWidget* lstpostojece_;
    QPushButton* cmdunosimo_;
    QPushButton* cmdodustani_;
    QLabel* lblid_;
    QLabel* lblvrstaknjige_;
    QLabel* lblimeknjige_;
    QLabel* lblimebaze_;
    QLabel* lblidtvrtke_;
    QLabel* label2_;
};

}  // namespace kl
