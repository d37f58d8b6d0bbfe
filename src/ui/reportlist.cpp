#include "ui/reportlist.h"

#include "data/collation.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>
#include <numeric>

namespace kl {

// ---- ReportListModel ------------------------------------------------------------------------

void ReportListModel::setColumns(const QList<ReportColumn>& columns) {
    beginResetModel();
    ++revision_;
    columns_ = columns;
    rows_ = ReportRows();
    order_.clear();
    endResetModel();
}

int ReportListModel::appendColumn(const ReportColumn& column) {
    const int at = int(columns_.size());
    beginInsertColumns({}, at, at);
    columns_.append(column);
    endInsertColumns();
    return at;
}

// Row changes are reported as removals and insertions, never as a reset: a reset would also
// reset the heading (column widths the clerk has dragged, hidden columns).
void ReportListModel::clear() {
    if (rows_.empty()) return;
    ++revision_;
    beginRemoveRows({}, 0, count() - 1);
    rows_ = ReportRows();
    order_.clear();
    endRemoveRows();
}

int ReportListModel::addRow(const QStringList& row) {
    ++revision_;
    const int at = count();
    beginInsertRows({}, at, at);
    rows_.appendRow(row);
    if (!order_.empty()) order_.push_back(at);
    endInsertRows();
    return at;
}

void ReportListModel::setRows(ReportRows&& rows) {
    clear();
    if (rows.empty()) return;
    ++revision_;
    beginInsertRows({}, 0, rows.count() - 1);
    rows_ = std::move(rows);
    endInsertRows();
}

void ReportListModel::removeRowAt(int row) {
    if (row < 0 || row >= count()) return;
    ++revision_;
    beginRemoveRows({}, row, row);
    rows();  // the rows in the order shown, so that the row goes from its place
    rows_.removeRow(row);
    endRemoveRows();
}

void ReportListModel::setText(int row, int column, const QString& text) {
    if (row < 0 || row >= count() || column < 0) return;
    ++revision_;
    rows_.setText(stored(row), column, text);
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

namespace {

// Twelve collation weights of a text from `offset` on, each one more than its weight so that a
// text's end (0) sorts before any character, packed into three words that compare as the
// weights do. A weight too large for sixteen bits (and a surrogate, half of a letter outside the
// BMP) ends the key with all ones at its place, above every other weight (`clamped`: the order of
// keys equal so far is left to compareText). `exact` says the key holds the rest of the text, so
// equal exact keys are equal texts.
struct SortKey {
    quint64 word[3] = {0, 0, 0};
    quint32 entry = 0;
    bool exact = true;
    bool clamped = false;
};

constexpr int kKeyUnits = 12;

SortKey sortKey(QStringView text, quint32 entry, qsizetype offset = 0) {
    SortKey k;
    k.entry = entry;
    const qsizetype n = text.size();
    for (int u = 0; u < kKeyUnits; ++u) {
        quint64 unit = 0;
        if (offset + u < n) {
            const char16_t c = text[offset + u].unicode();
            const char32_t weight = QChar::isSurrogate(c) ? 0xFFFF : collationWeight(c);
            if (weight >= 0xFFFE) {
                k.word[u / 4] |= quint64(0xFFFF) << (16 * (3 - u % 4));
                k.exact = false;
                k.clamped = true;
                return k;
            }
            unit = weight + 1;
        }
        k.word[u / 4] |= unit << (16 * (3 - u % 4));
    }
    if (n > offset + kKeyUnits) k.exact = false;
    return k;
}

bool sameKey(const SortKey& a, const SortKey& b) {
    return a.word[0] == b.word[0] && a.word[1] == b.word[1] && a.word[2] == b.word[2];
}

// Sorts [begin, end) by the texts' weights from `offset` on and marks in `starts` (by place from
// `first`) each place after `begin` where a text differs from the one before. Keys that tie and
// go on are keyed again twelve weights further, side by side as before; only clamped keys that
// tie have their texts compared.
template <class TextOf>
void sortByKeys(SortKey* begin, SortKey* end, qsizetype offset, const SortKey* first,
                std::vector<char>& starts, const TextOf& textOf) {
    std::sort(begin, end, [](const SortKey& a, const SortKey& b) {
        for (int w = 0; w < 3; ++w)
            if (a.word[w] != b.word[w]) return a.word[w] < b.word[w];
        return false;
    });
    for (SortKey* group = begin; group != end;) {
        SortKey* past = group + 1;
        bool whole = group->exact;
        for (; past != end && sameKey(*group, *past); ++past)
            whole = whole && past->exact;
        if (group != begin) starts[size_t(group - first)] = 1;
        if (past - group > 1 && !whole) {
            if (group->clamped) {
                const auto textual = [&](const SortKey& a, const SortKey& b) {
                    return compareText(textOf(a.entry), textOf(b.entry)) < 0;
                };
                std::sort(group, past, textual);
                for (SortKey* k = group + 1; k != past; ++k)
                    if (textual(k[-1], *k)) starts[size_t(k - first)] = 1;
            } else {
                for (SortKey* k = group; k != past; ++k)
                    *k = sortKey(textOf(k->entry), k->entry, offset + kKeyUnits);
                sortByKeys(group, past, offset + kKeyUnits, first, starts, textOf);
            }
        }
        group = past;
    }
}

// The rank of each entry in collation order, entries the collation finds equal sharing one;
// `ranks` is set to the number of ranks. `keys` holds the first key of each entry (0 to n-1), in
// any order (they are sorted in place).
template <class TextOf>
std::vector<int> collationRanks(std::vector<SortKey>& keys, const TextOf& textOf, int* ranks) {
    const size_t n = keys.size();
    std::vector<char> starts(n, 0);
    sortByKeys(keys.data(), keys.data() + n, 0, keys.data(), starts, textOf);
    std::vector<int> rank(n);
    int k = 0;
    for (size_t i = 0; i < n; ++i) {
        k += starts[i];
        rank[keys[i].entry] = k;
    }
    *ranks = n == 0 ? 0 : k + 1;
    return rank;
}

// The positions of rows by their ranks: a counting sort, which keeps rows of one rank in their
// order, as a stable sort does.
std::vector<int> orderByRank(const std::vector<int>& rank, int ranks, Qt::SortOrder order) {
    const size_t n = rank.size();
    std::vector<int> start(size_t(ranks) + 1, 0);
    const auto key = [&](size_t r) {
        return size_t(order == Qt::AscendingOrder ? rank[r] : ranks - 1 - rank[r]);
    };
    for (size_t r = 0; r < n; ++r)
        ++start[key(r) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<int> sequence(n);
    for (size_t r = 0; r < n; ++r)
        sequence[size_t(start[key(r)]++)] = int(r);
    return sequence;
}

}  // namespace

std::vector<int> sortedOrder(const std::vector<const QString*>& texts, Qt::SortOrder order) {
    std::vector<SortKey> keys;
    keys.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        keys.push_back(sortKey(*texts[i], quint32(i)));
    int ranks = 0;
    const std::vector<int> rank = collationRanks(
        keys, [&](quint32 e) -> const QString& { return *texts[e]; }, &ranks);
    return orderByRank(rank, ranks, order);
}

void ReportListModel::sortRows(int column, Qt::SortOrder order) {
    const int n = count();
    // Rows that share a text of the pool share its entry: each entry's text is looked at once,
    // not once a row (a million rows' names are some hundred thousand entries).
    // The rows are gone through as they are stored; the order shown is order_ over them.
    std::vector<int> entryOfRow(static_cast<size_t>(n));
    std::vector<ReportRows::TextId> entries;
    std::vector<int> byText, byFigure;
    const auto slot = [](std::vector<int>& table, size_t at) -> int& {
        if (at >= table.size()) table.resize(at + 1 + at / 2, -1);
        return table[at];
    };
    for (int r = 0; r < n; ++r) {
        const ReportRows::TextId id = rows_.id(r, column);
        int& entry = ReportRows::isFigure(id) ? slot(byFigure, ReportRows::figureIndex(id))
                                              : slot(byText, id);
        if (entry < 0) {
            entry = int(entries.size());
            entries.push_back(id);
        }
        entryOfRow[size_t(r)] = entry;
    }
    // The keys are made in the pool's order, which is the order its texts were made in memory;
    // a figure's text is made for its key and not kept (the list keeps only the texts shown).
    std::vector<SortKey> keys;
    keys.reserve(entries.size());
    for (size_t id = 0; id < byText.size(); ++id)
        if (byText[id] >= 0)
            keys.push_back(sortKey(rows_.textOf(ReportRows::TextId(id)), quint32(byText[id])));
    for (size_t f = 0; f < byFigure.size(); ++f)
        if (byFigure[f] >= 0)
            keys.push_back(
                sortKey(rows_.figureText(ReportRows::figureId(quint32(f))), quint32(byFigure[f])));
    int ranks = 0;
    const std::vector<int> entryRank = collationRanks(
        keys, [&](quint32 e) -> const QString& { return rows_.textOf(entries[e]); }, &ranks);
    // The ranks of the rows as shown, for the sort to keep the order of equal rows shown.
    std::vector<int> rank(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r)
        rank[size_t(r)] = entryRank[size_t(entryOfRow[size_t(stored(r))])];
    const std::vector<int> sequence = orderByRank(rank, ranks, order);
    ++revision_;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        newPosition[size_t(sequence[size_t(i)])] = i;
    // The rows stay where they are stored: only the order shown changes (a million rows' cells
    // are not moved for a click; they are when the rows are asked for whole, see rows()).
    std::vector<int> shown(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        shown[size_t(i)] = stored(sequence[size_t(i)]);
    order_ = std::move(shown);
    // The current row and the selection follow their rows.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from)
        to.append(index(newPosition[size_t(i.row())], i.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const ReportRows& ReportListModel::rows() const {
    if (!order_.empty()) {
        rows_.reorder(order_);
        order_.clear();
    }
    return rows_;
}

int ReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(columns_.value(index.column()).alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return columns_.at(section).title;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(columns_.at(section).alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

// ---- ReportList -----------------------------------------------------------------------------

ReportList::ReportList(QWidget* parent) : QTreeView(parent), model_(new ReportListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);  // heading clicks are handled below

    QHeaderView* heading = header();
    heading->setStretchLastSection(false);
    heading->setSectionsMovable(false);
    heading->setSectionsClickable(true);
    heading->setSortIndicatorShown(false);
    connect(heading, &QHeaderView::sectionClicked, this, &ReportList::headingClicked);

    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit rowClicked(index.row());
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit rowDoubleClicked(index.row());
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                emit currentRowChanged(current.isValid() ? current.row() : -1);
            });
}

void ReportList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        const QModelIndex current = currentIndex();
        if (current.isValid()) emit rowDoubleClicked(current.row());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ReportList::setColumns(const QList<ReportColumn>& columns) {
    dropSort();
    model_->setColumns(columns);
    for (int c = 0; c < columnCount(); ++c)
        applyColumnLayout(c);
}

void ReportList::addColumn(const QString& title, int width, Qt::Alignment alignment) {
    const int at = model_->appendColumn({title, width, alignment});
    applyColumnLayout(at);
}

void ReportList::applyColumnLayout(int column) {
    const ReportColumn& c = model_->columns().at(column);
    setColumnHidden(column, c.width <= 0);
    if (c.width > 0) setColumnWidth(column, c.width);
}

void ReportList::clear() {
    dropSort();
    model_->clear();
}

int ReportList::addRow(const QStringList& texts) {
    return model_->addRow(texts);
}

void ReportList::setRows(std::vector<QStringList>&& rows) {
    ReportRows compact;
    size_t width = 0;
    for (const QStringList& row : rows)
        width = std::max(width, size_t(row.size()));
    compact.reserve(rows.size(), int(width));
    for (const QStringList& row : rows)
        compact.appendRow(row);
    rows.clear();
    setRows(std::move(compact));
}

void ReportList::setRows(ReportRows&& rows) {
    dropSort();
    model_->setRows(std::move(rows));
}

QString ReportList::text(int row, int column) const {
    return model_->text(row, column);
}

void ReportList::setText(int row, int column, const QString& text) {
    model_->setText(row, column, text);
}

QStringList ReportList::rowTexts(int row) const {
    return row >= 0 && row < rowCount() ? model_->rowTexts(row) : QStringList();
}

void ReportList::removeRow(int row) {
    model_->removeRowAt(row);
}

int ReportList::findRow(const QString& text, int column) const {
    for (int r = 0; r < rowCount(); ++r) {
        if (model_->text(r, column) == text) return r;
    }
    return -1;
}

int ReportList::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ReportList::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount()) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void ReportList::setMultiSelection(bool multi) {
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                           : QAbstractItemView::SingleSelection);
}

bool ReportList::isMultiSelection() const {
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

QList<int> ReportList::selectedRows() const {
    QList<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.append(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool ReportList::isRowSelected(int row) const {
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (row >= range.top() && row <= range.bottom()) return true;
    }
    return false;
}

void ReportList::setRowSelected(int row, bool selected) {
    if (row < 0 || row >= rowCount()) return;
    QItemSelectionModel::SelectionFlags how = QItemSelectionModel::Rows;
    if (!selected)
        how |= QItemSelectionModel::Deselect;
    else if (isMultiSelection())
        how |= QItemSelectionModel::Select;
    else
        how |= QItemSelectionModel::ClearAndSelect;
    selectionModel()->select(model_->index(row, 0), how);
}

void ReportList::selectRows(const std::vector<int>& rows) {
    if (!isMultiSelection()) {
        if (!rows.empty()) setRowSelected(rows.front(), true);
        return;
    }
    const int lastColumn = std::max(0, columnCount() - 1);
    QItemSelection selection;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        if (rows[i] >= 0 && rows[j] < rowCount())
            selection.append(
                QItemSelectionRange(model_->index(rows[i], 0), model_->index(rows[j], lastColumn)));
        i = j + 1;
    }
    // The ranges already span every column: asking the model to widen them to rows would merge
    // them one by one, each against all the others (quadratic in the runs of hits).
    if (!selection.isEmpty()) selectionModel()->select(selection, QItemSelectionModel::Select);
}

void ReportList::sortRows(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount()) return;
    model_->sortRows(column, order);
    sortColumn_ = column;
    sortOrder_ = order;
    header()->setSortIndicator(column, order);
    header()->setSortIndicatorShown(true);
}

void ReportList::headingClicked(int column) {
    if (!headerSorting_) return;
    const bool reverse = column == sortColumn_ && sortOrder_ == Qt::AscendingOrder;
    sortRows(column, reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ReportList::dropSort() {
    sortColumn_ = -1;
    sortOrder_ = Qt::AscendingOrder;
    header()->setSortIndicatorShown(false);
}

void ReportList::useFixedPitchFont(int pointSize) {
    QFont font(QStringLiteral("Courier New"), pointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
}

}  // namespace kl
