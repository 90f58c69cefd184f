// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an incoming tolvo:// URL leads: an open document, a PDF file named by
// the routing table, or nowhere. A decision only; the application acts on it.

#include "routing/RoutingTable.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tolvo {

struct DispatchDecision {
    enum class Kind { OpenDocument, OpenFile, NotFound };
    Kind kind = Kind::NotFound;
    int documentIndex = -1; ///< OpenDocument: index into the open documents' prefixes
    QString filePath; ///< OpenFile
    QString prefix; ///< the prefix that fitted
    QString target; ///< the rest of the URL after "tolvo://" + prefix
    /// For a routing key: what resolving its file gave, found or not.
    std::optional<ResolvedReference> reference;
};

/// The longest prefix that fits wins, among the open documents' prefixes and the
/// routing table's keys; an open document wins among equals, and the first in
/// order among open documents of one prefix. The file of a routing key
/// is resolved (a moved file is found and its entry renewed); a key whose file is
/// gone, or replaced by another file, ends the search as not found.
DispatchDecision decideDispatch(const QString& url, const QStringList& openPrefixes, RoutingTable& routing);

/// What a routing key's file resolves to; nothing for a key without an entry.
using ReferenceLookup = std::function<std::optional<ResolvedReference>(const QString& key)>;
/// The same over the routing keys (in the table's order) and a way to resolve them, for a reader
/// that resolves the whole table once for many links.
DispatchDecision decideDispatch(
    const QString& url, const QStringList& openPrefixes, const QStringList& keys, const ReferenceLookup& resolve);

/// The URL with its percent escapes decoded as UTF-8; the URL itself when it holds none.
QString percentDecodedURL(const QString& url);

/// Decides where a URL leads, one way or another (decideDispatch, or a table resolved beforehand).
using Dispatcher = std::function<DispatchDecision(const QString& url)>;

/// How every incoming link is read: browsers and mail programs hand links over percent-encoded,
/// so a URL that finds nothing as received is dispatched once more percent-decoded. When neither
/// finds a PDF, the decision of the URL as received (which names the prefix that fitted, if any).
DispatchDecision dispatchIncomingURL(const QString& url, const Dispatcher& dispatch);

/// The target to follow in the PDF the decision found: its own, unless that names no place
/// (targetMoves says no) and the percent-decoded URL gives another target after the same prefix.
QString targetToFollow(
    const QString& url, const DispatchDecision& decision, const std::function<bool(const QString&)>& targetMoves);

} // namespace tolvo
