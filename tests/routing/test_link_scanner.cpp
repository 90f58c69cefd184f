// SPDX-License-Identifier: GPL-3.0-or-later
// Finding tolvo:// links in notes: plain text and Markdown, HTML, RTF.
#include "routing/LinkScanner.h"

#include <QtTest>

using namespace tolvo;

Q_DECLARE_METATYPE(NoteFormat)
Q_DECLARE_METATYPE(FoundLink)

namespace {

using Links = QList<FoundLink>;

} // namespace

class TestLinkScanner : public QObject {
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<NoteFormat>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Links>("expected");
        const auto P = NoteFormat::Plain;
        const auto H = NoteFormat::Html;
        const auto R = NoteFormat::Rtf;

        QTest::newRow("plain, two lines")
            << P << "see tolvo://book/12/ here\nand\ttolvo://book/iv/@loc/72x/541y/\n"
            << Links { { 1, "tolvo://book/12/" }, { 2, "tolvo://book/iv/@loc/72x/541y/" } };
        QTest::newRow("sentence end") << P << "Read tolvo://book/12. Then tolvo://b/3/, and (tolvo://c/4/)."
                                      << Links { { 1, "tolvo://book/12" }, { 1, "tolvo://b/3/" },
                                             { 1, "tolvo://c/4/" } };
        QTest::newRow("markdown link") << P << "[Chapter 1](tolvo://book/chapt.1/) and <tolvo://book/2/>"
                                       << Links { { 1, "tolvo://book/chapt.1/" }, { 1, "tolvo://book/2/" } };
        QTest::newRow("markdown with parentheses in the label")
            << P << "[x](tolvo://book/(a)/)" << Links { { 1, "tolvo://book/(a)/" } };
        QTest::newRow("markdown emphasis") << P << "**tolvo://book/3/**" << Links { { 1, "tolvo://book/3/" } };
        QTest::newRow("percent escapes kept") << P << "tolvo://book/a%20b/" << Links { { 1, "tolvo://book/a%20b/" } };
        QTest::newRow("scheme only in capitals") << P << "TOLVO://book/3/" << Links {};
        QTest::newRow("bare scheme") << P << "tolvo:// alone" << Links {};
        QTest::newRow("twice on a line once")
            << P << "tolvo://a/1/ tolvo://a/1/\ntolvo://a/1/" << Links { { 1, "tolvo://a/1/" }, { 2, "tolvo://a/1/" } };
        QTest::newRow("non-ASCII label") << P << "tolvo://bok/Kapitel.ä/" << Links { { 1, "tolvo://bok/Kapitel.ä/" } };
        QTest::newRow("markdown angle brackets hold blanks")
            << P << "[A 1](<tolvo://book/A 1/>) and <tolvo://book/Cover Page/>"
            << Links { { 1, "tolvo://book/A 1/" }, { 1, "tolvo://book/Cover Page/" } };
        QTest::newRow("markdown angle brackets with escapes")
            << P << "[x](<tolvo://book/a\\>b\\<c (d)/>)" << Links { { 1, "tolvo://book/a>b<c (d)/" } };
        QTest::newRow("markdown destination escapes, as the Markdown writer makes them")
            << P << "[a](tolvo://m/a\\(1\\)/) [b](tolvo://m/x&amp;y/) [c](<tolvo://m/A 1&amp;\\>/>)"
            << Links { { 1, "tolvo://m/a(1)/" }, { 1, "tolvo://m/x&y/" }, { 1, "tolvo://m/A 1&>/" } };
        QTest::newRow("markdown destination with balanced parentheses")
            << P << "[a](tolvo://m/f(x)/) then" << Links { { 1, "tolvo://m/f(x)/" } };
        QTest::newRow("angle bracket not closed on its line")
            << P << "<tolvo://book/A 1/\n>" << Links { { 1, "tolvo://book/A" } };
        QTest::newRow("markdown label of an address with a blank")
            << P << "[tolvo://book/Cover Page](<tolvo://book/Cover Page/>)"
            << Links { { 1, "tolvo://book/Cover Page/" } };
        QTest::newRow("markdown label that is the address")
            << P << "[tolvo://book/12](tolvo://book/12/) [x] tolvo://book/13 ](y)"
            << Links { { 1, "tolvo://book/12/" }, { 1, "tolvo://book/13" } };
        QTest::newRow("plain link with a blank in its label")
            << P << "see tolvo://book/Cover Page/ here" << Links { { 1, "tolvo://book/Cover Page/" } };
        QTest::newRow("blank-free words after a link without its slash stay out")
            << P << "tolvo://book/12 and more words" << Links { { 1, "tolvo://book/12" } };
        QTest::newRow("no reaching into the next link")
            << P << "tolvo://book/12 tolvo://book/13/" << Links { { 1, "tolvo://book/12" }, { 1, "tolvo://book/13/" } };

        QTest::newRow("qt rich text anchor")
            << H
            << "<html><body>\n<p>See <a "
               "href=\"tolvo://book/chapt.1/introd/\"><span>book/chapt.1/introd/</span></a></p>\n"
               "<p><a href=\"tolvo://book/3/\">tolvo://book/3/</a></p></body></html>"
            << Links { { 2, "tolvo://book/chapt.1/introd/" }, { 3, "tolvo://book/3/" } };
        QTest::newRow("entities") << H << "<a href='tolvo://b/a&amp;b/'>x</a> tolvo://c/1&lt;2/&nbsp;next"
                                  << Links { { 1, "tolvo://b/a&b/" }, { 1, "tolvo://c/1<2/" } };
        QTest::newRow("anchor text of an address with a blank")
            << H << "<p><a href=\"tolvo://b/A 1/\">tolvo://b/A 1/</a></p>" << Links { { 1, "tolvo://b/A 1/" } };
        QTest::newRow("numeric entities")
            << H << "<a href=\"tolvo://b/&#228;&#x62;/\">" << Links { { 1, "tolvo://b/äb/" } };

        QTest::newRow("rtf field") << R
                                   << "{\\rtf1\\ansi\n{\\field{\\*\\fldinst{HYPERLINK \"tolvo://book/12/\"}}"
                                      "{\\fldrslt tolvo://book/12/}}\\par\n}"
                                   << Links { { 2, "tolvo://book/12/" } };
        QTest::newRow("rtf field of an address with a blank")
            << R << "{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"tolvo://b/A 1/\"}}{\\fldrslt tolvo://b/A 1/}}}"
            << Links { { 1, "tolvo://b/A 1/" } };
        QTest::newRow("rtf escapes") << R << "{\\rtf1 HYPERLINK \"tolvo://b/\\u228?\\'e4\\{x\\}/\"}"
                                     << Links { { 1, "tolvo://b/ää{x}/" } };
        QTest::newRow("rtf control word ends")
            << R << "{\\rtf1 tolvo://b/3/\\par tolvo://c/4/}" << Links { { 1, "tolvo://b/3/" }, { 1, "tolvo://c/4/" } };
    }
    void find()
    {
        QFETCH(NoteFormat, format);
        QFETCH(QString, text);
        QFETCH(Links, expected);
        const Links found = findLinks(text, format);
        if (found != expected) {
            for (const FoundLink& l : found)
                qInfo() << l.line << l.url;
        }
        QCOMPARE(found, expected);
    }

    void guessFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<NoteFormat>("format");
        QTest::newRow("rtf by content") << "notes.txt" << QByteArray("  {\\rtf1\\ansi x}") << NoteFormat::Rtf;
        QTest::newRow("html by content") << "notes" << QByteArray("<!DOCTYPE HTML><html>") << NoteFormat::Html;
        QTest::newRow("html by name") << "page.HTM" << QByteArray("<p>x</p>") << NoteFormat::Html;
        QTest::newRow("markdown") << "notes.md" << QByteArray("# Notes <b>") << NoteFormat::Plain;
        QTest::newRow("rtf by name") << "x.rtf" << QByteArray("") << NoteFormat::Rtf;
    }
    void guessFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(NoteFormat, format);
        QCOMPARE(guessNoteFormat(name, content), format);
    }
};

QTEST_GUILESS_MAIN(TestLinkScanner)
#include "test_link_scanner.moc"
