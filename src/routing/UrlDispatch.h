// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an incoming tolvo:// URL leads: an open document, a PDF file named by
// the routing table, or nowhere. A decision only; the application acts on it.

#include "routing/RoutingTable.h"

#include <QString>
#include <QStringList>

namespace tolvo {

struct DispatchDecision {
    enum class Kind { OpenDocument, OpenFile, NotFound };
    Kind kind = Kind::NotFound;
    int documentIndex = -1; ///< OpenDocument: index into the open documents' prefixes
    QString filePath; ///< OpenFile
    QString prefix; ///< the prefix that fitted
    QString target; ///< the rest of the URL after "tolvo://" + prefix
};

/// The longest prefix that fits wins, among the open documents' prefixes and the
/// routing table's keys; an open document wins among equals, and the first in
/// order among open documents of one prefix. The file of a routing key
/// is resolved (a moved file is found and its entry renewed); a key whose file is
/// gone, or replaced by another file, ends the search as not found.
DispatchDecision decideDispatch(const QString& url, const QStringList& openPrefixes, RoutingTable& routing);

/// The URL with its percent escapes decoded as UTF-8; the URL itself when it holds none.
QString percentDecodedURL(const QString& url);

} // namespace tolvo
