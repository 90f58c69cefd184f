// SPDX-License-Identifier: GPL-3.0-or-later
// Markdown links and URI forms, judged by independent readers: cmark for Markdown, the dispatch's
// percent-decoded reading for URIs.
#include "links/LinkText.h"
#include "links/MarkdownText.h"
#include "routing/UrlDispatch.h"
#include "support/LinkReaders.h"

#include <QtTest>

using namespace tolvo;

class TestMarkdownText : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("cmark").isEmpty())
            QFAIL("cmark is not installed (tools/setup-debian.sh installs it)");
    }

    // A list line as the TOC's Markdown copy writes it: "* title [title](url)". cmark must find
    // one link, whose text is the title and whose destination is the URL, and the item's text
    // must read as the title and the link's text.
    void hostileTitles_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("url");
        const QString url = "tolvo://manual/Intro/";
        QTest::newRow("plain") << "Introduction" << url;
        QTest::newRow("second link") << "Link](javascript:alert(1)) [x" << url;
        QTest::newRow("whole link") << "[a](tolvo://evil/)" << url;
        QTest::newRow("image") << "![img](x.png)" << url;
        QTest::newRow("emphasis") << "*bold* _em_ __strong__" << url;
        QTest::newRow("code span") << "`code` ``x``" << url;
        QTest::newRow("raw HTML") << "<b>bold</b> <!-- c -->" << url;
        QTest::newRow("autolink") << "<tolvo://evil/>" << url;
        QTest::newRow("entities") << "a & b &amp; &copy; &#65;" << url;
        QTest::newRow("backslashes") << "a\\b \\[ \\" << url;
        QTest::newRow("heading") << "# Heading" << url;
        QTest::newRow("ordered list") << "1. First" << url;
        QTest::newRow("ordered list, parenthesis") << "12) Twelfth" << url;
        QTest::newRow("bullet dash") << "- dash" << url;
        QTest::newRow("bullet plus") << "+ plus" << url;
        QTest::newRow("setext") << "=" << url;
        QTest::newRow("fence") << "~~~" << url;
        QTest::newRow("thematic break") << "***" << url;
        QTest::newRow("quote") << "> quoted" << url;
        QTest::newRow("line break") << "Line\nbreak" << url;
        QTest::newRow("blank line") << "Para\r\n\r\nAnother" << url;
        QTest::newRow("non-ASCII") << "Einführung — 日本語 🎉" << url;
        QTest::newRow("blank in URL") << "Cover Page"
                                      << "tolvo://manual/Cover Page/";
        QTest::newRow("parentheses in URL") << "x"
                                            << "tolvo://manual/a)b(c/";
        QTest::newRow("backslash in URL") << "x"
                                          << "tolvo://manual/a\\*b/";
        QTest::newRow("entity in URL") << "x"
                                       << "tolvo://manual/a&amp;b/";
        QTest::newRow("angle brackets in URL") << "x"
                                               << "tolvo://manual/<a> b/";
        QTest::newRow("non-ASCII URL") << "x"
                                       << "tolvo://Café.Manuel/Einführung/";
    }
    void hostileTitles()
    {
        QFETCH(QString, title);
        QFETCH(QString, url);
        const QString line = "* " + markdownEscaped(title) + ' ' + markdownLink(title, url);
        const std::optional<test::ReadDocument> read = test::cmarkRead(line);
        QVERIFY(read);
        QCOMPARE(read->links.size(), 1);
        QString shown = title;
        shown.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ');
        QCOMPARE(read->links.first().text, shown);
        QCOMPARE(read->links.first().destination, url);
        QCOMPARE(read->text, shown + ' ' + shown + '\n');
    }

    // No destination holds a line break: it is percent-encoded, with "%", and reads back decoded.
    void lineBreakInDestination()
    {
        const QString url = "tolvo://manual/50% a\nb/";
        const std::optional<test::ReadDocument> read = test::cmarkRead(markdownLink("x", url));
        QVERIFY(read);
        QCOMPARE(read->links.size(), 1);
        QCOMPARE(read->links.first().destination, "tolvo://manual/50%25 a%0Ab/");
        QCOMPARE(percentDecodedURL(read->links.first().destination), url);
    }

    void uriText_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("uri");
        QTest::newRow("as it is") << "tolvo://manual/12/"
                                  << "tolvo://manual/12/";
        QTest::newRow("capitals kept") << "tolvo://Intro.Manual/Chapt.1/"
                                       << "tolvo://Intro.Manual/Chapt.1/";
        QTest::newRow("location") << "tolvo://m/iv/@loc/72x/701y/"
                                  << "tolvo://m/iv/@loc/72x/701y/";
        QTest::newRow("reserved characters kept") << "tolvo://m/a?b#c!$&'()*+,;=:@~_/"
                                                  << "tolvo://m/a?b#c!$&'()*+,;=:@~_/";
        QTest::newRow("escape kept") << "tolvo://m/a%20b/"
                                     << "tolvo://m/a%20b/";
        QTest::newRow("blank") << "tolvo://m/Cover Page/"
                               << "tolvo://m/Cover%20Page/";
        QTest::newRow("non-ASCII") << "tolvo://Café/1/"
                                   << "tolvo://Caf%C3%A9/1/";
        QTest::newRow("outside the BMP") << "tolvo://m/🎉/"
                                         << "tolvo://m/%F0%9F%8E%89/";
        QTest::newRow("lone percent") << "tolvo://m/50%/"
                                      << "tolvo://m/50%25/";
        QTest::newRow("escape beside a blank") << "tolvo://m/A B%20/"
                                               << "tolvo://m/A%20B%2520/";
        QTest::newRow("brackets") << "tolvo://m/[1]/"
                                  << "tolvo://m/%5B1%5D/";
        QTest::newRow("unsafe ASCII") << "tolvo://m/\"<>\\^`{|}/"
                                      << "tolvo://m/%22%3C%3E%5C%5E%60%7B%7C%7D/";
        QTest::newRow("control") << "tolvo://m/a\tb/"
                                 << "tolvo://m/a%09b/";
    }
    void uriText()
    {
        QFETCH(QString, url);
        QFETCH(QString, uri);
        QCOMPARE(tolvo::uriText(url), uri);
        // Dispatch tries the text as received, then decoded: either gives the URL text back.
        QVERIFY(uri == url || percentDecodedURL(uri) == url);
    }
};

QTEST_GUILESS_MAIN(TestMarkdownText)
#include "test_markdowntext.moc"
