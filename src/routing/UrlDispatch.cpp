// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/UrlDispatch.h"

#include "links/LinkGrammar.h"

#include <QUrl>

namespace tolvo {

DispatchDecision decideDispatch(const QString& url, const QStringList& openPrefixes, RoutingTable& routing)
{
    DispatchDecision decision;
    if (const auto parts = splitLinkURL(url, openPrefixes)) {
        decision.kind = DispatchDecision::Kind::OpenDocument;
        decision.documentIndex = int(parts->candidateIndex);
        decision.prefix = parts->prefix;
        decision.target = parts->target;
        return decision;
    }
    const auto parts = splitLinkURL(url, routing.keys());
    if (!parts)
        return decision;
    decision.prefix = parts->prefix;
    decision.target = parts->target;
    // Only the first key that fits is tried, as links have always been read.
    // A stale reference (another file now at the path) counts as gone: opening
    // whatever stands there would show the wrong PDF.
    const auto resolved = routing.resolvePrefix(parts->prefix);
    if (resolved && resolved->found()) {
        decision.kind = DispatchDecision::Kind::OpenFile;
        decision.filePath = resolved->filePath;
    }
    return decision;
}

QString percentDecodedURL(const QString& url)
{
    if (!url.contains(QLatin1Char('%')))
        return url;
    return QUrl::fromPercentEncoding(url.toUtf8());
}

} // namespace tolvo
