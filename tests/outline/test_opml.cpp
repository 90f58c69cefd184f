// SPDX-License-Identifier: GPL-3.0-or-later
// OPML export: the layout of each style, the clean titles, and files that an
// XML parser reads back to the same text whatever the titles and names hold.
#include "OutlineGenerators.h"
#include "outline/Opml.h"
#include "outline/OutlineTree.h"

#include <QXmlStreamReader>
#include <QtTest>

#include <random>

using namespace tolvo;
using tolvo::testing::outlineFromText;

namespace {

const char* const kLayoutOutline = "Intro | i/@loc/0x/700y/\n"
                                   "Part 1 | 1/@loc/0x/700y/\n"
                                   "  Section | 2/@loc/72x/600y/\n";

QString head(const char* declaration, const char* root, const QString& titleLines)
{
    return QLatin1String(declaration) + QLatin1Char('\n') + QLatin1String(root) + QStringLiteral("\n<head>\n")
        + titleLines + QStringLiteral("\n</head>\n<body>\n");
}

// What a parser must read back: characters XML cannot hold become U+FFFD.
QString xmlSafe(const QString& text)
{
    QString out;
    const QList<uint> points = text.toUcs4();
    for (uint c : points) {
        const bool ok = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
            || (c >= 0x10000 && c <= 0x10FFFF);
        const char32_t keep = ok ? char32_t(c) : U'\uFFFD';
        out += QString::fromUcs4(&keep, 1);
    }
    return out;
}

QString cleaned(const QString& title)
{
    QString out;
    for (QChar c : title) {
        if (QStringLiteral("\n\r\x0B\x0C\u0085\u2028\u2029'\"<>").contains(c))
            out += QLatin1Char(' ');
        else if (c == QLatin1Char('&'))
            out += QStringLiteral("and");
        else
            out += c;
    }
    return out;
}

QString randomText(std::mt19937& random, int maxLength)
{
    static const QList<char16_t> pool
        = { u'a', u'Z', u'5', u' ', u'&', u'<', u'>', u'"', u'\'', u';', u'#', u'%', u'\n', u'\r', u'\t', 0x0B, 0x01,
              0x1F, 0x7F, 0x85, 0xE9, 0x4E2D, 0x2028, 0xD83D, 0xDE00, 0xDC00, 0xFFFE, 0xFFFF, 0xFFFD, 0x00A0 };
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<int> which(0, int(pool.size()) - 1);
    QString text;
    for (int i = length(random); i > 0; --i) {
        const char16_t c = pool[which(random)];
        text += QChar(c);
        if (c == 0xD83D && which(random) % 2 == 0)
            text += QChar(char16_t(0xDE00)); // usually a whole pair, sometimes a lone half
    }
    return text;
}

} // namespace

class TestOpml : public QObject {
    Q_OBJECT

private slots:
    void fileLayout_data()
    {
        QTest::addColumn<quint64>("style");
        QTest::addColumn<QString>("expected");
        const QString body0 = QStringLiteral(
            "\t<outline text=\"Intro\" type=\"link\" url=\"tolvo://doc/i/@loc/0x/700y/\"></outline>\n"
            "\n"
            "\t<outline text=\"Part 1\" type=\"link\" url=\"tolvo://doc/1/@loc/0x/700y/\">\n"
            "\t\t<outline text=\"Section\" type=\"link\" url=\"tolvo://doc/2/@loc/72x/600y/\"></outline>\n"
            "\t</outline>\n");
        const QString tail = QStringLiteral("\n</body>\n</opml>\n");
        const QString title = QStringLiteral("\t<title>\"book.pdf\"</title>");
        const QString file0
            = head("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<opml version=\"2.0\">", title) + body0 + tail;
        QTest::newRow("style 0") << quint64(0) << file0;
        QTest::newRow("style 1") << quint64(1)
                                 << head("<?xml version=\"1.0\" encoding=\"utf-8\"?>", "<opml version=\"1.0\">",
                                        title + QStringLiteral("\n\t<expansionState></expansionState>"))
                + QStringLiteral("\t<outline text=\"Intro\" tolvo=\"tolvo://doc/i/@loc/0x/700y/ "
                                 "&lt;tolvo://doc/i/@loc/0x/700y/&gt; \"></outline>\n"
                                 "\n"
                                 "\t<outline text=\"Part 1\" tolvo=\"tolvo://doc/1/@loc/0x/700y/ "
                                 "&lt;tolvo://doc/1/@loc/0x/700y/&gt; \">\n"
                                 "\t\t<outline text=\"Section\" tolvo=\"tolvo://doc/2/@loc/72x/600y/ "
                                 "&lt;tolvo://doc/2/@loc/72x/600y/&gt; \"></outline>\n"
                                 "\t</outline>\n")
                + tail;
        QTest::newRow("style 2") << quint64(2)
                                 << head("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<opml version=\"2.0\">",
                                        title)
                + QStringLiteral("\t<outline text=\"Intro tolvo://doc/i/@loc/0x/700y/\"></outline>\n"
                                 "\n"
                                 "\t<outline text=\"Part 1 tolvo://doc/1/@loc/0x/700y/\">\n"
                                 "\t\t<outline text=\"Section tolvo://doc/2/@loc/72x/600y/\"></outline>\n"
                                 "\t</outline>\n")
                + tail;
        QTest::newRow("style 3 writes style 0") << quint64(3) << file0;
        QTest::newRow("huge style writes style 0") << (quint64(1) << 63) << file0;
    }
    void fileLayout()
    {
        QFETCH(quint64, style);
        const OutlineTree tree = outlineFromText(QLatin1String(kLayoutOutline));
        QFETCH(QString, expected);
        QCOMPARE(OPMLFileText(tree, QStringLiteral("book.pdf"), QStringLiteral("doc/"), style), expected);
    }

    void emptyOutline()
    {
        QCOMPARE(OPMLFileText(OutlineTree(), QStringLiteral("x.pdf"), QStringLiteral("doc/"), 0),
            QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<opml version=\"2.0\">\n<head>\n"
                           "\t<title>\"x.pdf\"</title>\n</head>\n<body>\n\n</body>\n</opml>\n"));
    }

    void elementOfOneItem_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<quint64>("level");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ampersand and angle brackets")
            << "A & B <x>" << quint64(1)
            << "\t<outline text=\"A and B  x \" type=\"link\" url=\"tolvo://p/3/@loc/1x/2y/\"></outline>\n";
        QTest::newRow("line break")
            << "two\nlines" << quint64(0)
            << "<outline text=\"two lines\" type=\"link\" url=\"tolvo://p/3/@loc/1x/2y/\"></outline>\n";
        QTest::newRow("quotes")
            << "it's \"so\"" << quint64(2)
            << "\t\t<outline text=\"it s  so \" type=\"link\" url=\"tolvo://p/3/@loc/1x/2y/\"></outline>\n";
        QTest::newRow("non-ASCII as references") << "Résumé \U0001F600" << quint64(1)
                                                 << "\t<outline text=\"R&#233;sum&#233; &#128512;\" type=\"link\" "
                                                    "url=\"tolvo://p/3/@loc/1x/2y/\"></outline>\n";
    }
    void elementOfOneItem()
    {
        QFETCH(QString, title);
        const MyOutlineItem item(title, QStringLiteral("3/@loc/1x/2y/"));
        QFETCH(quint64, level);
        QFETCH(QString, expected);
        QCOMPARE(item.OPMLreadyWithPrefix(QStringLiteral("p/"), level, 0), expected);
    }

    void fileNameAndLinksEscaped()
    {
        const OutlineTree tree = outlineFromText(QStringLiteral("Intro | a&b<1>/@loc/0x/0y/"));
        const QString text = OPMLFileText(tree, QStringLiteral("R&D <draft> \"v2\".pdf"), QStringLiteral("q&a/"), 0);
        QVERIFY(text.contains(QStringLiteral("\t<title>\"R&amp;D &lt;draft&gt; &quot;v2&quot;.pdf\"</title>")));
        QVERIFY(text.contains(QStringLiteral("url=\"tolvo://q&amp;a/a&amp;b&lt;1&gt;/@loc/0x/0y/\"")));
    }

    void deepOutline()
    {
        std::vector<std::unique_ptr<MyOutlineItem>> top;
        top.push_back(std::make_unique<MyOutlineItem>());
        MyOutlineItem* at = top.back().get();
        for (int i = 1; i < 1000; ++i)
            at = at->appendChild(std::make_unique<MyOutlineItem>());
        const OutlineTree tree(std::move(top));
        const QString text = OPMLFileText(tree, QStringLiteral("deep.pdf"), QStringLiteral("d/"), 0);
        QCOMPARE(text.count(QStringLiteral("</outline>")), 1000);
        QVERIFY(text.contains(QString(1000, QLatin1Char('\t')) + QStringLiteral("<outline text=\"Untitled\"")));
    }

    // Any title, page label, prefix and file name give ASCII bytes that an XML
    // parser accepts and reads back as the texts that were meant.
    void readsBackThroughAParser_data()
    {
        QTest::addColumn<quint64>("style");
        QTest::newRow("style 0") << quint64(0);
        QTest::newRow("style 1") << quint64(1);
        QTest::newRow("style 2") << quint64(2);
    }
    void readsBackThroughAParser()
    {
        QFETCH(quint64, style);
        std::mt19937 random(unsigned(7 + style));
        for (int round = 0; round < 300; ++round) {
            std::vector<std::unique_ptr<MyOutlineItem>> top;
            std::vector<MyOutlineItem*> all;
            for (int i = 0; i < 6; ++i) {
                auto item = std::make_unique<MyOutlineItem>(
                    randomText(random, 12), randomText(random, 5) + QStringLiteral("/"));
                if (all.empty() || random() % 3 == 0) {
                    top.push_back(std::move(item));
                    all.push_back(top.back().get());
                } else {
                    all.push_back(all[random() % all.size()]->appendChild(std::move(item)));
                }
            }
            const OutlineTree tree(std::move(top));
            const QString fileName = randomText(random, 10);
            const QString prefix = randomText(random, 4) + QStringLiteral("/");
            const QString text = OPMLFileText(tree, fileName, prefix, style);
            const QByteArray bytes = text.toUtf8();
            QVERIFY(std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }));

            QXmlStreamReader reader(bytes);
            std::size_t next = 0;
            QString title;
            while (!reader.atEnd()) {
                reader.readNext();
                if (reader.isStartElement() && reader.name() == QLatin1String("title"))
                    title = reader.readElementText();
                if (!reader.isStartElement() || reader.name() != QLatin1String("outline"))
                    continue;
                QVERIFY(next < tree.items().size());
                const MyOutlineItem* item = tree.items()[next++];
                const QString link = QStringLiteral("tolvo://") + prefix + item->pageLabel();
                const QXmlStreamAttributes attributes = reader.attributes();
                if (style == 2) {
                    QCOMPARE(attributes.value(QLatin1String("text")).toString(),
                        xmlSafe(cleaned(item->pageTitle()) + QLatin1Char(' ') + link));
                    QCOMPARE(attributes.size(), 1);
                } else {
                    QCOMPARE(attributes.value(QLatin1String("text")).toString(), xmlSafe(cleaned(item->pageTitle())));
                }
                if (style == 0)
                    QCOMPARE(attributes.value(QLatin1String("url")).toString(), xmlSafe(link));
                if (style == 1)
                    QCOMPARE(attributes.value(QLatin1String("tolvo")).toString(),
                        xmlSafe(link) + QStringLiteral(" <") + xmlSafe(link) + QStringLiteral("> "));
            }
            QVERIFY2(!reader.hasError(), qPrintable(reader.errorString() + QLatin1Char('\n') + text));
            QCOMPARE(next, tree.items().size());
            QCOMPARE(title, QLatin1Char('"') + xmlSafe(fileName) + QLatin1Char('"'));
        }
    }
};

QTEST_GUILESS_MAIN(TestOpml)
#include "test_opml.moc"
