// The print layer, checked on the PDF files it writes: pages, page size, where the lines stand,
// the text (with the Croatian letters) as pdftotext reads it back, page breaks, ranges of a
// report's text, file naming, and the failure that leaves no file behind.

#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/msgboxhr.h"
#include "ui/printing.h"

#include <QDir>
#include <QFontInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace kl;

namespace {

// Courier New, the same margin on every side; by default the reports' page (9 pt, one inch).
// No page footer: its own test below.
PageSetup reportSetup(int points = 9, qreal mm = 25.4, int orientation = QPageLayout::Portrait) {
    PageSetup setup;
    setup.orientation = QPageLayout::Orientation(orientation);
    setup.font = QFont("Courier New", points);
    setup.margins = QMarginsF(mm, mm, mm, mm);
    setup.footer.shown = false;
    return setup;
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(10000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// Text of each page as pdftotext -layout reads it.
QStringList pdfPages(const QString& path) {
    QStringList pages = run("pdftotext", {"-layout", "-enc", "UTF-8", path, "-"}).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// The non-empty lines of a text, trailing blanks removed (leading ones kept unless `trim`).
QStringList linesOf(const QString& text, bool trim = false) {
    QStringList out;
    for (QString line : text.split(QRegularExpression("\r\n|\n|\r|\f"))) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
        if (trim) line = line.trimmed();
        if (!line.isEmpty()) out.append(line);
    }
    return out;
}

// Every line of a PDF file, trimmed.
QStringList pdfLines(const QString& path) {
    return linesOf(pdfPages(path).join(u'\n'), true);
}

QString pdfInfo(const QString& path, const QString& key) {
    const QRegularExpression re(QString("^%1:\\s+(.*)$").arg(key),
                                QRegularExpression::MultilineOption);
    return re.match(run("pdfinfo", {path})).captured(1).trimmed();
}

// Word boxes of the first page, in points from the top-left corner of the paper.
QList<QRectF> wordBoxes(const QString& path) {
    const QRegularExpression re(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\"");
    QList<QRectF> boxes;
    for (const auto& m :
         re.globalMatch(run("pdftotext", {"-bbox", "-f", "1", "-l", "1", path, "-"})))
        boxes.append(QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                            QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    return boxes;
}

}  // namespace

class TstPrinting : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder_;
    QStringList opened_;

    QString pdfFolder() const { return folder_->filePath("Ispisi"); }

    // Every file left in a folder, hidden ones (a temporary file) included.
    static QStringList filesIn(const QString& dir) {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    void useSettings(const QString& folder = {}) {
        setPrintSettings({true, folder, [this](const QString& path) { opened_.append(path); }});
    }

  private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
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

    // Empty; fits exactly; a blank just past the edge; the last blank that fits; blanks at a
    // break hang; no blank: mid-word; only leading blanks; narrower than one character.
    void wrapLine() {
        const auto wrap = [](const QString& line, int width) {
            return kl::wrapLine(line, width, [](const QString& s) { return qreal(s.size()); });
        };
        QCOMPARE(wrap("", 5), QStringList{""});
        QCOMPARE(wrap("abc def", 7), QStringList{"abc def"});
        QCOMPARE(wrap("abc def ghi", 7), (QStringList{"abc def", "ghi"}));
        QCOMPARE(wrap("abc def ghi", 6), (QStringList{"abc", "def", "ghi"}));
        QCOMPARE(wrap("ab   cd", 3), (QStringList{"ab", "cd"}));
        QCOMPARE(wrap("abcdefghij", 4), (QStringList{"abcd", "efgh", "ij"}));
        QCOMPARE(wrap("    abcdefgh", 6), (QStringList{"    ab", "cdefgh"}));
        QCOMPARE(wrap("abc", 0), (QStringList{"a", "b", "c"}));
    }

    void pdfFileName() {
        const QDateTime when(QDate(2026, 12, 5), QTime(19, 30, 12));
        QCOMPARE(kl::pdfFileName("Podaci tvrtke", when),
                 QString("Podaci_tvrtke_2026-12-05_19-30-12.pdf"));
        QCOMPARE(kl::pdfFileName("Kartica: Čaj/Šećer *1*", when),
                 QString("Kartica__Čaj_Šećer__1__2026-12-05_19-30-12.pdf"));
        QCOMPARE(kl::pdfFileName("", when), QString("Ispis_2026-12-05_19-30-12.pdf"));
    }

    // Line after line on A4 either way round, the page's lines from the font or set: the
    // Croatian letters, indents and columns as printed, breaks when a page is full and forced
    // ones, the lines inside the margins measured from the paper edge, and the file in Ispisi
    // named from the document, no temporary left. A set number of lines that fits keeps the
    // font's own spacing; one that does not narrows the pitch down to the bottom margin.
    void linePrinter_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("setLines");  // 0: as many as the font's spacing allows
        QTest::addColumn<bool>("narrowed");
        QTest::newRow("portrait") << int(QPageLayout::Portrait) << 0 << false;
        QTest::newRow("landscape") << int(QPageLayout::Landscape) << 0 << false;
        QTest::newRow("20 lines fit") << int(QPageLayout::Portrait) << 20 << false;
        QTest::newRow("90 lines narrowed") << int(QPageLayout::Portrait) << 90 << true;
    }
    void linePrinter() {
        QFETCH(int, orientation);
        QFETCH(int, setLines);
        QFETCH(bool, narrowed);
        const bool portrait = orientation == QPageLayout::Portrait;
        const qreal margin = 20, height = portrait ? 841.89 : 595.276;
        PageSetup setup = reportSetup(10, margin, orientation);
        setup.linesPerPage = setLines;
        LinePrinter p("Podaci tvrtke", setup);
        QVERIFY(QFontInfo(p.font()).fixedPitch());
        QVERIFY(p.begin());
        const int perPage = p.linesPerPage();
        QVERIFY(setLines ? perPage == setLines : perPage > 25 && perPage < 80);
        QStringList lines{"Tvrtka: Čistoća d.o.o.", "", "          Šećer, đak, žaba, ćup ČĆĐŠŽ",
                          "ABCDEFGHIJ|", "iiiiiiiiii|"};
        while (lines.size() < 2 * perPage + 3)
            lines << QString("Red %1").arg(lines.size(), 4, 10, QChar(u'0'));
        for (int i = 0; i < lines.size(); ++i) {
            p.printLine(lines.at(i));
            QCOMPARE(p.pageNumber(), i / perPage + 1);
        }
        QCOMPARE(p.lineOnPage(), 3);
        p.newPage();
        QCOMPARE(p.pageNumber(), 4);
        p.newPage();  // an empty page is a page too
        p.printLine("Zadnja stranica");
        QCOMPARE(p.pageNumber(), 5);
        p.printLine(QString(300, u'x'));  // wider than the page: on over the next lines
        const PrintResult r = p.end();
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.toPdf);
        QCOMPARE(r.pages, 5);
        const QFileInfo file(r.pdfPath);
        QCOMPARE(file.absolutePath(), QFileInfo(pdfFolder()).absoluteFilePath());
        QVERIFY2(file.fileName().contains(QRegularExpression("^Podaci_tvrtke_[\\d_-]{19}\\.pdf$")),
                 qPrintable(file.fileName()));
        QCOMPARE(filesIn(pdfFolder()), QStringList{file.fileName()});
        // A print shows the company's data: readable by its owner only.
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                            QFileDevice::WriteOther | QFileDevice::ExeOther;
        QCOMPARE(QFile::permissions(r.pdfPath) & others, QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(pdfFolder()) & others, QFileDevice::Permissions());
        QCOMPARE(pdfInfo(r.pdfPath, "Pages"), QString("5"));
        const QString size = pdfInfo(r.pdfPath, "Page size");
        QVERIFY2(size.contains(QRegularExpression(portrait ? "^595\\S* x 84" : "^84\\S* x 595")),
                 qPrintable(size));

        // Each full page holds its own lines.
        const QStringList pages = pdfPages(r.pdfPath);
        QCOMPARE(pages.size(), 5);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(linesOf(pages.at(i), true),
                     linesOf(lines.mid(i * perPage, perPage).join(u'\n'), true));
        QVERIFY(linesOf(pages.at(3)).isEmpty());
        const QStringList last = linesOf(pages.at(4), true);
        QVERIFY(last.size() > 2 && last.at(1).size() > 50);
        QCOMPARE(last.at(0), QString("Zadnja stranica"));
        QCOMPARE(last.mid(1).join(QString()), QString(300, u'x'));
        // The indent survives, and columns line up: the font is fixed-pitch in the file too.
        const QStringList first = linesOf(pages.at(0));
        const auto indent = [](const QString& s) { return s.size() - s.trimmed().size(); };
        QVERIFY2(indent(first.at(1)) - indent(first.at(0)) >= 8, qPrintable(first.at(1)));
        QCOMPARE(first.at(2).indexOf(u'|'), first.at(3).indexOf(u'|'));

        // Page 1: the first line starts at the left and top margins, the last ends above the
        // bottom one.
        const QList<QRectF> boxes = wordBoxes(r.pdfPath);
        const qreal m = margin * 72 / 25.4;
        const QRectF top = boxes.first(), bottom = boxes.last();
        QVERIFY(qAbs(top.left() - m) < 2);
        QVERIFY(top.top() >= m - 0.5 && top.top() < m + 4);
        QVERIFY2(bottom.bottom() <= height - m + 0.5, qPrintable(QString::number(bottom.bottom())));
        const qreal pitch = (bottom.top() - top.top()) / (perPage - 1);
        if (narrowed)  // the page is used to its bottom margin
            QVERIFY2(pitch < 10 && bottom.bottom() > height - m - 3,
                     qPrintable(QString::number(pitch)));
        else  // 10 pt Courier's own spacing, about 11.3 pt
            QVERIFY2(pitch > 10.5 && pitch < 12.5, qPrintable(QString::number(pitch)));
        if (!setLines)  // one more line would not have fitted
            QVERIFY(bottom.bottom() + pitch > height - m);
    }

    // The longest line a layout can produce fits whole: the font is made smaller for it (never
    // below the smallest size, and never larger); below that the line goes on over the next.
    void fittedToLongestLine_data() {
        QTest::addColumn<int>("longest");
        QTest::addColumn<bool>("smaller");
        QTest::addColumn<bool>("whole");  // printed on one line
        QTest::newRow("fits as it is") << 60 << false << true;
        QTest::newRow("80 characters at 12 pt") << 80 << true << true;
        QTest::newRow("beyond the smallest size") << 400 << true << false;
    }
    void fittedToLongestLine() {
        QFETCH(int, longest);
        QFETCH(bool, smaller);
        QFETCH(bool, whole);
        PageSetup setup = reportSetup(12, 15);
        setup.longestLine = longest;
        setup.smallestPointSize = 6;
        LinePrinter p("Podaci tvrtke", setup);
        QVERIFY(p.begin());
        QCOMPARE(p.font().pointSizeF() < 12, smaller);
        QVERIFY(p.font().pointSizeF() >= 6);
        QVERIFY(QFontInfo(p.font()).fixedPitch());
        const QString line =
            "          Ispis podataka za: !" + QString(longest - 50, u'W') + "  na dan: 31.12.2026";
        QCOMPARE(line.size(), longest);
        p.printLine(line);
        const PrintResult r = p.end();
        QVERIFY2(r.ok, qPrintable(r.error));
        const QStringList printed = pdfLines(r.pdfPath);
        if (whole)  // pdftotext guesses blanks from positions: runs compared as one
            QCOMPARE(printed.join(u'|').simplified(), line.simplified());
        else  // nothing lost on the way
            QCOMPARE(printed.join(QString()).remove(u' '), QString(line).remove(u' '));
    }

    void printText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("pages");

        QStringList items;
        for (int i = 1; i <= 150; ++i)
            items << QString("Stavka %1 čćđšž ČĆĐŠŽ iznos %2,00")
                         .arg(i, 3, 10, QChar(u'0'))
                         .arg(i * 7);
        const QString crlf = items.join("\r\n") + "\r\n", lf = items.join(u'\n');
        const auto at = [&crlf](int item, int column) {
            return int(crlf.indexOf(QString("Stavka %1").arg(item, 3, 10, QChar(u'0')))) + column;
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
        const PrintResult r = kl::printText("Izvješće", text, reportSetup(), start, length);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.pages, pages);
        QCOMPARE(pdfInfo(r.pdfPath, "Pages"), QString::number(pages));
        // Exactly the characters of the range, each line once and in order.
        QCOMPARE(pdfLines(r.pdfPath), linesOf(text.mid(start, length), true));
        // The print preview shows the same pages.
        if (start == 0 && length < 0)
            QCOMPARE(previewPageCount("Izvješće", text, reportSetup()), pages);
    }

    // 130 lines, 50 to a page: three pages, each with its lines as they were and, below the
    // bottom margin, its footer; the names left out where there are none.
    void pageFooters() {
        PageSetup setup = reportSetup();
        setup.linesPerPage = 50;
        setup.footer = {true, false, "Lumen d.o.o.", "Skladište Čakovec", QDate(2026, 12, 7)};
        QStringList lines;
        for (int i = 1; i <= 130; ++i)
            lines << QString("Redak %1").arg(i);
        const PrintResult r = kl::printText("Izvješće", lines.join("\r\n"), setup);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.pages, 3);
        const QStringList pages = pdfPages(r.pdfPath);
        QCOMPARE(pages.size(), 3);
        for (int p = 0; p < 3; ++p) {
            QStringList shown = linesOf(pages[p], true);
            const QString footer = shown.takeLast();
            QCOMPARE(footer.simplified(), pageFooterText(setup.footer, p + 1, 3).simplified());
            QCOMPARE(shown, lines.mid(p * 50, 50));
        }
        QCOMPARE(pageFooterText(setup.footer, 2, 3),
                 "Stranica 2 od 3  ·  Lumen d.o.o.  ·  Skladište Čakovec  ·  07.12.2026");
        QCOMPARE(pageFooterText({true, false, {}, {}, QDate(2026, 1, 2)}, 1, 1),
                 "Stranica 1 od 1  ·  02.01.2026");
        // In the bottom margin (A4 is 842 points high, the margin one inch).
        const QList<QRectF> words = wordBoxes(r.pdfPath);
        QVERIFY(!words.isEmpty() && words.last().top() > 842 - 72 && words.last().bottom() < 842);
    }

    void printTextWraps() {
        // The page's width in characters, from a document that is then dropped unprinted.
        int columns = 0;
        {
            LinePrinter probe("Proba", reportSetup());
            QVERIFY(probe.begin());
            columns = int(probe.printableWidth() / probe.textWidth("x"));
            QCOMPARE(filesIn(pdfFolder()).size(), 1);  // the temporary file while it is written
        }
        QVERIFY(filesIn(pdfFolder()).isEmpty());  // dropped before end(): nothing is kept
        QVERIFY2(columns > 60 && columns < 100, qPrintable(QString::number(columns)));

        const QString words = QStringList(40, "Čaša").join(u' '), longWord(200, u'x');
        const PrintResult r = kl::printText("Izvješće", words + "\r\n" + longWord, reportSetup());
        QVERIFY2(r.ok, qPrintable(r.error));

        // Whole words on each line, as many as fit; then the long word cut at the width.
        QStringList wordLines, xLines;
        for (const QString& line : pdfLines(r.pdfPath))
            (line.startsWith(u'x') ? xLines : wordLines).append(line);
        QVERIFY(wordLines.size() > 1);
        QCOMPARE(wordLines.join(u' '), words);
        for (const QString& line : wordLines)  // and the next word would not have fitted
            QVERIFY2(
                line.size() <= columns && (&line == &wordLines.last() || line.size() + 5 > columns),
                qPrintable(line));
        QCOMPARE(xLines.join(QString()), longWord);
        QCOMPARE(xLines.size(), (200 + columns - 1) / columns);
        QCOMPARE(xLines.first().size(), columns);
    }

    // Prints in the same second never overwrite one another; a written file is opened and its
    // path shown, while pages that went to a printer, or an empty range, need no word.
    void savedFiles() {
        // Start early in a second so that the three prints fall into the same one.
        while (QTime::currentTime().msec() > 400)
            QTest::qWait(20);
        QStringList paths;
        PrintResult r;
        for (const char* word : {"Prvi", "Drugi", "Treći"}) {
            r = kl::printText("Kartica artikla", word, reportSetup());
            QVERIFY2(r.ok, qPrintable(r.error));
            paths << r.pdfPath;
        }
        QCOMPARE(paths.at(1), paths.at(0).chopped(4) + "_2.pdf");
        QCOMPARE(paths.at(2), paths.at(0).chopped(4) + "_3.pdf");
        QCOMPARE(pdfLines(paths.at(0)), QStringList{"Prvi"});
        QCOMPARE(pdfLines(paths.at(1)), QStringList{"Drugi"});

        test::ScriptedMsgBox box;
        showPrintResult(r);
        QCOMPARE(opened_, QStringList{paths.at(2)});
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.last().prompt,
                 "Ispis je spremljen u datoteku:\n" + QDir::toNativeSeparators(paths.at(2)));
        QCOMPARE(box.last().style, MsgStyle::OkOnly | MsgStyle::Information);
        QCOMPARE(box.last().title, QString("Ispis"));

        showPrintResult(PrintResult{true, false, {}, {}, 2});  // went to a printer
        const PrintResult empty = kl::printText("Prazno", "abc", reportSetup(), 3, 5);
        QVERIFY(empty.ok && empty.pages == 0 && empty.pdfPath.isEmpty());
        showPrintResult(empty);
        QCOMPARE(box.count(), 1);
        QCOMPARE(opened_.size(), 1);
        QCOMPARE(filesIn(pdfFolder()).size(), 3);
    }

    void unwritableFolder_data() {
        QTest::addColumn<QString>("sub");
        QTest::newRow("under a file") << "file.txt/sub";
        QTest::newRow("is a file") << "file.txt";
    }
    void unwritableFolder() {
        QFETCH(QString, sub);
        QFile blocker(folder_->filePath("file.txt"));
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("x") == 1);
        blocker.close();
        const QString folder = folder_->filePath(sub);
        useSettings(folder);

        LinePrinter p("Podaci tvrtke", reportSetup());
        QVERIFY(!p.begin());
        p.printLine("Red");
        p.newPage();
        const PrintResult r = p.end();
        QVERIFY(!r.ok && r.pdfPath.isEmpty());
        QCOMPARE(r.pages, 0);
        QVERIFY2(r.error.startsWith("Ispis nije uspio: nije moguće stvoriti"), qPrintable(r.error));
        QVERIFY2(r.error.contains(QDir::toNativeSeparators(folder)), qPrintable(r.error));
        const PrintResult t = kl::printText("Podaci tvrtke", "Tvrtka", reportSetup());
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
