// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DefaultsKeys.h"

#include "settings/Defaults.h"
#include "settings/ExternalAddresses.h"

#include <QFile>

namespace tolvo {

QString keys::sharedNotes(int index)
{
    return QStringLiteral("sharedNotes%1").arg(index + 1);
}

QString scratchpadTemplate()
{
    QFile file(QStringLiteral(":/TolvoScratchpadText.html"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void registerTolvoDefaults(Defaults& defaults)
{
    using T = Defaults::Type;
    using namespace keys;
    const QString notes = scratchpadTemplate();
    QList<Defaults::Key> table = {
        { kRoutingDictionary, T::Dictionary, QVariantMap() },
        { kMatchingDictionary, T::Dictionary,
            QVariantMap { { QStringLiteral("apphelp"), QStringLiteral("Tolvo User Guide.pdf") } } },
        { kURLRichTextPreference, T::String, QString::fromLatin1(kLinkStyleExpanded) },
        { kRedBoxLocation, T::String, QStringLiteral("Top Left") },
        { kRedBoxSize, T::String, QStringLiteral("Medium") },
        { kAutoMatchEnabled, T::Bool, true },
        { kShowHelpOnStart, T::Bool, true },
        { kAutomaticallyValidate, T::Bool, false },
        { kSearchSplitViewDividerPosition, T::Float, 170.0 },
        { kLastSelectedScratchpad, T::Integer, 0 },
        { kSearchIndexLimitMB, T::Integer, 500 },
        { kShouldHideTOCViewIfMissingTOC, T::Bool, true },
        { kDragTOCTitleWhenDraggingTOCLinks, T::Bool, true },
        { kCopyTOCTitleWhenCopyingTOCLinks, T::Bool, true },
        { kShouldAddLeadingTabs, T::Bool, true },
        { kShouldUnderlineURLs, T::Bool, true },
        { kShouldUseMarkdownForCopy, T::Bool, false },
        { kShouldAppendURLOnCopy, T::Bool, true },
        { kShouldInsertTextInScratchPadOnCopy, T::Bool, false },
        { kAnnoExportUseQuotes, T::Bool, true },
        { kAutoMatchOnlyAddFilenameInFinderDrags, T::Bool, true },
        { kAnnoExportShouldExportNotes, T::Bool, true },
        { kAnnoExportShouldExportHighlights, T::Bool, true },
        { kAnnoExportShouldExportUnderlines, T::Bool, true },
        { kAnnoExportShouldExportStrikethroughs, T::Bool, true },
    };
    for (int i = 0; i < 5; ++i)
        table.append({ sharedNotes(i), T::RichText, notes });
    table.append({ kFontNameForRichTextCopiedFromPDF, T::String, QStringLiteral("Helvetica") });
    table.append({ kFontSizeForRichTextCopiedFromPDF, T::Float, 12.0 });
    table.append({ kNightMode, T::Bool, false });
    table.append({ kNightModeKeepsImages, T::Bool, false });
    table.append({ kMarkColour, T::String, QStringLiteral("yellow") });
#if TOLVO_UPDATE_CHECK
    table.append({ kSoftwareUpdateFeedURL, T::String, QString::fromLatin1(addresses::kAppcastFeed) });
#endif
    defaults.registerDefaults(table);
}

} // namespace tolvo
