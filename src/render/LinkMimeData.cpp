// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/LinkMimeData.h"

#include "links/HtmlWriter.h"
#include "links/LinkText.h"
#include "links/RichText.h"
#include "links/RtfWriter.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tolvo {

namespace {

// QMimeData keeps a text/uri-list given to it as QUrls and writes them back through QUrl, which
// lower-cases a prefix read as a host name and turns its letters beyond ASCII into punycode;
// this one hands out the bytes it was given.
class UriListMimeData : public QMimeData {
public:
    explicit UriListMimeData(QByteArray uriList)
        : m_uriList(std::move(uriList))
    {
    }

    bool hasFormat(const QString& mimeType) const override
    {
        return mimeType == QLatin1String(kMimeUriList) || QMimeData::hasFormat(mimeType);
    }
    QStringList formats() const override
    {
        return QStringList(QString::fromLatin1(kMimeUriList)) + QMimeData::formats();
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType == QLatin1String(kMimeUriList))
            return m_uriList;
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    QByteArray m_uriList;
};

} // namespace

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
    if (urlTexts.isEmpty())
        return nullptr;
    QByteArray uriList;
    QString mozUrl;
    for (const QString& text : urlTexts) {
        const QString uri = uriText(text);
        uriList += uri.toLatin1() + "\r\n";
        if (!mozUrl.isEmpty())
            mozUrl += u'\n';
        QString title = text;
        title.replace(u'\r', u' ').replace(u'\n', u' ');
        mozUrl += uri + u'\n' + title; // Mozilla's pairs of URL and title
    }
    auto data = std::make_unique<UriListMimeData>(uriList);
    data->setData(QString::fromLatin1(kMimeMozUrl),
        QByteArray(reinterpret_cast<const char*>(mozUrl.utf16()), mozUrl.size() * qsizetype(sizeof(char16_t))));
    data->setText(urlTexts.join(u'\n'));
    return data;
}

void putOnClipboard(std::unique_ptr<QMimeData> data)
{
    if (data)
        QGuiApplication::clipboard()->setMimeData(data.release());
}

} // namespace tolvo
