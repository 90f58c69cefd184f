// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreLinks.h"

#include "pdf/core/CoreAccess.h"

#include <Catalog.h>
#include <Link.h>
#include <Object.h>
#include <PDFDoc.h>
#include <Page.h>
#include <XRef.h>
#include <goo/GooString.h>

#include <QSet>

#include <algorithm>
#include <cmath>
#include <functional>

namespace tolvo::pdf {

namespace {

// The named actions a reader is expected to carry out; PDF writers use no others for navigation.
constexpr const char* kNamedActions[] = { "NextPage", "PrevPage", "FirstPage", "LastPage", "GoBack", "GoForward" };
// A name tree deeper than this, or with more names, is damaged or hostile; what was read counts.
constexpr int kMaxNameTreeDepth = 64;
constexpr int kMaxNames = 2000000;

// A link's area: a rectangle that is finite and not empty, or none.
std::optional<QRectF> areaOf(const Object& array)
{
    const std::optional<QRectF> area = rectangleOf(array);
    if (!area || !std::isfinite(area->width()) || !std::isfinite(area->height()) || area->isEmpty())
        return std::nullopt;
    return area;
}

QByteArray bytesOf(const GooString& text)
{
    return QByteArray(text.c_str(), text.getLength());
}

// A link's action before its destination is looked up.
struct PendingLink {
    PageLink link;
    std::unique_ptr<LinkAction> action;
    QByteArray name; ///< a named destination still to look up
};

// Where /Dest or /A leads; nothing for actions that Tolvo does not follow.
bool describe(PendingLink& pending)
{
    const LinkAction& action = *pending.action;
    switch (action.getKind()) {
    case actionGoTo: {
        const auto& goTo = static_cast<const LinkGoTo&>(action);
        pending.link.kind = PageLink::Kind::Destination;
        if (const GooString* name = goTo.getNamedDest())
            pending.name = bytesOf(*name);
        return true;
    }
    case actionURI: {
        const std::string& uri = static_cast<const LinkURI&>(action).getURI();
        pending.link.kind = PageLink::Kind::Uri;
        pending.link.target = QString::fromUtf8(uri.data(), qsizetype(uri.size())).trimmed();
        return !pending.link.target.isEmpty();
    }
    case actionNamed: {
        const std::string& name = static_cast<const LinkNamed&>(action).getName();
        for (const char* known : kNamedActions) {
            if (name == known) {
                pending.link.kind = PageLink::Kind::Named;
                pending.link.target = QString::fromLatin1(known);
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

// Collects the names of a name tree node and its kids with their values unfetched.
void collectNames(XRef* xref, const Object& node, int depth, QSet<int>& seen,
    QHash<QByteArray, std::pair<int, int>>& names, const std::function<void(const QByteArray&, const Object&)>& add)
{
    if (!node.isDict() || depth > kMaxNameTreeDepth || names.size() >= kMaxNames)
        return;
    const Object pairs = node.dictLookup("Names");
    if (pairs.isArray())
        for (int i = 0; i + 1 < pairs.arrayGetLength(); i += 2) {
            const Object key = pairs.arrayGet(i);
            if (key.isString())
                add(bytesOf(*key.getString()), pairs.arrayGetNF(i + 1));
        }
    const Object kids = node.dictLookup("Kids");
    if (!kids.isArray())
        return;
    for (int i = 0; i < kids.arrayGetLength(); ++i) {
        const Object& kidRef = kids.arrayGetNF(i);
        if (kidRef.isRef()) {
            if (seen.contains(kidRef.getRefNum()))
                continue; // a loop
            seen.insert(kidRef.getRefNum());
        }
        collectNames(xref, kidRef.fetch(xref), depth + 1, seen, names, add);
    }
}

} // namespace

LinkReader::LinkReader(PDFDoc& doc)
    : m_doc(doc)
    , m_resolver(std::make_unique<DestinationResolver>(doc))
{
}

LinkReader::~LinkReader() = default;

void LinkReader::indexNames()
{
    m_indexed = true;
    XRef* xref = m_doc.getXRef();
    Catalog* catalog = m_doc.getCatalog();
    if (!xref || !catalog)
        return;
    auto add = [this](const QByteArray& name, const Object& value) {
        // Direct values are rare and cannot be fetched by number; the general lookup finds them.
        if (value.isRef() && !m_names.contains(name))
            m_names.insert(name, { value.getRefNum(), value.getRefGen() });
    };
    // The /Dests dictionary of older files comes first, as Poppler looks there first.
    if (const Object* dests = catalog->getDests(); dests && dests->isDict())
        for (int i = 0; i < dests->dictGetLength() && m_names.size() < kMaxNames; ++i)
            add(QByteArray(dests->dictGetKey(i)), dests->dictGetValNF(i));
    const Object root = xref->getCatalog();
    const Object names = root.isDict() ? root.dictLookup("Names") : Object();
    if (names.isDict()) {
        QSet<int> seen;
        collectNames(xref, names.dictLookup("Dests"), 0, seen, m_names, add);
    }
}

std::vector<PageLink> LinkReader::links(int pageIndex)
{
    std::vector<PageLink> result;
    if (pageIndex < 0 || pageIndex >= m_doc.getNumPages())
        return result;
    Page* page = m_doc.getPage(pageIndex + 1);
    if (!page)
        return result;
    const Object annots = page->getAnnotsObject();
    if (!annots.isArray())
        return result;
    std::vector<PendingLink> pending;
    for (int i = 0; i < annots.arrayGetLength(); ++i) {
        const Object dict = annots.arrayGet(i);
        if (!dict.isDict() || !dict.dictLookup("Subtype").isName("Link"))
            continue;
        const std::optional<QRectF> area = areaOf(dict.dictLookup("Rect"));
        if (!area)
            continue;
        PendingLink link;
        link.link.area = *area;
        // /Dest wins over /A, as in every reader: a link carries one or the other.
        const Object dest = dict.dictLookup("Dest");
        if (!dest.isNull())
            link.action = std::make_unique<LinkGoTo>(&dest);
        else if (const Object a = dict.dictLookup("A"); a.isDict())
            link.action = LinkAction::parseAction(&a);
        if (link.action && link.action->isOk() && describe(link))
            pending.push_back(std::move(link));
    }

    // Named destinations in the order their objects are stored: those in one object stream are
    // unpacked once, not once for each link.
    if (!m_indexed
        && std::any_of(pending.begin(), pending.end(), [](const PendingLink& p) { return !p.name.isNull(); }))
        indexNames();
    XRef* xref = m_doc.getXRef();
    auto storageKey = [xref](int num) -> std::pair<qint64, qint64> {
        const XRefEntry* entry = num >= 0 && num < xref->getNumObjects() ? xref->getEntry(num, false) : nullptr;
        if (entry && entry->type == xrefEntryCompressed)
            return { entry->offset, entry->gen };
        return { -1, num };
    };
    std::vector<std::pair<std::pair<qint64, qint64>, size_t>> order;
    std::vector<std::optional<Destination>> resolved(pending.size());
    std::vector<bool> looked(pending.size(), false);
    for (size_t i = 0; i < pending.size(); ++i) {
        const QByteArray& name = pending[i].name;
        if (name.isNull())
            continue;
        if (const auto known = m_resolved.constFind(name); known != m_resolved.constEnd()) {
            resolved[i] = *known;
            looked[i] = true;
        } else if (const auto it = m_names.constFind(name); it != m_names.constEnd()) {
            order.push_back({ storageKey(it->first), i });
        }
    }
    std::sort(order.begin(), order.end());
    for (const auto& [key, i] : order) {
        const std::pair<int, int> ref = m_names.value(pending[i].name);
        const Object value = xref->fetch(ref.first, ref.second);
        const Object array = value.isDict() ? value.dictLookup("D") : value.copy();
        if (array.isArray()) {
            const LinkDest dest(array.getArray());
            resolved[i] = m_resolver->resolve(dest);
        }
        looked[i] = true;
        m_resolved.insert(pending[i].name, resolved[i]);
    }
    for (size_t i = 0; i < pending.size(); ++i) {
        PendingLink& link = pending[i];
        if (link.link.kind == PageLink::Kind::Destination) {
            // Names the index does not hold (direct values) go the general way.
            const std::optional<Destination> destination
                = looked[i] ? resolved[i] : m_resolver->resolve(link.action.get());
            if (!destination)
                continue;
            link.link.destination = *destination;
        }
        result.push_back(std::move(link.link));
    }
    return result;
}

} // namespace tolvo::pdf
