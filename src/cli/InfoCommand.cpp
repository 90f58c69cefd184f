// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli info: what Tolvo sees in a PDF, for scripts and for checking files.
#include "cli/CliCommand.h"
#include "cli/PdfPassword.h"
#include "pdf/PdfDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace tolvo::cli {

namespace {

const char* const usage = "Usage: tolvo-cli info FILE [--json]\n"
                          "Prints the page count, the page labels, the number of outline entries (at every\n"
                          "level) and the number of annotations of FILE. Link annotations are not counted as\n"
                          "annotations; they are counted apart as links. Pop-up annotations are counted.\n";

int countEntries(const std::vector<pdf::OutlineEntry>& entries)
{
    int count = 0;
    for (const pdf::OutlineEntry& entry : entries)
        count += 1 + countEntries(entry.children);
    return count;
}

int romanValue(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(m{0,4})(cm|cd|d?c{0,3})(xc|xl|l?x{0,3})(ix|iv|v?i{0,3})$"),
        QRegularExpression::CaseInsensitiveOption);
    if (text.isEmpty() || !pattern.match(text).hasMatch())
        return -1;
    const QString lower = text.toLower();
    auto digit = [](QChar c) {
        switch (c.unicode()) {
        case 'i':
            return 1;
        case 'v':
            return 5;
        case 'x':
            return 10;
        case 'l':
            return 50;
        case 'c':
            return 100;
        case 'd':
            return 500;
        default:
            return 1000;
        }
    };
    int value = 0;
    for (int i = 0; i < lower.size(); ++i) {
        const int d = digit(lower[i]);
        value += (i + 1 < lower.size() && digit(lower[i + 1]) > d) ? -d : d;
    }
    return value;
}

// Whether label b is the label that follows a: the same prefix with its number one higher.
bool follows(const QString& a, const QString& b)
{
    static const QRegularExpression trailing(QStringLiteral("^(.*?)(\\d+)$"));
    const QRegularExpressionMatch ma = trailing.match(a), mb = trailing.match(b);
    if (ma.hasMatch() && mb.hasMatch())
        return ma.captured(1) == mb.captured(1) && mb.captured(2).toLongLong() == ma.captured(2).toLongLong() + 1;
    const int ra = romanValue(a), rb = romanValue(b);
    return ra > 0 && rb == ra + 1 && a.isLower() == b.isLower();
}

// "i-xii, 1-340, A-1-A-12": runs of labels that count on, for people to read.
QString labelRuns(const QStringList& labels)
{
    QStringList runs;
    for (int i = 0; i < labels.size();) {
        int j = i;
        while (j + 1 < labels.size() && follows(labels[j], labels[j + 1]))
            ++j;
        runs << (j == i ? labels[i] : QStringLiteral("%1-%2").arg(labels[i], labels[j]));
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

} // namespace

int runInfo(const QStringList& args, Output& io)
{
    bool json = false;
    bool optionsDone = false;
    QStringList files;
    for (const QString& arg : args) {
        if (!optionsDone && arg == QLatin1String("--json")) {
            json = true;
        } else if (!optionsDone && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            io.out += QLatin1String(usage);
            return Ok;
        } else if (!optionsDone && arg == QLatin1String("--")) {
            optionsDone = true;
        } else if (!optionsDone && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return usageError(io, QStringLiteral("info: unknown option '%1'").arg(arg));
        } else {
            files << arg;
        }
    }
    if (files.size() != 1)
        return usageError(io, QStringLiteral("info takes one FILE"));

    const pdf::OpenResult opened = openPdf(files.first());
    if (!opened.document) {
        io.err += QStringLiteral("tolvo-cli: %1\n").arg(opened.error);
        return FileError;
    }
    const pdf::Document& doc = *opened.document;
    const QStringList labels = doc.pageLabels();
    const int outlineCount = countEntries(doc.outline());
    int annotationCount = 0;
    int linkCount = 0;
    for (int page = 0; page < doc.pageCount(); ++page)
        for (const pdf::Annotation& annotation : doc.annotations(page))
            ++(annotation.type == QLatin1String("Link") ? linkCount : annotationCount);

    if (json) {
        QJsonObject object;
        object.insert(QStringLiteral("file"), doc.filePath());
        object.insert(QStringLiteral("pageCount"), doc.pageCount());
        object.insert(QStringLiteral("pageLabels"), QJsonArray::fromStringList(labels));
        object.insert(QStringLiteral("outlineCount"), outlineCount);
        object.insert(QStringLiteral("annotationCount"), annotationCount);
        object.insert(QStringLiteral("linkCount"), linkCount);
        io.out += QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
        return Ok;
    }
    io.out += QStringLiteral("File:            %1\n").arg(doc.filePath());
    io.out += QStringLiteral("Pages:           %1\n").arg(doc.pageCount());
    io.out += QStringLiteral("Page labels:     %1\n").arg(labelRuns(labels));
    io.out += QStringLiteral("Outline entries: %1\n").arg(outlineCount);
    io.out += QStringLiteral("Annotations:     %1 (and %2 links)\n").arg(annotationCount).arg(linkCount);
    return Ok;
}

} // namespace tolvo::cli
