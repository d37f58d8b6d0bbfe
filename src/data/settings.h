#pragma once
// What the program remembers between runs, kept in the register database (the program has no
// configuration file): where the top-level windows stood, the last company and book entered and
// the last folder of each file dialog. No window is touched here.
//
// The values live in the program's own table kl_postavke (kljuc, vrijednost) of tvrtke.mdb. The
// table is made in the same transaction as the first value stored, so a register from before it
// needs nothing done to it; while it is missing every key reads as not set. Each store is one
// transaction.
//
// Remembering is a comfort: the callers use the "try" forms, which never throw, so that a
// register that cannot be written costs the clerk nothing but the remembered state.

#include <QList>
#include <QRect>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace kl::settings {

inline const QString kTable = QStringLiteral("kl_postavke");

// ---- The store ------------------------------------------------------------------------------

// The value stored under `key`; nothing when none is. DbError when the register cannot be read.
std::optional<QString> value(const QString& key);
// Stores every pair (a key already set is replaced) in one transaction. DbError on failure;
// nothing is then changed.
void setValues(const std::vector<std::pair<QString, QString>>& values);

// The same without a failure: `fallback` when the value cannot be read, false when the values
// could not be stored.
QString valueOr(const QString& key, const QString& fallback = QString());
bool trySetValues(const std::vector<std::pair<QString, QString>>& values);
inline bool trySetValue(const QString& key, const QString& value) {
    return trySetValues({{key, value}});
}

// ---- Keys -----------------------------------------------------------------------------------

// The placement of the top-level window named `windowName` (its object name).
QString windowKey(const QString& windowName);
// The id of the last company entered.
QString lastCompanyKey();
// The id of the last book entered of the company `companyId`.
QString lastBookKey(const QString& companyId);
// The last folder of the file dialog `dialog` (a name of the caller's, e.g. "sigurnosnakopija").
QString folderKey(const QString& dialog);

// ---- Window placement -----------------------------------------------------------------------

// Where a top-level window stood: the position of its frame, the size of its inside, and whether
// it was maximised (then the position and size are those it has when it is not).
struct Placement {
    QRect rect;
    bool maximized = false;
};

// "x,y,w,h" and ",max" when maximised; read back by parsePlacement, which refuses anything else
// (a non-positive size included).
QString placementText(const Placement& placement);
std::optional<Placement> parsePlacement(const QString& text);

// `rect` moved, and shrunk where it is larger, so that it lies wholly within one of `screens`
// (their available areas): the screen it overlaps most, or the first one when it overlaps none.
// Without screens it is returned as it is.
QRect keptOnScreens(const QRect& rect, const QList<QRect>& screens);

// The last folder of `dialog` when it still is a folder, otherwise `fallback`.
QString lastFolder(const QString& dialog, const QString& fallback);
// Remembers the folder of a path the dialog `dialog` gave (the folder itself for a folder).
void rememberFolder(const QString& dialog, const QString& path);

}  // namespace kl::settings
