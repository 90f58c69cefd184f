// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page view's history of places: jumps record places, plain scrolling does
// not. A QObject without widgets, so it is testable on its own.
//
// The list holds the places jumped to, with an index at the current one.
// Before a jump or a step back or forward the view calls update() with where
// it really is, so that returning brings the reader back to the spot they
// had scrolled to, not only to where the last jump had landed.

#include <QObject>
#include <QPointF>
#include <QVector>

#include <optional>

namespace tolvo::pageview {

/// A place in a document: a page and a point in its page space.
struct PageLocation {
    int pageIndex = -1;
    QPointF point;
    bool operator==(const PageLocation& other) const = default;
};

class PageNavigator : public QObject {
    Q_OBJECT
public:
    explicit PageNavigator(QObject* parent = nullptr);

    /// Records a jump to a place: drops the places ahead of the current one and appends it.
    /// A jump to the current place itself records nothing.
    void jump(const PageLocation& to);
    /// Replaces the current place (or records the first one) without adding to the history.
    void update(const PageLocation& here);
    /// Steps back; the place to show, or nothing at the start of the history.
    std::optional<PageLocation> back();
    /// Steps forward; the place to show, or nothing at the end of the history.
    std::optional<PageLocation> forward();
    /// Forgets every place.
    void clear();

    std::optional<PageLocation> currentLocation() const;
    bool backAvailable() const { return m_index > 0; }
    bool forwardAvailable() const { return m_index + 1 < m_places.size(); }
    int count() const { return int(m_places.size()); }

signals:
    void backAvailableChanged(bool available);
    void forwardAvailableChanged(bool available);
    void currentLocationChanged();

private:
    void changed(bool hadBack, bool hadForward);

    QVector<PageLocation> m_places;
    qsizetype m_index = -1;
};

} // namespace tolvo::pageview
