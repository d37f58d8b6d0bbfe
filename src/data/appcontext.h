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
    QString currentBookPath() const { return bookPath(currentBookFile); }
    QString materialBookPath() const { return bookPath(materialBookFile); }

    // Back to the values at program start (the program folder is kept).
    void reset();
};

// The one context of the process.
AppContext& context();

// Book file name "\" + kind + id + ".mdb" (e.g. "\Skladiste7.mdb"), the form kept in the context.
QString bookFileName(const QString& kind, const QString& id);

}  // namespace kl
