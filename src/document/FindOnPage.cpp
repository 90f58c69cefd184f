// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/FindOnPage.h"

#include "pageview/PageView.h"
#include "search/DocumentSearch.h"
#include "search/MatchText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <climits>

namespace tolvo {

FindOnPage::FindOnPage(
    const pdf::Document& document, DocumentSearch& search, pageview::PageView& view, QLineEdit* field, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_search(&search)
    , m_view(&view)
{
    view.setMatchSource(
        [this](int pageIndex) { return m_search ? m_search->matchesOnPage(pageIndex) : QVector<QRectF>(); });
    connect(&search, &DocumentSearch::queryChanged, this, &FindOnPage::queryChanged);
    connect(&search, &DocumentSearch::pageMatchesFound, this, &FindOnPage::pageMatchesFound);
    connect(&search, &DocumentSearch::searchedThroughChanged, this, &FindOnPage::tryPendingStep);
    connect(&search, &DocumentSearch::pdfSearchDidEnd, this, &FindOnPage::tryPendingStep);
    if (field)
        field->installEventFilter(this);
}

FindOnPage::~FindOnPage()
{
    if (m_view)
        m_view->setMatchSource({});
}

void FindOnPage::findNext()
{
    step(+1);
}

void FindOnPage::findPrevious()
{
    step(-1);
}

bool FindOnPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            step(key->modifiers() & Qt::ShiftModifier ? -1 : +1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FindOnPage::queryChanged()
{
    m_current.reset();
    m_pendingStep = 0;
    if (m_view)
        m_view->viewport()->update();
}

void FindOnPage::pageMatchesFound(int pageIndex)
{
    if (m_view && m_view->visiblePages().contains(pageIndex))
        m_view->viewport()->update();
}

void FindOnPage::step(int direction)
{
    if (!m_search || !m_view || m_search->query().isEmpty()) {
        QApplication::beep();
        return;
    }
    m_pendingStep = direction;
    tryPendingStep();
}

void FindOnPage::tryPendingStep()
{
    if (m_pendingStep == 0)
        return;
    bool none = false;
    const std::optional<Match> match = resolveStep(m_pendingStep, &none);
    if (none) {
        m_pendingStep = 0;
        QApplication::beep();
        return;
    }
    if (!match)
        return; // waits for more pages
    m_pendingStep = 0;
    show(*match);
}

std::optional<FindOnPage::Match> FindOnPage::resolveStep(int direction, bool* none) const
{
    const std::map<int, QVector<QRectF>>& pages = m_search->pageMatches();
    const int searched = m_search->searchedThrough();
    const bool allSearched = !m_search->isFinding() && searched >= m_document.pageCount();
    if (pages.empty()) {
        *none = allSearched;
        return std::nullopt;
    }
    // Where the step starts: the current match, else just before (or after) the current page.
    const int currentPage = std::max(0, m_view->currentPage());
    const Match from = m_current.value_or(direction > 0 ? Match { currentPage, -1 } : Match { currentPage, INT_MAX });
    if (direction > 0) {
        for (auto it = pages.lower_bound(from.pageIndex); it != pages.end(); ++it) {
            const int index = it->first == from.pageIndex ? from.index + 1 : 0;
            if (index < int(it->second.size())) {
                // Final once every page up to it is searched: none before it can turn up later. A
                // page's matches come all at once, so the next one on the same page is final too.
                if (it->first == from.pageIndex || searched > it->first || allSearched)
                    return Match { it->first, index };
                return std::nullopt;
            }
        }
        if (!allSearched)
            return std::nullopt;
        return Match { pages.begin()->first, 0 };
    }
    if (searched <= from.pageIndex && !allSearched)
        return std::nullopt;
    for (auto it = pages.upper_bound(from.pageIndex); it != pages.begin();) {
        --it;
        const int count = int(it->second.size());
        const int index = (it->first == from.pageIndex ? std::min(from.index, count) : count) - 1;
        if (index >= 0)
            return Match { it->first, index };
    }
    if (!allSearched)
        return std::nullopt;
    const auto last = std::prev(pages.end());
    return Match { last->first, int(last->second.size()) - 1 };
}

void FindOnPage::show(const Match& match)
{
    const QVector<QRectF> rects = m_search->matchesOnPage(match.pageIndex);
    if (match.index < 0 || match.index >= rects.size())
        return;
    m_current = match;
    const QRectF rect = rects[match.index];
    // The match becomes the selection, so that Copy and the notes commands take it as they take
    // a row chosen in the results.
    pdf::SelectionLine line;
    line.pageIndex = match.pageIndex;
    line.text = matchedText(m_document.words(match.pageIndex), rect, m_search->query());
    line.bounds = rect;
    pdf::TextSelection selection;
    selection.text = line.text;
    selection.lines.push_back(std::move(line));
    m_view->setCurrentSelection(selection);
    m_view->scrollSelectionToVisible();
    emit wentToMatch();
}

} // namespace tolvo
