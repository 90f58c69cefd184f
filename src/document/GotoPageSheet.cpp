// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/GotoPageSheet.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace tolvo {

GotoPageSheet::GotoPageSheet(QWidget* window)
    : TaggedSheet(window)
{
    setWindowTitle(tr("Go To"));
    auto* label = new QLabel(tr("Page label, table of contents path or location:"), this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("gotoPDFPageTextField"));
    m_field->setMinimumWidth(320);
    label->setBuddy(m_field);
    contentLayout()->addWidget(label);
    contentLayout()->addWidget(m_field);
    addButton(tr("Cancel"), 0);
    addButton(tr("Go"), 1, true);
}

} // namespace tolvo
