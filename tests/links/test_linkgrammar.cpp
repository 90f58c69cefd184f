// SPDX-License-Identifier: GPL-3.0-or-later
// The tolvo:// grammar: link texts, coordinates, cutting URLs, reading targets.
#include "links/LinkGrammar.h"

#include <QtTest>

#include <cfloat>
#include <cmath>
#include <limits>

using namespace tolvo;
using Kind = TargetReading::Kind;

Q_DECLARE_METATYPE(TargetReading::Kind)

namespace {

// Text with units a narrow literal cannot hold, such as lone surrogates.
QString units(QStringView text)
{
    return text.toString();
}

// A small document: page labels by index, and the title paths its outline matches.
const QStringList kPageLabels = { "i", "ii", "iii", "iv", "1", "2", "12", "iii", "a b", "12/", "@loc" };

int pageOf(const QString& label)
{
    return int(kPageLabels.indexOf(label));
}

std::optional<int> lookUpPage(const QString& label)
{
    const qsizetype index = kPageLabels.indexOf(label);
    return index < 0 ? std::nullopt : std::optional<int>(int(index));
}

// Keyed by the components joined with "|", so the test also sees how the
// target was cut.
std::optional<int> matchOutline(const QStringList& components)
{
    static const QHash<QString, int> matches = {
        { "chapter.1|introduction", 101 }, { "results", 102 }, { "2", 103 }, // a TOC entry "Chapter 2"
    };
    const auto found = matches.constFind(components.join(u'|'));
    return found == matches.cend() ? std::nullopt : std::optional<int>(*found);
}

} // namespace

class TestLinkGrammar : public QObject {
    Q_OBJECT

private slots:
    void coordinate_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half down to even") << 72.5 << "72";
        QTest::newRow("half up to even") << 73.5 << "74";
        QTest::newRow("700.5") << 700.5 << "700";
        QTest::newRow("below half") << 72.4 << "72";
        QTest::newRow("above half") << 540.6 << "541";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("half to zero") << 0.5 << "0";
        QTest::newRow("1.5") << 1.5 << "2";
        QTest::newRow("2.5") << 2.5 << "2";
        QTest::newRow("small negative keeps its sign") << -0.4 << "-0";
        QTest::newRow("negative zero") << -0.0 << "-0";
        QTest::newRow("negative half") << -0.5 << "-0";
        QTest::newRow("negative half to even") << -72.5 << "-72";
        QTest::newRow("negative") << -1.5 << "-2";
        QTest::newRow("just below a half") << 0.49999999999999994 << "0";
        QTest::newRow("1e20") << 1e20 << "100000000000000000000";
        QTest::newRow("beyond 2^53") << 9007199254740993.0 << "9007199254740992";
        QTest::newRow("float-sized") << double(FLT_MAX) << "340282346638528859811704183484516925440";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "0";
        QTest::newRow("negative infinity") << -std::numeric_limits<double>::infinity() << "0";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "0";
    }
    void coordinate()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatCoordinate(value), text);
    }

    void hugeCoordinate()
    {
        const QString text = formatCoordinate(DBL_MAX);
        QCOMPARE(text.size(), 309);
        QVERIFY(text.startsWith(QLatin1String("17976931348623157")));
        QCOMPARE(formatCoordinate(-DBL_MAX).size(), 310);
    }

    void linkForms_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("expected");
        const QString book = QStringLiteral("book/");
        QTest::newRow("page") << pageLink(book, "12") << "tolvo://book/12/";
        QTest::newRow("page label verbatim") << pageLink(book, "%1 ä/x") << "tolvo://book/%1 ä/x/";
        QTest::newRow("toc") << tocLink(book, "chapt.1/introd") << "tolvo://book/chapt.1/introd/";
        QTest::newRow("toc by extended page label")
            << tocLink(book, extendedPageLabel("iv", { 72.4, 540.6 })) << "tolvo://book/iv/@loc/72x/541y//";
        QTest::newRow("location") << locationLink(book, "iv", { 72.4, 540.6 }) << "tolvo://book/iv/@loc/72x/541y/";
        QTest::newRow("location, negative")
            << locationLink(book, "1", { -3.6, -0.2 }) << "tolvo://book/1/@loc/-4x/-0y/";
        QTest::newRow("whole pdf") << wholePdfLink(book) << "tolvo://book/";
        QTest::newRow("opml item") << opmlItemLink(book, "iv/@loc/72x/541y/") << "tolvo://book/iv/@loc/72x/541y/";
        QTest::newRow("prefix with slashes") << pageLink("a/b/", "3") << "tolvo://a/b/3/";
        QTest::newRow("extended page label") << extendedPageLabel("iv", { 72.4, 540.6 }) << "iv/@loc/72x/541y/";
        QTest::newRow("location target") << locationTarget("iv", { 72.5, 73.5 }) << "iv/@loc/72x/74y";
        QTest::newRow("help") << QString(kAppHelpLink) << "tolvo://apphelp/";
        QTest::newRow("help prefix") << QString(kAppHelpPrefixLink) << "tolvo://apphelp/preferences/prefix";
        QTest::newRow("help automatch") << QString(kAppHelpAutomatchLink) << "tolvo://apphelp/preferences/automatch";
        QTest::newRow("help from its prefix") << wholePdfLink(kAppHelpPrefix) << "tolvo://apphelp/";
    }
    void linkForms()
    {
        QFETCH(QString, link);
        QFETCH(QString, expected);
        QCOMPARE(link, expected);
    }

    void cleanLabel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::newRow("extended") << "iv/@loc/72x/541y/"
                                  << "iv";
        QTest::newRow("plain") << "iv"
                               << "iv";
        QTest::newRow("plain with slash unchanged") << "12/"
                                                    << "12/";
        QTest::newRow("empty pieces dropped") << "//iv//@loc/1x/2y"
                                              << "iv";
        QTest::newRow("marker inside a piece") << "a@loc"
                                               << "a@loc";
        QTest::newRow("only the marker") << "@loc"
                                         << "@loc";
        QTest::newRow("empty") << ""
                               << "";
    }
    void cleanLabel()
    {
        QFETCH(QString, text);
        QFETCH(QString, label);
        QCOMPARE(cleanPageLabel(text), label);
        QCOMPARE(PageLabelFromExtendedPageLabel(text), std::optional<QString>(label));
    }

    void transformerPassesNothing() { QCOMPARE(PageLabelFromExtendedPageLabel(std::nullopt), std::nullopt); }

    void split_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("candidates");
        QTest::addColumn<QString>("prefix"); // empty: no candidate fits
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("index");
        const QStringList book = { "book/" };
        QTest::newRow("page") << "tolvo://book/12/" << book << "book/"
                              << "12/" << 0;
        QTest::newRow("whole pdf") << "tolvo://book/" << book << "book/"
                                   << "" << 0;
        QTest::newRow("longer wins over first fit")
            << "tolvo://book/extra/3/" << QStringList { "book/", "book/extra/" } << "book/extra/"
            << "3/" << 1;
        QTest::newRow("longest of three") << "tolvo://a/b/c/1" << QStringList { "a/", "a/b/c/", "a/b/" } << "a/b/c/"
                                          << "1" << 1;
        QTest::newRow("longer that does not fit")
            << "tolvo://book/ex/3/" << QStringList { "book/", "book/extra/" } << "book/"
            << "ex/3/" << 0;
        QTest::newRow("first among equals") << "tolvo://book/3/" << QStringList { "book/", "book/" } << "book/"
                                            << "3/" << 0;
        QTest::newRow("longer first") << "tolvo://book/extra/3/" << QStringList { "book/extra/", "book/" }
                                      << "book/extra/"
                                      << "3/" << 0;
        QTest::newRow("later candidate") << "tolvo://prefix-12/3" << QStringList { "prefix-1/", "prefix-12/" }
                                         << "prefix-12/"
                                         << "3" << 1;
        QTest::newRow("scheme case") << "TOLVO://book/3/" << book << ""
                                     << "" << -1;
        QTest::newRow("prefix case") << "tolvo://Book/3/" << book << ""
                                     << "" << -1;
        QTest::newRow("percent escapes kept") << "tolvo://book/a%20b/" << book << "book/"
                                              << "a%20b/" << 0;
        QTest::newRow("blanks kept") << "tolvo://book/ 12 " << book << "book/"
                                     << " 12 " << 0;
        QTest::newRow("prefix without its slash") << "tolvo://book" << book << ""
                                                  << "" << -1;
        QTest::newRow("leading blank") << " tolvo://book/1" << book << ""
                                       << "" << -1;
        QTest::newRow("other scheme") << "xtolvo://book/1" << book << ""
                                      << "" << -1;
        QTest::newRow("empty url") << "" << book << ""
                                   << "" << -1;
        QTest::newRow("no candidates") << "tolvo://book/1" << QStringList {} << ""
                                       << "" << -1;
        QTest::newRow("empty candidate skipped") << "tolvo://book/1" << QStringList { "", "book/" } << "book/"
                                                 << "1" << 1;
        QTest::newRow("help") << "tolvo://apphelp/preferences/prefix" << QStringList { "book/", "apphelp/" }
                              << "apphelp/"
                              << "preferences/prefix" << 1;
    }
    void split()
    {
        QFETCH(QString, url);
        QFETCH(QStringList, candidates);
        QFETCH(QString, prefix);
        QFETCH(QString, target);
        QFETCH(int, index);
        const std::optional<LinkParts> parts = splitLinkURL(url, candidates);
        QCOMPARE(parts.has_value(), !prefix.isEmpty());
        if (parts) {
            QCOMPARE(parts->prefix, prefix);
            QCOMPARE(parts->target, target);
            QCOMPARE(parts->candidateIndex, qsizetype(index));
        }
    }

    void read_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("match");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        auto page = [](const char* name, const char* target, const char* label) {
            QTest::newRow(name) << QString::fromUtf8(target) << Kind::Page << pageOf(QString::fromUtf8(label)) << -1
                                << 0.0 << 0.0;
        };
        auto location = [](const char* name, const char* target, const char* label, double x, double y) {
            QTest::newRow(name) << QString::fromUtf8(target) << Kind::Location << pageOf(QString::fromUtf8(label)) << -1
                                << x << y;
        };
        auto nothing = [](const char* name, const char* target) {
            QTest::newRow(name) << QString::fromUtf8(target) << Kind::None << -1 << -1 << 0.0 << 0.0;
        };
        auto title = [](const char* name, const char* target, int match) {
            QTest::newRow(name) << QString::fromUtf8(target) << Kind::TitlePath << -1 << match << 0.0 << 0.0;
        };

        page("page label with slash", "12/", "12");
        page("page label without slash", "12", "12");
        nothing("two slashes", "iv//");
        page("only one slash is dropped", "12//", "12/");
        page("first of two equal labels", "iii/", "iii");
        page("label with a blank", "a b/", "a b");
        nothing("percent escapes are not decoded", "a%20b/");
        nothing("case counts", "IV/");
        nothing("leading blank counts", " 12/");
        nothing("whole pdf", "");
        nothing("only a slash", "/");
        nothing("unknown label", "xyz/");

        location("location link", "iv/@loc/72x/541y/", "iv", 72, 541);
        location("location target", "iv/@loc/72x/541y", "iv", 72, 541);
        location("toc link by extended page label", "iv/@loc/72x/541y//", "iv", 72, 541);
        location("empty pieces ignored", "/iv//@loc//72x/541y", "iv", 72, 541);
        page("suffixes missing", "iv/@loc/72/541/", "iv");
        page("one number", "iv/@loc/72x/", "iv");
        page("piece after the numbers", "iv/@loc/72x/541y/extra", "iv");
        page("upper-case suffixes", "iv/@loc/72X/541Y", "iv");
        page("marker inside a piece", "iv/x@loc/72x/541y", "iv");
        nothing("location on an unknown page", "zz/@loc/72x/541y/");
        location("page labelled like the marker", "@loc/@loc/1x/2y", "@loc", 1, 2);
        location("blanks, fraction, exponent", "iv/@loc/ 72.9x/-3e2y", "iv", double(72.9f), -300);
        location("no numbers give 0", "iv/@loc/x/y", "iv", 0, 0);
        location("trailing text ignored", "iv/@loc/abcx/12ptsy", "iv", 0, 12);
        location("plus sign and bare fraction", "iv/@loc/+7x/.5y", "iv", 7, 0.5);
        location("bare point and signed exponent", "iv/@loc/7.x/5e+1y", "iv", 7, 50);
        location("exponent without digits", "iv/@loc/2ex/3e-y", "iv", 2, 3);
        location("inf and nan are no numbers", "iv/@loc/infx/nany", "iv", 0, 0);
        location("hexadecimal reads its 0", "iv/@loc/0x1p3x/1y", "iv", 0, 1);
        location("32-bit float", "iv/@loc/0.1x/16777217y", "iv", double(0.1f), 16777216);
        location("tiny underflows to 0", "iv/@loc/1e-50x/5y", "iv", 0, 5);
        location("negative zero", "iv/@loc/-0x/5y", "iv", -0.0, 5);
        page("beyond the float range", "iv/@loc/1e39x/5y", "iv");
        page("huge exponent", "iv/@loc/1e5000000000000000000000x/1y", "iv");
        page("negative beyond the float range", "iv/@loc/5x/-4e38y", "iv");

        title("title path", "chapter.1/introduction", 101);
        title("title path with empty components", "/chapter.1//introduction/", 101);
        page("page label wins over a title path", "2/", "2");
        page("page label without slash wins too", "2", "2");
        title("title path of a label-like text that is no label", "/2/", 103);
        title("title path without slash", "results", 102);
        nothing("neither", "methods/");
    }
    void read()
    {
        QFETCH(QString, target);
        QFETCH(Kind, kind);
        QFETCH(int, page);
        QFETCH(int, match);
        QFETCH(double, x);
        QFETCH(double, y);
        const TargetReading reading = readTarget(target, lookUpPage, matchOutline);
        QCOMPARE(reading.kind, kind);
        QCOMPARE(reading.pageIndex, page);
        QCOMPARE(reading.matchId, match);
        if (kind == Kind::Location) {
            QCOMPARE(reading.origin.x(), x);
            QCOMPARE(reading.origin.y(), y);
            QCOMPARE(std::signbit(reading.origin.x()), std::signbit(x));
            QCOMPARE(reading.locationRect().size(), QSizeF(1, 1));
        }
    }

    // Whatever a link writes, reading it back lands on the rounded point.
    void writtenLocationsReadBack_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::newRow("ordinary") << QPointF(72.4, 540.6);
        QTest::newRow("halves") << QPointF(72.5, 73.5);
        QTest::newRow("negative") << QPointF(-12.7, -0.3);
        QTest::newRow("large") << QPointF(14400.49, 1e6);
    }
    void writtenLocationsReadBack()
    {
        QFETCH(QPointF, point);
        for (const QString& target : { extendedPageLabel("iv", point), locationTarget("iv", point) }) {
            const TargetReading reading = readLocationOrPageLabel(target, lookUpPage);
            QCOMPARE(reading.kind, Kind::Location);
            QCOMPARE(reading.pageIndex, pageOf("iv"));
            QCOMPARE(reading.origin.x(), std::nearbyint(point.x()));
            QCOMPARE(reading.origin.y(), std::nearbyint(point.y()));
        }
    }

    void parseLocation()
    {
        const std::optional<LocationTarget> location = parseLocationTarget("iv/@loc/72x/541y/");
        QVERIFY(location);
        QCOMPARE(location->pageLabel, QStringLiteral("iv"));
        QCOMPARE(location->point, QPointF(72, 541));
        QVERIFY(!parseLocationTarget("iv/72x/541y"));
        QVERIFY(!parseLocationTarget("iv/@loc/72/541"));
        QVERIFY(!parseLocationTarget("iv/@loc/1e39x/1y"));
    }

    // An item's extended page label is read the same way when a title path matched.
    void titlePathFollowsItsExtendedPageLabel()
    {
        const TargetReading reading = readLocationOrPageLabel(extendedPageLabel("ii", { 10, 20 }), lookUpPage);
        QCOMPARE(reading.kind, Kind::Location);
        QCOMPARE(reading.pageIndex, pageOf("ii"));
    }

    void missingLookupsReadNothing()
    {
        QCOMPARE(readTarget("12/", {}, {}).kind, Kind::None);
        QCOMPARE(readTarget("iv/@loc/1x/2y", {}, matchOutline).kind, Kind::None);
        QCOMPARE(readTarget("results", {}, matchOutline).kind, Kind::TitlePath);
    }

    void emptyLabelNamesNoPage()
    {
        auto everyLabel = [](const QString&) -> std::optional<int> { return 0; };
        QCOMPARE(readTarget("", everyLabel, matchOutline).kind, Kind::None);
        QCOMPARE(readTarget("/", everyLabel, matchOutline).kind, Kind::None);
        QCOMPARE(readTarget("x", everyLabel, matchOutline).kind, Kind::Page);
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("long digits") << "iv/@loc/" + QString(u'9').repeated(100000) + "x/1y";
        QTest::newRow("long fraction") << "iv/@loc/0." + QString(u'0').repeated(100000) + "1x/1y";
        QTest::newRow("long label") << QString(u'a').repeated(100000) + "/@loc/1x/2y";
        QTest::newRow("many slashes") << QString(u'/').repeated(100000);
        QTest::newRow("many markers") << QStringLiteral("@loc/").repeated(20000);
        QTest::newRow("lone surrogates") << units(u"\xD800/@loc/\xDC00x/1y");
        QTest::newRow("right-to-left label") << QStringLiteral("א/@loc/1x/2y");
        QTest::newRow("combining marks") << QStringLiteral("\u0301\u0301/@loc/\u0301x/\u0301y");
        QTest::newRow("nul units") << QStringLiteral("_/@loc/1_x/2y").replace(u'_', QChar(0));
        QTest::newRow("fullwidth digits") << QStringLiteral("iv/@loc/７２x/５y");
    }
    void badInput()
    {
        QFETCH(QString, target);
        const TargetReading reading = readTarget(target, lookUpPage, matchOutline);
        if (reading.kind == Kind::Location) {
            QVERIFY(std::isfinite(reading.origin.x()));
            QVERIFY(std::isfinite(reading.origin.y()));
        }
        const QString label = cleanPageLabel(target);
        QVERIFY(label.size() <= target.size());
        const std::optional<LinkParts> parts
            = splitLinkURL(kLinkScheme + QStringLiteral("book/") + target, { "book/" });
        QVERIFY(parts);
        QCOMPARE(parts->target, target);
    }

    void badInputReadings()
    {
        // 100,000 nines overflow a float: the location is malformed, the page stands.
        QCOMPARE(readTarget("iv/@loc/" + QString(u'9').repeated(100000) + "x/1y", lookUpPage, matchOutline).kind,
            Kind::Page);
        const TargetReading tiny
            = readTarget("iv/@loc/0." + QString(u'0').repeated(100000) + "1x/1y", lookUpPage, matchOutline);
        QCOMPARE(tiny.kind, Kind::Location);
        QCOMPARE(tiny.origin, QPointF(0, 1));
        const TargetReading fullwidth = readTarget("iv/@loc/７２x/５y", lookUpPage, matchOutline);
        QCOMPARE(fullwidth.kind, Kind::Location);
        QCOMPARE(fullwidth.origin, QPointF(0, 0));
    }
};

QTEST_GUILESS_MAIN(TestLinkGrammar)
#include "test_linkgrammar.moc"
