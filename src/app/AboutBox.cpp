// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutBox.h"

#include "pdf/PopplerVersion.h"
#include "settings/Version.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

namespace tolvo {

QString aboutText()
{
    // The Qt that runs may be newer than the one Tolvo was built with; both are told.
    const QString qt = QString::fromLatin1(qVersion()) == QLatin1String(QT_VERSION_STR)
        ? QString::fromLatin1(qVersion())
        : QStringLiteral("%1 (built with %2)").arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
    return QStringLiteral("<h3>Tolvo %1</h3>"
                          "<p>A PDF reader built around tolvo:// links.</p>"
                          "<p>Tolvo is free software under the GNU General Public License, version 3 or (at your "
                          "option) any later version (GPL-3.0-or-later). It comes with no warranty.</p>"
                          "<p>Qt %2<br>Poppler %3</p>")
        .arg(tolvoVersion().toHtmlEscaped(), qt.toHtmlEscaped(), pdf::popplerVersion().toHtmlEscaped());
}

void showAboutBox(QWidget* parent)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.setWindowTitle(QObject::tr("About Tolvo"));
    box.setTextFormat(Qt::RichText);
    box.setText(aboutText());
    box.setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace tolvo
