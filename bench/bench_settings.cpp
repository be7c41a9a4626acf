// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// The preference store's accessors against the bare QSettings work they cannot avoid:
// open the store, read or write one value, close it. Goal: at most 1.2 times the bare work.
// A recent-file addition against the same read-change-write without the lock that
// serialises it between processes. Goal: at most 1.5 times that.

#include <TavSettings.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Files for the additions; each addition moves one to the front of a list of ten.
QStringList recentFiles;
const int recentLimit = 10;

void bareGetInt(benchmark::State &state)
{
    for (auto _ : state) {
        const QSettings store(QStringLiteral("Zentrabio"), QStringLiteral("Tavrelle"));
        const QString key = QStringLiteral("Orbelle/LineSpace");
        benchmark::DoNotOptimize(store.contains(key) ? store.value(key, QVariant()).toInt() : 10);
    }
}

void getLineSpace(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TavSettings::getLineSpace(TavSettings::AppOrbelle));
}

void bareSetInt(benchmark::State &state)
{
    int value = 0;
    for (auto _ : state) {
        QSettings store(QStringLiteral("Zentrabio"), QStringLiteral("Tavrelle"));
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        store.setIniCodec("UTF-8");
#endif
        store.setValue(QStringLiteral("Orbelle/LineSpace"), QVariant(++value));
    }
}

void setLineSpace(benchmark::State &state)
{
    int value = 0;
    for (auto _ : state)
        TavSettings::setLineSpace(++value, TavSettings::AppOrbelle);
}

QSettings *bareStore()
{
    auto *store = new QSettings(QStringLiteral("Zentrabio"), QStringLiteral("Tavrelle"));
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    store->setIniCodec("UTF-8");
#endif
    return store;
}

// What an addition did before it was serialised: check the file, read the list through
// one store object, write it through another.
void bareAddRecentFile(benchmark::State &state)
{
    const QString key = QStringLiteral("Orbelle/RecentFileList/TavrelleModelFile");
    int next = 0;
    for (auto _ : state) {
        const QFileInfo info(recentFiles.at(next++ % recentFiles.size()));
        if (!info.isFile())
            state.SkipWithError("file missing");
        const QString entry = info.absoluteFilePath();
        const QScopedPointer<QSettings> reader(bareStore());
        QStringList list = reader->contains(key) ? reader->value(key, QVariant()).toStringList() : QStringList();
        list.removeAll(entry);
        list.prepend(entry);
        if (list.size() > recentLimit)
            list.erase(list.begin() + recentLimit, list.end());
        QScopedPointer<QSettings>(bareStore())->setValue(key, list);
    }
}

void addRecentFile(benchmark::State &state)
{
    int next = 0;
    for (auto _ : state) {
        if (!TavSettings::addRecentFileToTavrelleFileList(recentFiles.at(next++ % recentFiles.size()), TavSettings::ModelFile,
                                                         TavSettings::AppOrbelle, recentLimit))
            state.SkipWithError("addition refused");
    }
}

} // namespace

BENCHMARK(bareGetInt);
BENCHMARK(getLineSpace);
BENCHMARK(bareSetInt);
BENCHMARK(setLineSpace);
BENCHMARK(bareAddRecentFile);
BENCHMARK(addRecentFile);

int main(int argc, char *argv[])
{
    // A store of its own, never the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QCoreApplication app(argc, argv);
    TavSettings::setLineSpace(3, TavSettings::AppOrbelle);
    QTemporaryDir files;
    for (int i = 0; i < 2 * recentLimit; ++i) {
        recentFiles << QDir(files.path()).filePath(QStringLiteral("cell-cycle-%1.tav").arg(i));
        QFile(recentFiles.last()).open(QIODevice::WriteOnly);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
