#pragma once
// The journal of a warehouse book: every receipt and issue line in stored order, as the rows of
// the journal list, as report text and as printed pages. No widgets.
//
// A journal row holds the texts of the list's eleven columns ("Dat.primke", "Naziv artikla", the
// kind letter, "Dokument", "Br.dok", "Datum dok.", "Kol.ulaz", "Kol.izlaz", "Cijena", "Duguje",
// "Potražuje"). A receipt row (kind "P") fills the document, the quantity in and the debit; an
// issue row the quantity out and the credit; the other side's columns stay empty. The report
// text and the printed pages are made from the rows as the list shows them (its sort applies),
// so the texts go from the list to the paper unchanged.
//
// The report line is 129 characters wide: the date, the article name (trimmed, cut to 23), the
// kind letter, the document type (15), the supplier's document number and date, then the figures
// "0.00" right-aligned in 10 (an empty one is 10 blanks): quantity in, quantity out, price,
// debit, and on an issue line the credit. There is no total line.
//
// The printed journal is landscape, with a heading block on every page (three empty lines, the
// title with "  Stranica br. " and the page number, an empty line, the column heading and 130
// underscores, all indented by 12 blanks), 50 rows a page and a footer with the page number
// after each full page; the page after the last full one always starts with its heading block.

#include "data/booklocation.h"
#include "ui/printing.h"
#include "ui/reportrows.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <limits>
#include <memory>
#include <vector>

namespace kl {

// One line of `ulazizlaz` with what its article, header and document type say about it.
struct JournalLine {
    QDate datumpi;     // the header's date
    QString naziv;     // the article's name (empty when the article is gone)
    QString pi;        // the kind letter: "P" receipt, anything else an issue
    QString dokument;  // receipt: the name of the document type (empty when the type is gone)
    QString brojdok;   // receipt: the supplier's document number
    QDate datumdok;    // receipt: the supplier's document date
    float kolicina = 0;
    double cijena = 0;  // currency

    bool isReceipt() const { return pi == u"P"; }
};

// The columns of a journal row.
enum JournalColumn {
    JDatum,
    JNaziv,
    JVrsta,
    JDokument,
    JBrojDok,
    JDatumDok,
    JKolUlaz,
    JKolIzlaz,
    JCijena,
    JDuguje,
    JPotrazuje,
    JournalColumnCount
};

// What the report is made of: the whole journal, the rows the clerk selected, a date range.
enum class JournalScope { All, Selection, Range };

// Every line of the journal of the book at `book`, in stored order, read with one select.
// Equal names and document texts share one string. Throws DbError.
std::vector<JournalLine> readJournal(const BookLocation& book);

// The rows of every line of the journal, read and made in one pass (the journal window's list):
// the same rows as journalRows(readJournal(book)) without holding the lines, held compactly
// (each date, name, header text, quantity and price once). Throws DbError.
ReportRows readJournalRows(const BookLocation& book);

// The texts of the row of one line.
QStringList journalRow(const JournalLine& line);

// The rows of all lines, in the same order. Equal texts (names, dates, figures) share one string,
// so a long journal keeps its memory small.
std::vector<QStringList> journalRows(const std::vector<JournalLine>& lines);

// True when the row's "Dat.primke" lies between `from` and `to`, both included.
bool journalRowInRange(const QStringList& row, const QDate& from, const QDate& to);

// The day a "Dat.primke" text names, as a Julian day; kNoDay when it names none.
inline constexpr qint64 kNoDay = std::numeric_limits<qint64>::min();
qint64 journalRowDay(const QString& datumText);

// The title of the report and of the printed pages.
QString journalTitle(JournalScope scope, const QDate& today, const QDate& from = QDate(),
                     const QDate& to = QDate());

// The column heading (129 characters, no line end).
QString journalHeading();

// The report line of one row (no line end).
QString journalReportLine(const QStringList& row);

// The whole report: title, empty line, heading, 130 underscores, one line per row; CR LF after
// every line.
QString journalText(const QString& title, const std::vector<QStringList>& rows);

// The same report as a source whose lines are made as they are shown (the journal window's
// "Prikaz"); its text() is journalText of the same rows.
std::shared_ptr<const ReportSource> journalReport(const QString& title, ReportRows rows);

// The number of pages the print question announces for a list of `rows` rows.
int journalPageEstimate(int rows);

// The printed journal as pages of lines. `firstTitle` heads the first page and `laterTitle` the
// others.
std::vector<QStringList> journalPages(const QString& firstTitle, const QString& laterTitle,
                                      const std::vector<QStringList>& rows);
std::vector<QStringList> journalPages(const QString& firstTitle, const QString& laterTitle,
                                      const ReportRows& rows);

// The page the journal is printed on: landscape A4, Courier New 9 pt, 59 lines a page, no page
// footer (its pages are numbered in its own lines).
PageSetup journalPageSetup();

}  // namespace kl
