// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PdfPassword.h"

#include <QFileInfo>

namespace tolvo::cli {

namespace {

QByteArray& givenPassword()
{
    static QByteArray password;
    return password;
}

} // namespace

std::optional<QString> takePasswordOption(QStringList& args)
{
    const QString option = QStringLiteral("--password");
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--"))
            break;
        if (args[i] == option) {
            if (i + 1 >= args.size())
                return QStringLiteral("--password needs a value");
            givenPassword() = args[i + 1].toUtf8();
            args.remove(i, 2);
            --i;
        } else if (args[i].startsWith(option + u'=')) {
            givenPassword() = args[i].mid(option.size() + 1).toUtf8();
            args.remove(i);
            --i;
        }
    }
    return std::nullopt;
}

pdf::OpenResult openPdf(const QString& path)
{
    pdf::OpenResult opened = pdf::openDocument(path, givenPassword());
    if (!opened.document && opened.needsPassword && givenPassword().isEmpty())
        opened.error = QStringLiteral("%1 is password protected: give its password with --password PASSWORD")
                           .arg(QFileInfo(path).fileName());
    return opened;
}

} // namespace tolvo::cli
