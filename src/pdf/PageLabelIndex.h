// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Page labels to page indexes, both ways a document needs them.

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace tolvo {

/// The labels of a document's pages, looked up exactly. Links go to the first
/// page that carries a label; the label-to-index map (which search uses) keeps
/// the last one.
class PageLabelIndex {
public:
    PageLabelIndex() = default;
    /// Indexes the labels of every page, in page order.
    explicit PageLabelIndex(const QStringList& labels);

    bool isEmpty() const { return m_labels.isEmpty(); }
    int pageCount() const { return int(m_labels.size()); }
    const QStringList& labels() const { return m_labels; }

    /// The first page, from the start, whose label equals the text exactly.
    std::optional<int> pageForLabel(const QString& label) const;
    /// Label to page index; a label shared by several pages maps to the last of them.
    const QHash<QString, int>& pageLabel2pageIndex() const { return m_lastPage; }

private:
    QStringList m_labels;
    QHash<QString, int> m_firstPage;
    QHash<QString, int> m_lastPage;
};

} // namespace tolvo
