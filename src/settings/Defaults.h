// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The defaults store: registered defaults in memory plus the user's own values
// in one JSON file, shared by the app and tolvo-cli.
//
// Values are read at the moment of use, so a change made anywhere shows at the
// next read. Writes go to memory at once; synchronize() merges them into the
// file under a lock, so that two processes writing at the same moment both keep
// their keys.

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace tolvo {

/// Why a file cannot be written in folder, in plain words ("the disk is full", "the file system is
/// read-only", "permission denied"), as the file system and the failed call's error text tell it;
/// fallback when they tell nothing more.
QString unwritableReason(const QString& folder, const QString& fallback);

class Defaults : public QObject {
    Q_OBJECT
public:
    enum class Type { Bool, Integer, Double, Float, String, Dictionary, RichText };

    struct Key {
        QString name;
        Type type;
        QVariant defaultValue;
    };

    /// A store over the given file; nothing is read until the first use.
    explicit Defaults(QString filePath, QObject* parent = nullptr);
    ~Defaults() override;

    /// The process's store at $XDG_CONFIG_HOME/Tolvo/defaults.json, with every key registered.
    static Defaults& standard();
    /// Where standard() keeps its file.
    static QString standardFilePath();

    /// Adds keys to the registration domain. Registered values are never written to the file.
    void registerDefaults(const QList<Key>& keys);
    const QList<Key>& registeredKeys() const { return m_order; }
    const Key* registeredKey(const QString& name) const;

    bool boolForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    double doubleForKey(const QString& key) const;
    float floatForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    QVariantMap dictionaryForKey(const QString& key) const;
    /// The user's value if set, else the registered default, else an invalid QVariant.
    QVariant valueForKey(const QString& key) const;
    bool hasUserValue(const QString& key) const;

    /// Stores a user value (converted to the key's registered type) in memory.
    void setValue(const QString& key, const QVariant& value);
    /// Removes the user value; the registered default applies again.
    void removeValue(const QString& key);

    /// Changes one stored value from what the file holds now, under the file's
    /// lock, and writes at once: for values (like the routing table) that several
    /// processes may change at the same moment. change gets the current value
    /// (user value or default) and returns the new one; an invalid QVariant
    /// removes the user value. False when the file could not be written.
    bool updateValue(const QString& key, const std::function<QVariant(const QVariant&)>& change);

    /// Merges this process's changes into the file and re-reads what others wrote.
    /// False when the file could not be written; the changes stay pending then.
    bool synchronize();

    /// Re-reads the file, keeping this process's unsaved changes on top.
    void reload();

    /// Converts text (as typed on a command line) to a value of the key's type.
    /// Nothing when the text is not a value of that type.
    std::optional<QVariant> parseValue(const QString& key, const QString& text) const;
    /// The value as text: booleans as true/false, dictionaries and rich text as JSON.
    QString formatValue(const QString& key, const QVariant& value) const;

    /// "boolean", "integer", "number", "string", "dictionary" or "rich text"; empty for an unknown key.
    QString typeNameOf(const QString& key) const;

    /// Whether the file holds something that is not a settings file. Reading leaves such a file where it
    /// is (a read-only command never moves a file); the next write sets it aside as
    /// defaults.json.damaged-<time> and writes what this process holds in its place.
    bool isDamaged() const;
    /// Why the file was not used, when it was damaged or unreadable; empty otherwise.
    QString loadProblem() const { return m_loadProblem; }
    /// Why the last synchronize() or updateValue() wrote nothing ("the file is locked by another process",
    /// "the disk is full", "the file system is read-only", "permission denied", ...); empty after a write.
    QString writeProblem() const { return m_writeProblem; }
    /// How long a writer waits for another process's lock before it gives up.
    void setLockWait(int milliseconds) { m_lockWaitMs = milliseconds; }

signals:
    /// A value changed, by this process or (noticed at synchronize or reload) by another.
    void valueChanged(const QString& key);
    /// The file was found damaged; this process keeps the values it had read before.
    void damaged(const QString& problem);
    /// A damaged file was moved to aside and what this process held written in its place.
    void fileSetAside(const QString& aside);

private:
    struct FileStamp {
        qint64 size = -1;
        qint64 mtimeNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    void ensureLoaded() const;
    void refreshIfChanged() const;
    FileStamp stamp() const;
    /// Reads the file; a damaged file is moved aside and reported. Empty map when absent.
    QVariantMap readFile() const;
    /// Moves a damaged file aside; false (with m_writeProblem set) when it cannot be moved.
    bool setDamagedFileAside();
    bool writeFile(const QVariantMap& values);
    void adopt(const QVariantMap& fileValues) const;
    QVariant coerce(const Key* key, const QVariant& value) const;

    QString m_filePath;
    QList<Key> m_order;
    QHash<QString, qsizetype> m_index;
    mutable bool m_loaded = false;
    mutable bool m_loadedOnce = false;
    mutable QVariantMap m_user; // what the file held at the last read, plus pending changes
    mutable QString m_loadProblem;
    QString m_writeProblem;
    // Another process holds the lock only for a read and a write of a small file, but many may queue for it.
    int m_lockWaitMs = 10000;
    mutable FileStamp m_stamp;
    mutable bool m_unreadable = false; // the file exists but could not be read: never overwrite it
    mutable bool m_damaged = false; // the file at the last read was not a settings file
    mutable FileStamp m_damagedStamp;
    QVariantMap m_pendingSet; // changes not yet in the file
    QSet<QString> m_pendingRemove;
};

} // namespace tolvo
