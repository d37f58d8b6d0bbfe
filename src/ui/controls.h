#pragma once
// Small makers of the controls every window has, named as the window names them (the
// objectName is how the program and its tests find a control).

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace kl {

// A push button with its caption ("&" marks the access key) and tool tip. It never becomes the
// window's default button by itself: Enter in a field does not press it.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip = QString());

// A hidden label that keeps a value of the window (the selected row's id, name, ...).
QLabel* hiddenLabel(QWidget* parent, const char* name);

}  // namespace kl
