#pragma once
// Entry of a new company and changing an existing one. Opened from the company register, which
// it replaces while it is open; closing it shows the register again. A top-level child window of
// free size: Esc closes it, Enter moves from field to field and presses a focused button, and its
// placement is remembered like that of the other top-level windows.

#include "shell/companyserver.h"
#include "ui/childwindow.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kl {

struct CompanyRow;

class frmUpisNove : public ChildWindow {
    Q_OBJECT
  public:
    static QString insertCaption() { return QStringLiteral("&Upis nove tvrtke"); }
    static QString editCaption() { return QStringLiteral("I&zmjena"); }

    explicit frmUpisNove(QWidget* parent = nullptr);

    // Insert mode: empty fields, store button disabled until a name is typed.
    void startInsert();
    // Edit mode for `company` (its id is the current company of the context).
    void startEdit(const CompanyRow& company);
    bool isEditMode() const;

    void store();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // T or O (any case) becomes upper case and may be left, as may an empty field; anything else
    // is cleared and the focus returned to the field. Returns whether the field may be left.
    bool checkCompanyKind();

    // Where the company's books are: unchecked, in the program folder; checked, on the server
    // named by the fields below (the password is never stored: ~/.pgpass, or asked once per run).
    QCheckBox* chkPosluzitelj_ = nullptr;
    std::array<QLineEdit*, 5> serverFields_{};  // host, port, database, user, register schema
    // The server the fields name, or nothing when unchecked; false when a field is missing
    // (said to the clerk).
    bool enteredServer(std::optional<CompanyServer>& server);
    void showServer(const std::optional<CompanyServer>& server);
    // A company with books in the program folder put on a server: asks, then moves its books
    // there (moveCompanyToServer). False when the change is not to be stored.
    bool moveToServer(const CompanyServer& server);
    // A company on a server whose server fields were cleared: asks, then moves its books into the
    // program folder (moveCompanyToFolder). False when the change is not to be stored.
    bool moveToFolder();

    std::array<QLineEdit*, 10> fields_{};
    QLineEdit* oib_ = nullptr;
    QPushButton* cmdUpis_;
    QPushButton* cmdizlaz_;
    bool checkingKind_ = false;
};

}  // namespace kl
