// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/core/CoreAccess.h"

#include "pdf/PageSpace.h"

#include <Catalog.h>
#include <Link.h>
#include <PDFDoc.h>
#include <Page.h>
#include <goo/GooString.h>

#include <algorithm>

namespace tolvo::pdf {

namespace {

QRectF rectOf(const PDFRectangle* r)
{
    if (!r)
        return {};
    return QRectF(QPointF(std::min(r->x1, r->x2), std::min(r->y1, r->y2)),
        QPointF(std::max(r->x1, r->x2), std::max(r->y1, r->y2)));
}

quint64 keyOf(const Ref& ref)
{
    return (quint64(quint32(ref.num)) << 32) | quint32(ref.gen);
}

// A coordinate written as null keeps the value of the corner that shows top-left.
std::optional<QPointF> pointOf(const LinkDest& dest, const PageGeometry& geometry)
{
    const PageTransform transform(geometry.cropBox, geometry.rotation);
    const QPointF corner = transform.displayTopLeft();
    switch (dest.getKind()) {
    case destXYZ:
        if (!dest.getChangeLeft() && !dest.getChangeTop())
            return std::nullopt;
        return QPointF(
            dest.getChangeLeft() ? dest.getLeft() : corner.x(), dest.getChangeTop() ? dest.getTop() : corner.y());
    case destFitH:
    case destFitBH:
        if (!dest.getChangeTop())
            return std::nullopt;
        return QPointF(corner.x(), dest.getTop());
    case destFitV:
    case destFitBV:
        if (!dest.getChangeLeft())
            return std::nullopt;
        return QPointF(dest.getLeft(), corner.y());
    case destFitR:
        return transform.displayTopLeftOf(
            QRectF(QPointF(dest.getLeft(), dest.getBottom()), QPointF(dest.getRight(), dest.getTop())).normalized());
    case destFit:
    case destFitB:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<QRectF> rectangleOf(const Object& array)
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
    return QRectF(
        QPointF(std::min(v[0], v[2]), std::min(v[1], v[3])), QPointF(std::max(v[0], v[2]), std::max(v[1], v[3])));
}

PageGeometry pageGeometryOf(PDFDoc& doc, int pageIndex)
{
    PageGeometry geometry;
    if (pageIndex < 0 || pageIndex >= doc.getNumPages())
        return geometry;
    Page* page = doc.getPage(pageIndex + 1);
    if (!page)
        return geometry;
    geometry.mediaBox = rectOf(page->getMediaBox());
    geometry.cropBox = rectOf(page->getCropBox());
    geometry.rotation = normalisedRotation(page->getRotate());
    return geometry;
}

DestinationResolver::DestinationResolver(PDFDoc& doc)
    : m_doc(doc)
{
}

int DestinationResolver::pageIndexOf(const Ref& ref)
{
    if (!m_mapped) {
        m_mapped = true;
        Catalog* catalog = m_doc.getCatalog();
        const int count = m_doc.getNumPages();
        m_pageByRef.reserve(count);
        for (int i = 0; i < count; ++i)
            if (const Ref* pageRef = catalog->getPageRef(i + 1))
                m_pageByRef.insert(keyOf(*pageRef), i);
    }
    return m_pageByRef.value(keyOf(ref), -1);
}

std::optional<Destination> DestinationResolver::resolve(const LinkDest& dest)
{
    if (!dest.isOk())
        return std::nullopt;
    // A page given as a number counts from 0 in the array; Poppler stores it counted from 1. The number
    // is the file's own, any int at all (Poppler's + 1 wraps INT_MAX to INT_MIN), so it is checked wide.
    const qint64 index = dest.isPageRef() ? pageIndexOf(dest.getPageRef()) : qint64(dest.getPageNum()) - 1;
    if (index < 0 || index >= m_doc.getNumPages())
        return std::nullopt;
    Destination destination;
    destination.pageIndex = int(index);
    destination.point = pointOf(dest, pageGeometryOf(m_doc, int(index)));
    return destination;
}

std::optional<Destination> DestinationResolver::resolve(const LinkAction* action)
{
    if (!action || action->getKind() != actionGoTo)
        return std::nullopt;
    const auto* goTo = static_cast<const LinkGoTo*>(action);
    if (const LinkDest* dest = goTo->getDest())
        return resolve(*dest);
    if (const GooString* name = goTo->getNamedDest())
        if (const std::unique_ptr<LinkDest> named = findNamed(*name))
            return resolve(*named);
    return std::nullopt;
}

std::unique_ptr<LinkDest> DestinationResolver::findNamed(const GooString& name)
{
    if (std::unique_ptr<LinkDest> found = m_doc.findDest(&name))
        return found;
    // Poppler looks in the name tree only when the catalog has no /Dests dictionary; a PDF with both
    // keeps destinations in each.
    Catalog* catalog = m_doc.getCatalog();
    if (!m_namesIndexed) {
        m_namesIndexed = true;
        for (int i = 0; i < catalog->numDestNameTree(); ++i)
            if (const GooString* entry = catalog->getDestNameTreeName(i))
                m_nameTreeIndex.insert(QByteArray::fromStdString(entry->toStr()), i);
    }
    const auto it = m_nameTreeIndex.constFind(QByteArray::fromStdString(name.toStr()));
    return it == m_nameTreeIndex.constEnd() ? nullptr : catalog->getDestNameTreeDest(*it);
}

} // namespace tolvo::pdf
