// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sheet on a document window whose buttons end it with their tag.

#include <QDialog>

class QBoxLayout;
class QPushButton;

namespace tolvo {

/// A window-modal dialog; each button reports its tag through buttonFired, and
/// the owner ends the sheet with done(tag), which becomes the return code.
class TaggedSheet : public QDialog {
    Q_OBJECT
public:
    explicit TaggedSheet(QWidget* window);

    /// Adds a button at the bottom right, in order; the default button answers Return.
    QPushButton* addButton(const QString& text, int tag, bool isDefault = false);
    /// Where the sheet's contents go, above the buttons.
    QBoxLayout* contentLayout() const { return m_content; }

    /// Shows the sheet on its window without blocking.
    void begin();

signals:
    void buttonFired(int tag);

private:
    QBoxLayout* m_content;
    QBoxLayout* m_buttons;
};

} // namespace tolvo
