// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli notes: the kept versions of the notes areas, listed, printed and restored.
#include "cli/CliCommand.h"
#include "settings/Defaults.h"
#include "settings/NotesFiles.h"
#include "settings/NotesHistory.h"

#include <QTextDocument>

namespace tolvo::cli {

namespace {

const char kNotesHelp[]
    = "Usage: tolvo-cli notes list [N]                   the kept versions of notes area N, or of every area\n"
      "       tolvo-cli notes print N [VERSION] [--html]  area N now, or as VERSION kept it\n"
      "       tolvo-cli notes restore N VERSION          make VERSION the text of area N again\n\n"
      "N is a notes area, 1 to 5. VERSION is a place in the list (1 is the newest) or a\n"
      "version's name (20261208-031800-123, the time in UTC). Tolvo keeps each area as it was\n"
      "at every start and before the first change of each day, for 14 days. print writes\n"
      "plain text, or with --html the notes as they are stored (Qt HTML). restore first\n"
      "keeps the current text as a version, so it loses nothing; a running Tolvo shows the\n"
      "restored text in every window at once, and Ctrl+Z in a window takes it back.\n"
      "Files: $XDG_DATA_HOME/Tolvo/notes/notes-N.html, versions in history/N/ beside them.\n";

std::optional<int> areaOf(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > 5)
        return std::nullopt;
    return n - 1;
}

QString whenOf(const noteshistory::Version& v)
{
    return v.taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void warnSkipped(const QStringList& skipped, Output& io)
{
    for (const QString& line : skipped)
        io.err += QStringLiteral("tolvo-cli: warning: %1\n").arg(line);
}

int list(const QStringList& args, Output& io)
{
    QList<int> areas { 0, 1, 2, 3, 4 };
    if (args.size() > 1)
        return usageError(io, QStringLiteral("notes list takes at most one N"));
    if (args.size() == 1) {
        const std::optional<int> area = areaOf(args[0]);
        if (!area)
            return usageError(io, QStringLiteral("'%1' is not a notes area (1 to 5)").arg(args[0]));
        areas = { *area };
    }
    const QString folder = notesfiles::standardFolder();
    for (int area : areas) {
        const noteshistory::Checked checked = noteshistory::listChecked(folder, area);
        warnSkipped(checked.skipped, io);
        for (qsizetype i = 0; i < checked.versions.size(); ++i) {
            const noteshistory::Version& v = checked.versions[i];
            io.out += QStringLiteral("%1  %2  %3  %4  %5\n")
                          .arg(QString::number(area + 1), QString::number(i + 1).rightJustified(2), v.id, whenOf(v),
                              noteshistory::describe(v.kind));
        }
    }
    return Ok;
}

// The version that what names in area, or the exit status after telling why not.
std::optional<noteshistory::Version> versionOf(int area, const QString& what, Output& io, int& status)
{
    const noteshistory::Checked checked = noteshistory::listChecked(notesfiles::standardFolder(), area);
    warnSkipped(checked.skipped, io);
    const std::optional<noteshistory::Version> v = noteshistory::find(checked.versions, what);
    if (!v) {
        io.err += QStringLiteral("tolvo-cli: notes area %1 has no version '%2'; 'tolvo-cli notes list %1' "
                                 "shows the versions kept\n")
                      .arg(QString::number(area + 1), what);
        status = NotFound;
    }
    return v;
}

int print(const QStringList& args, Output& io)
{
    bool html = false;
    QStringList rest;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--html"))
            html = true;
        else if (arg.startsWith(QLatin1String("--")))
            return usageError(io, QStringLiteral("notes print: unknown option '%1'").arg(arg));
        else
            rest << arg;
    }
    if (rest.isEmpty() || rest.size() > 2)
        return usageError(io, QStringLiteral("notes print takes N and at most one VERSION"));
    const std::optional<int> area = areaOf(rest[0]);
    if (!area)
        return usageError(io, QStringLiteral("'%1' is not a notes area (1 to 5)").arg(rest[0]));

    notesfiles::ReadResult read;
    QString path;
    if (rest.size() == 1) {
        path = notesfiles::filePath(notesfiles::standardFolder(), *area);
        read = notesfiles::current(Defaults::standard(), notesfiles::standardFolder(), *area);
    } else {
        int status = Ok;
        const std::optional<noteshistory::Version> v = versionOf(*area, rest[1], io, status);
        if (!v)
            return status;
        path = v->path;
        read = notesfiles::read(path);
    }
    if (read.status != notesfiles::ReadResult::Status::Read) {
        io.err += QStringLiteral("tolvo-cli: cannot read %1: %2\n").arg(path, read.problem);
        return FileError;
    }
    if (html) {
        io.out += read.html;
        return Ok;
    }
    QTextDocument document;
    document.setHtml(read.html);
    io.out += document.toPlainText() + u'\n';
    return Ok;
}

int restore(const QStringList& args, Output& io)
{
    if (args.size() != 2)
        return usageError(io, QStringLiteral("notes restore takes N and VERSION"));
    const std::optional<int> area = areaOf(args[0]);
    if (!area)
        return usageError(io, QStringLiteral("'%1' is not a notes area (1 to 5)").arg(args[0]));
    int status = Ok;
    const std::optional<noteshistory::Version> v = versionOf(*area, args[1], io, status);
    if (!v)
        return status;
    const QString folder = notesfiles::standardFolder();
    const QString problem = noteshistory::restore(folder, *area, *v, QDateTime::currentDateTimeUtc());
    if (!problem.isEmpty()) {
        io.err
            += QStringLiteral("tolvo-cli: cannot restore %1: %2\n").arg(notesfiles::filePath(folder, *area), problem);
        return FileError;
    }
    io.out += QStringLiteral("Notes area %1 is as version %2 (%3) kept it; the text it replaced is kept as a "
                             "version too.\n")
                  .arg(QString::number(*area + 1), v->id, whenOf(*v));
    return Ok;
}

} // namespace

int runNotes(const QStringList& args, Output& io)
{
    if (args.isEmpty())
        return usageError(io, QStringLiteral("notes needs list, print or restore"));
    const QString& what = args.first();
    if (what == QLatin1String("--help") || what == QLatin1String("-h")) {
        io.out += QString::fromUtf8(kNotesHelp);
        return Ok;
    }
    const QStringList rest = args.mid(1);
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
        io.out += QString::fromUtf8(kNotesHelp);
        return Ok;
    }
    if (what == QLatin1String("list"))
        return list(rest, io);
    if (what == QLatin1String("print"))
        return print(rest, io);
    if (what == QLatin1String("restore"))
        return restore(rest, io);
    return usageError(io, QStringLiteral("notes: unknown action '%1' (list, print or restore)").arg(what));
}

} // namespace tolvo::cli
