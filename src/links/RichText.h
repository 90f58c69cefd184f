// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rich text of our own: a list of runs, each a text with link, colour,
// underline and font attributes. It is what links leave the program as
// (RTF, HTML) and what pasted RTF comes back as.

#include <QList>
#include <QString>

#include <optional>

namespace tolvo {

/// An sRGB colour; the core has no QColor.
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const RgbColor&) const = default;
};

/// The colour of links: pure blue.
inline constexpr RgbColor kLinkBlue { 0, 0, 255 };

/// A font by family name and size in points. A size that is not above zero
/// (or not finite) means "the reader's default size".
struct FontSpec {
    QString family;
    double pointSize = 0;

    bool hasSize() const;
    bool operator==(const FontSpec&) const = default;
};

/// The attributes of one run. A link is the URL text, kept verbatim, so that
/// a text the URL parser would refuse or change still carries its link.
struct TextAttributes {
    std::optional<QString> link;
    std::optional<RgbColor> color;
    bool underline = false;
    std::optional<FontSpec> font;
    bool bold = false;
    bool italic = false;
    bool strikeThrough = false;

    bool isPlain() const { return !link && !color && !underline && !font && !bold && !italic && !strikeThrough; }
    bool operator==(const TextAttributes&) const = default;
};

/// A piece of text with one set of attributes.
struct TextRun {
    QString text;
    TextAttributes attributes;

    bool operator==(const TextRun&) const = default;
};

/// A rich text value: runs in order.
///
/// The runs are kept normalised: no empty run, and no two neighbours with
/// equal attributes. Positions count UTF-16 units; a range boundary that falls
/// inside a surrogate pair moves past the pair, so a character is never split.
class RichText {
public:
    RichText() = default;
    /// One run of text without attributes (nothing when text is empty).
    explicit RichText(const QString& text);
    RichText(const QString& text, const TextAttributes& attributes);

    const QList<TextRun>& runs() const { return m_runs; }
    bool isEmpty() const { return m_runs.isEmpty(); }
    /// Length in UTF-16 units.
    qsizetype length() const;
    /// The text of all runs, without attributes.
    QString toPlainText() const;

    void append(const QString& text, const TextAttributes& attributes = {});
    void append(const RichText& other);
    RichText& operator+=(const RichText& other);
    RichText& operator+=(const QString& text);

    /// Changes the attributes of the units [start, start + count), clipped to
    /// the text; a negative count reaches to the end. change is called once per
    /// run piece inside the range.
    template <typename Change> void changeAttributes(qsizetype start, qsizetype count, Change change);

    /// Sets the link (and leaves the other attributes) over a range.
    void setLink(qsizetype start, qsizetype count, const QString& urlText);
    void setColor(qsizetype start, qsizetype count, const RgbColor& color);
    void setUnderline(qsizetype start, qsizetype count, bool underline);
    /// Sets the font over a range, replacing any font there.
    void setFont(qsizetype start, qsizetype count, const FontSpec& font);
    /// Sets the font over the whole text, replacing any font there.
    void setFont(const FontSpec& font);

    bool operator==(const RichText&) const = default;

private:
    // Splits the run holding pos so that a run starts at pos; returns that run's index.
    qsizetype splitAt(qsizetype pos);
    // Moves a position off the low half of a surrogate pair.
    qsizetype snapToCharacter(qsizetype pos) const;
    // Drops empty runs and merges equal neighbours.
    void normalise();

    QList<TextRun> m_runs;
};

RichText operator+(RichText left, const RichText& right);

/// The text of all runs, without attributes (text/plain on the clipboard).
inline QString toPlainText(const RichText& text)
{
    return text.toPlainText();
}

template <typename Change> void RichText::changeAttributes(qsizetype start, qsizetype count, Change change)
{
    const qsizetype total = length();
    start = qBound<qsizetype>(0, start, total);
    const qsizetype end = count < 0 || count > total - start ? total : start + count;
    const qsizetype from = snapToCharacter(start);
    const qsizetype to = snapToCharacter(end);
    if (from >= to)
        return;
    const qsizetype first = splitAt(from);
    const qsizetype last = splitAt(to); // one past the range
    for (qsizetype i = first; i < last; ++i)
        change(m_runs[i].attributes);
    normalise();
}

} // namespace tolvo
