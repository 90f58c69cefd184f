// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Defaults.h"

#include "settings/DefaultsKeys.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLockFile>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDefaults, "tolvo.defaults")

namespace tolvo {

namespace {

constexpr int kFirstPauseMs = 1;
constexpr int kLongestPauseMs = 40;
// A lock whose owner is gone is taken over at once; one whose owner lives is old only after this.
constexpr int kStaleLockMs = 30000;

QString typeName(Defaults::Type type)
{
    switch (type) {
    case Defaults::Type::Bool:
        return QStringLiteral("boolean");
    case Defaults::Type::Integer:
        return QStringLiteral("integer");
    case Defaults::Type::Double:
        return QStringLiteral("number");
    case Defaults::Type::Float:
        return QStringLiteral("number");
    case Defaults::Type::String:
        return QStringLiteral("string");
    case Defaults::Type::Dictionary:
        return QStringLiteral("dictionary");
    case Defaults::Type::RichText:
        return QStringLiteral("rich text");
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
    struct stat st { };
    if (::stat(QFile::encodeName(m_filePath).constData(), &st) != 0)
        return {};
    return { qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec };
}

QVariantMap Defaults::readFile() const
{
    QFile file(m_filePath);
    if (!file.exists()) {
        m_unreadable = false;
        m_damaged = false;
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
    m_damaged = false;
    const QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (!bytes.isEmpty() && doc.isObject())
        return doc.object().toVariantMap();
    if (bytes.isEmpty())
        return {};

    // Left where it is: a reader must not move it, and a writer sets it aside under the lock.
    const QString why = doc.isNull() ? error.errorString() : QStringLiteral("not a JSON object");
    m_damaged = true;
    m_loadProblem = QStringLiteral("%1 is damaged (%2)").arg(m_filePath, why);
    if (m_damagedStamp != stamp()) {
        m_damagedStamp = stamp();
        qCWarning(lcDefaults).noquote() << "Settings file" << m_loadProblem;
        emit const_cast<Defaults*>(this)->damaged(m_loadProblem);
    }
    return {};
}

bool Defaults::setDamagedFileAside()
{
    const QString aside = m_filePath + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    if (!QFile::rename(m_filePath, aside)) {
        m_writeProblem = unwritableReason(
            QFileInfo(m_filePath).absolutePath(), QStringLiteral("the damaged file there cannot be moved aside"));
        return false;
    }
    m_loadProblem = QStringLiteral("%1 was damaged; it was kept as %2").arg(m_filePath, aside);
    qCWarning(lcDefaults).noquote() << "Settings file" << m_loadProblem;
    m_damaged = false;
    emit fileSetAside(aside);
    return true;
}

bool Defaults::isDamaged() const
{
    refreshIfChanged();
    return m_damaged;
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
        const_cast<Defaults*>(this)->reload();
}

void Defaults::reload()
{
    const QVariantMap values = readFile();
    if (m_damaged && m_loaded) {
        // What was read before the damage stays: it is what a writer puts back.
        m_stamp = stamp();
        return;
    }
    adopt(values);
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
        // A number the key's type cannot hold (a hand-edited 1e308 for a float) is refused, not
        // turned into an infinity or a wrapped integer that could never be typed back.
        if (key->type == Type::Integer) {
            constexpr double kLimit = 9223372036854775808.0; // 2^63
            if (d < -kLimit || d >= kLimit)
                return QVariant();
            return qint64(d);
        }
        if (key->type == Type::Float) {
            if (std::abs(d) > double(std::numeric_limits<float>::max()))
                return QVariant();
            return double(float(d));
        }
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
        qCWarning(lcDefaults).noquote() << "Ignoring a value of the wrong type or out of its range for" << key;
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

// Qt's error texts do not say "disk full" or "read-only" for every call that fails so: the file system is asked too.
QString unwritableReason(const QString& folder, const QString& fallback)
{
    const auto says = [&fallback](int error) {
        return fallback.contains(QString::fromLocal8Bit(std::strerror(error)), Qt::CaseInsensitive);
    };
    if (says(ENOSPC) || says(EDQUOT))
        return QStringLiteral("the disk is full");
    if (says(EROFS))
        return QStringLiteral("the file system is read-only");
    if (says(EACCES) || says(EPERM))
        return QStringLiteral("permission denied");
    const QByteArray path = QFile::encodeName(folder);
    struct statvfs fs { };
    if (::statvfs(path.constData(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return QStringLiteral("the file system is read-only");
        if (fs.f_bavail == 0 || (fs.f_files > 0 && fs.f_favail == 0))
            return QStringLiteral("the disk is full");
    }
    if (::access(path.constData(), W_OK) != 0) {
        if (errno == EROFS)
            return QStringLiteral("the file system is read-only");
        if (errno == EACCES || errno == EPERM)
            return QStringLiteral("permission denied");
    }
    return fallback;
}

namespace {

QString lowerFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

} // namespace

bool Defaults::writeFile(const QVariantMap& values)
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    QSaveFile out(m_filePath);
    // Unbuffered: a write that fails only when a buffer is flushed at commit() is not reported by
    // QSaveFile, which would then put a cut-off file in place of the good one.
    bool written = out.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (written) {
        const QByteArray bytes = QJsonDocument(QJsonObject::fromVariantMap(values)).toJson(QJsonDocument::Indented);
        written = out.write(bytes) == bytes.size() && out.commit();
    }
    if (!written) {
        m_writeProblem = unwritableReason(folder, lowerFirst(out.errorString()));
        qCWarning(lcDefaults).noquote() << "Cannot write the settings file" << m_filePath << ":" << m_writeProblem;
    }
    return written;
}

namespace {

// Holds the store's lock file for the length of one read-change-write. Many writers may queue at once
// (eight tolvo-cli runs, the app saving notes), so a writer waits its turn, in short pauses that grow
// and are drawn at random so that the waiting processes do not wake in step. A lock file keeps no
// queue: a writer that has waited long looks again more often, so that it is not passed over until
// its time is up.
class StoreLock {
public:
    StoreLock(const QString& filePath, int waitMs)
        : m_lock(filePath + QStringLiteral(".lock"))
    {
        const QString folder = QFileInfo(filePath).absolutePath();
        QDir().mkpath(folder);
        m_lock.setStaleLockTime(kStaleLockMs);
        const QDeadlineTimer deadline(waitMs);
        QElapsedTimer waited;
        waited.start();
        int pauseMs = kFirstPauseMs;
        while (!(m_locked = m_lock.tryLock(0))) {
            if (m_lock.error() != QLockFile::LockFailedError) {
                // No other process holds it: the lock file itself cannot be made.
                m_problem = unwritableReason(folder, QStringLiteral("its lock file cannot be created"));
                break;
            }
            const qint64 left = deadline.remainingTime();
            if (left <= 0) {
                m_problem = QStringLiteral("the file is locked by another process");
                break;
            }
            QThread::msleep(ulong(std::min<qint64>(left, 1 + QRandomGenerator::global()->bounded(pauseMs))));
            const qint64 longest
                = std::max<qint64>(kFirstPauseMs, kLongestPauseMs * 1000 / std::max<qint64>(1000, waited.elapsed()));
            pauseMs = int(std::min<qint64>(pauseMs * 2, longest));
        }
        if (!m_locked)
            qCWarning(lcDefaults).noquote() << "Cannot write the settings file" << filePath << ":" << m_problem;
    }
    bool locked() const { return m_locked; }
    QString problem() const { return m_problem; }

private:
    QLockFile m_lock;
    bool m_locked = false;
    QString m_problem;
};

} // namespace

bool Defaults::synchronize()
{
    ensureLoaded();
    if (m_pendingSet.isEmpty() && m_pendingRemove.isEmpty() && !isDamaged())
        return true;
    m_writeProblem.clear();
    StoreLock lock(m_filePath, m_lockWaitMs);
    if (!lock.locked()) {
        m_writeProblem = lock.problem();
        return false;
    }
    QVariantMap merged = readFile();
    if (m_unreadable) {
        m_writeProblem = QStringLiteral("the file there cannot be read, so it is left as it is");
        return false;
    }
    if (m_damaged) {
        if (!setDamagedFileAside())
            return false;
        merged = m_user;
    }
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
    m_writeProblem.clear();
    StoreLock lock(m_filePath, m_lockWaitMs);
    if (!lock.locked()) {
        m_writeProblem = lock.problem();
        return false;
    }
    QVariantMap merged = readFile();
    if (m_unreadable) {
        m_writeProblem = QStringLiteral("the file there cannot be read, so it is left as it is");
        return false;
    }
    if (m_damaged) {
        if (!setDamagedFileAside())
            return false;
        merged = m_user;
    }
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
        const QVariant coerced = coerce(registered, v);
        return coerced.isValid() ? std::optional<QVariant>(coerced) : std::nullopt;
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
        return QString::fromUtf8(
            QJsonDocument(QJsonObject::fromVariantMap(value.toMap())).toJson(QJsonDocument::Compact));
    case Type::RichText: {
        QByteArray json = QJsonDocument(QJsonArray { value.toString() }).toJson(QJsonDocument::Compact);
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
