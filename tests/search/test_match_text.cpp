// SPDX-License-Identifier: GPL-3.0-or-later
// The page's own text of a search match, from the words under its rectangle.
#include "search/MatchText.h"

#include <QtTest>

using namespace tolvo;

namespace {

// One line of words at y 100 (12 high), each 6 points a character, one blank between words;
// a "\n" in the text starts the next line 20 points lower.
std::vector<pdf::TextWord> lineOf(const QString& text)
{
    std::vector<pdf::TextWord> words;
    double x = 72;
    double y = 100;
    int line = 0;
    for (const QString& row : text.split(u'\n')) {
        const QStringList parts = row.split(u' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            pdf::TextWord w;
            w.text = parts[i];
            w.bounds = QRectF(x, y, 6.0 * double(parts[i].size()), 12);
            w.spaceAfter = i + 1 < parts.size();
            w.lineEndsAfter = i + 1 == parts.size();
            w.index = int(words.size());
            w.line = line;
            words.push_back(w);
            x += w.bounds.width() + 6;
        }
        x = 72;
        y += 20;
        ++line;
    }
    return words;
}

} // namespace

class TestMatchText : public QObject {
    Q_OBJECT

private slots:
    void quote_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("quote");
        // "Physical page 10": Physical 72-120, page 126-150, 10 156-168.
        QTest::newRow("ends inside a word") << "Physical page 10" << QRectF(72, 100, 90, 12) << "physical page 1"
                                            << "Physical page 1";
        QTest::newRow("starts inside a word") << "Physical page 10" << QRectF(90, 100, 60, 12) << "SICAL PAGE"
                                              << "sical page";
        QTest::newRow("blank runs in the query") << "Physical page 10" << QRectF(72, 100, 78, 12) << "physical   page"
                                                 << "Physical page";
        QTest::newRow("words of the line below not taken")
            << "Alpha beta\nbeta gamma" << QRectF(108, 100, 24, 22) << "beta"
            << "beta";
        QTest::newRow("page does not spell the query: its words") << "ﬁnd the ﬁle" << QRectF(72, 100, 18, 12) << "find"
                                                                  << "ﬁnd";
        QTest::newRow("no words under the match: the query") << "Alpha" << QRectF(300, 300, 10, 10) << "alpha"
                                                             << "alpha";
        QTest::newRow("regular expression characters are text") << "a+b (c)" << QRectF(72, 100, 60, 12) << "A+B (C"
                                                                << "a+b (c";
    }
    void quote()
    {
        QFETCH(QString, page);
        QFETCH(QRectF, rect);
        QFETCH(QString, query);
        QFETCH(QString, quote);
        QCOMPARE(matchedText(lineOf(page), rect, query), quote);
    }
};

QTEST_GUILESS_MAIN(TestMatchText)
#include "test_match_text.moc"
