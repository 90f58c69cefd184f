// SPDX-License-Identifier: GPL-3.0-or-later
// Following the PDF's own links, and stepping through the matches of a find.
#include "document/MyDocument.h"

#include "document/FindOnPage.h"
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"
#include "search/DocumentSearch.h"

#include <QApplication>

namespace tolvo {

void MyDocument::followPdfLink(const pdf::PageLink& link)
{
    if (!m_pdfview)
        return;
    switch (link.kind) {
    case pdf::PageLink::Kind::Destination:
        // A jump like any other: Back returns to where the link was clicked.
        m_pdfview->goToDestination(link.destination);
        return;
    case pdf::PageLink::Kind::Named:
        if (link.target == u"NextPage")
            m_pdfview->goToNextPage();
        else if (link.target == u"PrevPage")
            m_pdfview->goToPreviousPage();
        else if (link.target == u"FirstPage")
            m_pdfview->goToPage(0);
        else if (link.target == u"LastPage")
            m_pdfview->goToPage(m_pdfview->pageCount() - 1);
        else if (link.target == u"GoBack")
            m_pdfview->goBack();
        else if (link.target == u"GoForward")
            m_pdfview->goForward();
        return;
    case pdf::PageLink::Kind::Uri:
        // The same door as a link clicked in the notes: tolvo:// through dispatch, the web and mail
        // in the user's programs, anything else (files, programs' own schemes) refused with a beep.
        followLink(link.target);
        return;
    }
}

void MyDocument::findNext()
{
    if (!m_find || !m_search || m_search->query().isEmpty()) {
        findInDocument();
        return;
    }
    m_find->findNext();
}

void MyDocument::findPrevious()
{
    if (!m_find || !m_search || m_search->query().isEmpty()) {
        findInDocument();
        return;
    }
    m_find->findPrevious();
}

} // namespace tolvo
