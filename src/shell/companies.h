#pragma once
// The company register (`svetvrtke` of the master database): listing, storing, changing and
// removing companies, and the printed company sheet. Every operation opens the master database,
// works in one transaction and closes it; failures are thrown as DbError.

#include "shell/companyserver.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace kl {

// The ten fields of a company in column order: ime, mb, sifradj, to, ziroracun, posta, mjesto,
// ulica, telefon, kontakt.
using CompanyFields = std::array<QString, 10>;

struct CompanyRow {
    QString id;
    CompanyFields fields;
    QString oib;  // kept beside the company's row (kl_oibtvrtke); empty when none
    const QString& name() const { return fields[0]; }
};

// Column names of svetvrtke in the order of CompanyFields.
const std::array<QString, 10>& companyColumns();

// A field as it is stored: trimmed of blanks at both ends; an empty field becomes "-".
QString storedField(const QString& text);

// Every company, ordered by name.
QList<CompanyRow> loadCompanies();
// Stores a new company (fields stored as storedField gives them) with its OIB (none when
// empty), and, for a company whose books are to be on a server, where; returns its id as text.
QString insertCompany(const CompanyFields& fields, const QString& oib = {},
                      const std::optional<CompanyServer>& server = std::nullopt);
// Changes every field and the OIB of company `id` (an empty `oib` removes it), all or nothing.
void updateCompany(const QString& id, const CompanyFields& fields, const QString& oib = {});
// The same with where the company's books are, in the one transaction. A company with books in
// the program folder is not put on a server this way (its books would stay behind), nor a
// company on a server back into the folder: DbError saying so. The address of its server may
// change (the same books on a server that moved).
void updateCompany(const QString& id, const CompanyFields& fields, const QString& oib,
                   const std::optional<CompanyServer>& server);
// True when the register of the program folder lists books of company `id`.
bool companyHasLocalBooks(const QString& id);
// Removes company `id`, every book registered to it and every book file, all or nothing. A
// book whose file is missing is still removed.
void deleteCompany(const QString& id);

// The printed sheet of a company: three empty lines, the heading and the ten data lines, each
// printed line indented by ten blanks and the lines separated by one empty line; a company with
// an OIB gets it on a line of its own after them.
QStringList companySheetLines(const CompanyRow& company, const QDate& today);
// The longest line that sheet can have: every field as long as the company entry takes it.
int companySheetWidth();

}  // namespace kl
