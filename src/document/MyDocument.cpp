// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a document and setting up its window.
#include "document/MyDocument.h"

#include "document/DocumentMarks.h"
#include "document/DocumentMenus.h"
#include "document/DocumentWindow.h"
#include "document/FileReveal.h"
#include "document/FindOnPage.h"
#include "document/FullScreen.h"
#include "document/GotoPageSheet.h"
#include "document/NightMode.h"
#include "document/NotesPane.h"
#include "document/NotesStore.h"
#include "document/OpenAhead.h"
#include "document/OpenErrorAlert.h"
#include "document/OutlinePane.h"
#include "document/PageZoomBoxes.h"
#include "document/PdfDrop.h"
#include "document/PrefixSheet.h"
#include "document/PrintDocument.h"
#include "document/RememberedPlaces.h"
#include "document/WindowLayout.h"
#include "document/search/AnnotationExportCommands.h"
#include "outline/OutlineModel.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "pdf/OutlineFromPdf.h"
#include "pdf/PdfDocument.h"
#include "pdf/StructureLoader.h"
#include "render/PageAhead.h"
#include "routing/DocumentPrefix.h"
#include "routing/FileIdentity.h"
#include "search/AnnotationCollector.h"
#include "search/DocumentSearch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/FirstViewMemory.h"
#include "settings/StartupTrace.h"
#include "ui_MyDocument.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcDocument, "tolvo.document")

namespace tolvo {

MyDocument::MyDocument(DocumentEnvironment environment, QObject* parent)
    : QObject(parent)
    , m_env(std::move(environment))
    , m_outline(std::make_unique<OutlineTree>())
{
}

MyDocument::~MyDocument() = default;

Defaults& MyDocument::defaults() const
{
    return m_env.defaults ? *m_env.defaults : Defaults::standard();
}

QString MyDocument::fileName() const
{
    return QFileInfo(m_path).fileName();
}

void MyDocument::revealFile(const QString& path) const
{
    if (m_env.revealFile)
        m_env.revealFile(path);
    else
        tolvo::revealFile(path);
}

bool MyDocument::readFromURL(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(absolute))
        return m_pdfdoc != nullptr;
    if (!m_pdfdoc) {
        startupStep("opening the PDF");
        // The window needs nothing from the file: it is made while the file is still read,
        // rather than after.
        if (isOpeningAhead(absolute)) {
            m_windowAhead = std::make_unique<DocumentWindow>();
            startupStep("window made ahead");
        }
        std::optional<OpenedAhead> ahead = takeOpenedAhead(absolute);
        if (!ahead)
            ahead = OpenedAhead { statFile(absolute), pdf::openDocument(absolute), {}, nullptr };
        const std::optional<FileStat> before = ahead->before;
        pdf::OpenResult opened = std::move(ahead->result);
        m_spareCopy = std::move(ahead->spareCopy);
        m_firstPageAhead = std::move(ahead->firstPage);
        startupStep("PDF open");
        for (bool wrong = false; !opened.document && opened.needsPassword; wrong = true) {
            const std::optional<QString> password
                = m_env.askPassword ? m_env.askPassword(absolute, wrong) : PasswordPrompt::ask(absolute, wrong);
            if (!password) {
                // Cancel: the user chose not to open it, which needs no alert.
                qCInfo(lcDocument).noquote() << "No password given for" << absolute;
                return false;
            }
            for (const QByteArray& encoded : passwordEncodings(*password)) {
                opened = pdf::openDocument(absolute, encoded);
                if (!opened.needsPassword)
                    break;
            }
        }
        if (opened.document) {
            m_pdfdoc = std::move(opened.document);
            m_path = absolute;
            // The remembered place and the prefix ask for the identifier next; the open
            // document knows it, where asking the file would parse it once more each time.
            if (const std::optional<QByteArray> id = m_pdfdoc->permanentId(); id && before)
                notePermanentId(absolute, *before, *id);
        } else {
            qCWarning(lcDocument).noquote() << "Cannot open" << absolute << ":" << opened.error;
        }
    }
    if (m_pdfdoc)
        return true;
    showOpenErrorAlert(absolute, [this](const QString& file) { revealFile(file); });
    return false;
}

void MyDocument::makeWindowControllers()
{
    if (m_window)
        return;
    m_window = m_windowAhead ? std::move(m_windowAhead) : std::make_unique<DocumentWindow>();
    startupStep("window made");
    connect(m_window.get(), &DocumentWindow::windowWillClose, this, [this] {
        noteRecentlyOpened();
        if (m_place)
            m_place->save();
        // Marks still waiting for their moment go into the PDF now; the journal keeps what cannot.
        if (m_marks)
            m_marks->save();
        emit closed(this);
    });
    windowControllerDidLoadNib();
}

void MyDocument::windowControllerDidLoadNib()
{
    Ui::MyDocument& ui = m_window->ui();

    // 1. The search pane starts closed.
    ui.searchSplitView->setPosition(0, 0, false);

    // 2. The page view gets the PDF.
    if (!m_pdfdoc)
        return;
    auto* view = new pageview::LabelPDFView(ui.pageViewContainer);
    view->setObjectName(QStringLiteral("pdfview"));
    view->setDefaults(&defaults());
    ui.pageViewLayout->addWidget(view);
    m_pdfview = view;
    if (m_env.places)
        m_place = std::make_unique<RememberedPlaces>(*m_env.places, m_path);
    startupStep("page view made");
    view->setDocument(m_pdfdoc.get(), std::move(m_spareCopy));
    view->setPageAhead(std::move(m_firstPageAhead));
    startupStep("page view has the PDF");
    view->setPageLabelLocation(QStringLiteral("Q4"));
    connect(view, &pageview::PageView::pageChanged, this, &MyDocument::pdfViewPageChanged);
    m_fullScreen = new FullScreenCommand(m_window.get());
    m_nightMode = new NightModeCommand(view, defaults(), this);
    setUpMarks();
    m_menus = std::make_unique<DocumentMenus>(*this, ui.menubar);
    connect(view, &pageview::PageView::displayModeChanged, m_menus.get(), &DocumentMenus::validateAll);
    connect(view, &pageview::PageView::linkActivated, this, &MyDocument::followPdfLink);
    // The labels are read once the first page shows; until then the box shows the place alone.
    m_boxes = std::make_unique<PageZoomBoxes>(
        m_window.get(), *view, [this](const QString& target) { return goToTarget(target); },
        [this](int pageIndex) { return m_setUpFinished ? m_labels.labels().value(pageIndex) : QString(); });

    // 3. The prefix.
    PrefixCallbacks callbacks;
    callbacks.alert
        = [this](const QString& message, const QString& informative) { showPrefixAlert(message, informative); };
    callbacks.beep = [] { QApplication::beep(); };
    callbacks.showPrefixSheet
        = [this](const QString& prefix, const QString& pdfPath) { showPrefixSheet(prefix, pdfPath); };
    callbacks.prefixChanged = [this](const QString& prefix) {
        if (m_pdfview) {
            m_pdfview->setPrefix(prefix);
            m_pdfview->viewport()->update();
        }
        emit prefixChanged(prefix);
    };
    callbacks.validate = m_env.validateRoutingDictionary;
    m_prefix = std::make_unique<DocumentPrefix>(defaults(), m_path, std::move(callbacks));
    m_prefix->assignPrefix(m_env.prefixesInUse ? m_env.prefixesInUse() : QSet<QString>());

    // 4 and 5. The outline, like the label map of step 12, waits for the first page to show:
    // making it costs a big manual more than drawing that page (finishSetUp).

    // 6. The page view's display, at the top of the first page, or where the PDF was left.
    setUpPageView();
    m_pdfview->setLinkPrefixSource([this] { return linkPrefix(); });

    // 7. The notes areas with their ruler.
    m_notes = std::make_unique<NotesPane>(ui.notesPane, ui.tabview,
        NotesPane::Views { ui.textview1, ui.textview2, ui.textview3, ui.textview4, ui.textview5 }, ui.notesRuler,
        m_env.notes ? *m_env.notes : NotesStore::shared(), defaults());
    m_notes->showRulers();
    connect(m_notes.get(), &NotesPane::linkActivated, this, &MyDocument::followLink);
    m_layout = std::make_unique<WindowLayout>(
        m_window.get(), ui.mainSplitView,
        [this] {
            return defaults().boolForKey(QString::fromLatin1(keys::kShouldHideTOCViewIfMissingTOC))
                && outline().outlinedata_array().empty();
        },
        [this](int width) { m_notes->setTextWidth(width); });
    connect(ui.keepWindowOnTop, &QAction::toggled, this, &MyDocument::keepWindowOnTopFired);
    const QList<QAction*> segments
        = { ui.tocSegment0, ui.tocSegment1, ui.tocSegment2, ui.tocSegment3, ui.tocSegment4, ui.tocSegment5 };
    for (int i = 0; i < int(segments.size()); ++i)
        connect(segments[i], &QAction::triggered, this, [this, i] { tocCommandControlClicked(i); });

    // PDFs dropped on the window open beside it.
    new PdfDrop(m_window.get(), [this](const QString& path) {
        if (m_env.openFile)
            m_env.openFile(path);
    });

    // 8. The window, at the size it had last, titled, in front.
    if (m_place)
        m_place->applyWindowSize(*m_window);
    pdfViewPageChanged();
    bringWindowsForward();
    startupStep("window shown");
    rememberFirstView();

    // 9. A moment after the window shows, the top-left corner of the first page.
    positionAtFirstPage();

    // 10. The notes tab chosen last; the panes' widths follow the outline (finishSetUp).
    m_notes->selectStoredTab();

    // 11. The search pane, its three segments selected; 13, the annotation list, waits for the first page.
    setUpSearch();

    // The link controls and sheet, the TOC's and the results' drags, the page view's link gestures.
    setUpLinkCommands();

    // 14. Typing goes to the notes.
    selectedTextView()->setFocus(Qt::OtherFocusReason);

    // The rest once the first page is on screen, or soon in any case.
    connect(
        m_pdfview, &pageview::PageView::visiblePagesDrawn, this,
        [this] { QTimer::singleShot(0, this, &MyDocument::firstPagesShown); }, Qt::SingleShotConnection);
    QTimer::singleShot(kFinishSetUpLatestMs, this, &MyDocument::firstPagesShown);
    startupStep("window set up");
}

void MyDocument::firstPagesShown()
{
    startStructureLoad();
    noteRecentlyOpened();
}

void MyDocument::noteRecentlyOpened()
{
    if (m_notedRecent || !m_pdfdoc)
        return;
    m_notedRecent = true;
    if (m_place)
        m_place->recordRecent();
    emit recentlyOpened(this);
}

void MyDocument::startStructureLoad()
{
    if (m_setUpFinished || !m_pdfdoc || !m_window || m_structureLoader)
        return;
    m_structureLoader = std::make_unique<StructureLoader>();
    connect(m_structureLoader.get(), &StructureLoader::ready, this, &MyDocument::finishSetUp);
    m_structureLoader->start(*m_pdfdoc);
    startAnnotationCollector();
}

void MyDocument::finishSetUp()
{
    if (m_setUpFinished || !m_pdfdoc || !m_window)
        return;
    m_setUpFinished = true;
    std::unique_ptr<DocumentStructure> structure
        = m_structureLoader ? m_structureLoader->take() : readDocumentStructure(*m_pdfdoc);
    m_structureLoader.reset();
    m_labels = std::move(structure->labels);
    setUpOutline(std::move(structure));
    m_layout->positionInitialDividers();
    if (m_boxes)
        m_boxes->showCurrentPage();
    startAnnotationCollector();
}

void MyDocument::finishSetUpNow() const
{
    // Asking for the outline or the labels before they were made makes them now.
    const_cast<MyDocument*>(this)->finishSetUp();
}

const OutlineTree& MyDocument::outline() const
{
    finishSetUpNow();
    return *m_outline;
}

const QHash<QString, int>& MyDocument::pageLabel2pageIndex() const
{
    finishSetUpNow();
    return m_labels.pageLabel2pageIndex();
}

void MyDocument::setUpOutline(std::unique_ptr<DocumentStructure> structure)
{
    Ui::MyDocument& ui = m_window->ui();
    m_outline = std::make_unique<OutlineTree>(std::move(structure->outline));
    m_outlinePane = std::make_unique<OutlinePane>(ui.outlineview);
    m_outlinePane->setTree(*m_outline);
    connect(m_outlinePane.get(), &OutlinePane::itemChosen, this, &MyDocument::outlineItemChosen);
}

void MyDocument::setUpPageView()
{
    pageview::LabelPDFView* view = m_pdfview;
    view->setDisplayMode(pageview::DisplayMode::SinglePageContinuous);
    view->setAutoScales(true);
    if (m_pdfdoc->pageCount() > 0) {
        const QRectF media = m_pdfdoc->pageGeometry(0).mediaBox;
        view->goToDestination({ 0, QPointF(media.x() + media.width() / 2, media.y() + media.height()) });
    }
    view->viewport()->update();
    // PDFs dropped on the pages are opened by the window (PdfDrop).
    view->setAcceptDrops(false);
    if (m_place)
        m_place->applyView(*view);
}

void MyDocument::positionAtFirstPage()
{
    if (m_pdfdoc->pageCount() <= 0) {
        m_firstPositioningDone = true;
        return;
    }
    m_firstPositioning = new QTimer(this);
    m_firstPositioning->setSingleShot(true);
    connect(m_firstPositioning, &QTimer::timeout, this, &MyDocument::doFirstPositioning);
    m_firstPositioning->start(kFirstPositioningDelayMs);
    bringWindowsForward();
}

void MyDocument::positionAtFirstPageNow()
{
    if (m_firstPositioning && m_firstPositioning->isActive()) {
        m_firstPositioning->stop();
        doFirstPositioning();
    }
}

void MyDocument::doFirstPositioning()
{
    if (!m_pdfview || m_firstPositioningDone)
        return;
    // A PDF opened before opens where it was left; a link's target comes after this and wins.
    if (!m_place || !m_place->goToRememberedPlace()) {
        const QRectF media = m_pdfdoc->pageGeometry(0).mediaBox;
        m_pdfview->goToDestination({ 0, QPointF(media.x(), media.y() + media.height()) });
    }
    // Where a window opens is no place to go back to.
    m_pdfview->navigator().clear();
    bringWindowsForward();
    m_firstPositioningDone = true;
    emit firstPositioningDone();
}

void MyDocument::bringWindowsForward()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void MyDocument::rememberFirstView()
{
    if (!m_env.firstViews || !m_pdfview || !m_window || !m_window->isVisible())
        return;
    ShownView shown;
    if (m_place && m_place->remembered())
        shown.asked = m_place->remembered()->windowSize;
    shown.window = m_window->size();
    const QWidget* viewport = m_pdfview->viewport();
    shown.viewport = QSizeF(viewport->size());
    shown.logicalDpi = viewport->logicalDpiY();
    shown.devicePixelRatio = viewport->devicePixelRatioF();
    m_env.firstViews->remember(shown);
}

void MyDocument::close()
{
    if (m_window)
        m_window->close();
}

void MyDocument::printDocument()
{
    if (m_pdfdoc && m_window)
        showPrintDialog(*m_pdfdoc, m_pdfview ? m_pdfview->currentPage() : 0, m_window.get());
}

QString MyDocument::windowTitleForCurrentPage() const
{
    const int count = m_pdfdoc ? m_pdfdoc->pageCount() : 0;
    const int current = m_pdfview ? std::max(0, m_pdfview->currentPage()) : 0;
    // One arg() call: a "%1" in the file name is text, not a place for the next number.
    return QStringLiteral("%1 (page %2 of %3)").arg(fileName(), QString::number(current + 1), QString::number(count));
}

void MyDocument::pdfViewPageChanged()
{
    if (m_window)
        m_window->setWindowTitle(windowTitleForCurrentPage());
}

pageview::LabelPDFView* MyDocument::pdfview() const
{
    return m_pdfview;
}

PrefixSheet* MyDocument::prefixWindow() const
{
    return m_prefixSheet;
}

GotoPageSheet* MyDocument::gotoPDFPagePanel() const
{
    return m_gotoSheet;
}

QString MyDocument::prefix() const
{
    const QString current = m_prefix ? m_prefix->prefix() : QStringLiteral("prefix");
    // The "/" a link command added stays for as long as the prefix is the one it was added to.
    return !m_slashedPrefix.isEmpty() && m_slashedPrefix.chopped(1) == current ? m_slashedPrefix : current;
}

QString MyDocument::linkPrefix() const
{
    // Storing changes what the routing table holds, not what this document is: the prefix
    // it shows changes only from temporary to stored.
    if (m_prefix)
        m_prefix->prefixForLink(m_env.prefixesInUse ? m_env.prefixesInUse() : QSet<QString>());
    return prefix();
}

bool MyDocument::shouldConfirmPrefix() const
{
    return m_prefix ? m_prefix->shouldConfirmPrefix() : true;
}

OutlineModel* MyDocument::treecontroller() const
{
    finishSetUpNow();
    return m_outlinePane ? m_outlinePane->treecontroller() : nullptr;
}

TLNSOutlineView* MyDocument::outlineview() const
{
    return m_window ? m_window->ui().outlineview : nullptr;
}

TLSplitView* MyDocument::mainSplitView() const
{
    return m_window ? m_window->ui().mainSplitView : nullptr;
}

TLSplitView* MyDocument::searchSplitView() const
{
    return m_window ? m_window->ui().searchSplitView : nullptr;
}

QTextEdit* MyDocument::selectedTextView() const
{
    return m_notes ? m_notes->selectedTextView() : nullptr;
}

QString MyDocument::tabviewselectedlabel() const
{
    return m_notes ? m_notes->tabviewselectedlabel() : QString();
}

void MyDocument::followLink(const QString& href)
{
    if (href.startsWith(QLatin1String("tolvo:"), Qt::CaseInsensitive)) {
        if (m_env.openLink)
            m_env.openLink(href);
        else
            QDesktopServices::openUrl(QUrl(href));
        return;
    }
    // Notes take pasted rich text from anywhere: only the web and mail, never a file or a
    // program's own scheme, leave through a click.
    const QUrl url(href);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https" && scheme != u"mailto")) {
        QApplication::beep();
        return;
    }
    if (m_env.openExternalUrl)
        m_env.openExternalUrl(url);
    else
        QDesktopServices::openUrl(url);
}

} // namespace tolvo
