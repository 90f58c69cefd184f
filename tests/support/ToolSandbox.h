// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs tolvo and tolvo-cli as separate processes in a home of their own: a private HOME,
// settings, data, cache and runtime folder (owner-only, as the instance's socket needs), and no
// system data folders, so nothing a test does reaches the user's files or a running Tolvo.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <utility>

namespace tolvo::test {

/// What a finished program left: exit code (-1 when it crashed, hung or never started) and output.
struct ToolRun {
    int code = -1;
    QByteArray out;
    QByteArray err;

    QString outText() const { return QString::fromUtf8(out); }
    QString errText() const { return QString::fromUtf8(err); }
};

/// A program built beside the tests (tolvo, tolvo-cli).
inline QString toolPath(const QString& name)
{
    return qEnvironmentVariable("TOLVO_BINARY_DIR") + QStringLiteral("/src/") + name;
}

/// A generated fixture. The fixtures are made before any test runs, so one that is missing is a
/// fault of the fixture script, and a test that needs it fails rather than skips.
inline QString fixturePath(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + u'/' + name;
}

class ToolSandbox {
public:
    ToolSandbox()
    {
        const QDir root(m_root.path());
        for (const char* sub : { "config", "data", "cache", "run" })
            root.mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(path(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    bool isValid() const { return m_root.isValid(); }
    QString path(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? m_root.path() : m_root.filePath(relative);
    }
    QString configHome() const { return path(QStringLiteral("config")); }
    QString dataHome() const { return path(QStringLiteral("data")); }
    QString runtimeDir() const { return path(QStringLiteral("run")); }
    /// Tolvo's defaults store inside this home.
    QString storePath() const { return path(QStringLiteral("config/Tolvo/defaults.json")); }

    /// Sets (or, with a null value, removes) a variable for every later start.
    void setEnv(const QString& name, const QString& value) { m_extra.append({ name, value }); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        env.insert(QStringLiteral("XDG_DATA_DIRS"), path(QStringLiteral("nowhere")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const auto& [name, value] : m_extra) {
            if (value.isNull())
                env.remove(name);
            else
                env.insert(name, value);
        }
        return env;
    }

    /// Starts a program (a name built beside the tests, or an absolute path) in this home, its
    /// working folder the home unless given.
    std::unique_ptr<QProcess> start(
        const QString& program, const QStringList& args, const QString& workingDir = QString()) const
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment());
        p->setWorkingDirectory(workingDir.isEmpty() ? path() : workingDir);
        p->start(program.startsWith(u'/') ? program : toolPath(program), args);
        return p;
    }

    /// Waits for a started program to end and collects what it wrote.
    static ToolRun finish(QProcess& p, int timeoutMs = 120000)
    {
        ToolRun r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
        }
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        if (p.exitStatus() == QProcess::NormalExit && p.error() != QProcess::FailedToStart)
            r.code = p.exitCode();
        return r;
    }

    /// Runs a program to its end with input on its standard input.
    ToolRun run(const QString& program, const QStringList& args, const QByteArray& input = QByteArray(),
        const QString& workingDir = QString()) const
    {
        auto p = start(program, args, workingDir);
        if (!p->waitForStarted())
            return {};
        p->write(input);
        p->closeWriteChannel();
        return finish(*p);
    }
    ToolRun cli(const QStringList& args, const QByteArray& input = QByteArray()) const
    {
        return run(QStringLiteral("tolvo-cli"), args, input);
    }

private:
    QTemporaryDir m_root;
    QList<std::pair<QString, QString>> m_extra;
};

} // namespace tolvo::test
