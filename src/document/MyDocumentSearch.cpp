// SPDX-License-Identifier: GPL-3.0-or-later
// The search pane and the annotation export of a document window.
#include "document/MyDocument.h"

#include "document/DocumentMarks.h"
#include "document/DocumentWindow.h"
#include "document/FindOnPage.h"
#include "document/search/AnnotationExportCommands.h"
#include "document/search/LibrarySearchDialog.h"
#include "document/search/SearchPane.h"
#include "document/search/SearchViewToggle.h"
#include "pageview/LabelPDFView.h"
#include "routing/FileIdentity.h"
#include "search/AnnotationCollector.h"
#include "search/DocumentSearch.h"
#include "search/MarkRecords.h"
#include "settings/Defaults.h"
#include "ui_MyDocument.h"

#include <QLineEdit>

namespace tolvo {

void MyDocument::setUpSearch()
{
    Ui::MyDocument& ui = m_window->ui();
    DocumentSearch::Sources sources;
    // Both are made once the first page shows; a query typed earlier makes them then.
    sources.outline = [this] { return &outline(); };
    sources.pageLabel2pageIndex = [this] { return pageLabel2pageIndex(); };
    m_search = std::make_unique<DocumentSearch>(*m_pdfdoc, std::move(sources));
    // The first search writes the PDF's text index; later ones, in this window or another, read it.
    // It is the index of the version of the file this window read: a file changed since has none.
    m_search->setIndexKey([path = m_path, document = m_pdfdoc.get()] {
        return document->fileUnchanged() ? IndexKey { permanentIdOf(path), contentFingerprint(path) } : IndexKey();
    });
    auto* pane = new SearchPane(*m_search, ui.searchPane);
    ui.searchPaneLayout->addWidget(pane);
    m_searchPane = pane;
    connect(pane, &SearchPane::showTextSelection, this, [this](const pdf::TextSelection& selection) {
        if (!m_pdfview)
            return;
        m_pdfview->setCurrentSelection(selection);
        m_pdfview->scrollSelectionToVisible();
    });
    connect(pane, &SearchPane::showPageLabel, this, &MyDocument::moveToPageLabel);
    pane->searchResultsFilterChanged();
    m_find = std::make_unique<FindOnPage>(*m_pdfdoc, *m_search, *m_pdfview, pane->searchField());

    m_export = std::make_unique<AnnotationExportCommands>(
        m_window.get(), m_path, [this] { return linkPrefix(); }, defaults());
}

void MyDocument::startAnnotationCollector()
{
    if (m_annotations || !m_pdfdoc)
        return;
    m_annotations = std::make_unique<AnnotationCollector>();
    connect(m_annotations.get(), &AnnotationCollector::ready, this, [this](std::shared_ptr<const AnnotationList> list) {
        m_fileAnnotations = std::move(list);
        publishAnnotations();
    });
    m_annotations->start(*m_pdfdoc);
}

void MyDocument::publishAnnotations()
{
    if (!m_fileAnnotations || !m_pdfdoc)
        return;
    m_annotationList = m_marks && m_marks->hasUnsaved()
        ? std::make_shared<const AnnotationList>(withUnsavedMarks(*m_pdfdoc, *m_fileAnnotations, m_marks->pending()))
        : m_fileAnnotations;
    if (m_search)
        m_search->setAnnotations(m_annotationList);
    if (m_export)
        m_export->setAnnotations(m_annotationList);
}

SearchPane* MyDocument::searchPane() const
{
    return m_searchPane;
}

void MyDocument::searchViewToggle()
{
    TLSplitView* split = searchSplitView();
    if (!split || !m_searchPane)
        return;
    SearchViewWidgets widgets;
    widgets.pageView = m_pdfview;
    widgets.searchField = m_searchPane->searchField();
    widgets.notesArea = selectedTextView();
    tolvo::searchViewToggle(*split, defaults(), widgets);
}

void MyDocument::findInDocument()
{
    if (!m_searchPane)
        return;
    if (m_window->ui().searchPane->height() < kSearchPaneClosedBelow)
        searchViewToggle();
    m_searchPane->searchField()->setFocus(Qt::ShortcutFocusReason);
    m_searchPane->searchField()->selectAll();
}

LibrarySearchDialog* MyDocument::librarySearchDialog() const
{
    return m_librarySearch;
}

void MyDocument::searchAllPdfs()
{
    if (!m_librarySearch) {
        // A chosen row goes where the same link from outside would: the window of that PDF, at that page.
        m_librarySearch = new LibrarySearchDialog(
            defaults(), [this](const QString& url) { followLink(url); }, m_window.get());
        m_librarySearch->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_librarySearch->show();
    m_librarySearch->raise();
    m_librarySearch->activateWindow();
    m_librarySearch->queryField()->setFocus(Qt::ShortcutFocusReason);
}

void MyDocument::showExportAnnotationsPanel()
{
    // The dialog waits for the list; asking for it is what makes sure it comes.
    startAnnotationCollector();
    if (m_export)
        m_export->showExportAnnotationsPanel();
}

} // namespace tolvo
