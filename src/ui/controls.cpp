#include "ui/controls.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kl {

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

}  // namespace kl
