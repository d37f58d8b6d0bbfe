#pragma once
// The journal as a spreadsheet: the rows of the journal list as the report is made of them (the
// list's order, the chosen scope), one spreadsheet row each. Widget-free.

#include "ui/reportrows.h"
#include "ui/sheet.h"

namespace kl {

// Columns as the list's: the two dates as dates, the name, kind, document and number as text,
// the quantities, price and amounts as numbers of two decimals, as the report line shows them
// (an empty figure stays an empty cell). The rows are made as the file is written, so a journal
// of hundreds of thousands of lines is never held twice; the total row holds the sums of "Duguje"
// and "Potražuje".
sheet::Sheet journalSheet(const QString& title, const ReportRows& rows);

}  // namespace kl
