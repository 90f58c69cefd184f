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
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("gotoMessage"));
    m_message->setWordWrap(true);
    m_message->hide();
    contentLayout()->addWidget(label);
    contentLayout()->addWidget(m_field);
    contentLayout()->addWidget(m_message);
    connect(m_field, &QLineEdit::textEdited, this, [this] { showMessage(QString()); });
    addButton(tr("Cancel"), 0);
    addButton(tr("Go"), 1, true);
}

void GotoPageSheet::showMessage(const QString& message)
{
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
}

QString GotoPageSheet::message() const
{
    return m_message->text();
}

} // namespace tolvo
