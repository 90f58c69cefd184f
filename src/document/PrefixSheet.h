// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The prefix sheet: the link prefix of this PDF, to be typed.

#include "widgets/TaggedSheet.h"

class QLabel;
class QLineEdit;

namespace tolvo {

/// prefixWindow: prefixText holds the prefix, prefixPathControl shows the PDF's path;
/// the confirming button has tag 1, "Cancel" tag 0.
class PrefixSheet : public TaggedSheet {
    Q_OBJECT
public:
    explicit PrefixSheet(QWidget* window);

    /// Fills the field with the prefix and shows the PDF's path.
    void fill(const QString& prefix, const QString& pdfPath);

    QLineEdit* prefixText() const { return m_prefixText; }
    QLabel* prefixPathControl() const { return m_path; }

private:
    QLineEdit* m_prefixText;
    QLabel* m_path;
};

} // namespace tolvo
