// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// The preference store's accessors against the bare QSettings work they cannot avoid:
// open the store, read or write one value, close it. Goal: at most 1.2 times the bare work.

#include <TavSettings.h>

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

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

} // namespace

BENCHMARK(bareGetInt);
BENCHMARK(getLineSpace);
BENCHMARK(bareSetInt);
BENCHMARK(setLineSpace);

int main(int argc, char *argv[])
{
    // A store of its own, never the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QCoreApplication app(argc, argv);
    TavSettings::setLineSpace(3, TavSettings::AppOrbelle);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
