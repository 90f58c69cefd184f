// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Outline trees for tests and benchmarks: written as indented text, drawn at
// random to be ambiguous, or shaped like a large manual.

#include "outline/MyOutlineItem.h"
#include "outline/OutlineTree.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <random>
#include <vector>

namespace tolvo::testing {

/// A tree from indented lines: two spaces per level below the top, then the
/// title; "title | label" gives the extended page label, else each item gets
/// "<n>/@loc/0x/<n>y/" with n its line number. Blank lines are skipped; a line
/// holding only spaces and "~" is an empty title at that indent.
inline OutlineTree outlineFromText(const QString& text)
{
    std::vector<std::unique_ptr<MyOutlineItem>> top;
    std::vector<MyOutlineItem*> open; // open[d] = last item at level d + 1
    int line = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++line;
        if (raw.trimmed().isEmpty())
            continue;
        int spaces = 0;
        while (spaces < raw.size() && raw[spaces] == QLatin1Char(' '))
            ++spaces;
        const int depth = spaces / 2;
        QString title = raw.mid(spaces);
        QString label = QStringLiteral("%1/@loc/0x/%1y/").arg(line);
        const qsizetype bar = title.indexOf(QLatin1String(" | "));
        if (bar >= 0) {
            label = title.mid(bar + 3);
            title = title.left(bar);
        }
        if (title == QLatin1String("~"))
            title.clear();
        auto item = std::make_unique<MyOutlineItem>(title, label);
        open.resize(std::size_t(depth));
        MyOutlineItem* placed;
        if (depth == 0) {
            top.push_back(std::move(item));
            placed = top.back().get();
        } else {
            placed = open.back()->appendChild(std::move(item));
        }
        open.push_back(placed);
    }
    return OutlineTree(std::move(top));
}

/// The item reached by following rows from the top level down.
inline const MyOutlineItem* itemAt(const OutlineTree& tree, const QList<int>& rows)
{
    const MyOutlineItem* item = tree.outlinedata_array().at(std::size_t(rows.first()));
    for (qsizetype i = 1; i < rows.size(); ++i)
        item = item->children()[std::size_t(rows[i])];
    return item;
}

/// A fresh tree with the same titles, labels and shape.
inline OutlineTree copyOf(const OutlineTree& tree)
{
    std::vector<std::unique_ptr<MyOutlineItem>> top;
    std::vector<std::pair<const MyOutlineItem*, MyOutlineItem*>> stack;
    for (const MyOutlineItem* item : tree.outlinedata_array()) {
        top.push_back(std::make_unique<MyOutlineItem>(item->pageTitle(), item->pageLabel()));
        stack.emplace_back(item, top.back().get());
    }
    while (!stack.empty()) {
        const auto [from, to] = stack.back();
        stack.pop_back();
        for (const MyOutlineItem* child : from->children())
            stack.emplace_back(
                child, to->appendChild(std::make_unique<MyOutlineItem>(child->pageTitle(), child->pageLabel())));
    }
    return OutlineTree(std::move(top));
}

/// Random outlines built to be ambiguous: titles repeat, abbreviate each other,
/// hold numbers that contain each other ("Chapter 1", "Chapter 11"), are empty
/// or punctuation only; shapes include long chains and wide levels.
class AmbiguousOutlines {
public:
    explicit AmbiguousOutlines(unsigned seed)
        : m_random(seed)
    {
    }

    QString title()
    {
        static const QStringList fixed = {
            QStringLiteral("Chapter 1"),
            QStringLiteral("Chapter 11"),
            QStringLiteral("Chapter 2"),
            QStringLiteral("Chapter 12"),
            QStringLiteral("Introduction"),
            QStringLiteral("Intro"),
            QStringLiteral("Introduction to Methods"),
            QStringLiteral("Methods"),
            QStringLiteral("Results"),
            QStringLiteral("Appendix"),
            QStringLiteral("Appendix A"),
            QStringLiteral("Preface"),
            QStringLiteral("Summary"),
            QStringLiteral("Summary and Results"),
            QStringLiteral("Data"),
            QStringLiteral("data"),
            QStringLiteral("1. Introduction"),
            QStringLiteral("Part A: Methods and Results"),
            QStringLiteral("Results 2012"),
            QStringLiteral("12"),
            QStringLiteral("---"),
            QString(),
            QStringLiteral("..."),
            QStringLiteral("A & B <x>"),
            QStringLiteral("Résumé"),
            QStringLiteral("Überblick"),
            QStringLiteral("Éditions"),
            QStringLiteral("İstanbul"),
            QStringLiteral("\U0001D400 Bold"),
            QStringLiteral("chapt"),
            QStringLiteral("ch. 1"),
            QStringLiteral("Method"),
            QStringLiteral("Meth"),
            QStringLiteral("Chapter 1 Introduction"),
            QStringLiteral("a"),
            QStringLiteral("e"),
            QStringLiteral("Notation"),
            QStringLiteral("Notes"),
            QStringLiteral("note"),
            QStringLiteral("Index"),
            QStringLiteral("iv"),
            QStringLiteral("IV"),
            QStringLiteral("ix"),
            QStringLiteral("1"),
            QStringLiteral("2"),
            QStringLiteral("12 Errors and Warnings"),
            QStringLiteral("Cover Page"),
        };
        static const QStringList words = {
            QStringLiteral("intro"),
            QStringLiteral("introduction"),
            QStringLiteral("method"),
            QStringLiteral("data"),
            QStringLiteral("result"),
            QStringLiteral("results"),
            QStringLiteral("the"),
            QStringLiteral("a"),
            QStringLiteral("analysis"),
            QStringLiteral("ana"),
            QStringLiteral("value"),
            QStringLiteral("values"),
            QStringLiteral("Tolvo"),
            QStringLiteral("usage"),
            QStringLiteral("use"),
            QStringLiteral("1"),
            QStringLiteral("11"),
            QStringLiteral("2"),
            QStringLiteral("x"),
            QStringLiteral("matrix"),
            QStringLiteral("matrices"),
            QStringLiteral("ratio"),
            QStringLiteral("lineare"),
            QStringLiteral("Über"),
        };
        static const QStringList separators = { QStringLiteral(" "), QStringLiteral(". "), QStringLiteral(": "),
            QStringLiteral("-"), QStringLiteral("  "), QStringLiteral("/") };
        if (pick(3) == 0)
            return fixed[pick(int(fixed.size()))];
        if (pick(40) == 0) {
            // Near the length beyond which words are no longer shortened.
            QString word;
            for (int i = 250 + pick(12); i > 0; --i)
                word += QLatin1Char("tabeo"[pick(5)]);
            return pick(2) ? word : QStringLiteral("Part ") + word;
        }
        QString t;
        const int n = 1 + pick(3);
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                t += separators[pick(int(separators.size()))];
            t += words[pick(int(words.size()))];
        }
        if (pick(8) == 0)
            t.prepend(QStringLiteral("("));
        return t;
    }

    /// One outline of up to maxItems items, in one of several shapes.
    OutlineTree next(int maxItems = 40)
    {
        std::vector<std::unique_ptr<MyOutlineItem>> top;
        std::vector<MyOutlineItem*> all;
        const int count = 1 + pick(maxItems);
        const int shape = pick(4); // 0 random, 1 chain, 2 wide, 3 shallow
        for (int i = 0; i < count; ++i) {
            auto item = std::make_unique<MyOutlineItem>(title(), QStringLiteral("%1/@loc/0x/%2y/").arg(i).arg(pick(3)));
            MyOutlineItem* parent = nullptr;
            if (!all.empty()) {
                switch (shape) {
                case 1:
                    parent = pick(6) == 0 ? nullptr
                                          : all[all.size() - 1 - std::size_t(pick(std::min<int>(2, int(all.size()))))];
                    break;
                case 2:
                    parent = pick(5) == 0 ? nullptr : all[0];
                    break;
                case 3:
                    parent = pick(3) == 0 ? nullptr : all[std::size_t(pick(std::min<int>(3, int(all.size()))))];
                    break;
                default:
                    parent = pick(4) == 0 ? nullptr : all[std::size_t(pick(int(all.size())))];
                }
            }
            if (parent) {
                all.push_back(parent->appendChild(std::move(item)));
            } else {
                top.push_back(std::move(item));
                all.push_back(top.back().get());
            }
        }
        return OutlineTree(std::move(top));
    }

    /// The page labels of a document with such an outline: often roman front matter, then
    /// arabic numbers, at times a label shared by two pages, one that is a title word or one
    /// with a blank.
    QStringList pageLabels()
    {
        static const QStringList roman = { "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix", "x", "xi", "xii" };
        static const QStringList odd = { "index", "a", "intro", "chapter.1", "Cover Page", "A-1", "IV" };
        QStringList labels;
        if (pick(3) != 0)
            labels << roman.mid(0, 1 + pick(int(roman.size())));
        for (int n = 1, last = 1 + pick(40); n <= last; ++n)
            labels << QString::number(n);
        if (pick(4) == 0)
            labels.insert(pick(int(labels.size())), labels[pick(int(labels.size()))]);
        if (pick(4) == 0)
            labels.insert(pick(int(labels.size())), odd[pick(int(odd.size()))]);
        return labels;
    }

    int pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(m_random); }

private:
    std::mt19937 m_random;
};

/// A tree shaped like a large manual: parts, chapters, sections and
/// subsections with numbered titles and recurring section names, count items
/// in all (about).
inline OutlineTree manualLikeOutline(int count, unsigned seed = 1)
{
    std::mt19937 random(seed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    static const QStringList recurring = {
        QStringLiteral("Introduction"),
        QStringLiteral("Overview"),
        QStringLiteral("Examples"),
        QStringLiteral("Syntax"),
        QStringLiteral("Options"),
        QStringLiteral("Return Value"),
        QStringLiteral("Errors"),
        QStringLiteral("See Also"),
        QStringLiteral("Notes"),
        QStringLiteral("Description"),
    };
    static const QStringList words = {
        QStringLiteral("Matrix"),
        QStringLiteral("Functions"),
        QStringLiteral("Strings"),
        QStringLiteral("Data"),
        QStringLiteral("Input"),
        QStringLiteral("Output"),
        QStringLiteral("Plotting"),
        QStringLiteral("Graphics"),
        QStringLiteral("Arithmetic"),
        QStringLiteral("Linear"),
        QStringLiteral("Algebra"),
        QStringLiteral("Sets"),
        QStringLiteral("Statistics"),
        QStringLiteral("Signal"),
        QStringLiteral("Processing"),
        QStringLiteral("Images"),
        QStringLiteral("Audio"),
        QStringLiteral("Objects"),
        QStringLiteral("Classes"),
        QStringLiteral("Packages"),
        QStringLiteral("Containers"),
        QStringLiteral("Structures"),
        QStringLiteral("Cell"),
        QStringLiteral("Arrays"),
        QStringLiteral("Errors"),
        QStringLiteral("Warnings"),
        QStringLiteral("Debugging"),
        QStringLiteral("Files"),
        QStringLiteral("Evaluation"),
        QStringLiteral("Expressions"),
        QStringLiteral("Operators"),
        QStringLiteral("Variables"),
        QStringLiteral("Statements"),
        QStringLiteral("Loops"),
        QStringLiteral("Sparse"),
        QStringLiteral("Numerical"),
        QStringLiteral("Integration"),
        QStringLiteral("Differential"),
        QStringLiteral("Equations"),
        QStringLiteral("Optimization"),
        QStringLiteral("Polynomial"),
        QStringLiteral("Interpolation"),
        QStringLiteral("Geometry"),
        QStringLiteral("System"),
        QStringLiteral("Utilities"),
        QStringLiteral("Java"),
        QStringLiteral("Interface"),
        QStringLiteral("Testing"),
    };
    auto phrase = [&](int n) {
        QStringList p;
        for (int i = 0; i < n; ++i)
            p << words[pick(int(words.size()))];
        return p.join(QLatin1Char(' '));
    };

    std::vector<std::unique_ptr<MyOutlineItem>> top;
    int made = 0;
    int page = 1;
    auto make = [&](const QString& title) {
        ++made;
        page += pick(3);
        return std::make_unique<MyOutlineItem>(
            title, QStringLiteral("%1/@loc/72x/%2y/").arg(page).arg(700 - pick(600)));
    };
    top.push_back(make(QStringLiteral("Preface")));
    for (int chapter = 1; made < count; ++chapter) {
        MyOutlineItem* c = top.emplace_back(make(QStringLiteral("%1 %2").arg(chapter).arg(phrase(1 + pick(2))))).get();
        const int sections = 3 + pick(12);
        for (int s = 1; s <= sections && made < count; ++s) {
            const QString title = pick(3) == 0
                ? recurring[pick(int(recurring.size()))]
                : QStringLiteral("%1.%2 %3").arg(chapter).arg(s).arg(phrase(1 + pick(3)));
            MyOutlineItem* sec = c->appendChild(make(title));
            const int subsections = pick(3) == 0 ? 0 : pick(8);
            for (int u = 1; u <= subsections && made < count; ++u) {
                const QString sub = pick(4) == 0
                    ? recurring[pick(int(recurring.size()))]
                    : QStringLiteral("%1.%2.%3 %4").arg(chapter).arg(s).arg(u).arg(phrase(1 + pick(3)));
                MyOutlineItem* subItem = sec->appendChild(make(sub));
                if (pick(6) == 0)
                    for (int e = 0; e < 1 + pick(3) && made < count; ++e)
                        subItem->appendChild(make(recurring[pick(int(recurring.size()))]));
            }
        }
    }
    return OutlineTree(std::move(top));
}

} // namespace tolvo::testing
