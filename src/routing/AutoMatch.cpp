// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/AutoMatch.h"

#include "links/PathStrings.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

namespace tolvo {

QString matchingFileName(const QString& value)
{
    QString text = value;
    while (text.size() > 1 && text.endsWith(QLatin1Char('/')))
        text.chop(1);
    if (text == QLatin1String("/"))
        return QString();
    return text.mid(text.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList autoMatchKeys(const QVariantMap& matching, const QString& pdfPath)
{
    const QString path = pdfPath.toLower();
    QStringList found;
    for (auto it = matching.cbegin(); it != matching.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QString)
            continue;
        // An empty name would be a suffix of every path and hand one prefix to every PDF.
        const QString name = matchingFileName(it.value().toString()).toLower();
        if (!name.isEmpty() && path.endsWith(name))
            found.append(it.key());
    }
    return found;
}

std::optional<QString> autoMatchPrefix(const Defaults& defaults, const QString& pdfPath)
{
    if (!defaults.boolForKey(QString::fromLatin1(keys::kAutoMatchEnabled)))
        return std::nullopt;
    const QVariantMap matching = defaults.dictionaryForKey(QString::fromLatin1(keys::kMatchingDictionary));
    std::optional<QString> best;
    qsizetype bestLength = -1;
    for (const QString& key : autoMatchKeys(matching, pdfPath)) {
        const std::optional<QString> prefix = prefixCompatibleString(key);
        if (!prefix)
            continue;
        const qsizetype length = matchingFileName(matching.value(key).toString()).size();
        if (length > bestLength) {
            best = prefix;
            bestLength = length;
        }
    }
    return best;
}

} // namespace tolvo
