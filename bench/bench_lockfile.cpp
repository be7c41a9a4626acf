// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Taking and releasing a lock against a lock file of 1,000 and of 100,000 entries, beside
// its floor: the same two reads and rewrites of that file with plain POSIX calls. The pair
// includes keeping this process's holder record up to date. And the lock and release
// pairs per second that eight processes of one application achieve together.

#include "TavShare.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int listedEntries = 1000;
const int longList = 100000;
const int processCount = 8;
const int pairsPerProcess = 200;

// A temporary folder of its own as the process's temporary folder, holding the lock file
// with the given number of entries and the files the benchmarks lock.
class LockFileFixture
{
public:
    LockFileFixture(int entries, int files)
    {
        qputenv("TMPDIR", QFile::encodeName(m_folder.path()));
        QCoreApplication::setApplicationName(QStringLiteral("bench_lockfile"));
        QStringList lines;
        for (int i = 0; i < entries; ++i)
            lines << QStringLiteral("/home/modeller/projects/cell-cycle-%1/models/model-%1.xml").arg(i);
        m_content = lines.join(QLatin1Char('\n')).toUtf8();
        writeFile(TavShare::getLockFilePath(), m_content);
        for (int i = 0; i < files; ++i) {
            m_files << m_folder.filePath(QStringLiteral("model-%1.xml").arg(i));
            writeFile(m_files.last(), "<model/>");
        }
    }

    const QByteArray &content() const { return m_content; }
    const QStringList &files() const { return m_files; }

private:
    static void writeFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }

    QTemporaryDir m_folder;
    QByteArray m_content;
    QStringList m_files;
};

void BM_LockAndRelease(benchmark::State &state)
{
    const LockFileFixture fixture(int(state.range(0)), 1);
    const QString file = fixture.files().first();
    for (auto _ : state) {
        if (TavShare::getLock(file) != 0 || !TavShare::releaseLock(file)) {
            state.SkipWithError("lock or release failed");
            break;
        }
    }
}
BENCHMARK(BM_LockAndRelease)->ArgName("entries")->Arg(listedEntries)->Arg(longList)->Unit(benchmark::kMicrosecond);

// One read and rewrite with nothing but POSIX calls. The library writes first and then
// cuts the file to length; truncating first is the textbook order (and on ext4 the slower
// one, since it flushes the file when it is closed).
bool readAndRewrite(const char *path, const QByteArray &newContent, bool truncateFirst)
{
    const int descriptor = ::open(path, O_RDWR);
    if (descriptor < 0)
        return false;
    QByteArray content(int(newContent.size()) + 4096, Qt::Uninitialized);
    ssize_t total = 0;
    ssize_t count;
    while ((count = ::read(descriptor, content.data() + total, size_t(content.size() - total))) > 0)
        total += count;
    benchmark::DoNotOptimize(content.data());
    bool written = true;
    if (truncateFirst)
        written = ::ftruncate(descriptor, 0) == 0;
    written = written && ::pwrite(descriptor, newContent.constData(), size_t(newContent.size()), 0) == newContent.size();
    if (!truncateFirst)
        written = written && ::ftruncate(descriptor, newContent.size()) == 0;
    return ::close(descriptor) == 0 && count == 0 && written;
}

void BM_PlainReadAndRewriteTwice(benchmark::State &state)
{
    const LockFileFixture fixture(int(state.range(0)), 1);
    const QByteArray path = QFile::encodeName(TavShare::getLockFilePath());
    const QByteArray locked = fixture.content() + '\n' + QFile::encodeName(fixture.files().first());
    const bool truncateFirst = state.range(1) != 0;
    for (auto _ : state) {
        if (!readAndRewrite(path.constData(), locked, truncateFirst) || !readAndRewrite(path.constData(), fixture.content(), truncateFirst)) {
            state.SkipWithError("read or rewrite failed");
            break;
        }
    }
}
BENCHMARK(BM_PlainReadAndRewriteTwice)
    ->ArgNames({"entries", "truncateFirst"})
    ->ArgsProduct({{listedEntries, longList}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// Eight processes each take and release 200 files of their own on one lock file that
// starts with range(0) entries. Items per second are lock and release pairs.
void BM_EightProcesses(benchmark::State &state)
{
    const LockFileFixture fixture(int(state.range(0)), processCount * pairsPerProcess);
    for (auto _ : state) {
        std::vector<pid_t> children;
        for (int process = 0; process < processCount; ++process) {
            const pid_t child = ::fork();
            if (child < 0) {
                state.SkipWithError("cannot start a process");
                break;
            }
            if (child == 0) {
                for (int pair = 0; pair < pairsPerProcess; ++pair) {
                    const QString &file = fixture.files().at(process * pairsPerProcess + pair);
                    if (TavShare::getLock(file) != 0 || !TavShare::releaseLock(file))
                        ::_exit(1);
                }
                ::_exit(0);
            }
            children.push_back(child);
        }
        bool succeeded = true;
        for (const pid_t child : children) {
            int status = 0;
            succeeded = ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && succeeded;
        }
        if (!succeeded) {
            state.SkipWithError("a process failed to lock or release");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * processCount * pairsPerProcess);
}
BENCHMARK(BM_EightProcesses)->ArgName("entries")->Arg(0)->Arg(listedEntries)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
