#include "ui/controls.h"

#include "ui/fields.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kl {

namespace {

// Discards the printable characters typed into a choice list.
class TypedKeysDiscarded : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
            if (!shortcut && !text.isEmpty() && text.front().isPrint()) return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

QLabel* hiddenLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->hide();
    return l;
}

QRadioButton* makeOption(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QGroupBox* makeOptionFrame(QWidget* parent, const char* name,
                           std::initializer_list<QRadioButton*> options, QVBoxLayout** layout) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QString::fromLatin1(name));
    auto* group = new QButtonGroup(frame);
    auto* frameLayout = new QVBoxLayout(frame);
    for (QRadioButton* b : options) {
        b->setParent(frame);
        group->addButton(b);
        frameLayout->addWidget(b);
    }
    if (layout) *layout = frameLayout;
    return frame;
}

QDateEdit* makeDatePicker(QWidget* parent, const char* name) {
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker->setCalendarPopup(true);
    return picker;
}

QComboBox* makeChoiceList(QWidget* parent, const char* name, const QString& tip) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) combo->setToolTip(tip);
    combo->setMaxVisibleItems(20);
    combo->installEventFilter(new TypedKeysDiscarded(combo));
    return combo;
}

QLineEdit* makeShownField(QWidget* parent, const char* name, const QString& tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    if (!tip.isEmpty()) edit->setToolTip(tip);
    edit->setAlignment(Qt::AlignRight);
    selectAllOnFocus(edit);
    return edit;
}

}  // namespace kl
