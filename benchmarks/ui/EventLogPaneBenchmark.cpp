#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <chrono>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "catalogue/DeviceStore.h"
#include "platform/fake/FakePlatform.h"
#include "runtime/VirtualMainThreadQueue.h"
#include "ui/EventLogPane.h"
#include "ui/EventLogView.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;

constexpr int deviceCount = 8;

// A typical change line: 40 characters, each message its own string as recorded ones are.
QString typicalMessage(int device, int index) {
    return QStringLiteral("Bench Mic %1 input volume: 0.50 \u2192 0.%2")
        .arg(device)
        .arg(index % 100000, 5, 10, QLatin1Char('0'))
        .leftJustified(40, QLatin1Char(' '), true);
}

// Eight microphones on the fake, with `events` events spread over them, one a millisecond as
// their devices took turns, and a pane on the first microphone in scope `allOfKind`.
class LongLog {
public:
    explicit LongLog(int events) {
        auto queue = std::make_unique<VirtualMainThreadQueue>();
        queue_ = queue.get();
        auto platform = std::make_unique<FakePlatform>(*queue_);
        fake_ = platform.get();
        context_ = std::make_unique<AppContext>(std::move(queue), std::move(platform));
        auto& store = context_->deviceStore();
        for (int device = 0; device < deviceCount; ++device) {
            FakeCaptureSourceSpec spec;
            spec.id = QStringLiteral("bench-mic-%1").arg(device);
            spec.values.localizedName = QStringLiteral("Bench Mic %1").arg(device);
            fake_->plugMicrophone(spec);
        }
        settle();
        const auto& microphones = store.microphoneDiscovery().microphones();
        EventsByDevice log;
        const auto start = std::chrono::system_clock::now() - 1ms * events;
        for (int index = 0; index < events; ++index) {
            const int device = index % deviceCount;
            log[microphones.at(device)->uuid()].append({QUuid::createUuid(), start + 1ms * index,
                                                        QStringLiteral("Audio"),
                                                        typicalMessage(device, index)});
        }
        context_->eventLog().setEventsByDevice(log);
        pane_ = std::make_unique<EventLogPane>(context_->eventLog(), store,
                                               DeviceEntry(microphones.first()));
        pane_->setScope(EventLogScope::allOfKind);
        pane_->resize(700, 320);
        pane_->show();
        QApplication::processEvents();
    }
    ~LongLog() { pane_.reset(); }

    void settle() {
        do {
            fake_->waitForNotifications();
        } while (queue_->runUntilIdle());
    }

    AppContext& context() { return *context_; }
    VirtualMainThreadQueue& queue() { return *queue_; }
    EventLogPane& pane() { return *pane_; }
    QUuid microphone(int index) {
        return context_->deviceStore().microphoneDiscovery().microphones().at(index)->uuid();
    }

private:
    VirtualMainThreadQueue* queue_;
    FakePlatform* fake_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<EventLogPane> pane_;
};

// Large blocks, such as a long list's buffer, are mapped apart from the heap's arena.
std::size_t heapInUse() {
    const auto info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

double seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// One more event from its recording task on the main thread to the view: the log's append, the
// model's inserted row, the view's scroll range and its scroll to the newest row. `range(1)`
// adds Qt's posted events, where the view repaints; that happens once a frame however many
// events came, so it is reported apart.
void oneMoreEventReachingTheView(benchmark::State& state) {
    LongLog log(int(state.range(0)));
    const bool withRepaint = state.range(1) != 0;
    int index = 0;
    for (auto _ : state) {
        const int device = index % deviceCount;
        log.context().eventLog().record(typicalMessage(device, index), QStringLiteral("Audio"),
                                        log.microphone(device));
        ++index;
        const auto start = std::chrono::steady_clock::now();
        log.queue().runUntilIdle();
        if (withRepaint) {
            QApplication::sendPostedEvents();
        }
        state.SetIterationTime(seconds(std::chrono::steady_clock::now() - start));
    }
    state.counters["rows"] = double(log.pane().model()->rowCount());
}
BENCHMARK(oneMoreEventReachingTheView)
    ->ArgNames({"events", "repaint"})
    ->Args({1'000, 0})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->UseManualTime()
    ->Iterations(20'000)
    ->Unit(benchmark::kMicrosecond);

// The scope switch on the pane: to every microphone's 1,000,000 events merged, and back to the
// first microphone's 125,000, each until the view has laid out what it shows.
void switchingScope(benchmark::State& state) {
    LongLog log(1'000'000);
    const auto target = state.range(0) != 0 ? EventLogScope::allOfKind : EventLogScope::thisDevice;
    const auto other =
        target == EventLogScope::allOfKind ? EventLogScope::thisDevice : EventLogScope::allOfKind;
    for (auto _ : state) {
        log.pane().setScope(other);
        QApplication::sendPostedEvents();
        const auto start = std::chrono::steady_clock::now();
        log.pane().setScope(target);
        QApplication::sendPostedEvents();
        state.SetIterationTime(seconds(std::chrono::steady_clock::now() - start));
    }
    state.counters["rows"] = double(log.pane().model()->rowCount());
}
BENCHMARK(switchingScope)
    ->ArgName("toAllOfKind")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// The event log's heap per event for 1,000,000 recorded 40-character messages: the events in
// their lists, the lists' spare capacity and each message's own string.
void eventLogMemoryPerEvent(benchmark::State& state) {
    const int events = 1'000'000;
    for (auto _ : state) {
        auto queue = std::make_unique<VirtualMainThreadQueue>();
        auto& virtualQueue = *queue;
        auto platform = std::make_unique<FakePlatform>(virtualQueue);
        AppContext context(std::move(queue), std::move(platform));
        QUuid devices[deviceCount];
        for (auto& device : devices) {
            device = QUuid::createUuid();
        }
        const auto before = heapInUse();
        // In batches, so that the queue's pending tasks don't count.
        for (int index = 0; index < events; ++index) {
            const int device = index % deviceCount;
            context.eventLog().record(typicalMessage(device, index), QStringLiteral("Audio"),
                                      devices[device]);
            if (index % 1000 == 999) {
                virtualQueue.runUntilIdle();
            }
        }
        virtualQueue.runUntilIdle();
        const auto after = heapInUse();
        qsizetype spare = 0;
        for (const auto& list : context.eventLog().eventsByDevice()) {
            spare += list.capacity() - list.size();
        }
        state.counters["bytes_per_event"] = double(after - before) / events;
        state.counters["sizeof_event"] = double(sizeof(DeviceEvent));
        // What the lists hold in reserve for later appends; included in bytes_per_event.
        state.counters["spare_bytes_per_event"] = double(spare) * sizeof(DeviceEvent) / events;
    }
}
BENCHMARK(eventLogMemoryPerEvent)->Iterations(1)->Unit(benchmark::kMillisecond);

// Copying 100,000 selected lines out of the 1,000,000 in scope `allOfKind`, to the clipboard.
void copyingSelectedLines(benchmark::State& state) {
    LongLog log(1'000'000);
    auto& pane = log.pane();
    const int first = 450'000;
    const int count = 100'000;
    pane.view()->selectionModel()->select(
        QItemSelection(pane.model()->index(first), pane.model()->index(first + count - 1)),
        QItemSelectionModel::ClearAndSelect);
    for (auto _ : state) {
        pane.copy();
    }
    state.counters["lines"] = double(pane.view()->selectedRowCount());
}
BENCHMARK(copyingSelectedLines)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrin
