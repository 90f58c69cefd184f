// SPDX-License-Identifier: GPL-3.0-or-later
// RTF: what our writer writes, what our reader reads back, what pandoc makes
// of it, and the reader on damaged and hostile input.
#include "links/HtmlWriter.h"
#include "links/LinkText.h"
#include "links/RtfReader.h"
#include "links/RtfWriter.h"
#include "test_richtext_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest>

using namespace tolvo;

Q_DECLARE_METATYPE(tolvo::RichText)

namespace {

using Links = QList<std::pair<QString, QString>>; // (visible text, URL)

const QByteArray kHeader = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";

RichText link(const QString& display, const QString& url, bool underline = true)
{
    return styledLink(display, url, underline);
}

// The body of our RTF: what follows the tables.
QByteArray body(const QByteArray& rtf)
{
    const qsizetype start = rtf.indexOf("\\pard ");
    return start < 0 ? QByteArray() : rtf.mid(start + 6, rtf.size() - start - 6 - 2);
}

Links linksOf(const RichText& text)
{
    Links links;
    for (const TextRun& run : text.runs()) {
        if (!run.attributes.link)
            continue;
        if (!links.isEmpty() && links.last().second == *run.attributes.link)
            links.last().first += run.text;
        else
            links.append({ run.text, *run.attributes.link });
    }
    return links;
}

// Lines with white space runs made one blank, trimmed, empty lines dropped:
// how far pandoc's paragraphs can be compared with our text.
QString normalised(const QString& text)
{
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines.join(u'\n');
}

// The text and links of pandoc's JSON inlines.
void flattenInlines(const QJsonArray& inlines, QString& text, Links& links)
{
    bool previousWasLink = false;
    for (const QJsonValue& value : inlines) {
        const QJsonObject node = value.toObject();
        const QString type = node.value(u"t").toString();
        const bool isLink = type == u"Link";
        const auto remember = qScopeGuard([&] { previousWasLink = isLink; });
        const QJsonValue content = node.value(u"c");
        if (type == u"Str") {
            text += content.toString();
        } else if (type == u"Space" || type == u"SoftBreak") {
            text += u' ';
        } else if (type == u"LineBreak") {
            text += u'\n';
        } else if (type == u"Link") {
            QString label;
            Links inner;
            flattenInlines(content.toArray().at(1).toArray(), label, inner);
            text += label;
            const QString url = content.toArray().at(2).toArray().at(0).toString();
            // pandoc makes one link of each piece of text between control symbols
            if (previousWasLink && links.last().second == url)
                links.last().first += label;
            else
                links.append({ label, url });
        } else if (type == u"Span") {
            flattenInlines(content.toArray().at(1).toArray(), text, links);
        } else if (content.isArray()) { // Underline, Emph, Strong and the like
            flattenInlines(content.toArray(), text, links);
        }
    }
}

struct PandocReading {
    QString error;
    QString text;
    Links links;
};

PandocReading readWithPandoc(const QString& pandoc, const QByteArray& rtf)
{
    PandocReading reading;
    QProcess process;
    process.start(
        pandoc, { QStringLiteral("-f"), QStringLiteral("rtf"), QStringLiteral("-t"), QStringLiteral("json") });
    process.write(rtf);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        reading.error = QString::fromUtf8(process.readAllStandardError());
        return reading;
    }
    const QJsonArray blocks
        = QJsonDocument::fromJson(process.readAllStandardOutput()).object().value(u"blocks").toArray();
    QStringList paragraphs;
    for (const QJsonValue& block : blocks) {
        QString text;
        flattenInlines(block.toObject().value(u"c").toArray(), text, reading.links);
        paragraphs << text;
    }
    reading.text = paragraphs.join(u'\n');
    return reading;
}

// Every run holds text and differs from its neighbours; no unpaired surrogate anywhere.
bool noUnpairedSurrogate(const QString& s)
{
    for (qsizetype k = 0; k < s.size(); ++k) {
        if (s[k].isHighSurrogate() && k + 1 < s.size() && s[k + 1].isLowSurrogate())
            ++k;
        else if (s[k].isSurrogate())
            return false;
    }
    return true;
}

bool isSound(const RichText& text)
{
    for (qsizetype i = 0; i < text.runs().size(); ++i) {
        const TextRun& run = text.runs()[i];
        if (run.text.isEmpty() || (i > 0 && text.runs()[i - 1].attributes == run.attributes))
            return false;
        if (!noUnpairedSurrogate(run.text) || (run.attributes.link && !noUnpairedSurrogate(*run.attributes.link)))
            return false;
    }
    return true;
}

} // namespace

class TestRichTextRtf : public QObject {
    Q_OBJECT

    // The rich texts that pandoc and our reader get, with what they should show.
    void addSamples()
    {
        QTest::addColumn<RichText>("text");

        const FontSpec font { QStringLiteral("DejaVu Serif"), 13.5 };
        RichText drag = link(QStringLiteral("manual/introd/ "), QStringLiteral("tolvo://manual/introd/"));
        drag += QStringLiteral(" \n\t\tScope ");
        drag += link(QStringLiteral("manual/introd.scope/ "), QStringLiteral("tolvo://manual/introd.scope/"));
        applyUserPreferredFont(drag, font);
        QTest::newRow("drag of two TOC items") << drag;

        QTest::newRow("expanded location link") << renderLink(LinkStyle::Expanded, QStringLiteral("manual/"),
            LinkPlace::location(QStringLiteral("12"), QPointF(72.4, 700.6)))
                                                       .styledLink(false);

        RichText exported(QStringLiteral("\nPage 3, Highlight annotation "));
        exported += link(QStringLiteral("ab/3/ "), QStringLiteral("tolvo://ab/3/"));
        exported += QStringLiteral("\n\"quoted text\"\n \n");
        QTest::newRow("annotation export entry") << exported;

        QTest::newRow("non-ASCII display text")
            << link(QStringLiteral("Einführung — “Ω” € ñ "), QStringLiteral("tolvo://manual/einf/"));
        QTest::newRow("braces and backslashes")
            << (RichText(QStringLiteral("a{b}c\\d ")) + link(QStringLiteral("{x}\\ "), QStringLiteral("tolvo://m/x/")));
        QTest::newRow("blank and percent in URL")
            << link(QStringLiteral("m/a b/ "), QStringLiteral("tolvo://manual/a b/50%25/"));
        QTest::newRow("tabs and paragraphs") << RichText(QStringLiteral("x\ty\nz\n\nw"));
        QTest::newRow("fixed form, whole text linked")
            << styledLink(QStringLiteral("manual"), QStringLiteral("tolvo://manual/"), true, LinkCover::WholeText);
    }

private slots:
    void writerHeaderAndTables()
    {
        const QByteArray rtf = toRtf(RichText(QStringLiteral("a")));
        QCOMPARE(rtf,
            kHeader
                + "{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}}\n{\\colortbl;\\red0\\green0\\blue255;}\n"
                  "\\pard a}\n");

        RichText fonts(QStringLiteral("x"),
            TextAttributes {
                {}, RgbColor { 300, -4, 17 }, false, FontSpec { QStringLiteral("Semi;colon {Sans}"), 13.5 } });
        fonts.append(QStringLiteral("y"), TextAttributes { {}, {}, false, FontSpec { QStringLiteral("Ünï"), 0 } });
        fonts.append(QStringLiteral("z"), TextAttributes { {}, {}, false, FontSpec { QString(), 9 } });
        const QByteArray out = toRtf(fonts);
        QVERIFY2(out.contains("{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}{\\f1\\fnil\\fcharset0 Semi\\'3bcolon "
                              "\\{Sans\\};}{\\f2\\fnil\\fcharset0 \\u220\\'3fn\\u239\\'3f;}}"),
            out.constData());
        QVERIFY2(out.contains("{\\colortbl;\\red0\\green0\\blue255;\\red255\\green0\\blue17;}"), out.constData());
        QCOMPARE(body(out), QByteArray("{\\f1\\fs27\\cf2 x}{\\f2 y}{\\fs18 z}"));
    }

    void writerEscapesText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("braces") << "{a}" << QByteArray("\\{a\\}");
        QTest::newRow("backslash") << "a\\b\\" << QByteArray("a\\\\b\\\\");
        QTest::newRow("Latin-1") << "é" << QByteArray("\\u233\\'3f");
        QTest::newRow("euro") << "€" << QByteArray("\\u8364\\'3f");
        QTest::newRow("CJK") << "中" << QByteArray("\\u20013\\'3f");
        QTest::newRow("above 32767 is negative") << "\uFFFD" << QByteArray("\\u-3\\'3f");
        QTest::newRow("astral as surrogate pair") << "😀" << QByteArray("\\u-10179\\'3f\\u-8704\\'3f");
        QTest::newRow("tab") << "a\tb" << QByteArray("a\\tab b");
        QTest::newRow("tab before blank") << "\t x" << QByteArray("\\tab  x");
        QTest::newRow("line end") << "a\nb" << QByteArray("a\\par\nb");
        QTest::newRow("CR LF") << "a\r\nb" << QByteArray("a\\par\nb");
        QTest::newRow("lone CR") << "a\rb" << QByteArray("a\\par\nb");
        QTest::newRow("paragraph separator") << "a\u2029b" << QByteArray("a\\par\nb");
        QTest::newRow("line separator") << "a\u2028b" << QByteArray("a\\line b");
        QTest::newRow("control characters dropped") << QString("a\x01\x1f\x7f"
                                                               "b")
                                                    << QByteArray("ab");
        QTest::newRow("question mark stays") << "?" << QByteArray("?");
    }
    void writerEscapesText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, rtf);
        QCOMPARE(body(toRtf(RichText(text))), rtf);
    }

    void writerWritesHyperlinkFields_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("underlined") << "tolvo://manual/12/" << true
                                    << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"tolvo://manual/12/\"}}{\\fldrslt "
                                                  "{\\cf1\\ul manual/12/\\ulnone}}} ");
        QTest::newRow("not underlined")
            << "tolvo://manual/12/" << false
            << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"tolvo://manual/12/\"}}{\\fldrslt {\\cf1 manual/12/}}} ");
        // Field arguments have no escape that every reader understands: quotes, backslashes,
        // controls and non-ASCII are percent-encoded (and "%" with them), braces escaped as in text.
        QTest::newRow("percent alone stays")
            << "tolvo://m/50%/" << false
            << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"tolvo://m/50%/\"}}{\\fldrslt "
                          "{\\cf1 manual/12/}}} ");
        QTest::newRow("escape-like percent")
            << "tolvo://m/a%20b/" << false
            << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"tolvo://m/a%2520b/\"}}{\\fldrslt "
                          "{\\cf1 manual/12/}}} ");
        QTest::newRow("quote and backslash")
            << "tolvo://m/a\"b\\c/" << false
            << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"tolvo://m/a%22b%5Cc/\"}}{\\fldrslt {\\cf1 manual/12/}}} ");
        QTest::newRow("braces, blank, non-ASCII, tab, percent")
            << "tolvo://m/{a} é\t%/" << false
            << QByteArray("{\\field{\\*\\fldinst{HYPERLINK \"tolvo://m/\\{a\\} %C3%A9%09%25/\"}}{\\fldrslt {\\cf1 "
                          "manual/12/}}} ");
    }
    void writerWritesHyperlinkFields()
    {
        QFETCH(QString, url);
        QFETCH(bool, underline);
        QFETCH(QByteArray, rtf);
        QCOMPARE(body(toRtf(link(QStringLiteral("manual/12/ "), url, underline))), rtf);
    }

    void writerWritesAsciiOnly()
    {
        QRandomGenerator random(7);
        for (int i = 0; i < 200; ++i) {
            const QByteArray rtf = toRtf(testing::randomRichText(random));
            QVERIFY(std::all_of(rtf.begin(), rtf.end(), [](char c) { return uchar(c) < 0x80; }));
        }
    }

    void readerReadsBackWhatWeWrite_data()
    {
        addSamples();
        RichText everything(QStringLiteral("{}\\\t\n\u2028é€中😀?;\"'"));
        everything.append(QStringLiteral("Ω"),
            TextAttributes { QStringLiteral("tolvo://m/{é} \\\"/"), RgbColor { 1, 2, 3 }, true,
                FontSpec { QStringLiteral("Helvetica"), 0 } });
        QTest::newRow("every special") << everything;
        // Written as it is (nothing in it needs encoding), so the reader must leave the "%" alone.
        QTest::newRow("stray percent in a link") << RichText(
            QStringLiteral("x"), TextAttributes { QStringLiteral("tolvo://m/%@loc12/100%/"), {}, false, {} });
    }
    void readerReadsBackWhatWeWrite()
    {
        QFETCH(RichText, text);
        const std::optional<RichText> read = fromRtf(toRtf(text));
        QVERIFY(read);
        // Even the quote and backslash of the URL, which the field holds percent-encoded.
        QCOMPARE(*read, text);
    }

    void readerReadsBackRandomText()
    {
        QRandomGenerator random(1234);
        for (int i = 0; i < 500; ++i) {
            const RichText text = testing::randomRichText(random);
            const std::optional<RichText> read = fromRtf(toRtf(text));
            QVERIFY(read);
            QCOMPARE(*read, text);
        }
    }

    void pandocReadsOurRtf_data()
    {
        addSamples();
        RichText quoted = link(QStringLiteral("m/q/ "), QStringLiteral("tolvo://m/a\"b/"));
        QTest::newRow("quote in URL") << quoted;
    }
    void pandocReadsOurRtf()
    {
        const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
        if (pandoc.isEmpty())
            QFAIL("pandoc is not installed (tools/setup-debian.sh installs it)");
        QFETCH(RichText, text);
        const PandocReading reading = readWithPandoc(pandoc, toRtf(text));
        QVERIFY2(reading.error.isEmpty(), qPrintable(reading.error));
        QCOMPARE(normalised(reading.text), normalised(text.toPlainText()));

        Links expected = linksOf(text);
        for (auto& [label, url] : expected)
            label = label.simplified();
        // What a field cannot hold comes percent-encoded; decoded, as dispatch reads it, it is the URL.
        Links seen = reading.links;
        for (auto& [label, url] : seen) {
            label = label.simplified();
            url = QUrl::fromPercentEncoding(url.toUtf8());
        }
        QCOMPARE(seen, expected);
    }

    void readerReadsOtherWriters_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("links"); // "text=url"

        QTest::newRow("TextEdit") << QByteArray(
            "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n\\cocoatextscaling0\\cocoaplatform0"
            "{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n{\\colortbl;\\red255\\green255\\blue255;"
            "\\red0\\green0\\blue255;}\n{\\*\\expandedcolortbl;;\\csgenericrgb\\c0\\c0\\c100000;}\n"
            "\\pard\\tx560\\pardirnatural\\partightenfactor0\n\n{\\field{\\*\\fldinst{HYPERLINK "
            "\"tolvo://manual/12/\"}}{\\fldrslt \\f0\\fs24 \\cf2 \\ul \\ulc2 manual/12/}}\\f0\\fs24 "
            "\\cf2 \\ul \\ulc2  \\uc0\\u8220 q\\u8221 }")
                                  << "manual/12/ “q”" << QStringList { "manual/12/=tolvo://manual/12/" };
        QTest::newRow("LibreOffice") << QByteArray(
            "{\\rtf1\\ansi\\deff3\\adeflang1025\n{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New "
            "Roman;}{\\f1\\froman\\fprq2\\fcharset2 Symbol;}}{\\colortbl;\\red0\\green0\\blue0;\\red0"
            "\\green0\\blue255;}{\\stylesheet{\\s0\\snext0 Default;}}{\\*\\generator LibreOffice/7.4}"
            "{\\info{\\creatim\\yr2024}}\n\\pard\\plain {\\field{\\*\\fldinst HYPERLINK \"tolvo://m/x/\" }"
            "{\\fldrslt {\\cf2\\ul\\ulc0 link}}}\\par \\u8222\\'84caf\\'e9 \\'80\\par }")
                                     << "link\n„café €\n"
                                     << QStringList { "link=tolvo://m/x/" };
        QTest::newRow("Word, tooltip switch")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst {\\rtlch HYPERLINK \"http://example.com/a\" \\\\o \"tip\"}}"
                          "{\\fldrslt {\\rtlch\\ul\\cf1 Ex}}}}")
            << "Ex" << QStringList { "Ex=http://example.com/a" };
        QTest::newRow("bookmark") << QByteArray(
            "{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \\\\l \"sec1\"}}{\\fldrslt B}}}")
                                  << "B" << QStringList { "B=#sec1" };
        QTest::newRow("unquoted URL") << QByteArray(
            "{\\rtf1{\\field{\\*\\fldinst{ HYPERLINK tolvo://m/1/ }}{\\fldrslt B}}}")
                                      << "B" << QStringList { "B=tolvo://m/1/" };
        QTest::newRow("escaped quote in field")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"a\\\\\"b\\\\\\\\c\"}}{\\fldrslt B}}}") << "B"
            << QStringList { "B=a\"b\\c" };
        QTest::newRow("percent that is no escape")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"tolvo://m/%@loc12/%4%41\"}}{\\fldrslt B}}}") << "B"
            << QStringList { "B=tolvo://m/%@loc12/%4A" };
        QTest::newRow("other field") << QByteArray("{\\rtf1 p.{\\field{\\*\\fldinst{PAGE}}{\\fldrslt 3}}}") << "p.3"
                                     << QStringList {};
        QTest::newRow("HYPERLINK prefix only")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst{HYPERLINKS \"x\"}}{\\fldrslt 3}}}") << "3" << QStringList {};
        QTest::newRow("nested field inside a link") << QByteArray(
            "{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt a{\\field{\\*\\fldinst{PAGE}}"
            "{\\fldrslt 3}}b}}c}") << "a3bc" << QStringList { "a3b=u" };
        QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v hidden}b\\v c\\v0 d}") << "abd" << QStringList {};
        QTest::newRow("skipped destinations") << QByteArray(
            "{\\rtf1{\\pict\\pngblip 89504e47}{\\*\\unknown stuff}{\\header h}{\\footnote f}x"
            "{\\pict\\bin4 {}\\x}y}") << "xy" << QStringList {};
        QTest::newRow("symbol words") << QByteArray(
            "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~\\_\\-|}")
                                      << "—–•‘’“”\u00a0\u2011|" << QStringList {};
        QTest::newRow("code page 1252") << QByteArray("{\\rtf1 \\'80\\'81\\'9f\\'e9 caf\xe9}") << "€\uFFFDŸé café"
                                        << QStringList {};
        QTest::newRow("document code page 1251")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 \xec\xe8\xf0}") << "Привет мир"
            << QStringList {};
        QTest::newRow("font code page beside the document's")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial CYR;}"
                          "{\\f2\\fcharset161 Arial Greek;}{\\f3\\fcharset238 Arial CE;}}"
                          "\\f0 caf\\'e9 \\f1\\'e4\\'e0 \\f2\\'e1\\'e2 \\f3\\'b9\\'e6}")
            << "café да αβ ąć" << QStringList {};
        QTest::newRow("two-byte code page")
            << QByteArray("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2 x}") << "あい x" << QStringList {};
        QTest::newRow("\\cpg of a font") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\cpg1253 Greek;}}\\f0\\'e1}") << "α"
                                         << QStringList {};
        QTest::newRow("unknown code page read as 1252")
            << QByteArray("{\\rtf1\\ansicpg99999 caf\\'e9}") << "café" << QStringList {};
        QTest::newRow("list bullets and numbers")
            << QByteArray("{\\rtf1\\ansi{\\listtext\\'95\\tab}one\\par{\\listtext 2.\\tab}two\\par"
                          "{\\*\\pn\\pnlvlblt{\\pntxtb x}}{\\pntext\\bullet\\tab}three}")
            << "\u2022\tone\n2.\ttwo\n\u2022\tthree" << QStringList {};
        QTest::newRow("breaks") << QByteArray("{\\rtf1 a\\par b\\line c\\tab d\\\ne\\sect f\\cell g\\row}")
                                << "a\nb\u2028c\td\ne\nf\tg\n"
                                << QStringList {};
        QTest::newRow("raw line ends ignored") << QByteArray("{\\rtf1 a\nb\r\nc}") << "abc" << QStringList {};
        QTest::newRow("astral") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << "😀" << QStringList {};
        QTest::newRow("fallback of two") << QByteArray("{\\rtf1\\uc2 \\u233\\'e9\\'e9x{\\uc0\\u234}\\u235??}") << "éxêë"
                                         << QStringList {};
    }
    void readerReadsOtherWriters()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QFETCH(QStringList, links);
        const std::optional<RichText> read = fromRtf(rtf);
        QVERIFY(read);
        QCOMPARE(read->toPlainText(), text);
        QStringList seen;
        for (const auto& [label, url] : linksOf(*read))
            seen << label + u'=' + url;
        QCOMPARE(seen, links);
    }

    void readerKeepsLookOfOtherWriters()
    {
        const std::optional<RichText> read
            = fromRtf("{\\rtf1{\\fonttbl{\\f0 Sans;}{\\f1{\\*\\panose 0201}Serif{\\*\\falt Times};}}"
                      "{\\colortbl;\\red255\\green0\\blue0;;}a{\\f1\\fs21\\cf1\\ul b}{\\cf2\\fs0 c}\\plain d}");
        QVERIFY(read);
        QCOMPARE(read->runs().size(), 3);
        QCOMPARE(read->runs()[0].text, QStringLiteral("a"));
        QCOMPARE(read->runs()[1],
            (TextRun { QStringLiteral("b"),
                TextAttributes { {}, RgbColor { 255, 0, 0 }, true, FontSpec { QStringLiteral("Serif"), 10.5 } } }));
        QCOMPARE(read->runs()[2].text, QStringLiteral("cd")); // automatic colour, no valid size: plain
    }

    void readerKeepsTextStyles_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("styled"); // the run that carries the styles
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<bool>("strikeThrough");
        QTest::newRow("bold") << QByteArray("{\\rtf1 a {\\b b} c}") << "b" << true << false << false << false;
        QTest::newRow("italic, switched off")
            << QByteArray("{\\rtf1 a \\i b\\i0  c}") << "b" << false << true << false << false;
        QTest::newRow("all four") << QByteArray("{\\rtf1 a {\\b\\i\\ul\\strike b} c}") << "b" << true << true << true
                                  << true;
        QTest::newRow("double strike") << QByteArray("{\\rtf1 a {\\striked1 b} c}") << "b" << false << false << false
                                       << true;
        QTest::newRow("\\plain ends them")
            << QByteArray("{\\rtf1 \\b\\i b\\plain  c}") << "b" << true << true << false << false;
    }
    void readerKeepsTextStyles()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, styled);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(bool, underline);
        QFETCH(bool, strikeThrough);
        const std::optional<RichText> read = fromRtf(rtf);
        QVERIFY(read);
        bool found = false;
        for (const TextRun& run : read->runs()) {
            if (run.text.trimmed() == styled) {
                found = true;
                QCOMPARE(run.attributes.bold, bold);
                QCOMPARE(run.attributes.italic, italic);
                QCOMPARE(run.attributes.underline, underline);
                QCOMPARE(run.attributes.strikeThrough, strikeThrough);
            } else {
                QVERIFY(!run.attributes.bold && !run.attributes.italic && !run.attributes.strikeThrough);
            }
        }
        QVERIFY(found);
    }

    void readerSurvivesDamagedInput_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<bool>("isRtf");
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << QByteArray() << false << "";
        QTest::newRow("plain text") << QByteArray("plain text") << false << "";
        QTest::newRow("HTML") << QByteArray("<b>x</b>") << false << "";
        QTest::newRow("leading blanks") << QByteArray(" \r\n\t{\\rtf1 x}") << true << "x";
        QTest::newRow("header only") << QByteArray("{\\rtf") << true << "";
        QTest::newRow("never closed") << QByteArray("{\\rtf1 abc") << true << "abc";
        QTest::newRow("closed too often") << QByteArray("{\\rtf1 a}}}b") << true << "a";
        QTest::newRow("groups never closed") << QByteArray("{\\rtf1 a{b{c") << true << "abc";
        QTest::newRow("backslash at end") << QByteArray("{\\rtf1 x\\") << true << "x";
        QTest::newRow("hex escape cut") << QByteArray("{\\rtf1 x\\'") << true << "x";
        QTest::newRow("hex escape half") << QByteArray("{\\rtf1 x\\'4") << true << "x4";
        QTest::newRow("hex escape not hex") << QByteArray("{\\rtf1 x\\'zz}") << true << "xzz";
        QTest::newRow("unicode without number") << QByteArray("{\\rtf1 \\u x}") << true << "";
        QTest::newRow("unicode too large") << QByteArray("{\\rtf1 \\u99999999999?x}") << true << "x";
        QTest::newRow("negative fallback count") << QByteArray("{\\rtf1 \\uc-5\\u233?x}") << true << "é?x";
        QTest::newRow("huge fallback count")
            << QByteArray("{\\rtf1 \\uc99999\\u233 abcdefghijklmnopqrstu}") << true << "éqrstu";
        QTest::newRow("binary beyond the end") << QByteArray("{\\rtf1 a\\bin999999999 x}") << true << "a";
        QTest::newRow("negative binary length") << QByteArray("{\\rtf1 \\bin-5 x}") << true << "x";
        QTest::newRow("field without URL")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst{HYPERLINK}}{\\fldrslt x}}}") << true << "x";
        QTest::newRow("field with empty URL")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"\"}}{\\fldrslt x}}}") << true << "x";
        QTest::newRow("result outside field") << QByteArray("{\\rtf1{\\fldrslt x}}") << true << "x";
        QTest::newRow("instruction outside field")
            << QByteArray("{\\rtf1{\\*\\fldinst{HYPERLINK \"u\"}}y}") << true << "y";
        QTest::newRow("colour table never closed") << QByteArray("{\\rtf1{\\colortbl;\\red300 x") << true << "";
        QTest::newRow("colour out of table") << QByteArray("{\\rtf1 \\cf99 x}") << true << "x";
        QTest::newRow("font out of table") << QByteArray("{\\rtf1 \\f99 x}") << true << "x";
        QTest::newRow("negative size") << QByteArray("{\\rtf1 \\fs-4 x}") << true << "x";
        QTest::newRow("long control word") << "{\\rtf1 \\" + QByteArray(10000, 'a') + " x}" << true << "x";
        QTest::newRow("long parameter") << "{\\rtf1 \\fs" + QByteArray(1000, '9') + " x}" << true << "x";
        QTest::newRow("NUL bytes") << QByteArray("{\\rtf1 a\0b\0}", 12) << true << "ab";
        QTest::newRow("lone star") << QByteArray("{\\rtf1 \\*x}") << true << "x";
        QTest::newRow("empty ignorable group") << QByteArray("{\\rtf1 {\\*}y}") << true << "y";
        QTest::newRow("unpaired surrogates") << QByteArray("{\\rtf1 \\u-10179?x\\u-8704?}") << true << "\uFFFDx\uFFFD";
        QTest::newRow("unpaired surrogate in a link")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"http://a/\\u-10179?b\"}}{\\fldrslt x}}}") << true
            << "x";
        QTest::newRow("text after the document") << QByteArray("{\\rtf1 a}{\\rtf1 b}") << true << "a";
    }
    void readerSurvivesDamagedInput()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(bool, isRtf);
        QFETCH(QString, text);
        const std::optional<RichText> read = fromRtf(rtf);
        QCOMPARE(bool(read), isRtf);
        if (read) {
            QCOMPARE(read->toPlainText(), text);
            QVERIFY(isSound(*read));
        }
    }

    void readerSurvivesDeepNesting_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("text");
        QTest::newRow("ordinary depth") << 200 << true << "xy";
        QTest::newRow("100k deep") << 100000 << true << "y"; // the deep content is skipped
        QTest::newRow("100k open groups") << 100000 << false << "";
    }
    void readerSurvivesDeepNesting()
    {
        QFETCH(int, depth);
        QFETCH(bool, closed);
        QFETCH(QString, text);
        QByteArray rtf = "{\\rtf1 " + QByteArray(depth, '{') + "\\ul x";
        if (closed)
            rtf += QByteArray(depth, '}') + "y}";
        const std::optional<RichText> read = fromRtf(rtf);
        QVERIFY(read);
        QCOMPARE(read->toPlainText(), text);
        QVERIFY(isSound(*read));
    }

    void readerSurvivesRandomBytes()
    {
        // Bytes biased towards what RTF is made of, so that the reader's paths are all taken.
        static const QByteArray alphabet = "{}{}\\\\\\\\'*;\" uucbinfldinstrsltHYPERLINK0123456789-?\x80\xe9\xff\n\0";
        QRandomGenerator random(99);
        for (int i = 0; i < 3000; ++i) {
            QByteArray rtf = "{\\rtf1 ";
            const int length = random.bounded(1, 400);
            for (int k = 0; k < length; ++k)
                rtf += random.bounded(4) ? alphabet[random.bounded(int(alphabet.size()))] : char(random.bounded(256));
            const std::optional<RichText> read = fromRtf(rtf);
            QVERIFY(read);
            QVERIFY(isSound(*read));
            // Whatever came out can be written and read again.
            QVERIFY(fromRtf(toRtf(*read)));
            QVERIFY(!toHtml(*read).isEmpty());
        }
    }

    void readerReadsLargeInput()
    {
        QByteArray rtf = "{\\rtf1 ";
        const QByteArray line
            = "{\\field{\\*\\fldinst{HYPERLINK \"tolvo://m/1/\"}}{\\fldrslt {\\cf1\\ul m/1/}}} caf\\'e9\\par\n";
        qsizetype lines = 0;
        for (; rtf.size() < 8 * 1024 * 1024; ++lines)
            rtf += line;
        rtf += '}';
        const std::optional<RichText> read = fromRtf(rtf);
        QVERIFY(read);
        QCOMPARE(read->length(), lines * QStringLiteral("m/1/ café\n").size());
        QCOMPARE(read->runs().size(), lines * 2);
    }
};

QTEST_GUILESS_MAIN(TestRichTextRtf)
#include "test_richtext_rtf.moc"
