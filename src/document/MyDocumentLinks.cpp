// SPDX-License-Identifier: GPL-3.0-or-later
// The document's link commands: links inserted into the notes and copied, the
// link style with its control and sheet, the TOC's Copy, double-click and drag,
// the drag of search results, and the grab of the page view's selection.
#include "document/MyDocument.h"

#include "document/DocumentWindow.h"
#include "document/LinkStyleSheet.h"
#include "document/LinkTransfers.h"
#include "document/MissingPrefixQuestion.h"
#include "document/NotesInsertion.h"
#include "document/search/SearchPane.h"
#include "links/LinkGrammar.h"
#include "links/LinkText.h"
#include "outline/OutlineModel.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "render/LinkMimeData.h"
#include "render/LocationLinks.h"
#include "routing/DocumentPrefix.h"
#include "search/SearchResultsModel.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "ui_MyDocument.h"
#include "widgets/SegmentedControl.h"
#include "widgets/TLNSOutlineView.h"
#include "widgets/TLNSTableView.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QToolBar>

namespace tolvo {

namespace {

/// The prefix sheet opens this long after "OK", once the question has closed.
constexpr int kPrefixSheetDelayMs = 250;

const QString kSpace = QStringLiteral(" ");
const QString kLineEnd = QStringLiteral(" \n");

constexpr LinkStyle kStyleOrder[] = { LinkStyle::Expanded, LinkStyle::Condensed, LinkStyle::CondensedWithTOCTitle };

// The insert commands' links: the fixed display text wholly linked, blue and underlined.
RichText insertedLink(const QString& display, const QString& url)
{
    return styledLink(display, url, true, LinkCover::WholeText);
}

} // namespace

// ---- Set-up ---------------------------------------------------------------------

void MyDocument::setUpLinkCommands()
{
    Ui::MyDocument& ui = m_window->ui();

    auto* bar = new QToolBar(tr("Links"), m_window.get());
    bar->setObjectName(QStringLiteral("linkControls"));
    m_window->addToolBar(Qt::TopToolBarArea, bar);
    bar->addWidget(new QLabel(tr("Insert link to "), bar));
    m_insertLinkControl
        = new SegmentedControl({ tr("Page"), tr("TOC"), tr("PDF") }, SegmentedControl::Mode::Momentary, bar);
    m_insertLinkControl->setObjectName(QStringLiteral("insertLinkControl"));
    m_insertLinkControl->setToolTip(tr("Insert a link into the notes, in the link style"));
    bar->addWidget(m_insertLinkControl);
    bar->addSeparator();
    bar->addWidget(new QLabel(tr("Link style "), bar));
    m_richURLControl = new SegmentedControl(
        { tr("Expanded"), tr("Condensed"), tr("TOC Titles") }, SegmentedControl::Mode::Selecting, bar);
    m_richURLControl->setObjectName(QStringLiteral("richURLSegmentedControl"));
    bar->addWidget(m_richURLControl);
    connect(m_insertLinkControl, &SegmentedControl::segmentClicked, this, &MyDocument::insertLink);
    connect(m_richURLControl, &SegmentedControl::segmentClicked, this, &MyDocument::changeURLRichTextPreference);
    m_richURLControl->setSelectedSegment(linkStyleIndex());

    connect(ui.outlineview, &TLNSOutlineView::copyRequested, this, &MyDocument::copySelectedItemsToClipboard);
    connect(ui.outlineview, &QAbstractItemView::doubleClicked, this, &MyDocument::doubleClickAction);
    ui.outlineview->setDragDataSource([this](const QModelIndexList& rows) -> std::unique_ptr<QMimeData> {
        QList<const MyOutlineItem*> items;
        for (const QModelIndex& row : rows)
            if (const MyOutlineItem* item = OutlineModel::itemForIndex(row))
                items.append(item);
        auto data = std::make_unique<QMimeData>();
        outlineView(items, data.get());
        return data->formats().isEmpty() ? nullptr : std::move(data);
    });

    if (m_searchPane) {
        m_searchPane->searchResultsTableView()->setDragDataSource(
            [this](const QModelIndexList& rows) -> std::unique_ptr<QMimeData> {
                std::vector<const MySearchResult*> results;
                for (const QModelIndex& row : rows)
                    if (const MySearchResult* result = SearchResultsModel::resultForIndex(row))
                        results.push_back(result);
                auto data = std::make_unique<QMimeData>();
                tableView(results, data.get());
                return data->formats().isEmpty() ? nullptr : std::move(data);
            });
    }

    if (m_pdfview) {
        connect(m_pdfview, &pageview::LabelPDFView::insertClipboardRichTextRequested, this,
            &MyDocument::insertClipboardRichText);
        connect(m_pdfview, &pageview::LabelPDFView::insertClipboardPlainTextRequested, this,
            &MyDocument::insertClipboardPlainText);
        connect(m_pdfview, &pageview::LabelPDFView::grabSelectedTextRequested, this, &MyDocument::grabSelectedText);
    }
}

// ---- State the commands read ----------------------------------------------------------

SegmentedControl* MyDocument::richURLSegmentedControl() const
{
    return m_richURLControl;
}

SegmentedControl* MyDocument::insertLinkControl() const
{
    return m_insertLinkControl;
}

LinkStyleSheet* MyDocument::urlRichTextSheet() const
{
    return m_urlRichTextSheet;
}

QString MyDocument::prefixEndingInSlash()
{
    const QString current = linkPrefix();
    if (!current.endsWith(u'/')) {
        m_slashedPrefix = current + u'/';
        if (m_pdfview)
            m_pdfview->setPrefix(m_slashedPrefix);
        emit prefixChanged(m_slashedPrefix);
    }
    return linkPrefix();
}

std::optional<QString> MyDocument::currentPageLabel() const
{
    if (!m_pdfview || !m_pdfdoc || m_pdfview->currentPage() < 0)
        return std::nullopt;
    return m_pdfdoc->pageLabel(m_pdfview->currentPage());
}

QList<const MyOutlineItem*> MyDocument::selectedOutlineItems() const
{
    QList<const MyOutlineItem*> items;
    TLNSOutlineView* view = outlineview();
    if (!treecontroller() || !view || !view->selectionModel())
        return items;
    for (const QModelIndex& row : view->selectionModel()->selectedRows(0))
        if (const MyOutlineItem* item = OutlineModel::itemForIndex(row))
            items.append(item);
    return items;
}

int MyDocument::linkStyleIndex() const
{
    const LinkStyle style = currentLinkStyle(defaults());
    for (int i = 0; i < 3; ++i)
        if (kStyleOrder[i] == style)
            return i;
    return -1;
}

// ---- Page links ---------------------------------------------------------------------------

void MyDocument::insertShortPageURL()
{
    const std::optional<QString> label = currentPageLabel();
    if (!label)
        return;
    const QString prefixText = prefixEndingInSlash();
    insertIntoTextView(
        selectedTextView(), { insertedLink(prefixText + *label + u'/', pageLink(prefixText, *label)), kSpace });
}

void MyDocument::insertLongPageURL()
{
    const std::optional<QString> label = currentPageLabel();
    if (!label || !m_prefix)
        return;
    if (prefix().startsWith(QLatin1String("prefix")) && m_prefix->shouldConfirmPrefix()) {
        // Asked once per open document, whichever the answer.
        m_prefix->clearShouldConfirmPrefix();
        if (askForReadablePrefix(m_window.get(), prefix())) {
            QTimer::singleShot(kPrefixSheetDelayMs, this, &MyDocument::configurePrefix);
            return;
        }
    }
    insertIntoTextView(selectedTextView(), { pageLink(prefixEndingInSlash(), *label), kSpace });
}

void MyDocument::copyPageURLToClipboard()
{
    const std::optional<QString> label = currentPageLabel();
    if (!label)
        return;
    std::unique_ptr<QMimeData> data = urlMimeData({ pageLink(linkPrefix(), *label) });
    if (!data) {
        QApplication::beep();
        return;
    }
    putOnClipboard(std::move(data));
}

// ---- TOC links ---------------------------------------------------------------------------

void MyDocument::insertPrefixBasedTOCURL()
{
    const QString prefixText = linkPrefix();
    QList<NotesPiece> pieces;
    for (const MyOutlineItem* item : selectedOutlineItems()) {
        const QString target = outline().makeShortURLForMOI(item);
        pieces << insertedLink(prefixText + target + u'/', tocLink(prefixText, target)) << kLineEnd;
    }
    if (!pieces.isEmpty())
        insertIntoTextView(selectedTextView(), pieces);
}

void MyDocument::insertShortTOCURL()
{
    const QString prefixText = linkPrefix();
    const bool showTarget = currentLinkStyle(defaults()) == LinkStyle::Condensed;
    QList<NotesPiece> pieces;
    for (const MyOutlineItem* item : selectedOutlineItems()) {
        const QString target = outline().makeShortURLForMOI(item);
        const QString display = prefixText + (showTarget ? target : item->pageTitle());
        pieces << insertedLink(display, tocLink(prefixText, target)) << kLineEnd;
    }
    if (!pieces.isEmpty())
        insertIntoTextView(selectedTextView(), pieces);
}

void MyDocument::insertLongTOCURL()
{
    const QString prefixText = linkPrefix();
    QList<NotesPiece> pieces;
    for (const MyOutlineItem* item : selectedOutlineItems())
        pieces << tocLink(prefixText, outline().makeShortURLForMOI(item)) + kSpace << kLineEnd;
    if (!pieces.isEmpty())
        insertIntoTextView(selectedTextView(), pieces);
}

void MyDocument::copyTOCURLToClipboard()
{
    QStringList urls;
    for (const MyOutlineItem* item : selectedOutlineItems())
        urls << tocLink(linkPrefix(), outline().makeShortURLForMOI(item));
    if (urls.isEmpty())
        return;
    std::unique_ptr<QMimeData> data = urlMimeData(urls);
    if (!data) {
        QApplication::beep();
        return;
    }
    putOnClipboard(std::move(data));
}

// ---- Whole-PDF links --------------------------------------------------------------------------

void MyDocument::insertShortPDFURL()
{
    const QString prefixText = linkPrefix();
    // The closing "/" is not shown; a prefix without one shows whole.
    const QString display = prefixText.endsWith(u'/') ? prefixText.chopped(1) : prefixText;
    insertIntoTextView(selectedTextView(), { insertedLink(display, wholePdfLink(prefixText)), kLineEnd });
}

void MyDocument::insertLongPDFURL()
{
    insertIntoTextView(selectedTextView(), { wholePdfLink(linkPrefix()) + kSpace, kLineEnd });
}

void MyDocument::copyPDFURLToClipboard()
{
    std::unique_ptr<QMimeData> data = urlMimeData({ wholePdfLink(linkPrefix()) });
    if (!data) {
        QApplication::beep();
        return;
    }
    putOnClipboard(std::move(data));
}

// ---- The insert control --------------------------------------------------------------------------

void MyDocument::InsertLinkPage()
{
    if (currentLinkStyle(defaults()) == LinkStyle::Expanded)
        insertLongPageURL();
    else
        insertShortPageURL();
}

void MyDocument::InsertLinkTOC()
{
    if (currentLinkStyle(defaults()) == LinkStyle::Expanded)
        insertLongTOCURL();
    else
        insertShortTOCURL();
}

void MyDocument::InsertLinkPDF()
{
    if (currentLinkStyle(defaults()) == LinkStyle::Expanded)
        insertLongPDFURL();
    else
        insertShortPDFURL();
}

void MyDocument::insertLink(int segment)
{
    switch (segment) {
    case 0:
        InsertLinkPage();
        break;
    case 1:
        InsertLinkTOC();
        break;
    case 2:
        InsertLinkPDF();
        break;
    default:
        break;
    }
}

// ---- Link style ----------------------------------------------------------------------------------

void MyDocument::storeLinkStyle(int index)
{
    if (index < 0 || index > 2)
        return;
    defaults().setValue(QString::fromLatin1(keys::kURLRichTextPreference), linkStyleString(kStyleOrder[index]));
    defaults().synchronize();
    if (m_richURLControl)
        m_richURLControl->setSelectedSegment(index);
}

void MyDocument::FormatURLExpanded()
{
    storeLinkStyle(0);
}

void MyDocument::FormatURLCondensed()
{
    storeLinkStyle(1);
}

void MyDocument::FormatURLCondensedTOCTitle()
{
    storeLinkStyle(2);
}

void MyDocument::changeURLRichTextPreference(int segment)
{
    storeLinkStyle(segment);
}

void MyDocument::configureURLRichText()
{
    if (!m_window)
        return;
    if (!m_urlRichTextSheet) {
        m_urlRichTextSheet = new LinkStyleSheet(m_window.get());
        connect(m_urlRichTextSheet, &TaggedSheet::buttonFired, this, &MyDocument::endURLRichTextSheet);
        connect(m_urlRichTextSheet, &QDialog::finished, this, &MyDocument::urlRichTextSheetDidEnd);
    }
    m_urlRichTextSheet->selectCellWithTag(linkStyleIndex());
    m_urlRichTextSheet->begin();
}

void MyDocument::endURLRichTextSheet(int tag)
{
    if (m_urlRichTextSheet)
        m_urlRichTextSheet->done(tag);
}

void MyDocument::urlRichTextSheetDidEnd(int returnCode)
{
    if (returnCode == 1 && m_urlRichTextSheet)
        storeLinkStyle(m_urlRichTextSheet->selectedTag());
}

// ---- The TOC's Copy, double-click and drag, and the results' drag --------------------------------------

bool MyDocument::outlineView(const QList<const MyOutlineItem*>& items, QMimeData* pasteboard) const
{
    const LinkTransfer transfer = tocItemsDrag(outline(), items, linkPrefix(), TransferOptions::read(defaults()));
    if (!transfer.isEmpty() && pasteboard)
        writeRichText(*pasteboard, transfer.rich, transfer.plainText());
    return true;
}

bool MyDocument::tableView(const std::vector<const MySearchResult*>& results, QMimeData* pasteboard) const
{
    const LinkTransfer transfer
        = searchResultsDrag(outline(), results, linkPrefix(), TransferOptions::read(defaults()));
    if (!transfer.isEmpty() && pasteboard)
        writeRichText(*pasteboard, transfer.rich, transfer.plainText());
    return true;
}

void MyDocument::copySelectedItemsToClipboard()
{
    const QList<const MyOutlineItem*> items = selectedOutlineItems();
    if (items.isEmpty())
        return;
    const TransferOptions options = TransferOptions::read(defaults());
    const LinkTransfer transfer = tocItemsCopy(outline(), items, linkPrefix(), options);
    if (transfer.isEmpty())
        return;
    putOnClipboard(options.markdown ? plainTextMimeData(transfer.plainText()) : richTextMimeData(transfer.rich));
}

void MyDocument::doubleClickAction()
{
    TLNSOutlineView* view = outlineview();
    if (!view)
        return;
    if (const MyOutlineItem* item = OutlineModel::itemForIndex(view->currentIndex()))
        moveToPageLabel(item->pageLabel());
}

// ---- Grabbing the page view's selection ---------------------------------------------------------------

void MyDocument::grabSelectedText()
{
    const pdf::TextSelection* selection = m_pdfview ? &m_pdfview->currentSelection() : nullptr;
    const std::optional<LinkPlace> place = selection && m_pdfdoc && !selection->text.isEmpty()
        ? selectionLinkPlace(*m_pdfdoc, *selection)
        : std::nullopt;
    if (!place) {
        QApplication::beep();
        return;
    }
    const SelectionCopyOptions options = selectionCopyOptions(defaults());
    const SelectionCopy copy = selectionCopy(selection->text, linkPrefix(), *place, options);
    const QString lineBreak = QStringLiteral("\n");
    if (options.markdown)
        insertIntoTextView(selectedTextView(), { lineBreak + copy.markdown + lineBreak });
    else
        insertIntoTextView(selectedTextView(), { lineBreak, copy.rich, lineBreak });
}

} // namespace tolvo
