// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the tolvo:// links in people's notes: plain text and Markdown, HTML
// (Qt's rich text among it) and RTF, each with the line where it stands.

#include <QByteArray>
#include <QList>
#include <QString>

namespace tolvo {

enum class NoteFormat { Plain, Html, Rtf };

/// One link as found in a text.
struct FoundLink {
    int line = 0; ///< 1-based line where the link starts
    QString url;
    bool operator==(const FoundLink&) const = default;
};

/// The format of a file, by its content first ("{\rtf", an HTML tag), then by its name.
NoteFormat guessNoteFormat(const QString& fileName, const QByteArray& content);

/// Every tolvo:// link in the text, in order. Entities (HTML) and escapes (RTF)
/// inside a link are decoded; a link that appears twice on one line (an HTML
/// anchor's address and its text) is given once. Trailing sentence punctuation
/// is not part of a link: links Tolvo writes end in "/".
QList<FoundLink> findLinks(const QString& text, NoteFormat format);

} // namespace tolvo
