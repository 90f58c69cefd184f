// The defaults store loader over any file content: every key reads as a value of its type, a
// damaged file is kept aside and never written over, and a value set afterwards is stored.
#include "FuzzInput.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace tolvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    QDir folder(dir.path());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        folder.remove(name);
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        TOLVO_FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    Defaults d(path);
    registerTolvoDefaults(d);
    for (const Defaults::Key& key : d.registeredKeys()) {
        const QVariant value = d.valueForKey(key.name);
        const QString text = d.formatValue(key.name, value);
        // What is shown can be typed back.
        const std::optional<QVariant> parsed = d.parseValue(key.name, text);
        TOLVO_FUZZ_CHECK(parsed.has_value());
        d.boolForKey(key.name);
        d.integerForKey(key.name);
        d.doubleForKey(key.name);
        d.stringForKey(key.name);
        d.dictionaryForKey(key.name);
    }
    const bool damaged = !d.loadProblem().isEmpty();
    d.setValue(QString::fromLatin1(keys::kRedBoxSize), QStringLiteral("Large"));
    TOLVO_FUZZ_CHECK(d.synchronize());
    QFile stored(path);
    TOLVO_FUZZ_CHECK(stored.open(QIODevice::ReadOnly));
    TOLVO_FUZZ_CHECK(QJsonDocument::fromJson(stored.readAll()).object().value(QString::fromLatin1(keys::kRedBoxSize))
        == QStringLiteral("Large"));
    if (damaged)
        TOLVO_FUZZ_CHECK(folder.entryList({ QStringLiteral("defaults.json.damaged-*") }).size() == 1);
    return 0;
}
