// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PageZoomBoxes.h"

#include "pageview/PageView.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QRegularExpression>
#include <QToolBar>

#include <cmath>

namespace tolvo {

namespace {

// The zoom box's items carry their zoom factor, or one of these for the fits.
constexpr double kFitWidthItem = -1;
constexpr double kFitPageItem = -2;

QString percentText(double zoom)
{
    return QStringLiteral("%1%").arg(std::lround(zoom * 100));
}

} // namespace

PageZoomBoxes::PageZoomBoxes(QMainWindow* window, pageview::PageView& view, GoTo goTo, LabelOf labelOf)
    // Owned by its document, which may outlive the window's widgets by a moment.
    : QObject()
    , m_view(&view)
    , m_goTo(std::move(goTo))
    , m_labelOf(std::move(labelOf))
    , m_bar(new QToolBar(tr("Page and Zoom"), window))
    , m_pageBox(new QLineEdit(m_bar))
    , m_zoomBox(new QComboBox(m_bar))
{
    m_bar->setObjectName(QStringLiteral("pageZoomBoxes"));
    window->addToolBar(Qt::TopToolBarArea, m_bar);

    m_pageBox->setObjectName(QStringLiteral("pageBox"));
    m_pageBox->setToolTip(tr("The current page; type a page label, a page number or a table of contents path"));
    m_pageBox->setAlignment(Qt::AlignCenter);
    m_pageBox->setMinimumWidth(m_pageBox->fontMetrics().horizontalAdvance(QStringLiteral("xxviii (0000 of 0000)")));
    m_pageBox->setMaximumWidth(m_pageBox->minimumWidth() * 3 / 2);
    m_pageBox->installEventFilter(this);
    m_bar->addWidget(m_pageBox);

    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->setToolTip(tr("Zoom; 100% shows the pages at their printed size"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    for (double zoom : kZoomSteps)
        m_zoomBox->addItem(percentText(zoom), zoom);
    m_zoomBox->addItem(tr("Fit Width"), kFitWidthItem);
    m_zoomBox->addItem(tr("Fit Page"), kFitPageItem);
    m_zoomBox->setMinimumContentsLength(8);
    m_bar->addWidget(m_zoomBox);

    connect(m_pageBox, &QLineEdit::returnPressed, this, &PageZoomBoxes::pageBoxEntered);
    connect(m_zoomBox, &QComboBox::activated, this, &PageZoomBoxes::zoomChosen);
    connect(m_zoomBox->lineEdit(), &QLineEdit::returnPressed, this, &PageZoomBoxes::zoomEntered);
    m_zoomBox->lineEdit()->installEventFilter(this);
    connect(&view, &pageview::PageView::pageChanged, this, &PageZoomBoxes::showCurrentPage);
    connect(&view, &pageview::PageView::scaleChanged, this, &PageZoomBoxes::showZoom);
    showCurrentPage();
    showZoom();
}

QString PageZoomBoxes::pageBoxText(const QString& label, int pageIndex, int pageCount)
{
    const QString place = tr("%1 of %2").arg(pageIndex + 1).arg(pageCount);
    return label.isEmpty() ? place : QStringLiteral("%1 (%2)").arg(label, place);
}

std::optional<double> PageZoomBoxes::zoomForText(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+(?:[.,]\\d+)?)\\s*%?\\s*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double percent = match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || percent <= 0)
        return std::nullopt;
    return percent / 100;
}

void PageZoomBoxes::showCurrentPage()
{
    if (!m_view || m_pageBox->hasFocus())
        return;
    const int page = m_view->currentPage();
    if (page < 0) {
        m_pageBox->clear();
        return;
    }
    m_pageBox->setText(pageBoxText(m_labelOf ? m_labelOf(page) : QString(), page, m_view->pageCount()));
}

void PageZoomBoxes::showZoom()
{
    if (!m_view)
        return;
    m_zoomBox->setEditText(percentText(m_view->scaleFactor()));
}

void PageZoomBoxes::pageBoxEntered()
{
    if (!m_view)
        return;
    // What the box showed may come back with the typing: "iv (4 of 120)" reads as "iv".
    static const QRegularExpression place(QStringLiteral("\\s*\\(\\s*\\d+\\s+of\\s+\\d+\\s*\\)\\s*$"));
    QString text = m_pageBox->text();
    text.remove(place);
    text = text.trimmed();
    bool went = !text.isEmpty() && m_goTo && m_goTo(text);
    if (!went) {
        // A number that is no label counts the pages from 1.
        bool isNumber = false;
        const int number = text.toInt(&isNumber);
        if (isNumber && number >= 1 && number <= m_view->pageCount()) {
            m_view->goToPage(number - 1);
            went = true;
        }
    }
    if (!went) {
        QApplication::beep();
        m_pageBox->selectAll();
        return;
    }
    m_view->setFocus(Qt::OtherFocusReason);
    showCurrentPage();
}

void PageZoomBoxes::zoomChosen(int index)
{
    if (!m_view || index < 0)
        return;
    const double zoom = m_zoomBox->itemData(index).toDouble();
    if (zoom == kFitWidthItem)
        m_view->setAutoScale(pageview::PageView::AutoScale::FitWidth);
    else if (zoom == kFitPageItem)
        m_view->setAutoScale(pageview::PageView::AutoScale::FitPage);
    else
        m_view->setScaleFactor(zoom);
    showZoom();
}

void PageZoomBoxes::zoomEntered()
{
    if (!m_view)
        return;
    const QString text = m_zoomBox->currentText();
    // The box itself answers Return on a text that names one of its items, before this runs, and
    // shows the zoom chosen: that text is what is, and nothing is left to do.
    if (text == percentText(m_view->scaleFactor()))
        return;
    // The names of the fits typed in full work as well as choosing them.
    for (int i = 0; i < m_zoomBox->count(); ++i) {
        if (m_zoomBox->itemData(i).toDouble() < 0 && text.compare(m_zoomBox->itemText(i), Qt::CaseInsensitive) == 0) {
            zoomChosen(i);
            return;
        }
    }
    const std::optional<double> zoom = zoomForText(text);
    if (!zoom) {
        QApplication::beep();
        showZoom();
        m_zoomBox->lineEdit()->selectAll();
        return;
    }
    m_view->setScaleFactor(*zoom);
    showZoom();
}

bool PageZoomBoxes::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Leaving a box unfinished shows what is, not what was typed.
        if (watched == m_pageBox)
            QMetaObject::invokeMethod(this, &PageZoomBoxes::showCurrentPage, Qt::QueuedConnection);
        else if (watched == m_zoomBox->lineEdit())
            QMetaObject::invokeMethod(this, &PageZoomBoxes::showZoom, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tolvo
