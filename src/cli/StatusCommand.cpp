// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli status: what the running Tolvo shows.
#include "cli/CliCommand.h"
#include "instance/SingleInstance.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tolvo::cli {

int runStatus(const QStringList& args, Output& io)
{
    bool json = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            io.out += QStringLiteral(
                "Usage: tolvo-cli status [--json]\n"
                "The open documents of the running Tolvo and the alert on screen.\n"
                "Exit status 3 when Tolvo is not running, 1 when it is running but does not answer.\n");
            return Ok;
        } else
            return usageError(io, QStringLiteral("unknown argument '%1'").arg(arg));
    }
    const instance::Reply answer
        = instance::request(QJsonObject { { QStringLiteral("type"), QStringLiteral("status") } });
    if (answer.outcome == instance::Reply::Outcome::NotRunning) {
        io.err += QStringLiteral("tolvo-cli: Tolvo is not running\n");
        return NotFound;
    }
    // Connected but silent: busy or hung, yet running, and a second start would not replace it.
    if (answer.outcome == instance::Reply::Outcome::NoAnswer) {
        io.err += QStringLiteral("tolvo-cli: Tolvo is running but did not answer in 30 seconds\n");
        return FileError;
    }
    const QJsonObject* reply = &answer.message;
    // An instance that answers is running, whatever it answers.
    if (!reply->contains(QStringLiteral("documents"))) {
        io.err += QStringLiteral("tolvo-cli: the running Tolvo gave no status: ")
            + reply->value(QStringLiteral("error")).toString(QStringLiteral("no documents in its reply"))
            + QLatin1Char('\n');
        return FileError;
    }
    if (reply->value(QStringLiteral("cut")).toBool())
        io.err += QStringLiteral("tolvo-cli: note: the status was too long for one reply; its longest texts are "
                                 "cut (they end in \u2026 [cut])\n");
    if (json) {
        io.out += QString::fromUtf8(QJsonDocument(*reply).toJson(QJsonDocument::Indented));
        return Ok;
    }
    const QJsonArray documents = reply->value(QStringLiteral("documents")).toArray();
    if (documents.isEmpty())
        io.out += QStringLiteral("No documents open.\n");
    for (const QJsonValue& value : documents) {
        const QJsonObject d = value.toObject();
        io.out += QStringLiteral("%1\n  prefix %2, page %3 (index %4)\n")
                      .arg(d.value(QStringLiteral("file")).toString(), d.value(QStringLiteral("prefix")).toString(),
                          d.value(QStringLiteral("pageLabel")).toString(),
                          QString::number(d.value(QStringLiteral("pageIndex")).toInt()));
        const QString toc = d.value(QStringLiteral("selectedTocTitle")).toString();
        if (!toc.isEmpty())
            io.out += QStringLiteral("  selected in the outline: %1\n").arg(toc);
    }
    const QJsonValue alert = reply->value(QStringLiteral("alert"));
    if (alert.isString())
        io.out += QStringLiteral("Alert: %1\n").arg(alert.toString());
    return Ok;
}

} // namespace tolvo::cli
