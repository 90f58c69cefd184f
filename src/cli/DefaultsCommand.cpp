// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli defaults: show and change the values of the defaults store.
#include "cli/CliCommand.h"
#include "settings/Defaults.h"

namespace tolvo::cli {

namespace {

int listAll(const Defaults& store, Output& io)
{
    for (const Defaults::Key& key : store.registeredKeys()) {
        const bool user = store.hasUserValue(key.name);
        QString value = store.formatValue(key.name, store.valueForKey(key.name));
        // Keep the listing one line per key; rich text can hold line breaks.
        value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        io.out += QStringLiteral("%1 = %2%3\n").arg(key.name, value, user ? QStringLiteral("  (set)") : QString());
    }
    return Ok;
}

QString writeFailure(const Defaults& store)
{
    return QStringLiteral("tolvo-cli: cannot write ") + Defaults::standardFilePath() + QStringLiteral(": ")
        + store.writeProblem() + QLatin1Char('\n');
}

} // namespace

int runDefaults(const QStringList& args, Output& io)
{
    Defaults& store = Defaults::standard();
    if (!store.loadProblem().isEmpty())
        io.err += QStringLiteral("tolvo-cli: warning: %1\n").arg(store.loadProblem());

    if (args.isEmpty())
        return listAll(store, io);
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        io.out += QStringLiteral(
            "Usage: tolvo-cli defaults                 every key, its value, (set) when the user set it\n"
            "       tolvo-cli defaults KEY             one value\n"
            "       tolvo-cli defaults KEY VALUE       store VALUE (booleans: true or false;\n"
            "                                          dictionaries and rich text as JSON)\n"
            "       tolvo-cli defaults --delete KEY    bring back the default\n");
        return Ok;
    }
    if (args.first() == QLatin1String("--delete")) {
        if (args.size() != 2)
            return usageError(io, QStringLiteral("--delete takes one KEY"));
        if (!store.registeredKey(args[1]))
            return usageError(io, QStringLiteral("unknown key '%1'").arg(args[1]));
        store.removeValue(args[1]);
        if (!store.synchronize()) {
            io.err += writeFailure(store);
            return FileError;
        }
        return Ok;
    }
    if (args.first().startsWith(QLatin1String("--")) && args.first() != QLatin1String("--"))
        return usageError(io, QStringLiteral("unknown option '%1'").arg(args.first()));

    QStringList rest = args;
    if (rest.first() == QLatin1String("--"))
        rest.removeFirst();
    if (rest.isEmpty() || rest.size() > 2)
        return usageError(io, QStringLiteral("defaults takes KEY and at most one VALUE"));
    const QString& key = rest[0];
    if (!store.registeredKey(key))
        return usageError(io, QStringLiteral("unknown key '%1'").arg(key));

    if (rest.size() == 1) {
        io.out += store.formatValue(key, store.valueForKey(key)) + QLatin1Char('\n');
        return Ok;
    }
    const std::optional<QVariant> value = store.parseValue(key, rest[1]);
    if (!value)
        return usageError(io, QStringLiteral("'%1' is not a %2 value for %3").arg(rest[1], store.typeNameOf(key), key));
    store.setValue(key, *value);
    if (!store.synchronize()) {
        io.err += writeFailure(store);
        return FileError;
    }
    return Ok;
}

} // namespace tolvo::cli
