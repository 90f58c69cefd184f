// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page box and the zoom box of a document window's toolbar. The page box shows
// the current page's label with its place, "iv (4 of 120)", and goes where a typed
// label, page number or any go-to target leads; the zoom box shows the zoom as a
// percentage and offers the usual steps, Fit Width and Fit Page.

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QMainWindow;
class QToolBar;

namespace tolvo {

namespace pageview {
class PageView;
}

class PageZoomBoxes : public QObject {
    Q_OBJECT
public:
    /// Goes to a typed target; false, moving nothing, when it names no place.
    using GoTo = std::function<bool(const QString& target)>;
    /// The label of a page; empty while the labels are not known yet.
    using LabelOf = std::function<QString(int pageIndex)>;

    /// The zoom box's steps, as zoom factors (1 is actual size).
    static constexpr double kZoomSteps[] = { 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0 };

    /// Adds a toolbar with both boxes to window, for view.
    PageZoomBoxes(QMainWindow* window, pageview::PageView& view, GoTo goTo, LabelOf labelOf);

    QLineEdit* pageBox() const { return m_pageBox; }
    QComboBox* zoomBox() const { return m_zoomBox; }
    QToolBar* toolBar() const { return m_bar; }

    /// What the page box shows for a page: "label (n of N)", or "n of N" without a label.
    static QString pageBoxText(const QString& label, int pageIndex, int pageCount);
    /// The zoom a typed text asks for: "150", "150%" or "150 %" as 1.5; nothing for any other text.
    static std::optional<double> zoomForText(const QString& text);

public slots:
    /// Shows the current page; leaves the box alone while it is being edited.
    void showCurrentPage();
    /// Shows the current zoom.
    void showZoom();

private:
    void pageBoxEntered();
    void zoomChosen(int index);
    void zoomEntered();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<pageview::PageView> m_view;
    GoTo m_goTo;
    LabelOf m_labelOf;
    QToolBar* m_bar;
    QLineEdit* m_pageBox;
    QComboBox* m_zoomBox;
};

} // namespace tolvo
