#pragma once
// New supplier document types (delivery note, invoice, ...) of the open warehouse book, table
// `dokumenti`. Opened from the receipt window, which offers each new type at once and makes it
// the chosen one. Types are only added, never changed or removed. The window stays open for
// further types until the clerk leaves it.

#include "data/booklocation.h"
#include "ui/childwindow.h"

class QLineEdit;
class QPushButton;

namespace kl {

class frmunosdokumenta : public ChildWindow {
    Q_OBJECT
  public:
    static constexpr int Width = 330;
    static constexpr int Height = 110;

    explicit frmunosdokumenta(QWidget* parent = nullptr);

    // The book file this window writes.
    const BookLocation& book() const { return book_; }

    // "Unesi": stores the typed name as a new type after the clerk confirms it.
    void storeType();

  private:
    BookLocation book_;
    QLineEdit* txtunos_;
    QPushButton* cmdunos_;
    QPushButton* cmdodustani_;
};

}  // namespace kl
