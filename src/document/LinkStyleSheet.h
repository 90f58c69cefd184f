// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The link style sheet: which of the three link styles rich links are shown in.

#include "widgets/TaggedSheet.h"

class QButtonGroup;

namespace tolvo {

/// urlRichTextSheet: three choices tagged 0 (expanded), 1 (condensed), 2 (condensed with TOC
/// titles) in matrixURLRichTextPreference; "Cancel" ends it with tag 0, "OK" with tag 1.
class LinkStyleSheet : public TaggedSheet {
    Q_OBJECT
public:
    explicit LinkStyleSheet(QWidget* window);

    QButtonGroup* matrixURLRichTextPreference() const { return m_matrix; }
    /// The tag of the chosen cell; -1 when none is chosen.
    int selectedTag() const;
    /// Chooses the cell of a tag; any other value leaves the choice as it is.
    void selectCellWithTag(int tag);

private:
    QButtonGroup* m_matrix;
};

} // namespace tolvo
