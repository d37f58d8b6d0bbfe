#include "printing.h"

#include "data/appcontext.h"
#include "data/fileops.h"
#include "msgboxhr.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <cmath>

namespace kl {

namespace {

PrintSettings& settingsRef() {
    static PrintSettings s;
    return s;
}

bool pdfForced() {
    return settingsRef().forcePdf || qEnvironmentVariable("KNJIGE_LUMEN_PDF") == u"1";
}

QString pdfFolder() {
    const QString& folder = settingsRef().pdfFolder;
    if (!folder.isEmpty()) return folder;
    return QDir(context().programFolder).filePath(QStringLiteral("Ispisi"));
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString failed(const QString& what) {
    return QStringLiteral("Ispis nije uspio: ") + what;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Tabs to spaces, with a stop every eight columns as a text box shows them.
QString expandTabs(const QString& line) {
    if (!line.contains(u'\t')) return line;
    QString out;
    out.reserve(line.size() + 16);
    for (QChar c : line) {
        if (c == u'\t')
            out.append(QString(8 - out.size() % 8, u' '));
        else
            out.append(c);
    }
    return out;
}

// The longest prefix of `s` that fits in `width` (monotonic in the length, so a binary search).
qsizetype fittingPrefix(const QString& s, qreal width,
                        const std::function<qreal(const QString&)>& measure) {
    qsizetype lo = 0, hi = s.size();
    if (measure(s) <= width) return hi;
    while (hi - lo > 1) {
        const qsizetype mid = (lo + hi) / 2;
        if (measure(s.left(mid)) <= width)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

// The final name of a written PDF: `path` itself when free, otherwise the first free
// "name_2.pdf", "name_3.pdf", ...
QString candidateName(const QString& path, int n) {
    if (n == 1) return path;
    QString base = path;
    base.chop(4);  // ".pdf"
    return base + QStringLiteral("_%1.pdf").arg(n);
}

// Moves the finished temporary file to the first free name; rename never replaces a file, so a
// name taken in the meantime just moves on to the next one.
QString moveIntoPlace(const QString& tempPath, const QString& wanted) {
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = candidateName(wanted, n);
        if (QFileInfo::exists(candidate)) continue;
        if (QFile::rename(tempPath, candidate)) return candidate;
        if (!QFileInfo::exists(candidate)) return QString();  // failed for another reason
    }
    return QString();
}

// Creates a new empty file under a hidden name in `folder` for the PDF while it is written,
// readable by its owner only (a print shows the company's data), and returns its path; empty on
// failure.
QString reserveTempFile(const QString& folder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QDir(folder).filePath(
            QStringLiteral(".ispis_%1.pdf.tmp")
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0')));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return path;
        if (!f.exists()) break;  // not a name clash: the folder does not take new files
    }
    return QString();
}

// A complete PDF ends with its end-of-file marker; anything else is a half-written file.
bool pdfComplete(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 16) return false;
    f.seek(qMax<qint64>(0, f.size() - 64));
    return f.readAll().contains("%%EOF");
}

// The setup's font when its family resolves to a fixed-pitch font ("Courier New" is mapped to
// Liberation Mono by fontconfig), otherwise the system's fixed-pitch family in the same size.
QFont resolveFont(QFont font) {
    font.setStyleHint(QFont::TypeWriter);
    font.setKerning(false);
    if (QFontInfo(font).fixedPitch()) return font;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({fixed.family()});
    return font;
}

}  // namespace

void setPrintSettings(PrintSettings s) {
    settingsRef() = std::move(s);
}

const PrintSettings& printSettings() {
    return settingsRef();
}

QString pageFooterText(const PageFooter& footer, int page, int pages) {
    QStringList parts = {QStringLiteral("Stranica %1 od %2").arg(page).arg(pages)};
    for (const QString& name : {footer.company.trimmed(), footer.book.trimmed()})
        if (!name.isEmpty()) parts.append(name);
    if (footer.printed.isValid())
        parts.append(footer.printed.toString(QStringLiteral("dd.MM.yyyy")));
    return parts.join(QStringLiteral("  ·  "));
}

QString pdfFileName(const QString& documentName, const QDateTime& when) {
    QString name;
    for (QChar c : documentName.trimmed().left(80))
        name.append(c.isLetterOrNumber() || c == u'-' || c == u'_' ? c : QChar(u'_'));
    if (name.isEmpty()) name = QStringLiteral("Ispis");
    return name + u'_' + when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) +
           QStringLiteral(".pdf");
}

QStringList wrapLine(const QString& line, qreal width,
                     const std::function<qreal(const QString&)>& measure) {
    QStringList pieces;
    QString rest = line;
    const qreal limit = width + 1e-6 * std::abs(width);
    for (;;) {
        qsizetype n = fittingPrefix(rest, limit, measure);
        if (n == rest.size()) {
            pieces.append(rest);
            break;
        }
        // The last blank at or before the first character that does not fit, with something to
        // print before it: blanks at a break hang past the right edge as in a text box.
        qsizetype blank = -1;
        for (qsizetype i = n; i > 0; --i) {
            if (isBlank(rest.at(i)) && !isBlank(rest.at(i - 1))) {
                blank = i;
                break;
            }
        }
        qsizetype next;
        if (blank > 0) {
            pieces.append(rest.left(blank));
            next = blank;
            while (next < rest.size() && isBlank(rest.at(next)))
                ++next;
        } else {
            n = qMax<qsizetype>(n, 1);  // at least one character per piece
            pieces.append(rest.left(n));
            next = n;
        }
        rest = rest.mid(next);
        if (rest.isEmpty()) break;
    }
    return pieces;
}

// ---- LinePrinter -------------------------------------------------------------------------------

struct LinePrinter::Impl {
    enum class State { Idle, Active, Done };

    QString documentName;
    PageSetup setup;
    QFont font;
    State state = State::Idle;
    bool toPdf = false;
    PrintResult result;

    std::unique_ptr<QPrinter> owned;
    QPrinter* printer = nullptr;  // the owned one, or a caller's (the print preview's)
    QPrinter* external = nullptr;
    QPainter painter;
    QString tempPath;   // the PDF while it is written
    QString finalPath;  // the name it is meant to get
    std::unique_ptr<QFontMetricsF> metrics;

    // Painter coordinates of the area inside the margins.
    qreal left = 0, top = 0, right = 0, bottom = 0;
    qreal lineHeight = 1, ascent = 0;
    int perPage = 1;
    int onPage = 0;
    int page = 0;
    QString pageError;  // a failure met while printing, reported by end()
    qreal paperBottom = 0;

    // With a footer the pages are kept, each a list of (baseline, text), and printed by end().
    bool buffered = false;
    PageFooter footer;
    std::vector<std::vector<std::pair<qreal, QString>>> keptPages;

    void fail(const QString& error) {
        result = PrintResult();
        result.toPdf = toPdf;
        result.error = error;
        state = State::Done;
    }

    void discardTemp() {
        if (!tempPath.isEmpty()) QFile::remove(tempPath);
    }

    bool begin();
    void fitFont();
    void printKeptPages();
    void drawFooter(int pageNo, int pages);
    PrintResult end();
    void abandon();
};

// The font made smaller, a tenth of a point at a time, until the setup's longest line fits.
void LinePrinter::Impl::fitFont() {
    if (setup.longestLine <= 0) return;
    const QString longest(setup.longestLine, u'M');  // fixed pitch: any character will do
    const qreal width = right - left;
    qreal size = font.pointSizeF();
    if (size <= 0) return;  // a pixel-sized font: left as it is
    const qreal smallest = qMin(size, qMax<qreal>(setup.smallestPointSize, 1));
    const auto fits = [&](qreal points) {
        QFont f = font;
        f.setPointSizeF(points);
        return QFontMetricsF(f, printer).horizontalAdvance(longest) <= width;
    };
    if (fits(size)) return;
    // First guess by proportion, then down in tenths until it fits.
    size = qMax(smallest, std::floor(size * width /
                                     QFontMetricsF(font, printer).horizontalAdvance(longest) * 10) /
                              10);
    while (size > smallest && !fits(size))
        size = qMax(smallest, size - 0.1);
    font.setPointSizeF(size);
}

bool LinePrinter::Impl::begin() {
    toPdf = !external && (pdfForced() || QPrinterInfo::defaultPrinter().isNull());
    if (external) {
        printer = external;
        printer->setDocName(documentName);
        printer->setPageOrientation(setup.orientation);
        printer->setFullPage(true);
        if (!painter.begin(printer)) {
            fail(QStringLiteral("Pregled ispisa nije moguće prikazati."));
            return false;
        }
    } else if (toPdf) {
        const QString folder = pdfFolder();
        // The prints folder of the program folder is private like the books; a folder of the
        // clerk's choice is made with the parents it needs.
        if (!(makePrivateFolder(folder) || QDir().mkpath(folder)) || !QFileInfo(folder).isDir()) {
            fail(failed(QStringLiteral("nije moguće stvoriti mapu %1.").arg(native(folder))));
            return false;
        }
        finalPath = QDir(folder).filePath(pdfFileName(documentName, QDateTime::currentDateTime()));
        const QString cannotCreate =
            failed(QStringLiteral("nije moguće stvoriti datoteku %1.").arg(native(finalPath)));
        tempPath = reserveTempFile(folder);
        if (tempPath.isEmpty()) {
            fail(cannotCreate);
            return false;
        }
        owned = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer = owned.get();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(tempPath);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setCreator(QStringLiteral("Knjige Lumen"));
        printer->setDocName(documentName);
        printer->setPageOrientation(setup.orientation);
        printer->setFullPage(true);
        if (!painter.begin(printer)) {
            discardTemp();
            fail(cannotCreate);
            return false;
        }
    } else {
        owned =
            std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
        printer = owned.get();
        printer->setDocName(documentName);
        printer->setPageOrientation(setup.orientation);
        printer->setFullPage(true);
        if (!painter.begin(printer)) {
            fail(QStringLiteral("Pisač nije dostupan."));
            return false;
        }
    }

    // Margins are measured from the paper edge. In full-page mode the painter's origin is the
    // paper's corner; were it not, it would be the corner of the printable area, so the
    // printer's unprintable border is taken off here either way.
    const QRectF paper = printer->paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer->pageRect(QPrinter::DevicePixel);
    const QPointF corner =
        printer->fullPage() ? QPointF(0, 0) : paper.topLeft() - printable.topLeft();
    const qreal perMm = printer->resolution() / 25.4;
    const QMarginsF& m = setup.margins;
    left = corner.x() + m.left() * perMm;
    top = corner.y() + m.top() * perMm;
    right = corner.x() + paper.width() - m.right() * perMm;
    bottom = corner.y() + paper.height() - m.bottom() * perMm;
    if (right < left) right = left;
    if (bottom < top) bottom = top;
    paperBottom = corner.y() + paper.height();

    fitFont();
    painter.setFont(font);
    painter.setPen(Qt::black);
    metrics = std::make_unique<QFontMetricsF>(font, printer);
    lineHeight = qMax<qreal>(metrics->lineSpacing(), 1);
    ascent = metrics->ascent();
    perPage = qMax(1, int(std::floor((bottom - top) / lineHeight + 1e-9)));
    if (setup.linesPerPage > 0) {
        // n lines: the last one's glyphs (ascent and descent) end on the bottom margin at most.
        const int n = setup.linesPerPage;
        const qreal glyphs = metrics->ascent() + metrics->descent();
        if (n > 1 && (n - 1) * lineHeight + glyphs > bottom - top)
            lineHeight = qMax<qreal>((bottom - top - glyphs) / (n - 1), 0.1);
        perPage = n;
    }
    // Nothing is drawn past the right margin; the last line's descent stays above the bottom one.
    painter.setClipRect(QRectF(left, top, right - left, qMax(bottom - top, lineHeight)));
    page = 1;
    onPage = 0;
    buffered = setup.footer.shown;
    footer = setup.footer;
    if (footer.fromContext) {
        footer.company = context().currentCompanyName;
        footer.book = context().currentBookName;
    }
    if (!footer.printed.isValid()) footer.printed = QDate::currentDate();
    keptPages.assign(buffered ? 1 : 0, {});
    state = State::Active;
    return true;
}

// The kept pages with their footers, one printer page each.
void LinePrinter::Impl::printKeptPages() {
    const int pages = int(keptPages.size());
    for (int i = 0; i < pages && pageError.isEmpty(); ++i) {
        if (i > 0 && !printer->newPage()) {
            pageError = !toPdf ? failed(QStringLiteral("pisač je javio pogrešku."))
                               : failed(QStringLiteral("pogreška pri pisanju datoteke %1.")
                                            .arg(native(finalPath)));
            break;
        }
        for (const auto& [baseline, text] : keptPages[size_t(i)])
            painter.drawText(QPointF(left, baseline), text);
        drawFooter(i + 1, pages);
    }
    keptPages.clear();
}

// The footer in the middle of the bottom margin, from the left margin, in the page's font at 8
// points at most and smaller where it would not fit between the side margins.
void LinePrinter::Impl::drawFooter(int pageNo, int pages) {
    const QString text = pageFooterText(footer, pageNo, pages);
    QFont f = font;
    qreal size = f.pointSizeF() > 0 ? qMin<qreal>(8, f.pointSizeF()) : 8;
    f.setPointSizeF(size);
    while (size > 4 && QFontMetricsF(f, printer).horizontalAdvance(text) > right - left) {
        size -= 0.5;
        f.setPointSizeF(size);
    }
    const QFontMetricsF m(f, printer);
    const qreal middle = (bottom + paperBottom) / 2;
    painter.save();
    painter.setClipping(false);
    painter.setFont(f);
    painter.drawText(QPointF(left, middle + (m.ascent() - m.descent()) / 2), text);
    painter.restore();
}

PrintResult LinePrinter::Impl::end() {
    if (state == State::Idle) fail(failed(QStringLiteral("ispis nije započet.")));
    if (state == State::Done) return result;

    if (buffered) printKeptPages();
    const bool painterOk = painter.end();
    const bool printerOk = printer->printerState() != QPrinter::Error;
    owned.reset();  // closes the file
    printer = nullptr;
    state = State::Done;

    PrintResult r;
    r.toPdf = toPdf;
    r.pages = page;
    if (!pageError.isEmpty()) {
        r.error = pageError;
    } else if (!painterOk || !printerOk) {
        r.error =
            toPdf
                ? failed(QStringLiteral("pogreška pri pisanju datoteke %1.").arg(native(finalPath)))
                : failed(QStringLiteral("pisač je javio pogrešku."));
    } else if (toPdf) {
        if (!pdfComplete(tempPath)) {
            r.error =
                failed(QStringLiteral("pogreška pri pisanju datoteke %1.").arg(native(finalPath)));
        } else {
            r.pdfPath = moveIntoPlace(tempPath, finalPath);
            if (r.pdfPath.isEmpty())
                r.error = failed(
                    QStringLiteral("nije moguće spremiti datoteku %1.").arg(native(finalPath)));
        }
    }
    r.ok = r.error.isEmpty();
    if (!r.ok) {
        discardTemp();
        r.pages = 0;
    }
    result = r;
    return result;
}

void LinePrinter::Impl::abandon() {
    if (state != State::Active) return;
    if (!external) printer->abort();
    painter.end();
    owned.reset();
    printer = nullptr;
    discardTemp();
    state = State::Done;
}

LinePrinter::LinePrinter(const QString& documentName, const PageSetup& setup)
    : LinePrinter(documentName, setup, nullptr) {}

LinePrinter::LinePrinter(const QString& documentName, const PageSetup& setup, QPrinter* onto)
    : d_(std::make_unique<Impl>()) {
    d_->documentName = documentName;
    d_->setup = setup;
    d_->external = onto;
    d_->font = resolveFont(setup.font);
}

LinePrinter::~LinePrinter() {
    d_->abandon();
}

bool LinePrinter::begin() {
    if (d_->state == Impl::State::Active) return true;
    if (d_->state == Impl::State::Done) return false;
    return d_->begin();
}

bool LinePrinter::isActive() const {
    return d_->state == Impl::State::Active;
}

void LinePrinter::printLine(const QString& line) {
    if (d_->state != Impl::State::Active) return;
    const QString shown = expandTabs(line);
    const qreal width = d_->right - d_->left;
    if (shown.size() > 1 && textWidth(shown) > width) {
        // Wider than the page: on over the next lines, never cut.
        for (const QString& piece :
             wrapLine(shown, width, [this](const QString& s) { return textWidth(s); }))
            printLine(piece);
        return;
    }
    if (d_->onPage >= d_->perPage) newPage();
    if (!shown.isEmpty()) {
        const qreal baseline = d_->top + d_->onPage * d_->lineHeight + d_->ascent;
        if (d_->buffered)
            d_->keptPages.back().emplace_back(baseline, shown);
        else
            d_->painter.drawText(QPointF(d_->left, baseline), shown);
    }
    ++d_->onPage;
}

void LinePrinter::newPage() {
    if (d_->state != Impl::State::Active || !d_->pageError.isEmpty()) return;
    if (d_->buffered) {
        d_->keptPages.emplace_back();
    } else if (!d_->printer->newPage()) {
        d_->pageError = !d_->toPdf ? failed(QStringLiteral("pisač je javio pogrešku."))
                                   : failed(QStringLiteral("pogreška pri pisanju datoteke %1.")
                                                .arg(native(d_->finalPath)));
        return;
    }
    ++d_->page;
    d_->onPage = 0;
}

int LinePrinter::pageNumber() const {
    return d_->page;
}

int LinePrinter::linesPerPage() const {
    return d_->perPage;
}

int LinePrinter::lineOnPage() const {
    return d_->onPage;
}

qreal LinePrinter::printableWidth() const {
    return d_->right - d_->left;
}

qreal LinePrinter::textWidth(const QString& text) const {
    return d_->metrics ? d_->metrics->horizontalAdvance(text) : 0;
}

QFont LinePrinter::font() const {
    return d_->font;
}

PrintResult LinePrinter::end() {
    return d_->end();
}

// ---- printText ---------------------------------------------------------------------------------

PageSetup fittedTo(PageSetup setup, const QString& text) {
    int longest = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        const int n =
            line.contains(u'\t') ? int(expandTabs(line.toString()).size()) : int(line.size());
        longest = qMax(longest, n);
    }
    setup.longestLine = qMax(setup.longestLine, longest);
    return setup;
}

namespace {

// The lines of `text` in [start, start + length), a break at the very end starting no other.
QStringList linesOf(const QString& text, int start, int length) {
    start = qBound(0, start, int(text.size()));
    const QString range = length < 0 ? text.mid(start) : text.mid(start, length);
    QStringList lines;
    qsizetype from = 0;
    for (qsizetype i = 0; i < range.size(); ++i) {
        const QChar c = range.at(i);
        if (c != u'\n' && c != u'\r') continue;
        lines.append(range.mid(from, i - from));
        if (c == u'\r' && i + 1 < range.size() && range.at(i + 1) == u'\n') ++i;
        from = i + 1;
    }
    if (from < range.size()) lines.append(range.mid(from));
    return lines;
}

PrintResult printLines(LinePrinter& printer, const QStringList& lines) {
    if (!printer.begin()) return printer.end();
    const qreal width = printer.printableWidth();
    const auto measure = [&printer](const QString& s) { return printer.textWidth(s); };
    for (const QString& line : lines) {
        for (const QString& piece : wrapLine(expandTabs(line), width, measure))
            printer.printLine(piece);
    }
    return printer.end();
}

}  // namespace

PrintResult printText(const QString& documentName, const QString& text, const PageSetup& setup,
                      int start, int length) {
    const QStringList lines = linesOf(text, start, length);
    if (lines.isEmpty()) {
        PrintResult r;
        r.ok = true;
        return r;
    }
    LinePrinter printer(documentName, setup);
    return printLines(printer, lines);
}

PrintResult printTextOn(QPrinter* onto, const QString& documentName, const QString& text,
                        const PageSetup& setup) {
    LinePrinter printer(documentName, setup, onto);
    return printLines(printer, linesOf(text, 0, -1));
}

int previewPageCount(const PaintOnto& paint, QPageLayout::Orientation orientation) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, &preview, paint);
    preview.updatePreview();
    return preview.pageCount();
}

int previewPageCount(const QString& documentName, const QString& text, const PageSetup& setup) {
    return previewPageCount([&](QPrinter* p) { printTextOn(p, documentName, text, setup); },
                            setup.orientation);
}

void previewPrint(QWidget* parent, const QString& documentName,
                  QPageLayout::Orientation orientation, const PaintOnto& paint) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
    printer.setDocName(documentName);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Pregled ispisa: ") + documentName);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.exec();
}

void previewText(QWidget* parent, const QString& documentName, const QString& text,
                 const PageSetup& setup) {
    if (text.isEmpty()) return;
    previewPrint(parent, documentName, setup.orientation,
                 [&](QPrinter* p) { printTextOn(p, documentName, text, setup); });
}

// ---- After a print -----------------------------------------------------------------------------

void showPrintResult(const PrintResult& result) {
    if (!result.ok) {
        MsgBoxHr(result.error.isEmpty() ? QStringLiteral("Ispis nije uspio.") : result.error,
                 MsgStyle::OkOnly, QString());
        return;
    }
    if (!result.toPdf || result.pdfPath.isEmpty()) return;
    const PrintSettings& s = settingsRef();
    if (s.openFile)
        s.openFile(result.pdfPath);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(result.pdfPath));
    MsgBoxHr(QStringLiteral("Ispis je spremljen u datoteku:\n") + native(result.pdfPath),
             MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Ispis"));
}

}  // namespace kl
