// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/search/LibrarySearchDialog.h"

#include "routing/FileIdentity.h"
#include "routing/RoutingTable.h"
#include "settings/Defaults.h"
#include "settings/HandOver.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tolvo {

namespace {

enum Column { LinkColumn, CountColumn, TextColumn, ColumnCount };

// The routed PDFs that can be reached, each once, under the first of its prefixes.
std::vector<LibraryPdf> routedPdfs(Defaults& defaults)
{
    std::vector<LibraryPdf> pdfs;
    QStringList seen;
    RoutingTable routing(defaults);
    for (const RoutingTable::Entry& entry : routing.resolveEntries()) {
        const QString path = entry.resolved.filePath;
        if (!entry.resolved.found() || seen.contains(path))
            continue;
        seen << path;
        const auto [documentId, fingerprint] = entry.documentIdentity();
        pdfs.push_back({ entry.prefix, path, { documentId, fingerprint } });
    }
    return pdfs;
}

} // namespace

LibrarySearchDialog::LibrarySearchDialog(
    Defaults& defaults, std::function<void(const QString& url)> openLink, QWidget* parent)
    : QDialog(parent)
    , m_defaults(defaults)
    , m_openLink(std::move(openLink))
    , m_field(new QLineEdit(this))
    , m_status(new QLabel(this))
    , m_table(new QTableWidget(0, ColumnCount, this))
{
    setObjectName(QStringLiteral("librarySearchDialog"));
    setWindowTitle(tr("Search All PDFs"));
    m_field->setObjectName(QStringLiteral("libraryQueryField"));
    m_field->setPlaceholderText(tr("Search the text of every routed PDF"));
    m_field->setClearButtonEnabled(true);
    m_status->setObjectName(QStringLiteral("libraryStatus"));
    m_table->setObjectName(QStringLiteral("libraryResultsTable"));
    m_table->setHorizontalHeaderLabels({ tr("Page"), tr("Matches"), tr("Text") });
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(LinkColumn, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(CountColumn, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(m_status);
    layout->addWidget(m_table, 1);
    resize(760, 460);

    connect(m_field, &QLineEdit::returnPressed, this, &LibrarySearchDialog::search);
    connect(m_table, &QTableWidget::cellActivated, this, [this](int row, int) { openRow(row); });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
}

LibrarySearchDialog::~LibrarySearchDialog()
{
    stop();
}

void LibrarySearchDialog::stop()
{
    if (m_cancelled)
        m_cancelled->store(true);
    if (m_worker.joinable())
        m_worker.join();
    ++m_generation;
}

void LibrarySearchDialog::search()
{
    stop();
    m_table->setRowCount(0);
    const QString query = m_field->text();
    if (query.trimmed().isEmpty()) {
        m_status->clear();
        return;
    }
    const std::vector<LibraryPdf> pdfs = routedPdfs(m_defaults);
    m_status->setText(tr("Searching %n PDF(s)...", nullptr, int(pdfs.size())));
    m_cancelled = std::make_shared<std::atomic<bool>>(false);
    m_done = false;
    const quint64 generation = m_generation;
    const QPointer<LibrarySearchDialog> self(this);
    // Everything reaches the dialog on its own thread, and only for the search it still shows.
    const auto post = [self, generation](std::function<void(LibrarySearchDialog&)> step) {
        handOver(self.data(), [self, generation, step = std::move(step)] {
            if (self && self->m_generation == generation)
                step(*self);
        });
    };
    LibrarySearchCallbacks callbacks;
    callbacks.abandoned = [cancelled = m_cancelled] { return cancelled->load(); };
    callbacks.indexing = [post](const LibraryPdf& pdf, int percent) {
        post([name = QFileInfo(pdf.path).fileName(), percent](LibrarySearchDialog& dialog) {
            dialog.m_status->setText(tr("Indexing %1: %2%").arg(name).arg(percent));
        });
    };
    callbacks.hit = [post](const LibraryHit& hit) {
        post([hit](LibrarySearchDialog& dialog) {
            QTableWidget* table = dialog.m_table;
            const int row = table->rowCount();
            table->insertRow(row);
            auto* link = new QTableWidgetItem(hit.link);
            link->setToolTip(hit.path);
            table->setItem(row, LinkColumn, link);
            table->setItem(row, CountColumn, new QTableWidgetItem(QString::number(hit.count)));
            table->setItem(row, TextColumn, new QTableWidgetItem(hit.text));
        });
    };
    const qint64 limit = indexLimitBytes();
    m_worker = std::thread([pdfs, query, limit, callbacks, post] {
        searchLibrary(pdfs, query, limit, callbacks);
        post([](LibrarySearchDialog& dialog) {
            dialog.m_done = true;
            dialog.m_status->setText(tr("%n page(s) with matches", nullptr, dialog.m_table->rowCount()));
            emit dialog.finished();
        });
    });
}

void LibrarySearchDialog::openRow(int row)
{
    const QTableWidgetItem* item = m_table->item(row, LinkColumn);
    if (item && m_openLink)
        m_openLink(item->text());
}

} // namespace tolvo
