// The print layer, checked on the PDF files it writes: pages, page size, where the lines stand,
// the text (with the Croatian letters) as pdftotext reads it back, page breaks, ranges of a
// report's text, file naming, and the failure that leaves no file behind.

#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/msgboxhr.h"
#include "ui/printing.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTime>

#include <memory>

using namespace kl;

namespace {

constexpr qreal kPtPerMm = 72.0 / 25.4;

PageSetup setupOf(QPageLayout::Orientation orientation, int points, qreal marginMm) {
    PageSetup s;
    s.orientation = orientation;
    s.font = QFont(QStringLiteral("Courier New"), points);
    s.margins = QMarginsF(marginMm, marginMm, marginMm, marginMm);
    return s;
}

// The reports' page: Courier New 9 pt, one inch on every side.
PageSetup reportSetup() {
    return setupOf(QPageLayout::Portrait, 9, 25.4);
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(10000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Text of each page as pdftotext -layout reads it.
QStringList pdfPages(const QString& path) {
    QStringList pages =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), path, QStringLiteral("-")})
            .split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// The non-empty lines of a text, trailing blanks removed (leading ones kept unless `trim`).
QStringList linesOf(const QString& text, bool trim = false) {
    QStringList out;
    for (QString line : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r|\f")))) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
        if (trim) line = line.trimmed();
        if (!line.isEmpty()) out.append(line);
    }
    return out;
}

QString pdfInfo(const QString& path, const QString& key) {
    const QRegularExpression re(QStringLiteral("^%1:\\s+(.*)$").arg(key),
                                QRegularExpression::MultilineOption);
    return re.match(run(QStringLiteral("pdfinfo"), {path})).captured(1).trimmed();
}

QSizeF pageSize(const QString& path) {
    const QRegularExpression re(QStringLiteral("([\\d.]+) x ([\\d.]+) pts"));
    const auto m = re.match(pdfInfo(path, QStringLiteral("Page size")));
    return QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
}

// Word boxes of the first page, in points from the top-left corner of the paper.
QList<QRectF> wordBoxes(const QString& path) {
    const QString html =
        run(QStringLiteral("pdftotext"),
            {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
    const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\""));
    QList<QRectF> boxes;
    for (const auto& m : re.globalMatch(html)) {
        boxes.append(QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                            QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    }
    return boxes;
}

}  // namespace

class TstPrinting : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<test::TempProgramFolder> folder_;
    QStringList opened_;

    QString pdfFolder() const { return folder_->filePath(QStringLiteral("Ispisi")); }

    // Every file left in the PDF folder, hidden ones (a temporary file) included.
    QStringList filesIn(const QString& dir) const {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    void useSettings(const QString& folder = QString()) {
        PrintSettings s;
        s.forcePdf = true;
        s.pdfFolder = folder;
        s.openFile = [this](const QString& path) { opened_.append(path); };
        setPrintSettings(s);
    }

  private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdftotext/pdfinfo (poppler-utils) not installed");
    }

    void init() {
        folder_ = std::make_unique<test::TempProgramFolder>();
        opened_.clear();
        useSettings();
    }

    void cleanup() {
        setPrintSettings(PrintSettings());
        folder_.reset();
    }

    // ---- Pure parts ----------------------------------------------------------------------------

    void wrapLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("empty") << QString() << 5 << QStringList{QString()};
        QTest::newRow("fits exactly") << "abc def" << 7 << QStringList{"abc def"};
        QTest::newRow("blank just past the edge")
            << "abc def ghi" << 7 << QStringList{"abc def", "ghi"};
        QTest::newRow("last blank that fits")
            << "abc def ghi" << 6 << QStringList{"abc", "def", "ghi"};
        QTest::newRow("blanks at a break hang") << "ab   cd" << 3 << QStringList{"ab", "cd"};
        QTest::newRow("no blank: mid-word")
            << "abcdefghij" << 4 << QStringList{"abcd", "efgh", "ij"};
        QTest::newRow("only leading blanks before")
            << "    abcdefgh" << 6 << QStringList{"    ab", "cdefgh"};
        QTest::newRow("narrower than a character") << "abc" << 0 << QStringList{"a", "b", "c"};
    }

    void wrapLine() {
        QFETCH(QString, line);
        QFETCH(int, width);
        QFETCH(QStringList, pieces);
        const auto chars = [](const QString& s) { return qreal(s.size()); };
        QCOMPARE(kl::wrapLine(line, width, chars), pieces);
    }

    void pdfFileName_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank") << "Podaci tvrtke"
                               << "Podaci_tvrtke_2026-12-05_19-30-12.pdf";
        QTest::newRow("croatian kept")
            << QString::fromUtf8("Kartica: Čaj/Šećer *1*")
            << QString::fromUtf8("Kartica__Čaj_Šećer__1__2026-12-05_19-30-12.pdf");
        QTest::newRow("empty") << ""
                               << "Ispis_2026-12-05_19-30-12.pdf";
    }

    void pdfFileName() {
        QFETCH(QString, document);
        QFETCH(QString, expected);
        const QDateTime when(QDate(2026, 12, 5), QTime(19, 30, 12));
        QCOMPARE(kl::pdfFileName(document, when), expected);
    }

    // ---- The line printer ----------------------------------------------------------------------

    void linePrinter_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("portrait") << int(QPageLayout::Portrait) << QSizeF(595.276, 841.89);
        QTest::newRow("landscape") << int(QPageLayout::Landscape) << QSizeF(841.89, 595.276);
    }

    void linePrinter() {
        QFETCH(int, orientation);
        QFETCH(QSizeF, size);
        LinePrinter p(QStringLiteral("Podaci tvrtke"),
                      setupOf(QPageLayout::Orientation(orientation), 10, 15));
        QVERIFY(QFontInfo(p.font()).fixedPitch());
        QCOMPARE(p.pageNumber(), 0);
        QVERIFY(p.begin());
        QCOMPARE(p.pageNumber(), 1);
        p.printLine(QString::fromUtf8("Tvrtka: Čistoća d.o.o."));
        p.printLine();
        p.printLine(QString::fromUtf8("          Šećer, đak, žaba, ćup ČĆĐŠŽ"));
        p.printLine(QStringLiteral("ABCDEFGHIJ|"));
        p.printLine(QStringLiteral("iiiiiiiiii|"));
        const PrintResult r = p.end();
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.toPdf);
        QCOMPARE(r.pages, 1);

        // Named from the document and the time, in Ispisi beside the databases; no temporary left.
        const QFileInfo file(r.pdfPath);
        QCOMPARE(file.absolutePath(), QFileInfo(pdfFolder()).absoluteFilePath());
        QVERIFY2(
            QRegularExpression(
                QStringLiteral("^Podaci_tvrtke_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.pdf$"))
                .match(file.fileName())
                .hasMatch(),
            qPrintable(file.fileName()));
        QCOMPARE(filesIn(pdfFolder()), QStringList{file.fileName()});

        QCOMPARE(pdfInfo(r.pdfPath, QStringLiteral("Pages")), QStringLiteral("1"));
        const QSizeF page = pageSize(r.pdfPath);
        QVERIFY2(qAbs(page.width() - size.width()) < 1 && qAbs(page.height() - size.height()) < 1,
                 qPrintable(pdfInfo(r.pdfPath, QStringLiteral("Page size"))));

        const QStringList lines = linesOf(pdfPages(r.pdfPath).value(0));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0).trimmed(), QString::fromUtf8("Tvrtka: Čistoća d.o.o."));
        QCOMPARE(lines.at(1).trimmed(), QString::fromUtf8("Šećer, đak, žaba, ćup ČĆĐŠŽ"));
        // The indent survives, and columns line up: the font is fixed-pitch in the file too.
        const auto indent = [](const QString& s) { return s.size() - s.trimmed().size(); };
        QVERIFY2(indent(lines.at(1)) - indent(lines.at(0)) >= 8, qPrintable(lines.at(1)));
        QCOMPARE(lines.at(2).indexOf(u'|'), lines.at(3).indexOf(u'|'));
    }

    // Automatic breaks when a page is full, forced ones by newPage, and the lines standing inside
    // the margins measured from the paper edge.
    void pageBreaks() {
        const qreal margin = 20;
        LinePrinter p(QStringLiteral("Dugi ispis"), setupOf(QPageLayout::Portrait, 10, margin));
        QVERIFY(p.begin());
        const int perPage = p.linesPerPage();
        QVERIFY2(perPage > 40 && perPage < 80, qPrintable(QString::number(perPage)));

        const int total = 2 * perPage + 3;
        QList<int> pageOfLine;
        for (int i = 1; i <= total; ++i) {
            p.printLine(QStringLiteral("Red %1").arg(i, 4, 10, QChar(u'0')));
            pageOfLine.append(p.pageNumber());
        }
        QCOMPARE(pageOfLine.at(perPage - 1), 1);
        QCOMPARE(pageOfLine.at(perPage), 2);
        QCOMPARE(pageOfLine.at(2 * perPage - 1), 2);
        QCOMPARE(pageOfLine.at(2 * perPage), 3);
        QCOMPARE(p.lineOnPage(), 3);
        p.newPage();
        QCOMPARE(p.pageNumber(), 4);
        p.newPage();  // an empty page is a page too
        p.printLine(QStringLiteral("Zadnja stranica"));
        QCOMPARE(p.pageNumber(), 5);
        // A very long line is cut at the right margin, not wrapped.
        p.printLine(QString(300, u'x'));
        const PrintResult r = p.end();
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.pages, 5);
        QCOMPARE(pdfInfo(r.pdfPath, QStringLiteral("Pages")), QStringLiteral("5"));

        const QStringList pages = pdfPages(r.pdfPath);
        QCOMPARE(pages.size(), 5);
        int next = 1;
        for (int page = 0; page < 3; ++page) {
            for (const QString& line : linesOf(pages.at(page), true))
                QCOMPARE(line, QStringLiteral("Red %1").arg(next++, 4, 10, QChar(u'0')));
        }
        QCOMPARE(next, total + 1);
        QVERIFY(linesOf(pages.at(3)).isEmpty());
        const QStringList last = linesOf(pages.at(4), true);
        QCOMPARE(last.size(), 2);
        QCOMPARE(last.at(0), QStringLiteral("Zadnja stranica"));
        QVERIFY(last.at(1).size() < 300 && last.at(1).size() > 50);

        // Page 1: the first line starts at the left and top margins, the last ends above the
        // bottom one, and one more would not have fitted.
        const QList<QRectF> boxes = wordBoxes(r.pdfPath);
        QCOMPARE(boxes.size(), 2 * perPage);
        const qreal m = margin * kPtPerMm, height = 841.89;
        const QRectF first = boxes.first(), lastBox = boxes.last();
        QVERIFY2(qAbs(first.left() - m) < 2, qPrintable(QString::number(first.left())));
        QVERIFY2(first.top() >= m - 0.5 && first.top() < m + 4,
                 qPrintable(QString::number(first.top())));
        const qreal spacing = (lastBox.top() - first.top()) / (perPage - 1);
        QVERIFY2(lastBox.bottom() <= height - m + 0.5,
                 qPrintable(QString::number(lastBox.bottom())));
        QVERIFY(lastBox.bottom() + spacing > height - m);
    }

    // A document dropped before end() leaves nothing in the folder.
    // ---- The text printer ----------------------------------------------------------------------

    void printText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("pages");

        QStringList items;
        for (int i = 1; i <= 150; ++i)
            items << QString::fromUtf8("Stavka %1 čćđšž ČĆĐŠŽ iznos %2,00")
                         .arg(i, 3, 10, QChar(u'0'))
                         .arg(i * 7);
        const QString crlf = items.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        const QString lf = items.join(u'\n');
        const auto at = [&crlf](int item, int column) {
            return int(crlf.indexOf(QStringLiteral("Stavka %1").arg(item, 3, 10, QChar(u'0')))) +
                   column;
        };
        QTest::newRow("whole, CRLF") << crlf << 0 << -1 << 3;
        QTest::newRow("whole, LF") << lf << 0 << -1 << 3;
        QTest::newRow("mid-line to mid-line") << crlf << at(40, 3) << at(52, 10) - at(40, 3) << 1;
        QTest::newRow("across two pages") << crlf << at(20, 5) << at(120, 8) - at(20, 5) << 2;
        QTest::newRow("inside one line") << crlf << at(77, 7) << 3 << 1;
        QTest::newRow("ends on a line break") << crlf << at(10, 0) << at(12, 0) - at(10, 0) << 1;
        QTest::newRow("to the end from mid-line") << crlf << at(149, 2) << -1 << 1;
    }

    void printText() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, pages);
        const PrintResult r =
            kl::printText(QStringLiteral("Izvješće"), text, reportSetup(), start, length);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.pages, pages);
        QCOMPARE(pdfInfo(r.pdfPath, QStringLiteral("Pages")), QString::number(pages));
        // Exactly the characters of the range, each line once and in order.
        const QString range = text.mid(start, length);
        QCOMPARE(linesOf(pdfPages(r.pdfPath).join(u'\n'), true), linesOf(range, true));
    }

    void printTextWraps() {
        // The page's width in characters, from a document that is then dropped unprinted.
        int columns = 0;
        {
            LinePrinter probe(QStringLiteral("Proba"), reportSetup());
            QVERIFY(probe.begin());
            columns = int(probe.printableWidth() / probe.textWidth(QStringLiteral("x")));
            QCOMPARE(filesIn(pdfFolder()).size(), 1);  // the temporary file while it is written
        }
        QVERIFY(filesIn(pdfFolder()).isEmpty());  // dropped before end(): nothing is kept
        QVERIFY2(columns > 60 && columns < 100, qPrintable(QString::number(columns)));

        const QString words = QStringList(40, QString::fromUtf8("Čaša")).join(u' ');
        const QString longWord(200, u'x');
        const PrintResult r = kl::printText(
            QStringLiteral("Izvješće"), words + QStringLiteral("\r\n") + longWord, reportSetup());
        QVERIFY2(r.ok, qPrintable(r.error));
        const QStringList lines = linesOf(pdfPages(r.pdfPath).join(u'\n'), true);

        // Whole words on each line, as many as fit; then the long word cut at the width.
        QStringList wordLines, xLines;
        for (const QString& line : lines)
            (line.startsWith(u'x') ? xLines : wordLines).append(line);
        QVERIFY(wordLines.size() > 1);
        QCOMPARE(wordLines.join(u' '), words);
        for (int i = 0; i < wordLines.size(); ++i) {
            QVERIFY2(wordLines.at(i).size() <= columns, qPrintable(wordLines.at(i)));
            if (i + 1 < wordLines.size())
                QVERIFY2(wordLines.at(i).size() + 5 > columns, qPrintable(wordLines.at(i)));
        }
        QCOMPARE(xLines.join(QString()), longWord);
        QCOMPARE(xLines.size(), (200 + columns - 1) / columns);
        QCOMPARE(xLines.first().size(), columns);
    }

    // ---- Files and the messages after a print ---------------------------------------------------

    void sameNameSameSecond() {
        // Start early in a second so that the three prints fall into the same one.
        while (QTime::currentTime().msec() > 400)
            QTest::qWait(20);
        QStringList paths;
        for (const char* word : {"Prvi", "Drugi", "Treći"}) {
            const PrintResult r = kl::printText(QStringLiteral("Kartica artikla"),
                                                QString::fromUtf8(word), reportSetup());
            QVERIFY2(r.ok, qPrintable(r.error));
            paths << r.pdfPath;
        }
        QCOMPARE(filesIn(pdfFolder()).size(), 3);
        QCOMPARE(paths.at(1), paths.at(0).chopped(4) + QStringLiteral("_2.pdf"));
        QCOMPARE(paths.at(2), paths.at(0).chopped(4) + QStringLiteral("_3.pdf"));
        QCOMPARE(linesOf(pdfPages(paths.at(0)).join(u'\n'), true), QStringList{"Prvi"});
        QCOMPARE(linesOf(pdfPages(paths.at(1)).join(u'\n'), true), QStringList{"Drugi"});
    }

    void savedMessage() {
        const PrintResult r =
            kl::printText(QStringLiteral("Podaci tvrtke"), QStringLiteral("Tvrtka"), reportSetup());
        QVERIFY2(r.ok, qPrintable(r.error));
        test::ScriptedMsgBox box;
        showPrintResult(r);
        QCOMPARE(opened_, QStringList{r.pdfPath});
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.last().prompt, QStringLiteral("Ispis je spremljen u datoteku:\n") +
                                        QDir::toNativeSeparators(r.pdfPath));
        QCOMPARE(box.last().style, MsgStyle::OkOnly | MsgStyle::Information);
        QCOMPARE(box.last().title, QStringLiteral("Ispis"));

        // Pages that went to a printer, or an empty range that printed nothing, need no word.
        PrintResult printed;
        printed.ok = true;
        printed.pages = 2;
        showPrintResult(printed);
        const PrintResult empty =
            kl::printText(QStringLiteral("Prazno"), QStringLiteral("abc"), reportSetup(), 3, 5);
        QVERIFY(empty.ok && empty.pages == 0 && empty.pdfPath.isEmpty());
        showPrintResult(empty);
        QCOMPARE(box.count(), 1);
        QCOMPARE(opened_.size(), 1);
        QCOMPARE(filesIn(pdfFolder()).size(), 1);
    }

    void unwritableFolder_data() {
        QTest::addColumn<QString>("sub");
        QTest::newRow("under a file") << "file.txt/sub";
        QTest::newRow("is a file") << "file.txt";
    }

    void unwritableFolder() {
        QFETCH(QString, sub);
        QFile blocker(folder_->filePath(QStringLiteral("file.txt")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("x");
        blocker.close();
        const QString folder = folder_->filePath(sub);
        useSettings(folder);

        LinePrinter p(QStringLiteral("Podaci tvrtke"), reportSetup());
        QVERIFY(!p.begin());
        p.printLine(QStringLiteral("Red"));
        p.newPage();
        const PrintResult r = p.end();
        QVERIFY(!r.ok);
        QVERIFY(r.pdfPath.isEmpty());
        QCOMPARE(r.pages, 0);
        QVERIFY2(r.error.startsWith(QStringLiteral("Ispis nije uspio: nije moguće stvoriti")),
                 qPrintable(r.error));
        QVERIFY2(r.error.contains(QDir::toNativeSeparators(folder)), qPrintable(r.error));

        const PrintResult t =
            kl::printText(QStringLiteral("Podaci tvrtke"), QStringLiteral("Tvrtka"), reportSetup());
        QVERIFY(!t.ok);
        QCOMPARE(t.error, r.error);

        QCOMPARE(
            QDir(folder_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"file.txt"});
        QCOMPARE(QFileInfo(blocker).size(), 1);

        test::ScriptedMsgBox box;
        showPrintResult(r);
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.last().prompt, r.error);
        QCOMPARE(box.last().style, MsgStyle::OkOnly);
        QCOMPARE(box.last().title, applicationTitle());
        QVERIFY(opened_.isEmpty());
    }
};

QTEST_MAIN(TstPrinting)
#include "tst_printing.moc"
