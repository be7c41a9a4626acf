// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include <TavShare.h>
#include <scientificformat_p.h>

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdint>
#include <limits>
#include <vector>

// The formatting is measured against the work an application would write itself:
// QString::toDouble and QString::number on the same text, with the same format character
// (the "bare pair"), and against the conversion through Qt alone that it took before plain
// numbers had a path of their own. Each input class runs in all three formats.

namespace {

const std::vector<const char *> everydayDecimals = {"0.0125", "125000", "3.14159", "-42.5", "0.001",
                                                    "17.25", "2.718", "1500", "-0.75", "98.6"};
const std::vector<const char *> roundTripForms = {"0.30000000000000004", "-1.2345678901234567e-123", "6.02214076e+23",
                                                  "123456.78901234567", "9007199254740993"};
const std::vector<const char *> integersWithExponents = {"1e5", "25E-3", "-3e+12", "7e-9", "42e100"};
const std::vector<const char *> extremes = {"4.9406564584124654e-324", "1.7976931348623157e308",
                                            "2.2250738585072014e-308", "-0", "1e-300"};
// Numbers that only Qt's parser reads: they pay for the plain path's attempt as well.
const std::vector<const char *> onlyQtReads = {" 1.5", "+2.5", "-inf", "nan", "0.125 "};

// Seven in ten everyday decimals, one in ten of each other class.
std::vector<const char *> mixedWorkload()
{
    std::vector<const char *> texts;
    for (size_t i = 0; i < everydayDecimals.size(); ++i) {
        for (size_t j = 0; j < 7; ++j)
            texts.push_back(everydayDecimals[(i + j) % everydayDecimals.size()]);
        texts.push_back(roundTripForms[i % roundTripForms.size()]);
        texts.push_back(integersWithExponents[i % integersWithExponents.size()]);
        texts.push_back(extremes[i % extremes.size()]);
    }
    return texts;
}
const std::vector<const char *> mixed = mixedWorkload();

constexpr int precision = 6;

struct FormatCase {
    QString text;
    int dataFormat;
    char format; // what dataFormat picks for this text
};

std::vector<FormatCase> formatCases(const std::vector<const char *> &texts)
{
    std::vector<FormatCase> cases;
    for (const char *text : texts) {
        const QString numberStr = QString::fromLatin1(text);
        const double magnitude = qAbs(numberStr.toDouble());
        cases.push_back({numberStr, 0, 'e'});
        cases.push_back({numberStr, 1, 'f'});
        cases.push_back({numberStr, 2, magnitude > 100.0 || magnitude < 0.01 ? 'e' : 'f'});
    }
    return cases;
}

template<typename Format>
void formatAll(benchmark::State &state, const std::vector<const char *> &texts, Format format)
{
    const std::vector<FormatCase> cases = formatCases(texts);
    for (auto _ : state) {
        for (const FormatCase &formatCase : cases) {
            QString result = format(formatCase);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(cases.size()));
}

void BM_BarePair(benchmark::State &state, const std::vector<const char *> &texts)
{
    formatAll(state, texts, [](const FormatCase &formatCase) {
        bool ok = false;
        return QString::number(formatCase.text.toDouble(&ok), formatCase.format, precision);
    });
}

void BM_QtConversions(benchmark::State &state, const std::vector<const char *> &texts)
{
    formatAll(state, texts, [](const FormatCase &formatCase) {
        return TavShareScientificFormat::formatWithQt(formatCase.text, formatCase.dataFormat, precision, false);
    });
}

void BM_ScientificFormat(benchmark::State &state, const std::vector<const char *> &texts)
{
    formatAll(state, texts, [](const FormatCase &formatCase) {
        return TavShare::getScientificFormat(formatCase.text, formatCase.dataFormat, precision, false);
    });
}

#define FORMAT_BENCHMARKS(workload)                                 \
    BENCHMARK_CAPTURE(BM_BarePair, workload, workload);             \
    BENCHMARK_CAPTURE(BM_QtConversions, workload, workload);        \
    BENCHMARK_CAPTURE(BM_ScientificFormat, workload, workload)
FORMAT_BENCHMARKS(mixed);
FORMAT_BENCHMARKS(everydayDecimals);
FORMAT_BENCHMARKS(roundTripForms);
FORMAT_BENCHMARKS(integersWithExponents);
FORMAT_BENCHMARKS(extremes);
FORMAT_BENCHMARKS(onlyQtReads);

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
