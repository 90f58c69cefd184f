// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One notes area's text view.

#include <QTextEdit>

namespace tolvo {

/// A rich-text editor that also takes pasted and dropped RTF (through our reader)
/// when no HTML comes with it.
class NotesTextView : public QTextEdit {
    Q_OBJECT
public:
    explicit NotesTextView(QWidget* parent = nullptr);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace tolvo
