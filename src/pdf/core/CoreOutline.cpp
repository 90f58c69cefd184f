// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreOutline.h"

#include "pdf/core/CoreAccess.h"
#include "pdf/core/CoreText.h"

#include <Link.h>
#include <Object.h>
#include <PDFDoc.h>
#include <XRef.h>

#include <set>

namespace tolvo::pdf {

namespace {

class OutlineWalk {
public:
    OutlineWalk(PDFDoc& doc, const OutlineLimits& limits)
        : m_xref(doc.getXRef())
        , m_limits(limits)
        , m_resolver(doc)
    {
    }

    // Siblings from first along /Next; depth counts from 1 at the top level.
    /// Marks an object as read already (the outline root, so that no item leads back to it).
    void markSeen(const Object& ref)
    {
        if (ref.isRef())
            m_seen.insert({ ref.getRefNum(), ref.getRefGen() });
    }

    std::vector<OutlineEntry> readList(const Object& first, int depth)
    {
        std::vector<OutlineEntry> entries;
        Object current = first.copy();
        while (current.isRef() && m_count < m_limits.maxEntries) {
            // A revisit means a loop or an item shared by two lists: end this list.
            if (!m_seen.insert({ current.getRefNum(), current.getRefGen() }).second)
                break;
            const Object item = current.fetch(m_xref);
            if (!item.isDict())
                break;
            ++m_count;
            entries.push_back(readItem(item, depth));
            current = item.dictLookupNF("Next").copy();
        }
        return entries;
    }

private:
    OutlineEntry readItem(const Object& item, int depth)
    {
        OutlineEntry entry;
        entry.title = textOf(item.dictLookup("Title")).value_or(QString());
        const Object dest = item.dictLookup("Dest");
        std::unique_ptr<LinkAction> action;
        if (!dest.isNull()) {
            action = LinkAction::parseDest(&dest);
        } else {
            const Object a = item.dictLookup("A");
            if (!a.isNull())
                action = LinkAction::parseAction(&a);
        }
        entry.destination = m_resolver.resolve(action.get());
        if (depth < m_limits.maxDepth)
            entry.children = readList(item.dictLookupNF("First"), depth + 1);
        return entry;
    }

    XRef* m_xref;
    OutlineLimits m_limits;
    DestinationResolver m_resolver;
    std::set<std::pair<int, int>> m_seen;
    int m_count = 0;
};

} // namespace

std::vector<OutlineEntry> readOutline(PDFDoc& doc, const OutlineLimits& limits)
{
    XRef* xref = doc.getXRef();
    if (!xref)
        return {};
    const Object catalog = xref->getCatalog();
    if (!catalog.isDict())
        return {};
    const Object outlines = catalog.dictLookup("Outlines");
    if (!outlines.isDict())
        return {};
    OutlineWalk walk(doc, limits);
    walk.markSeen(catalog.dictLookupNF("Outlines"));
    return walk.readList(outlines.dictLookupNF("First"), 1);
}

} // namespace tolvo::pdf
