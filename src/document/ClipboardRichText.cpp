// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ClipboardRichText.h"

#include "links/HtmlWriter.h"
#include "links/RtfReader.h"

#include <QMimeData>
#include <QStringList>

namespace tolvo {

namespace {

const QStringList& rtfTypes()
{
    static const QStringList types = { QStringLiteral("text/rtf"), QStringLiteral("application/rtf") };
    return types;
}

} // namespace

bool hasRichText(const QMimeData* data)
{
    if (!data)
        return false;
    if (data->hasHtml())
        return true;
    for (const QString& type : rtfTypes())
        if (data->hasFormat(type))
            return true;
    return false;
}

std::optional<QTextDocumentFragment> richTextFromMimeData(const QMimeData* data)
{
    if (!data)
        return std::nullopt;
    if (data->hasHtml()) {
        const QString html = data->html();
        if (!html.isEmpty())
            return QTextDocumentFragment::fromHtml(html);
    }
    for (const QString& type : rtfTypes()) {
        if (!data->hasFormat(type))
            continue;
        if (const std::optional<RichText> text = fromRtf(data->data(type)); text && !text->isEmpty())
            return QTextDocumentFragment::fromHtml(toHtmlFragment(*text));
    }
    return std::nullopt;
}

} // namespace tolvo
