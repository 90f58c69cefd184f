// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tells the user about newer versions of Tolvo. Created at launch and kept
// for the application's life; it never replaces Tolvo's files, which on Linux
// is the package manager's work.

#include "app/SoftwareUpdaterFeed.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

class QMessageBox;
class QTimer;
class QWidget;

namespace tolvo {

class Defaults;
namespace updates {
class FeedFetch;
struct FeedAnswer;
} // namespace updates

/// Reads the update feed named by the store's feed address, compares its newest
/// release with this build and shows the answer. One check runs at a time.
class SoftwareUpdater : public QObject {
    Q_OBJECT
public:
    /// How long a check may take before it counts as timed out.
    static constexpr int kDefaultTimeoutMs = 20000;
    /// Feeds are small; a larger answer is no feed of ours and is not read further.
    static constexpr qint64 kMaxFeedBytes = 4 * 1024 * 1024;

    /// An updater over Defaults::standard().
    explicit SoftwareUpdater(QObject* parent = nullptr);
    /// An updater over defaults (not owned).
    explicit SoftwareUpdater(Defaults& defaults, QObject* parent = nullptr);
    ~SoftwareUpdater() override;

    /// The command: checks the feed of the address setting, shows "Checking for
    /// Updates..." with a Cancel button over window, then the answer.
    void checkForUpdates(QWidget* window = nullptr);

    /// Starts a check of feed without telling the user; checkFinished gives the
    /// answer. False (and nothing starts) while another check runs.
    bool startCheck(const QUrl& feed);
    /// Stops the running check; it finishes as Cancelled.
    void cancelCheck();
    bool isChecking() const;

    /// The feed address the store names, as typed there.
    QString feedAddress() const;
    /// The address as a URL for fetching, or an invalid URL when it is no http, https or file address.
    static QUrl feedUrl(const QString& address);

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    /// Our version as compared with the feed's; the build's own unless set (for tests).
    QString currentVersion() const { return m_currentVersion; }
    void setCurrentVersion(const QString& version) { m_currentVersion = version; }

signals:
    void checkFinished(const tolvo::updates::UpdateCheckResult& result);

private:
    void fetchFinished(const updates::FeedAnswer& answer);
    /// Ends the fetch under way with why (a cancel or the time-out).
    void stopFetch(updates::UpdateCheckResult::Kind why);
    void finish(updates::UpdateCheckResult result);
    /// Gives a result without fetching anything, from the event loop.
    void finishLater(updates::UpdateCheckResult::Kind kind, const QString& detail);
    /// The answer as a dialog over window; "Open Download Page" opens the new version's page.
    void present(const updates::UpdateCheckResult& result, QWidget* window);

    Defaults& m_defaults;
    std::unique_ptr<updates::FeedFetch> m_fetch;
    bool m_fetching = false;
    std::unique_ptr<QTimer> m_timer;
    QUrl m_feed;
    bool m_pendingResult = false;
    int m_timeoutMs = kDefaultTimeoutMs;
    QString m_currentVersion;
    QPointer<QMessageBox> m_progress;
    QPointer<QWidget> m_window;
    bool m_presentResult = false;
};

} // namespace tolvo
