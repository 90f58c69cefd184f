// SPDX-License-Identifier: GPL-3.0-or-later
// The row text of the preference tables: copying, parsing pasted text and
// files, the numbering of generated keys, and the routing table's filter pattern.
#include "routing/PrefixTableText.h"

#include <QtTest>

using namespace tolvo;

using Rows = QList<PrefixRow>;
Q_DECLARE_METATYPE(PrefixRow)

namespace QTest {
template <> char* toString(const PrefixRow& row)
{
    return qstrdup(qPrintable(QStringLiteral("{%1 -> %2}").arg(row.key, row.value)));
}
} // namespace QTest

class TestPrefixTableText : public QObject {
    Q_OBJECT

private slots:
    void rowsText_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("text");
        QTest::newRow("one row") << Rows { { "book/", "/home/x/Book.pdf" } } << "[prefix]book/\n/home/x/Book.pdf\n";
        QTest::newRow("two rows, an empty line between")
            << Rows { { "a/", "/x/a.pdf" }, { "b/", "b.pdf" } } << "[prefix]a/\n/x/a.pdf\n\n[prefix]b/\nb.pdf\n";
        QTest::newRow("none") << Rows {} << "";
    }
    void rowsText()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, text);
        QCOMPARE(prefixRowsText(rows), text);
    }

    void entriesFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("existingKeys");
        QTest::addColumn<Rows>("entries");
        QTest::newRow("marker in any case, key made prefix-safe")
            << "[PREFIX] My Book\n/Users/x/Book.pdf" << QStringList() << Rows { { "My.Book/", "/Users/x/Book.pdf" } };
        QTest::newRow("three PDFs without markers")
            << "a.pdf\nb.PDF\nc.pdf\n"
            << QStringList() << Rows { { "aprefix-1", "a.pdf" }, { "aprefix-2", "b.PDF" }, { "aprefix-3", "c.pdf" } };
        QTest::newRow("a pending prefix waits over other lines")
            << "[prefix]notes\nsome text\n\n/x/Notes.pdf\nmore.pdf" << QStringList()
            << Rows { { "notes/", "/x/Notes.pdf" }, { "aprefix-1", "more.pdf" } };
        QTest::newRow("white space runs trimmed, CRLF line ends")
            << "[prefix]a\r\n   /x/My   Book.pdf  \r\n"
            << QStringList() << Rows { { "a/", "/x/My Book.pdf" } };
        QTest::newRow("a marker line ending in .pdf names a key, it is no file")
            << "[prefix] book.pdf\n/x/Book.pdf" << QStringList() << Rows { { "book.pdf/", "/x/Book.pdf" } };
        QTest::newRow("a marker without letters leaves the file a generated key")
            << "[prefix] !!!\n/x/a.pdf" << QStringList() << Rows { { "aprefix-1", "/x/a.pdf" } };
        QTest::newRow("a later marker replaces a pending one")
            << "[prefix]one\n[prefix]two\nx.pdf" << QStringList() << Rows { { "two/", "x.pdf" } };
        QTest::newRow("no PDF lines") << "[prefix]a\nnotes.txt\nhello" << QStringList() << Rows {};
        QTest::newRow("generated keys skip those the table holds, with or without slash")
            << "a.pdf\nb.pdf" << QStringList { "aprefix-1", "aprefix-2/", "aprefix-4" }
            << Rows { { "aprefix-3", "a.pdf" }, { "aprefix-5", "b.pdf" } };
        QTest::newRow("generated keys skip keys the text names further down")
            << "a.pdf\n[prefix]aprefix-1\nb.pdf" << QStringList()
            << Rows { { "aprefix-2", "a.pdf" }, { "aprefix-1/", "b.pdf" } };
        QTest::newRow("routing rows copied: prefixes and paths kept")
            << prefixRowsText({ { "book/", "/home/x/Book.pdf" }, { "a/b/", "/home/x/ab.pdf" } }) << QStringList()
            << Rows { { "book/", "/home/x/Book.pdf" }, { "a/b/", "/home/x/ab.pdf" } };
    }
    void entriesFromText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, existingKeys);
        QFETCH(Rows, entries);
        QVariantMap table;
        for (const QString& key : existingKeys)
            table.insert(key, QStringLiteral("old.pdf"));
        GeneratedKeys keys(table);
        QCOMPARE(tolvo::entriesFromText(text, keys), entries);
    }

    void entriesFromFiles_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("nameOnly");
        QTest::addColumn<Rows>("entries");
        QTest::newRow("name only") << QStringList { "/Users/x/Book.pdf" } << true
                                   << Rows { { "aprefix-1", "Book.pdf" } };
        QTest::newRow("full path") << QStringList { "/Users/x/Book.pdf" } << false
                                   << Rows { { "aprefix-1", "/Users/x/Book.pdf" } };
        QTest::newRow("non-PDFs skipped, counter not advanced") << QStringList { "/x/a.txt", "/x/B.PDF", "/x/pdf",
            "/x/c.pdf" } << true << Rows { { "aprefix-1", "B.PDF" }, { "aprefix-2", "c.pdf" } };
    }
    void entriesFromFiles()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, nameOnly);
        QFETCH(Rows, entries);
        GeneratedKeys keys({});
        QCOMPARE(tolvo::entriesFromFiles(paths, nameOnly, keys), entries);
    }

    void textListsOnlyFiles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("onlyFiles");
        QTest::newRow("the paths") << "/x/a b.pdf\n/x/c.pdf\n" << true;
        QTest::newRow("the encoded URLs") << "file:///x/a%20b.pdf" << true;
        QTest::newRow("row text") << "[prefix]a\n/x/a b.pdf" << false;
        QTest::newRow("empty") << "\n" << false;
    }
    void textListsOnlyFiles()
    {
        QFETCH(QString, text);
        QFETCH(bool, onlyFiles);
        const QStringList files { "/x/a b.pdf", "file:///x/a b.pdf", "/x/c.pdf", "file:///x/c.pdf" };
        QCOMPARE(tolvo::textListsOnlyFiles(text, files), onlyFiles);
    }

    void likePattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star at the end") << "book*"
                                         << "book/" << true;
        QTest::newRow("star spans slashes") << "book*"
                                            << "book/ch/" << true;
        QTest::newRow("whole key: no substring match") << "book"
                                                       << "book/" << false;
        QTest::newRow("case-sensitive") << "book*"
                                        << "Book/" << false;
        QTest::newRow("prefix must start the key") << "book*"
                                                   << "mybook/" << false;
        QTest::newRow("question mark one character") << "?ook/"
                                                     << "look/" << true;
        QTest::newRow("question mark not zero") << "?book/"
                                                << "book/" << false;
        QTest::newRow("question mark over a surrogate pair") << "?/" << QString::fromUtf8("\xF0\x9D\x90\x80/") << true;
        QTest::newRow("dot is literal") << "a.b/"
                                        << "axb/" << false;
        QTest::newRow("brackets are literal") << "[ab]/"
                                              << "a/" << false;
        QTest::newRow("backtracking star") << "*a*b/"
                                           << "xaxxab/" << true;
        QTest::newRow("empty pattern shows all") << ""
                                                 << "anything/" << true;
        QTest::newRow("lone star") << "*"
                                   << "" << true;
    }
    void likePattern()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(matchesLikePattern(text, pattern), matches);
    }
};

QTEST_GUILESS_MAIN(TestPrefixTableText)
#include "test_prefix_table_text.moc"
