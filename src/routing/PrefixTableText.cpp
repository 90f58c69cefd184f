// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/PrefixTableText.h"

#include "links/PathStrings.h"

#include <QFileInfo>
#include <QUrl>

#include <optional>

namespace tolvo {

namespace {

const QLatin1String kMarker("[prefix]");
const QLatin1String kPdfSuffix(".pdf");

QString prefixOf(const QString& key)
{
    return prefixCompatibleString(key).value_or(key);
}

} // namespace

QString prefixRowsText(const QList<PrefixRow>& rows)
{
    QStringList blocks;
    blocks.reserve(rows.size());
    for (const PrefixRow& row : rows)
        blocks.append(QStringLiteral("[prefix]%1\n%2\n").arg(row.key, row.value));
    return blocks.join(QLatin1Char('\n'));
}

GeneratedKeys::GeneratedKeys(const QVariantMap& matching)
{
    for (auto it = matching.cbegin(); it != matching.cend(); ++it)
        reserve(it.key());
}

void GeneratedKeys::reserve(const QString& key)
{
    m_taken.insert(prefixOf(key));
}

bool GeneratedKeys::taken(const QString& key) const
{
    return m_taken.contains(prefixOf(key));
}

QString GeneratedKeys::next()
{
    QString key;
    do
        key = QStringLiteral("aprefix-%1").arg(m_counter++);
    while (taken(key));
    reserve(key);
    return key;
}

QList<PrefixRow> entriesFromText(const QString& text, GeneratedKeys& keys)
{
    // Keys the text names itself are reserved first, so that a key generated for an
    // earlier line cannot be replaced by one named further down.
    struct Item {
        std::optional<QString> key;
        QString value;
    };
    QList<Item> items;
    std::optional<QString> pending;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.simplified();
        const qsizetype marker = line.toLower().indexOf(kMarker);
        if (marker >= 0) {
            // A marker line is never itself a file line: "[prefix] book.pdf" names a key.
            pending = prefixCompatibleString(line.mid(marker + kMarker.size()));
            continue;
        }
        if (!line.toLower().endsWith(kPdfSuffix))
            continue;
        items.append({ pending, line });
        if (pending)
            keys.reserve(*pending);
        pending.reset();
    }
    QList<PrefixRow> rows;
    rows.reserve(items.size());
    for (const Item& item : items)
        rows.append({ item.key ? *item.key : keys.next(), item.value });
    return rows;
}

QList<PrefixRow> entriesFromFiles(const QStringList& paths, bool fileNameOnly, GeneratedKeys& keys)
{
    QList<PrefixRow> rows;
    for (const QString& path : paths) {
        const QString text = (fileNameOnly ? QFileInfo(path).fileName() : path).simplified();
        if (text.toLower().endsWith(kPdfSuffix))
            rows.append({ keys.next(), text });
    }
    return rows;
}

bool textListsOnlyFiles(const QString& text, const QStringList& fileTexts)
{
    bool any = false;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty())
            continue;
        if (!fileTexts.contains(line) && !fileTexts.contains(QUrl::fromPercentEncoding(line.toUtf8())))
            return false;
        any = true;
    }
    return any;
}

bool matchesLikePattern(const QString& text, const QString& pattern)
{
    if (pattern.isEmpty())
        return true;
    // Whole characters, so that "?" stands for one character outside the BMP too.
    const QList<uint> t = text.toUcs4();
    const QList<uint> p = pattern.toUcs4();
    qsizetype ti = 0, pi = 0, starP = -1, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == '?' || (p[pi] != '*' && p[pi] == t[ti]))) {
            ++ti;
            ++pi;
        } else if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starT = ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

} // namespace tolvo
