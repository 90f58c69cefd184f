// SPDX-License-Identifier: GPL-3.0-or-later
// The rich text value and its HTML.
#include "links/HtmlWriter.h"
#include "links/LinkText.h"
#include "links/RichText.h"
#include "test_richtext_support.h"

#include <QXmlStreamReader>
#include <QtTest>

using namespace tolvo;

namespace {

const TextAttributes kLinked { QStringLiteral("tolvo://m/1/"), kLinkBlue, true, std::nullopt };

// The text and links that a browser would see in an HTML document, or an error.
struct ParsedHtml {
    QString error;
    QString text;
    QStringList hrefs;
};

ParsedHtml parseHtml(const QString& html)
{
    ParsedHtml parsed;
    QXmlStreamReader xml(html);
    bool inBody = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"body")
                inBody = true;
            else if (xml.name() == u"br")
                parsed.text += u'\n';
            else if (xml.name() == u"a")
                parsed.hrefs << xml.attributes().value(QStringLiteral("href")).toString();
            break;
        case QXmlStreamReader::Characters:
            if (inBody)
                parsed.text += xml.text();
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        parsed.error = xml.errorString();
    return parsed;
}

} // namespace

class TestRichText : public QObject {
    Q_OBJECT

private slots:
    void appendMergesEqualNeighbours()
    {
        RichText text(QStringLiteral("ab"));
        text.append(QString());
        text.append(QStringLiteral("cd"));
        text.append(QStringLiteral("ef"), kLinked);
        text.append(QStringLiteral("gh"), kLinked);
        QCOMPARE(text.runs().size(), 2);
        QCOMPARE(text.runs()[0], (TextRun { QStringLiteral("abcd"), {} }));
        QCOMPARE(text.runs()[1], (TextRun { QStringLiteral("efgh"), kLinked }));
        QCOMPARE(text.length(), 8);
        QCOMPARE(toPlainText(text), QStringLiteral("abcdefgh"));
        QVERIFY(RichText(QString()).isEmpty());

        const RichText joined = RichText(QStringLiteral("x")) + RichText(QStringLiteral("y"));
        QCOMPARE(joined, RichText(QStringLiteral("xy")));
    }

    void rangeOperations_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("runs"); // the texts of the runs afterwards
        QTest::addColumn<QList<bool>>("underlined"); // per run

        QTest::newRow("middle") << "abcdef" << 2 << 2 << QStringList { "ab", "cd", "ef" }
                                << QList<bool> { false, true, false };
        QTest::newRow("start") << "abcdef" << 0 << 1 << QStringList { "a", "bcdef" } << QList<bool> { true, false };
        QTest::newRow("to the end") << "abcdef" << 4 << -1 << QStringList { "abcd", "ef" }
                                    << QList<bool> { false, true };
        QTest::newRow("past the end") << "abcdef" << 4 << 100 << QStringList { "abcd", "ef" }
                                      << QList<bool> { false, true };
        QTest::newRow("all") << "abcdef" << 0 << 6 << QStringList { "abcdef" } << QList<bool> { true };
        QTest::newRow("empty range") << "abcdef" << 3 << 0 << QStringList { "abcdef" } << QList<bool> { false };
        QTest::newRow("start beyond") << "abcdef" << 9 << 2 << QStringList { "abcdef" } << QList<bool> { false };
        QTest::newRow("negative start") << "abcdef" << -3 << 2 << QStringList { "ab", "cdef" }
                                        << QList<bool> { true, false };
        // Boundaries inside a surrogate pair move past it: a character is never split.
        QTest::newRow("end inside pair") << "a😀b" << 0 << 2 << QStringList { "a😀", "b" } << QList<bool> { true, false };
        QTest::newRow("start inside pair")
            << "a😀b" << 2 << 2 << QStringList { "a😀", "b" } << QList<bool> { false, true };
        QTest::newRow("only the low half") << "a😀b" << 2 << 1 << QStringList { "a😀b" } << QList<bool> { false };
    }
    void rangeOperations()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(QStringList, runs);
        QFETCH(QList<bool>, underlined);
        RichText rich(text);
        rich.setUnderline(start, count, true);
        QCOMPARE(rich.toPlainText(), text);
        QStringList texts;
        QList<bool> flags;
        for (const TextRun& run : rich.runs()) {
            texts << run.text;
            flags << run.attributes.underline;
        }
        QCOMPARE(texts, runs);
        QCOMPARE(flags, underlined);
    }

    void rangesAcrossRunsMergeBack()
    {
        RichText text(QStringLiteral("abc"));
        text.append(QStringLiteral("def"), kLinked);
        text.setColor(1, 4, RgbColor { 1, 2, 3 });
        QCOMPARE(text.runs().size(), 4); // a | bc | de | f
        text.setFont(FontSpec { QStringLiteral("Serif"), 10 });
        for (const TextRun& run : text.runs())
            QCOMPARE(run.attributes.font, std::optional<FontSpec>(FontSpec { QStringLiteral("Serif"), 10 }));
        text.changeAttributes(0, -1, [](TextAttributes& a) { a = {}; });
        QCOMPARE(text, RichText(QStringLiteral("abcdef")));
        text.setLink(0, 3, QStringLiteral("tolvo://m/"));
        text.setFont(2, 2, FontSpec { QStringLiteral("Mono"), 0 });
        QCOMPARE(text.runs().size(), 4); // ab | c | d | ef
        QCOMPARE(text.runs()[1].attributes.link, std::optional<QString>(QStringLiteral("tolvo://m/")));
        QCOMPARE(text.runs()[2].attributes.link, std::nullopt);
        QCOMPARE(text.runs()[2].attributes.font->family, QStringLiteral("Mono"));
    }

    void htmlOfStyledLink_data()
    {
        QTest::addColumn<bool>("underline");
        QTest::addColumn<QString>("html");
        QTest::newRow("underlined") << true
                                    << "<span style=\"white-space:pre-wrap\"><a href=\"tolvo://manual/12/\" "
                                       "style=\"color:#0000ff; text-decoration:underline\">manual/12/</a> </span>";
        QTest::newRow("not underlined") << false
                                        << "<span style=\"white-space:pre-wrap\"><a href=\"tolvo://manual/12/\" "
                                           "style=\"color:#0000ff; text-decoration:none\">manual/12/</a> </span>";
    }
    void htmlOfStyledLink()
    {
        QFETCH(bool, underline);
        QFETCH(QString, html);
        const RichText link
            = renderLink(LinkStyle::Condensed, QStringLiteral("manual/"), LinkPlace::page(QStringLiteral("12")))
                  .styledLink(underline);
        QCOMPARE(toHtmlFragment(link), html);
        QVERIFY(toHtml(link).contains(QStringLiteral("<meta charset=\"utf-8\"/>")));
        QVERIFY(toHtml(link).contains(html));
    }

    void htmlEscaping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("fragment"); // what must appear in the HTML
        QTest::addColumn<QString>("seen"); // the text a browser shows

        QTest::newRow("markup") << "a<b>&\"c'"
                                << ""
                                << "a&lt;b&gt;&amp;&quot;c&#39;"
                                << "a<b>&\"c'";
        QTest::newRow("tab and breaks") << "\tx\ny\r\nz\u2028w"
                                        << ""
                                        << "&#9;x<br/>y<br/>z<br/>w"
                                        << "\tx\ny\nz\nw";
        QTest::newRow("control characters") << QString("a\x01\x1f"
                                                       "b\x7f")
                                            << ""
                                            << "ab"
                                            << "ab";
        QTest::newRow("astral") << "😀"
                                << ""
                                << "😀"
                                << "😀";
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + u'x' << ""
                                        << "\uFFFDx"
                                        << "\uFFFDx";
        QTest::newRow("url with markup") << "t"
                                         << "tolvo://m/a\"b&c<d>/"
                                         << "href=\"tolvo://m/a&quot;b&amp;c&lt;d&gt;/\""
                                         << "t";
        QTest::newRow("url with blank, verbatim") << "t"
                                                  << "tolvo://m/a b/é/"
                                                  << "href=\"tolvo://m/a b/é/\""
                                                  << "t";
        QTest::newRow("url with line break") << "t"
                                             << "tolvo://m/a\nb/"
                                             << "href=\"tolvo://m/a&#10;b/\""
                                             << "t";
    }
    void htmlEscaping()
    {
        QFETCH(QString, text);
        QFETCH(QString, url);
        QFETCH(QString, fragment);
        QFETCH(QString, seen);
        TextAttributes a;
        if (!url.isEmpty())
            a.link = url;
        const RichText rich(text, a);
        const QString html = toHtml(rich);
        QVERIFY2(html.contains(fragment), qPrintable(html));
        const ParsedHtml parsed = parseHtml(html);
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error + u'\n' + html));
        QCOMPARE(parsed.text, seen);
        QCOMPARE(parsed.hrefs, url.isEmpty() ? QStringList() : QStringList { url });
    }

    void htmlFonts()
    {
        RichText text(
            QStringLiteral("x"), TextAttributes { {}, {}, false, FontSpec { QStringLiteral("O'Ne\\il"), 13.5 } });
        text.append(QStringLiteral("y"), TextAttributes { {}, RgbColor { 255, 16, 0 }, true, FontSpec { {}, 0 } });
        const QString html = toHtmlFragment(text);
        QVERIFY2(html.contains(QStringLiteral(
                     "<span style=\"font-family:&#39;O\\&#39;Ne\\\\il&#39;; font-size:13.5pt\">x</span>")),
            qPrintable(html));
        QVERIFY2(html.contains(QStringLiteral("<span style=\"color:#ff1000; text-decoration:underline\">y</span>")),
            qPrintable(html));
    }

    void htmlOfOneLinkInSeveralLooks()
    {
        // A font set over part of a link splits its runs; the link stays one anchor.
        RichText text = styledLink(QStringLiteral("manual/12/ "), QStringLiteral("tolvo://manual/12/"), true);
        text.setFont(0, 3, FontSpec { QStringLiteral("Serif"), 0 });
        const QString html = toHtmlFragment(text);
        QCOMPARE(html.count(QStringLiteral("<a ")), 1);
        QVERIFY2(html.contains(
                     QStringLiteral("<a href=\"tolvo://manual/12/\" style=\"text-decoration:none\">"
                                    "<span style=\"color:#0000ff; text-decoration:underline; "
                                    "font-family:&#39;Serif&#39;\">man</span>"
                                    "<span style=\"color:#0000ff; text-decoration:underline\">ual/12/</span></a> ")),
            qPrintable(html));
    }

    void htmlOfRandomTextIsWellFormed()
    {
        QRandomGenerator random(20240611);
        for (int i = 0; i < 300; ++i) {
            const RichText text = testing::randomRichText(random);
            const ParsedHtml parsed = parseHtml(toHtml(text));
            QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
            QString expected = text.toPlainText();
            expected.replace(QChar(0x2028), u'\n');
            QCOMPARE(parsed.text, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestRichText)
#include "test_richtext.moc"
