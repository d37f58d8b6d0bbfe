#pragma once
// Entry of a new company and changing an existing one. Opened from the company register, which
// it replaces while it is open; closing it shows the register again. A top-level child window of
// free size: Esc closes it, Enter moves from field to field and presses a focused button, and its
// placement is remembered like that of the other top-level windows.

#include "ui/childwindow.h"

#include <array>

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

    std::array<QLineEdit*, 10> fields_{};
    QLineEdit* oib_ = nullptr;
    QPushButton* cmdUpis_;
    QPushButton* cmdizlaz_;
    bool checkingKind_ = false;
};

}  // namespace kl
