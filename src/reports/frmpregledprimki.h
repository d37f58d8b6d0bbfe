#pragma once
// The overview of posted receipts ("Pregled primki") or issues ("Pregled izdatnica"): one window
// class for both kinds.
//
// "Zaključak" gives one summary line per document with its total: of the document chosen
// ("Jedne"), or of several ("Više"): every document dated within the two dates (both included)
// or every document of the chosen partner (supplier of a receipt, cost centre of an issue).
// "Cjelovit prikaz" shows one document whole: its summary, its lines and the grand total; the
// date and partner controls are then disabled.
//
// The document chooser takes no typing: only choosing from its list (mouse, wheel, arrow keys)
// changes it.

#include "data/booklocation.h"
#include "reports/reportwindow.h"
#include "warehouse/documents.h"

#include <vector>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace kl {

// Prints the full view ("Cjelovit prikaz") of the document `number` of `kind` of the book at
// `book` as the overview's print button prints it, without asking; a document that cannot be
// read is said in the database failure box.
void printPostedDocument(const BookLocation& book, DocumentKind kind, const QString& number);

class frmpregledprimki : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmpregledprimki(DocumentKind kind, QWidget* parent = nullptr);

    DocumentKind kind() const { return kind_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  protected:
    bool exportsSheets() const override { return true; }
    std::optional<sheet::Sheet> reportSheet() const override { return shownSheet_; }

  private:
    // The clicks of the options and choosers.
    void optzakljucakClick();
    void optprikazClick();
    void optjedneClick();
    void optviseClick();
    void optdatumuClick();
    void optdobavljacuClick();
    void cboizbordobavljacaClick();
    // "&Prikaz": the operation the options name.
    void cmdprikazartClick();

    // The document chooser refilled with every document of the kind, the first one chosen.
    void fillDocumentChooser();
    // "Storno...": the document chosen in the chooser reversed, after a confirmation naming it.
    void reverseChosen();

    void zakljucakjedne();
    void zakljucakvisedatum();
    void zakljucakvisedobavljac();
    void prikazprimke();

    BookLocation book() const;

    DocumentKind kind_;
    std::optional<sheet::Sheet> shownSheet_;  // the report shown, for the export
    QRadioButton* optzakljucak_;
    QRadioButton* optprikaz_;
    QRadioButton* Optjedne_;
    QRadioButton* optvise_;
    QRadioButton* optdatumu_;
    QRadioButton* optdobavljacu_;
    QGroupBox* Frame4_;
    QGroupBox* Framedatum_;
    QGroupBox* frameprimkadobavljac_;
    QLabel* lblod_;
    QLabel* lbldo_;
    QDateEdit* dtpod_;
    QDateEdit* dtpdo_;
    QLabel* lblprimka_;
    QLabel* lbldobavljac_;
    QComboBox* cboizborprimke_;
    QComboBox* cboizbordobavljaca_;
    std::vector<qint64> partnerIds_;  // index-parallel to cboizbordobavljaca
};

}  // namespace kl
