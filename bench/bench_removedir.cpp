// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Removing a tree of 200 folders of 100 empty files each, beside `rm -rf` of an identical
// tree. Both are timed the same way, on the wall clock from the call to its return: for
// rm that includes starting the process and waiting for it, a millisecond or so.
// The tree is built before each timing, in the temporary folder (TMPDIR).

#include "TavShare.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const int folderCount = 200;
const int filesPerFolder = 100;

bool makeTree(const std::string &top)
{
    if (::mkdir(top.c_str(), 0755) != 0)
        return false;
    for (int folder = 0; folder < folderCount; ++folder) {
        const std::string folderPath = top + "/folder-" + std::to_string(folder);
        if (::mkdir(folderPath.c_str(), 0755) != 0)
            return false;
        for (int file = 0; file < filesPerFolder; ++file) {
            const std::string filePath = folderPath + "/file-" + std::to_string(file) + ".xml";
            const int descriptor = ::open(filePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (descriptor < 0 || ::close(descriptor) != 0)
                return false;
        }
    }
    return true;
}

bool removeWithRm(const std::string &top)
{
    char *arguments[] = {const_cast<char *>("rm"), const_cast<char *>("-rf"), const_cast<char *>(top.c_str()), nullptr};
    pid_t child;
    if (::posix_spawnp(&child, "rm", nullptr, nullptr, arguments, environ) != 0)
        return false;
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool removeWithLibrary(const std::string &top)
{
    return TavShare::removeDir(QFile::decodeName(top.c_str()));
}

// Times remove on a fresh tree in every iteration.
void timeRemoval(benchmark::State &state, bool (*remove)(const std::string &top))
{
    const QTemporaryDir work;
    const std::string top = QFile::encodeName(work.filePath(QStringLiteral("top"))).toStdString();
    for (auto _ : state) {
        if (!makeTree(top)) {
            state.SkipWithError("cannot build the tree");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        const bool removed = remove(top);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!removed || ::access(top.c_str(), F_OK) == 0) {
            state.SkipWithError("the tree was not removed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * folderCount * (filesPerFolder + 1));
}

void BM_RemoveDir(benchmark::State &state)
{
    timeRemoval(state, removeWithLibrary);
}
BENCHMARK(BM_RemoveDir)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RmRf(benchmark::State &state)
{
    timeRemoval(state, removeWithRm);
}
BENCHMARK(BM_RmRf)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
