// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Encrypted copies of a fixture PDF, made with qpdf at test time.

#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace tolvo::test {

/// Writes an AES-256 encrypted copy of source to target with the user and owner passwords
/// (an empty user password makes a PDF that opens without one); false when qpdf is missing or fails.
inline bool encryptPdf(const QString& source, const QString& target, const QString& user, const QString& owner)
{
    const QString qpdf = QStandardPaths::findExecutable(QStringLiteral("qpdf"));
    if (qpdf.isEmpty())
        return false;
    QProcess p;
    p.start(qpdf,
        { QStringLiteral("--encrypt"), user, owner, QStringLiteral("256"), QStringLiteral("--"), source, target });
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace tolvo::test
