// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Location links made in the page view: the place of a selection, the user
// font, and the texts that Copy and the grab command make of a selection.

#include "links/LinkText.h"
#include "pdf/PdfDocument.h"

#include <optional>

namespace tolvo {

class Defaults;

/// The user font for copied rich text (name and size from the store) when a font of that name
/// is installed; nothing otherwise, and the text keeps the fonts it had.
std::optional<FontSpec> installedUserFont(const Defaults& defaults);

/// The location link of a selection: its first page's label and the top-left corner of its
/// bounds on that page. Nothing for an empty selection.
std::optional<LinkPlace> selectionLinkPlace(const pdf::Document& document, const pdf::TextSelection& selection);

/// What the options of a copy from the page say.
struct SelectionCopyOptions {
    LinkStyle style = LinkStyle::Other;
    bool markdown = false; ///< TolvoShouldUseMarkdownForCopy
    bool appendLink = true; ///< TolvoShouldAppendURLOnCopy
    std::optional<FontSpec> font; ///< the installed user font
};

/// The selection's text with its location link, in both forms.
struct SelectionCopy {
    /// Markdown: the text, then " " and the Markdown link when it is appended.
    QString markdown;
    /// Rich: the text without attributes, then " " and the styled link (never underlined, in the
    /// user font) when it is appended.
    RichText rich;
};

/// The copy of a selection's text with the link of place. The user font is given to the styled
/// link only; Copy gives it to the whole rich text afterwards.
SelectionCopy selectionCopy(
    const QString& text, const QString& prefix, const LinkPlace& place, const SelectionCopyOptions& options);

/// Reads the copy options from the store, at the moment of use.
SelectionCopyOptions selectionCopyOptions(const Defaults& defaults);

} // namespace tolvo
