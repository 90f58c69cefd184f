// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The go-to sheet: a text field for a page label, a TOC title path or a location.

#include "widgets/TaggedSheet.h"

class QLabel;
class QLineEdit;

namespace tolvo {

/// gotoPDFPagePanel: "Go" has tag 1, "Cancel" tag 0.
class GotoPageSheet : public TaggedSheet {
    Q_OBJECT
public:
    explicit GotoPageSheet(QWidget* window);

    QLineEdit* gotoPDFPageTextField() const { return m_field; }
    /// Shows why the text leads nowhere, under the field, until the text is changed or the
    /// sheet shows again; an empty text hides it.
    void showMessage(const QString& message);
    QString message() const;

private:
    QLineEdit* m_field;
    QLabel* m_message;
};

} // namespace tolvo
