// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

namespace tolvo {

SegmentedControl::SegmentedControl(const QStringList& labels, Mode mode, QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
    , m_mode(mode)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_group->setExclusive(mode == Mode::Selecting);
    for (int i = 0; i < int(labels.size()); ++i) {
        auto* button = new QToolButton(this);
        button->setText(labels[i]);
        button->setCheckable(mode == Mode::Selecting);
        button->setAutoRaise(false);
        m_group->addButton(button, i);
        layout->addWidget(button);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::segmentClicked);
}

int SegmentedControl::segmentCount() const
{
    return int(m_group->buttons().size());
}

int SegmentedControl::selectedSegment() const
{
    return m_mode == Mode::Selecting ? m_group->checkedId() : -1;
}

void SegmentedControl::setSelectedSegment(int segment)
{
    if (m_mode != Mode::Selecting)
        return;
    if (QAbstractButton* button = m_group->button(segment)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button; it is let go for a moment.
    m_group->setExclusive(false);
    for (QAbstractButton* button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

QAbstractButton* SegmentedControl::segment(int index) const
{
    return m_group->button(index);
}

} // namespace tolvo
