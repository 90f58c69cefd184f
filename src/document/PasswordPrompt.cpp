// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PasswordPrompt.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tolvo {

PasswordPrompt::PasswordPrompt(const QString& path, bool lastWasWrong, QWidget* parent)
    : QDialog(parent)
    , m_field(new QLineEdit(this))
{
    setObjectName(QStringLiteral("passwordPrompt"));
    setWindowTitle(tr("Password for %1").arg(QFileInfo(path).fileName()));
    auto* layout = new QVBoxLayout(this);
    auto* message = new QLabel(QString::fromLatin1(kMessage), this);
    message->setWordWrap(true);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    layout->addWidget(message);
    auto* name = new QLabel(QFileInfo(path).fileName(), this);
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(name);
    m_field->setObjectName(QStringLiteral("passwordField"));
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setPlaceholderText(tr("Password"));
    layout->addWidget(m_field);
    auto* wrong = new QLabel(QString::fromLatin1(kWrongPassword), this);
    wrong->setObjectName(QStringLiteral("wrongPassword"));
    wrong->setStyleSheet(QStringLiteral("color: #c01c28;"));
    wrong->setVisible(lastWasWrong);
    layout->addWidget(wrong);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_field->setFocus();
    setMinimumWidth(380);
}

QString PasswordPrompt::password() const
{
    return m_field->text();
}

std::optional<QString> PasswordPrompt::ask(const QString& path, bool lastWasWrong, QWidget* parent)
{
    PasswordPrompt prompt(path, lastWasWrong, parent);
    if (prompt.exec() != QDialog::Accepted)
        return std::nullopt;
    return prompt.password();
}

QList<QByteArray> passwordEncodings(const QString& password)
{
    QList<QByteArray> encodings { password.toUtf8() };
    const QByteArray latin1 = password.toLatin1();
    if (latin1 != encodings.first() && QString::fromLatin1(latin1) == password)
        encodings.append(latin1);
    return encodings;
}

} // namespace tolvo
