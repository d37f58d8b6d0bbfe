#pragma once
// The report-style list of the windows: columns with a heading, a width in pixels and an
// alignment; rows of texts (the item text and its sub-items); whole-row selection, no editing.
//
// Rows are addressed by their position as shown: after a heading click has sorted the list,
// text(0, c) is the first row on screen. A column given width 0 is hidden and typically holds
// the row's id (read with text(row, column), never shown).
//
// Sorting: a click on a column heading sorts by that column ascending, a second click on the
// same heading descending, a third ascending again; a click on another heading starts
// ascending. Texts compare with kl::compareText (case-insensitive, Croatian letter order), equal
// texts keep their order (the sort is stable). The current row and the selection follow their
// rows. Filling the list again (clear, setRows) drops the sort: rows are shown as given.
//
// Built on a table model of its own and uniform row heights: filling and sorting 100 000 rows
// takes a fraction of a second. Fill large lists with setRows, not row by row.

#include "ui/reportrows.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTreeView>

#include <vector>

namespace kl {

struct ReportColumn {
    QString title;
    int width = 100;  // pixels; 0 hides the column
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The positions of `texts` in the order a stable sort by kl::compareText gives (equal texts keep
// their order), found by ranking each distinct text once and sorting the rows by rank.
std::vector<int> sortedOrder(const std::vector<const QString*>& texts, Qt::SortOrder order);

// The list's data; used through ReportList.
class ReportListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setColumns(const QList<ReportColumn>& columns);
    // Returns the new column's position.
    int appendColumn(const ReportColumn& column);
    const QList<ReportColumn>& columns() const { return columns_; }

    void clear();
    int addRow(const QStringList& row);
    void setRows(ReportRows&& rows);
    void removeRowAt(int row);
    const QString& text(int row, int column) const { return rows_.text(stored(row), column); }
    void setText(int row, int column, const QString& text);
    QStringList rowTexts(int row) const { return rows_.rowTexts(stored(row)); }
    // The rows in the order shown (after a sort, put into that order now).
    const ReportRows& rows() const;
    int count() const { return rows_.count(); }
    // Counts every change of the rows (filled, sorted, a text set): what was worked out from the
    // rows as they stood still holds while it stays the same.
    quint64 revision() const { return revision_; }

    // Stable sort by the texts of `column`.
    void sortRows(int column, Qt::SortOrder order);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    // Where the row shown at `row` is stored.
    int stored(int row) const {
        return order_.empty() || row < 0 || row >= int(order_.size()) ? row : order_[size_t(row)];
    }

    QList<ReportColumn> columns_;
    // The rows as filled; a sort sets order_, the stored row of each row shown (empty: as
    // stored), and rows() moves them into that order when they are asked for whole.
    mutable ReportRows rows_;
    mutable std::vector<int> order_;
    quint64 revision_ = 0;
};

class ReportList : public QTreeView {
    Q_OBJECT
  public:
    explicit ReportList(QWidget* parent = nullptr);

    // ---- Columns ----
    // Replaces the columns (and removes every row).
    void setColumns(const QList<ReportColumn>& columns);
    // Adds a column at the end (rows keep their texts; a row shorter than the columns shows
    // empty cells).
    void addColumn(const QString& title, int width, Qt::Alignment alignment = Qt::AlignLeft);
    int columnCount() const { return int(model_->columns().size()); }

    // ---- Rows ----
    void clear();
    // Appends a row; returns its position.
    int addRow(const QStringList& texts);
    // Replaces all rows at once (the fast way to fill a list).
    void setRows(std::vector<QStringList>&& rows);
    void setRows(ReportRows&& rows);
    // The rows in the order shown.
    const ReportRows& rows() const { return model_->rows(); }
    int rowCount() const { return model_->count(); }
    // See ReportListModel::revision.
    quint64 revision() const { return model_->revision(); }
    // The text of a cell; empty for a cell the row has no text for or a position out of range.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString& text);
    QStringList rowTexts(int row) const;
    void removeRow(int row);
    // The first row whose `column` text equals `text` exactly, or -1.
    int findRow(const QString& text, int column = 0) const;

    // ---- Current row and selection ----
    // -1 when there is none.
    int currentRow() const;
    // Makes `row` current, selects it (alone) and scrolls to it; -1 clears both.
    void setCurrentRow(int row);
    // Extended selection (Ctrl/Shift + click) when true, one row at a time otherwise (default).
    void setMultiSelection(bool multi);
    bool isMultiSelection() const;
    // Selected rows in ascending order.
    QList<int> selectedRows() const;
    bool isRowSelected(int row) const;
    void setRowSelected(int row, bool selected);
    // Adds `rows` (ascending positions) to the selection in one step: each run of neighbouring
    // rows is one range, so thousands of rows take no longer than one does row by row.
    void selectRows(const std::vector<int>& rows);

    // ---- Sorting ----
    // Sorts as a heading click does, and shows the sort indicator.
    void sortRows(int column, Qt::SortOrder order);
    // The column of the last sort, or -1 when the rows are in the order given.
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // Heading clicks sort (default true).
    void setHeaderSorting(bool on) { headerSorting_ = on; }

    // The fixed-pitch font of the lists that line up figures ("Courier New", a monospace
    // font where it is missing).
    void useFixedPitchFont(int pointSize = 9);

  signals:
    void rowClicked(int row);
    // A double click on a row, or Enter on the current row.
    void rowDoubleClicked(int row);
    // The current row changed (-1: none).
    void currentRowChanged(int row);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void headingClicked(int column);
    void applyColumnLayout(int column);
    void dropSort();

    ReportListModel* model_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool headerSorting_ = true;
};

}  // namespace kl
