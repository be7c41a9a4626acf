// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include <TavShare.h>

#include <benchmark/benchmark.h>

#include <QString>

#include <limits>

// The formatting cases are measured against the work they cannot avoid: parsing the text
// and converting the number (the "bare pair"). Compare each format with the bare pair of
// the same text and format character.

namespace {

const char *const numberTexts[] = {"0.0125", "125000"};

void BM_BarePair(benchmark::State &state)
{
    const QString text = QString::fromLatin1(numberTexts[state.range(0)]);
    const char format = char(state.range(1));
    for (auto _ : state) {
        bool ok = false;
        QString result = QString::number(text.toDouble(&ok), format, 6);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(ok);
    }
}
// text 0.0125 with 'e' and 'f', text 125000 with 'e' (format 2 of each picks these)
BENCHMARK(BM_BarePair)->Args({0, 'e'})->Args({0, 'f'})->Args({1, 'e'});

void BM_ScientificFormat(benchmark::State &state)
{
    const QString text = QString::fromLatin1(numberTexts[state.range(0)]);
    const int dataFormat = int(state.range(1));
    const bool withZeroEndAfterDecimal = state.range(2) != 0;
    for (auto _ : state) {
        QString result = TavShare::getScientificFormat(text, dataFormat, 6, withZeroEndAfterDecimal);
        benchmark::DoNotOptimize(result);
    }
}
// {text, dataFormat, withZeroEndAfterDecimal}
BENCHMARK(BM_ScientificFormat)
    ->Args({0, 0, 1})->Args({0, 0, 0})
    ->Args({0, 1, 1})->Args({0, 1, 0})
    ->Args({0, 2, 1})->Args({0, 2, 0})
    ->Args({1, 2, 1})->Args({1, 2, 0});

// The slowest normalisation is the farthest angle still normalised by repeated addition.
constexpr double twoPi = 6.283185307179586;
constexpr double repeatedAdditionLimit = 1000 * twoPi;

void BM_AngleBetweenPis(benchmark::State &state, double angle)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(angle);
        double result = TavShare::getAngleBetweenPis(angle);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK_CAPTURE(BM_AngleBetweenPis, seven, 7.0);
BENCHMARK_CAPTURE(BM_AngleBetweenPis, just_below_limit, repeatedAdditionLimit);
BENCHMARK_CAPTURE(BM_AngleBetweenPis, minus_just_below_limit, -repeatedAdditionLimit);
BENCHMARK_CAPTURE(BM_AngleBetweenPis, just_above_limit, repeatedAdditionLimit + 1.0);
BENCHMARK_CAPTURE(BM_AngleBetweenPis, 1e300, 1e300);
// The remainder's time grows with the exponent: the largest double is its slowest case.
BENCHMARK_CAPTURE(BM_AngleBetweenPis, largest_finite, std::numeric_limits<double>::max());
BENCHMARK_CAPTURE(BM_AngleBetweenPis, inf, std::numeric_limits<double>::infinity());
BENCHMARK_CAPTURE(BM_AngleBetweenPis, nan, std::numeric_limits<double>::quiet_NaN());

void BM_MiddleAngleBetweenPis(benchmark::State &state, double angle)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(angle);
        double result = TavShare::getMiddleAngleBetweenPis(angle, -angle);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK_CAPTURE(BM_MiddleAngleBetweenPis, both_just_below_limit, repeatedAdditionLimit);

} // namespace

BENCHMARK_MAIN();
