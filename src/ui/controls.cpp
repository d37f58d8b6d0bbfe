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
#include <QStandardItemModel>
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

namespace {
// Characters a filled choice list is wide enough for (a code, most of an article name).
constexpr int kChoiceCharacters = 12;
}  // namespace

void fillChoices(QComboBox* box, const QStringList& texts, const QStringList& data) {
    box->clear();
    // The list's width comes from a fixed number of characters: measuring every entry for it
    // would shape the text of thousands of entries when the window is first shown.
    if (box->sizeAdjustPolicy() == QComboBox::AdjustToContentsOnFirstShow) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        if (box->minimumContentsLength() == 0) box->setMinimumContentsLength(kChoiceCharacters);
        box->setIconSize(QSize(0, 0));  // the entries have no icons: no room kept for one
    }
    auto* model = qobject_cast<QStandardItemModel*>(box->model());
    if (!model) {  // a box with a model of its own: entry by entry
        for (qsizetype i = 0; i < texts.size(); ++i)
            box->addItem(texts[i], i < data.size() ? QVariant(data[i]) : QVariant());
        return;
    }
    QList<QStandardItem*> items;
    items.reserve(texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        auto* item = new QStandardItem(texts[i]);
        if (i < data.size()) item->setData(data[i], Qt::UserRole);
        items.append(item);
    }
    model->invisibleRootItem()->appendRows(items);
}

}  // namespace kl
