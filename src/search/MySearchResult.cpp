// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/MySearchResult.h"

#include "links/LinkGrammar.h"
#include "outline/OutlineTree.h"

namespace tolvo {

QString MySearchResult::moreInfoClassName() const
{
    if (std::holds_alternative<const MyOutlineItem*>(resultMoreInfo) && outlineItem())
        return QStringLiteral("MyOutlineItem");
    if (std::holds_alternative<pdf::TextSelection>(resultMoreInfo))
        return QStringLiteral("TextSelection");
    return QStringLiteral("(null)");
}

const MyOutlineItem* MySearchResult::outlineItem() const
{
    const MyOutlineItem* const* item = std::get_if<const MyOutlineItem*>(&resultMoreInfo);
    return item ? *item : nullptr;
}

QString MySearchResult::debugDescription() const
{
    return QStringLiteral("pg[%1/i%2] type %3 and contents [%4], more info object class <%5>")
        .arg(pageLabel, QString::number(pageIndex), resultType, resultDescription, moreInfoClassName());
}

QString textResultDescription(const QString& typed, quint64 count, const QString& pageLabel)
{
    if (count <= 1)
        return QStringLiteral("\"%1\" found on page %2").arg(typed, pageLabel);
    return QStringLiteral("\"%1\" found %2 times on page %3").arg(typed, QString::number(count), pageLabel);
}

std::vector<MySearchResult> tocResults(
    const OutlineTree& tree, const QString& query, const QHash<QString, int>& pageLabel2pageIndex)
{
    std::vector<MySearchResult> results;
    for (const OutlineTree::Items& bucket : tree.moiDepthArray()) {
        for (const MyOutlineItem* item : bucket) {
            if (!item->pageTitle().toLower().contains(query))
                continue;
            const QString label = cleanPageLabel(item->pageLabel());
            MySearchResult result;
            result.resultType = QLatin1String(kResultTypeTOC);
            result.pageLabel = item->pageLabel();
            result.resultDescription
                = QStringLiteral("TOC item \"%1\" starts on page %2").arg(item->pageTitle(), label);
            result.pageIndex = quint64(pageLabel2pageIndex.value(label, 0));
            result.resultCountOnPage = 1;
            result.resultMoreInfo = item;
            results.push_back(std::move(result));
        }
    }
    return results;
}

std::vector<MySearchResult> annotationResults(const std::vector<AnnotationRecord>& records, const QString& query)
{
    std::vector<MySearchResult> results;
    for (const AnnotationRecord& record : records) {
        const QString lower = record.text.toLower();
        if (!lower.contains(query))
            continue;
        MySearchResult result;
        result.resultType = record.type;
        result.pageLabel = record.pageLabel;
        result.resultDescription = QStringLiteral("%1 annotation \"%2\"").arg(record.type, lower);
        // The record knows its page: a label that several pages share would lead to the last of them.
        result.pageIndex = quint64(std::max(record.pageIndex, 0));
        result.resultCountOnPage = 1;
        result.resultMoreInfo = record.selection;
        results.push_back(std::move(result));
    }
    return results;
}

bool isSearchableQuery(const QString& query)
{
    for (const QStringView piece : QStringView(query).split(QLatin1Char(' ')))
        if (!piece.isEmpty())
            return true;
    return false;
}

} // namespace tolvo
