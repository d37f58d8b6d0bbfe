#pragma once
// The application context: the few process-wide values through which the windows hand a choice
// on to the windows opened after it (the company, the book, the document kind, ...). It is
// reached in one place only, kl::context(); windows read it when they load or act.

#include "data/booklocation.h"

#include <QString>

#include <optional>

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
    // Where the chosen company keeps its books: nothing for the program folder, the server
    // otherwise (its register entry says so).
    std::optional<ServerAddress> companyServer;
    // On a server: the schema of the company's register entry (its list of books).
    QString companyRegisterSchema;
    // The location of a book named by its file name of the form "\Skladiste7.mdb": the file in
    // the program folder, or the book's schema on the company's server. Windows hand locations
    // to the storage functions; none of them knows which of the two it is.
    BookLocation bookLocation(const QString& bookFile) const;
    // bookLocation after the check of checkedBookPath for a file.
    BookLocation checkedBookLocation(const QString& bookFile) const;
    // Where the chosen company's list of books (its rows of `otvoreneknjige`) is kept: the
    // register of the program folder, or the company's register schema on its server.
    BookLocation companyRegister() const;
    // The pattern of `otvoreneknjige.idtvrtke` that selects the company's books in
    // companyRegister(): its id; on a server every row (the schema is the company's alone, and
    // another clerk's program knows the company under another id).
    QString bookRowsOf(const QString& companyIdText) const {
        return companyServer ? QStringLiteral("*") : companyIdText;
    }
    BookLocation currentBook() const { return bookLocation(currentBookFile); }
    BookLocation materialBook() const { return bookLocation(materialBookFile); }

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
