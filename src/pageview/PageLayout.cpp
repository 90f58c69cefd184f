// SPDX-License-Identifier: GPL-3.0-or-later
#include "pageview/PageLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tolvo::pageview {

bool isContinuous(DisplayMode mode)
{
    return mode == DisplayMode::SinglePageContinuous || mode == DisplayMode::TwoUpContinuous;
}

bool isTwoUp(DisplayMode mode)
{
    return mode == DisplayMode::TwoUp || mode == DisplayMode::TwoUpContinuous;
}

void PageLayout::setPages(const QVector<QSizeF>& displaySizes, DisplayMode mode, bool displaysAsBook)
{
    m_sizes = displaySizes;
    m_mode = mode;
    m_book = displaysAsBook;
    m_rows.clear();
    m_rowOfPage.fill(-1, m_sizes.size());
    const int count = int(m_sizes.size());
    if (!isTwoUp(mode)) {
        for (int i = 0; i < count; ++i)
            m_rows.append(Row { i, -1 });
    } else {
        int i = 0;
        // A book opens with its cover alone, on the right-hand side.
        if (m_book && count > 0)
            m_rows.append(Row { -1, i++ });
        for (; i < count; i += 2)
            m_rows.append(Row { i, i + 1 < count ? i + 1 : -1 });
    }
    for (int r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r].left >= 0)
            m_rowOfPage[m_rows[r].left] = r;
        if (m_rows[r].right >= 0)
            m_rowOfPage[m_rows[r].right] = r;
    }
    m_rects.fill(QRectF(), count);
    m_rowTop.fill(0, m_rows.size());
    m_rowBottom.fill(0, m_rows.size());
    m_shownRow = m_rows.isEmpty() ? -1 : 0;
    m_documentSize = QSizeF();
}

int PageLayout::rowOfPage(int pageIndex) const
{
    return (pageIndex >= 0 && pageIndex < m_rowOfPage.size()) ? m_rowOfPage[pageIndex] : -1;
}

bool PageLayout::isShown(int pageIndex) const
{
    return pageIndex >= 0 && pageIndex < m_rects.size() && !m_rects[pageIndex].isNull();
}

std::pair<int, int> PageLayout::shownRows() const
{
    if (m_rows.isEmpty())
        return { 0, 0 };
    if (isContinuous(m_mode))
        return { 0, int(m_rows.size()) };
    return { m_shownRow, m_shownRow + 1 };
}

namespace {

// The width of a row in points, measured so that its gutter (two-up) or its
// centre line (single page) sits in the middle.
struct RowExtent {
    double halfWidth = 0; // two-up: the wider of the two sides; single: half the page
    double height = 0;
};

} // namespace

double PageLayout::fitScale(const QSizeF& viewport, int shownPage, Fit fit) const
{
    if (m_rows.isEmpty())
        return 1;
    const bool twoUp = isTwoUp(m_mode);
    auto extent = [&](const Row& row) {
        RowExtent e;
        for (int p : { row.left, row.right }) {
            if (p < 0)
                continue;
            e.halfWidth = std::max(e.halfWidth, twoUp ? m_sizes[p].width() : m_sizes[p].width() / 2);
            e.height = std::max(e.height, m_sizes[p].height());
        }
        return e;
    };
    const double fixedWidth = 2 * kMargin + (twoUp ? kGap : 0);
    const double availableWidth = std::max(1.0, viewport.width() - fixedWidth);
    const double availableHeight = std::max(1.0, viewport.height() - 2 * kMargin);
    if (fit == Fit::Automatic)
        fit = isContinuous(m_mode) ? Fit::Width : Fit::Page;
    double scale;
    if (fit == Fit::Width && isContinuous(m_mode)) {
        double half = 0;
        for (const Row& row : m_rows)
            half = std::max(half, extent(row).halfWidth);
        scale = half > 0 ? availableWidth / (2 * half) : 1;
    } else {
        int r = rowOfPage(shownPage);
        const RowExtent e = extent(m_rows[r >= 0 ? r : 0]);
        const double byWidth = e.halfWidth > 0 ? availableWidth / (2 * e.halfWidth) : 1;
        const double byHeight = e.height > 0 ? availableHeight / e.height : 1;
        scale = fit == Fit::Width ? byWidth : std::min(byWidth, byHeight);
    }
    return scale;
}

void PageLayout::layout(double scale, const QSizeF& viewport, int shownPage)
{
    m_scale = scale;
    m_rects.fill(QRectF(), m_sizes.size());
    if (m_rows.isEmpty()) {
        m_shownRow = -1;
        m_documentSize = viewport;
        return;
    }
    const int requested = rowOfPage(shownPage);
    m_shownRow = requested >= 0 ? requested : std::clamp(m_shownRow, 0, int(m_rows.size()) - 1);
    const auto [firstRow, endRow] = shownRows();
    const bool twoUp = isTwoUp(m_mode);

    double half = 0; // the widest half row, in pixels
    for (int r = firstRow; r < endRow; ++r)
        for (int p : { m_rows[r].left, m_rows[r].right })
            if (p >= 0)
                half = std::max(half, twoUp ? m_sizes[p].width() * scale : m_sizes[p].width() * scale / 2);
    const double contentWidth = 2 * half + 2 * kMargin + (twoUp ? kGap : 0);

    double y = kMargin;
    for (int r = firstRow; r < endRow; ++r) {
        double rowHeight = 0;
        for (int p : { m_rows[r].left, m_rows[r].right })
            if (p >= 0)
                rowHeight = std::max(rowHeight, m_sizes[p].height() * scale);
        m_rowTop[r] = y;
        m_rowBottom[r] = y + rowHeight;
        y += rowHeight + kGap;
    }
    const double contentHeight = y - kGap + kMargin;

    const double width = std::max(contentWidth, viewport.width());
    const double height = std::max(contentHeight, viewport.height());
    const double centre = width / 2;
    const double top = (height - contentHeight) / 2;
    for (int r = firstRow; r < endRow; ++r) {
        m_rowTop[r] += top;
        m_rowBottom[r] += top;
        const double rowHeight = m_rowBottom[r] - m_rowTop[r];
        auto place = [&](int p, double x) {
            const QSizeF size = m_sizes[p] * scale;
            m_rects[p] = QRectF(QPointF(x, m_rowTop[r] + (rowHeight - size.height()) / 2), size);
        };
        const Row& row = m_rows[r];
        if (!twoUp) {
            place(row.left, centre - m_sizes[row.left].width() * scale / 2);
        } else {
            if (row.left >= 0)
                place(row.left, centre - kGap / 2 - m_sizes[row.left].width() * scale);
            if (row.right >= 0)
                place(row.right, centre + kGap / 2);
        }
    }
    m_documentSize = QSizeF(width, height);
}

QRectF PageLayout::pageRect(int pageIndex) const
{
    return (pageIndex >= 0 && pageIndex < m_rects.size()) ? m_rects[pageIndex] : QRectF();
}

int PageLayout::firstRowReaching(double y) const
{
    // Rows are laid out top to bottom: the first shown row whose bottom reaches y.
    auto [first, end] = shownRows();
    while (first < end) {
        const int middle = first + (end - first) / 2;
        if (m_rowBottom[middle] < y)
            first = middle + 1;
        else
            end = middle;
    }
    return first;
}

QVector<int> PageLayout::pagesIn(const QRectF& area) const
{
    QVector<int> pages;
    const int end = shownRows().second;
    for (int r = firstRowReaching(area.top()); r < end && m_rowTop[r] <= area.bottom(); ++r)
        for (int p : { m_rows[r].left, m_rows[r].right })
            if (p >= 0 && m_rects[p].intersects(area))
                pages.append(p);
    return pages;
}

int PageLayout::pageAt(const QPointF& point, bool nearest) const
{
    const auto [begin, end] = shownRows();
    if (begin >= end)
        return -1;
    const int reaching = firstRowReaching(point.y());
    // The candidates: the row reaching the point and the one above it.
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    auto consider = [&](int r) {
        for (int p : { m_rows[r].left, m_rows[r].right }) {
            if (p < 0)
                continue;
            const QRectF& rect = m_rects[p];
            if (rect.contains(point))
                return p;
            const double dx = std::max({ rect.left() - point.x(), 0.0, point.x() - rect.right() });
            const double dy = std::max({ rect.top() - point.y(), 0.0, point.y() - rect.bottom() });
            const double distance = std::hypot(dx, dy);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = p;
            }
        }
        return -1;
    };
    if (reaching < end)
        if (int hit = consider(reaching); hit >= 0)
            return hit;
    if (reaching > begin)
        if (int hit = consider(reaching - 1); hit >= 0)
            return hit;
    return nearest ? best : -1;
}

} // namespace tolvo::pageview
