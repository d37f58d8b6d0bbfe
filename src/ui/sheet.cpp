#include "ui/sheet.h"

#include "data/convert.h"
#include "data/dberror.h"
#include "data/fileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include <unistd.h>

namespace kl::sheet {

namespace {

// The figure with `decimals` decimals and a decimal comma into `buf`; returns its length. The
// digits are the exact rounding of the value, as QString::number(v, 'f', decimals) gives them.
int formatNumber(double v, int decimals, char (&buf)[400]) {
    int n = std::snprintf(buf, sizeof buf, "%.*f", std::clamp(decimals, 0, 20), v);
    if (n < 0 || n >= int(sizeof buf)) n = 0, buf[0] = 0;
    // No "-0,00": a negative value that rounds to nothing is nothing.
    if (buf[0] == '-' &&
        std::all_of(buf + 1, buf + n, [](char c) { return c == '0' || c == '.'; })) {
        std::memmove(buf, buf + 1, size_t(n));
        --n;
    }
    std::replace(buf, buf + n, '.', ',');
    return n;
}

QString numberText(double v, int decimals) {
    char buf[400];
    const int n = formatNumber(v, decimals, buf);
    return QString::fromLatin1(buf, n);
}

// The length of formatNumber's text, counted without formatting where the count is sure: the
// sign, the integer digits, the comma and the decimals. A value whose integer part is all nines
// (a rounding may carry into a digit more: 9,999 -> 10,00), a negative one under 1 (it may round
// to nothing and lose its sign) and a huge or odd one are formatted.
int numberWidth(double v, int decimals) {
    const double a = std::fabs(v);
    if (a < 1e15 && !(v < 0 && a < 1)) {
        const auto whole = static_cast<long long>(a);
        int digits = 1;
        long long next = 10;  // the least whole number of a digit more
        while (whole >= next) {
            ++digits;
            next *= 10;
        }
        if (whole != next - 1) {
            const int d = std::clamp(decimals, 0, 20);
            return (v < 0 ? 1 : 0) + digits + (d > 0 ? d + 1 : 0);
        }
    }
    char buf[400];
    return formatNumber(v, decimals, buf);
}

// The width of a cell's text in characters, without making the text.
int cellWidth(const Cell& c) {
    switch (c.type) {
        case CellType::Text:
            return int(c.text.size());
        case CellType::Number:
            return numberWidth(c.number, c.decimals);
        case CellType::Date:
            return c.date.isValid() ? 10 : 0;
        case CellType::Empty:
            break;
    }
    return 0;
}

QString cellText(const Cell& c) {
    switch (c.type) {
        case CellType::Text:
            return c.text;
        case CellType::Number:
            return numberText(c.number, c.decimals);
        case CellType::Date:
            return c.date.toString(QStringLiteral("dd.MM.yyyy"));
        case CellType::Empty:
            break;
    }
    return {};
}

bool needsQuotes(QStringView t) {
    for (const QChar c : t)
        if (c == u';' || c == u'"' || c == u'\n' || c == u'\r') return true;
    return !t.isEmpty() && (t.front().isSpace() || t.back().isSpace());
}

// A field's UTF-8 onto `out`, quoted (its quotes doubled) when it must be.
void appendField(QByteArray& out, QStringView text, const QByteArray& utf8) {
    if (!needsQuotes(text)) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendDigits(QByteArray& out, int value, int digits) {
    char d[4];
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        d[i] = char('0' + value % 10);
    out.append(d, digits);
}

void appendCell(QByteArray& out, const Cell& c) {
    switch (c.type) {
        case CellType::Text:
            appendField(out, c.text, c.utf8.isEmpty() ? c.text.toUtf8() : c.utf8);
            return;
        case CellType::Number: {
            char buf[400];
            out.append(buf, formatNumber(c.number, c.decimals, buf));
            return;
        }
        case CellType::Date:
            if (c.date.isValid() && c.date.year() >= 1000 && c.date.year() <= 9999) {
                appendDigits(out, c.date.day(), 2);
                out += '.';
                appendDigits(out, c.date.month(), 2);
                out += '.';
                appendDigits(out, c.date.year(), 4);
            } else {
                const QString t = cellText(c);
                appendField(out, t, t.toUtf8());
            }
            return;
        case CellType::Empty:
            return;
    }
}

// The CSV text of a sheet in pieces of about a megabyte, each handed to `put` as it is made: a
// report of a million lines is never held whole. False when `put` is.
bool writeCsvPieces(const Sheet& sheet, const std::function<bool(const QByteArray&)>& put) {
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    QByteArray out;
    out.reserve(kPiece + 4096);
    out += "\xEF\xBB\xBF";
    bool ok = true;
    const auto endLine = [&] {
        out += "\r\n";
        if (out.size() >= kPiece) {
            ok = ok && put(out);
            out.clear();
        }
    };
    const auto textLine = [&](const QStringList& fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0) out += ';';
            appendField(out, fields[i], fields[i].toUtf8());
        }
        endLine();
    };
    for (const QString& t : sheet.titleLines)
        textLine({t});
    if (!sheet.titleLines.isEmpty()) endLine();
    textLine(sheet.heading);
    forEachRow(sheet, [&](const Row& r, bool) {
        for (size_t i = 0; i < r.size(); ++i) {
            if (i > 0) out += ';';
            appendCell(out, r[i]);
        }
        endLine();
    });
    return ok && (out.isEmpty() || put(out));
}

// The temporary file beside `path` the writers fill; ours by its name (our process id).
QString temporaryFor(const QString& path) {
    const QFileInfo fi(path);
    return fi.dir().filePath(QStringLiteral(".%1.nova-%2").arg(fi.fileName()).arg(::getpid()));
}

// The temporary file, written, put in place of `path`: synced first, renamed, the folder synced.
QString putInPlace(const QString& temporary, const QString& path) {
    try {
        syncFile(temporary);
        if (std::rename(QFile::encodeName(temporary).constData(),
                        QFile::encodeName(path).constData()) != 0) {
            removeDurably(temporary);
            return QStringLiteral("Datoteku %1 nije moguće zapisati.")
                .arg(QFileInfo(path).fileName());
        }
        syncFolder(QFileInfo(path).absolutePath());
    } catch (const DbError& e) {
        removeDurably(temporary);
        return e.description();
    }
    return {};
}

}  // namespace

void forEachRow(const Sheet& sheet, const std::function<void(const Row&, bool)>& each) {
    for (const Row& r : sheet.rows)
        each(r, false);
    if (sheet.generate) {
        Row row;
        for (size_t i = 0; i < sheet.generatedCount; ++i) {
            sheet.generate(i, row);
            each(row, false);
        }
    }
    for (const Row& r : sheet.totals)
        each(r, true);
}

Sheet listSheet(const QString& name, const QString& title, const QStringList& heading,
                const std::vector<ColumnKind>& kinds, const ReportRows& rows) {
    Sheet s;
    s.name = name;
    s.titleLines = {title};
    for (size_t c = 0; c < kinds.size() && c < size_t(heading.size()); ++c)
        if (kinds[c] != ColumnKind::LeftOut) s.heading << heading[int(c)];
    s.rows.reserve(size_t(rows.count()));
    for (int r = 0; r < rows.count(); ++r) {
        Row row;
        for (size_t c = 0; c < kinds.size(); ++c) {
            const QString t = rows.text(r, int(c)).trimmed();
            switch (kinds[c]) {
                case ColumnKind::LeftOut:
                    continue;
                case ColumnKind::Text:
                    row.push_back(t.isEmpty() ? Cell::empty() : Cell::ofText(t));
                    continue;
                case ColumnKind::Number: {
                    const std::optional<double> v = parseNumber(t);
                    row.push_back(t.isEmpty() ? Cell::empty()
                                  : v         ? Cell::ofNumber(roundHalfAway(*v, 2))
                                              : Cell::ofText(t));
                    continue;
                }
                case ColumnKind::Date: {
                    const std::optional<QDate> d = parseDate(t);
                    row.push_back(t.isEmpty() ? Cell::empty()
                                  : d         ? Cell::ofDate(*d)
                                              : Cell::ofText(t));
                    continue;
                }
            }
        }
        s.rows.push_back(std::move(row));
    }
    return s;
}

QByteArray csvBytes(const Sheet& sheet) {
    QByteArray all;
    writeCsvPieces(sheet, [&all](const QByteArray& piece) {
        all += piece;
        return true;
    });
    return all;
}

QString writeCsv(const QString& path, const Sheet& sheet) {
    const QString temporary = temporaryFor(path);
    removeDurably(temporary);
    QFile f(temporary);
    const bool written =
        f.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
        writeCsvPieces(sheet,
                       [&f](const QByteArray& piece) { return f.write(piece) == piece.size(); }) &&
        f.flush();
    if (!written) {
        const QString why = f.errorString();
        f.close();
        removeDurably(temporary);
        return QStringLiteral("Datoteku %1 nije moguće zapisati (%2).")
            .arg(QFileInfo(path).fileName(), why);
    }
    f.close();
    return putInPlace(temporary, path);
}

QString writeXlsx(const QString& path, const Sheet& sheet) {
    const QString temporary = temporaryFor(path);
    removeDurably(temporary);
    const QByteArray file = QFile::encodeName(temporary);
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;  // rows go straight to the file: long reports stay small
    lxw_workbook* wb = workbook_new_opt(file.constData(), &options);
    if (!wb)
        return QStringLiteral("Datoteku %1 nije moguće zapisati.").arg(QFileInfo(path).fileName());
    QString name = sheet.name.isEmpty() ? QStringLiteral("Izvještaj") : sheet.name;
    for (const char c : {'[', ']', ':', '*', '?', '/', '\\'})
        name.remove(QLatin1Char(c));
    const QByteArray tab = name.left(31).toUtf8();
    lxw_worksheet* ws = workbook_add_worksheet(wb, tab.constData());

    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    std::map<std::pair<int, bool>, lxw_format*> numbers;  // (decimals, bold)
    std::array<lxw_format*, 2 * 10> usual{};              // the same for 0 to 9 decimals, at hand
    const auto numberFormat = [&](int decimals, bool strong) {
        lxw_format** at =
            decimals >= 0 && decimals < 10 ? &usual[size_t(2 * decimals + strong)] : nullptr;
        if (at && *at) return *at;
        auto& f = numbers[{decimals, strong}];
        if (!f) {
            f = workbook_add_format(wb);
            const QByteArray pattern =
                decimals > 0 ? "0." + QByteArray(decimals, '0') : QByteArray("0");
            format_set_num_format(f, pattern.constData());
            if (strong) format_set_bold(f);
        }
        if (at) *at = f;
        return f;
    };
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "dd.mm.yyyy");
    const QDate epoch(1899, 12, 30), firstPlainDay(1900, 3, 1);

    std::vector<int> widths(sheet.heading.size(), 0);
    const auto widen = [&widths](size_t column, int chars) {
        if (column >= widths.size()) widths.resize(column + 1, 0);
        widths[column] = std::max(widths[column], chars);
    };
    lxw_row_t row = 0;
    for (const QString& t : sheet.titleLines) {
        worksheet_write_string(ws, row, 0, t.toUtf8().constData(), row == 0 ? bold : nullptr);
        ++row;
    }
    if (!sheet.titleLines.isEmpty()) ++row;
    for (int c = 0; c < sheet.heading.size(); ++c) {
        worksheet_write_string(ws, row, lxw_col_t(c), sheet.heading[c].toUtf8().constData(), bold);
        widen(size_t(c), int(sheet.heading[c].size()));
    }
    worksheet_freeze_panes(ws, row + 1, 0);
    ++row;
    forEachRow(sheet, [&](const Row& r, bool strong) {
        for (size_t c = 0; c < r.size(); ++c) {
            const Cell& cell = r[c];
            const auto col = lxw_col_t(c);
            switch (cell.type) {
                case CellType::Text: {
                    const QByteArray made = cell.utf8.isEmpty() ? cell.text.toUtf8() : QByteArray();
                    worksheet_write_string(ws, row, col,
                                           (cell.utf8.isEmpty() ? made : cell.utf8).constData(),
                                           strong ? bold : nullptr);
                    break;
                }
                case CellType::Number:
                    worksheet_write_number(ws, row, col, cell.number,
                                           numberFormat(cell.decimals, strong));
                    break;
                case CellType::Date: {
                    // From March 1900 on a day's number is its count of days from 30.12.1899, as
                    // worksheet_write_datetime works it out (before, the count holds Excel's
                    // 29.02.1900).
                    if (cell.date >= firstPlainDay) {
                        worksheet_write_number(ws, row, col, double(epoch.daysTo(cell.date)), date);
                        break;
                    }
                    lxw_datetime dt = {
                        cell.date.year(), cell.date.month(), cell.date.day(), 0, 0, 0.0};
                    worksheet_write_datetime(ws, row, col, &dt, date);
                    break;
                }
                case CellType::Empty:
                    break;
            }
            widen(c, cellWidth(cell));
        }
        ++row;
    });
    // The widths are written with the sheet when the workbook is closed.
    for (size_t c = 0; c < widths.size(); ++c)
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::min(60, widths[c] + 2), nullptr);
    if (workbook_close(wb) != LXW_NO_ERROR) {
        removeDurably(temporary);
        return QStringLiteral("Datoteku %1 nije moguće zapisati.").arg(QFileInfo(path).fileName());
    }
    return putInPlace(temporary, path);
}

QString proposedFileName(const QString& report, const QDate& date, const QString& extension) {
    QString name = report + QLatin1Char(' ') + date.toString(QStringLiteral("dd.MM.yyyy"));
    for (const QChar c : QStringLiteral("/\\:*?\"<>|"))
        name.remove(c);
    return name.simplified() + QLatin1Char('.') + extension;
}

}  // namespace kl::sheet
