// SPDX-License-Identifier: GPL-3.0-or-later
// The title text operations: dotted forms, abbreviations, variants, clean-ups.
#include "links/PathStrings.h"
#include "links/WordViews.h"

#include <QtTest>

using namespace tolvo;

namespace {

// Text with units a narrow literal cannot hold, such as lone surrogates.
QString units(QStringView text)
{
    return text.toString();
}

// A long title of ordinary words, the stress case for every operation.
QString longTitle(qsizetype units)
{
    static const QStringList words = { QStringLiteral("Introduction"), QStringLiteral("of"), QStringLiteral("the"),
        QStringLiteral("Model:"), QStringLiteral("Results"), QStringLiteral("2019-20"), QStringLiteral("Übersicht"),
        QStringLiteral("מבוא") };
    QString text;
    for (qsizetype i = 0; text.size() < units; ++i)
        text += words[i % words.size()] + QLatin1Char(i % 5 == 4 ? '/' : ' ');
    text.truncate(units);
    return text;
}

} // namespace

class TestPathStrings : public QObject {
    Q_OBJECT

private slots:
    void dottedForm_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("dotted");
        QTest::newRow("punctuation") << "1. Introduction & Overview"
                                     << "1.introduction.overview";
        QTest::newRow("colon") << "Chapter 2: The Model"
                               << "chapter.2.the.model";
        QTest::newRow("no word characters") << "!!! -- ..."
                                            << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("leading and trailing separators") << "  (Preface)  "
                                                         << "preface";
        QTest::newRow("slashes and dots separate") << "x.y/z"
                                                   << "x.y.z";
        QTest::newRow("accented") << "Über Straße"
                                  << "über.straße";
        // U+0130 lowers to "i" and a combining dot, which is a mark and so a word character.
        QTest::newRow("dotted capital I") << "İstanbul Guide"
                                          << "i\u0307stanbul.guide";
        QTest::newRow("combining mark stays in its word") << "Cafe\u0301 Menu"
                                                          << "cafe\u0301.menu";
        QTest::newRow("hebrew") << "שלום, עולם"
                                << "שלום.עולם";
        QTest::newRow("arabic with arabic-indic digit") << "الفصل ٣"
                                                        << "الفصل.٣";
        QTest::newRow("superscript digit separates") << "x² y"
                                                     << "x.y";
        QTest::newRow("em dash separates") << "A—B"
                                           << "a.b";
        QTest::newRow("lone surrogate separates") << units(u"a\xD800"
                                                           "b")
                                                  << "a.b";
        QTest::newRow("astral letters separate per unit") << "\U0001D400bc"
                                                          << "bc";
    }
    void dottedForm()
    {
        QFETCH(QString, title);
        QFETCH(QString, dotted);
        QCOMPARE(longestDotSeparatedCombo(title), dotted);
    }

    void substring_data()
    {
        QTest::addColumn<QString>("haystack");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("found");
        QTest::newRow("inner") << "introduction"
                               << "rod" << true;
        QTest::newRow("case-sensitive") << "Intro"
                                        << "intro" << false;
        QTest::newRow("empty needle") << "intro"
                                      << "" << false;
        QTest::newRow("both empty") << ""
                                    << "" << false;
        QTest::newRow("longer needle") << "in"
                                       << "intro" << false;
    }
    void substring()
    {
        QFETCH(QString, haystack);
        QFETCH(QString, needle);
        QFETCH(bool, found);
        QCOMPARE(hasSubstring(haystack, needle), found);
    }

    void abbreviation_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("truncated words") << "Chapter 1 Introduction"
                                         << "ch.1.intro" << true;
        QTest::newRow("more pattern words") << "Introduction"
                                            << "intro.duction" << false;
        QTest::newRow("digit inside a number") << "Chapter 11"
                                               << "chapter.1" << true;
        QTest::newRow("other number") << "Chapter 2"
                                      << "chapter.1" << false;
        QTest::newRow("first and last word") << "Part A: Methods and Results"
                                             << "part.results" << true;
        QTest::newRow("order counts") << "Part A: Methods and Results"
                                      << "methods.part" << false;
        QTest::newRow("reversed pair") << "b a"
                                       << "a.b" << false;
        QTest::newRow("empty word in title") << "1. Introduction"
                                             << "1.introduction" << true;
        QTest::newRow("case-insensitive") << "Introduction"
                                          << "INTRO" << true;
        QTest::newRow("inner substrings") << "Chapter 1 Introduction"
                                          << "hap.tro" << true;
        QTest::newRow("middle word omitted") << "Chapter 1 Introduction"
                                             << "chapter.introduction" << true;
        QTest::newRow("one word serves both ends") << "x abc y"
                                                   << "x.b.y" << true;
        QTest::newRow("single word found at the front") << "intro x"
                                                        << "intro" << true;
        QTest::newRow("single word found at the back") << "x y intro"
                                                       << "intro" << true;
        QTest::newRow("word in the middle") << "a b c d e"
                                            << "c" << true;
        QTest::newRow("empty pattern") << "Anything"
                                       << "" << false;
        QTest::newRow("empty pattern, empty title") << ""
                                                    << "" << false;
        QTest::newRow("doubled separator") << "Chapter 1"
                                           << "chapter..1" << false;
        QTest::newRow("leading separator") << "Introduction"
                                           << ".intro" << false;
        QTest::newRow("trailing separator") << "Introduction"
                                            << "intro." << false;
        QTest::newRow("location piece") << "Results at loc"
                                        << "@loc" << false;
        QTest::newRow("path separator is a separator") << "Chapter 1 Introduction"
                                                       << "chapter/introduction" << true;
        QTest::newRow("title without words") << "!!!"
                                             << "a" << false;
        QTest::newRow("accented capital") << "Überblick"
                                          << "ÜBER" << true;
        QTest::newRow("dotted capital I lowers to two units") << "İstanbul"
                                                              << "ist" << false;
        QTest::newRow("hebrew") << "מבוא לפרק"
                                << "מבוא" << true;
        QTest::newRow("lone surrogate splits the title") << units(u"ab\xD800"
                                                                  "cd")
                                                         << "ab.cd" << true;
        QTest::newRow("lone surrogate pattern") << "abc" << units(u"\xDC00") << false;
    }
    void abbreviation()
    {
        QFETCH(QString, title);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(hasDotEquivalent(title, pattern), matches);
    }

    // The view-based lowering must agree with QString::toLower() everywhere.
    void lowerCasingAgreesWithQt()
    {
        QString all;
        for (char32_t u = 0; u < 0x10000; ++u)
            all += QChar(char16_t(u));
        for (qsizetype start = 0; start < all.size(); start += 512) {
            const QString chunk = all.mid(start, 512);
            const detail::LowerCased lower(chunk);
            QCOMPARE(lower.view().toString(), chunk.toLower());
        }
        const QString mixed = QStringLiteral("ÄBC İ \U00010400 Σ");
        QCOMPARE(detail::LowerCased(mixed).view().toString(), mixed.toLower());
    }

    void consonantVowel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("combo");
        QTest::newRow("one vowel") << "a" << false;
        QTest::newRow("two vowels") << "oo" << false;
        QTest::newRow("upper-case vowel") << "tA" << false;
        QTest::newRow("consonant vowel") << "ta" << true;
        QTest::newRow("digit counts as consonant") << "1a" << true;
        QTest::newRow("upper-case consonant") << "Te" << true;
        QTest::newRow("ends in consonant") << "at" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("accented vowel is no vowel") << "tá" << false;
    }
    void consonantVowel()
    {
        QFETCH(QString, text);
        QFETCH(bool, combo);
        QCOMPARE(isConsonantPlusVowelCombo(text), combo);
    }

    void variants_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("variants");
        QTest::newRow("path") << "chapter.1/introduction"
                              << "/"
                              << QStringList { "chapter.1/introduction", "chapter.1/introduct", "chapt.1/introd",
                                     "chapt.1/intr" };
        QTest::newRow("two words") << "summary/results"
                                   << "/" << QStringList { "summary/results", "summ/res" };
        QTest::newRow("dotted word") << "data"
                                     << "." << QStringList { "data", "dat" };
        QTest::newRow("short parts") << "a/b"
                                     << "/" << QStringList { "a/b" };
        QTest::newRow("empty") << ""
                               << "/" << QStringList { "" };
        QTest::newRow("empty parts kept") << "//"
                                          << "/" << QStringList { "//" };
        QTest::newRow("preface") << "preface"
                                 << "/" << QStringList { "preface", "prefac", "pref" };
        QTest::newRow("methods") << "methods"
                                 << "/" << QStringList { "methods", "meth" };
        QTest::newRow("doubled head is removed") << "chapter.1"
                                                 << "/" << QStringList { "chapter.1", "chapt.1" };
        QTest::newRow("dots split only below a slash") << "chapter.1"
                                                       << "." << QStringList { "chapter.1", "chapt.1" };
        QTest::newRow("dots are plain text under another separator") << "data.x"
                                                                     << "," << QStringList { "data.x", "dat" };
        QTest::newRow("upper-case vowels do not shorten") << "DATA"
                                                          << "." << QStringList { "DATA" };
        QTest::newRow("shorter list repeats its last entry")
            << "introduction/results"
            << "/" << QStringList { "introduction/results", "introduct/res", "introd/res", "intr/res" };
        QTest::newRow("no separator in text") << "results"
                                              << "/" << QStringList { "results", "res" };
        QTest::newRow("empty separator cuts nothing") << "results"
                                                      << "" << QStringList { "results", "res" };
    }
    void variants()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QStringList, variants);
        QCOMPARE(miniComponentsSeparatedByString(text, separator), variants);
    }

    // A word of thousands of units keeps only itself rather than one copy of the
    // whole text per cut.
    void overlongWordKeepsItself()
    {
        const QString word = QStringLiteral("ta").repeated(50000);
        QCOMPARE(miniComponentsSeparatedByString(word, QStringLiteral("/")), QStringList { word });
        const QString shortWord = QStringLiteral("ta").repeated(128);
        QCOMPARE(miniComponentsSeparatedByString(shortWord, QStringLiteral("/")).size(), 128);
    }

    void extract_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasWord");
        QTest::addColumn<QString>("word");
        QTest::newRow("only separators") << "-.-" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("mixed") << "a-b.c" << true << "abc";
        QTest::newRow("other punctuation stays") << "a–b!" << true << "a–b!";
        QTest::newRow("blank stays") << " " << true << " ";
    }
    void extract()
    {
        QFETCH(QString, text);
        QFETCH(bool, hasWord);
        QFETCH(QString, word);
        const std::optional<QString> result = extractWord(text);
        QCOMPARE(result.has_value(), hasWord);
        if (hasWord)
            QCOMPARE(*result, word);
    }

    void trimSpaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("spaces and tab") << "  a\tb"
                                        << "a b";
        QTest::newRow("runs inside and at the ends") << " \t a  \t  b \t"
                                                     << "a b";
        QTest::newRow("line breaks are kept") << "a\nb\r\n c"
                                              << "a\nb\r\n c";
        QTest::newRow("unicode space separators") << "\u00A0a\u2003b\u3000"
                                                  << "a b";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only blanks") << " \t "
                                     << "";
    }
    void trimSpaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(trimSpacesString(text), trimmed);
    }

    void prefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasPrefix");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("plain") << "mybook" << true << "mybook/";
        QTest::newRow("file name") << "My Book.pdf" << true << "My.Book.pdf/";
        QTest::newRow("dash between blanks") << "Smith 2019 - Notes.pdf" << true << "Smith.2019-Notes.pdf/";
        QTest::newRow("dash-led token at the end") << "ch -5" << true << "ch/";
        QTest::newRow("slash") << "a/b" << true << "a/b/";
        QTest::newRow("punctuation dropped") << "x!!/y" << true << "x/y/";
        QTest::newRow("only punctuation") << "!!!" << false << "";
        QTest::newRow("only slash") << "/" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("only dots and dashes") << "-.- ..." << false << "";
        QTest::newRow("typed with blank") << "My Notes" << true << "My.Notes/";
        QTest::newRow("matching key") << "apphelp" << true << "apphelp/";
        QTest::newRow("generated key") << "aprefix-12" << true << "aprefix-12/";
        QTest::newRow("already a prefix") << "prefix-7/" << true << "prefix-7/";
        QTest::newRow("empty parts skipped") << "a//b/" << true << "a/b/";
        QTest::newRow("punctuation part stays as empty part") << "!!/a" << true << "/a/";
        QTest::newRow("trailing punctuation part") << "a/!!" << true << "a//";
        QTest::newRow("only punctuation parts") << "!!/ - /..." << false << "";
        QTest::newRow("leading dot stripped") << ".hidden" << true << "hidden/";
        QTest::newRow("inner dots of a token kept") << "a..b" << true << "a..b/";
        QTest::newRow("dot-led token after a word") << "a .b" << true << "a/";
        QTest::newRow("dash run between words") << "a -.- b" << true << "a-b/";
        QTest::newRow("separator-only token after separator") << "a - - b" << true << "a-b/";
        QTest::newRow("only one trailing dash removed") << "a--" << true << "a-/";
        QTest::newRow("digits") << "2019" << true << "2019/";
        QTest::newRow("accented") << "Ünïcödé Tïtle" << true << "Ünïcödé.Tïtle/";
        QTest::newRow("hebrew") << "ספר שלי" << true << "ספר.שלי/";
        QTest::newRow("arabic-indic digits") << "فصل ٣" << true << "فصل.٣/";
        QTest::newRow("tab") << "tab\there" << true << "tab.here/";
        QTest::newRow("lone surrogate separates") << units(u"a\xD800"
                                                           "b")
                                                  << true << "a.b/";
        QTest::newRow("combining mark counts as letter") << "\u0301" << true << "\u0301/";
    }
    void prefix()
    {
        QFETCH(QString, text);
        QFETCH(bool, hasPrefix);
        QFETCH(QString, prefix);
        const std::optional<QString> result = prefixCompatibleString(text);
        QCOMPARE(result.has_value(), hasPrefix);
        if (hasPrefix)
            QCOMPARE(*result, prefix);
    }

    // A prefix ends in "/" and holds only its own characters, and making a prefix
    // of such a prefix (no empty parts, no doubled final dash) changes nothing.
    void prefixIsStable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("mixed") << "  --Smith,  J. (2019) -- Notes...pdf//";
        QTest::newRow("accents and brackets") << "Ärger (Teil 2) -- Übersicht.pdf";
        QTest::newRow("long") << longTitle(100000);
    }
    void prefixIsStable()
    {
        QFETCH(QString, text);
        const std::optional<QString> prefix = prefixCompatibleString(text);
        QVERIFY(prefix);
        QVERIFY(prefix->endsWith(u'/'));
        for (QChar c : *prefix)
            QVERIFY(isWordCharacter(c) || c == u'.' || c == u'-' || c == u'/');
        QCOMPARE(prefixCompatibleString(*prefix), prefix);
    }

    // 100,000 units through every operation: no crash, and results that still hold.
    void longText()
    {
        const QString text = longTitle(100000);
        const QString dotted = longestDotSeparatedCombo(text);
        QVERIFY(dotted.size() > 80000);
        QVERIFY(hasDotEquivalent(text, dotted));
        QVERIFY(hasDotEquivalent(text, QStringLiteral("intro.übersicht")));
        QVERIFY(!hasDotEquivalent(text, dotted + QStringLiteral(".zzz")));
        QVERIFY(hasSubstring(text, text));
        QVERIFY(!isConsonantPlusVowelCombo(text + QLatin1Char('x')));
        const QStringList slashVariants = miniComponentsSeparatedByString(dotted, QStringLiteral("/"));
        QCOMPARE(slashVariants.front(), dotted);
        const QStringList pathVariants = miniComponentsSeparatedByString(text, QStringLiteral("/"));
        QCOMPARE(pathVariants.front(), text);
        QVERIFY(extractWord(text));
        QVERIFY(!trimSpacesString(text).contains(QLatin1String("  ")));

        const QString blanks = QString(u' ').repeated(100000);
        QCOMPARE(trimSpacesString(blanks), QString());
        QCOMPARE(longestDotSeparatedCombo(blanks), QString());
        QVERIFY(!hasDotEquivalent(blanks, blanks));
        QVERIFY(!prefixCompatibleString(blanks));

        const QString surrogates = QString(u'\xD800').repeated(100000);
        QCOMPARE(longestDotSeparatedCombo(surrogates), QString());
        QVERIFY(!hasDotEquivalent(text, surrogates));
        QVERIFY(!prefixCompatibleString(surrogates));
    }
};

QTEST_GUILESS_MAIN(TestPathStrings)
#include "test_pathstrings.moc"
