#pragma once
// What the report tests share: a warehouse book filled by posting real documents through the
// program's own posting code, the report windows defined, message boxes scripted and every print
// going to a PDF file in the test's program folder, read back with pdfinfo and pdftotext.

#include "data/appcontext.h"
#include "data/convert.h"
#include "reports/reportwindows.h"
#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/msgboxhr.h"
#include "ui/printing.h"
#include "ui/windowregistry.h"
#include "warehouse/documents.h"
#include "windowtest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <memory>
#include <vector>

namespace kl::test {

// One line of a posted document: the article's id, the quantity and the price as typed.
struct Line {
    int article;
    QString kolicina;
    QString cijena;
};

// Posts a document of `kind` dated `date` to `partner` (a receipt with the document type, the
// supplier's document number and date) and returns its number.
inline int post(const BookLocation& book, DocumentKind kind, const QDate& date,
                const QString& partner, const std::vector<Line>& lines,
                const QString& documentType = QString(), const QString& brojdok = QString(),
                const QDate& datumdok = QDate()) {
    DocumentHeader h;
    h.kind = kind;
    const int number = nextDocumentNumber(book, kind);
    h.broj = QString::number(number);
    h.datum = date;
    h.partner = partner;
    h.documentType = documentType;
    h.brojdok = brojdok;
    h.datumdok = datumdok;
    std::vector<DocumentLine> rows;
    for (const Line& l : lines)
        rows.push_back({QString(), QString(), l.kolicina, l.cijena,
                        formatEntry(numberOrZero(l.kolicina) * numberOrZero(l.cijena)),
                        QString::number(l.article)});
    const PostingResult r = postDocument(book, h, rows);
    if (r.refusal != PostingRefusal::None) qFatal("posting refused");
    return number;
}

inline int receipt(const BookLocation& book, const QDate& date, const QString& supplier,
                   const std::vector<Line>& lines, const QString& documentType,
                   const QString& brojdok = QStringLiteral("R-1"),
                   const QDate& datumdok = QDate()) {
    return post(book, DocumentKind::Receipt, date, supplier, lines, documentType, brojdok,
                datumdok.isValid() ? datumdok : date);
}

inline int issue(const BookLocation& book, const QDate& date, const QString& customer,
                 const std::vector<Line>& lines) {
    return post(book, DocumentKind::Issue, date, customer, lines);
}

inline QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(20000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The number of pages of a PDF file as pdfinfo reads it (-1 when it cannot be read).
inline int pdfPageCount(const QString& path) {
    const QRegularExpression re(QStringLiteral("^Pages:\\s+(\\d+)"),
                                QRegularExpression::MultilineOption);
    const auto m = re.match(runTool(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of each page of a PDF file as pdftotext -layout reads it.
inline QStringList pdfPageTexts(const QString& path) {
    QStringList pages =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                              QStringLiteral("UTF-8"), path, QStringLiteral("-")})
            .split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// The lines of a report text without their CR LF. A last line without CR LF, or a line holding a
// bare CR or LF, is marked, so that comparing the whole list shows it.
inline QStringList reportLines(const QString& text) {
    if (text.isEmpty()) return {};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    else
        lines.last() += QStringLiteral("<no CR LF>");
    for (QString& l : lines)
        if (l.contains(u'\n') || l.contains(u'\r')) l += QStringLiteral("<bare line end>");
    return lines;
}

// A report made line by line as it is shown is `text`: the same text whole, the same lines one
// by one, and the widest of them as its widest line.
inline void compareShownLineByLine(const ReportSource& source, const QString& text) {
    QCOMPARE(source.text(), text);
    const QStringList lines = reportLines(text);
    QCOMPARE(source.lineCount(), lines.size());
    int widest = 0;
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(source.line(i), lines[i]);
        widest = std::max(widest, int(lines[i].size()));
    }
    QCOMPARE(source.widestLine(), widest);
}

// Clicks the button or option `name` of `w` as the mouse does (near its left edge, on an
// option's label); a disabled one takes no click.
inline void clickOn(QWidget* w, const char* name) {
    auto* b = control<QAbstractButton>(w, QString::fromLatin1(name));
    if (b) QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

// Each test gets a company with one warehouse book entered as the current book, the report
// windows defined, every message box scripted and prints going to PDF files (recorded in
// printed_); all windows are closed after it.
class ReportTest : public WindowTest {
    Q_OBJECT
  protected:
    BookLocation book_;

  private slots:
    void init() {
        beginWindowTest();
        book_ = enterNewWarehouseBook();
        defineReportWindows();
    }
    void cleanup() { endWindowTest(); }
};

}  // namespace kl::test
