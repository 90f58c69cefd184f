// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/DocumentSearch.h"

#include "outline/OutlineTree.h"
#include "search/TextFinder.h"

namespace tolvo {

namespace {

constexpr int kFindWorkers = 2;

// The selection of one match: exactly its rectangles (one per line it runs over), which the page
// view fills and scrolls to, with the page's text there.
pdf::TextSelection matchSelection(int pageIndex, const PageMatch& match)
{
    pdf::TextSelection selection;
    selection.text = match.text;
    for (const QRectF& rect : match.pieces) {
        pdf::SelectionLine line;
        line.pageIndex = pageIndex;
        line.text = match.pieces.size() == 1 ? match.text : QString();
        line.bounds = rect;
        selection.lines.push_back(std::move(line));
    }
    return selection;
}

} // namespace

DocumentSearch::DocumentSearch(const pdf::Document& document, Sources sources, QObject* parent)
    : DocumentSearch(document, std::move(sources), nullptr, parent)
{
}

DocumentSearch::DocumentSearch(
    const pdf::Document& document, Sources sources, std::unique_ptr<TextFinder> finder, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_sources(std::move(sources))
    , m_finder(std::move(finder))
    , m_model(new SearchResultsModel(this))
    , m_filter(new SearchResultsFilter(this))
{
    m_filter->setSourceModel(m_model);
    if (m_finder)
        connectFinder();
}

void DocumentSearch::connectFinder()
{
    connect(m_finder.get(), &TextFinder::didMatchPage, this, &DocumentSearch::didMatchPage);
    connect(m_finder.get(), &TextFinder::didEndFind, this, &DocumentSearch::findEnded);
    connect(m_finder.get(), &TextFinder::pageMatches, this, [this](int pageIndex, const QVector<QRectF>& matches) {
        m_pageMatches[pageIndex] = matches;
        emit pageMatchesFound(pageIndex);
    });
    connect(m_finder.get(), &TextFinder::indexProgress, this, &DocumentSearch::indexProgress);
    connect(m_finder.get(), &TextFinder::searchedThrough, this, [this](int pages) {
        m_searchedThrough = std::max(m_searchedThrough, pages);
        emit searchedThroughChanged(m_searchedThrough);
    });
}

DocumentSearch::~DocumentSearch() = default;

TextFinder& DocumentSearch::finder()
{
    if (!m_finder) {
        m_finder = TextFinder::forDocument(m_document, kFindWorkers);
        if (const IndexKey key = m_indexKey ? m_indexKey() : IndexKey(); key.isValid())
            m_finder->useIndex(key, indexLimitBytes());
        connectFinder();
    }
    return *m_finder;
}

void DocumentSearch::setIndexKey(const IndexKey& key)
{
    m_indexKey = [key] { return key; };
}

void DocumentSearch::setIndexKey(std::function<IndexKey()> key)
{
    m_indexKey = std::move(key);
}

bool DocumentSearch::isFinding() const
{
    return m_finder && m_finder->isFinding();
}

void DocumentSearch::searchTextChanged(const QString& typed)
{
    m_model->clear();
    m_pageMatches.clear();
    m_searchedThrough = 0;
    m_typed = typed;
    m_query = typed.toLower();
    if (isFinding()) {
        m_finder->cancelFindString();
        emit findingChanged(false);
    }
    if (!isSearchableQuery(m_query)) {
        m_typed.clear();
        m_query.clear();
        emit queryChanged();
        return;
    }
    if (m_pageLabels.isEmpty())
        m_pageLabels = m_document.pageLabels();

    // The whole query, spaces included, as one phrase; matches arrive after this returns.
    finder().beginFindString(m_query);
    emit findingChanged(true);

    const OutlineTree* outline = m_sources.outline ? m_sources.outline() : nullptr;
    if (outline) {
        const QHash<QString, int> labels
            = m_sources.pageLabel2pageIndex ? m_sources.pageLabel2pageIndex() : QHash<QString, int>();
        m_model->addResults(tocResults(*outline, m_query, labels));
    }
    if (m_annotations)
        m_model->addResults(annotationResults(m_annotations->records, m_query));
    emit queryChanged();
}

QVector<QRectF> DocumentSearch::matchesOnPage(int pageIndex) const
{
    const auto it = m_pageMatches.find(pageIndex);
    return it == m_pageMatches.end() ? QVector<QRectF>() : it->second;
}

void DocumentSearch::setAnnotations(std::shared_ptr<const AnnotationList> list)
{
    if (!list)
        return;
    if (m_annotations) {
        // A new list (marks were made or changed): the current query's rows are made again.
        m_annotations = std::move(list);
        if (!m_query.isEmpty())
            searchTextChanged(m_typed);
        return;
    }
    m_annotations = std::move(list);
    // TOC rows were added for this query already; the annotation rows go after them, before the text rows.
    if (!m_query.isEmpty())
        m_model->addResults(annotationResults(m_annotations->records, m_query));
}

void DocumentSearch::didMatchPage(int pageIndex, const PageMatch& first, int count)
{
    const QString label = m_pageLabels.value(pageIndex);
    // The selection quotes the page, not the query: a quote of it goes into the notes.
    m_model->didMatchPage(pageIndex, label, m_typed, matchSelection(pageIndex, first), quint64(count));
}

void DocumentSearch::findEnded()
{
    m_searchedThrough = m_document.pageCount();
    emit findingChanged(false);
    emit pdfSearchDidEnd();
}

} // namespace tolvo
