// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

#include "../tests/tablereference.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {

// rowCount rows of four cells in 1,000 groups; every distinct row occurs twice, at
// random places. Each occurrence is built on its own, as rows read from a file would be.
QList<QStringList> tableWithHalfDuplicates(int rowCount)
{
    std::vector<int> rowNumbers(static_cast<std::size_t>(rowCount));
    std::iota(rowNumbers.begin(), rowNumbers.end(), 0);
    for (int &number : rowNumbers)
        number /= 2;
    std::shuffle(rowNumbers.begin(), rowNumbers.end(), std::mt19937(1));

    QList<QStringList> table;
    table.reserve(rowCount);
    for (int number : rowNumbers) {
        table.append({QStringLiteral("species%1").arg(number % 1000), QString::number(number),
                      QStringLiteral("compartment%1").arg(number % 37), QString::number(number * 0.25)});
    }
    return table;
}

void BM_RemoveRedundantItem(benchmark::State &state)
{
    const QList<QStringList> table = tableWithHalfDuplicates(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(TavShare::removeRedundantItem(table));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RemoveRedundantItem)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Comparing every row with every kept row, for comparison at 10,000 rows.
void BM_QuadraticRemoveRedundantItem(benchmark::State &state)
{
    const QList<QStringList> table = tableWithHalfDuplicates(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(TavTest::quadraticRemoveRedundantItem(table));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_QuadraticRemoveRedundantItem)->Arg(10000)->Unit(benchmark::kMillisecond);

// The code of a random reordering of entryCount positions.
QString permutationCode(int entryCount)
{
    std::vector<int> permutation(static_cast<std::size_t>(entryCount));
    std::iota(permutation.begin(), permutation.end(), 0);
    std::shuffle(permutation.begin(), permutation.end(), std::mt19937(2));
    QStringList entries;
    entries.reserve(entryCount);
    for (int value : permutation)
        entries.append(QString::number(value));
    return entries.join(QLatin1Char(';'));
}

void BM_GetReverseMappingCode(benchmark::State &state)
{
    const QString code = permutationCode(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(TavShare::getReverseMappingCode(code));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GetReverseMappingCode)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
