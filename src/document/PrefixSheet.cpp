// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PrefixSheet.h"

#include <QBoxLayout>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

namespace tolvo {

PrefixSheet::PrefixSheet(QWidget* window)
    : TaggedSheet(window)
{
    setWindowTitle(tr("Link Prefix"));
    auto* label = new QLabel(tr("Links to this PDF start with tolvo:// and this prefix:"), this);
    m_prefixText = new QLineEdit(this);
    m_prefixText->setObjectName(QStringLiteral("prefixText"));
    m_prefixText->setMinimumWidth(360);
    label->setBuddy(m_prefixText);
    m_path = new QLabel(this);
    m_path->setObjectName(QStringLiteral("prefixPathControl"));
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_path->setWordWrap(true);
    contentLayout()->addWidget(label);
    contentLayout()->addWidget(m_prefixText);
    contentLayout()->addWidget(m_path);
    addButton(tr("Cancel"), 0);
    addButton(tr("Set Prefix"), 1, true);
}

void PrefixSheet::fill(const QString& prefix, const QString& pdfPath)
{
    m_prefixText->setText(prefix);
    m_prefixText->selectAll();
    m_path->setText(QDir::toNativeSeparators(pdfPath));
}

} // namespace tolvo
