// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exact page geometry and destinations, read through Poppler's core API (the Qt
// wrapper rounds destination points and hides the crop box's origin). Internal to pdf/core.

#include "pdf/PdfDocument.h"

#include <QHash>

#include <memory>
#include <optional>

class GooString;
class LinkAction;
class LinkDest;
class Object;
class PDFDoc;
struct Ref;

namespace tolvo::pdf {

/// A rectangle array of a dictionary ([x1 y1 x2 y2], corners in any order) in page space; nothing
/// when it is no array of four numbers.
std::optional<QRectF> rectangleOf(const Object& array);

/// The crop box, media box and rotation of a page; an empty geometry for a page that cannot be read.
PageGeometry pageGeometryOf(PDFDoc& doc, int pageIndex);

/// Turns core destinations into page indexes and page-space points.
class DestinationResolver {
public:
    explicit DestinationResolver(PDFDoc& doc);

    /// Where a go-to action leads, its named destination looked up; nothing for other actions
    /// and for destinations that name no page of this document.
    std::optional<Destination> resolve(const LinkAction* action);
    std::optional<Destination> resolve(const LinkDest& dest);

    /// The index of the page object ref; -1 when it is no page of this document.
    int pageIndexOf(const Ref& ref);

private:
    /// A named destination, from /Dests or the name tree.
    std::unique_ptr<LinkDest> findNamed(const GooString& name);

    PDFDoc& m_doc;
    QHash<quint64, int> m_pageByRef; ///< filled on first use
    bool m_mapped = false;
    QHash<QByteArray, int> m_nameTreeIndex; ///< filled when /Dests does not answer
    bool m_namesIndexed = false;
};

} // namespace tolvo::pdf
