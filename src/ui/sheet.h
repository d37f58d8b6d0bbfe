#pragma once
// A report as a table for a spreadsheet: the report's title lines, a heading row, the data rows
// and the total rows, each cell typed (text, number with its decimals, date), and the two files
// made from it: CSV the way a Croatian spreadsheet opens it by a double click (UTF-8 with BOM,
// ";" between fields, the decimal comma) and XLSX (libxlsxwriter: numbers as numbers, dates as
// dates, codes as text so "0012" keeps its zeros, a bold heading row frozen under the title,
// columns as wide as their content). The rows come from the reports' own readers, never from
// their text. Widget-free.
//
// A file is written whole under a temporary name beside the target, synced, and only then
// renamed onto the target: a kill or a power cut leaves the old file or the new one, never a
// part. Whether an existing file may be replaced is asked by the window before.

#include "ui/reportrows.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kl::sheet {

enum class CellType { Empty, Text, Number, Date };

struct Cell {
    CellType type = CellType::Empty;
    QString text;
    double number = 0;
    int decimals = 2;
    QDate date;
    // The text's UTF-8, when the maker of the cell keeps it (a text that thousands of cells
    // share is converted once); made from `text` when empty.
    QByteArray utf8;

    static Cell empty() { return {}; }
    static Cell ofText(const QString& t) { return {CellType::Text, t, 0, 0, {}, {}}; }
    static Cell ofText(const QString& t, const QByteArray& utf8) {
        return {CellType::Text, t, 0, 0, {}, utf8};
    }
    static Cell ofNumber(double v, int decimals = 2) {
        return {CellType::Number, {}, v, decimals, {}, {}};
    }
    static Cell ofDate(const QDate& d) { return {CellType::Date, {}, 0, 0, d, {}}; }
};

using Row = std::vector<Cell>;

struct Sheet {
    QString name;            // the worksheet's tab (cut to 31 characters)
    QStringList titleLines;  // the report's title and range, one row each, above the heading
    QStringList heading;     // the column headings
    std::vector<Row> rows;
    // A long report's further rows, made one at a time as the file is written (after `rows`):
    // generate(i, row) makes row i of `generatedCount` into `row` (the row made before, its cells
    // to be overwritten), so its lines are never all held as cells nor each given cells of its own.
    size_t generatedCount = 0;
    std::function<void(size_t, Row&)> generate;
    std::vector<Row> totals;  // bold, after the data rows
};

// Calls `each(row, isTotal)` for the data rows, the generated rows and the totals, in order.
void forEachRow(const Sheet& sheet, const std::function<void(const Row&, bool)>& each);

// A list window's rows as a sheet: each column as `kinds` says (text; a number of two decimals read
// from the list's text, decimal comma or point; a date "dd.MM.yyyy"; left out), an empty text an
// empty cell, a number or date that does not read kept as its text. `heading` names every column
// of the rows, the ones left out included.
enum class ColumnKind { Text, Number, Date, LeftOut };
Sheet listSheet(const QString& name, const QString& title, const QStringList& heading,
                const std::vector<ColumnKind>& kinds, const ReportRows& rows);

// The CSV bytes: BOM, the title lines, the heading, the rows and the totals; CR LF line ends.
// A number is written with its decimals and the decimal comma ("1234,50"), a date dd.MM.yyyy;
// a field holding ";", a quote, a line end or blanks at either end is quoted.
QByteArray csvBytes(const Sheet& sheet);

// Writes the file at `path` (replacing one that is there), as said above; the CSV goes out in
// pieces of about a megabyte as it is made, never held whole. Empty on success, otherwise why
// not, in Croatian.
QString writeCsv(const QString& path, const Sheet& sheet);
QString writeXlsx(const QString& path, const Sheet& sheet);

// The name the save dialog proposes: the report's name and the date, "Stanje zaliha 07.12.2026"
// with the extension ("xlsx" or "csv"); characters a file name cannot hold are left out.
QString proposedFileName(const QString& report, const QDate& date, const QString& extension);

}  // namespace kl::sheet
