// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/search/ExportAnnotationsPanel.h"

#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvo {

ExportAnnotationsPanel::ExportAnnotationsPanel(QWidget* window)
    : QDialog(window)
    , m_counts(new QLabel(this))
    , m_notes(new QCheckBox(tr("Notes and freetext"), this))
    , m_highlights(new QCheckBox(tr("Highlighted text"), this))
    , m_underlines(new QCheckBox(tr("Underlined text"), this))
    , m_strikethroughs(new QCheckBox(tr("Strikethrough text"), this))
    , m_format(new QComboBox(this))
    , m_ok(new QPushButton(tr("Export"), this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("exportAnnotationsPanel"));
    setWindowTitle(tr("Export Annotations"));
    m_counts->setObjectName(QStringLiteral("annotationsCountLabel"));
    m_counts->setTextFormat(Qt::PlainText);
    m_notes->setObjectName(QStringLiteral("annotationsExportNotesCheckbox"));
    m_highlights->setObjectName(QStringLiteral("annotationsExportHighlightsCheckbox"));
    m_underlines->setObjectName(QStringLiteral("annotationsExportUnderlinesCheckbox"));
    m_strikethroughs->setObjectName(QStringLiteral("annotationsExportStrikethroughsCheckbox"));
    m_ok->setObjectName(QStringLiteral("annotationsExportOKButton"));
    m_ok->setDefault(true);

    m_format->addItem(tr("Rich text (RTF)"), int(ExportFormat::Rtf));
    m_format->addItem(tr("Markdown"), int(ExportFormat::Markdown));
    m_format->addItem(tr("Web page (HTML)"), int(ExportFormat::Html));

    auto* intro = new QLabel(tr("This PDF has these annotations:"), this);
    auto* choose = new QLabel(tr("Export:"), this);
    auto* formatRow = new QFormLayout;
    formatRow->addRow(tr("Format:"), m_format);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_counts);
    layout->addSpacing(8);
    layout->addWidget(choose);
    for (QCheckBox* box : { m_notes, m_highlights, m_underlines, m_strikethroughs })
        layout->addWidget(box);
    layout->addSpacing(8);
    layout->addLayout(formatRow);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, [this] { dismissExportAnnotationsPanel(kConfirmTag); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { dismissExportAnnotationsPanel(0); });
}

void ExportAnnotationsPanel::prepare(const AnnotationCounts& counts, const Defaults& defaults)
{
    m_counts->setText(annotationsCountText(counts));
    const struct {
        QCheckBox* box;
        const char* key;
        quint64 count;
    } kinds[] = {
        { m_notes, keys::kAnnoExportShouldExportNotes, counts.notes },
        { m_highlights, keys::kAnnoExportShouldExportHighlights, counts.highlights },
        { m_underlines, keys::kAnnoExportShouldExportUnderlines, counts.underlines },
        { m_strikethroughs, keys::kAnnoExportShouldExportStrikethroughs, counts.strikethroughs },
    };
    // Keys only ever turn boxes on; empty kinds are turned off afterwards, whatever their key says.
    for (const auto& kind : kinds)
        if (defaults.boolForKey(QString::fromLatin1(kind.key)))
            kind.box->setChecked(true);
    for (const auto& kind : kinds) {
        if (kind.count == 0) {
            kind.box->setChecked(false);
            kind.box->setEnabled(false);
        }
    }
    if (counts.exportable() == 0)
        m_ok->setEnabled(false);
}

ExportOptions ExportAnnotationsPanel::options() const
{
    return { m_notes->isChecked(), m_highlights->isChecked(), m_underlines->isChecked(),
        m_strikethroughs->isChecked() };
}

ExportFormat ExportAnnotationsPanel::format() const
{
    return ExportFormat(m_format->currentData().toInt());
}

void ExportAnnotationsPanel::setFormat(ExportFormat format)
{
    m_format->setCurrentIndex(m_format->findData(int(format)));
}

void ExportAnnotationsPanel::dismissExportAnnotationsPanel(int tag)
{
    done(tag);
}

} // namespace tolvo
