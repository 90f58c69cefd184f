// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/UrlDispatch.h"

#include "links/LinkGrammar.h"

namespace tolvo {

DispatchDecision decideDispatch(const QString& url, const QStringList& openPrefixes, RoutingTable& routing)
{
    return decideDispatch(
        url, openPrefixes, routing.keys(), [&routing](const QString& key) { return routing.resolvePrefix(key); });
}

DispatchDecision decideDispatch(
    const QString& url, const QStringList& openPrefixes, const QStringList& keys, const ReferenceLookup& resolve)
{
    DispatchDecision decision;
    const auto open = splitLinkURL(url, openPrefixes);
    const auto parts = splitLinkURL(url, keys);
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
    decision.reference = resolve ? resolve(parts->prefix) : std::nullopt;
    if (decision.reference && decision.reference->found()) {
        decision.kind = DispatchDecision::Kind::OpenFile;
        decision.filePath = decision.reference->filePath;
    }
    return decision;
}

QString percentDecodedURL(const QString& url)
{
    return percentDecoded(url);
}

DispatchDecision dispatchIncomingURL(const QString& url, const Dispatcher& dispatch)
{
    DispatchDecision decision = dispatch(url);
    const QString decoded = percentDecodedURL(url);
    if (decision.kind != DispatchDecision::Kind::NotFound || decoded == url)
        return decision;
    DispatchDecision again = dispatch(decoded);
    return again.kind != DispatchDecision::Kind::NotFound || decision.prefix.isEmpty() ? again : decision;
}

QString targetToFollow(
    const QString& url, const DispatchDecision& decision, const std::function<bool(const QString&)>& targetMoves)
{
    const QString decoded = percentDecodedURL(url);
    if (decoded == url || decision.prefix.isEmpty() || (targetMoves && targetMoves(decision.target)))
        return decision.target;
    // The decision may have come from the decoded URL already: then this gives the same target.
    const std::optional<LinkParts> parts = splitLinkURL(decoded, { decision.prefix });
    return parts ? parts->target : decision.target;
}

} // namespace tolvo
