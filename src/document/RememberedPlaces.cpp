// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/RememberedPlaces.h"

#include "document/ViewCommands.h"
#include "pageview/PageView.h"
#include "routing/FileIdentity.h"

#include <QScreen>
#include <QWidget>

namespace tolvo {

namespace {

int tagOfMode(pageview::DisplayMode mode)
{
    switch (mode) {
    case pageview::DisplayMode::SinglePage:
        return tagOf(DisplayCommand::SinglePage);
    case pageview::DisplayMode::SinglePageContinuous:
        return tagOf(DisplayCommand::SinglePageContinuous);
    case pageview::DisplayMode::TwoUp:
        return tagOf(DisplayCommand::TwoUp);
    case pageview::DisplayMode::TwoUpContinuous:
        return tagOf(DisplayCommand::TwoUpContinuous);
    }
    return 0;
}

std::optional<pageview::DisplayMode> modeOfTag(int tag)
{
    switch (tag) {
    case tagOf(DisplayCommand::SinglePage):
        return pageview::DisplayMode::SinglePage;
    case tagOf(DisplayCommand::SinglePageContinuous):
        return pageview::DisplayMode::SinglePageContinuous;
    case tagOf(DisplayCommand::TwoUp):
        return pageview::DisplayMode::TwoUp;
    case tagOf(DisplayCommand::TwoUpContinuous):
        return pageview::DisplayMode::TwoUpContinuous;
    default:
        return std::nullopt;
    }
}

bool isManaged(const QWidget* window)
{
    return window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

} // namespace

RememberedPlaces::RememberedPlaces(PlaceMemory& memory, QString path, QObject* parent)
    : QObject(parent)
    , m_memory(memory)
    , m_path(std::move(path))
    , m_identity(identityOf(m_path))
{
    m_remembered = m_memory.place(m_identity);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &RememberedPlaces::save);
}

QString RememberedPlaces::identityOf(const QString& path)
{
    return identityOf(path, permanentIdOf(path));
}

QString RememberedPlaces::identityOf(const QString& path, const QByteArray& id)
{
    if (!id.isEmpty())
        return QStringLiteral("id:") + QString::fromLatin1(id);
    const QByteArray fingerprint = contentFingerprint(path);
    return fingerprint.isEmpty() ? QString() : QStringLiteral("content:") + QString::fromLatin1(fingerprint);
}

std::optional<pageview::DisplayMode> RememberedPlaces::displayModeOf(int tag)
{
    return modeOfTag(tag);
}

RememberedPlace RememberedPlaces::placeOf(const pageview::PageView& view, const QWidget* window)
{
    RememberedPlace place;
    const pdf::Destination here = view.currentDestination();
    place.pageIndex = std::max(0, here.pageIndex);
    place.point = here.point;
    place.scale = view.scaleFactor();
    place.autoScales = view.autoScales();
    place.displayMode = tagOfMode(view.displayMode());
    place.book = view.displaysAsBook();
    if (window)
        place.windowSize = isManaged(window) ? window->normalGeometry().size() : window->size();
    return place;
}

void RememberedPlaces::applyView(pageview::PageView& view)
{
    m_view = &view;
    if (m_remembered) {
        if (const std::optional<pageview::DisplayMode> mode = displayModeOf(m_remembered->displayMode))
            view.setDisplayMode(*mode);
        view.setDisplaysAsBook(m_remembered->book);
        if (m_remembered->autoScales)
            view.setAutoScales(true);
        else
            view.setScaleFactor(m_remembered->scale);
        moveToRememberedPlace();
    }
    auto later = [this] { m_saveTimer.start(); };
    connect(&view, &pageview::PageView::pageChanged, this, later);
    connect(&view, &pageview::PageView::scaleChanged, this, later);
    connect(&view, &pageview::PageView::displayModeChanged, this, later);
}

void RememberedPlaces::applyWindowSize(QWidget& window) const
{
    if (!m_remembered || !m_remembered->windowSize.isValid())
        return;
    // A size from a larger screen is cut to this one's.
    QSize size = m_remembered->windowSize;
    if (const QScreen* screen = window.screen())
        size = size.boundedTo(screen->availableGeometry().size());
    window.resize(size.expandedTo(window.minimumSize()));
}

bool RememberedPlaces::goToRememberedPlace()
{
    // Until the window has arrived at its place, what it shows is no place to keep.
    m_arrived = true;
    return moveToRememberedPlace();
}

std::optional<int> RememberedPlaces::rememberedPage(const std::optional<RememberedPlace>& place, int pageCount)
{
    if (!place || place->pageIndex >= pageCount)
        return std::nullopt;
    return place->pageIndex;
}

bool RememberedPlaces::moveToRememberedPlace()
{
    const std::optional<int> page = m_view ? rememberedPage(m_remembered, m_view->pageCount()) : std::nullopt;
    if (!page)
        return false;
    if (m_remembered->point)
        m_view->goToDestination({ *page, *m_remembered->point });
    else
        m_view->goToPage(*page);
    return true;
}

void RememberedPlaces::recordRecent()
{
    m_memory.addRecentFile(m_path);
}

void RememberedPlaces::save()
{
    m_saveTimer.stop();
    if (!m_view || !m_arrived || m_identity.isEmpty())
        return;
    m_remembered = placeOf(*m_view, m_view->window());
    m_memory.remember(m_identity, m_path, *m_remembered);
}

} // namespace tolvo
