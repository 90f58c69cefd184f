// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One open PDF: its PDF services, outline tree, prefix and window.
//
// A document is made by reading a file (readFromURL), then its window is made
// from the layout "MyDocument" and set up in a fixed order
// (windowControllerDidLoadNib). It lives until its window closes.
//
// The named commands are slots here; the panes (notes, TOC, layout, sheets)
// live in their own classes and the slots hand over to them.

#include "document/PasswordPrompt.h"
#include "document/ViewCommands.h"
#include "pdf/PageLabelIndex.h"
#include "pdf/PdfDocument.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLineEdit;
class QMimeData;
class QTextEdit;
class QTimer;
class QUrl;

namespace tolvo {

namespace pdf {
class Document;
struct PageLink;
} // namespace pdf
namespace pageview {
class LabelPDFView;
class PageAhead;
} // namespace pageview

class AnnotationCollector;
struct AnnotationList;
class DocumentMarks;
class MarkCommands;
class AnnotationExportCommands;
class Defaults;
class DocumentMenus;
class DocumentSearch;
class DocumentPrefix;
struct DocumentStructure;
class DocumentWindow;
class FindOnPage;
class GotoPageSheet;
class LinkStyleSheet;
class MyOutlineItem;
class NotesPane;
class NotesStore;
class OutlineModel;
class OutlinePane;
class OutlineTree;
class PageZoomBoxes;
class FullScreenCommand;
class NightModeCommand;
class PlaceMemory;
class FirstViewMemory;
class PrefixSheet;
class RememberedPlaces;
class RichText;
class SearchPane;
class LibrarySearchDialog;
class SegmentedControl;
class StructureLoader;
struct MySearchResult;
class TLNSOutlineView;
class TLSplitView;
class WindowLayout;

/// What a document needs from the application around it. Empty members take
/// the process's own (the standard defaults store, the shared notes, the file manager).
struct DocumentEnvironment {
    Defaults* defaults = nullptr;
    NotesStore* notes = nullptr;
    /// The prefixes of the other open documents, which a temporary prefix avoids.
    std::function<QSet<QString>()> prefixesInUse;
    /// The application's routing check (validateRoutingDictionary).
    std::function<void()> validateRoutingDictionary;
    /// Shows a file selected in its folder.
    std::function<void(const QString& path)> revealFile;
    /// The Open command: lets the user choose PDFs to open.
    std::function<void(QWidget* window)> openDocuments;
    /// Follows a tolvo:// link as one from outside the application would be (openPDFforURLString);
    /// empty: hands it to the desktop, which sends it back to the running Tolvo.
    std::function<void(const QString& url)> openLink;
    /// Opens a web or mail address in the user's program for it; empty: QDesktopServices::openUrl.
    std::function<void(const QUrl& url)> openExternalUrl;
    /// Asks for the password of an encrypted PDF; empty: the password dialog.
    PasswordQuestion askPassword;
    /// Opens a PDF file the way the Open command does (a PDF dropped on the window).
    std::function<void(const QString& path)> openFile;
    /// Where each PDF was last left; nullptr: new windows open at the first page and nothing is kept.
    PlaceMemory* places = nullptr;
    /// Where the page view's size in new windows is learnt, for drawing the first page of a PDF
    /// ahead of its window; nullptr: it is not.
    FirstViewMemory* firstViews = nullptr;
    /// Where the journals of unsaved marks and the originals of marked PDFs are kept; empty:
    /// the user's data folder.
    QString dataFolder;
    /// Asks whether marks that a crash kept from being written should come back; empty: a question box.
    std::function<bool(QWidget* window, int count)> askRestoreMarks;
};

/// One open PDF and its window.
class MyDocument : public QObject {
    Q_OBJECT
public:
    /// The delay of a new window's first positioning at the top-left of its first page.
    static constexpr int kFirstPositioningDelayMs = 400;
    /// The outline, the label map and the panes' widths are made once the first page shows,
    /// and at the latest this long after the window set-up.
    static constexpr int kFinishSetUpLatestMs = 300;
    /// Window levels set by keepWindowOnTopFired.
    static constexpr int kStatusWindowLevel = 25;
    static constexpr int kNormalWindowLevel = 0;

    explicit MyDocument(DocumentEnvironment environment = {}, QObject* parent = nullptr);
    ~MyDocument() override;

    // ---- Loading and the window ---------------------------------------------

    /// Reads the PDF at path. A missing file answers true when the document already
    /// holds a PDF, else false, reading nothing. An encrypted PDF asks for its password until
    /// it opens or the user cancels (false, without an alert). A file that cannot be read as a
    /// PDF beeps, shows "Error opening PDF" and answers false.
    bool readFromURL(const QString& path);
    /// The window layout's name.
    static QString windowNibName() { return QStringLiteral("MyDocument"); }
    /// Makes the window from the layout and sets it up (windowControllerDidLoadNib).
    void makeWindowControllers();
    /// The window set-up, in its fixed order.
    void windowControllerDidLoadNib();
    /// The set-up steps that wait for the first page to show: the outline and its view, the
    /// main dividers, the label map. Runs once; any use of the outline or labels runs it first.
    /// Done here and now, waiting for the background read that the first page started if needed.
    void finishSetUp();

    const pdf::Document* pdfdoc() const { return m_pdfdoc.get(); }
    /// What the application gave the document.
    const DocumentEnvironment& environment() const { return m_env; }
    /// The document's place in the place memory; nullptr without one.
    RememberedPlaces* rememberedPlaces() const { return m_place.get(); }
    /// View ▸ Full Screen and View ▸ Night Mode of the window.
    FullScreenCommand* fullScreen() const { return m_fullScreen; }
    NightModeCommand* nightMode() const { return m_nightMode; }
    QString filePath() const { return m_path; }
    /// The PDF file's name, the last component of its path.
    QString fileName() const;
    pageview::LabelPDFView* pdfview() const;
    DocumentWindow* myWindow() const { return m_window.get(); }
    /// "name (page n of count)" for the current page.
    QString windowTitleForCurrentPage() const;

    // ---- Prefix ---------------------------------------------------------------

    QString prefix() const;
    /// The prefix every link made for this document carries as it leaves the window: a
    /// temporary prefix is first replaced by a stored one made from the file name, so
    /// that no link names a prefix that stops working when the window closes.
    QString linkPrefix() const;
    bool shouldConfirmPrefix() const;
    /// The document's prefix registry (assignment, storing, the prefix sheet's result).
    DocumentPrefix* documentPrefix() const { return m_prefix.get(); }
    PrefixSheet* prefixWindow() const;

    // ---- Outline --------------------------------------------------------------

    /// The outline tree (empty for a PDF without outline).
    const OutlineTree& outline() const;
    OutlineModel* treecontroller() const;
    TLNSOutlineView* outlineview() const;

    // ---- Navigation -----------------------------------------------------------

    /// True when the target, read as a plain page label with one trailing "/" dropped,
    /// names a page; a well-formed location target gives false.
    bool isValidPageLabel(const QString& target) const;
    /// The first page whose label equals the text exactly.
    std::optional<int> pageForLabel(const QString& label) const;
    /// Page label to page index, the last page of a shared label.
    const QHash<QString, int>& pageLabel2pageIndex() const;
    GotoPageSheet* gotoPDFPagePanel() const;
    /// Goes to a typed target as gotoString does; false, moving nothing, when it names no place.
    bool goToTarget(const QString& target);
    /// The toolbar's page and zoom boxes.
    PageZoomBoxes* pageZoomBoxes() const { return m_boxes.get(); }
    /// The highlighted matches of the search query and the steps through them.
    FindOnPage* findOnPage() const { return m_find.get(); }
    QLineEdit* gotoPDFPageTextField() const;

    /// Enables the item and sets the check marks of the display items from the page view.
    bool validateMenuItem(QAction* item) const;
    DocumentMenus* menus() const { return m_menus.get(); }

    // ---- Notes and layout -----------------------------------------------------

    /// The selected notes area's text view, where inserts go.
    QTextEdit* selectedTextView() const;
    QString tabviewselectedlabel() const;
    NotesPane* notesPane() const { return m_notes.get(); }
    TLSplitView* mainSplitView() const;
    TLSplitView* searchSplitView() const;
    WindowLayout* windowLayout() const { return m_layout.get(); }
    /// 25 while the window is kept above others, else 0.
    int windowLevel() const { return m_windowLevel; }

    // ---- Search and annotation export ------------------------------------------

    /// The search of this document: results, filter, the running find.
    DocumentSearch* search() const { return m_search.get(); }
    SearchPane* searchPane() const;
    /// The annotation list's collector, which hands the list to search and export when done.
    AnnotationCollector* annotationCollector() const { return m_annotations.get(); }
    AnnotationExportCommands* annotationExport() const { return m_export.get(); }
    /// The annotation list as search and export see it: the file's with the unsaved marks; nullptr
    /// until the file's list is collected.
    std::shared_ptr<const AnnotationList> annotationList() const { return m_annotationList; }

    // ---- Marks (MyDocumentMarks.cpp) ---------------------------------------------------

    /// The marks made in this window and their writing into the PDF.
    DocumentMarks* marks() const { return m_marks.get(); }
    /// The Marks menu's commands.
    MarkCommands* markCommands() const { return m_markCommands; }

    // ---- Links (MyDocumentLinks.cpp) ------------------------------------------------

    /// The prefix with a closing "/": one is added when missing, and the document keeps it for
    /// every later link (the routing table is not changed).
    QString prefixEndingInSlash();
    /// The window's link style control, segments 0 to 2 in the style order.
    SegmentedControl* richURLSegmentedControl() const;
    /// The window's insert control: 0 page, 1 TOC, 2 PDF.
    SegmentedControl* insertLinkControl() const;
    /// The link style sheet, made at its first showing.
    LinkStyleSheet* urlRichTextSheet() const;
    /// The drag of TOC items (outlineView:writeItems:toPasteboard:): their links in plain and rich
    /// text, written to pasteboard; nothing for no items. Always true.
    bool outlineView(const QList<const MyOutlineItem*>& items, QMimeData* pasteboard) const;
    /// The drag of search results (tableView:writeRowsWithIndexes:toPasteboard:): the results'
    /// links, in plain and rich text. Always true.
    bool tableView(const std::vector<const MySearchResult*>& results, QMimeData* pasteboard) const;
    /// The stored link style's place in the style order (0 to 2), read afresh; -1 for any other value.
    int linkStyleIndex() const;
    /// The outline items selected in the TOC, in selection order.
    QList<const MyOutlineItem*> selectedOutlineItems() const;

    /// Gives the whole text the user's font for copied rich text (its name and size from the
    /// defaults store); leaves it unchanged when no installed font has that name.
    void applyUserPreferredFontToMutableAttributedString(RichText& text) const;

public slots:
    /// Sets the window title for the current page.
    void pdfViewPageChanged();
    /// Goes to a link target or typed target: a title path of the outline first, else
    /// a location or page label.
    void gotoString(const QString& target);
    /// Follows a link clicked in the notes: a tolvo:// link through the application's dispatch,
    /// an http, https or mailto address in the user's program; any other address is not opened.
    void followLink(const QString& href);
    /// Follows a link of the PDF: a place in it (recorded, so that Back returns), a page command,
    /// or a web or mail address in the user's program; any other address beeps.
    void followPdfLink(const tolvo::pdf::PageLink& link);
    /// The next and previous match of the search query, across pages, wrapping; with no query,
    /// the search field.
    void findNext();
    void findPrevious();
    /// Goes to a location target, or to the page of a page label; nothing when no page has it.
    void moveToPageLabel(const QString& target);
    void PDFprevPage();
    void PDFnextPage();
    void PDFgoBack();
    void PDFgoForward();
    void showGotoPDFPagePanel();
    /// Ends the go-to sheet with the button's tag.
    void dismissGotoPDFPagePanel(int tag);
    /// Return code 1 sends the sheet's text to gotoString.
    void gotoPDFPagePanelHasEnded(int returnCode);
    /// Book display toggles; a display mode replaces the page view's mode.
    void PDFDisplayChange(DisplayCommand command);
    void PDFChangeZoom(ZoomCommand command);
    /// Shows the PDF file selected in its folder.
    void openPDFCommandFired();

    void TOCCollapseAllLevels();
    void TOCExpandAllLevels();
    void TOCExpandLevel1();
    void TOCExpandLevel2();
    void TOCExpandLevel3();
    /// The TOC command control: segments 0 to 4 are the five commands above, 5 TOCToggleView.
    void tocCommandControlClicked(int segment);
    /// Makes the outline view the window's first responder.
    void focusOnTOC();

    void TOCToggleView();
    void revertToIBDesignedThreeFrameWindow();
    void revertToTwoFrameWindowWithMinimumIBWidth();
    void collapseSidebarSplitViews();
    void keepWindowOnTopFired(bool on);

    void notesArea1();
    void notesArea2();
    void notesArea3();
    void notesArea4();
    void notesArea5();
    void insertClipboardRichText();
    void insertClipboardPlainText();
    /// Removes the character formatting (bold, fonts, colours, links) from the selected notes text.
    void clearSelectedTextFormatting();

    /// Opens the search pane if it is closed, else closes it.
    void searchViewToggle();
    /// Opens the search pane (if closed) and selects the field's text, for a new query.
    void findInDocument();
    /// The annotation export dialog.
    void showExportAnnotationsPanel();
    /// File > Search All PDFs...: the text of every routed PDF; a chosen row opens its page.
    void searchAllPdfs();
    LibrarySearchDialog* librarySearchDialog() const;

    /// Links into the selected notes area, to the current page, the selected TOC items or the
    /// whole PDF: styled (short) or as URL text (long).
    void insertShortPageURL();
    /// Asks once about a temporary prefix first ("Missing URL Prefix"); "OK" opens the prefix sheet.
    void insertLongPageURL();
    void insertPrefixBasedTOCURL();
    void insertShortTOCURL();
    void insertLongTOCURL();
    void insertShortPDFURL();
    void insertLongPDFURL();
    /// The link as a URL object on the clipboard, and nothing else.
    void copyPageURLToClipboard();
    void copyTOCURLToClipboard();
    void copyPDFURLToClipboard();
    /// The long form in the expanded style, the short form in any other.
    void InsertLinkPage();
    void InsertLinkTOC();
    void InsertLinkPDF();
    /// The insert control: 0 page, 1 TOC, 2 PDF; other segments do nothing.
    void insertLink(int segment);
    void FormatURLExpanded();
    void FormatURLCondensed();
    void FormatURLCondensedTOCTitle();
    /// The link style control: 0, 1, 2 as the three Format commands; other segments do nothing.
    void changeURLRichTextPreference(int segment);
    void configureURLRichText();
    void endURLRichTextSheet(int tag);
    /// Return code 1 stores the chosen style; any other changes nothing.
    void urlRichTextSheetDidEnd(int returnCode);
    /// The TOC's Copy: Markdown lines or rich links of the selected items on the clipboard.
    void copySelectedItemsToClipboard();
    /// The TOC's double-click: the page view goes to the clicked item.
    void doubleClickAction();
    /// The page view's selection with its location link into the selected notes area.
    void grabSelectedText();

    /// Opens the prefix sheet.
    void configurePrefix();
    /// Ends the prefix sheet with the button's tag.
    void endPrefixSheet(int tag);
    /// Return code 1 makes the typed text the prefix and stores it.
    void prefixSheetDidEnd(int returnCode);

    /// Writes the outline as an OPML file chosen in a save dialog.
    void exportAsOPML();
    /// The Open command of the window's File menu.
    void openDocument();
    /// Closes the window, and with it the document.
    void close();
    /// The print dialog; the chosen pages go to the printer.
    void printDocument();
    /// Writes the PDF with its marks to a file chosen in a save dialog.
    void saveACopy();

    /// The new window has moved to the top-left of its first page (or has no page to move to):
    /// from here on only the user and links move it.
    bool isFirstPositioningDone() const { return m_firstPositioningDone; }
    /// Does the first positioning at once when it is still to come, for a caller that moves the
    /// view right after opening and must not have it moved back.
    void positionAtFirstPageNow();

signals:
    /// The window has closed; the document's owner may delete it now.
    void closed(tolvo::MyDocument* document);
    void prefixChanged(const QString& prefix);
    /// Once, when isFirstPositioningDone becomes true.
    void firstPositioningDone();
    /// Once, when the window has shown the PDF (or closes before): it may go in the lists of
    /// recently opened files now.
    void recentlyOpened(tolvo::MyDocument* document);

private:
    Defaults& defaults() const;
    void finishSetUpNow() const;
    void revealFile(const QString& path) const;
    void showPrefixAlert(const QString& message, const QString& informative);
    void showPrefixSheet(const QString& prefix, const QString& pdfPath);
    void outlineItemChosen(const MyOutlineItem* item);
    /// Shows a TOC entry's destination at the top-left corner of the page view.
    void showOutlineItem(const MyOutlineItem* item);
    void setUpPageView();
    /// What waits for the first pages on screen (or a moment): the outline, the labels, the recent lists.
    void firstPagesShown();
    /// Records the PDF as recently opened, once.
    void noteRecentlyOpened();
    /// Starts reading the outline and labels in the background; finishSetUp follows once they are read.
    void startStructureLoad();
    void setUpOutline(std::unique_ptr<DocumentStructure> structure);
    /// The search pane and the annotation export, with the annotation list gathered in the background.
    void setUpSearch();
    void startAnnotationCollector();
    /// Hands the annotation list, with the unsaved marks, to search and export.
    void publishAnnotations();
    void setUpMarks();
    void offerJournalMarks();
    /// The link controls, the drags of the TOC and the results, and the page view's requests.
    void setUpLinkCommands();
    /// The label of the page view's current page; nothing without pages.
    std::optional<QString> currentPageLabel() const;
    void storeLinkStyle(int index);
    void positionAtFirstPage();
    void doFirstPositioning();
    void bringWindowsForward();
    /// Keeps the page view's size in the window just shown, for drawing a first page ahead.
    void rememberFirstView();

    DocumentEnvironment m_env;
    QString m_path;
    // The PDF and the tree outlive the window, whose views show them.
    std::unique_ptr<pdf::Document> m_pdfdoc;
    /// A copy opened ahead with it, until the page view's first worker takes it.
    pdf::DocumentCopySource m_spareCopy;
    std::shared_ptr<pageview::PageAhead> m_firstPageAhead;
    /// The window made while the PDF was still being read ahead, until makeWindowControllers().
    std::unique_ptr<DocumentWindow> m_windowAhead;
    std::unique_ptr<OutlineTree> m_outline;
    PageLabelIndex m_labels;
    std::unique_ptr<DocumentPrefix> m_prefix;
    std::unique_ptr<DocumentWindow> m_window;
    std::unique_ptr<OutlinePane> m_outlinePane;
    std::unique_ptr<NotesPane> m_notes;
    std::unique_ptr<WindowLayout> m_layout;
    std::unique_ptr<RememberedPlaces> m_place;
    std::unique_ptr<DocumentMenus> m_menus;
    std::unique_ptr<AnnotationCollector> m_annotations;
    std::unique_ptr<StructureLoader> m_structureLoader;
    std::unique_ptr<DocumentSearch> m_search;
    std::unique_ptr<AnnotationExportCommands> m_export;
    std::shared_ptr<const AnnotationList> m_fileAnnotations;
    std::shared_ptr<const AnnotationList> m_annotationList;
    std::unique_ptr<DocumentMarks> m_marks;
    MarkCommands* m_markCommands = nullptr; // a child of the window
    std::unique_ptr<PageZoomBoxes> m_boxes;
    std::unique_ptr<FindOnPage> m_find;
    QPointer<SearchPane> m_searchPane;
    QPointer<LibrarySearchDialog> m_librarySearch;
    QPointer<pageview::LabelPDFView> m_pdfview;
    QPointer<GotoPageSheet> m_gotoSheet;
    QPointer<PrefixSheet> m_prefixSheet;
    QPointer<LinkStyleSheet> m_urlRichTextSheet;
    QPointer<SegmentedControl> m_richURLControl;
    QPointer<SegmentedControl> m_insertLinkControl;
    /// The prefix as a link command completed it with "/", while the prefix stays what it was.
    QString m_slashedPrefix;
    int m_windowLevel = kNormalWindowLevel;
    bool m_setUpFinished = false;
    bool m_notedRecent = false;
    bool m_firstPositioningDone = false;
    QPointer<QTimer> m_firstPositioning;
    FullScreenCommand* m_fullScreen = nullptr; // a child of the window
    NightModeCommand* m_nightMode = nullptr; // a child of the document
};

} // namespace tolvo
