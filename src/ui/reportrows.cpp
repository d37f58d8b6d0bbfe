#include "ui/reportrows.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#ifdef __linux__
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cstring>

namespace kl {

// ---- ReportRows -----------------------------------------------------------------------------

ReportRows::ReportRows() : pool_(std::make_shared<Pool>()) {
    pool_->texts.resize(1);
}

void ReportRows::ownPool() {
    if (pool_.use_count() > 1) pool_ = std::make_shared<Pool>(*pool_);
}

std::vector<ReportRows::TextId>& ReportRows::ownCells() {
    if (!cells_)
        cells_ = std::make_shared<std::vector<TextId>>();
    else if (cells_.use_count() > 1)
        cells_ = std::make_shared<std::vector<TextId>>(*cells_);
    return *cells_;
}

namespace {

// Before a push_back that would grow a large vector: the new room made now, twice the old, and
// asked for in large pages, so that it is not handed out page by page as it is first written.
template <class T>
void growInLargePages(std::vector<T>& v) {
    if (v.size() < v.capacity()) return;
    v.reserve(std::max<size_t>(64, 2 * v.capacity()));
    if (v.capacity() * sizeof(T) >= (size_t(4) << 20)) adviseLargePages(v);
}

}  // namespace

ReportRows::TextId ReportRows::addText(const QString& text) {
    if (text.isEmpty()) return kEmpty;
    ownPool();
    growInLargePages(pool_->texts);
    pool_->texts.push_back(text);
    return TextId(pool_->texts.size() - 1);
}

const QString& ReportRows::textOf(TextId id) const {
    if (!(id & kFigure)) return pool_->texts[id];
    const size_t at = id & ~kFigure;
    // The texts' room is made a block at a time, for the figures read (of rows read to be shown
    // mostly only the few on screen are).
    auto& blocks = pool_->figureTexts;
    const size_t block = at / kFigureBlock;
    if (blocks.size() <= block) blocks.resize(pool_->figures.size() / kFigureBlock + 1);
    if (blocks[block].empty()) blocks[block].resize(kFigureBlock);
    QString& text = blocks[block][at % kFigureBlock];
    if (text.isNull()) text = pool_->format(pool_->figures[at]);
    return text;
}

QString ReportRows::figureText(TextId id) const {
    return pool_->format(pool_->figures[figureIndex(id)]);
}

void ReportRows::setFigureFormat(FigureFormat format) {
    if (pool_->format == format) return;
    ownPool();
    pool_->format = format;
    pool_->figureTexts.clear();
}

ReportRows::TextId ReportRows::addFigure(double value) {
    ownPool();
    growInLargePages(pool_->figures);
    pool_->figures.push_back(value);
    return TextId(pool_->figures.size() - 1) | kFigure;
}

bool ReportRows::figureOf(TextId id, double* value) const {
    if (!(id & kFigure) || id == kAbsent) return false;
    *value = pool_->figures[id & ~kFigure];
    return true;
}

void ReportRows::widen(int width) {
    if (width <= stride_) return;
    const int n = count();
    std::vector<TextId> cells(size_t(n) * size_t(width), kAbsent);
    const std::vector<TextId>& old = this->cells();
    for (int r = 0; r < n; ++r)
        std::copy_n(old.begin() + ptrdiff_t(r) * stride_, stride_,
                    cells.begin() + ptrdiff_t(r) * width);
    cells_ = std::make_shared<std::vector<TextId>>(std::move(cells));
    stride_ = width;
    rows_ = 0;
}

void keepRoomOfLongReads() {
#ifdef __GLIBC__
    // Every block from the heap (none mapped on its own); up to 128 MB freed at its top kept.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

void adviseLargePages(const void* data, size_t bytes) {
#ifdef __linux__
    constexpr std::uintptr_t kLarge = 2 << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = begin + bytes;
    const std::uintptr_t first = (begin + kLarge - 1) & ~(kLarge - 1), last = end & ~(kLarge - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

void prepareWrittenRoom(const void* data, size_t bytes) {
    adviseLargePages(data, bytes);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // Only whole pages of the room; a kernel without it leaves the faults.
    constexpr std::uintptr_t kPage = 4096;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kPage - 1) & ~(kPage - 1),
                         last = (begin + bytes) & ~(kPage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#endif
}

void ReportRows::reserveTexts(size_t texts) {
    ownPool();
    pool_->texts.reserve(pool_->texts.size() + texts);
    adviseLargePages(pool_->texts);
}

void ReportRows::reserve(size_t rows, int width, Own own, Room room) {
    const auto prepare = [room](const auto& v) {
        if (room == Room::Exact)
            prepareWrittenRoom(v);
        else
            adviseLargePages(v);
    };
    widen(width);
    std::vector<TextId>& cells = ownCells();
    cells.reserve(rows * size_t(std::max(stride_, 1)));
    prepare(cells);
    ownPool();
    // About a text or a figure of its own a row (the rows' amounts, say) beside the shared texts.
    if (own == Own::Figure) {
        pool_->texts.reserve(pool_->texts.size() + rows / 8);
        pool_->figures.reserve(pool_->figures.size() + rows);
        prepare(pool_->figures);
    } else {
        pool_->texts.reserve(pool_->texts.size() + rows + rows / 8);
    }
}

void ReportRows::appendRow(const QStringList& texts) {
    widen(int(texts.size()));
    if (stride_ == 0) {
        ++rows_;
        return;
    }
    std::vector<TextId>& cells = ownCells();
    for (const QString& t : texts)
        cells.push_back(addText(t));
    cells.insert(cells.end(), size_t(stride_ - texts.size()), kAbsent);
}

void ReportRows::appendRow(std::initializer_list<TextId> ids) {
    widen(int(ids.size()));
    if (stride_ == 0) {
        ++rows_;
        return;
    }
    std::vector<TextId>& cells = ownCells();
    cells.insert(cells.end(), ids);
    cells.insert(cells.end(), size_t(stride_) - ids.size(), kAbsent);
}

const QString& ReportRows::text(int row, int column) const {
    static const QString empty;
    if (row < 0 || row >= count() || column < 0 || column >= stride_) return empty;
    const TextId id = cells()[size_t(row) * size_t(stride_) + size_t(column)];
    return id == kAbsent ? empty : textOf(id);
}

void ReportRows::prefetchEntry(int row, int column) const {
    const TextId id = this->id(row, column);
    if (!(id & kFigure)) __builtin_prefetch(&pool_->texts[id]);
}

void ReportRows::prefetchCharacters(int row, int column) const {
    const TextId id = this->id(row, column);
    if (!(id & kFigure)) __builtin_prefetch(pool_->texts[id].constData());
}

ReportRows::TextId ReportRows::id(int row, int column) const {
    if (row < 0 || row >= count() || column < 0 || column >= stride_) return kEmpty;
    const TextId id = cells()[size_t(row) * size_t(stride_) + size_t(column)];
    return id == kAbsent ? kEmpty : id;
}

int ReportRows::rowLength(int row) const {
    if (row < 0 || row >= count()) return 0;
    int n = stride_;
    const std::vector<TextId>& cells = this->cells();
    while (n > 0 && cells[size_t(row) * size_t(stride_) + size_t(n - 1)] == kAbsent)
        --n;
    return n;
}

QStringList ReportRows::rowTexts(int row) const {
    const int n = rowLength(row);
    QStringList texts;
    texts.reserve(n);
    for (int c = 0; c < n; ++c)
        texts.append(text(row, c));
    return texts;
}

void ReportRows::setText(int row, int column, const QString& text) {
    if (row < 0 || row >= count() || column < 0) return;
    widen(column + 1);
    TextId* cells = &ownCells()[size_t(row) * size_t(stride_)];
    // The cells before it become part of the row, as empty texts.
    for (int c = 0; c < column; ++c)
        if (cells[c] == kAbsent) cells[c] = kEmpty;
    cells[column] = addText(text);
}

void ReportRows::removeRow(int row) {
    if (row < 0 || row >= count()) return;
    if (stride_ == 0) {
        --rows_;
        return;
    }
    std::vector<TextId>& cells = ownCells();
    const auto at = cells.begin() + ptrdiff_t(row) * stride_;
    cells.erase(at, at + stride_);
}

ReportRows ReportRows::subset(const std::vector<int>& positions) const {
    ReportRows out;
    out.pool_ = pool_;
    out.stride_ = stride_;
    if (stride_ == 0) {
        out.rows_ = int(positions.size());
        return out;
    }
    std::vector<TextId>& to = out.ownCells();
    to.reserve(positions.size() * size_t(stride_));
    for (int p : positions) {
        const auto from = cells().begin() + ptrdiff_t(p) * stride_;
        to.insert(to.end(), from, from + stride_);
    }
    return out;
}

void ReportRows::reorder(const std::vector<int>& sequence) {
    if (stride_ == 0) return;
    const size_t width = size_t(stride_), n = sequence.size();
    const TextId* from = this->cells().data();
    auto cells = std::make_shared<std::vector<TextId>>(n * width);
    TextId* to = cells->data();
    // The rows are gathered from all over the old cells: each row is asked for a few rows ahead,
    // so that the memory works on the next rows while this one is copied.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(from + size_t(sequence[i + kAhead]) * width);
        std::memcpy(to + i * width, from + size_t(sequence[i]) * width, width * sizeof(TextId));
    }
    cells_ = std::move(cells);
}

// ---- ReportSource ---------------------------------------------------------------------------

QString ReportSource::text() const {
    QString out;
    const int n = lineCount();
    out.reserve(qsizetype(n) * (widestLine() + 2));
    // Most lines are narrower than the widest: the room is faulted in large pages as it is written.
    adviseLargePages(out.constData(), size_t(out.capacity()) * sizeof(QChar));
    for (int i = 0; i < n; ++i) {
        out += line(i);
        out += u"\r\n";
    }
    return out;
}

}  // namespace kl
