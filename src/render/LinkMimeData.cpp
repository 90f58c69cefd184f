// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/LinkMimeData.h"

#include "links/HtmlWriter.h"
#include "links/RichText.h"
#include "links/RtfWriter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QList>
#include <QUrl>

#include <algorithm>

namespace tolvo {

namespace {

// Characters that a URL cannot hold as they are: other programs would see them
// percent-encoded, which a link target is not read back from.
bool isUnsafeInUrl(QChar c)
{
    return c.unicode() <= 0x20 || c.unicode() == 0x7F || QStringView(u"\"<>\\^`{|}").contains(c);
}

} // namespace

std::optional<QUrl> linkUrl(const QString& urlText)
{
    if (urlText.isEmpty() || std::any_of(urlText.begin(), urlText.end(), isUnsafeInUrl))
        return std::nullopt;
    const QUrl url(urlText, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    return url;
}

std::unique_ptr<QMimeData> richTextMimeData(const RichText& text)
{
    return richTextMimeData(text, text.toPlainText());
}

void writeRichText(QMimeData& data, const RichText& text, const QString& plain)
{
    const QByteArray rtf = toRtf(text);
    data.setData(QString::fromLatin1(kMimeRtf), rtf);
    data.setData(QString::fromLatin1(kMimeApplicationRtf), rtf);
    data.setHtml(toHtml(text));
    data.setText(plain);
}

std::unique_ptr<QMimeData> richTextMimeData(const RichText& text, const QString& plain)
{
    auto data = std::make_unique<QMimeData>();
    writeRichText(*data, text, plain);
    return data;
}

std::unique_ptr<QMimeData> plainTextMimeData(const QString& text)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    return data;
}

std::unique_ptr<QMimeData> urlMimeData(const QStringList& urlTexts)
{
    QList<QUrl> urls;
    QStringList texts;
    for (const QString& text : urlTexts) {
        const std::optional<QUrl> url = linkUrl(text);
        if (!url)
            continue;
        urls.append(*url);
        texts.append(text);
    }
    if (urls.isEmpty())
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    data->setText(texts.join(u'\n'));
    return data;
}

void putOnClipboard(std::unique_ptr<QMimeData> data)
{
    if (data)
        QGuiApplication::clipboard()->setMimeData(data.release());
}

} // namespace tolvo
