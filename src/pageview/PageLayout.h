// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where each page sits in the page view's scrollable area, for every display
// mode, book display and scale. Pure geometry, testable without widgets.
//
// Units are logical pixels ("view points"); a page of w by h points at scale s
// is w*s by h*s. Rows hold one page (single page modes) or two (two-up); in the
// non-continuous modes only one row is laid out at a time.

#include <QRectF>
#include <QSizeF>
#include <QVector>

#include <utility>

namespace tolvo::pageview {

enum class DisplayMode { SinglePage, SinglePageContinuous, TwoUp, TwoUpContinuous };

/// True for the modes that show every page in one scrolling column.
bool isContinuous(DisplayMode mode);
/// True for the two pages side by side modes.
bool isTwoUp(DisplayMode mode);

class PageLayout {
public:
    /// Space around the pages and between them, in logical pixels at every scale.
    static constexpr double kMargin = 8;
    static constexpr double kGap = 8;

    /// One row of pages: up to two, left to right. -1 marks an empty slot.
    struct Row {
        int left = -1;
        int right = -1;
        int first() const { return left >= 0 ? left : right; }
        int last() const { return right >= 0 ? right : left; }
    };

    /// Sets the pages' displayed sizes in points, the mode and book display; lays nothing out yet.
    void setPages(const QVector<QSizeF>& displaySizes, DisplayMode mode, bool displaysAsBook);

    /// Lays the pages out at the scale in a viewport of the given size; in the
    /// non-continuous modes only the row of shownPage.
    void layout(double scale, const QSizeF& viewport, int shownPage);

    /// What a fitted scale fits: Automatic is Width in the continuous modes and Page otherwise;
    /// Width makes the widest row (the row of shownPage in the non-continuous modes) as wide as
    /// the viewport; Page makes the row of shownPage fit whole.
    enum class Fit { Automatic, Width, Page };
    /// The scale, in logical pixels per point, at which the pages fit the viewport.
    double fitScale(const QSizeF& viewport, int shownPage, Fit fit = Fit::Automatic) const;

    int pageCount() const { return int(m_sizes.size()); }
    const QVector<Row>& rows() const { return m_rows; }
    int rowOfPage(int pageIndex) const;
    /// The row laid out in the non-continuous modes (-1 when there are no pages).
    int shownRow() const { return m_shownRow; }
    bool isShown(int pageIndex) const;

    /// The page's rectangle in the scrollable area; null when it is not laid out.
    QRectF pageRect(int pageIndex) const;
    /// The whole scrollable area: at least the viewport, the pages centred in it.
    QSizeF documentSize() const { return m_documentSize; }
    double scale() const { return m_scale; }

    /// The laid-out pages that meet the rectangle, in page order.
    QVector<int> pagesIn(const QRectF& area) const;
    /// The page under the point; with nearest, the closest laid-out page when none is; else -1.
    int pageAt(const QPointF& point, bool nearest) const;

private:
    /// The laid-out rows: first and one past the last.
    std::pair<int, int> shownRows() const;
    int firstRowReaching(double y) const;

    QVector<QSizeF> m_sizes;
    DisplayMode m_mode = DisplayMode::SinglePageContinuous;
    bool m_book = false;
    QVector<Row> m_rows;
    QVector<int> m_rowOfPage;
    QVector<QRectF> m_rects;
    QVector<double> m_rowTop; // per row, parallel to m_rows; only shown rows are meaningful
    QVector<double> m_rowBottom;
    int m_shownRow = -1;
    double m_scale = 1;
    QSizeF m_documentSize;
};

} // namespace tolvo::pageview
