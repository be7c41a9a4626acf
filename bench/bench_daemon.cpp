// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// How fast a hang-up reaches the program: from kill() to the hupCaught() slot, and how a
// burst of hang-ups is absorbed (signals handled per second, emissions that result).

#include "Daemon.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr long burstSize = 100000;

Daemon *daemonApp = nullptr;

int pendingHangUps()
{
    int count = 0;
    ::ioctl(Daemon::sighupFd[1], FIONREAD, &count);
    return count;
}

// Runs the event loop until every queued hang-up has been emitted.
void drainHangUps()
{
    while (pendingHangUps() > 0)
        QCoreApplication::processEvents();
}

double percentile(std::vector<double> samples, double fraction)
{
    const auto position = samples.begin() + std::ptrdiff_t(fraction * double(samples.size() - 1));
    std::nth_element(samples.begin(), position, samples.end());
    return *position;
}

// Counts hupCaught() emissions while it exists.
class EmissionCounter
{
public:
    EmissionCounter()
        : m_connection(QObject::connect(daemonApp, &Daemon::hupCaught, [this] {
            ++count;
            lastEmission = Clock::now();
        }))
    {
    }
    ~EmissionCounter() { QObject::disconnect(m_connection); }

    long count = 0;
    Clock::time_point lastEmission;

private:
    QMetaObject::Connection m_connection;
};

void BM_HangUpLatency(benchmark::State &state)
{
    EmissionCounter emissions;
    std::vector<double> latencies;
    for (auto _ : state) {
        const long before = emissions.count;
        const Clock::time_point sent = Clock::now();
        ::kill(::getpid(), SIGHUP);
        while (emissions.count == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double seconds = std::chrono::duration<double>(emissions.lastEmission - sent).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds);
    }
    state.counters["median_us"] = percentile(latencies, 0.5) * 1e6;
    state.counters["p99_us"] = percentile(latencies, 0.99) * 1e6;
}
BENCHMARK(BM_HangUpLatency)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The burst arrives while the event loop is stalled, as when a service is busy: every
// signal is handled at once, and the loop then emits what the pair kept.
void BM_HangUpBurstFromSelf(benchmark::State &state)
{
    EmissionCounter emissions;
    for (auto _ : state) {
        for (long i = 0; i < burstSize; ++i)
            ::kill(::getpid(), SIGHUP);
        drainHangUps();
    }
    const double bursts = double(state.iterations());
    state.counters["signals_per_s"] = benchmark::Counter(burstSize * bursts, benchmark::Counter::kIsRate);
    state.counters["emissions_per_burst"] = double(emissions.count) / bursts;
}
BENCHMARK(BM_HangUpBurstFromSelf)->Unit(benchmark::kMillisecond);

// The burst comes from another process while the event loop runs; the kernel merges
// hang-ups that arrive while one is still pending, so fewer are delivered than sent.
// The parent only polls meanwhile, so the rate is over wall-clock time.
void BM_HangUpBurstFromChild(benchmark::State &state)
{
    EmissionCounter emissions;
    for (auto _ : state) {
        const pid_t parent = ::getpid();
        const pid_t child = ::fork();
        if (child == 0) {
            for (long i = 0; i < burstSize; ++i)
                ::kill(parent, SIGHUP);
            ::_exit(0);
        }
        while (::waitpid(child, nullptr, WNOHANG) == 0)
            QCoreApplication::processEvents();
        drainHangUps();
    }
    const double bursts = double(state.iterations());
    state.counters["sent_per_s"] = benchmark::Counter(burstSize * bursts, benchmark::Counter::kIsRate);
    state.counters["emissions_per_burst"] = double(emissions.count) / bursts;
}
BENCHMARK(BM_HangUpBurstFromChild)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[])
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Daemon daemon(argc, argv);
    daemonApp = &daemon;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
