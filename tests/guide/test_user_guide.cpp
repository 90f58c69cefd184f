// SPDX-License-Identifier: GPL-3.0-or-later
// The user guide as Tolvo reads it: the outline entries that the help links
// land on, the page labels of front matter and body, and the size budget.
#include "outline/OutlineTree.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace tolvo;

namespace {

QString guidePath()
{
    return qEnvironmentVariable("TOLVO_SOURCE_DIR") + QStringLiteral("/resources/Tolvo User Guide.pdf");
}

const pdf::OutlineEntry* entryTitled(const std::vector<pdf::OutlineEntry>& entries, const QString& title)
{
    for (const pdf::OutlineEntry& entry : entries) {
        if (entry.title == title)
            return &entry;
    }
    return nullptr;
}

/// Whether the page shows the title's first word at the destination: left-aligned
/// with it and a little below it, as a heading under its outline destination.
bool headingAt(const pdf::Document& document, const pdf::Destination& destination, const QString& title)
{
    if (!destination.point)
        return false;
    const QString firstWord = title.section(QLatin1Char(' '), 0, 0);
    for (const pdf::TextWord& word : document.words(destination.pageIndex)) {
        if (word.text != firstWord)
            continue;
        const double wordTop = std::max(word.bounds.top(), word.bounds.bottom());
        const double below = destination.point->y() - wordTop;
        if (std::abs(word.bounds.left() - destination.point->x()) < 3 && below >= 0 && below < 30)
            return true;
    }
    return false;
}

bool isRoman(const QString& label)
{
    static const QRegularExpression roman(QStringLiteral("^m*(cm|cd|d?c{0,3})(xc|xl|l?x{0,3})(ix|iv|v?i{0,3})$"));
    return !label.isEmpty() && roman.match(label).hasMatch();
}

} // namespace

class TestUserGuide : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pdf::OpenResult opened = pdf::openDocument(guidePath());
        QVERIFY2(opened.document, qPrintable(opened.error));
        m_guide = std::move(opened.document);
    }

    void helpLinkLands_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("titlePath");
        QTest::newRow("prefixHelp") << QStringLiteral("Prefix") << QStringLiteral("preferences/prefix");
        QTest::newRow("automatchHelp") << QStringLiteral("Automatch") << QStringLiteral("preferences/automatch");
    }

    // tolvo://apphelp/preferences/prefix and .../automatch, the targets of the
    // preference window's help buttons.
    void helpLinkLands()
    {
        QFETCH(QString, section);
        QFETCH(QString, titlePath);

        const std::vector<pdf::OutlineEntry> outline = m_guide->outline();
        int preferencesCount = 0;
        for (const pdf::OutlineEntry& entry : outline)
            preferencesCount += entry.title == QLatin1String("Preferences") ? 1 : 0;
        QCOMPARE(preferencesCount, 1);
        const pdf::OutlineEntry* preferences = entryTitled(outline, QStringLiteral("Preferences"));
        const pdf::OutlineEntry* child = entryTitled(preferences->children, section);
        QVERIFY2(child, qPrintable(section + QStringLiteral(" is not a child of Preferences")));
        QVERIFY(child->destination);
        QVERIFY2(headingAt(*m_guide, *child->destination, section),
            qPrintable(section + QStringLiteral(" does not lead to its heading")));

        // The path that the help link carries picks this entry first.
        const OutlineTree tree = outlineTreeForPdf(*m_guide);
        const auto matches = tree.moiMatchingURLSuffix(titlePath);
        QVERIFY(matches && !matches->empty());
        const MyOutlineItem* first = matches->front();
        QCOMPARE(first->pageTitle(), section);
        QVERIFY(first->parent());
        QCOMPARE(first->parent()->pageTitle(), QStringLiteral("Preferences"));
        QVERIFY(!first->parent()->parent());
    }

    // Front matter in roman numerals from i, the body in arabic from 1, nothing else.
    void pageLabels()
    {
        const QStringList labels = m_guide->pageLabels();
        int front = 0;
        while (front < labels.size() && isRoman(labels.at(front)))
            ++front;
        QVERIFY2(front >= 2, "the title page and the contents are numbered in roman");
        QCOMPARE(labels.at(0), QStringLiteral("i"));
        QCOMPARE(labels.at(1), QStringLiteral("ii"));
        QVERIFY(front < labels.size());
        for (int index = front; index < labels.size(); ++index)
            QCOMPARE(labels.at(index), QString::number(index - front + 1));

        // The body begins where the outline does.
        const std::vector<pdf::OutlineEntry> outline = m_guide->outline();
        QVERIFY(!outline.empty());
        QVERIFY(outline.front().destination);
        QCOMPARE(m_guide->pageLabel(outline.front().destination->pageIndex), QStringLiteral("1"));
    }

    // Every entry leads to its own heading, so a TOC link made from it lands there.
    void everyEntryLeadsToItsHeading()
    {
        const std::vector<pdf::OutlineEntry> outline = m_guide->outline();
        std::vector<const pdf::OutlineEntry*> pending;
        for (const pdf::OutlineEntry& entry : outline)
            pending.push_back(&entry);
        int checked = 0;
        while (!pending.empty()) {
            const pdf::OutlineEntry* entry = pending.back();
            pending.pop_back();
            QVERIFY2(entry->destination, qPrintable(entry->title));
            QVERIFY2(headingAt(*m_guide, *entry->destination, entry->title), qPrintable(entry->title));
            for (const pdf::OutlineEntry& child : entry->children)
                pending.push_back(&child);
            ++checked;
        }
        QVERIFY(checked >= 10);
    }

    void withinBudget()
    {
        QVERIFY(m_guide->pageCount() < 20);
        QVERIFY(QFileInfo(guidePath()).size() < 300 * 1024);
    }

private:
    std::unique_ptr<pdf::Document> m_guide;
};

QTEST_GUILESS_MAIN(TestUserGuide)
#include "test_user_guide.moc"
