// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/MissingPrefixQuestion.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace tolvo {

bool askForReadablePrefix(QWidget* window, const QString& prefix)
{
    QApplication::beep();
    const QString message = QStringLiteral("Missing URL Prefix");
    QMessageBox alert(QMessageBox::Warning, message, message, QMessageBox::NoButton, window);
    alert.setObjectName(QStringLiteral("missingPrefixAlert"));
    alert.setInformativeText(QStringLiteral(
        "The current URL prefix for this PDF is %1. Would you like to specify a more readable URL prefix?")
                                 .arg(prefix));
    QPushButton* ok = alert.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton* cancel = alert.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    alert.setDefaultButton(ok);
    alert.setEscapeButton(cancel);
    alert.exec();
    return alert.clickedButton() == ok;
}

} // namespace tolvo
