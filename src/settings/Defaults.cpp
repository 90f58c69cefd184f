#include "settings/Defaults.h"

#include "settings/DefaultsKeys.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLockFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>

#include <cmath>

#include <sys/stat.h>

Q_LOGGING_CATEGORY(lcDefaults, "tolvo.defaults")

namespace tolvo {

namespace {

// Another process holds the lock only for a read and a write of a small file.
constexpr int kLockTimeoutMs = 5000;

QString typeName(Defaults::Type type)
{
    switch (type) {
    case Defaults::Type::Bool: return QStringLiteral("boolean");
    case Defaults::Type::Integer: return QStringLiteral("integer");
    case Defaults::Type::Double: return QStringLiteral("number");
    case Defaults::Type::Float: return QStringLiteral("number");
    case Defaults::Type::String: return QStringLiteral("string");
    case Defaults::Type::Dictionary: return QStringLiteral("dictionary");
    case Defaults::Type::RichText: return QStringLiteral("rich text");
    }
    return QString();
}

} // namespace

Defaults::Defaults(QString filePath, QObject* parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
{
}

Defaults::~Defaults() = default;

QString Defaults::standardFilePath()
{
    // An empty organisation keeps the folder at $XDG_CONFIG_HOME/Tolvo.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Tolvo/defaults.json");
}

Defaults& Defaults::standard()
{
    static Defaults* store = [] {
        auto* d = new Defaults(standardFilePath());
        registerTolvoDefaults(*d);
        return d;
    }();
    return *store;
}

void Defaults::registerDefaults(const QList<Key>& keys)
{
    for (const Key& key : keys) {
        auto it = m_index.constFind(key.name);
        if (it != m_index.constEnd()) {
            m_order[*it] = key;
        } else {
            m_index.insert(key.name, m_order.size());
            m_order.append(key);
        }
    }
}

const Defaults::Key* Defaults::registeredKey(const QString& name) const
{
    auto it = m_index.constFind(name);
    return it == m_index.constEnd() ? nullptr : &m_order[*it];
}

Defaults::FileStamp Defaults::stamp() const
{
    struct stat st {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &st) != 0)
        return {};
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QVariantMap Defaults::readFile() const
{
    QFile file(m_filePath);
    if (!file.exists()) {
        m_unreadable = false;
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable is not damaged: leave the file alone and never write over it.
        if (!m_unreadable)
            qCWarning(lcDefaults).noquote() << "Cannot read the settings file" << m_filePath << ":"
                                            << file.errorString() << "- running on the built-in defaults";
        m_unreadable = true;
        m_loadProblem = QStringLiteral("cannot read %1: %2").arg(m_filePath, file.errorString());
        return {};
    }
    m_unreadable = false;
    const QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (!bytes.isEmpty() && doc.isObject())
        return doc.object().toVariantMap();
    if (bytes.isEmpty())
        return {};

    // Keep the damaged content aside rather than writing over it later.
    const QString aside = m_filePath + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString why = doc.isNull() ? error.errorString() : QStringLiteral("not a JSON object");
    if (QFile::rename(m_filePath, aside)) {
        m_loadProblem = QStringLiteral("%1 was damaged (%2); it was kept as %3").arg(m_filePath, why, aside);
    } else {
        m_unreadable = true;
        m_loadProblem = QStringLiteral("%1 is damaged (%2) and could not be moved aside").arg(m_filePath, why);
    }
    qCWarning(lcDefaults).noquote() << "Settings file" << m_loadProblem << "- running on the built-in defaults";
    return {};
}

void Defaults::adopt(const QVariantMap& fileValues) const
{
    const QVariantMap before = m_user;
    m_user = fileValues;
    for (auto it = m_pendingSet.cbegin(); it != m_pendingSet.cend(); ++it)
        m_user.insert(it.key(), it.value());
    for (const QString& key : m_pendingRemove)
        m_user.remove(key);
    m_stamp = stamp();
    m_loaded = true;
    if (before.isEmpty() && !m_loadedOnce) {
        m_loadedOnce = true;
        return;
    }
    QSet<QString> changed;
    for (auto it = m_user.cbegin(); it != m_user.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed.insert(it.key());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (!m_user.contains(it.key()))
            changed.insert(it.key());
    for (const QString& key : changed)
        emit const_cast<Defaults*>(this)->valueChanged(key);
}

void Defaults::ensureLoaded() const
{
    if (!m_loaded)
        adopt(readFile());
}

void Defaults::refreshIfChanged() const
{
    // Another process (tolvo-cli, a second window's process) may have written
    // the file; a stat per read keeps every read current at little cost.
    if (!m_loaded || stamp() != m_stamp)
        adopt(readFile());
}

void Defaults::reload()
{
    adopt(readFile());
}

QVariant Defaults::coerce(const Key* key, const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (!key)
        return value;
    switch (key->type) {
    case Type::Bool:
        if (value.typeId() == QMetaType::Bool)
            return value;
        if (value.canConvert<double>() && value.typeId() != QMetaType::QString)
            return value.toDouble() != 0;
        return QVariant();
    case Type::Integer:
    case Type::Double:
    case Type::Float: {
        if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QVariantMap)
            return QVariant();
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return QVariant();
        if (key->type == Type::Integer)
            return qint64(d);
        if (key->type == Type::Float)
            return double(float(d));
        return d;
    }
    case Type::String:
    case Type::RichText:
        return value.typeId() == QMetaType::QString ? value : QVariant();
    case Type::Dictionary:
        return value.typeId() == QMetaType::QVariantMap ? value : QVariant();
    }
    return QVariant();
}

QVariant Defaults::valueForKey(const QString& key) const
{
    refreshIfChanged();
    const Key* registered = registeredKey(key);
    auto it = m_user.constFind(key);
    if (it != m_user.constEnd()) {
        // A value of the wrong type (a hand-edited file) counts as absent.
        const QVariant v = coerce(registered, it.value());
        if (v.isValid())
            return v;
    }
    return registered ? registered->defaultValue : QVariant();
}

bool Defaults::hasUserValue(const QString& key) const
{
    refreshIfChanged();
    return m_user.contains(key);
}

bool Defaults::boolForKey(const QString& key) const
{
    const QVariant v = valueForKey(key);
    return v.typeId() == QMetaType::QString ? false : v.toBool();
}

qint64 Defaults::integerForKey(const QString& key) const
{
    return valueForKey(key).toLongLong();
}

double Defaults::doubleForKey(const QString& key) const
{
    return valueForKey(key).toDouble();
}

float Defaults::floatForKey(const QString& key) const
{
    return valueForKey(key).toFloat();
}

QString Defaults::stringForKey(const QString& key) const
{
    const QVariant v = valueForKey(key);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

QVariantMap Defaults::dictionaryForKey(const QString& key) const
{
    return valueForKey(key).toMap();
}

void Defaults::setValue(const QString& key, const QVariant& value)
{
    ensureLoaded();
    const QVariant v = coerce(registeredKey(key), value);
    if (!v.isValid()) {
        qCWarning(lcDefaults).noquote() << "Ignoring a value of the wrong type for" << key;
        return;
    }
    m_pendingRemove.remove(key);
    m_pendingSet.insert(key, v);
    const bool changed = m_user.value(key) != v;
    m_user.insert(key, v);
    if (changed)
        emit valueChanged(key);
}

void Defaults::removeValue(const QString& key)
{
    ensureLoaded();
    m_pendingSet.remove(key);
    m_pendingRemove.insert(key);
    if (m_user.remove(key))
        emit valueChanged(key);
}

bool Defaults::writeFile(const QVariantMap& values)
{
    QSaveFile out(m_filePath);
    if (!out.open(QIODevice::WriteOnly)) {
        qCWarning(lcDefaults).noquote() << "Cannot write the settings file" << m_filePath << ":" << out.errorString();
        return false;
    }
    out.write(QJsonDocument(QJsonObject::fromVariantMap(values)).toJson(QJsonDocument::Indented));
    if (!out.commit()) {
        qCWarning(lcDefaults).noquote() << "Cannot write the settings file" << m_filePath << ":" << out.errorString();
        return false;
    }
    return true;
}

namespace {

// Holds the store's lock file for the length of one read-change-write.
class StoreLock {
public:
    explicit StoreLock(const QString& filePath)
        : m_lock(filePath + QStringLiteral(".lock"))
    {
        QDir().mkpath(QFileInfo(filePath).absolutePath());
        m_lock.setStaleLockTime(10000);
        m_locked = m_lock.tryLock(kLockTimeoutMs);
        if (!m_locked)
            qCWarning(lcDefaults).noquote() << "The settings file is locked by another process:" << filePath;
    }
    bool locked() const { return m_locked; }

private:
    QLockFile m_lock;
    bool m_locked = false;
};

} // namespace

bool Defaults::synchronize()
{
    ensureLoaded();
    if (m_pendingSet.isEmpty() && m_pendingRemove.isEmpty()) {
        refreshIfChanged();
        return true;
    }
    StoreLock lock(m_filePath);
    if (!lock.locked())
        return false;
    QVariantMap merged = readFile();
    if (m_unreadable)
        return false;
    for (auto it = m_pendingSet.cbegin(); it != m_pendingSet.cend(); ++it)
        merged.insert(it.key(), it.value());
    for (const QString& key : std::as_const(m_pendingRemove))
        merged.remove(key);
    if (!writeFile(merged))
        return false;
    m_pendingSet.clear();
    m_pendingRemove.clear();
    adopt(merged);
    return true;
}

bool Defaults::updateValue(const QString& key, const std::function<QVariant(const QVariant&)>& change)
{
    ensureLoaded();
    StoreLock lock(m_filePath);
    if (!lock.locked())
        return false;
    QVariantMap merged = readFile();
    if (m_unreadable)
        return false;
    // Our own unsaved changes of other keys go in with this write.
    for (auto it = m_pendingSet.cbegin(); it != m_pendingSet.cend(); ++it)
        merged.insert(it.key(), it.value());
    for (const QString& k : std::as_const(m_pendingRemove))
        merged.remove(k);

    const Key* registered = registeredKey(key);
    QVariant current = coerce(registered, merged.value(key));
    if (!current.isValid() && registered)
        current = registered->defaultValue;
    const QVariant next = coerce(registered, change(current));
    if (next.isValid())
        merged.insert(key, next);
    else
        merged.remove(key);
    if (!writeFile(merged))
        return false;
    m_pendingSet.clear();
    m_pendingRemove.clear();
    adopt(merged);
    return true;
}

std::optional<QVariant> Defaults::parseValue(const QString& key, const QString& text) const
{
    const Key* registered = registeredKey(key);
    if (!registered)
        return std::nullopt;
    switch (registered->type) {
    case Type::Bool:
        if (text == QLatin1String("true"))
            return QVariant(true);
        if (text == QLatin1String("false"))
            return QVariant(false);
        return std::nullopt;
    case Type::Integer: {
        bool ok = false;
        const qint64 v = text.trimmed().toLongLong(&ok);
        return ok ? std::optional<QVariant>(v) : std::nullopt;
    }
    case Type::Double:
    case Type::Float: {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return std::nullopt;
        return coerce(registered, v);
    }
    case Type::String:
        return QVariant(text);
    case Type::Dictionary: {
        const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
        if (!doc.isObject())
            return std::nullopt;
        return QVariant(doc.object().toVariantMap());
    }
    case Type::RichText: {
        // Read as a JSON string, so that any text (line breaks included) can be given.
        const QJsonDocument doc = QJsonDocument::fromJson("[" + text.toUtf8() + "]");
        if (!doc.isArray() || doc.array().size() != 1 || !doc.array().at(0).isString())
            return std::nullopt;
        return QVariant(doc.array().at(0).toString());
    }
    }
    return std::nullopt;
}

QString Defaults::formatValue(const QString& key, const QVariant& value) const
{
    const Key* registered = registeredKey(key);
    const Type type = registered ? registered->type : Type::String;
    switch (type) {
    case Type::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Type::Integer:
        return QString::number(value.toLongLong());
    case Type::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case Type::Float:
        return QString::number(value.toFloat(), 'g', 9);
    case Type::String:
        return value.toString();
    case Type::Dictionary:
        return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(value.toMap())).toJson(QJsonDocument::Compact));
    case Type::RichText: {
        QByteArray json = QJsonDocument(QJsonArray{value.toString()}).toJson(QJsonDocument::Compact);
        return QString::fromUtf8(json.mid(1, json.size() - 2));
    }
    }
    return value.toString();
}

QString Defaults::typeNameOf(const QString& key) const
{
    const Key* registered = registeredKey(key);
    return registered ? typeName(registered->type) : QString();
}

} // namespace tolvo
