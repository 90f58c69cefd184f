// SPDX-License-Identifier: GPL-3.0-or-later
// Link rendering: display texts by style, styled links, Markdown labels and
// links, the user font.
#include "links/LinkText.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "test_richtext_support.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

Q_DECLARE_METATYPE(tolvo::LinkStyle)

namespace {

const QString kPrefix = QStringLiteral("manual/");

// The places the tables use, by name.
LinkPlace place(const QString& name)
{
    if (name == u"page")
        return LinkPlace::page(QStringLiteral("12"));
    if (name == u"toc")
        return LinkPlace::toc(QStringLiteral("introd"), QStringLiteral("Introduction"));
    if (name == u"toc by location")
        return LinkPlace::toc(QStringLiteral("iv/@loc/72x/541y/"), QStringLiteral("Scope"));
    return LinkPlace::location(QStringLiteral("12"), QPointF(72.4, 700.6));
}

} // namespace

class TestLinkText : public QObject {
    Q_OBJECT

private slots:
    void linkStyleFromString_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<LinkStyle>("style");
        QTest::newRow("expanded") << "URLRichTextPrefExpanded" << LinkStyle::Expanded;
        QTest::newRow("condensed") << "URLRichTextPrefCondensed" << LinkStyle::Condensed;
        QTest::newRow("with title") << "URLRichTextPrefCondensedWithTOCTitle" << LinkStyle::CondensedWithTOCTitle;
        QTest::newRow("none") << "" << LinkStyle::Other;
        QTest::newRow("other case") << "urlrichtextprefcondensed" << LinkStyle::Other;
        QTest::newRow("trailing blank") << "URLRichTextPrefCondensed " << LinkStyle::Other;
        QTest::newRow("unknown") << "Compact" << LinkStyle::Other;
    }
    void linkStyleFromString()
    {
        QFETCH(QString, stored);
        QFETCH(LinkStyle, style);
        QCOMPARE(tolvo::linkStyleFromString(stored), style);
        if (style != LinkStyle::Other)
            QCOMPARE(linkStyleString(style), stored);
    }

    void currentLinkStyleReadsEachTime()
    {
        QTemporaryDir dir;
        Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(defaults);
        const QString key = QString::fromLatin1(keys::kURLRichTextPreference);
        QCOMPARE(currentLinkStyle(defaults), LinkStyle::Expanded); // the registered default
        defaults.setValue(key, QStringLiteral("URLRichTextPrefCondensedWithTOCTitle"));
        QCOMPARE(currentLinkStyle(defaults), LinkStyle::CondensedWithTOCTitle);
        defaults.setValue(key, QStringLiteral("nonsense"));
        QCOMPARE(currentLinkStyle(defaults), LinkStyle::Other);
    }

    void storedUserFont()
    {
        QTemporaryDir dir;
        Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(defaults);
        defaults.setValue(QString::fromLatin1(keys::kFontNameForRichTextCopiedFromPDF), QStringLiteral("Noto Serif"));
        defaults.setValue(QString::fromLatin1(keys::kFontSizeForRichTextCopiedFromPDF), 13.5);
        QCOMPARE(tolvo::storedUserFont(defaults), (FontSpec { QStringLiteral("Noto Serif"), 13.5 }));
    }

    void urlText_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("url");
        QTest::newRow("page") << "page"
                              << "tolvo://manual/12/";
        QTest::newRow("toc") << "toc"
                             << "tolvo://manual/introd/";
        QTest::newRow("location") << "location"
                                  << "tolvo://manual/12/@loc/72x/701y/";
        QTest::newRow("toc by location") << "toc by location"
                                         << "tolvo://manual/iv/@loc/72x/541y//";
    }
    void urlText()
    {
        QFETCH(QString, place);
        QFETCH(QString, url);
        QCOMPARE(tolvo::urlText(kPrefix, ::place(place)), url);
    }

    void locationCoordinates_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QString>("target");
        QTest::newRow("halves to even") << QPointF(72.5, 700.5) << "12/@loc/72x/700y";
        QTest::newRow("halves up to even") << QPointF(73.5, 701.5) << "12/@loc/74x/702y";
        QTest::newRow("nearest") << QPointF(72.4, 700.6) << "12/@loc/72x/701y";
        QTest::newRow("negative") << QPointF(-3.7, -0.2) << "12/@loc/-4x/-0y";
    }
    void locationCoordinates()
    {
        QFETCH(QPointF, point);
        QFETCH(QString, target);
        const LinkPlace p = LinkPlace::location(QStringLiteral("12"), point);
        QCOMPARE(p.target, target);
        QCOMPARE(p.shownTarget(), QStringLiteral("12"));
    }

    void displayText_data()
    {
        QTest::addColumn<LinkStyle>("style");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("label");

        QTest::newRow("expanded page") << LinkStyle::Expanded << "page"
                                       << "tolvo://manual/12/ "
                                       << "tolvo://manual/12";
        QTest::newRow("condensed page") << LinkStyle::Condensed << "page"
                                        << "manual/12/ "
                                        << "manual/12";
        QTest::newRow("with title, page") << LinkStyle::CondensedWithTOCTitle << "page"
                                          << "manual/12/ "
                                          << "manual/12";
        QTest::newRow("other page") << LinkStyle::Other << "page"
                                    << "manual/12 "
                                    << "manual/12";

        QTest::newRow("expanded toc") << LinkStyle::Expanded << "toc"
                                      << "tolvo://manual/introd/ "
                                      << "tolvo://manual/introd";
        QTest::newRow("condensed toc") << LinkStyle::Condensed << "toc"
                                       << "manual/introd/ "
                                       << "manual/introd";
        QTest::newRow("with title, toc") << LinkStyle::CondensedWithTOCTitle << "toc"
                                         << "manual/Introduction/ "
                                         << "manual/Introduction";
        QTest::newRow("other toc") << LinkStyle::Other << "toc"
                                   << "manual/introd "
                                   << "manual/introd";

        QTest::newRow("expanded location") << LinkStyle::Expanded << "location"
                                           << "tolvo://manual/12/@loc/72x/701y/ "
                                           << "tolvo://manual/12/@loc/72x/701y";
        QTest::newRow("condensed location") << LinkStyle::Condensed << "location"
                                            << "manual/12/ "
                                            << "manual/12";
        QTest::newRow("with title, location") << LinkStyle::CondensedWithTOCTitle << "location"
                                              << "manual/12/ "
                                              << "manual/12";
        QTest::newRow("other location") << LinkStyle::Other << "location"
                                        << "manual/12 "
                                        << "manual/12";

        // A TOC link whose target is an extended page label is still a TOC link.
        QTest::newRow("condensed toc by location") << LinkStyle::Condensed << "toc by location"
                                                   << "manual/iv/@loc/72x/541y// "
                                                   << "manual/iv/@loc/72x/541y/";
        QTest::newRow("with title, toc by location") << LinkStyle::CondensedWithTOCTitle << "toc by location"
                                                     << "manual/Scope/ "
                                                     << "manual/Scope";
    }
    void displayText()
    {
        QFETCH(LinkStyle, style);
        QFETCH(QString, place);
        QFETCH(QString, display);
        QFETCH(QString, label);
        const LinkPlace p = ::place(place);
        QCOMPARE(tolvo::displayText(style, kPrefix, p), display);
        QCOMPARE(markdownLabel(style, display), label);

        const LinkRendering r = renderLink(style, kPrefix, p);
        QCOMPARE(r.displayText, display);
        QCOMPARE(r.urlText, tolvo::urlText(kPrefix, p));
        QCOMPARE(r.markdownLink, tolvo::markdownLink(label, r.urlText));
    }

    void markdownLabelOfShortTexts_data()
    {
        QTest::addColumn<LinkStyle>("style");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("label");
        QTest::newRow("empty") << LinkStyle::Condensed << ""
                               << "";
        QTest::newRow("one unit, named style") << LinkStyle::Expanded << " "
                                               << "";
        QTest::newRow("one unit, other style") << LinkStyle::Other << " "
                                               << "";
        QTest::newRow("closing only") << LinkStyle::CondensedWithTOCTitle << "/ "
                                      << "";
    }
    void markdownLabelOfShortTexts()
    {
        QFETCH(LinkStyle, style);
        QFETCH(QString, display);
        QFETCH(QString, label);
        QCOMPARE(markdownLabel(style, display), label);
    }

    void markdownLink_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("markdown");
        QTest::newRow("plain") << "tolvo://manual/12/"
                               << "[manual/12](tolvo://manual/12/)";
        QTest::newRow("location") << "tolvo://manual/12/@loc/72x/701y/"
                                  << "[manual/12](tolvo://manual/12/@loc/72x/701y/)";
        QTest::newRow("blank") << "tolvo://manual/a b/"
                               << "[manual/12](<tolvo://manual/a b/>)";
        QTest::newRow("opening parenthesis") << "tolvo://manual/(a/"
                                             << "[manual/12](tolvo://manual/\\(a/)";
        QTest::newRow("closing parenthesis") << "tolvo://manual/a)/"
                                             << "[manual/12](tolvo://manual/a\\)/)";
        QTest::newRow("tab") << "tolvo://manual/a\tb/"
                             << "[manual/12](<tolvo://manual/a\tb/>)";
        QTest::newRow("no-break space stays") << "tolvo://manual/a\u00a0b/"
                                              << "[manual/12](tolvo://manual/a\u00a0b/)";
        QTest::newRow("brackets stay") << "tolvo://manual/[a]/"
                                       << "[manual/12](tolvo://manual/[a]/)";
        QTest::newRow("non-ASCII stays") << "tolvo://manual/einführung/"
                                         << "[manual/12](tolvo://manual/einführung/)";
        QTest::newRow("percent stays") << "tolvo://manual/a%20b/"
                                       << "[manual/12](tolvo://manual/a%20b/)";
    }
    void markdownLink()
    {
        QFETCH(QString, url);
        QFETCH(QString, markdown);
        QCOMPARE(tolvo::markdownLink(QStringLiteral("manual/12"), url), markdown);
    }

    void styledLinkLeavesClosingSpacePlain_data()
    {
        QTest::addColumn<LinkStyle>("style");
        QTest::addColumn<QString>("place");
        QTest::addColumn<bool>("underline");
        const QList<std::pair<const char*, LinkStyle>> styles { { "expanded", LinkStyle::Expanded },
            { "condensed", LinkStyle::Condensed }, { "with title", LinkStyle::CondensedWithTOCTitle },
            { "other", LinkStyle::Other } };
        for (const auto& [name, style] : styles) {
            for (const char* p : { "page", "toc", "location" }) {
                QTest::addRow("%s %s underlined", name, p) << style << QString::fromLatin1(p) << true;
                QTest::addRow("%s %s plain", name, p) << style << QString::fromLatin1(p) << false;
            }
        }
    }
    void styledLinkLeavesClosingSpacePlain()
    {
        QFETCH(LinkStyle, style);
        QFETCH(QString, place);
        QFETCH(bool, underline);
        const LinkRendering r = renderLink(style, kPrefix, ::place(place));
        const RichText styled = r.styledLink(underline);
        QCOMPARE(styled.toPlainText(), r.displayText);
        QCOMPARE(styled.runs().size(), 2);
        const TextRun& link = styled.runs()[0];
        QCOMPARE(link.text, r.displayText.chopped(1));
        QCOMPARE(link.attributes.link, std::optional<QString>(r.urlText));
        QCOMPARE(link.attributes.color, std::optional<RgbColor>(kLinkBlue));
        QCOMPARE(link.attributes.underline, underline);
        QVERIFY(!link.attributes.font);
        QCOMPARE(styled.runs()[1], (TextRun { QStringLiteral(" "), {} }));
    }

    void styledLinkOfFixedTextCoversAll_data()
    {
        QTest::addColumn<QString>("display");
        QTest::newRow("page") << "manual/12/";
        QTest::newRow("whole PDF") << "manual";
        // A title may end in a blank; the fixed forms still link every character.
        QTest::newRow("title with closing blank") << "manual/Intro ";
    }
    void styledLinkOfFixedTextCoversAll()
    {
        QFETCH(QString, display);
        const RichText styled = styledLink(display, QStringLiteral("tolvo://manual/"), true, LinkCover::WholeText);
        QCOMPARE(styled.runs().size(), 1);
        QCOMPARE(styled.runs()[0].text, display);
        QCOMPARE(styled.runs()[0].attributes.link, std::optional<QString>(QStringLiteral("tolvo://manual/")));
        QVERIFY(styled.runs()[0].attributes.underline);
    }

    void styledLinkKeepsInvalidUrlVerbatim()
    {
        const QString url = QStringLiteral("tolvo://manual/a b/%zz/é\"/");
        const RichText styled = styledLink(QStringLiteral("manual/a b/ "), url, false);
        QCOMPARE(styled.runs()[0].attributes.link, std::optional<QString>(url));
    }

    void userFontOverWholeText()
    {
        // Leading text of a drag, then the styled link, then the font over all.
        RichText text(QStringLiteral("\t\tScope "));
        text += renderLink(LinkStyle::Condensed, kPrefix, place(QStringLiteral("toc"))).styledLink(true);
        const FontSpec font { QStringLiteral("DejaVu Serif"), 14 };
        applyUserPreferredFont(text, font);
        QCOMPARE(text.runs().size(), 3);
        for (const TextRun& run : text.runs())
            QCOMPARE(run.attributes.font, std::optional<FontSpec>(font));
        QCOMPARE(text.runs()[1].attributes.link, std::optional<QString>(QStringLiteral("tolvo://manual/introd/")));
        QVERIFY(text.runs()[2].attributes == (TextAttributes { {}, {}, false, font }));

        // A second font replaces the first everywhere.
        const FontSpec other { QStringLiteral("DejaVu Sans"), 9.5 };
        applyUserPreferredFont(text, other);
        for (const TextRun& run : text.runs())
            QCOMPARE(run.attributes.font, std::optional<FontSpec>(other));
    }

    void userFontOnStyledLinkOnly()
    {
        // The grab into the notes: the font goes on the styled link before the selection text joins it.
        RichText link = renderLink(LinkStyle::Condensed, kPrefix, place(QStringLiteral("location"))).styledLink(false);
        const FontSpec font { QStringLiteral("DejaVu Serif"), 12 };
        applyUserPreferredFont(link, font);
        RichText text(QStringLiteral("selected words"));
        text += QStringLiteral(" ");
        text += link;
        QVERIFY(!text.runs()[0].attributes.font);
        QCOMPARE(text.runs()[0].text, QStringLiteral("selected words "));
        QCOMPARE(text.runs()[1].attributes.font, std::optional<FontSpec>(font));
        QCOMPARE(text.runs()[2].attributes.font, std::optional<FontSpec>(font));
    }

    void missingUserFontLeavesText_data()
    {
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("family");
        QTest::newRow("no such font") << false << "";
        QTest::newRow("empty name") << true << "";
    }
    void missingUserFontLeavesText()
    {
        QFETCH(bool, given);
        QFETCH(QString, family);
        const RichText before
            = renderLink(LinkStyle::Expanded, kPrefix, place(QStringLiteral("page"))).styledLink(true);
        RichText text = before;
        applyUserPreferredFont(text, given ? std::optional<FontSpec>(FontSpec { family, 12 }) : std::nullopt);
        QCOMPARE(text, before);
    }
};

QTEST_GUILESS_MAIN(TestLinkText)
#include "test_linktext.moc"
