// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF reader: one pass over the bytes with an explicit group stack.
#include "links/RtfReader.h"

#include "links/LinkGrammar.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvo {

namespace {

using namespace std::string_view_literals;

// Real documents nest a few dozen groups deep; deeper groups are skipped whole.
constexpr qsizetype kMaxDepth = 512;
// Field instructions and font names are short; longer ones are cut, not stored whole.
constexpr qsizetype kMaxInstructionLength = 1 << 16;
constexpr qsizetype kMaxFontNameLength = 256;
constexpr int kMaxUnicodeSkip = 16;

// Code page 1252 from 0x80 to 0x9F; its five holes become U+FFFD.
constexpr std::array<char16_t, 32> kCp1252High { 0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
    0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178 };

char16_t fromCp1252(uchar byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t(byte);
}

// The Windows code page of an RTF \fcharset; 0 where the document's own code page applies.
int codePageOfCharset(int charset)
{
    static constexpr std::array<std::pair<int, int>, 18> pages { {
        { 0, 1252 },
        { 2, 1252 },
        { 77, 10000 },
        { 128, 932 },
        { 129, 949 },
        { 134, 936 },
        { 136, 950 },
        { 161, 1253 },
        { 162, 1254 },
        { 163, 1258 },
        { 177, 1255 },
        { 178, 1256 },
        { 186, 1257 },
        { 204, 1251 },
        { 222, 874 },
        { 238, 1250 },
        { 254, 437 },
        { 255, 437 },
    } };
    for (const auto& [set, page] : pages)
        if (set == charset)
            return page;
    return 0;
}

// Destinations whose content is no text of the document. Sorted for binary search.
constexpr std::array kSkippedDestinations { "annotation"sv, "atnauthor"sv, "atnid"sv, "bkmkend"sv, "bkmkstart"sv,
    "colorschememapping"sv, "datastore"sv, "docvar"sv, "filetbl"sv, "footer"sv, "footerf"sv, "footerl"sv, "footerr"sv,
    "footnote"sv, "generator"sv, "header"sv, "headerf"sv, "headerl"sv, "headerr"sv, "info"sv, "latentstyles"sv,
    "listoverridetable"sv, "listtable"sv, "nonshppict"sv, "objdata"sv, "pgdsctbl"sv, "pict"sv, "revtbl"sv, "rsidtbl"sv,
    "stylesheet"sv, "tc"sv, "template"sv, "themedata"sv, "txe"sv, "userprops"sv, "xe"sv, "xmlnstbl"sv };

static_assert(std::is_sorted(kSkippedDestinations.begin(), kSkippedDestinations.end()));

bool isSkippedDestination(std::string_view name)
{
    return std::binary_search(kSkippedDestinations.begin(), kSkippedDestinations.end(), name);
}

bool isUnderlineWord(std::string_view name)
{
    static constexpr std::array words { "ul"sv, "uld"sv, "uldash"sv, "uldashd"sv, "uldashdd"sv, "uldb"sv, "ulhwave"sv,
        "ulldash"sv, "ulth"sv, "ulthd"sv, "ulthdash"sv, "ulthdashd"sv, "ulthdashdd"sv, "ulthldash"sv, "ululdbwave"sv,
        "ulw"sv, "ulwave"sv };
    return std::find(words.begin(), words.end(), name) != words.end();
}

// Words that stand for one character of text.
char16_t symbolWord(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, char16_t>, 20> words { {
        { "par"sv, u'\n' },
        { "sect"sv, u'\n' },
        { "page"sv, u'\n' },
        { "row"sv, u'\n' },
        { "line"sv, 0x2028 },
        { "tab"sv, u'\t' },
        { "cell"sv, u'\t' },
        { "emdash"sv, 0x2014 },
        { "endash"sv, 0x2013 },
        { "emspace"sv, 0x2003 },
        { "enspace"sv, 0x2002 },
        { "qmspace"sv, 0x2005 },
        { "bullet"sv, 0x2022 },
        { "lquote"sv, 0x2018 },
        { "rquote"sv, 0x2019 },
        { "ldblquote"sv, 0x201C },
        { "rdblquote"sv, 0x201D },
        { "zwj"sv, 0x200D },
        { "zwnj"sv, 0x200C },
        { "zwbo"sv, 0x200B },
    } };
    for (const auto& [word, unit] : words) {
        if (word == name)
            return unit;
    }
    return 0;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isAsciiDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Unpaired surrogates would not survive conversion to UTF-8; they become U+FFFD.
void replaceUnpairedSurrogates(QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
}

// One argument of a field instruction: quoted (with \" and \\ as escapes) or up to white space.
QString fieldArgument(QStringView s, qsizetype& pos)
{
    QString arg;
    if (s[pos] == u'"') {
        for (++pos; pos < s.size() && s[pos] != u'"'; ++pos) {
            if (s[pos] == u'\\' && pos + 1 < s.size() && (s[pos + 1] == u'"' || s[pos + 1] == u'\\'))
                ++pos;
            arg += s[pos];
        }
        ++pos; // the closing quote
        return arg;
    }
    while (pos < s.size() && !s[pos].isSpace())
        arg += s[pos++];
    return arg;
}

// The URL of a HYPERLINK field instruction, with a \l bookmark as "#name".
std::optional<QString> hyperlinkOf(const QString& instruction)
{
    QStringView s = QStringView(instruction).trimmed();
    constexpr QLatin1String keyword("HYPERLINK");
    if (!s.startsWith(keyword, Qt::CaseInsensitive))
        return std::nullopt;
    s = s.mid(keyword.size());
    if (!s.isEmpty() && !s[0].isSpace() && s[0] != u'"' && s[0] != u'\\')
        return std::nullopt;

    std::optional<QString> url;
    bool bookmarkNext = false;
    bool skipNext = false;
    qsizetype pos = 0;
    while (true) {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
        if (pos >= s.size())
            break;
        if (s[pos] == u'\\' && pos + 1 < s.size() && s[pos + 1].isLetter()) {
            const QChar sw = s[pos + 1].toLower();
            pos += 2;
            bookmarkNext = sw == u'l';
            skipNext = sw == u'o' || sw == u't';
            continue;
        }
        const QString arg = fieldArgument(s, pos);
        if (skipNext) {
            skipNext = false;
        } else if (bookmarkNext) {
            bookmarkNext = false;
            url = url.value_or(QString()) + u'#' + arg;
        } else if (!url) {
            url = arg;
        }
    }
    if (url && url->isEmpty())
        return std::nullopt;
    // The instruction is text like any other (\u escapes, a cut at its length limit).
    if (url)
        replaceUnpairedSurrogates(*url);
    // A tolvo:// link's field holds what a field cannot carry percent-encoded (so does ours, with
    // "%" encoded then too); the link itself is its decoded text, as dispatch reads it.
    if (url && url->startsWith(QLatin1String("tolvo:"), Qt::CaseInsensitive))
        url = percentDecoded(*url);
    return url;
}

enum class Destination { Text, FontTable, ColorTable, FieldInstruction, Skip };

struct GroupState {
    Destination destination = Destination::Text;
    int font = -1; // -1: not set
    int halfPoints = -1; // -1: not set
    int color = 0; // 0: automatic
    bool underline = false;
    bool bold = false;
    bool italic = false;
    bool strikeThrough = false;
    bool hidden = false;
    int unicodeSkip = 1;
    std::optional<QString> link;
};

struct Field {
    qsizetype depth; // stack size when \field was read
    QString instruction;
};

class Reader {
public:
    explicit Reader(const QByteArray& data)
        : m_data(data.constData())
        , m_size(data.size())
    {
    }

    RichText read(qsizetype start)
    {
        m_pos = start;
        m_stack.push_back(GroupState {}); // below the document group
        while (m_pos < m_size && !m_done) {
            const char c = m_data[m_pos];
            switch (c) {
            case '{':
                ++m_pos;
                openGroup();
                break;
            case '}':
                ++m_pos;
                closeGroup();
                break;
            case '\\':
                readControl();
                break;
            case '\r':
            case '\n':
                ++m_pos;
                break;
            default:
                ++m_pos;
                rawByte(uchar(c));
                break;
            }
        }
        decodeBytes();
        flush();
        return std::move(m_result);
    }

private:
    GroupState& state() { return m_stack.back(); }

    void openGroup()
    {
        decodeBytes();
        m_unicodeSkipLeft = 0;
        m_ignorable = false;
        if (m_overflow > 0 || qsizetype(m_stack.size()) > kMaxDepth) {
            ++m_overflow;
            return;
        }
        m_stack.push_back(m_stack.back());
    }

    void closeGroup()
    {
        decodeBytes();
        m_unicodeSkipLeft = 0;
        m_ignorable = false;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.size() <= 1) {
            m_done = true;
            return;
        }
        if (state().destination == Destination::FontTable)
            commitFontName();
        m_stack.pop_back();
        m_attributesDirty = true;
        while (!m_fields.empty() && m_fields.back().depth > qsizetype(m_stack.size()))
            m_fields.pop_back();
        if (m_stack.size() <= 1)
            m_done = true; // the document group has closed; anything after it is not RTF
    }

    void readControl()
    {
        ++m_pos; // the backslash
        if (m_pos >= m_size)
            return;
        const char c = m_data[m_pos];
        if (isAsciiLetter(c)) {
            const qsizetype start = m_pos;
            while (m_pos < m_size && isAsciiLetter(m_data[m_pos]))
                ++m_pos;
            const std::string_view name(m_data + start, size_t(m_pos - start));
            bool negative = false;
            if (m_pos + 1 < m_size && m_data[m_pos] == '-' && isAsciiDigit(m_data[m_pos + 1])) {
                negative = true;
                ++m_pos;
            }
            bool hasParameter = false;
            qint64 value = 0;
            while (m_pos < m_size && isAsciiDigit(m_data[m_pos])) {
                hasParameter = true;
                value = std::min<qint64>(value * 10 + (m_data[m_pos] - '0'), INT_MAX);
                ++m_pos;
            }
            if (m_pos < m_size && m_data[m_pos] == ' ')
                ++m_pos;
            word(name, hasParameter, int(negative ? -value : value));
        } else if (c == '\'') {
            ++m_pos;
            if (m_pos + 1 < m_size && hexValue(m_data[m_pos]) >= 0 && hexValue(m_data[m_pos + 1]) >= 0) {
                const uchar byte = uchar(hexValue(m_data[m_pos]) * 16 + hexValue(m_data[m_pos + 1]));
                m_pos += 2;
                escapedByte(byte);
            }
        } else {
            ++m_pos;
            symbol(c);
        }
    }

    void symbol(char c)
    {
        if (m_overflow > 0)
            return;
        switch (c) {
        case '*':
            m_ignorable = true;
            return;
        case '\\':
        case '{':
        case '}':
            escapedCharacter(char16_t(c));
            return;
        case '~':
            escapedCharacter(0x00A0);
            return;
        case '_':
            escapedCharacter(0x2011);
            return;
        case '\n':
        case '\r':
            m_unicodeSkipLeft = 0;
            character(u'\n'); // a backslash before a line end is \par
            return;
        default:
            return; // \- (optional hyphen), \| and \: show nothing
        }
    }

    void word(std::string_view name, bool hasParameter, int parameter)
    {
        if (name == "bin"sv) {
            // Binary data of the given length follows; it is never text.
            m_pos += std::min<qint64>(std::max(parameter, 0), m_size - m_pos);
            return;
        }
        if (m_overflow > 0)
            return;
        decodeBytes();
        const bool ignorable = std::exchange(m_ignorable, false);
        GroupState& s = state();
        if (s.destination == Destination::Skip)
            return;
        if (name == "u"sv) {
            const int unit = parameter < 0 ? parameter + 0x10000 : parameter;
            if (unit >= 0 && unit <= 0xFFFF)
                character(char16_t(unit));
            m_unicodeSkipLeft = s.unicodeSkip;
            return;
        }
        m_unicodeSkipLeft = 0;
        if (name == "ansicpg"sv) {
            if (parameter > 0)
                m_documentCodePage = parameter;
            return;
        }
        if (name == "uc"sv) {
            s.unicodeSkip = std::clamp(hasParameter ? parameter : 1, 0, kMaxUnicodeSkip);
            return;
        }
        if (destinationWord(name, ignorable))
            return;

        switch (s.destination) {
        case Destination::FontTable:
            if (name == "f"sv) {
                commitFontName();
                m_fontNumber = std::max(parameter, 0);
            } else if (name == "fcharset"sv && m_fontNumber >= 0) {
                if (const int codePage = codePageOfCharset(parameter))
                    m_fontCodePages.insert(m_fontNumber, codePage);
            } else if (name == "cpg"sv && m_fontNumber >= 0 && parameter > 0) {
                m_fontCodePages.insert(m_fontNumber, parameter);
            }
            return;
        case Destination::ColorTable:
            if (name == "red"sv)
                m_red = std::clamp(parameter, 0, 255);
            else if (name == "green"sv)
                m_green = std::clamp(parameter, 0, 255);
            else if (name == "blue"sv)
                m_blue = std::clamp(parameter, 0, 255);
            return;
        case Destination::Text:
            textWord(name, hasParameter, parameter);
            return;
        case Destination::FieldInstruction:
        case Destination::Skip:
            return;
        }
    }

    // Handles the words that change the destination; false for any other word.
    bool destinationWord(std::string_view name, bool ignorable)
    {
        GroupState& s = state();
        if (name == "fonttbl"sv) {
            s.destination = Destination::FontTable;
            m_fontNumber = -1;
            m_fontName.clear();
        } else if (name == "colortbl"sv) {
            s.destination = Destination::ColorTable;
            m_colors.clear();
            m_red = m_green = m_blue = -1;
        } else if (name == "field"sv) {
            if (s.destination == Destination::Text)
                m_fields.push_back(Field { qsizetype(m_stack.size()), {} });
        } else if (name == "fldinst"sv) {
            s.destination = m_fields.empty() ? Destination::Skip : Destination::FieldInstruction;
        } else if (name == "fldrslt"sv) {
            s.destination = Destination::Text;
            if (!m_fields.empty()) {
                if (std::optional<QString> url = hyperlinkOf(m_fields.back().instruction)) {
                    s.link = std::move(url);
                    m_attributesDirty = true;
                }
            }
        } else if (ignorable || isSkippedDestination(name)) {
            s.destination = Destination::Skip;
        } else {
            return false;
        }
        return true;
    }

    void textWord(std::string_view name, bool hasParameter, int parameter)
    {
        GroupState& s = state();
        const bool on = !hasParameter || parameter != 0;
        if (const char16_t unit = symbolWord(name)) {
            character(unit);
            return;
        }
        if (name == "plain"sv) {
            s.font = -1;
            s.halfPoints = -1;
            s.color = 0;
            s.underline = false;
            s.bold = false;
            s.italic = false;
            s.strikeThrough = false;
            s.hidden = false;
        } else if (name == "b"sv) {
            s.bold = on;
        } else if (name == "i"sv) {
            s.italic = on;
        } else if (name == "strike"sv || name == "striked"sv) {
            s.strikeThrough = on;
        } else if (name == "f"sv) {
            s.font = std::max(parameter, 0);
        } else if (name == "fs"sv) {
            s.halfPoints = parameter > 0 ? parameter : -1;
        } else if (name == "cf"sv) {
            s.color = std::max(parameter, 0);
        } else if (isUnderlineWord(name)) {
            s.underline = on;
        } else if (name == "ulnone"sv) {
            s.underline = false;
        } else if (name == "v"sv) {
            s.hidden = on;
        } else {
            return;
        }
        m_attributesDirty = true;
    }

    void rawByte(uchar byte)
    {
        if (m_overflow > 0)
            return;
        if (m_unicodeSkipLeft > 0) {
            --m_unicodeSkipLeft;
            return;
        }
        m_ignorable = false;
        switch (state().destination) {
        case Destination::FontTable:
            if (byte == ';')
                commitFontName();
            else
                character(fromCp1252(byte));
            return;
        case Destination::ColorTable:
            if (byte == ';')
                commitColor();
            return;
        default:
            if (byte < 0x80)
                character(byte);
            else
                textByte(byte);
            return;
        }
    }

    // A byte of text in the code page of the current font (or of the document): bytes are gathered
    // and decoded together, since some code pages take two bytes for a character.
    void escapedByte(uchar byte)
    {
        if (m_unicodeSkipLeft > 0) {
            --m_unicodeSkipLeft;
            return;
        }
        m_ignorable = false;
        textByte(byte);
    }

    void textByte(uchar byte)
    {
        const int codePage = currentCodePage();
        if (codePage == 1252 || state().destination != Destination::Text) {
            character(fromCp1252(byte));
            return;
        }
        if (!m_bytes.isEmpty() && codePage != m_bytesCodePage)
            decodeBytes();
        m_bytesCodePage = codePage;
        m_bytes.append(char(byte));
    }

    int currentCodePage() const
    {
        const GroupState& s = m_stack.back();
        return s.font >= 0 ? m_fontCodePages.value(s.font, m_documentCodePage) : m_documentCodePage;
    }

    void decodeBytes()
    {
        if (m_bytes.isEmpty())
            return;
        const QByteArray bytes = std::exchange(m_bytes, {});
        const QByteArray name = m_bytesCodePage == 10000 ? QByteArray("macintosh")
            : m_bytesCodePage == 932                     ? QByteArray("Shift_JIS")
            : m_bytesCodePage == 936                     ? QByteArray("GBK")
            : m_bytesCodePage == 949                     ? QByteArray("cp949")
            : m_bytesCodePage == 950                     ? QByteArray("Big5")
            : m_bytesCodePage == 437                     ? QByteArray("IBM437")
                                                         : "windows-" + QByteArray::number(m_bytesCodePage);
        QStringDecoder decoder(name.constData());
        const QString text = decoder.isValid() ? decoder.decode(bytes) : QString();
        if (!decoder.isValid()) {
            // A code page that Qt does not know: read as 1252 rather than lose the text.
            for (const char c : bytes)
                appendText(fromCp1252(uchar(c)));
            return;
        }
        for (const QChar c : text)
            appendText(c.unicode());
    }

    // A character written as an escape: it counts as a fallback character and
    // never ends a table entry.
    void escapedCharacter(char16_t unit)
    {
        if (m_unicodeSkipLeft > 0) {
            --m_unicodeSkipLeft;
            return;
        }
        m_ignorable = false;
        character(unit);
    }

    void character(char16_t unit)
    {
        decodeBytes();
        appendText(unit);
    }

    void appendText(char16_t unit)
    {
        GroupState& s = state();
        switch (s.destination) {
        case Destination::Text:
            if (s.hidden || (unit < 0x20 && unit != u'\t' && unit != u'\n') || unit == 0x7F)
                return;
            appendUnit(unit);
            return;
        case Destination::FontTable:
            if (m_fontName.size() < kMaxFontNameLength)
                m_fontName += QChar(unit);
            return;
        case Destination::FieldInstruction:
            if (!m_fields.empty() && m_fields.back().instruction.size() < kMaxInstructionLength)
                m_fields.back().instruction += QChar(unit);
            return;
        case Destination::ColorTable:
        case Destination::Skip:
            return;
        }
    }

    void appendUnit(char16_t unit)
    {
        if (m_attributesDirty) {
            TextAttributes attributes = currentAttributes();
            if (attributes != m_pendingAttributes) {
                flush();
                m_pendingAttributes = std::move(attributes);
            }
            m_attributesDirty = false;
        }
        m_pending += QChar(unit);
    }

    TextAttributes currentAttributes() const
    {
        const GroupState& s = m_stack.back();
        TextAttributes a;
        a.link = s.link;
        if (s.color > 0 && s.color < m_colors.size())
            a.color = m_colors[s.color];
        a.underline = s.underline;
        a.bold = s.bold;
        a.italic = s.italic;
        a.strikeThrough = s.strikeThrough;
        if (s.font >= 0 || s.halfPoints > 0) {
            FontSpec font { s.font >= 0 ? m_fonts.value(s.font) : QString(),
                s.halfPoints > 0 ? s.halfPoints / 2.0 : 0 };
            if (!font.family.isEmpty() || font.hasSize())
                a.font = std::move(font);
        }
        return a;
    }

    void flush()
    {
        if (m_pending.isEmpty())
            return;
        replaceUnpairedSurrogates(m_pending);
        m_result.append(m_pending, m_pendingAttributes);
        m_pending.clear();
    }

    void commitFontName()
    {
        const QString name = m_fontName.trimmed();
        if (m_fontNumber >= 0 && !name.isEmpty() && !m_fonts.contains(m_fontNumber))
            m_fonts.insert(m_fontNumber, name);
        m_fontName.clear();
    }

    void commitColor()
    {
        if (m_red < 0 && m_green < 0 && m_blue < 0)
            m_colors.append(std::nullopt); // the automatic colour
        else
            m_colors.append(RgbColor { std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0) });
        m_red = m_green = m_blue = -1;
    }

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    bool m_done = false;

    std::vector<GroupState> m_stack;
    qsizetype m_overflow = 0; // open groups beyond kMaxDepth
    bool m_ignorable = false; // a \* was just read
    int m_unicodeSkipLeft = 0;
    std::vector<Field> m_fields;

    QHash<int, QString> m_fonts;
    QHash<int, int> m_fontCodePages; // font number to the code page of its \fcharset or \cpg
    int m_documentCodePage = 1252; // \ansicpg
    QByteArray m_bytes; // text bytes not yet decoded
    int m_bytesCodePage = 1252;
    int m_fontNumber = -1;
    QString m_fontName;
    QList<std::optional<RgbColor>> m_colors;
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;

    RichText m_result;
    QString m_pending;
    TextAttributes m_pendingAttributes;
    bool m_attributesDirty = true;
};

} // namespace

std::optional<RichText> fromRtf(const QByteArray& data)
{
    qsizetype start = 0;
    while (start < data.size()
        && (data[start] == ' ' || data[start] == '\t' || data[start] == '\r' || data[start] == '\n'))
        ++start;
    if (!QByteArrayView(data).sliced(start).startsWith("{\\rtf"))
        return std::nullopt;
    return Reader(data).read(start);
}

} // namespace tolvo
