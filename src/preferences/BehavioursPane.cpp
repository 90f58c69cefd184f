// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/BehavioursPane.h"

#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tolvo {

QList<OptionGroup> behaviourOptions()
{
    using namespace keys;
    const QStringList corners = { QStringLiteral("Top Left"), QStringLiteral("Top Right"),
        QStringLiteral("Bottom Left"), QStringLiteral("Bottom Right"), QStringLiteral("Hide") };
    const QStringList sizes = { QStringLiteral("Small"), QStringLiteral("Medium"), QStringLiteral("Large") };
    // "TolvoDragTOCTitleWhenDraggingTOCLinks" has no control: nothing reads it, and dragged
    // links follow the copy option below.
    return {
        { QObject::tr("Prefix box on pages"),
            {
                { kRedBoxLocation, QObject::tr("Corner:"), corners },
                { kRedBoxSize, QObject::tr("Size:"), sizes },
            } },
        { QObject::tr("Prefixes"),
            {
                { kAutoMatchEnabled, QObject::tr("Give new PDFs their prefix from the Automatch table"), {} },
                { kAutoMatchOnlyAddFilenameInFinderDrags,
                    QObject::tr("Automatch files dropped or pasted by their file name only"), {} },
                { kAutomaticallyValidate, QObject::tr("Check the Prefix table for missing PDFs automatically"), {} },
            } },
        { QObject::tr("Copying links"),
            {
                { kCopyTOCTitleWhenCopyingTOCLinks, QObject::tr("Put the title before each copied TOC link"), {} },
                { kShouldAddLeadingTabs, QObject::tr("Indent copied TOC links by their level"), {} },
                { kShouldUnderlineURLs, QObject::tr("Underline links in rich text"), {} },
                { kShouldUseMarkdownForCopy, QObject::tr("Copy links as Markdown instead of rich text"), {} },
                { kShouldAppendURLOnCopy, QObject::tr("Add a link to text copied from a PDF"), {} },
                { kShouldInsertTextInScratchPadOnCopy,
                    QObject::tr("Also put what is copied from a page into the notes"), {} },
            } },
        { QObject::tr("Windows"),
            {
                { kShowHelpOnStart, QObject::tr("Open the user guide when Tolvo starts"), {} },
                { kShouldHideTOCViewIfMissingTOC, QObject::tr("Hide the table of contents of PDFs that have none"),
                    {} },
            } },
        { QObject::tr("Annotation export"),
            {
                { kAnnoExportUseQuotes, QObject::tr("Put exported annotation text in quotation marks"), {} },
                { kAnnoExportShouldExportNotes, QObject::tr("Export notes"), {} },
                { kAnnoExportShouldExportHighlights, QObject::tr("Export highlights"), {} },
                { kAnnoExportShouldExportUnderlines, QObject::tr("Export underlines"), {} },
                { kAnnoExportShouldExportStrikethroughs, QObject::tr("Export strike-throughs"), {} },
            } },
    };
}

BehavioursPane::BehavioursPane(Defaults& defaults, QWidget* parent)
    : QWidget(parent)
    , m_defaults(defaults)
{
    // Two columns: the box, prefixes and windows on the left; copying and export on the right.
    auto* columns = new QHBoxLayout(this);
    QVBoxLayout* column[2] = { new QVBoxLayout, new QVBoxLayout };
    columns->addLayout(column[0], 1);
    columns->addLayout(column[1], 1);
    const QList<OptionGroup> groups = behaviourOptions();
    constexpr int kColumnOfGroup[] = { 0, 0, 1, 0, 1 };
    for (qsizetype g = 0; g < groups.size(); ++g) {
        auto* box = new QGroupBox(groups[g].title, this);
        auto* form = new QFormLayout(box);
        for (const OptionControl& option : groups[g].options) {
            const QString key = QString::fromLatin1(option.key);
            if (option.choices.isEmpty()) {
                auto* check = new QCheckBox(option.text, box);
                check->setObjectName(key);
                connect(check, &QCheckBox::toggled, this, [this, key](bool on) {
                    m_defaults.setValue(key, on);
                    m_defaults.synchronize();
                });
                form->addRow(check);
                m_controls.append(check);
            } else {
                auto* combo = new QComboBox(box);
                combo->setObjectName(key);
                combo->addItems(option.choices);
                connect(combo, &QComboBox::activated, this, [this, key, combo](int index) {
                    m_defaults.setValue(key, combo->itemText(index));
                    m_defaults.synchronize();
                });
                form->addRow(option.text, combo);
                m_controls.append(combo);
            }
            showValue(key);
        }
        if (g == 2) {
            // The user font belongs with the other options of copied text.
            auto* row = new QHBoxLayout;
            m_fontLabel = new QLabel(box);
            m_fontButton = new QPushButton(tr("Font for Copied Text..."), box);
            m_fontButton->setVisible(false);
            connect(m_fontButton, &QPushButton::clicked, this, [this] {
                if (m_fontCommand)
                    m_fontCommand();
            });
            row->addWidget(m_fontLabel, 1);
            row->addWidget(m_fontButton);
            form->addRow(row);
            showFont();
        }
        column[kColumnOfGroup[g]]->addWidget(box);
    }
    column[0]->addStretch(1);
    column[1]->addStretch(1);

    connect(&m_defaults, &Defaults::valueChanged, this, [this](const QString& key) {
        if (key == QLatin1String(keys::kFontNameForRichTextCopiedFromPDF)
            || key == QLatin1String(keys::kFontSizeForRichTextCopiedFromPDF))
            showFont();
        else
            showValue(key);
    });
}

QWidget* BehavioursPane::controlForKey(const QString& key) const
{
    for (QWidget* control : m_controls)
        if (control->objectName() == key)
            return control;
    return nullptr;
}

void BehavioursPane::setFontCommand(std::function<void()> command)
{
    m_fontCommand = std::move(command);
    m_fontButton->setVisible(bool(m_fontCommand));
}

void BehavioursPane::showValue(const QString& key)
{
    QWidget* control = controlForKey(key);
    if (!control)
        return;
    // Showing a value is no edit: it must not be written back.
    const QSignalBlocker block(control);
    if (auto* check = qobject_cast<QCheckBox*>(control)) {
        check->setChecked(m_defaults.boolForKey(key));
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        const QString value = m_defaults.stringForKey(key);
        // A stored value the list does not offer shows as no choice, rather than as another.
        combo->setCurrentIndex(combo->findText(value));
    }
}

void BehavioursPane::showFont()
{
    const QString name = m_defaults.stringForKey(QString::fromLatin1(keys::kFontNameForRichTextCopiedFromPDF));
    const float size = m_defaults.floatForKey(QString::fromLatin1(keys::kFontSizeForRichTextCopiedFromPDF));
    m_fontLabel->setText(tr("Copied text: %1, %2 pt").arg(name, QString::number(size, 'g', 4)));
}

} // namespace tolvo
