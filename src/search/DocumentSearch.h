// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One document's search: a query searches the outline, the annotation list and
// the page text; the results fill one model, which the pane shows filtered.

#include "search/AnnotationRecord.h"
#include "search/PageMatch.h"
#include "search/SearchResultsModel.h"
#include "search/TextIndex.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace tolvo {

class OutlineTree;
class TextFinder;

/// The search of one document (searchTextChanged, didMatchString, pdfSearchDidEnd). Outline and
/// labels are asked for at each query, so a window may make them late; the annotation list comes
/// when it is ready, and a query already shown gains its annotation rows then.
class DocumentSearch : public QObject {
    Q_OBJECT
public:
    struct Sources {
        /// The outline tree; nothing when there is none yet.
        std::function<const OutlineTree*()> outline;
        /// Page label to page index (the last page of a shared label).
        std::function<QHash<QString, int>()> pageLabel2pageIndex;
    };

    /// The text find reads copies of document, made at the first query; document must outlive this object.
    DocumentSearch(const pdf::Document& document, Sources sources, QObject* parent = nullptr);
    /// The same with a finder of the caller's making (tests, benchmarks).
    DocumentSearch(
        const pdf::Document& document, Sources sources, std::unique_ptr<TextFinder> finder, QObject* parent = nullptr);
    ~DocumentSearch() override;

    /// The PDF's text index to read or write; takes effect with the first query.
    void setIndexKey(const IndexKey& key);
    /// The same, found at the first query (which reads the file: not worth it for a window
    /// nobody searches).
    void setIndexKey(std::function<IndexKey()> key);

    /// searchResultsArray, in the order described at SearchResultsModel.
    SearchResultsModel* model() const { return m_model; }
    /// The model filtered by the three segments (the array controller's arranged objects).
    SearchResultsFilter* filter() const { return m_filter; }

    /// Runs a search for the typed text: clears the results, cancels a running find, and unless
    /// the query is empty or only spaces searches the outline, the annotations and the text.
    void searchTextChanged(const QString& typed);
    /// The annotation list, once known; the current query's annotation rows are added then. A later
    /// list replaces it and searches the current query again.
    void setAnnotations(std::shared_ptr<const AnnotationList> list);
    bool hasAnnotations() const { return m_annotations != nullptr; }

    /// The query as typed, and as searched (lower case).
    const QString& typedQuery() const { return m_typed; }
    const QString& query() const { return m_query; }
    /// From the start of a text find until its end or the next query.
    bool isFinding() const;

    /// Every text match of the query on one page, in reading order (page space); empty for a page
    /// not searched yet.
    QVector<QRectF> matchesOnPage(int pageIndex) const;
    /// The pages with text matches found so far, each with its matches, in page order.
    const std::map<int, QVector<QRectF>>& pageMatches() const { return m_pageMatches; }
    /// Pages 0 to this less one have all been searched for the query (the page count once the find ended).
    int searchedThrough() const { return m_searchedThrough; }

signals:
    /// The text find started (true) or ended or was cancelled (false): the progress indicator.
    void findingChanged(bool finding);
    /// The text find searched every page (pdfSearchDidEnd).
    void pdfSearchDidEnd();
    /// A new query replaced the results (searchTextChanged).
    void queryChanged();
    /// The text matches of a page were found.
    void pageMatchesFound(int pageIndex);
    /// The PDF's text index is being written, this much (0 to 100; 100 once in place).
    void indexProgress(int percent);
    /// searchedThrough() grew.
    void searchedThroughChanged(int pages);

private:
    void didMatchPage(int pageIndex, const PageMatch& first, int count);
    void findEnded();
    void connectFinder();
    TextFinder& finder();

    const pdf::Document& m_document;
    Sources m_sources;
    std::unique_ptr<TextFinder> m_finder;
    std::function<IndexKey()> m_indexKey;
    SearchResultsModel* m_model;
    SearchResultsFilter* m_filter;
    std::shared_ptr<const AnnotationList> m_annotations;
    QStringList m_pageLabels;
    QString m_typed;
    QString m_query;
    std::map<int, QVector<QRectF>> m_pageMatches;
    int m_searchedThrough = 0;
};

} // namespace tolvo
