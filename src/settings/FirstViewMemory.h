// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How big a new document window's page view was when the window first showed, by the size the
// window was given: what lets a PDF's first page be drawn at the right scale before its window
// is made. The page view's share of a window depends on the style, fonts and panes, which only
// the made window knows; so it is learnt from the windows shown, and a drawing ahead at a scale
// that turns out wrong is dropped, never shown. Kept in the cache folder
// ($XDG_CACHE_HOME/Tolvo/first-view.json); a damaged or missing file is no memory.

#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>

namespace tolvo {

/// A window's page view as it first showed.
struct ShownView {
    /// The size the window was given (a remembered size); invalid: the window's own size.
    QSize asked;
    QSize window; ///< the window's size when it showed
    QSizeF viewport; ///< the page view's viewport, logical pixels
    double logicalDpi = 96;
    double devicePixelRatio = 1;
    bool operator==(const ShownView&) const = default;
};

class FirstViewMemory {
public:
    static constexpr int kMaxViews = 8;

    explicit FirstViewMemory(QString path);
    /// The memory in the user's cache folder.
    static QString standardPath();

    /// The view of a window given the size asked (invalid: its own size): as it was last, or else,
    /// for a size not seen yet, the last view seen grown or shrunk by what the window is. Nothing
    /// when no window showed yet, or asked is invalid and no window showed at its own size.
    std::optional<ShownView> viewFor(const QSize& asked) const;
    /// Keeps a window's view as the newest, writing the file only when that changes anything.
    /// False when it could not be written.
    bool remember(const ShownView& view);

private:
    QString m_path;
};

} // namespace tolvo
