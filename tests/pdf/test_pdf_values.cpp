// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the PDF services that need no PDF: the page-space conversion, lines and
// hit tests over words, merging selections, label numbers.
#include "pdf/PageLabels.h"
#include "pdf/PageSpace.h"
#include "pdf/PdfDocument.h"
#include "pdf/TextLayout.h"

#include <QtTest>

using namespace tolvo::pdf;

namespace {

TextWord word(const QString& text, const QRectF& box, bool spaceAfter = true, bool lineEnds = false)
{
    TextWord w;
    w.text = text;
    w.bounds = box;
    w.spaceAfter = spaceAfter;
    w.lineEndsAfter = lineEnds;
    return w;
}

// Two lines in display space: "one two three" at y 100..112, "four five" at y 120..132.
std::vector<TextWord> twoLines()
{
    std::vector<TextWord> words = { word("one", { 10, 100, 30, 12 }), word("two", { 45, 100, 30, 12 }),
        word("three", { 80, 100, 40, 12 }, false, true), word("four", { 10, 120, 35, 12 }),
        word("five", { 50, 120, 30, 12 }, false, true) };
    for (int i = 0; i < int(words.size()); ++i)
        words[i].index = i;
    return words;
}

} // namespace

class TestPdfValues : public QObject {
    Q_OBJECT

private slots:
    void transform_data()
    {
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QPointF>("page");
        QTest::addColumn<QPointF>("display");
        QTest::addColumn<QSizeF>("size");
        const QRectF letter(0, 0, 612, 792);
        const QRectF cropped(50, 100, 350, 500); // [50 100 400 600]
        QTest::newRow("upright top-left") << letter << 0 << QPointF(0, 792) << QPointF(0, 0) << QSizeF(612, 792);
        QTest::newRow("upright point") << letter << 0 << QPointF(72, 700) << QPointF(72, 92) << QSizeF(612, 792);
        QTest::newRow("90: lower-left shows top-left")
            << letter << 90 << QPointF(0, 0) << QPointF(0, 0) << QSizeF(792, 612);
        QTest::newRow("90 point") << letter << 90 << QPointF(72, 700) << QPointF(700, 72) << QSizeF(792, 612);
        QTest::newRow("180 point") << letter << 180 << QPointF(72, 700) << QPointF(540, 700) << QSizeF(612, 792);
        QTest::newRow("270 point") << letter << 270 << QPointF(72, 700) << QPointF(92, 540) << QSizeF(792, 612);
        QTest::newRow("cropped") << cropped << 0 << QPointF(60.5, 590.5) << QPointF(10.5, 9.5) << QSizeF(350, 500);
        QTest::newRow("cropped 90") << cropped << 90 << QPointF(60.5, 590.5) << QPointF(490.5, 10.5)
                                    << QSizeF(500, 350);
        QTest::newRow("cropped 180") << cropped << 180 << QPointF(60.5, 590.5) << QPointF(339.5, 490.5)
                                     << QSizeF(350, 500);
        QTest::newRow("cropped 270") << cropped << 270 << QPointF(60.5, 590.5) << QPointF(9.5, 339.5)
                                     << QSizeF(500, 350);
        QTest::newRow("-90 counts as 270") << letter << -90 << QPointF(72, 700) << QPointF(92, 540) << QSizeF(792, 612);
        QTest::newRow("450 counts as 90") << letter << 450 << QPointF(72, 700) << QPointF(700, 72) << QSizeF(792, 612);
        QTest::newRow("45 counts as 0") << letter << 45 << QPointF(72, 700) << QPointF(72, 92) << QSizeF(612, 792);
    }
    void transform()
    {
        QFETCH(QRectF, crop);
        QFETCH(int, rotation);
        QFETCH(QPointF, page);
        QFETCH(QPointF, display);
        QFETCH(QSizeF, size);
        const PageTransform t(crop, rotation);
        QCOMPARE(t.toDisplay(page), display);
        QCOMPARE(t.toPage(display), page);
        QCOMPARE(t.displaySize(), size);
        // The crop box fills the displayed page exactly.
        QCOMPARE(t.toDisplay(crop), QRectF(QPointF(0, 0), size));
        QCOMPARE(t.toPage(QRectF(QPointF(0, 0), size)), crop);
    }

    void linesSplitAtLineEndsAndJumps()
    {
        std::vector<TextWord> words = twoLines();
        words[2].lineEndsAfter = false; // only the jump in y ends the first line now
        const std::vector<TextLine> lines = splitLines(words);
        QCOMPARE(int(lines.size()), 2);
        QCOMPARE(lines[0].first, 0);
        QCOMPARE(lines[0].last, 2);
        QCOMPARE(lines[1].first, 3);
        QCOMPARE(words[2].line, 0);
        QCOMPARE(words[3].line, 1);
        QVERIFY(words[2].lineEndsAfter);
        QCOMPARE(lines[0].box, QRectF(10, 100, 110, 12));
    }

    void wordNearest_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("word");
        QTest::newRow("on a word") << QPointF(50, 105) << 1;
        QTest::newRow("between words, nearer the left") << QPointF(77, 105) << 1;
        QTest::newRow("right of a line") << QPointF(300, 105) << 2;
        QTest::newRow("left margin of line two") << QPointF(0, 125) << 3;
        QTest::newRow("above everything") << QPointF(60, 0) << 1;
        QTest::newRow("below everything") << QPointF(60, 500) << 4;
        QTest::newRow("in the gap, nearer line two") << QPointF(60, 117) << 4;
    }
    void wordNearest()
    {
        QFETCH(QPointF, point);
        QFETCH(int, word);
        std::vector<TextWord> words = twoLines();
        const std::vector<TextLine> lines = splitLines(words);
        QCOMPARE(tolvo::pdf::wordNearest(words, lines, point), word);
    }

    void wordsInRect_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QVector<int>>("words");
        QTest::newRow("the first line") << QRectF(0, 98, 200, 16) << QVector<int> { 0, 1, 2 };
        QTest::newRow("a sliver of line two is not enough") << QRectF(0, 98, 200, 24) << QVector<int> { 0, 1, 2 };
        QTest::newRow("small rect inside a word") << QRectF(50, 104, 4, 4) << QVector<int> { 1 };
        QTest::newRow("nothing") << QRectF(300, 300, 10, 10) << QVector<int> {};
    }
    void wordsInRect()
    {
        QFETCH(QRectF, rect);
        QFETCH(QVector<int>, words);
        const std::vector<int> hits = tolvo::pdf::wordsInRect(twoLines(), rect);
        QCOMPARE(QVector<int>(hits.begin(), hits.end()), words);
    }

    void addMergesWordsOnce()
    {
        std::vector<TextWord> words = twoLines();
        splitLines(words);
        TextSelection a = TextSelection::fromWords(3, { words[0], words[1] });
        const TextSelection b = TextSelection::fromWords(3, { words[1], words[2], words[3] });
        a.add(b);
        QCOMPARE(a.text, QStringLiteral("one two three\nfour"));
        QCOMPARE(int(a.lines.size()), 2);
        QCOMPARE(a.lines[0].bounds, QRectF(10, 100, 110, 12));
        QCOMPARE(a.pages(), QVector<int> { 3 });
        QCOMPARE(a.boundsForPage(3), QRectF(10, 100, 110, 32));
        QVERIFY(a.boundsForPage(4).isNull());
        // The same selection added again changes nothing.
        const TextSelection before = a;
        a.add(b);
        QCOMPARE(a.text, before.text);
    }

    void addKeepsPageOrderAndGaps()
    {
        std::vector<TextWord> words = twoLines();
        splitLines(words);
        TextSelection later = TextSelection::fromWords(5, { words[0] });
        TextSelection gap = TextSelection::fromWords(2, { words[0], words[2] });
        later.add(gap);
        QCOMPARE(later.pages(), (QVector<int> { 2, 5 }));
        QCOMPARE(later.text, QStringLiteral("one three\none"));
    }

    void addKeepsLinesMadeWithoutWords()
    {
        TextSelection a;
        SelectionLine line;
        line.pageIndex = 0;
        line.text = QStringLiteral("typed");
        line.bounds = QRectF(1, 2, 3, 4);
        a.lines.push_back(line);
        a.text = line.text;
        std::vector<TextWord> words = twoLines();
        splitLines(words);
        a.add(TextSelection::fromWords(0, { words[3] }));
        QCOMPARE(a.text, QStringLiteral("typed\nfour"));
    }

    void pageNumbers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("decimal") << int(NumberStyle::Decimal) << qint64(12) << "12";
        QTest::newRow("roman 4") << int(NumberStyle::LowerRoman) << qint64(4) << "iv";
        QTest::newRow("roman 1994") << int(NumberStyle::UpperRoman) << qint64(1994) << "MCMXCIV";
        QTest::newRow("roman 0 falls back") << int(NumberStyle::LowerRoman) << qint64(0) << "0";
        QTest::newRow("letter 1") << int(NumberStyle::LowerLetters) << qint64(1) << "a";
        QTest::newRow("letter 26") << int(NumberStyle::UpperLetters) << qint64(26) << "Z";
        QTest::newRow("letter 27 doubles") << int(NumberStyle::UpperLetters) << qint64(27) << "AA";
        QTest::newRow("letter 28") << int(NumberStyle::UpperLetters) << qint64(28) << "BB";
        QTest::newRow("no style") << int(NumberStyle::None) << qint64(3) << "";
    }
    void pageNumbers()
    {
        QFETCH(int, style);
        QFETCH(qint64, number);
        QFETCH(QString, text);
        QCOMPARE(formatPageNumber(NumberStyle(style), number), text);
    }
};

QTEST_GUILESS_MAIN(TestPdfValues)
#include "test_pdf_values.moc"
