#pragma once
// The print layer. Every page the program prints goes through here, in one of two ways:
//
//  - LinePrinter prints line after line in a fixed-pitch font (the windows lay out their own
//    columns), starting a new page by itself when a page is full;
//  - printText prints a report's text (or a selected range of it) page by page, word-wrapping
//    lines wider than the page like a text box does.
//
// Where the pages go: the machine's default printer when it has one; otherwise (or when PDF is
// forced, see PrintSettings) an A4 PDF file in the folder "Ispisi" beside the databases
// (kl::context().programFolder + "/Ispisi", created when missing). The file is named from the
// document name and the date and time, e.g. "Podaci_tvrtke_2026-12-05_19-30-12.pdf"; an existing
// file is never overwritten ("_2", "_3", ... is added until the name is free). The PDF is written
// under a temporary name in the same folder and moved into place only when the document ended
// without error, so a failed print leaves no half-written file.
//
// A print returns a PrintResult; the window then calls showPrintResult, which opens a written
// PDF for the user and tells where it is, or shows the Croatian error.
//
// Environment: KNJIGE_LUMEN_PDF=1 makes every print go to a PDF file even when a printer is
// installed (for machines whose default printer should not be used by the program).

#include <QDate>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QDateTime;

class QPrinter;
class QWidget;

namespace kl {

// The line at the foot of every page of a print whose own layout numbers no pages, printed in
// the bottom margin, outside the report's text: "Stranica 2 od 5 · company · book · date".
struct PageFooter {
    bool shown = true;
    // The company and book named: those of the context when the print begins (fromContext),
    // otherwise the two below; an empty one is left out.
    bool fromContext = true;
    QString company;
    QString book;
    // The date printed; invalid: today, when the print begins.
    QDate printed;
};

// The footer's text on page `page` of `pages`.
QString pageFooterText(const PageFooter& footer, int page, int pages);

// How a document is laid out on paper. Margins are in millimetres from the paper edge (left,
// top, right, bottom), whatever the printer's unprintable border.
struct PageSetup {
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QFont font = QFont(QStringLiteral("Courier New"), 10);
    QMarginsF margins = QMarginsF(15, 15, 15, 15);
    // Lines on a page. 0: as many as the font's line spacing allows. n > 0: exactly n; the line
    // pitch is narrowed when the font's spacing would not let n lines fit between the top and
    // bottom margins (never widened).
    int linesPerPage = 0;
    // Characters of the longest line the layout can produce (0: not known). When that many do
    // not fit between the margins at the font's size, the font is made smaller (never below
    // smallestPointSize) so that they do: no line of the layout is wrapped.
    int longestLine = 0;
    qreal smallestPointSize = 6;
    // Off for a layout that numbers its pages itself (the journal).
    PageFooter footer;
};

// `setup` made to fit `text`: its longestLine at least the longest line of the text (tabs
// expanded), so that a report whose lines are wider than the page prints in a smaller font
// rather than wrapped (wrapped only below the setup's smallest size).
PageSetup fittedTo(PageSetup setup, const QString& text);

// The outcome of one print.
struct PrintResult {
    bool ok = false;
    bool toPdf = false;  // the pages went to a PDF file (pdfPath), not to a printer
    QString pdfPath;     // full path of the file written ("/" separators)
    QString error;       // Croatian description when !ok, ready for the message box
    int pages = 0;       // pages printed; 0 for an empty range of printText
};

// The machine/test seam of the print layer.
struct PrintSettings {
    // Never use a printer, always write a PDF file (tests; also forced by KNJIGE_LUMEN_PDF=1).
    bool forcePdf = false;
    // The folder of the PDF files; empty: programFolder + "/Ispisi".
    QString pdfFolder;
    // Opens a written PDF for the user; empty: QDesktopServices::openUrl on the file.
    std::function<void(const QString& path)> openFile;
};

void setPrintSettings(PrintSettings s);
const PrintSettings& printSettings();

// Prints line after line, as a printer object does:
//
//     LinePrinter p(QStringLiteral("Kartica artikla"), setup);
//     if (p.begin()) { p.printLine(heading); p.printLine(); ... }
//     showPrintResult(p.end());
//
// With the setup's footer shown, the pages are kept until end(), which prints them with their
// footers ("Stranica n od N" needs the count); without it every line goes out as it is printed.
//
// No line is ever cut: a line wider than the page (a layout whose longestLine was not given or
// could not be fitted) goes on over the next lines, broken as printText breaks lines.
class LinePrinter {
  public:
    LinePrinter(const QString& documentName, const PageSetup& setup = PageSetup());
    // Prints onto a printer of the caller's (the print preview's page by page), which it neither
    // chooses nor writes as a file.
    LinePrinter(const QString& documentName, const PageSetup& setup, QPrinter* onto);
    // A document still open is abandoned: nothing is kept of it.
    ~LinePrinter();
    LinePrinter(const LinePrinter&) = delete;
    LinePrinter& operator=(const LinePrinter&) = delete;

    // Opens the printer or the PDF file and starts page 1. On failure returns false; end() then
    // gives the error. Calling it again after success does nothing and returns true.
    bool begin();
    bool isActive() const;

    // Prints one line at the next line position (an empty line for an empty string), first
    // starting a new page when the line would not fit above the bottom margin. Does nothing
    // unless the document is active.
    void printLine(const QString& line = QString());
    // Ends the current page and starts the next one (also after an empty page).
    void newPage();

    // The page being printed, 1-based (0 before begin()).
    int pageNumber() const;
    // Lines a page holds: the setup's linesPerPage, or as many as fit between the top and bottom
    // margins (at least 1); valid after begin().
    int linesPerPage() const;
    // Lines already printed on the current page.
    int lineOnPage() const;

    // Width between the margins and the width of a text in the page's font, in the same
    // device units (valid after begin()); for callers that centre or align text themselves.
    qreal printableWidth() const;
    qreal textWidth(const QString& text) const;

    // The font actually used: the setup's font, or the system's fixed-pitch family when the
    // setup's family does not resolve to a fixed-pitch font; after begin(), in the size fitted
    // to the setup's longestLine.
    QFont font() const;

    // Finishes the document (a PDF is moved to its final name) and returns the result. A second
    // call returns the same result.
    PrintResult end();

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Prints the characters [start, start + length) of `text` (length -1: to the end) page by page
// between the setup's margins. Lines end with "\n" or "\r\n" (a lone "\r" also ends a line);
// a line wider than the page wraps at the last blank that fits, or mid-word when there is none.
// A range that starts or ends mid-line prints from or to that character. An empty range prints
// nothing and returns ok with 0 pages.
PrintResult printText(const QString& documentName, const QString& text, const PageSetup& setup,
                      int start = 0, int length = -1);

// The same text painted onto the caller's printer: what the print preview shows.
PrintResult printTextOn(QPrinter* onto, const QString& documentName, const QString& text,
                        const PageSetup& setup);

// Qt's print preview of `text` exactly as printText prints it (pages, margins, footers), from
// which the clerk prints or saves a PDF; modal. Nothing for an empty text.
void previewText(QWidget* parent, const QString& documentName, const QString& text,
                 const PageSetup& setup);
// The pages the preview shows (for the tests).
int previewPageCount(const QString& documentName, const QString& text, const PageSetup& setup);

// The same for a print of the caller's own pages: `paint` prints them onto the preview's printer
// (A4 in `orientation`), as a LinePrinter made with it.
using PaintOnto = std::function<void(QPrinter*)>;
void previewPrint(QWidget* parent, const QString& documentName,
                  QPageLayout::Orientation orientation, const PaintOnto& paint);
int previewPageCount(const PaintOnto& paint, QPageLayout::Orientation orientation);

// After a print: opens a written PDF (PrintSettings::openFile) and shows its path in a message
// box; shows the error's description when the print failed; says nothing after a print that went
// to a printer or printed nothing.
void showPrintResult(const PrintResult& result);

// ---- Parts exposed for the tests ---------------------------------------------------------------

// The PDF file name for a document printed at `when`, without "_2" suffixes: the document name
// with every character other than letters, digits, '-' and '_' replaced by '_', then
// "_yyyy-MM-dd_HH-mm-ss.pdf".
QString pdfFileName(const QString& documentName, const QDateTime& when);

// Splits one line (no line breaks in it) into the pieces a text box shows in `width`, measuring
// with `measure`: a break goes after the last blank that fits (the blanks at a break are not
// carried to the next piece), or mid-word when no blank fits. An empty line gives one empty piece.
QStringList wrapLine(const QString& line, qreal width,
                     const std::function<qreal(const QString&)>& measure);

}  // namespace kl
