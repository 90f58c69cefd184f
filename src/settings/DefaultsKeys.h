// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keys of the defaults store, and their registration.

#include <QString>

namespace tolvo {

class Defaults;

namespace keys {
inline constexpr char kRoutingDictionary[] = "routingDictionarySandboxed";
inline constexpr char kMatchingDictionary[] = "matchingDictionarySandboxed";
inline constexpr char kURLRichTextPreference[] = "TolvoURLRichTextPreference";
inline constexpr char kRedBoxLocation[] = "TolvoPDFViewRedBoxLocationPref";
inline constexpr char kRedBoxSize[] = "TolvoPDFViewRedBoxSizePref";
inline constexpr char kAutoMatchEnabled[] = "TolvoAutoMatchEnabled";
inline constexpr char kShowHelpOnStart[] = "TolvoShowHelpOnStart";
inline constexpr char kAutomaticallyValidate[] = "TolvoAutomaticallyValidatePrefixToPDFAssignments";
inline constexpr char kSearchSplitViewDividerPosition[] = "TolvoSearchSplitViewDividerPosition";
inline constexpr char kLastSelectedScratchpad[] = "TolvoLastSelectedScratchpad";
/// The most disk space the text indexes of searched PDFs may take, in megabytes.
inline constexpr char kSearchIndexLimitMB[] = "TolvoSearchIndexLimitMB";
inline constexpr char kShouldHideTOCViewIfMissingTOC[] = "TolvoShouldHideTOCViewIfMissingTOC";
inline constexpr char kDragTOCTitleWhenDraggingTOCLinks[] = "TolvoDragTOCTitleWhenDraggingTOCLinks";
inline constexpr char kCopyTOCTitleWhenCopyingTOCLinks[] = "TolvoCopyTOCTitleWhenCopyingTOCLinks";
inline constexpr char kShouldAddLeadingTabs[] = "TolvoShouldAddLeadingTabs";
inline constexpr char kShouldUnderlineURLs[] = "TolvoShouldUnderlineURLs";
inline constexpr char kShouldUseMarkdownForCopy[] = "TolvoShouldUseMarkdownForCopy";
inline constexpr char kShouldAppendURLOnCopy[] = "TolvoShouldAppendURLOnCopy";
inline constexpr char kShouldInsertTextInScratchPadOnCopy[] = "TolvoShouldInsertTextInScratchPadOnCopy";
inline constexpr char kAnnoExportUseQuotes[] = "TolvoAnnoExportUseQuotes";
inline constexpr char kAutoMatchOnlyAddFilenameInFinderDrags[] = "TolvoAutoMatchOnlyAddFilenameInFinderDrags";
inline constexpr char kAnnoExportShouldExportNotes[] = "TolvoAnnoExportShouldExportNotes";
inline constexpr char kAnnoExportShouldExportHighlights[] = "TolvoAnnoExportShouldExportHighlights";
inline constexpr char kAnnoExportShouldExportUnderlines[] = "TolvoAnnoExportShouldExportUnderlines";
inline constexpr char kAnnoExportShouldExportStrikethroughs[] = "TolvoAnnoExportShouldExportStrikethroughs";
inline constexpr char kFontNameForRichTextCopiedFromPDF[] = "kUDKeyFontNameForRichTextCopiedFromPDF";
inline constexpr char kFontSizeForRichTextCopiedFromPDF[] = "kUDKeyFontSizeForRichTextCopiedFromPDF";
/// Whether pages are drawn for reading in the dark (View ▸ Night Mode).
inline constexpr char kNightMode[] = "TolvoNightMode";
/// Whether night mode leaves the PDF's photos and other raster images as they are (View ▸ Keep
/// Images in Night Mode); off, every pixel is turned, so that a scanned page turns dark too.
inline constexpr char kNightModeKeepsImages[] = "TolvoNightModeKeepsImages";
/// The colour new marks are made in: "yellow", "green", "blue", "pink" or "orange".
inline constexpr char kMarkColour[] = "TolvoMarkColour";
/// The address of the update feed that "Check for Updates..." reads.
inline constexpr char kSoftwareUpdateFeedURL[] = "TolvoSoftwareUpdateFeedURL";

/// "sharedNotes1" to "sharedNotes5" for index 0 to 4.
QString sharedNotes(int index);

inline constexpr char kLinkStyleExpanded[] = "URLRichTextPrefExpanded";
inline constexpr char kLinkStyleCondensed[] = "URLRichTextPrefCondensed";
inline constexpr char kLinkStyleCondensedWithTOCTitle[] = "URLRichTextPrefCondensedWithTOCTitle";
} // namespace keys

/// The welcome text that every notes area starts with: the resource
/// TolvoScratchpadText, or empty rich text when the resource is missing.
QString scratchpadTemplate();

/// Registers every key with its type and default, in table order.
void registerTolvoDefaults(Defaults& defaults);

} // namespace tolvo
