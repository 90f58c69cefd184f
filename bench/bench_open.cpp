// SPDX-License-Identifier: GPL-3.0-or-later
// From starting Tolvo on a PDF to its window showing the first page, against
// pdftoppm drawing that page: `tolvo --benchmark-open FILE` prints the
// milliseconds since its process started; pdftoppm is timed from outside.
//
//   bench_open [--app PATH] [--runs N] [FILE.pdf]
// Without FILE, the generated 1,000-page PDF with a 500-entry outline is used.
// Tolvo runs on the offscreen platform (unless QT_QPA_PLATFORM says otherwise)
// with a scratch settings folder, so the user's notes and prefixes are left alone.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs a program to its end; the wall time in ms, or a negative value when it failed.
double timeRun(const QString& program, const QStringList& args, const QProcessEnvironment& env, QByteArray* out)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForStarted(10000) || !process.waitForFinished(120000))
        return -1;
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (out)
        *out = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return -1;
    }
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString tolvo = QStringLiteral(TOLVO_APP);
    QString file = QStringLiteral(BENCH_OPEN_PDF);
    int runs = 7;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--app") && i + 1 < args.size())
            tolvo = args[++i];
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else
            file = args[i];
    }

    QTemporaryDir scratch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.filePath(QStringLiteral("config")));

    std::vector<double> reported, tolvoWall, popplerWall;
    for (int i = 0; i < runs; ++i) {
        QByteArray out;
        const double wall = timeRun(tolvo, { QStringLiteral("--benchmark-open"), file }, env, &out);
        bool ok = false;
        const double ms = out.trimmed().toDouble(&ok);
        if (wall < 0 || !ok) {
            std::fprintf(stderr, "%s --benchmark-open gave no time (output: %s)\n", qPrintable(tolvo), out.constData());
            return 1;
        }
        reported.push_back(ms);
        tolvoWall.push_back(wall);
        const double poppler = timeRun(QStringLiteral("pdftoppm"),
            { QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-f"), QStringLiteral("1"),
                QStringLiteral("-l"), QStringLiteral("1"), file, scratch.filePath(QStringLiteral("page")) },
            env, nullptr);
        if (poppler < 0)
            return 1;
        popplerWall.push_back(poppler);
    }
    const double first = median(reported);
    const double poppler = median(popplerWall);
    std::printf("file: %s (%d runs, medians)\n", qPrintable(file), runs);
    std::printf("tolvo, start to first page shown: %8.1f ms (whole run to exit %.1f ms)\n", first, median(tolvoWall));
    std::printf("pdftoppm -r 96 -f 1 -l 1:         %8.1f ms\n", poppler);
    std::printf("ratio: %.2f (goal: at most 3)\n", poppler > 0 ? first / poppler : 0.0);
    return 0;
}
