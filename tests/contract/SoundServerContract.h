#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <functional>

#include "support/QtPrinters.h"

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "catalogue/DeviceStore.h"
#include "catalogue/MicrophoneDiscovery.h"
#include "contract/RealTimeLoop.h"
#include "contract/RequiredServers.h"
#include "contract/SoundServerDriver.h"
#include "platform/AudioHardware.h"
#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin::testing {

// One contract, run against the fake platform and against each real sound server: the same
// expectations on all of them. A real server that was not started for the tests skips them,
// unless TAVRIN_TEST_REQUIRE_SERVERS names it ("pulseaudio,pipewire"), which makes that a
// failure.
class SoundServerContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        driver_ = SoundServerDriver::make(QString::fromUtf8(GetParam()));
        if (const auto reason = driver_->unavailableReason(); !reason.isEmpty()) {
            if (isRequiredServer(driver_->kind())) {
                FAIL() << reason.toStdString();
            }
            GTEST_SKIP() << reason.toStdString();
        }
        auto queue = std::make_unique<VirtualMainThreadQueue>();
        queue_ = queue.get();
        auto platform = driver_->makePlatform(*queue);
        ASSERT_TRUE(platform) << "the sound server doesn't answer";
        context_ = std::make_unique<AppContext>(std::move(queue), std::move(platform));
        static int counter = 0;
        source_ = QStringLiteral("tavrin_contract_%1_%2")
                      .arg(QCoreApplication::applicationPid())
                      .arg(++counter);
    }

    void TearDown() override {
        context_.reset();
        driver_.reset();
    }

    // Runs the main thread until `done` holds, for up to a few seconds of real time.
    bool waitFor(const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(8)) {
        return runMainThreadUntil(*queue_, done, timeout);
    }

    // Lets whatever is still on its way arrive, for a short real-time while.
    void settleBriefly() {
        waitFor([] { return false; }, std::chrono::milliseconds(300));
    }

    // Adds the test's own source and waits for its microphone model.
    std::shared_ptr<MicrophoneDevice> addMicrophone(const QString& description) {
        if (!driver_->addSource(source_, description)) {
            ADD_FAILURE() << "the server refused a new source";
            return nullptr;
        }
        context_->deviceStore();
        std::shared_ptr<MicrophoneDevice> found;
        waitFor([&] {
            found = microphone();
            return found && found->isConnected() && found->localizedName() == description;
        });
        return found;
    }

    std::shared_ptr<MicrophoneDevice> microphone() const {
        for (const auto& device : context_->deviceStore().microphoneDiscovery().microphones()) {
            if (device->id() == source_) {
                return device;
            }
        }
        return nullptr;
    }

    QStringList messages(const QUuid& uuid) const {
        QStringList messages;
        for (const auto& event : context_->eventLog().events(uuid)) {
            messages.append(event.message);
        }
        return messages;
    }

    int countContaining(const QUuid& uuid, const QString& text) const {
        int count = 0;
        for (const auto& message : messages(uuid)) {
            count += message.contains(text) ? 1 : 0;
        }
        return count;
    }

    std::optional<ObjectID> deviceObject() {
        const auto device = readProperty<std::uint32_t>(
            context_->platform().audioHardware(), systemObjectID,
            globalAddress(AudioSelector::translateUIDToDevice), source_);
        return device && *device != unknownObjectID ? std::optional<ObjectID>(*device)
                                                    : std::nullopt;
    }

    std::unique_ptr<SoundServerDriver> driver_;
    VirtualMainThreadQueue* queue_ = nullptr;
    std::unique_ptr<AppContext> context_;
    QString source_;
};

#define TAVRIN_SOUND_SERVER_CONTRACT(Suite)                                                       \
    INSTANTIATE_TEST_SUITE_P(Servers, Suite, ::testing::Values("fake", "pulseaudio", "pipewire"), \
                             [](const auto& info) { return std::string(info.param); })

}  // namespace tavrin::testing
