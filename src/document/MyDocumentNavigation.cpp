// SPDX-License-Identifier: GPL-3.0-or-later
// Moving a document's page view: targets, page labels, pages, history, the
// go-to sheet, and the display and zoom commands.
#include "document/MyDocument.h"

#include "document/DocumentMenus.h"
#include "document/DocumentWindow.h"
#include "document/GotoPageSheet.h"
#include "document/NightMode.h"
#include "document/OutlinePane.h"
#include "links/LinkGrammar.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "ui_MyDocument.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>

namespace tolvo {

namespace {

// The page view's display mode of a display command; nothing for book display, which is no mode.
std::optional<pageview::DisplayMode> displayModeOf(DisplayCommand command)
{
    switch (command) {
    case DisplayCommand::SinglePage:
        return pageview::DisplayMode::SinglePage;
    case DisplayCommand::SinglePageContinuous:
        return pageview::DisplayMode::SinglePageContinuous;
    case DisplayCommand::TwoUp:
        return pageview::DisplayMode::TwoUp;
    case DisplayCommand::TwoUpContinuous:
        return pageview::DisplayMode::TwoUpContinuous;
    case DisplayCommand::BookDisplay:
        break;
    }
    return std::nullopt;
}

// A typed target read as the go-to sheet reads it: a page label, a title path of the outline, a location.
TargetReading readGoToTarget(const MyDocument& document, const QString& target)
{
    const OutlineTree& tree = document.outline();
    return readTarget(
        target, [&document](const QString& label) { return document.pageForLabel(label); },
        [&tree](const QStringList& components) -> std::optional<int> {
            const std::optional<OutlineTree::Items> matches = tree.moiMatchingURLSuffix(components);
            if (!matches || matches->empty())
                return std::nullopt;
            return tree.indexOf(matches->front());
        });
}

} // namespace

std::optional<int> MyDocument::pageForLabel(const QString& label) const
{
    finishSetUpNow();
    return m_labels.pageForLabel(label);
}

bool MyDocument::isValidPageLabel(const QString& target) const
{
    return plainPageLabelPage(target, [this](const QString& label) { return pageForLabel(label); }).has_value();
}

void MyDocument::moveToPageLabel(const QString& target)
{
    if (!m_pdfview)
        return;
    const TargetReading reading
        = readLocationOrPageLabel(target, [this](const QString& label) { return pageForLabel(label); });
    switch (reading.kind) {
    case TargetReading::Kind::Location:
        m_pdfview->goToRect(reading.locationRect(), reading.pageIndex);
        break;
    case TargetReading::Kind::Page:
        m_pdfview->goToPage(reading.pageIndex);
        break;
    case TargetReading::Kind::TitlePath:
    case TargetReading::Kind::None:
        break;
    }
}

void MyDocument::gotoString(const QString& target)
{
    goToTarget(target);
}

bool MyDocument::goToTarget(const QString& target)
{
    if (!m_pdfview)
        return false;
    const OutlineTree& tree = outline();
    const TargetReading reading = readGoToTarget(*this, target);
    switch (reading.kind) {
    case TargetReading::Kind::TitlePath: {
        const MyOutlineItem* item = tree.items().at(std::size_t(reading.matchId));
        showOutlineItem(item);
        if (m_outlinePane)
            m_outlinePane->selectItem(item);
        focusOnTOC();
        return true;
    }
    case TargetReading::Kind::Location:
        m_pdfview->goToRect(reading.locationRect(), reading.pageIndex);
        return true;
    case TargetReading::Kind::Page:
        m_pdfview->goToPage(reading.pageIndex);
        return true;
    case TargetReading::Kind::None:
        break;
    }
    return false;
}

void MyDocument::outlineItemChosen(const MyOutlineItem* item)
{
    showOutlineItem(item);
}

void MyDocument::showOutlineItem(const MyOutlineItem* item)
{
    if (!m_pdfview)
        return;
    // A TOC entry shows as a reader shows a heading: its point at the top-left corner of the
    // view, not merely somewhere in view as a spot of a location link is.
    if (const std::optional<LocationTarget> location = parseLocationTarget(item->pageLabel())) {
        if (const std::optional<int> page = pageForLabel(location->pageLabel)) {
            m_pdfview->goToDestination({ *page, location->point });
            return;
        }
    }
    moveToPageLabel(item->pageLabel());
}

void MyDocument::PDFprevPage()
{
    if (m_pdfview)
        m_pdfview->goToPreviousPage();
}

void MyDocument::PDFnextPage()
{
    if (m_pdfview)
        m_pdfview->goToNextPage();
}

void MyDocument::PDFgoBack()
{
    if (m_pdfview)
        m_pdfview->goBack();
}

void MyDocument::PDFgoForward()
{
    if (m_pdfview)
        m_pdfview->goForward();
}

QLineEdit* MyDocument::gotoPDFPageTextField() const
{
    return m_gotoSheet ? m_gotoSheet->gotoPDFPageTextField() : nullptr;
}

void MyDocument::showGotoPDFPagePanel()
{
    if (!m_window)
        return;
    if (!m_gotoSheet) {
        m_gotoSheet = new GotoPageSheet(m_window.get());
        connect(m_gotoSheet, &TaggedSheet::buttonFired, this, &MyDocument::dismissGotoPDFPagePanel);
        connect(m_gotoSheet, &QDialog::finished, this, &MyDocument::gotoPDFPagePanelHasEnded);
    }
    m_gotoSheet->showMessage(QString());
    m_gotoSheet->gotoPDFPageTextField()->selectAll();
    m_gotoSheet->begin();
    m_gotoSheet->gotoPDFPageTextField()->setFocus();
}

void MyDocument::dismissGotoPDFPagePanel(int tag)
{
    if (!m_gotoSheet)
        return;
    if (tag == 1) {
        // The sheet stays, saying why, so that the text can be mended rather than typed again.
        const QString text = m_gotoSheet->gotoPDFPageTextField()->text();
        if (readGoToTarget(*this, text).kind == TargetReading::Kind::None) {
            QApplication::beep();
            m_gotoSheet->showMessage(tr("No page, section or place is called \"%1\".").arg(text));
            return;
        }
    }
    m_gotoSheet->done(tag);
}

void MyDocument::gotoPDFPagePanelHasEnded(int returnCode)
{
    if (returnCode == 1 && m_gotoSheet)
        gotoString(m_gotoSheet->gotoPDFPageTextField()->text());
}

void MyDocument::PDFDisplayChange(DisplayCommand command)
{
    if (!m_pdfview)
        return;
    if (command == DisplayCommand::BookDisplay)
        m_pdfview->setDisplaysAsBook(!m_pdfview->displaysAsBook());
    else if (const std::optional<pageview::DisplayMode> mode = displayModeOf(command))
        m_pdfview->setDisplayMode(*mode);
    if (m_menus)
        m_menus->validateAll();
}

void MyDocument::PDFChangeZoom(ZoomCommand command)
{
    if (!m_pdfview)
        return;
    switch (command) {
    case ZoomCommand::ZoomToFit:
        m_pdfview->setAutoScales(true);
        break;
    case ZoomCommand::ZoomIn:
        m_pdfview->zoomIn();
        break;
    case ZoomCommand::ZoomOut:
        m_pdfview->zoomOut();
        break;
    case ZoomCommand::ActualSize:
        m_pdfview->zoomToActualSize();
        break;
    }
}

bool MyDocument::validateMenuItem(QAction* item) const
{
    if (!item)
        return false;
    item->setEnabled(true);
    // Keeping images means something in night mode only.
    if (m_nightMode && m_pdfview && item == m_nightMode->keepImagesAction())
        item->setEnabled(m_pdfview->nightMode());
    if (m_menus && m_pdfview && m_menus->displayActions().contains(item)) {
        const std::optional<DisplayCommand> command = displayCommandOf(item);
        bool on = false;
        if (command == DisplayCommand::BookDisplay)
            on = m_pdfview->displaysAsBook();
        else if (const std::optional<pageview::DisplayMode> mode = command ? displayModeOf(*command) : std::nullopt)
            on = m_pdfview->displayMode() == *mode;
        item->setChecked(on);
    }
    return true;
}

} // namespace tolvo
