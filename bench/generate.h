#pragma once
// The company the benchmark measures, made through the program's own storing and posting code:
// the master database, one company, a large warehouse book with articles, partners, document
// types and posted receipts and issues, four smaller warehouse books that supply materials, and a
// production book whose products draw their bills from all five.
//
// Everything is generated from a fixed seed, so two runs of the same size measure the same books.

#include <QDate>
#include <QString>
#include <QStringList>

namespace bench {

struct Scale {
    int articles = 20000;
    int partners = 1000;
    int documents = 50000;
    int lines = 200000;
    int hotArticleLines = 2000;  // lines of the one article with the longest stock card
    int bigDocumentLines = 100;  // lines of the one document of the full view
    int products = 200;
    int minBill = 5;
    int maxBill = 50;
    int sideBooks = 4;  // warehouse books beside the large one
    int sideArticles = 300;
    int years = 10;
    int runs = 5;  // timed runs of each figure (the median is reported)

    int factor = 1;  // the size against the full company

    static Scale full() { return {}; }
    // The company `n` times as large: articles, partners, documents and lines.
    Scale times(int n) const {
        Scale s = *this;
        s.articles *= n, s.partners *= n, s.documents *= n, s.lines *= n, s.factor *= n;
        return s;
    }
    static Scale small();
};

// What the measurements need to find in the generated company.
struct Company {
    QString folder;  // the program folder
    QString companyId;
    QString mainBookFile;        // "\Skladiste2.mdb"
    QString mainBookPath;        // full path
    QStringList sideBookPaths;   // the four smaller warehouse books
    QString productionBookPath;  // full path
    QString productionBookFile;
    QString hotArticleName;  // the article with the most lines
    QString hotArticleCode;
    QString hotArticleId;
    int hotArticleLines = 0;
    QString bigReceiptNumber;        // number of the 100-line receipt
    QDate lastYearFrom, lastYearTo;  // the year the summaries cover
    QDate firstYearFrom;             // the first day of the first year with documents
    QString customer;                // a customer of the large book (issues)
    QString supplier;                // a supplier of the large book (receipts)
    QString documentType;            // a document type of the large book
    QString bigProductName;          // the product with a 50-line bill over all five books
    int mainArticles = 0;
    int mainLines = 0;
    int mainDocuments = 0;
};

// Generates the company into the program folder `folder` (which must be empty or missing) and
// points the application context at it. Prints progress to stderr.
Company generate(const QString& folder, const Scale& scale);

}  // namespace bench
