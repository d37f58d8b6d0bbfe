#include "ui/controls.h"

#include "ui/fields.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
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

// Typing in a choice list (closed or dropped down) jumps to the first entry that starts with the
// letters typed, compared without regard to case (Croatian letters too); letters typed within the
// keyboard input interval of each other add up ("ma" after "m"). A letter that makes the typed
// text match no entry starts over with that letter alone; when nothing matches, nothing changes.
// The typed characters never go into the list itself, so only a listed entry can be chosen.
class TypeToChoose : public QObject {
  public:
    explicit TypeToChoose(QComboBox* box) : QObject(box), box_(box) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        if (shortcut || text.isEmpty() || !text.front().isPrint()) return false;
        const bool dropped = watched == box_->view();
        if (!typed_.isEmpty() && sinceLast_.isValid() &&
            sinceLast_.elapsed() <= QApplication::keyboardInputInterval())
            typed_ += text;
        else
            typed_ = text;
        sinceLast_.start();
        int row = firstStartingWith(typed_);
        if (row < 0 && typed_ != text) {
            typed_ = text;
            row = firstStartingWith(typed_);
        }
        if (row < 0) return true;
        if (dropped) {
            const QModelIndex index = box_->model()->index(row, box_->modelColumn());
            box_->view()->setCurrentIndex(index);
            box_->view()->scrollTo(index);
        } else if (row != box_->currentIndex()) {
            box_->setCurrentIndex(row);
            emit box_->activated(row);  // as choosing it with the arrow keys does
        }
        return true;
    }

  private:
    int firstStartingWith(const QString& prefix) const {
        const QAbstractItemModel* model = box_->model();
        const int column = box_->modelColumn();
        const int rows = model->rowCount();
        for (int r = 0; r < rows; ++r) {
            if (model->index(r, column).data().toString().startsWith(prefix, Qt::CaseInsensitive))
                return r;
        }
        return -1;
    }

    QComboBox* box_;
    QString typed_;
    QElapsedTimer sinceLast_;
};

// The entries of a filled choice list: their texts and item data in two lists, filled in one
// insertion. A QStandardItemModel makes an item object for every entry, which for a list of
// 100 000 articles costs more than reading them. Entries added one by one (addItem) and removed
// go through the model's rows as with any model; the display and edit roles are the text, the
// user role the item data.
class ChoiceModel final : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    // Into an empty model: the rows are inserted, so the box chooses the first as it does for
    // entries added.
    void append(const QStringList& texts, const QStringList& data) {
        if (texts.isEmpty()) return;
        const int at = int(texts_.size());
        beginInsertRows({}, at, at + int(texts.size()) - 1);
        texts_ += texts;
        data_.reserve(texts_.size());
        for (qsizetype i = 0; i < texts.size(); ++i)
            data_.append(i < data.size() ? QVariant(data[i]) : QVariant());
        endInsertRows();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(texts_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= texts_.size()) return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole) return texts_[index.row()];
        if (role == Qt::UserRole) return data_[index.row()];
        return {};
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || index.row() >= texts_.size()) return false;
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            texts_[index.row()] = value.toString();
        else if (role == Qt::UserRole)
            data_[index.row()] = value;
        else
            return false;
        emit dataChanged(index, index, {role});
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                               : Qt::NoItemFlags;
    }
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override {
        if (parent.isValid() || row < 0 || row > texts_.size() || count < 1) return false;
        beginInsertRows(parent, row, row + count - 1);
        texts_.insert(row, count, QString());
        data_.insert(row, count, QVariant());
        endInsertRows();
        return true;
    }
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override {
        if (parent.isValid() || row < 0 || count < 1 || row + count > texts_.size()) return false;
        beginRemoveRows(parent, row, row + count - 1);
        texts_.remove(row, count);
        data_.remove(row, count);
        endRemoveRows();
        return true;
    }

  private:
    QStringList texts_;
    QList<QVariant> data_;
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
    chooseByTyping(combo);
    return combo;
}

void chooseByTyping(QComboBox* box) {
    auto* filter = new TypeToChoose(box);
    box->installEventFilter(filter);
    box->view()->installEventFilter(filter);
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
    // The box's own model (empty now) gives way to a model of choices the first time.
    auto* model = dynamic_cast<ChoiceModel*>(box->model());
    if (!model && qobject_cast<QStandardItemModel*>(box->model()) &&
        box->model()->QObject::parent() == box) {
        model = new ChoiceModel(box);
        box->setModel(model);
    }
    if (!model) {  // a box with a model of its own: entry by entry
        for (qsizetype i = 0; i < texts.size(); ++i)
            box->addItem(texts[i], i < data.size() ? QVariant(data[i]) : QVariant());
        return;
    }
    model->append(texts, data);
}

}  // namespace kl
