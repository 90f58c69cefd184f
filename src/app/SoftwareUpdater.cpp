// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SoftwareUpdater.h"

#include "app/FeedFetch.h"
#include "app/SoftwareUpdaterVersion.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/ExternalAddresses.h"

#include <QDesktopServices>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

Q_LOGGING_CATEGORY(lcUpdater, "tolvo.updater")

namespace tolvo {

using updates::UpdateCheckResult;

SoftwareUpdater::SoftwareUpdater(QObject* parent)
    : SoftwareUpdater(Defaults::standard(), parent)
{
}

SoftwareUpdater::SoftwareUpdater(Defaults& defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_timer(std::make_unique<QTimer>())
    , m_currentVersion(updates::tolvoVersion())
{
    m_timer->setSingleShot(true);
    connect(m_timer.get(), &QTimer::timeout, this, [this] { stopFetch(UpdateCheckResult::Kind::Timeout); });
}

SoftwareUpdater::~SoftwareUpdater()
{
    // No answer is wanted any more.
    if (m_fetch)
        m_fetch->abort();
    delete m_progress;
}

QString SoftwareUpdater::feedAddress() const
{
    return m_defaults.stringForKey(QString::fromLatin1(keys::kSoftwareUpdateFeedURL));
}

QUrl SoftwareUpdater::feedUrl(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool web = (scheme == QLatin1String("https") || scheme == QLatin1String("http")) && !url.host().isEmpty();
    // A local file serves for mirrors and for trying a feed out.
    const bool file = scheme == QLatin1String("file") && !url.path().isEmpty();
    return url.isValid() && (web || file) ? url : QUrl();
}

bool SoftwareUpdater::isChecking() const
{
    return m_fetching || m_pendingResult;
}

bool SoftwareUpdater::startCheck(const QUrl& feed)
{
    if (isChecking())
        return false;
    m_feed = feed;
    if (!feedUrl(feed.toString()).isValid()) {
        finishLater(UpdateCheckResult::Kind::BadAddress, feed.toString());
        return true;
    }
    // The network module is loaded by the first check: most starts never check.
    if (!m_fetch) {
        QString problem;
        m_fetch = updates::loadFeedFetch(&problem);
        if (!m_fetch) {
            finishLater(UpdateCheckResult::Kind::NetworkError, problem);
            return true;
        }
    }
    m_fetching = true;
    m_fetch->start(feed, QStringLiteral("Tolvo/%1").arg(updates::tolvoVersion()), kMaxFeedBytes,
        [this](const updates::FeedAnswer& answer) { fetchFinished(answer); });
    m_timer->start(m_timeoutMs);
    return true;
}

void SoftwareUpdater::finishLater(UpdateCheckResult::Kind kind, const QString& detail)
{
    UpdateCheckResult result;
    result.kind = kind;
    result.detail = detail;
    // Answered from the event loop like every other check.
    m_pendingResult = true;
    QTimer::singleShot(0, this, [this, result] {
        m_pendingResult = false;
        finish(result);
    });
}

void SoftwareUpdater::cancelCheck()
{
    stopFetch(UpdateCheckResult::Kind::Cancelled);
}

void SoftwareUpdater::stopFetch(UpdateCheckResult::Kind why)
{
    if (!m_fetching)
        return;
    m_fetching = false;
    m_timer->stop();
    m_fetch->abort();
    UpdateCheckResult result;
    result.kind = why;
    finish(result);
}

void SoftwareUpdater::fetchFinished(const updates::FeedAnswer& answer)
{
    if (!m_fetching)
        return;
    m_fetching = false;
    m_timer->stop();

    UpdateCheckResult result;
    const int status = answer.httpStatus;
    if (answer.tooLarge) {
        result.kind = UpdateCheckResult::Kind::BadFeed;
        result.detail = QStringLiteral("the answer is larger than any update feed");
    } else if (status >= 400) {
        result.kind = UpdateCheckResult::Kind::HttpError;
        result.httpStatus = status;
        result.detail = answer.reason;
    } else if (answer.failed) {
        result.kind = UpdateCheckResult::Kind::NetworkError;
        result.detail = answer.error;
    } else if (status != 0 && status != 200) {
        // A redirect that was not followed, or another answer without a feed in it.
        result.kind = UpdateCheckResult::Kind::HttpError;
        result.httpStatus = status;
        result.detail = answer.reason;
    } else {
        result = updates::decideUpdate(answer.body, m_currentVersion, QUrl(QString::fromLatin1(addresses::kWebPage)));
    }
    finish(result);
}

void SoftwareUpdater::finish(UpdateCheckResult result)
{
    result.feed = m_feed;
    qCInfo(lcUpdater).noquote() << "Update check of" << m_feed.toDisplayString() << "finished:" << int(result.kind)
                                << result.newestVersion << result.detail;
    emit checkFinished(result);
    if (m_presentResult) {
        m_presentResult = false;
        present(result, m_window);
    }
}

void SoftwareUpdater::checkForUpdates(QWidget* window)
{
    if (isChecking()) {
        // The check under way answers; show where it stands.
        if (m_progress) {
            m_progress->raise();
            m_progress->activateWindow();
        }
        return;
    }
    const QString address = feedAddress();
    const QUrl feed = feedUrl(address);
    m_window = window;
    m_presentResult = true;
    if (!feed.isValid()) {
        m_feed = QUrl();
        finishLater(UpdateCheckResult::Kind::BadAddress, address);
        return;
    }
    startCheck(feed);

    auto* progress = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Tolvo"),
        QStringLiteral("Checking for Updates..."), QMessageBox::Cancel, window);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setInformativeText(QStringLiteral("Reading %1").arg(address));
    connect(progress, &QMessageBox::rejected, this, &SoftwareUpdater::cancelCheck);
    m_progress = progress;
    progress->open();
}

void SoftwareUpdater::present(const UpdateCheckResult& result, QWidget* window)
{
    if (m_progress) {
        m_progress->disconnect(this);
        m_progress->close();
    }
    if (result.kind == UpdateCheckResult::Kind::Cancelled)
        return;
    const updates::UpdateMessage message = updates::describeUpdate(result, m_currentVersion);
    auto* box = new QMessageBox(message.warning ? QMessageBox::Warning : QMessageBox::Information,
        QStringLiteral("Tolvo"), message.text, QMessageBox::NoButton, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(message.informativeText);
    if (result.kind == UpdateCheckResult::Kind::UpdateAvailable) {
        QPushButton* open = box->addButton(QStringLiteral("Open Download Page"), QMessageBox::AcceptRole);
        box->addButton(QStringLiteral("Not Now"), QMessageBox::RejectRole);
        box->setDefaultButton(open);
        const QUrl page = result.page;
        connect(box, &QMessageBox::finished, box, [box, open, page] {
            if (box->clickedButton() == open)
                QDesktopServices::openUrl(page);
        });
    } else {
        box->addButton(QMessageBox::Ok);
    }
    // Not exec(): the instance must go on answering other processes meanwhile.
    box->open();
}

} // namespace tolvo
