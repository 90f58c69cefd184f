// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A row of buttons that act as the segments of one control.

#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QAbstractButton;

namespace tolvo {

/// Segments numbered from 0 in the order given. A selecting control keeps one segment selected
/// (the link style); a momentary one only reports the click (the insert command).
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Selecting, Momentary };

    SegmentedControl(const QStringList& labels, Mode mode, QWidget* parent = nullptr);

    int segmentCount() const;
    /// The selected segment; -1 when none is (always -1 for a momentary control).
    int selectedSegment() const;
    /// Selects a segment without reporting it; an index outside the segments selects none.
    void setSelectedSegment(int segment);
    QAbstractButton* segment(int index) const;

signals:
    /// A segment was clicked by the user, with its index; a selecting control selects it first.
    void segmentClicked(int segment);

private:
    QButtonGroup* m_group;
    Mode m_mode;
};

} // namespace tolvo
