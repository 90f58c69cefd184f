// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesHistoryDialog.h"

#include "document/NotesStore.h"
#include "settings/NotesFiles.h"
#include "settings/NotesHistory.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>

namespace tolvo {

namespace {
constexpr int kPathRole = Qt::UserRole;
}

NotesHistoryDialog::NotesHistoryDialog(NotesStore& store, int area, QWidget* parent)
    : QDialog(parent)
    , m_store(store)
    , m_area(area)
{
    setWindowTitle(tr("Earlier Versions of Notes Area %1").arg(area + 1));
    m_list = new QListWidget;
    m_preview = new QTextEdit;
    m_preview->setReadOnly(true);
    auto* split = new QSplitter;
    split->addWidget(m_list);
    split->addWidget(m_preview);
    split->setStretchFactor(1, 2);
    m_problem = new QLabel;
    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    m_restore = buttons->addButton(tr("Restore"), QDialogButtonBox::AcceptRole);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(tr("The notes as they were, kept for %1 days. Restoring keeps the current "
                                    "text as a version too.")
                                     .arg(noteshistory::kKeepDays)));
    column->addWidget(split, 1);
    column->addWidget(m_problem);
    column->addWidget(buttons);
    resize(760, 480);

    const noteshistory::Checked checked = noteshistory::listChecked(m_store.folder(), m_area);
    for (const noteshistory::Version& version : checked.versions) {
        const QString when
            = QLocale().toString(version.taken.toLocalTime(), QStringLiteral("ddd d MMM yyyy, HH:mm:ss"));
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 \u2014 %2").arg(when, noteshistory::describe(version.kind)), m_list);
        item->setData(kPathRole, version.path);
    }
    QStringList problems = checked.skipped;
    if (checked.versions.isEmpty())
        problems.prepend(tr("No earlier version of notes area %1 has been kept yet.").arg(area + 1));
    m_problem->setText(problems.join(u'\n'));
    m_problem->setVisible(!problems.isEmpty());

    connect(m_list, &QListWidget::currentRowChanged, this, &NotesHistoryDialog::showSelected);
    connect(buttons, &QDialogButtonBox::accepted, this, &NotesHistoryDialog::restoreSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_restore->setEnabled(false);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

QString NotesHistoryDialog::problemText() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

void NotesHistoryDialog::showSelected()
{
    const QListWidgetItem* item = m_list->currentItem();
    m_restore->setEnabled(item != nullptr);
    if (!item) {
        m_preview->clear();
        return;
    }
    const notesfiles::ReadResult read = notesfiles::read(item->data(kPathRole).toString());
    if (read.status != notesfiles::ReadResult::Status::Read) {
        m_preview->setPlainText(
            tr("This version cannot be shown: %1").arg(read.problem.isEmpty() ? tr("it is gone") : read.problem));
        m_restore->setEnabled(false);
        return;
    }
    m_preview->setHtml(read.html);
}

void NotesHistoryDialog::restoreSelected()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const notesfiles::ReadResult read = notesfiles::read(item->data(kPathRole).toString());
    QString problem = read.status == notesfiles::ReadResult::Status::Read ? QString()
        : read.problem.isEmpty()                                          ? tr("the version is gone")
                                                                          : read.problem;
    if (problem.isEmpty())
        problem = m_store.restoreVersion(m_area, read.html);
    if (!problem.isEmpty()) {
        m_problem->setText(tr("This version could not be restored: %1").arg(problem));
        m_problem->show();
        return;
    }
    accept();
}

} // namespace tolvo
