#pragma once
// The customer and supplier lists of a warehouse book: every customer (kind "k" or "s") or every
// supplier (kind "d" or "s") with registration data, address and contacts, in name order.

#include "data/booklocation.h"
#include "ui/sheet.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kl {

enum class PartnerListKind { Customers, Suppliers };

struct PartnerEntry {
    QString ime, mb, ziroracun, kontakt, mjesto, ulica, telefon;
    QString oib;  // empty when the partner has none
};

// The partners of the list from the book at `book`, ordered by name. Throws DbError.
std::vector<PartnerEntry> readPartnerList(const BookLocation& book, PartnerListKind kind);

// The report: title with `today`, the two heading lines, and two lines and a dashed rule per
// partner; a partner with an OIB gets a third line with it. An account longer than its column
// (an IBAN) is printed whole and moves the contact after it to the right.
QString partnerListText(PartnerListKind kind, const std::vector<PartnerEntry>& partners,
                        const QDate& today);

// The same list as a spreadsheet: one row per partner, every field in a column of its own, the
// account and the OIB as text.
sheet::Sheet partnerListSheet(PartnerListKind kind, const std::vector<PartnerEntry>& partners,
                              const QDate& today);

}  // namespace kl
