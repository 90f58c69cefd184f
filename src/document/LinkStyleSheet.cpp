// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/LinkStyleSheet.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>

namespace tolvo {

LinkStyleSheet::LinkStyleSheet(QWidget* window)
    : TaggedSheet(window)
    , m_matrix(new QButtonGroup(this))
{
    setWindowTitle(tr("Link Style"));
    contentLayout()->addWidget(new QLabel(tr("Show rich-text links as:"), this));
    const QString choices[] = {
        tr("Expanded: tolvo://prefix/12/"),
        tr("Condensed: prefix/12/"),
        tr("Condensed, with the titles of table of contents links: prefix/Introduction/"),
    };
    for (int tag = 0; tag < 3; ++tag) {
        auto* cell = new QRadioButton(choices[tag], this);
        m_matrix->addButton(cell, tag);
        contentLayout()->addWidget(cell);
    }
    addButton(tr("Cancel"), 0);
    addButton(tr("OK"), 1, true);
}

int LinkStyleSheet::selectedTag() const
{
    return m_matrix->checkedId();
}

void LinkStyleSheet::selectCellWithTag(int tag)
{
    if (QAbstractButton* cell = m_matrix->button(tag))
        cell->setChecked(true);
}

} // namespace tolvo
