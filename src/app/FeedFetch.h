// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The update check's one trip to the network, kept in a module of its own
// (tolvo-network.so) that is loaded the first time a check runs: the network
// library and what it brings (Kerberos, proxy lookup) would otherwise be loaded,
// and paid for, at every start.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace tolvo::updates {

/// What fetching the feed gave.
struct FeedAnswer {
    int httpStatus = 0; ///< 0 when the answer had none (a file address, or no answer)
    QString reason; ///< the HTTP reason phrase
    bool failed = false; ///< no answer, or a failed one
    QString error; ///< why, for failed
    bool tooLarge = false; ///< stopped at the size limit
    QByteArray body;
};

/// One fetch at a time of an http, https or file address.
class FeedFetch {
public:
    using Done = std::function<void(const FeedAnswer& answer)>;
    virtual ~FeedFetch() = default;
    /// Starts fetching url; done is called once, from the event loop, unless the fetch
    /// is aborted or destroyed first.
    virtual void start(const QUrl& url, const QString& userAgent, qint64 maxBytes, Done done) = 0;
    /// Stops the fetch under way without calling done.
    virtual void abort() = 0;
};

/// A fetch from the network module, found beside the program or in its library folder
/// (or in one of Qt's library paths); nullptr, with why in *problem, when it cannot be loaded.
std::unique_ptr<FeedFetch> loadFeedFetch(QString* problem);

/// The module's file name.
inline constexpr char kNetworkModuleName[] = "tolvo-network.so";
/// The function the module exports: a new fetch, owned by the caller.
inline constexpr char kNetworkModuleEntry[] = "tolvo_new_feed_fetch";

} // namespace tolvo::updates
