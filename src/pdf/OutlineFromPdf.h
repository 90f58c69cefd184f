// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outline tree of a PDF: the PDF's outline entries seen through the
// outline node interface.

#include "outline/OutlineNode.h"
#include "outline/OutlineTree.h"

#include <memory>

namespace tolvo {

namespace pdf {
class Document;
}

/// The root of the PDF's outline as an outline node; its children are the
/// top-level entries. An entry's destination is its page's label with the
/// destination point, or the top-left corner of the page as displayed when the
/// PDF names no point. An entry that leads nowhere (no destination, or a page
/// the PDF does not have) leads where its first descendant with a destination
/// leads, as a reader of the outline expects of a heading.
std::unique_ptr<OutlineNode> pdfOutlineRoot(const pdf::Document& document);

/// The document's outline tree, heights and buckets made, knowing the page labels.
OutlineTree outlineTreeForPdf(const pdf::Document& document);

} // namespace tolvo
