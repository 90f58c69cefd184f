// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF's outline as outline nodes.
#include "pdf/OutlineFromPdf.h"

#include "pdf/PdfDocument.h"

#include <QStringList>

#include <unordered_map>
#include <vector>

namespace tolvo {

namespace {

// What every node shares: the entries, the page labels, and the destination
// each entry ends up with.
struct PdfOutline {
    std::vector<pdf::OutlineEntry> entries;
    QStringList labels;
    std::unordered_map<const pdf::OutlineEntry*, OutlineNodeDestination> destinations;
};

QPointF displayedTopLeft(const pdf::PageGeometry& geometry)
{
    const QRectF box = geometry.cropBox; // page space: y() is the lower edge
    const double lower = box.y();
    const double upper = box.y() + box.height();
    switch (geometry.rotation) {
    case 90:
        return QPointF(box.left(), lower);
    case 180:
        return QPointF(box.right(), lower);
    case 270:
        return QPointF(box.right(), upper);
    default:
        return QPointF(box.left(), upper);
    }
}

std::optional<OutlineNodeDestination> ownDestination(
    const pdf::OutlineEntry& entry, const QStringList& labels, const pdf::Document& document)
{
    if (!entry.destination || entry.destination->pageIndex < 0 || entry.destination->pageIndex >= labels.size())
        return std::nullopt;
    const int page = entry.destination->pageIndex;
    const QPointF point
        = entry.destination->point ? *entry.destination->point : displayedTopLeft(document.pageGeometry(page));
    return OutlineNodeDestination { labels[page], point };
}

// Children before parents, with an explicit stack: an entry without a
// destination takes the one of its first child that has one.
void resolveDestinations(PdfOutline& outline, const pdf::Document& document)
{
    struct Frame {
        const pdf::OutlineEntry* entry;
        bool childrenDone;
    };
    std::vector<Frame> stack;
    for (auto it = outline.entries.rbegin(); it != outline.entries.rend(); ++it)
        stack.push_back({ &*it, false });
    while (!stack.empty()) {
        Frame frame = stack.back();
        stack.pop_back();
        if (!frame.childrenDone) {
            stack.push_back({ frame.entry, true });
            for (auto it = frame.entry->children.rbegin(); it != frame.entry->children.rend(); ++it)
                stack.push_back({ &*it, false });
            continue;
        }
        std::optional<OutlineNodeDestination> destination = ownDestination(*frame.entry, outline.labels, document);
        for (std::size_t i = 0; !destination && i < frame.entry->children.size(); ++i) {
            const auto found = outline.destinations.find(&frame.entry->children[i]);
            if (found != outline.destinations.end())
                destination = found->second;
        }
        if (destination)
            outline.destinations.emplace(frame.entry, *destination);
    }
}

class PdfOutlineNode : public OutlineNode {
public:
    PdfOutlineNode(std::shared_ptr<const PdfOutline> outline, const pdf::OutlineEntry* entry)
        : m_outline(std::move(outline))
        , m_entry(entry)
    {
    }

    int numberOfChildren() const override { return int(children().size()); }

    std::unique_ptr<OutlineNode> childAtIndex(int index) const override
    {
        return std::make_unique<PdfOutlineNode>(m_outline, &children()[std::size_t(index)]);
    }

    QString label() const override { return m_entry ? m_entry->title : QString(); }

    std::optional<OutlineNodeDestination> destination() const override
    {
        if (!m_entry)
            return std::nullopt;
        const auto found = m_outline->destinations.find(m_entry);
        if (found == m_outline->destinations.end())
            return std::nullopt;
        return found->second;
    }

private:
    const std::vector<pdf::OutlineEntry>& children() const { return m_entry ? m_entry->children : m_outline->entries; }

    std::shared_ptr<const PdfOutline> m_outline;
    const pdf::OutlineEntry* m_entry; ///< nothing for the root
};

} // namespace

std::unique_ptr<OutlineNode> pdfOutlineRoot(const pdf::Document& document)
{
    auto outline = std::make_shared<PdfOutline>();
    outline->entries = document.outline();
    outline->labels = document.pageLabels();
    resolveDestinations(*outline, document);
    return std::make_unique<PdfOutlineNode>(std::move(outline), nullptr);
}

OutlineTree outlineTreeForPdf(const pdf::Document& document)
{
    const std::unique_ptr<OutlineNode> root = pdfOutlineRoot(document);
    OutlineTree tree = OutlineTree::fromOutlineRoot(root.get());
    tree.setPageLabels(document.pageLabels());
    return tree;
}

} // namespace tolvo
