// Moving a document's page view: targets, page labels, pages, history, the
// go-to sheet, and the display and zoom commands.
#include "document/MyDocument.h"

#include "document/DocumentMenus.h"
#include "document/DocumentWindow.h"
#include "document/GotoPageSheet.h"
#include "document/OutlinePane.h"
#include "links/LinkGrammar.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "ui_MyDocument.h"

#include <QAction>
#include <QLineEdit>

namespace tolvo {

namespace {

constexpr int kBookDisplayTag = 1000;
constexpr int kFirstModeTag = 1001;
constexpr int kLastModeTag = 1004;

// The display modes of tags 1001 to 1004, in tag order.
constexpr pageview::DisplayMode kModes[] = {
    pageview::DisplayMode::SinglePage,
    pageview::DisplayMode::SinglePageContinuous,
    pageview::DisplayMode::TwoUp,
    pageview::DisplayMode::TwoUpContinuous,
};

} // namespace

std::optional<int> MyDocument::pageForLabel(const QString& label) const
{
    finishSetUpNow();
    return m_labels.pageForLabel(label);
}

bool MyDocument::isValidPageLabel(const QString& target) const
{
    if (parseLocationTarget(target))
        return false;
    QString label = target;
    if (label.endsWith(QLatin1Char('/')))
        label.chop(1);
    return pageForLabel(label).has_value();
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
    if (!m_pdfview)
        return;
    const OutlineTree& tree = outline();
    const TargetReading reading = readTarget(
        target, [this](const QString& label) { return pageForLabel(label); },
        [&tree](const QStringList& components) -> std::optional<int> {
            const std::optional<OutlineTree::Items> matches = tree.moiMatchingURLSuffix(components);
            if (!matches || matches->empty())
                return std::nullopt;
            return tree.indexOf(matches->front());
        });
    switch (reading.kind) {
    case TargetReading::Kind::TitlePath: {
        const MyOutlineItem* item = tree.items().at(std::size_t(reading.matchId));
        showOutlineItem(item);
        if (m_outlinePane)
            m_outlinePane->selectItem(item);
        focusOnTOC();
        break;
    }
    case TargetReading::Kind::Location:
        m_pdfview->goToRect(reading.locationRect(), reading.pageIndex);
        break;
    case TargetReading::Kind::Page:
        m_pdfview->goToPage(reading.pageIndex);
        break;
    case TargetReading::Kind::None:
        break;
    }
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
    m_gotoSheet->gotoPDFPageTextField()->selectAll();
    m_gotoSheet->begin();
    m_gotoSheet->gotoPDFPageTextField()->setFocus();
}

void MyDocument::dismissGotoPDFPagePanel(int tag)
{
    if (m_gotoSheet)
        m_gotoSheet->done(tag);
}

void MyDocument::gotoPDFPagePanelHasEnded(int returnCode)
{
    if (returnCode == 1 && m_gotoSheet)
        gotoString(m_gotoSheet->gotoPDFPageTextField()->text());
}

void MyDocument::PDFDisplayChange(int tag)
{
    if (!m_pdfview)
        return;
    if (tag == kBookDisplayTag)
        m_pdfview->setDisplaysAsBook(!m_pdfview->displaysAsBook());
    else if (tag >= kFirstModeTag && tag <= kLastModeTag)
        m_pdfview->setDisplayMode(kModes[tag - kFirstModeTag]);
    if (m_menus)
        m_menus->validateAll();
}

void MyDocument::PDFChangeZoom(int tag)
{
    if (!m_pdfview)
        return;
    switch (tag) {
    case 401:
        m_pdfview->setAutoScales(true);
        break;
    case 402:
        m_pdfview->zoomIn();
        break;
    case 403:
        m_pdfview->zoomOut();
        break;
    case 404:
        m_pdfview->setScaleFactor(1.0);
        break;
    default:
        break;
    }
}

bool MyDocument::validateMenuItem(QAction* item) const
{
    if (!item)
        return false;
    item->setEnabled(true);
    if (m_menus && m_pdfview && m_menus->displayActions().contains(item)) {
        const int tag = item->data().toInt();
        bool on = false;
        if (tag == kBookDisplayTag)
            on = m_pdfview->displaysAsBook();
        else if (tag >= kFirstModeTag && tag <= kLastModeTag)
            on = m_pdfview->displayMode() == kModes[tag - kFirstModeTag];
        item->setChecked(on);
    }
    return true;
}

} // namespace tolvo
