// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TaggedSheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvo {

TaggedSheet::TaggedSheet(QWidget* window)
    : QDialog(window)
{
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    m_content = new QVBoxLayout;
    layout->addLayout(m_content);
    m_buttons = new QHBoxLayout;
    m_buttons->addStretch(1);
    layout->addLayout(m_buttons);
}

QPushButton* TaggedSheet::addButton(const QString& text, int tag, bool isDefault)
{
    auto* button = new QPushButton(text, this);
    button->setDefault(isDefault);
    button->setAutoDefault(isDefault);
    m_buttons->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, tag] { emit buttonFired(tag); });
    return button;
}

void TaggedSheet::begin()
{
    open();
    raise();
    activateWindow();
}

} // namespace tolvo
