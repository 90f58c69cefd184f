// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/OpenErrorAlert.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace tolvo {

QString openErrorInformativeText(const QString& path)
{
    return QStringLiteral("Tolvo could not open the PDF \"%1\" located at \"%2\"")
        .arg(QFileInfo(path).fileName(), path);
}

void showOpenErrorAlert(const QString& path, const std::function<void(const QString&)>& reveal, QWidget* parent)
{
    QApplication::beep();
    QMessageBox alert(QMessageBox::Warning, QStringLiteral("Error opening PDF"), QStringLiteral("Error opening PDF"),
        QMessageBox::NoButton, parent);
    alert.setInformativeText(openErrorInformativeText(path));
    QPushButton* ok = alert.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton* folder = alert.addButton(QStringLiteral("Open Containing Folder"), QMessageBox::ActionRole);
    alert.setDefaultButton(ok);
    alert.setEscapeButton(ok);
    alert.exec();
    if (alert.clickedButton() == folder && reveal)
        reveal(path);
}

} // namespace tolvo
