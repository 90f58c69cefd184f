// SPDX-License-Identifier: GPL-3.0-or-later
// The text index: what it gives agrees with reading the PDF, matches across line breaks and
// line-end hyphens, an index follows its PDF's text and never trusts a bad file, and all
// indexes together stay within their bound.
#include "MiniPdf.h"
#include "SearchTestSupport.h"

#include "outline/OutlineTree.h"
#include "pdf/DocumentId.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PageLabelIndex.h"
#include "routing/FileIdentity.h"
#include "search/DocumentSearch.h"
#include "search/PageMatch.h"
#include "search/TextFinder.h"
#include "search/TextIndex.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace tolvo;
using tolvo::test::openFixture;
using tolvo::test::writeMiniPdf;

namespace {

IndexKey keyOf(const QString& path)
{
    return { pdf::permanentDocumentId(path), contentFingerprint(path) };
}

// One search of a whole document, through a finder that reads or writes the index of key
// (none: neither), run to its end.
struct Run {
    QStringList rows;
    std::map<int, QVector<QRectF>> matches;
    bool indexed = false;
};

Run runSearch(const pdf::Document& document, const QString& query, const IndexKey& key = {})
{
    const OutlineTree tree = outlineTreeForPdf(document);
    const PageLabelIndex labels(document.pageLabels());
    std::unique_ptr<TextFinder> finder = TextFinder::forDocument(document, 2);
    if (key.isValid())
        finder->useIndex(key, qint64(1) << 40);
    Run run;
    run.indexed = finder->hasIndex();
    TextFinder* raw = finder.get();
    QSignalSpy indexed(raw, &TextFinder::indexProgress);
    DocumentSearch search(
        document, { [&tree] { return &tree; }, [&labels] { return labels.pageLabel2pageIndex(); } }, std::move(finder));
    search.searchTextChanged(query);
    if (search.isFinding())
        (void)QTest::qWaitFor([&search] { return !search.isFinding(); }, 120000);
    // Without an index, the find also wrote one: wait until it is in place.
    if (key.isValid() && !run.indexed)
        (void)QTest::qWaitFor([&] { return !indexed.isEmpty() && indexed.last().first().toInt() == 100; }, 30000);
    for (const MySearchResult& r : search.model()->searchResultsArray()) {
        QString row = r.resultType + u'|' + r.resultDescription + u'|' + QString::number(r.resultCountOnPage);
        if (const pdf::TextSelection* s = r.selection())
            for (const pdf::SelectionLine& line : s->lines)
                row += QStringLiteral("|%1,%2,%3,%4")
                           .arg(line.bounds.x(), 0, 'f', 2)
                           .arg(line.bounds.y(), 0, 'f', 2)
                           .arg(line.bounds.width(), 0, 'f', 2)
                           .arg(line.bounds.height(), 0, 'f', 2);
        run.rows << row;
    }
    run.matches = search.pageMatches();
    return run;
}

bool near(const QRectF& a, const QRectF& b, double tolerance)
{
    return std::abs(a.left() - b.left()) <= tolerance && std::abs(a.right() - b.right()) <= tolerance
        && std::abs(a.top() - b.top()) <= tolerance && std::abs(a.bottom() - b.bottom()) <= tolerance;
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

} // namespace

class TestTextIndex : public QObject {
    Q_OBJECT

    QTemporaryDir m_cache;
    QTemporaryDir m_files;

    QString pdfPath(const QString& name) const { return m_files.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_cache.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
        QCOMPARE(indexDirectory(), m_cache.path() + QStringLiteral("/Tolvo/index"));
    }

    void init() { QDir(indexDirectory()).removeRecursively(); }

    // The find's own matching against Poppler's find, page by page, on text without line-break matches.
    void matchesAgreeWithPopplerFind_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("query");
        QTest::newRow("three on a page") << "search.pdf"
                                         << "needle";
        QTest::newRow("two words") << "search.pdf"
                                   << "blue whale";
        QTest::newRow("part of a word, other case") << "search.pdf"
                                                    << "HAL";
        QTest::newRow("digits") << "search.pdf"
                                << "page 10";
        QTest::newRow("one letter") << "search.pdf"
                                    << "e";
        QTest::newRow("nowhere") << "search.pdf"
                                 << "narwhal";
        QTest::newRow("shared labels") << "dup-labels.pdf"
                                       << "sheet";
        QTest::newRow("turned and cropped pages") << "geometry.pdf"
                                                  << "e";
    }
    void matchesAgreeWithPopplerFind()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, query);
        const auto document = openFixture(fixture);
        if (!document)
            QSKIP("fixture missing");
        for (int page = 0; page < document->pageCount(); ++page) {
            const QVector<QRectF> poppler = document->search(page, query);
            const std::optional<pdf::FindText> text = document->findText(page);
            QVERIFY(text);
            const std::vector<PageMatch> ours = findMatches(*text, query);
            QCOMPARE(int(ours.size()), int(poppler.size()));
            for (int i = 0; i < int(ours.size()); ++i) {
                QCOMPARE(ours[size_t(i)].pieces.size(), 1);
                QVERIFY2(near(ours[size_t(i)].pieces.first(), poppler[i], 0.5),
                    qPrintable(QStringLiteral("page %1 match %2").arg(page).arg(i)));
            }
        }
    }

    // Rows, their order, texts and selections, and every match rectangle: the same from the
    // index as from the pages.
    void indexAgreesWithPlainSearch_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("query");
        QTest::newRow("TOC, notes and text") << "search.pdf"
                                             << "Needle";
        QTest::newRow("phrase") << "search.pdf"
                                << "blue whale";
        QTest::newRow("short query, every page") << "search.pdf"
                                                 << "e";
        QTest::newRow("nothing") << "search.pdf"
                                 << "narwhal";
        QTest::newRow("shared labels") << "dup-labels.pdf"
                                       << "needle";
        QTest::newRow("many pages") << "big-search.pdf"
                                    << "omega";
        QTest::newRow("hyphen in the query") << "big-search.pdf"
                                             << "sign-off";
    }
    void indexAgreesWithPlainSearch()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, query);
        const auto document = openFixture(fixture);
        if (!document)
            QSKIP("fixture missing");
        const IndexKey key = keyOf(document->filePath());
        const Run plain = runSearch(*document, query);
        const Run writing = runSearch(*document, query, key);
        QVERIFY(!writing.indexed);
        const Run reading = runSearch(*document, query, key);
        QVERIFY(reading.indexed);
        // Read, not found damaged and replaced by a read of the PDF.
        QVERIFY(TextIndex::open(key, document->pageCount()));
        QCOMPARE(writing.rows, plain.rows);
        QCOMPARE(reading.rows, plain.rows);
        QCOMPARE(reading.matches, plain.matches);
    }

    void lineBreaksAndHyphens_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pieces"); ///< of the first match
        QTest::addColumn<QString>("said");
        QTest::newRow("hyphenated at a line end") << "interpolation" << 2 << 2 << "interpolation";
        QTest::newRow("phrase over a line break") << "linear interpolation" << 1 << 2 << "linear interpolation";
        QTest::newRow("words over a line break") << "blue whale" << 1 << 2 << "blue whale";
        QTest::newRow("within one line") << "spline" << 1 << 1 << "spline";
        QTest::newRow("a hyphen inside a line stays") << "well-known" << 1 << 1 << "well-known";
        QTest::newRow("the hyphen typed at the break") << "interpo-lation" << 2 << 2 << "interpolation";
        QTest::newRow("a line break is a blank, not nothing") << "bluewhale" << 0 << 0 << "";
    }
    void lineBreaksAndHyphens()
    {
        QFETCH(QString, query);
        QFETCH(int, count);
        QFETCH(int, pieces);
        QFETCH(QString, said);
        const QString path = pdfPath(QStringLiteral("hyphens.pdf"));
        QVERIFY(writeMiniPdf(path,
            { { "We use linear interpo-", "lation here, and interpo-", "lation there.", "A blue",
                "whale with a well-known spline." } }));
        const auto document = pdf::openDocument(path).document;
        QVERIFY(document);
        const std::optional<pdf::FindText> text = document->findText(0);
        QVERIFY(text);
        const std::vector<PageMatch> found = findMatches(*text, query);
        QCOMPARE(int(found.size()), count);
        if (count == 0)
            return;
        const PageMatch& first = found.front();
        QCOMPARE(first.pieces.size(), pieces);
        QCOMPARE(first.text, said);
        // The pieces lie one under the other, in reading order: the selection covers both halves.
        for (int i = 1; i < first.pieces.size(); ++i)
            QVERIFY(first.pieces[i].top() < first.pieces[i - 1].top());
    }

    // A PDF saved again keeps its permanent identifier; with other text its index is written anew,
    // while the same file moved elsewhere keeps it.
    void savedAgainWithOtherText()
    {
        const QString path = pdfPath(QStringLiteral("saved.pdf"));
        QVERIFY(writeMiniPdf(path, { { "first words" }, { "alpha here" } }, "feedface"));
        auto document = pdf::openDocument(path).document;
        QCOMPARE(runSearch(*document, QStringLiteral("alpha"), keyOf(path)).rows.size(), 1);
        QVERIFY(TextIndex::open(keyOf(path), 2));

        const QString moved = pdfPath(QStringLiteral("moved.pdf"));
        QVERIFY(QFile::copy(path, moved));
        QVERIFY(TextIndex::open(keyOf(moved), 2));

        QVERIFY(writeMiniPdf(path, { { "first words" }, { "omega now" } }, "feedface"));
        QCOMPARE(keyOf(path).permanentId, QByteArray("feedface"));
        QVERIFY(!TextIndex::open(keyOf(path), 2));
        document = pdf::openDocument(path).document;
        const Run again = runSearch(*document, QStringLiteral("omega"), keyOf(path));
        QVERIFY(!again.indexed);
        QCOMPARE(again.rows.size(), 1);
        QVERIFY(runSearch(*document, QStringLiteral("omega"), keyOf(path)).indexed);
        QVERIFY(runSearch(*document, QStringLiteral("alpha"), keyOf(path)).rows.isEmpty());
    }

    void badFileIsRebuilt_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not SQLite") << "garbage";
        QTest::newRow("empty") << "empty";
        QTest::newRow("cut short") << "truncated";
        QTest::newRow("another program's database") << "foreign";
        QTest::newRow("another layout") << "schema";
        // Written by an earlier version, whose pages were laid out otherwise: never read, rebuilt.
        QTest::newRow("the format before") << "old format";
        QTest::newRow("another PDF's index under this name") << "identity";
        QTest::newRow("a page that does not decode") << "page";
        // Found while the pages before it were delivered from the index: none of them twice.
        QTest::newRow("a later page that does not decode") << "later page";
    }
    void badFileIsRebuilt()
    {
        QFETCH(QString, damage);
        const QString path = pdfPath(QStringLiteral("damaged.pdf"));
        QVERIFY(writeMiniPdf(path, { { "needle one" }, { "hay" }, { "needle two" } }, "d00dfeed"));
        const auto document = pdf::openDocument(path).document;
        const IndexKey key = keyOf(path);
        const Run plain = runSearch(*document, QStringLiteral("needle"));
        runSearch(*document, QStringLiteral("needle"), key);
        const QString file = indexDirectory() + u'/' + key.fileName();
        QVERIFY(QFileInfo::exists(file));

        const auto sql = [&file](const char* statement) {
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(file).constData(), &db);
            const int rc = sqlite3_exec(db, statement, nullptr, nullptr, nullptr);
            sqlite3_close(db);
            return rc == SQLITE_OK;
        };
        if (damage == QLatin1String("garbage"))
            writeFile(file, QByteArray(5000, 'x'));
        else if (damage == QLatin1String("empty"))
            writeFile(file, QByteArray());
        else if (damage == QLatin1String("truncated")) {
            QFile f(file);
            QVERIFY(f.resize(1000));
        } else if (damage == QLatin1String("foreign")) {
            QFile::remove(file);
            QVERIFY(sql("CREATE TABLE meta(key, value); INSERT INTO meta VALUES ('schema', '1');"));
        } else if (damage == QLatin1String("schema"))
            QVERIFY(sql("UPDATE meta SET value = '999' WHERE key = 'schema'"));
        else if (damage == QLatin1String("old format"))
            QVERIFY(sql("UPDATE meta SET value = '2' WHERE key = 'schema'"));
        else if (damage == QLatin1String("identity"))
            QVERIFY(sql("UPDATE meta SET value = 'ffff' WHERE key = 'fingerprint'"));
        else if (damage == QLatin1String("page"))
            QVERIFY(sql("UPDATE pages SET words = x'00112233'"));
        else if (damage == QLatin1String("later page"))
            QVERIFY(sql("UPDATE pages SET words = x'00112233' WHERE page = 2"));

        if (!damage.endsWith(QLatin1String("page"))) {
            QVERIFY(!TextIndex::open(key, 3));
            QVERIFY(!QFileInfo::exists(file));
        }
        // Whatever was wrong, the search gives the rows of the PDF itself and a good index again.
        const Run after = runSearch(*document, QStringLiteral("needle"), key);
        QCOMPARE(after.rows, plain.rows);
        const Run indexed = runSearch(*document, QStringLiteral("needle"), key);
        QVERIFY(indexed.indexed);
        QCOMPARE(indexed.rows, plain.rows);
    }

    // A page as stored reads back as the same page, in every variant the encoding has a case for.
    void pageEncodingRoundTrips_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QList<float>>("edges"); ///< from 100; empty: text.size() + 1 edges 5 apart
        QTest::addColumn<int>("turns");
        QTest::newRow("plain words") << "Matrix" << QList<float>() << 0;
        QTest::newRow("Latin-1 beyond ASCII") << QStringLiteral("caf\u00e9") << QList<float>() << 0;
        QTest::newRow("beyond Latin-1") << QStringLiteral("\u03b1\u03b2 \U0001D400") << QList<float>() << 0;
        QTest::newRow("a word wider than 512 points") << "ab" << QList<float> { 100, 400, 900 } << 0;
        QTest::newRow("edges running backwards") << "ab" << QList<float> { 100, 90.5f, 80.25f } << 2;
        QTest::newRow("no edges") << "abc" << QList<float> {} << 1;
        QTest::newRow("more edges than units") << "a" << QList<float> { 100, 101, 102, 103 } << 3;
        QTest::newRow("an empty word") << "" << QList<float> { 100 } << 0;
    }
    void pageEncodingRoundTrips()
    {
        QFETCH(QString, units);
        QFETCH(QList<float>, edges);
        QFETCH(int, turns);
        const bool noEdges = QByteArray(QTest::currentDataTag()) == "no edges";
        if (edges.isEmpty() && !noEdges)
            for (qsizetype i = 0; i <= units.size(); ++i)
                edges << 100.0f + 5.0f * float(i);
        pdf::FindText page;
        page.cropBox = QRectF(0, 0, 612, 792);
        page.rotation = 90;
        pdf::FindWord word;
        word.box = QRectF(100.1, 200.2, 50.3, 10.4);
        word.turns = turns;
        word.spaceAfter = true;
        const std::vector<float> wordEdges(edges.begin(), edges.end());
        page.append(word, QStringLiteral("Before"), std::vector<float>(7, 1.0f).data(), 7);
        page.append(word, units, wordEdges.data(), int(wordEdges.size()));
        word.spaceAfter = false;
        word.lineEndsAfter = true;
        page.append(word, QStringLiteral("after"), std::vector<float>(6, 2.0f).data(), 6);
        roundAsStored(page);

        const std::optional<pdf::FindText> back = decodeFindText(encodeFindText(page));
        QVERIFY(back);
        QCOMPARE(back->cropBox, page.cropBox);
        QCOMPARE(back->rotation, page.rotation);
        QCOMPARE(back->text, page.text);
        QCOMPARE(back->edges, page.edges);
        QCOMPARE(back->words.size(), page.words.size());
        for (size_t w = 0; w < page.words.size(); ++w) {
            const pdf::FindWord& a = back->words[w];
            const pdf::FindWord& b = page.words[w];
            QCOMPARE(a.box, b.box);
            QCOMPARE(back->textOf(a), page.textOf(b));
            QCOMPARE(a.edgeCount, b.edgeCount);
            QCOMPARE(a.turns, b.turns);
            QCOMPARE(a.spaceAfter, b.spaceAfter);
            QCOMPARE(a.lineEndsAfter, b.lineEndsAfter);
        }
        // Cut anywhere, it is no page.
        const QByteArray bytes = encodeFindText(page);
        for (qsizetype cut = 0; cut < bytes.size(); cut += 7)
            QVERIFY(!decodeFindText(bytes.left(cut)));
    }

    void sizeBoundDropsLeastRecentlyUsed_data()
    {
        QTest::addColumn<int>("keepFiles"); ///< how many of the three fit the limit
        QTest::newRow("all fit") << 3;
        QTest::newRow("two fit") << 2;
        QTest::newRow("one fits") << 1;
        QTest::newRow("none fits: the newest stays") << 0;
    }
    void sizeBoundDropsLeastRecentlyUsed()
    {
        QFETCH(int, keepFiles);
        QStringList files; // oldest use first
        qint64 size = 0;
        for (int i = 0; i < 3; ++i) {
            const QString path = pdfPath(QStringLiteral("bound%1.pdf").arg(i));
            QVERIFY(writeMiniPdf(
                path, { { QStringLiteral("text of file %1").arg(i) } }, QByteArray::number(0xabc0 + i, 16)));
            const auto document = pdf::openDocument(path).document;
            runSearch(*document, QStringLiteral("text"), keyOf(path));
            const QString file = indexDirectory() + u'/' + keyOf(path).fileName();
            QVERIFY(QFileInfo::exists(file));
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600 + i * 60), QFileDevice::FileModificationTime);
            size = std::max(size, f.size());
            files << file;
        }
        limitIndexSize(keepFiles * size, files.last());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(QFileInfo::exists(files[i]), i >= 3 - std::max(keepFiles, 1));
    }
};

QTEST_GUILESS_MAIN(TestTextIndex)
#include "test_text_index.moc"
