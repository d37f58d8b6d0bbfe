#pragma once
// The storage of the report lists and report boxes, without widgets: the rows of a list held
// compactly (ReportRows) and a report whose lines are made as they are shown (ReportSource).

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <memory>
#include <vector>

namespace kl {

// Room of many megabytes is handed out by the kernel page by page as it is first written; asked
// for in large pages, the same room costs a few hundred times fewer of those faults. For the
// buffers of the long reads, before they are first written.
void adviseLargePages(const void* data, size_t bytes);
template <class T>
void adviseLargePages(const std::vector<T>& v) {
    adviseLargePages(v.data(), v.capacity() * sizeof(T));
}
// The same for room that will all be written (made for an exact count): its pages are also
// handed out at once, in one call, instead of a fault for each as it is first written.
void prepareWrittenRoom(const void* data, size_t bytes);
template <class T>
void prepareWrittenRoom(const std::vector<T>& v) {
    prepareWrittenRoom(v.data(), v.capacity() * sizeof(T));
}

// Called once at the start of the process: the room of the long reads (tens of megabytes at a
// time) is taken from the process's own heap and, once freed, kept there for the next report,
// instead of being handed back to the kernel and faulted in again page by page.
void keepRoomOfLongReads();

// The rows of a list, held compactly: every text of the rows once in a pool, each row a run of
// indices into it, so that texts the rows share (a name, a date, a figure repeated over
// thousands of rows) cost four bytes a cell. A builder that knows which texts repeat adds each
// once (addText) and appends rows of their ids; rows appended as texts give each cell an entry of
// its own. A row keeps its own length: rowTexts gives back the texts it was appended with. Copies
// share the pool until one of them adds a text.
//
// A figure nearly every row has one of its own (a line's amount) is kept as its number instead
// (addFigure), and its text made by the rows' figure format when the cell is first read: rows
// read to be shown are not made into texts that nobody looks at.
class ReportRows {
  public:
    using TextId = quint32;
    static constexpr TextId kEmpty = 0;  // the empty text, always in the pool
    using FigureFormat = QString (*)(double);

    ReportRows();

    TextId addText(const QString& text);
    // The text of a pool entry: a text, or a figure's text (made now if it is read first).
    const QString& textOf(TextId id) const;
    // How the figures of addFigure read as text; to be set before a figure's text is read.
    void setFigureFormat(FigureFormat format);
    TextId addFigure(double value);
    // The number of a figure entry; false for a text.
    bool figureOf(TextId id, double* value) const;
    static bool isFigure(TextId id) { return (id & kFigure) && id != kAbsent; }
    // The place of a figure entry among the figures, from 0, and the entry at a place.
    static quint32 figureIndex(TextId id) { return id & ~kFigure; }
    static TextId figureId(quint32 index) { return index | kFigure; }
    // A figure's text as textOf gives it, made and not kept.
    QString figureText(TextId id) const;

    void appendRow(const QStringList& texts);
    void appendRow(std::initializer_list<TextId> ids);
    // Room for `rows` rows of `width` cells, each with a text (or a figure) of its own: handed
    // out at once for an exact count, as it is first written for a count that may be too high.
    enum class Own { Text, Figure };
    enum class Room { Exact, AtMost };
    void reserve(size_t rows, int width, Own own = Own::Text, Room room = Room::Exact);
    // Room in the pool for `texts` texts more.
    void reserveTexts(size_t texts);

    int count() const { return stride_ ? int(cells().size() / size_t(stride_)) : rows_; }
    bool empty() const { return count() == 0; }
    // The text of a cell; empty beyond the row's length or out of range.
    const QString& text(int row, int column) const;
    // The pool entry of a cell (kEmpty beyond the row's length or out of range).
    TextId id(int row, int column) const;
    // Asks the memory for a cell's text ahead of its use: its entry in the pool, or, once that is
    // near, the characters themselves. Rows read in order whose texts lie all over the pool.
    void prefetchEntry(int row, int column) const;
    void prefetchCharacters(int row, int column) const;
    int rowLength(int row) const;
    QStringList rowTexts(int row) const;
    void setText(int row, int column, const QString& text);
    void removeRow(int row);
    // The rows at `positions`, in that order, sharing this pool.
    ReportRows subset(const std::vector<int>& positions) const;
    // Row i of the result is row sequence[i] of this.
    void reorder(const std::vector<int>& sequence);

  private:
    static constexpr TextId kAbsent = ~TextId(0);       // a cell beyond the row's length
    static constexpr TextId kFigure = TextId(1) << 31;  // a figure entry's mark
    static constexpr size_t kFigureBlock = 1024;
    void widen(int width);
    void ownPool();

    struct Pool {
        std::vector<QString> texts;
        std::vector<double> figures;
        // The figures' texts in blocks of kFigureBlock, a block made when one of its figures is
        // first read; a text null until its figure is.
        std::vector<std::vector<QString>> figureTexts;
        FigureFormat format = nullptr;
    };
    std::shared_ptr<Pool> pool_;
    // Row after row, stride_ cells each; copies share them until one of them changes (a report
    // made from a list's rows does not copy a million rows' cells).
    std::shared_ptr<std::vector<TextId>> cells_;
    const std::vector<TextId>& cells() const {
        static const std::vector<TextId> none;
        return cells_ ? *cells_ : none;
    }
    std::vector<TextId>& ownCells();
    int stride_ = 0;
    int rows_ = 0;  // rows while stride_ is 0 (rows with no cells)
};

// A report whose lines are made when they are shown: a report of hundreds of thousands of lines
// made from rows already in memory need not be written out whole to be seen.
class ReportSource {
  public:
    virtual ~ReportSource() = default;
    virtual int lineCount() const = 0;
    // Line `i` (0 <= i < lineCount()), without its line end.
    virtual QString line(int i) const = 0;
    // The length of the longest line, in characters.
    virtual int widestLine() const = 0;
    // Every line with CR LF after it: the report as text.
    virtual QString text() const;
};

}  // namespace kl
