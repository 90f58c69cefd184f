// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli defaults: show and change the values of the defaults store.
#include "cli/CliCommand.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/NotesFiles.h"
#include "settings/NotesHistory.h"

#include <QDateTime>
#include <QFile>

namespace tolvo::cli {

namespace {

// The notes keys name the notes areas, which live in files of their own: index 0..4, or -1 for another key.
int notesAreaOf(const QString& key)
{
    for (int area = 0; area < 5; ++area)
        if (key == keys::sharedNotes(area))
            return area;
    return -1;
}

// A key's value as the program sees it: for a notes key, the area's file.
std::optional<QString> shownValue(const Defaults& store, const QString& key, Output& io)
{
    const int area = notesAreaOf(key);
    if (area < 0)
        return store.formatValue(key, store.valueForKey(key));
    const QString folder = notesfiles::standardFolder();
    const notesfiles::ReadResult read = notesfiles::current(store, folder, area);
    if (read.status != notesfiles::ReadResult::Status::Read) {
        io.err
            += QStringLiteral("tolvo-cli: cannot read %1: %2\n").arg(notesfiles::filePath(folder, area), read.problem);
        return std::nullopt;
    }
    return store.formatValue(key, read.html);
}

// Writes a notes area's file the way the app does, keeping what it replaces as a version first; the
// area's old value in the settings (from before the notes had files) goes once the file is there.
int writeNotes(Defaults& store, int area, const QString& value, Output& io)
{
    // A notes file is an HTML document (that is how a damaged one is told apart): a fragment is wrapped.
    const QString html = value.left(4096).contains(QLatin1String("<html"), Qt::CaseInsensitive)
        ? value
        : QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>%1</body></html>")
              .arg(value);
    const QString folder = notesfiles::standardFolder();
    const QString path = notesfiles::filePath(folder, area);
    const notesfiles::ReadResult before = notesfiles::current(store, folder, area);
    QString problem;
    if (before.status == notesfiles::ReadResult::Status::Read)
        problem = noteshistory::keep(
            folder, area, before.html, noteshistory::Kind::Restore, QDateTime::currentDateTimeUtc());
    if (problem.isEmpty())
        problem = notesfiles::write(path, html);
    if (problem.isEmpty() && notesfiles::read(path).html != html)
        problem = QStringLiteral("the file written could not be read back");
    if (!problem.isEmpty()) {
        io.err += QStringLiteral("tolvo-cli: cannot write %1: %2\n").arg(path, problem);
        return FileError;
    }
    if (store.hasUserValue(keys::sharedNotes(area))) {
        store.removeValue(keys::sharedNotes(area));
        if (!store.synchronize()) {
            io.err += QStringLiteral("tolvo-cli: warning: the notes are in %1, but the old copy in %2 could not be "
                                     "removed: %3\n")
                          .arg(path, Defaults::standardFilePath(), store.writeProblem());
        }
    }
    return Ok;
}

int listAll(const Defaults& store, Output& io)
{
    for (const Defaults::Key& key : store.registeredKeys()) {
        const bool inFile = notesAreaOf(key.name) >= 0
            && QFile::exists(notesfiles::filePath(notesfiles::standardFolder(), notesAreaOf(key.name)));
        const bool user = store.hasUserValue(key.name) || inFile;
        QString value = shownValue(store, key.name, io).value_or(QStringLiteral("(unreadable)"));
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
            "       tolvo-cli defaults --delete KEY    bring back the default\n\n"
            "sharedNotes1 to sharedNotes5 are the notes areas, kept in files of their own\n"
            "($XDG_DATA_HOME/Tolvo/notes/notes-N.html): reading one prints that file, writing one\n"
            "replaces it (the text replaced is kept as a version: see 'tolvo-cli notes'), and\n"
            "they are not deleted here.\n");
        return Ok;
    }
    if (args.first() == QLatin1String("--delete")) {
        if (args.size() != 2)
            return usageError(io, QStringLiteral("--delete takes one KEY"));
        if (!store.registeredKey(args[1]))
            return usageError(io, QStringLiteral("unknown key '%1'").arg(args[1]));
        if (notesAreaOf(args[1]) >= 0)
            return usageError(io,
                QStringLiteral("%1 is notes area %2, which is not deleted here: edit it in Tolvo, "
                               "or bring back an earlier version with 'tolvo-cli notes restore'")
                    .arg(args[1], QString::number(notesAreaOf(args[1]) + 1)));
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
        const std::optional<QString> shown = shownValue(store, key, io);
        if (!shown)
            return FileError;
        io.out += *shown + QLatin1Char('\n');
        return Ok;
    }
    const std::optional<QVariant> value = store.parseValue(key, rest[1]);
    if (!value)
        return usageError(io, QStringLiteral("'%1' is not a %2 value for %3").arg(rest[1], store.typeNameOf(key), key));
    if (const int area = notesAreaOf(key); area >= 0)
        return writeNotes(store, area, value->toString(), io);
    store.setValue(key, *value);
    if (!store.synchronize()) {
        io.err += writeFailure(store);
        return FileError;
    }
    return Ok;
}

} // namespace tolvo::cli
