// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Links read back as other programs read them: Markdown through cmark, RTF and HTML through pandoc.
// Independent parsers, so that a rendering is judged by what a reader makes of it.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QXmlStreamReader>

#include <optional>

namespace tolvo::test {

/// One link as a reader sees it: its visible text and its destination.
struct ReadLink {
    QString text;
    QString destination;
    bool operator==(const ReadLink&) const = default;
};

/// What a reader made of a document: its links, and its whole visible text.
struct ReadDocument {
    QList<ReadLink> links;
    QString text;
};

/// Runs a program on input; its standard output, or nothing when it cannot run or fails.
inline std::optional<QByteArray> runFilter(
    const QString& program, const QStringList& arguments, const QByteArray& input)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted())
        return std::nullopt;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

/// Markdown as cmark reads it (cmark --to xml). Raw HTML that cmark finds counts as text, so that
/// markup a writer left unescaped shows as a difference.
inline std::optional<ReadDocument> cmarkRead(const QString& markdown)
{
    const std::optional<QByteArray> xml
        = runFilter(QStringLiteral("cmark"), { QStringLiteral("--to"), QStringLiteral("xml") }, markdown.toUtf8());
    if (!xml)
        return std::nullopt;
    ReadDocument doc;
    QXmlStreamReader reader(*xml);
    int inLink = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.name();
            if (name == u"link") {
                if (inLink++ == 0)
                    doc.links.append(
                        { QString(), reader.attributes().value(QStringLiteral("destination")).toString() });
            } else if (name == u"text" || name == u"code" || name == u"html_inline") {
                const QString text = reader.readElementText();
                doc.text += text;
                if (inLink)
                    doc.links.last().text += text;
            } else if (name == u"softbreak" || name == u"linebreak") {
                doc.text += u'\n';
                if (inLink)
                    doc.links.last().text += u'\n';
            }
        } else if (reader.isEndElement()) {
            const QStringView name = reader.name();
            if (name == u"link")
                --inLink;
            else if (name == u"paragraph" || name == u"heading")
                doc.text += u'\n';
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return doc;
}

namespace detail {

// The visible text of a list of pandoc inlines; links found inside are added to doc.
inline QString pandocInlines(const QJsonArray& inlines, ReadDocument& doc);

inline QString pandocInline(const QJsonObject& node, ReadDocument& doc)
{
    const QString t = node.value(QStringLiteral("t")).toString();
    const QJsonValue c = node.value(QStringLiteral("c"));
    if (t == u"Str")
        return c.toString();
    if (t == u"Space" || t == u"SoftBreak")
        return QStringLiteral(" ");
    if (t == u"LineBreak")
        return QStringLiteral("\n");
    if (t == u"Code")
        return c.toArray().at(1).toString();
    if (t == u"Link") {
        const QJsonArray parts = c.toArray();
        const qsizetype at = doc.links.size();
        doc.links.append(ReadLink {});
        const QString text = pandocInlines(parts.at(1).toArray(), doc);
        doc.links[at] = { text, parts.at(2).toArray().at(0).toString() };
        return text;
    }
    if (t == u"Span" || t == u"Quoted" || t == u"Cite")
        return pandocInlines(c.toArray().last().toArray(), doc);
    if (t == u"Emph" || t == u"Strong" || t == u"Underline" || t == u"Strikeout" || t == u"SmallCaps"
        || t == u"Superscript" || t == u"Subscript")
        return pandocInlines(c.toArray(), doc);
    return {};
}

// pandoc cuts the result of one RTF field into a link per piece of text: neighbouring links to
// one destination are taken as one.
inline QString pandocInlines(const QJsonArray& inlines, ReadDocument& doc)
{
    QString text;
    bool afterLink = false;
    for (const QJsonValue& v : inlines) {
        const QJsonObject node = v.toObject();
        const qsizetype before = doc.links.size();
        text += pandocInline(node, doc);
        const bool link = node.value(QStringLiteral("t")).toString() == u"Link";
        if (link && afterLink && before > 0 && doc.links.size() == before + 1
            && doc.links[before].destination == doc.links[before - 1].destination) {
            doc.links[before - 1].text += doc.links[before].text;
            doc.links.removeAt(before);
        }
        afterLink = link;
    }
    return text;
}

inline void pandocBlocks(const QJsonArray& blocks, ReadDocument& doc)
{
    for (const QJsonValue& v : blocks) {
        const QJsonObject block = v.toObject();
        const QString t = block.value(QStringLiteral("t")).toString();
        const QJsonValue c = block.value(QStringLiteral("c"));
        if (t == u"Para" || t == u"Plain") {
            doc.text += pandocInlines(c.toArray(), doc) + u'\n';
        } else if (t == u"Div" || t == u"BlockQuote") {
            pandocBlocks(t == u"Div" ? c.toArray().at(1).toArray() : c.toArray(), doc);
        } else if (t == u"BulletList" || t == u"OrderedList") {
            for (const QJsonValue& item : (t == u"OrderedList" ? c.toArray().at(1) : c).toArray())
                pandocBlocks(item.toArray(), doc);
        }
    }
}

} // namespace detail

/// A document as pandoc reads it from a format ("rtf", "html"), through its JSON syntax tree.
inline std::optional<ReadDocument> pandocRead(const QByteArray& input, const QString& from)
{
    const std::optional<QByteArray> json = runFilter(
        QStringLiteral("pandoc"), { QStringLiteral("-f"), from, QStringLiteral("-t"), QStringLiteral("json") }, input);
    if (!json)
        return std::nullopt;
    ReadDocument doc;
    detail::pandocBlocks(QJsonDocument::fromJson(*json).object().value(QStringLiteral("blocks")).toArray(), doc);
    return doc;
}

} // namespace tolvo::test
