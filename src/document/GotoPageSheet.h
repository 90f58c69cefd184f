// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The go-to sheet: a text field for a page label, a TOC title path or a location.

#include "widgets/TaggedSheet.h"

class QLineEdit;

namespace tolvo {

/// gotoPDFPagePanel: "Go" has tag 1, "Cancel" tag 0.
class GotoPageSheet : public TaggedSheet {
    Q_OBJECT
public:
    explicit GotoPageSheet(QWidget* window);

    QLineEdit* gotoPDFPageTextField() const { return m_field; }

private:
    QLineEdit* m_field;
};

} // namespace tolvo
