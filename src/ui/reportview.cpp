#include "ui/reportview.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace kl {

namespace {

// "Courier New" when it resolves to a fixed-pitch font, otherwise the system's fixed-pitch font.
QFont reportFont() {
    QFont font(QStringLiteral("Courier New"), 9);
    font.setStyleHint(QFont::TypeWriter);
    font.setKerning(false);
    if (QFontInfo(font).fixedPitch()) return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    return fixed;
}

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u',' || c == u'.' || c == u'-' || c == u'/';
}

}  // namespace

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(reportFont());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    updateMetrics();
}

void ReportView::setSource(std::shared_ptr<const ReportSource> source) {
    text_.clear();
    lines_.clear();
    source_ = std::move(source);
    widestLine_ = source_ ? source_->widestLine() : 0;
    reset();
}

void ReportView::setText(const QString& text) {
    source_.reset();
    text_ = text;
    lines_.clear();
    widestLine_ = 0;
    const QStringView all(text_);
    const qsizetype n = all.size();
    // The next CR and the next LF, each looked for again only once passed (a vectorised search
    // rather than a test of every character).
    qsizetype cr = all.indexOf(u'\r'), lf = all.indexOf(u'\n');
    qsizetype start = 0;
    while (cr >= 0 || lf >= 0) {
        const qsizetype end = cr < 0 ? lf : lf < 0 ? cr : std::min(cr, lf);
        const int length = int(end - start);
        lines_.push_back({start, length});
        widestLine_ = std::max(widestLine_, length);
        start = end + (end == cr && lf == end + 1 ? 2 : 1);
        if (cr >= 0 && cr < start) cr = all.indexOf(u'\r', start);
        if (lf >= 0 && lf < start) lf = all.indexOf(u'\n', start);
    }
    if (start < n) {
        lines_.push_back({start, int(n - start)});
        widestLine_ = std::max(widestLine_, int(n - start));
    }
    reset();
}

void ReportView::reset() {
    anchor_ = cursor_ = Position();
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    emit selectionChanged();
}

QString ReportView::line(int i) const {
    if (i < 0 || i >= lineCount()) return {};
    if (source_) return source_->line(i);
    const Line& l = lines_[size_t(i)];
    return text_.mid(l.start, l.length);
}

QString ReportView::toPlainText() const {
    QString out;
    out.reserve(text_.size());
    for (int i = 0; i < lineCount(); ++i) {
        if (i > 0) out += u'\n';
        out += line(i);
    }
    return out;
}

ReportView::Position ReportView::clamp(Position p) const {
    if (lineCount() == 0) return {};
    p.line = std::clamp(p.line, 0, lineCount() - 1);
    p.column = std::clamp(p.column, 0, int(line(p.line).size()));
    return p;
}

void ReportView::setSelection(Position anchor, Position cursor) {
    anchor_ = clamp(anchor);
    cursor_ = clamp(cursor);
    viewport()->update();
    emit selectionChanged();
}

void ReportView::selectAll() {
    if (lineCount() == 0) return;
    setSelection({0, 0}, {lineCount() - 1, int(line(lineCount() - 1).size())});
}

void ReportView::clearSelection() {
    setSelection(cursor_, cursor_);
}

QString ReportView::selectedText() const {
    if (!hasSelection()) return QString();
    const Position from = selectionStart();
    const Position to = selectionEnd();
    if (from.line == to.line) return line(from.line).mid(from.column, to.column - from.column);
    QString out = line(from.line).mid(from.column);
    for (int i = from.line + 1; i < to.line; ++i) {
        out += QStringLiteral("\r\n");
        out += line(i);
    }
    out += QStringLiteral("\r\n");
    out += line(to.line).left(to.column);
    return out;
}

void ReportView::copy() const {
    if (hasSelection()) QApplication::clipboard()->setText(selectedText());
}

int ReportView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

int ReportView::visibleLines() const {
    return std::max(1, viewport()->height() / lineHeight_);
}

void ReportView::updateMetrics() {
    const QFontMetricsF fm(font());
    // Measured over a run: the advance of one character alone is rounded to whole pixels.
    charWidth_ = std::max<qreal>(1, fm.horizontalAdvance(QString(100, QLatin1Char('M'))) / 100);
    lineHeight_ = std::max(1, int(std::ceil(fm.lineSpacing())));
    ascent_ = int(std::ceil(fm.ascent()));
}

void ReportView::updateScrollBars() {
    const int visible = visibleLines();
    verticalScrollBar()->setRange(0, std::max(0, lineCount() - visible));
    verticalScrollBar()->setPageStep(visible);
    const int width = int(std::ceil(2 * kMargin + widestLine_ * charWidth_));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(int(std::ceil(charWidth_)));
}

void ReportView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReportView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    updateScrollBars();
}

qreal ReportView::columnX(int column) const {
    return kMargin - horizontalScrollBar()->value() + column * charWidth_;
}

void ReportView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        updateScrollBars();
    }
}

void ReportView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const QPalette& pal = palette();
    const int first = firstVisibleLine() + event->rect().top() / lineHeight_;
    const int last =
        std::min(lineCount() - 1, firstVisibleLine() + event->rect().bottom() / lineHeight_ + 1);
    const Position from = selectionStart();
    const Position to = selectionEnd();
    for (int i = std::max(first, 0); i <= last; ++i) {
        const int y = (i - firstVisibleLine()) * lineHeight_;
        const QString text = line(i);
        // The selected columns of this line (a selected line end shows as one more column).
        int selFrom = 0, selTo = 0;
        if (hasSelection() && i >= from.line && i <= to.line) {
            selFrom = i == from.line ? from.column : 0;
            selTo = i == to.line ? to.column : int(text.size()) + 1;
        }
        if (selTo > selFrom)
            p.fillRect(QRectF(columnX(selFrom), y, (selTo - selFrom) * charWidth_, lineHeight_),
                       pal.color(QPalette::Highlight));
        // Each run of characters starts at its column, so the columns stay where the selection
        // and the mouse put them whatever the font's rounding.
        const auto draw = [&](int fromColumn, int toColumn, QPalette::ColorRole role) {
            if (toColumn <= fromColumn) return;
            p.setPen(pal.color(role));
            p.drawText(QPointF(columnX(fromColumn), y + ascent_),
                       text.mid(fromColumn, toColumn - fromColumn));
        };
        const int length = int(text.size());
        draw(0, std::min(selFrom, length), QPalette::Text);
        draw(selFrom, std::min(selTo, length), QPalette::HighlightedText);
        draw(std::max(selTo, selFrom), length, QPalette::Text);
    }
    // The caret, while the view has the keyboard.
    if (hasFocus() && lineCount() > 0) {
        const int y = (cursor_.line - firstVisibleLine()) * lineHeight_;
        p.fillRect(QRectF(columnX(cursor_.column), y, 1, lineHeight_), pal.color(QPalette::Text));
    }
}

ReportView::Position ReportView::positionAt(const QPoint& point) const {
    const int lineIndex = firstVisibleLine() + (point.y() < 0 ? -1 - (-point.y()) / lineHeight_
                                                              : point.y() / lineHeight_);
    const qreal x = point.x() + horizontalScrollBar()->value() - kMargin;
    const int column = x <= 0 ? 0 : int(x / charWidth_ + 0.5);
    return clamp({lineIndex, column});
}

void ReportView::moveCursor(Position to, bool extend) {
    cursor_ = clamp(to);
    if (!extend) anchor_ = cursor_;
    ensureCursorVisible();
    viewport()->update();
    emit selectionChanged();
}

void ReportView::ensureCursorVisible() {
    QScrollBar* v = verticalScrollBar();
    if (cursor_.line < v->value())
        v->setValue(cursor_.line);
    else if (cursor_.line >= v->value() + visibleLines())
        v->setValue(cursor_.line - visibleLines() + 1);
    QScrollBar* h = horizontalScrollBar();
    const int x = int(kMargin + cursor_.column * charWidth_);
    const int room = viewport()->width() - int(std::ceil(charWidth_));
    if (x - kMargin < h->value())
        h->setValue(x - kMargin);
    else if (x > h->value() + room)
        h->setValue(x - room);
}

void ReportView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    moveCursor(positionAt(event->position().toPoint()),
               event->modifiers().testFlag(Qt::ShiftModifier));
}

void ReportView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons().testFlag(Qt::LeftButton))
        moveCursor(positionAt(event->position().toPoint()), true);
}

void ReportView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || lineCount() == 0) return;
    const Position at = positionAt(event->position().toPoint());
    const QString text = line(at.line);
    int from = at.column, to = at.column;
    while (from > 0 && isWordCharacter(text[from - 1]))
        --from;
    while (to < text.size() && isWordCharacter(text[to]))
        ++to;
    anchor_ = {at.line, from};
    moveCursor({at.line, to}, true);
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    Position to = cursor_;
    const int page = visibleLines();
    switch (event->key()) {
        case Qt::Key_Left:
            if (to.column > 0)
                --to.column;
            else if (to.line > 0)
                to = {to.line - 1, int(line(to.line - 1).size())};
            break;
        case Qt::Key_Right:
            if (to.column < line(to.line).size())
                ++to.column;
            else if (to.line + 1 < lineCount())
                to = {to.line + 1, 0};
            break;
        case Qt::Key_Up:
            --to.line;
            break;
        case Qt::Key_Down:
            ++to.line;
            break;
        case Qt::Key_PageUp:
            to.line -= page;
            break;
        case Qt::Key_PageDown:
            to.line += page;
            break;
        case Qt::Key_Home:
            to = control ? Position{0, 0} : Position{to.line, 0};
            break;
        case Qt::Key_End:
            to = control ? Position{lineCount() - 1, int(line(lineCount() - 1).size())}
                         : Position{to.line, int(line(to.line).size())};
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    moveCursor(to, extend);
}

void ReportView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ReportView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

}  // namespace kl
