#pragma once
// The application context: the few process-wide values through which the windows hand a choice
// on to the windows opened after it (the company, the book, the document kind, ...). It is
// reached in one place only, kl::context(); windows read it when they load or act.

#include <QString>

namespace kl {

// Book kinds, as stored in `otvoreneknjige.vrstaknjige` and in book file names.
inline const QString kWarehouseKind = QStringLiteral("Skladiste");
inline const QString kProductionKind = QStringLiteral("Proizvodnja");

// File name of the master database inside the program folder.
inline const QString kMasterFileName = QStringLiteral("tvrtke.mdb");

struct AppContext {
    // `id` of `svetvrtke` of the chosen company.
    double currentCompanyId = 0;
    // File name of the open book relative to the program folder, e.g. "\Skladiste7.mdb".
    QString currentBookFile;
    // "Skladiste" or "Proizvodnja".
    QString currentBookType;
    // "Primka", "Izdatnica" or "proizvodnja".
    QString documentMode;
    // Same form as currentBookFile: the warehouse book the products window takes materials from.
    QString materialBookFile;
    // The names of the company and the book entered, as the clerk reads them (the page footers
    // of the prints name them).
    QString currentCompanyName;
    QString currentBookName;
    // True while the article or partner window was opened from the receipt/issue window.
    bool calledFromDocument = false;

    // The folder that holds the master database and every book file: the executable's folder in
    // the program, a temporary folder in tests.
    QString programFolder;

    // currentCompanyId as text, the default number-to-text conversion: 12 -> "12".
    QString companyIdText() const;

    QString masterPath() const;
    // Full path of a book file name of the form "\Skladiste7.mdb".
    QString bookPath(const QString& bookFile) const;
    // bookPath after a check that the path lies inside the program folder once symbolic links
    // are resolved and is not itself a symbolic link; throws DbError otherwise. Every path built
    // from a register row is checked so before a file is opened, renamed or removed.
    QString checkedBookPath(const QString& bookFile) const;
    QString currentBookPath() const { return bookPath(currentBookFile); }
    QString materialBookPath() const { return bookPath(materialBookFile); }

    // Back to the values at program start (the program folder is kept).
    void reset();
};

// The one context of the process.
AppContext& context();

// Book file name "\" + kind + id + ".mdb" (e.g. "\Skladiste7.mdb"), the form kept in the context.
QString bookFileName(const QString& kind, const QString& id);

// True when a register row's kind and id may make a book file name: the kind is one of the two
// book kinds and the id a positive whole number as the register writes it ("7"; never "07",
// "-7", "7.5", " 7" or "1/../2"). A register is a file like any other and may have been made
// elsewhere: any other row names no file of ours.
bool isBookRow(const QString& kind, const QString& id);
// bookFileName of a row that isBookRow accepts; throws DbError naming the row otherwise, before
// anything is done with a file.
QString checkedBookFileName(const QString& kind, const QString& id);

// True for the names of the program's database files in a folder: the register "tvrtke.mdb" and
// kind + number + ".mdb" ("Skladiste7.mdb", "Proizvodnja3.mdb").
bool isDatabaseFileName(const QString& name);

}  // namespace kl
