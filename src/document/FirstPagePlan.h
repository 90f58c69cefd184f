// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The first page a new window will show, and the scale and style it will show it at, foreseen
// before the window is made: from the page view the last windows showed (FirstViewMemory), the
// place remembered for the PDF (its window size, zoom and display mode) and the night mode.

#include "pdf/PdfDocument.h"
#include "render/PageAhead.h"

#include <QString>

#include <optional>

namespace tolvo {

/// What a window's first page depends on besides the PDF.
struct FirstPageInputs {
    PageStyle style = PageStyle::Day;
    QString placesPath; ///< the place memory's file; empty: places are not remembered
    QString firstViewsPath; ///< the FirstViewMemory's file
};

/// The page a plan draws for a PDF without a remembered place: a new window shows the top of the
/// first page. A PDF opened before shows the page it was left at.
inline constexpr int kFirstPlannedPage = 0;

/// The drawing of the page a window made for the PDF at path will show first; nothing when it
/// cannot be foreseen (no window has shown yet, or the PDF has no pages).
std::optional<pageview::PageAhead::Plan> planFirstPage(
    const pdf::Document& document, const QString& path, const FirstPageInputs& inputs);

} // namespace tolvo
