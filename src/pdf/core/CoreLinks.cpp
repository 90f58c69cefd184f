// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreLinks.h"

#include "pdf/core/CoreAccess.h"

#include <Link.h>
#include <Object.h>
#include <PDFDoc.h>
#include <Page.h>

#include <algorithm>
#include <cmath>

namespace tolvo::pdf {

namespace {

// The named actions a reader is expected to carry out; PDF writers use no others for navigation.
constexpr const char* kNamedActions[] = { "NextPage", "PrevPage", "FirstPage", "LastPage", "GoBack", "GoForward" };

std::optional<QRectF> areaOf(const Object& array)
{
    if (!array.isArray() || array.arrayGetLength() != 4)
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const Object n = array.arrayGet(i);
        if (!n.isNum())
            return std::nullopt;
        v[i] = n.getNum();
    }
    const QRectF area(
        QPointF(std::min(v[0], v[2]), std::min(v[1], v[3])), QPointF(std::max(v[0], v[2]), std::max(v[1], v[3])));
    if (!std::isfinite(area.width()) || !std::isfinite(area.height()) || area.isEmpty())
        return std::nullopt;
    return area;
}

std::optional<PageLink> linkFrom(const LinkAction& action, DestinationResolver& destinations)
{
    PageLink link;
    switch (action.getKind()) {
    case actionGoTo:
        if (const std::optional<Destination> destination = destinations.resolve(&action)) {
            link.kind = PageLink::Kind::Destination;
            link.destination = *destination;
            return link;
        }
        break;
    case actionURI: {
        const std::string& uri = static_cast<const LinkURI&>(action).getURI();
        if (uri.empty())
            break;
        link.kind = PageLink::Kind::Uri;
        link.target = QString::fromUtf8(uri.data(), qsizetype(uri.size())).trimmed();
        return link;
    }
    case actionNamed: {
        const std::string& name = static_cast<const LinkNamed&>(action).getName();
        for (const char* known : kNamedActions) {
            if (name == known) {
                link.kind = PageLink::Kind::Named;
                link.target = QString::fromLatin1(known);
                return link;
            }
        }
        break;
    }
    default:
        break;
    }
    return std::nullopt;
}

} // namespace

std::vector<PageLink> readLinks(PDFDoc& doc, DestinationResolver& destinations, int pageIndex)
{
    std::vector<PageLink> result;
    if (pageIndex < 0 || pageIndex >= doc.getNumPages())
        return result;
    Page* page = doc.getPage(pageIndex + 1);
    if (!page)
        return result;
    const Object annots = page->getAnnotsObject();
    if (!annots.isArray())
        return result;
    for (int i = 0; i < annots.arrayGetLength(); ++i) {
        const Object dict = annots.arrayGet(i);
        if (!dict.isDict())
            continue;
        const Object subtype = dict.dictLookup("Subtype");
        if (!subtype.isName("Link"))
            continue;
        const std::optional<QRectF> area = areaOf(dict.dictLookup("Rect"));
        if (!area)
            continue;
        // /Dest wins over /A, as in every reader: a link carries one or the other.
        std::unique_ptr<LinkAction> action;
        const Object dest = dict.dictLookup("Dest");
        if (!dest.isNull())
            action = std::make_unique<LinkGoTo>(&dest);
        else if (const Object a = dict.dictLookup("A"); a.isDict())
            action = LinkAction::parseAction(&a);
        if (!action || !action->isOk())
            continue;
        if (std::optional<PageLink> link = linkFrom(*action, destinations)) {
            link->area = *area;
            result.push_back(std::move(*link));
        }
    }
    return result;
}

} // namespace tolvo::pdf
