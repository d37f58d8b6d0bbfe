#pragma once
// Small makers of the controls every window has, named as the window names them (the
// objectName is how the program and its tests find a control).

#include <QString>
#include <QStringList>

#include <initializer_list>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class QWidget;

namespace kl {

// A push button with its caption ("&" marks the access key) and tool tip. It never becomes the
// window's default button by itself: Enter in a field does not press it.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip = QString());

// A hidden label that keeps a value of the window (the selected row's id, name, ...).
QLabel* hiddenLabel(QWidget* parent, const char* name);

// An option button with its caption.
QRadioButton* makeOption(QWidget* parent, const char* name, const QString& caption);

// An option group: a frame holding `options` one under the other, one of them checked at a time.
// The options become the frame's children; `layout` (if given) receives the frame's layout, for a
// window that puts more controls under the options.
QGroupBox* makeOptionFrame(QWidget* parent, const char* name,
                           std::initializer_list<QRadioButton*> options,
                           QVBoxLayout** layout = nullptr);

// A list to choose from (a combo box that is not edited): only a listed entry can be chosen (with
// the mouse, the arrow keys or by typing, see chooseByTyping); shortcuts with Ctrl or Alt keep
// working. Shows up to 20 entries when it drops down.
QComboBox* makeChoiceList(QWidget* parent, const char* name, const QString& tip = QString());

// Typed letters choose in `box` (closed or dropped down) the first entry that starts with them,
// whatever their case (Croatian letters too); letters typed quickly one after another add up,
// within QApplication::keyboardInputInterval(). Nothing typed ever becomes an entry. A closed
// list emits activated() for the entry chosen, as the arrow keys do.
void chooseByTyping(QComboBox* box);

// Replaces the entries of `box` with `texts`, each carrying the entry of `data` at its position
// (when given) as its item data, in one insertion: a list of 20 000 articles fills at once, where
// adding them one by one would make the list relayout 20 000 times. As with adding, a list
// that was empty then shows its first entry.
void fillChoices(QComboBox* box, const QStringList& texts, const QStringList& data = {});

// A figure the window computes and shows (an amount, a number, a quantity available): read-only,
// right-aligned, takes the focus only by a click and then selects its text.
QLineEdit* makeShownField(QWidget* parent, const char* name, const QString& tip = QString());

// A date picker showing today, "dd.MM.yyyy", with a calendar to drop down.
QDateEdit* makeDatePicker(QWidget* parent, const char* name);

}  // namespace kl
