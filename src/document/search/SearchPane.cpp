// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/search/SearchPane.h"

#include "search/DocumentSearch.h"
#include "widgets/TLNSTableView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvo {

SearchPane::SearchPane(DocumentSearch& search, QWidget* parent)
    : QWidget(parent)
    , m_search(&search)
    , m_field(new QLineEdit(this))
    , m_progress(new QProgressBar(this))
    , m_indexing(new QLabel(this))
    , m_table(new TLNSTableView(this))
{
    setObjectName(QStringLiteral("searchPane"));
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(tr("Search"));
    // The clear button shows only over text, and its icon comes from the desktop's icon theme,
    // which takes a new window several milliseconds on its way to the first page: it is added
    // with the first text.
    connect(m_field, &QLineEdit::textChanged, this, [this] {
        if (!m_field->isClearButtonEnabled())
            m_field->setClearButtonEnabled(true);
    });

    const QString names[3] = { tr("Text"), tr("Annotations"), tr("TOC") };
    const QString tips[3] = { tr("Show text matches"), tr("Show notes, highlights, underlines and strike-throughs"),
        tr("Show table of contents entries") };
    auto* segments = new QWidget(this);
    segments->setObjectName(QStringLiteral("searchOptionsTAO"));
    auto* segmentLayout = new QHBoxLayout(segments);
    segmentLayout->setContentsMargins(0, 0, 0, 0);
    segmentLayout->setSpacing(0);
    for (int i = 0; i < 3; ++i) {
        m_segments[i] = new QToolButton(segments);
        m_segments[i]->setText(names[i]);
        m_segments[i]->setToolTip(tips[i]);
        m_segments[i]->setCheckable(true);
        m_segments[i]->setChecked(true);
        m_segments[i]->setAutoRaise(false);
        segmentLayout->addWidget(m_segments[i]);
        connect(m_segments[i], &QToolButton::toggled, this, &SearchPane::searchTAOChanged);
        connect(m_segments[i], &QToolButton::clicked, this, &SearchPane::searchResultsFilterChanged);
    }

    m_progress->setObjectName(QStringLiteral("searchProgressIndicator"));
    m_progress->setRange(0, 0); // busy: the find does not say how far it is
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(80);
    m_progress->setMaximumHeight(m_field->sizeHint().height() / 2);
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keep);
    m_progress->hide();

    // While the first find reads every page it also writes the PDF's text index; later finds read that.
    m_indexing->setObjectName(QStringLiteral("searchIndexProgress"));
    m_indexing->hide();

    m_table->setObjectName(QStringLiteral("searchResultsTableView"));
    m_table->setModel(search.filter());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setHighlightSections(false);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 0);
    bar->addWidget(m_field, 1);
    bar->addWidget(segments);
    bar->addWidget(m_indexing);
    bar->addWidget(m_progress);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(bar);
    layout->addWidget(m_table, 1);

    connect(m_field, &QLineEdit::textChanged, this, &SearchPane::searchTextChanged);
    connect(&search, &DocumentSearch::findingChanged, this, &SearchPane::setFinding);
    connect(&search, &DocumentSearch::indexProgress, this, &SearchPane::setIndexProgress);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &SearchPane::tableViewSelectionDidChange);

    searchResultsFilterChanged();
}

QToolButton* SearchPane::searchOptionsSegment(int segment) const
{
    return segment >= 0 && segment < 3 ? m_segments[segment] : nullptr;
}

void SearchPane::setSegmentSelected(int segment, bool selected)
{
    if (QToolButton* button = searchOptionsSegment(segment)) {
        button->setChecked(selected);
        searchResultsFilterChanged();
    }
}

bool SearchPane::isSegmentSelected(int segment) const
{
    const QToolButton* button = searchOptionsSegment(segment);
    return button && button->isChecked();
}

void SearchPane::searchTextChanged()
{
    if (m_search)
        m_search->searchTextChanged(m_field->text());
}

void SearchPane::searchResultsFilterChanged()
{
    if (m_search)
        m_search->filter()->setSegments({ isSegmentSelected(0), isSegmentSelected(1), isSegmentSelected(2) });
    m_table->clearSelection();
}

void SearchPane::tableViewSelectionDidChange()
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    // The first selected row in the table's order, as the array controller gives its selection.
    QModelIndex first = rows.first();
    for (const QModelIndex& row : rows)
        if (row.row() < first.row())
            first = row;
    const MySearchResult* result = SearchResultsModel::resultForIndex(first);
    if (!result)
        return;
    if (result->resultType == QLatin1String(kResultTypeText)) {
        if (const pdf::TextSelection* selection = result->selection())
            emit showTextSelection(*selection);
        return;
    }
    emit showPageLabel(result->pageLabel);
}

void SearchPane::setFinding(bool finding)
{
    m_progress->setVisible(finding);
    if (!finding)
        m_indexing->hide();
}

void SearchPane::setIndexProgress(int percent)
{
    m_indexing->setText(tr("Indexing %1%").arg(percent));
    m_indexing->setVisible(percent < 100 && m_search && m_search->isFinding());
}

} // namespace tolvo
