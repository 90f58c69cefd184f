// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/AutoMatch.h"

#include "links/PathStrings.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <algorithm>

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

QStringList autoMatchPrefixes(const Defaults& defaults, const QString& pdfPath)
{
    QStringList prefixes;
    if (!defaults.boolForKey(QString::fromLatin1(keys::kAutoMatchEnabled)))
        return prefixes;
    const QVariantMap matching = defaults.dictionaryForKey(QString::fromLatin1(keys::kMatchingDictionary));
    QList<std::pair<qsizetype, QString>> fitting;
    for (const QString& key : autoMatchKeys(matching, pdfPath))
        if (const std::optional<QString> prefix = prefixCompatibleString(key))
            fitting.append({ matchingFileName(matching.value(key).toString()).size(), *prefix });
    std::stable_sort(fitting.begin(), fitting.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [length, prefix] : std::as_const(fitting))
        if (!prefixes.contains(prefix))
            prefixes.append(prefix);
    return prefixes;
}

std::optional<QString> autoMatchPrefix(const Defaults& defaults, const QString& pdfPath)
{
    const QStringList prefixes = autoMatchPrefixes(defaults, pdfPath);
    if (prefixes.isEmpty())
        return std::nullopt;
    return prefixes.constFirst();
}

} // namespace tolvo
