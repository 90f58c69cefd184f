// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Find on the page: every match of the search query is highlighted on the pages
// in view, and Find Next and Find Previous step from match to match across the
// pages, wrapping at either end. The matches are those of the document's search
// (DocumentSearch), which finds them in the background; a step that depends on
// pages not searched yet waits for them.

#include "pdf/PdfDocument.h"

#include <QObject>
#include <QPointer>

#include <optional>

class QLineEdit;

namespace tolvo {

namespace pageview {
class PageView;
}

class DocumentSearch;

class FindOnPage : public QObject {
    Q_OBJECT
public:
    /// One match: its page and its place among the page's matches.
    struct Match {
        int pageIndex = -1;
        int index = -1;
        bool operator==(const Match& other) const = default;
    };

    /// Highlights search's matches in view; Return and Shift+Return in field step through them.
    FindOnPage(const pdf::Document& document, DocumentSearch& search, pageview::PageView& view, QLineEdit* field,
        QObject* parent = nullptr);
    /// The view highlights nothing more.
    ~FindOnPage() override;

    /// The match last gone to; nothing before the first step of a query.
    std::optional<Match> currentMatch() const { return m_current; }
    /// True while a step waits for pages still being searched.
    bool isWaiting() const { return m_pendingStep != 0; }

public slots:
    /// Goes to the next match after the current one (or after the top of the current page), the
    /// first one after the last; beeps when the query has none.
    void findNext();
    /// Goes to the match before the current one (or the last on or before the current page), the
    /// last one before the first; beeps when the query has none.
    void findPrevious();

signals:
    /// A step went to a match (currentMatch()).
    void wentToMatch();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(int direction);
    /// Carries out a waiting step if the pages it depends on are searched now.
    void tryPendingStep();
    /// The step's match, or nothing while it depends on pages not yet searched; sets *none when the
    /// query has no match at all.
    std::optional<Match> resolveStep(int direction, bool* none) const;
    void show(const Match& match);
    void queryChanged();
    void pageMatchesFound(int pageIndex);

    const pdf::Document& m_document;
    QPointer<DocumentSearch> m_search;
    QPointer<pageview::PageView> m_view;
    std::optional<Match> m_current;
    int m_pendingStep = 0; ///< +1 or -1 while a step waits
};

} // namespace tolvo
