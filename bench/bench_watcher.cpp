// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Live change notifications between processes. Goals: from a writer's setLineSpace,
// addRecentFileToTavrelleFileList or getLock returning to the signal in another process,
// p95 at most 30 ms and p99 at most 100 ms; an idle watching process wakes 0 times; a
// storm of writes costs the watching process little CPU.
//
// The program runs itself as the other process: "--writer" performs the operation named
// on each line of its input ("s N", "r FILE", "l FILE") and answers with the monotonic
// time at which the call returned; "--watcher" watches and prints each new line space.

#include <TavSettings.h>
#include <TavShare.h>
#include <TavWatcher.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const QString lockApplication = QStringLiteral("bench-watcher");
const int samples = 200;

qint64 monotonicNsecs()
{
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int runWriter()
{
    QCoreApplication::setApplicationName(lockApplication);
    std::string line;
    while (std::getline(std::cin, line)) {
        const QString argument = QString::fromStdString(line.substr(2));
        if (line[0] == 's')
            TavSettings::setLineSpace(argument.toInt(), TavSettings::AppOrbelle);
        else if (line[0] == 'r')
            TavSettings::addRecentFileToTavrelleFileList(argument, TavSettings::ModelFile, TavSettings::AppOrbelle, 10);
        else
            TavShare::getLock(argument);
        std::cout << monotonicNsecs() << std::endl;
    }
    return 0;
}

int runWatcher()
{
    TavWatcher watcher;
    watcher.watchPreferences(TavSettings::AppOrbelle);
    watcher.watchRecentFiles(TavSettings::ModelFile, TavSettings::AppOrbelle);
    watcher.watchLockList(lockApplication);
    QObject::connect(&watcher, &TavWatcher::preferenceChanged, [] {
        std::cout << TavSettings::getLineSpace(TavSettings::AppOrbelle) << std::endl;
    });
    std::cout << "ready" << std::endl;
    return QCoreApplication::exec();
}

QProcess *startSelf(const QString &mode)
{
    auto *process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(), {mode});
    process->waitForStarted();
    return process;
}

void reportPercentiles(benchmark::State &state, std::vector<double> latencies)
{
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&latencies](double share) { return latencies[size_t(share * double(latencies.size() - 1))]; };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p95_ms"] = at(0.95);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = latencies.back();
}

// Latency from the writer's return to the signal here, for the operation letter.
void latency(benchmark::State &state, char operation)
{
    QTemporaryDir files;
    std::vector<double> latencies;
    for (auto _ : state) {
        TavWatcher watcher;
        watcher.watchPreferences(TavSettings::AppOrbelle);
        watcher.watchLockList(lockApplication);
        QEventLoop loop;
        qint64 signalled = 0;
        const auto arrived = [&] {
            signalled = monotonicNsecs();
            loop.quit();
        };
        QObject::connect(&watcher, &TavWatcher::preferenceChanged, &loop, arrived);
        QObject::connect(&watcher, &TavWatcher::lockListChanged, &loop, arrived);
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QProcess *writer = startSelf(QStringLiteral("--writer"));
        for (int i = 0; i < samples; ++i) {
            QString argument = QString::number(1000 * int(state.iterations()) + i);
            if (operation != 's') {
                argument = QDir(files.path()).filePath(argument);
                QFile(argument).open(QIODevice::WriteOnly);
            }
            signalled = 0;
            writer->write(QByteArray(1, operation) + ' ' + QFile::encodeName(argument) + '\n');
            timeout.start(2000);
            if (signalled == 0)
                loop.exec();
            while (!writer->canReadLine())
                writer->waitForReadyRead(2000);
            const qint64 returned = writer->readLine().trimmed().toLongLong();
            // The signal may come before the writer has let go of its locks and returned.
            latencies.push_back(signalled ? std::max<qint64>(0, signalled - returned) / 1e6 : 2000.0);
            // The next write starts apart from the last one's window.
            QThread::msleep(40);
        }
        writer->closeWriteChannel();
        writer->waitForFinished();
        delete writer;
    }
    reportPercentiles(state, latencies);
}

void setLineSpaceLatency(benchmark::State &state) { latency(state, 's'); }
void addRecentFileLatency(benchmark::State &state) { latency(state, 'r'); }
void getLockLatency(benchmark::State &state) { latency(state, 'l'); }

long contextSwitches(qint64 pid)
{
    long switches = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + QLatin1Char('/') + task + QStringLiteral("/status"));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.contains("ctxt_switches:"))
                switches += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
    }
    return switches;
}

// CPU time (user and system) of the process, in milliseconds.
double cpuMsecs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    stat.open(QIODevice::ReadOnly);
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLong() + fields.value(12).toLong()) * 1000.0 / double(::sysconf(_SC_CLK_TCK));
}

QProcess *readyWatcher()
{
    QProcess *watcher = startSelf(QStringLiteral("--watcher"));
    while (!watcher->canReadLine())
        watcher->waitForReadyRead(2000);
    watcher->readLine();
    return watcher;
}

// Wake-ups of a process whose watchers have nothing to report, over 10 seconds.
void idleWakeUps(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess *watcher = readyWatcher();
        QThread::sleep(1);
        const long before = contextSwitches(watcher->processId());
        QThread::sleep(10);
        state.counters["wakeups_per_10s"] = double(contextSwitches(watcher->processId()) - before);
        watcher->kill();
        watcher->waitForFinished();
        delete watcher;
    }
}

// 500 line-space writes in a row from this process: the watching process's CPU time,
// and the signals it gave (a burst is reported once a window).
void writeStormCpu(benchmark::State &state)
{
    int value = 0;
    for (auto _ : state) {
        QProcess *watcher = readyWatcher();
        const double before = cpuMsecs(watcher->processId());
        for (int i = 0; i < 500; ++i)
            TavSettings::setLineSpace(++value, TavSettings::AppOrbelle);
        QByteArray last;
        int reports = 0;
        while (last != QByteArray::number(value) && watcher->waitForReadyRead(2000)) {
            while (watcher->canReadLine()) {
                last = watcher->readLine().trimmed();
                ++reports;
            }
        }
        state.counters["watcher_cpu_ms"] = cpuMsecs(watcher->processId()) - before;
        state.counters["signals"] = reports;
        state.counters["final_seen"] = last == QByteArray::number(value);
        watcher->kill();
        watcher->waitForFinished();
        delete watcher;
    }
}

} // namespace

BENCHMARK(setLineSpaceLatency)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(addRecentFileLatency)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(getLockLatency)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(idleWakeUps)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(writeStormCpu)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char *argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    // A store and temporary folder of its own, never the user's; the other process inherits them.
    std::optional<QTemporaryDir> sandbox;
    if (mode.empty()) {
        sandbox.emplace();
        QDir(sandbox->path()).mkpath(QStringLiteral("config"));
        QDir(sandbox->path()).mkpath(QStringLiteral("tmp"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox->filePath(QStringLiteral("config"))));
        qputenv("TMPDIR", QFile::encodeName(sandbox->filePath(QStringLiteral("tmp"))));
    }
    QCoreApplication app(argc, argv);
    if (mode == "--writer")
        return runWriter();
    if (mode == "--watcher")
        return runWatcher();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
