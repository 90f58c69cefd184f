// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/UrlDispatch.h"

#include "links/LinkGrammar.h"

#include <QUrl>

namespace tolvo {

DispatchDecision decideDispatch(const QString& url, const QStringList& openPrefixes, RoutingTable& routing)
{
    DispatchDecision decision;
    const auto open = splitLinkURL(url, openPrefixes);
    const auto parts = splitLinkURL(url, routing.keys());
    // The longest prefix that fits names the PDF, whether it is open or not: an open
    // book/ must not take the links of a closed book/x/.
    if (open && (!parts || open->prefix.size() >= parts->prefix.size())) {
        decision.kind = DispatchDecision::Kind::OpenDocument;
        decision.documentIndex = int(open->candidateIndex);
        decision.prefix = open->prefix;
        decision.target = open->target;
        return decision;
    }
    if (!parts)
        return decision;
    decision.prefix = parts->prefix;
    decision.target = parts->target;
    // Only the key that fits best is tried: a shorter one names another PDF.
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
