// SPDX-License-Identifier: GPL-3.0-or-later
// The command table of tolvo-cli. Each command lives in a file of its own.
#include "cli/CliCommand.h"

namespace tolvo::cli {

int runPrefix(const QStringList& args, Output& io);
int runInfo(const QStringList& args, Output& io);
int runDefaults(const QStringList& args, Output& io);
int runRoutes(const QStringList& args, Output& io);
int runCheck(const QStringList& args, Output& io);
int runToc(const QStringList& args, Output& io);
int runResolve(const QStringList& args, Output& io);
int runOpml(const QStringList& args, Output& io);
int runRender(const QStringList& args, Output& io);
int runSearch(const QStringList& args, Output& io);
int runAnnotations(const QStringList& args, Output& io);
int runStatus(const QStringList& args, Output& io);
int runLink(const QStringList& args, Output& io);
int runNotes(const QStringList& args, Output& io);

const QList<Command>& commands()
{
    static const QList<Command> table = {
        { "prefix", "prefix [--] TEXT | --assign PREFIX FILE  the link prefix made from TEXT; store one for FILE",
            false, runPrefix },
        { "info", "info FILE --json            page count, page labels, outline and annotation counts", false,
            runInfo },
        { "defaults", "defaults [KEY [VALUE] | --delete KEY]  show or change the stored options", false, runDefaults },
        { "routes", "routes [--json | --names]   the routing table: each prefix, its PDF and whether it is reached",
            false, runRoutes },
        { "check",
            "check [--json] [--notes] [FILE...|-]  follow every tolvo:// link in notes files: ok, no-pdf, no-place",
            false, runCheck },
        { "toc", "toc FILE [--prefix P] [--json]  every outline entry with its TOC link", false, runToc },
        { "resolve", "resolve FILE TARGET | URL [--json]  where a link target (or a whole tolvo:// URL) leads", false,
            runResolve },
        { "opml", "opml FILE [--style url|tolvo|in-title] [--prefix P] [-o OUT]  the outline as an OPML file", false,
            runOpml },
        { "render", "render FILE --page LABEL [--dpi N] [--prefix P] -o OUT.png|-  a page with its label box, as PNG",
            true, runRender },
        { "search", "search FILE QUERY | --library QUERY [--json]  matches in one PDF, or in every routed PDF", false,
            runSearch },
        { "annotations",
            "annotations FILE [--format rtf|markdown|html | --json] [--kinds K,...] [--quotes|--no-quotes] [--prefix "
            "P] [-o OUT]  the annotation export",
            false, runAnnotations },
        { "link",
            "link FILE (--page L | --toc PATH | --point L X Y | --whole) [--prefix P] [--style S] [--format "
            "url|markdown|html|rtf]  one link as a copy carries it",
            true, runLink },
        { "notes", "notes list [N] | print N [VERSION] [--html] | restore N VERSION  earlier versions of the notes",
            true, runNotes },
        { "status", "status [--json]             the running Tolvo's open documents and the alert on screen", false,
            runStatus },
    };
    return table;
}

} // namespace tolvo::cli
