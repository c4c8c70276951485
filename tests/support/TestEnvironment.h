#pragma once

#include <QLocale>

#include "support/QtPrinters.h"

#include "app/AppContext.h"
#include "platform/fake/FakePlatform.h"
#include "runtime/FourCharCode.h"
#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin::testing {

// A fresh AppContext on the fake platform, with a virtual-time queue that the test drives.
class TestEnvironment {
public:
    explicit TestEnvironment(const FakeFixture& fixture = {})
        : TestEnvironment(std::make_unique<VirtualMainThreadQueue>(), fixture) {}

    AppContext& context() { return context_; }
    VirtualMainThreadQueue& queue() { return queue_; }
    FakePlatform& fake() { return fake_; }
    DeviceEventLog& log() { return context_.eventLog(); }

    // Delivers everything the fake has in flight and runs the main thread until nothing is left.
    void settle() {
        do {
            fake_.waitForNotifications();
        } while (queue_.runUntilIdle());
    }

    // The messages recorded for a device so far, in order.
    QStringList messages(const QUuid& deviceID) {
        QStringList messages;
        for (const auto& event : context_.eventLog().events(deviceID)) {
            messages.append(event.message);
        }
        return messages;
    }

private:
    // The context owns the queue and the platform; the test keeps typed references to both.
    TestEnvironment(std::unique_ptr<VirtualMainThreadQueue> queue, const FakeFixture& fixture)
        : queue_(*queue),
          fake_(*new FakePlatform(queue_, fixture)),
          context_(std::move(queue), std::unique_ptr<Platform>(&fake_)) {}

    VirtualMainThreadQueue& queue_;
    FakePlatform& fake_;
    AppContext context_;
};

// Pins the default locale for the life of a test.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale) : previous_(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~ScopedLocale() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

// A camera or microphone spec with a capture device.
inline FakeCaptureSourceSpec captureSource(const QString& id, const QString& name,
                                           const QString& manufacturer = {},
                                           const QString& deviceType = {},
                                           const char* transport = "usb ") {
    FakeCaptureSourceSpec spec;
    spec.id = id;
    spec.values.localizedName = name;
    spec.values.manufacturer = manufacturer;
    if (!deviceType.isEmpty()) {
        spec.captureDevice = FakeCaptureDeviceSpec{
            deviceType, std::int32_t(*fourCharCodeFromText(QString::fromLatin1(transport)))};
    }
    return spec;
}

}  // namespace tavrin::testing
