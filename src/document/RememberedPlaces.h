// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A document window's part in the place memory: the window opens where its PDF was left
// (page, point, zoom, display mode, window size) and tells the memory where it is now.

#include "settings/PlaceMemory.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>

class QWidget;

namespace tolvo {

namespace pageview {
class PageView;
enum class DisplayMode;
} // namespace pageview

/// Keeps one document's place in a PlaceMemory. The PDF is known by its identity (the PDF's
/// permanent identifier, else a fingerprint of its content), so a renamed or moved file keeps
/// its place and a PDF saved again by an annotating program does too.
class RememberedPlaces : public QObject {
    Q_OBJECT
public:
    /// How long after the last change of page, zoom or mode the place is written.
    static constexpr int kSaveDelayMs = 1000;

    /// Reads the place remembered for the PDF at path.
    RememberedPlaces(PlaceMemory& memory, QString path, QObject* parent = nullptr);

    /// The identity under which a PDF file's place is kept; empty when the file cannot be read.
    static QString identityOf(const QString& path);
    /// The same, for a PDF whose permanent identifier is known already (empty: it has none).
    static QString identityOf(const QString& path, const QByteArray& permanentId);
    /// The display mode of a remembered place's mode tag; nothing for none.
    static std::optional<pageview::DisplayMode> displayModeOf(int tag);
    /// The page a window opens at for a remembered place: nothing when there is none, or when the
    /// PDF no longer has that page.
    static std::optional<int> rememberedPage(const std::optional<RememberedPlace>& place, int pageCount);
    /// What a view and its window show now.
    static RememberedPlace placeOf(const pageview::PageView& view, const QWidget* window);

    const std::optional<RememberedPlace>& remembered() const { return m_remembered; }

    /// Gives the view the remembered display mode, zoom and place, so that its first frame shows
    /// where the PDF was left; from now on its changes are kept.
    void applyView(pageview::PageView& view);
    /// Gives the window the remembered size.
    void applyWindowSize(QWidget& window) const;
    /// The window's first positioning: moves the view to the remembered page and point (false when
    /// there is none to go to); from now on the place is written after each change.
    bool goToRememberedPlace();
    /// Writes the place now (the window closes).
    void save();
    /// Puts the file first in the recent list: when its window has shown it, which the writing
    /// need not hold up.
    void recordRecent();

private:
    bool moveToRememberedPlace();

    PlaceMemory& m_memory;
    QString m_path;
    QString m_identity;
    std::optional<RememberedPlace> m_remembered;
    QPointer<pageview::PageView> m_view;
    QTimer m_saveTimer;
    bool m_arrived = false;
};

} // namespace tolvo
