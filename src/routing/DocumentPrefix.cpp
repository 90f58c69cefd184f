// SPDX-License-Identifier: GPL-3.0-or-later
#include "routing/DocumentPrefix.h"

#include "links/PathStrings.h"
#include "routing/AutoMatch.h"
#include "routing/FileIdentity.h"
#include "routing/RoutingTable.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace tolvo {

namespace {

constexpr int kTemporaryPrefixCount = 200;
constexpr int kTemporaryDraws = 64;

QString temporaryPrefixText(int n)
{
    return QStringLiteral("prefix-%1/").arg(n);
}

} // namespace

QString unableToConnectMessage()
{
    return QStringLiteral("Unable to connect Tolvo prefix to PDF");
}

QString temporaryPrefix(const QSet<QString>& taken, const std::function<int(int)>& random)
{
    const auto draw = [&random](int bound) {
        const int n = random ? random(bound) : int(QRandomGenerator::global()->bounded(bound));
        return qBound(0, n, bound - 1);
    };
    for (int i = 0; i < kTemporaryDraws; ++i) {
        const QString candidate = temporaryPrefixText(draw(kTemporaryPrefixCount));
        if (!taken.contains(candidate))
            return candidate;
    }
    // Unlucky draws, or nearly every number taken: the first free one, beyond 199 only when all are.
    for (int n = 0;; ++n)
        if (!taken.contains(temporaryPrefixText(n)))
            return temporaryPrefixText(n);
}

QString prefixFromFileName(const QString& pdfPath, const QSet<QString>& taken)
{
    QString name = QFileInfo(pdfPath).fileName();
    if (name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name.chop(4);
    QString base = prefixCompatibleString(name).value_or(QStringLiteral("document/"));
    if (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    QString candidate = base + QLatin1Char('/');
    for (int n = 2; taken.contains(candidate); ++n)
        candidate = QStringLiteral("%1-%2/").arg(base).arg(n);
    return candidate;
}

std::optional<QString> freeAutoMatchPrefix(Defaults& defaults, const QString& pdfPath)
{
    const QVariantMap table = RoutingTable(defaults, SearchScope::none()).dictionary();
    for (const QString& prefix : autoMatchPrefixes(defaults, pdfPath)) {
        const auto stored = table.contains(prefix) ? FileReference::fromVariant(table.value(prefix)) : std::nullopt;
        if (stored && stored->path() != pdfPath) {
            const std::optional<FileStat> there = statFile(stored->path());
            if (there && stored->acceptsFileAtItsPath(*there))
                continue;
        }
        return prefix;
    }
    return std::nullopt;
}

namespace {

// The prefix a PDF's links carry, and whether it is stored already.
std::pair<QString, bool> prefixForFile(Defaults& defaults, const QString& pdfPath)
{
    RoutingTable routing(defaults, SearchScope::none());
    QStringList keys = routing.keysForPath(pdfPath);
    if (keys.isEmpty())
        keys = routing.keysForMovedFile(pdfPath);
    if (const auto routed = routing.preferredKey(keys))
        return { *routed, true };
    if (const auto matched = freeAutoMatchPrefix(defaults, pdfPath))
        return { *matched, false };
    const QStringList stored = routing.keys();
    return { prefixFromFileName(pdfPath, QSet<QString>(stored.cbegin(), stored.cend())), false };
}

} // namespace

QString defaultPrefixForFile(Defaults& defaults, const QString& pdfPath)
{
    return prefixForFile(defaults, pdfPath).first;
}

std::optional<QString> linkPrefixForFile(Defaults& defaults, const QString& pdfPath, QString* error)
{
    const auto [prefix, stored] = prefixForFile(defaults, pdfPath);
    if (stored)
        return prefix;
    const RoutingTable::StoreResult result = RoutingTable(defaults, SearchScope::none()).storePrefix(prefix, pdfPath);
    if (!result.ok()) {
        if (error)
            *error = result.error;
        return std::nullopt;
    }
    return prefix;
}

DocumentPrefix::DocumentPrefix(Defaults& defaults, QString pdfPath, PrefixCallbacks callbacks)
    : m_defaults(defaults)
    , m_pdfPath(std::move(pdfPath))
    , m_callbacks(std::move(callbacks))
{
}

void DocumentPrefix::assignPrefix(const QSet<QString>& prefixesInUse)
{
    m_prefix = QStringLiteral("prefix");
    m_shouldConfirmPrefix = true;
    m_origin = Origin::Loading;

    RoutingTable routing(m_defaults, SearchScope::none());
    QStringList routed = routing.keysForPath(m_pdfPath);
    // The PDF moved here since its prefix was stored: it keeps its prefix.
    if (routed.isEmpty())
        routed = routing.keysForMovedFile(m_pdfPath);
    // Its entries learn where it is and what it is now (saved again, or moved), so that
    // links and the check find it without a search.
    routing.renewKeys(routed, m_pdfPath);
    if (const auto key = routing.preferredKey(routed)) {
        m_prefix = *key;
        m_shouldConfirmPrefix = false;
        m_origin = Origin::Routed;
    } else if (const auto matched = freeAutoMatchPrefix(m_defaults, m_pdfPath)) {
        m_prefix = *matched;
        m_shouldConfirmPrefix = false;
        m_origin = Origin::AutoMatched;
        store(m_prefix);
    } else {
        QSet<QString> taken = prefixesInUse;
        for (const QString& existing : routing.keys())
            taken.insert(existing);
        m_prefix = temporaryPrefix(taken, m_random);
        m_origin = Origin::Temporary;
    }
    notifyPrefix();
}

QString DocumentPrefix::prefixForLink(const QSet<QString>& prefixesInUse)
{
    if (m_origin != Origin::Temporary)
        return m_prefix;
    QSet<QString> taken = prefixesInUse;
    for (const QString& key : RoutingTable(m_defaults, SearchScope::none()).keys())
        taken.insert(key);
    m_origin = Origin::Named;
    // The prefix is no longer temporary: there is nothing left to confirm.
    m_shouldConfirmPrefix = false;
    storePrefix(prefixFromFileName(m_pdfPath, taken));
    return m_prefix;
}

bool DocumentPrefix::store(const QString& prefix)
{
    RoutingTable routing(m_defaults, SearchScope::none());
    const RoutingTable::StoreResult result = routing.storePrefix(prefix, m_pdfPath);
    if (!result.ok()) {
        const QString informative = result.failure == RoutingTable::StoreResult::Failure::Write
            ? QStringLiteral("Tolvo was unable to save its settings. As a result, following tolvo://%1 links may "
                             "not open the correct PDF.")
                  .arg(prefix)
            : QStringLiteral("Tolvo was unable to obtain a secure bookmark to access the PDF located at \"%1\". As a "
                             "result, following tolvo://%2 links may not open the correct PDF.")
                  .arg(m_pdfPath, prefix);
        if (m_callbacks.alert)
            m_callbacks.alert(unableToConnectMessage(), informative);
        return false;
    }
    if (m_defaults.boolForKey(QString::fromLatin1(keys::kAutomaticallyValidate)) && m_callbacks.validate)
        m_callbacks.validate();
    return true;
}

bool DocumentPrefix::storePrefix(const QString& prefix)
{
    // Whoever stores a prefix chose it: it is no longer temporary.
    if (m_origin == Origin::Loading || m_origin == Origin::Temporary)
        m_origin = Origin::Chosen;
    m_prefix = prefix;
    const bool stored = store(prefix);
    notifyPrefix();
    return stored;
}

void DocumentPrefix::configurePrefix()
{
    if (m_callbacks.showPrefixSheet)
        m_callbacks.showPrefixSheet(m_prefix, m_pdfPath);
}

void DocumentPrefix::prefixSheetDidEnd(int returnCode, const QString& typedText)
{
    if (returnCode != 1)
        return;
    std::optional<QString> chosen = prefixCompatibleString(typedText);
    if (!chosen) {
        // Nothing usable was typed: an empty key would route nothing, so the old prefix stays.
        if (m_callbacks.beep)
            m_callbacks.beep();
        return;
    }
    if (!chosen->endsWith(QLatin1Char('/')))
        chosen->append(QLatin1Char('/'));
    m_origin = Origin::Chosen;
    // The user has just named the prefix: asking for one later would be wrong.
    m_shouldConfirmPrefix = false;
    storePrefix(*chosen);
}

void DocumentPrefix::notifyPrefix()
{
    if (m_callbacks.prefixChanged)
        m_callbacks.prefixChanged(m_prefix);
}

} // namespace tolvo
