#pragma once
// The report box of the report windows: a read-only view of a report's fixed-width text.
//
// A report can run to hundreds of thousands of lines (the journal of a large book, the stock
// cards of every article), so the view keeps the text as it was given, one string and the start
// of every line, and paints only the lines on screen: setting a report of 200 000 lines costs
// one pass over its characters, and no layout of text that is never seen.
//
// The clerk reads, scrolls and selects: with the mouse (press and drag, Shift+click extends,
// a double click takes a word), with the keys (arrows, Home/End, PgUp/PgDn, Ctrl+Home/End; with
// Shift they extend the selection), Ctrl+A selects everything and Ctrl+C copies the selection.
// A print of the report prints the selection when there is one (selectedText).
//
// A report made from rows in memory can be shown through a ReportSource instead: the view then
// asks for the lines on screen only, and the whole text is made when it is asked for (a copy, a
// print).
//
// Positions are (line, column) with columns counted in characters; the font is fixed-pitch
// ("Courier New", the system's fixed-pitch font where that is not one), so columns line up.

#include "ui/reportrows.h"

#include <QAbstractScrollArea>
#include <QString>

#include <compare>
#include <memory>
#include <vector>

namespace kl {

class ReportView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    struct Position {
        int line = 0;
        int column = 0;
        auto operator<=>(const Position&) const = default;
    };

    explicit ReportView(QWidget* parent = nullptr);

    // Shows `text`; its lines end with CR LF (a lone LF or CR ends a line too). A line end after
    // the last line does not start another line. The selection is cleared and the view goes to
    // the top.
    void setText(const QString& text);
    // Shows the lines of `source`, made as they come into view.
    void setSource(std::shared_ptr<const ReportSource> source);
    void clear() { setText(QString()); }

    int lineCount() const { return source_ ? source_->lineCount() : int(lines_.size()); }
    QString line(int i) const;
    // The lines joined with "\n" (no line end after the last).
    QString toPlainText() const;

    // ---- Selection ----
    bool hasSelection() const { return anchor_ != cursor_; }
    // Selects from `anchor` to `cursor` (in either order); positions are clamped to the text.
    void setSelection(Position anchor, Position cursor);
    void selectAll();
    void clearSelection();
    Position selectionStart() const { return std::min(anchor_, cursor_); }
    Position selectionEnd() const { return std::max(anchor_, cursor_); }
    // The selected characters, CR LF between lines; empty without a selection.
    QString selectedText() const;
    // Copies the selection to the clipboard.
    void copy() const;

    // The first line shown at the top.
    int firstVisibleLine() const;

  signals:
    void selectionChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    struct Line {
        qsizetype start = 0;
        int length = 0;
    };

    Position clamp(Position p) const;
    Position positionAt(const QPoint& viewportPoint) const;
    // Moves the cursor; with `extend` the anchor stays (the selection grows or shrinks),
    // otherwise the anchor follows and nothing is selected.
    void moveCursor(Position to, bool extend);
    void ensureCursorVisible();
    void updateMetrics();
    void updateScrollBars();
    int visibleLines() const;
    qreal columnX(int column) const;

    void reset();

    QString text_;
    std::vector<Line> lines_;
    std::shared_ptr<const ReportSource> source_;  // instead of text_ when set
    int widestLine_ = 0;                          // characters
    Position anchor_, cursor_;
    qreal charWidth_ = 8;  // the advance of a character within a line, in pixels
    int lineHeight_ = 14;
    int ascent_ = 11;
    static constexpr int kMargin = 4;
};

}  // namespace kl
