// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Internal helpers of the title text operations: lower-casing and word
// splitting over views, so the matching loops over whole outlines do not
// allocate for ordinary titles.

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

namespace tolvo::detail {

/// The text lower-cased as QString::toLower() does it, held as a view.
///
/// Text of the Basic Multilingual Plane is lowered unit by unit into an inline
/// buffer (one unit always gives one unit there, with the single exception of
/// U+0130); anything else goes through QString::toLower(). Not copyable: the
/// view points into the object.
class LowerCased {
public:
    explicit LowerCased(const QString& text);
    LowerCased(const LowerCased&) = delete;
    LowerCased& operator=(const LowerCased&) = delete;

    QStringView view() const { return m_view; }

private:
    QVarLengthArray<char16_t, 256> m_buffer;
    QString m_owned;
    QStringView m_view;
};

/// Words of a text, as views into it.
using WordViews = QVarLengthArray<QStringView, 32>;

/// Cuts text at every single separator unit and keeps every piece, empty ones
/// included: the empty text gives one empty word.
void splitWords(QStringView text, WordViews& words);

} // namespace tolvo::detail
