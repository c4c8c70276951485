#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <thread>
#include <vector>

#include "app/AppContext.h"
#include "platform/fake/FakePlatform.h"
#include "runtime/QtMainThreadQueue.h"

namespace tavrin {
namespace {

// Events recorded from several threads at once, timed until the main thread has appended all of
// them, as when many devices report changes together.
void recordFromThreads(benchmark::State& state) {
    const int threadCount = int(state.range(0));
    const int total = int(state.range(1));
    const int perThread = total / threadCount;
    for (auto _ : state) {
        auto queue = std::make_unique<QtMainThreadQueue>();
        auto platform = std::make_unique<FakePlatform>(*queue);
        AppContext context(std::move(queue), std::move(platform));
        std::vector<QUuid> devices;
        for (int t = 0; t < threadCount; ++t) {
            devices.push_back(QUuid::createUuid());
        }
        const auto message = QStringLiteral("Camera in use: no \u2192 yes");
        const auto source = QStringLiteral("Usage");

        QEventLoop loop;
        int appended = 0;
        QObject::connect(&context.eventLog(), &DeviceEventLog::eventsByDeviceChanged, &loop, [&] {
            if (++appended == perThread * threadCount) {
                loop.quit();
            }
        });
        std::vector<std::thread> threads;
        for (int t = 0; t < threadCount; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < perThread; ++i) {
                    context.eventLog().record(message, source, devices[t]);
                }
            });
        }
        loop.exec();
        for (auto& thread : threads) {
            thread.join();
        }
        benchmark::DoNotOptimize(context.eventLog().eventsByDevice().size());
    }
    state.counters["events_per_second"] = benchmark::Counter(
        double(state.iterations()) * perThread * threadCount, benchmark::Counter::kIsRate);
}

BENCHMARK(recordFromThreads)
    ->Args({4, 1'000'000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace tavrin
