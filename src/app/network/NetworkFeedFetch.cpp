// SPDX-License-Identifier: GPL-3.0-or-later
// The network module (tolvo-network.so): the update check's fetch over QtNetwork,
// loaded by loadFeedFetch() when a check first runs.
#include "app/FeedFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace tolvo::updates {

namespace {

class NetworkFeedFetch final : public FeedFetch {
public:
    ~NetworkFeedFetch() override { abort(); }

    void start(const QUrl& url, const QString& userAgent, qint64 maxBytes, Done done) override
    {
        abort();
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(5);
        request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
        m_tooLarge = false;
        m_reply = m_network.get(request);
        QNetworkReply* reply = m_reply;
        QObject::connect(
            reply, &QNetworkReply::downloadProgress, reply, [this, reply, maxBytes](qint64 received, qint64) {
                if (received > maxBytes) {
                    m_tooLarge = true;
                    reply->abort();
                }
            });
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, done = std::move(done)] {
            reply->deleteLater();
            if (m_reply != reply)
                return;
            m_reply = nullptr;
            FeedAnswer answer;
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            answer.httpStatus = status.isValid() ? status.toInt() : 0;
            answer.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            answer.tooLarge = m_tooLarge;
            answer.failed = reply->error() != QNetworkReply::NoError;
            if (answer.failed)
                answer.error = reply->errorString();
            else
                answer.body = reply->readAll();
            done(answer);
        });
    }

    void abort() override
    {
        // The reply's own finished signal would call done: it is told apart by m_reply.
        if (QNetworkReply* reply = std::exchange(m_reply, nullptr)) {
            reply->abort();
            reply->deleteLater();
        }
    }

private:
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    bool m_tooLarge = false;
};

} // namespace

} // namespace tolvo::updates

extern "C" Q_DECL_EXPORT tolvo::updates::FeedFetch* tolvo_new_feed_fetch()
{
    return new tolvo::updates::NetworkFeedFetch;
}
