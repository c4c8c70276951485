#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/UsbVideoClass.h"
#include "support/UvcFixtures.h"
#include "uvc/UVCControlsModel.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using ID = UVCControlID;

// The camera's side of a hung device: every request waits until the test lets go. Should anyone
// wait for an answer on the main thread, the test would stall until `limit` and then see it.
class HeldRequests {
public:
    std::optional<IOReturn> hold() {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        if (!changed_.wait_for(lock, limit, [&] { return released_; })) {
            expired_ = true;
        }
        --waiting_;
        return std::nullopt;
    }
    void waitUntilAHeldRequest() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, limit, [&] { return waiting_ > 0; });
    }
    bool isHolding() {
        std::lock_guard lock(mutex_);
        return waiting_ > 0 && !released_;
    }
    bool expired() {
        std::lock_guard lock(mutex_);
        return expired_;
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    static constexpr auto limit = 30s;
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool released_ = false;
    bool expired_ = false;
};

class UVCSessionTest : public ::testing::Test {
protected:
    void SetUp() override { usb_.plug(camera_); }
    void open() {
        session_ =
            testing::openUVCSession(queue_, usb_, QString::fromLatin1(testing::webcamUniqueID));
        model_ = std::make_unique<UVCControlsModel>(queue_, session_);
    }
    void settle() { testing::settleUVC(queue_, *session_); }
    std::int64_t deviceValue(ID id) {
        const auto& spec = uvcControlSpec(id);
        const auto unit = spec.unit == UVCUnit::processingUnit ? testing::webcamProcessingUnit
                                                               : testing::webcamCameraTerminal;
        return camera_->control(unit, spec.selector)->current;
    }

    VirtualMainThreadQueue queue_;
    FakeUsbService usb_;
    std::shared_ptr<FakeUvcCamera> camera_ = testing::fullWebcam();
    std::shared_ptr<UVCSession> session_;
    std::unique_ptr<UVCControlsModel> model_;
};

TEST_F(UVCSessionTest, AHungCameraNeverHoldsUpTheMainThreadAndItsAnswersArriveInOrder) {
    auto held = std::make_shared<HeldRequests>();
    camera_->setRequestHook([held] { return held->hold(); });
    open();
    held->waitUntilAHeldRequest();  // the probe's first request

    // Everything the section does, while the camera answers nothing.
    model_->setShown(true);
    EXPECT_TRUE(model_->sections().isEmpty());
    model_->setSliderValue(ID::brightness, 10);
    model_->setSliderValue(ID::brightness, 20);
    model_->setSliderValue(ID::gain, 50);
    model_->restoreDefaults({ID::gain});
    model_->setSliderValue(ID::gain, 7);  // after the restore, so not merged into the 50
    model_->reloadValues();
    queue_.advance(5s);
    EXPECT_EQ(model_->values().brightness, 20);  // the field shows the user's value at once
    EXPECT_TRUE(held->isHolding());
    EXPECT_FALSE(held->expired());
    // The refresh waits for its read's answer before it schedules the next: nothing piles up.
    EXPECT_EQ(queue_.activeTimerCount(), 0u);

    camera_->setControl(testing::webcamProcessingUnit, uvcControlSpec(ID::gain).selector,
                        FakeUvcControl{.maximum = 255, .defaultValue = 128, .current = 3});
    held->release();
    settle();
    EXPECT_TRUE(model_->isProbed());
    EXPECT_FALSE(model_->sections().isEmpty());
    EXPECT_EQ(deviceValue(ID::brightness), 20);
    // Both edits waited for the camera: it got the last one only.
    EXPECT_EQ(camera_->requestCount(UsbVideoClass::setCur, testing::webcamProcessingUnit,
                                    uvcControlSpec(ID::brightness).selector),
              1);
    EXPECT_EQ(deviceValue(ID::gain), 7);
    EXPECT_EQ(model_->values().brightness, 20);
    EXPECT_EQ(model_->values().gain, 7);
    EXPECT_FALSE(held->expired());
}

TEST_F(UVCSessionTest, AReadUnderWayWhenTheUserWritesDoesNotPutTheOldValueBack) {
    open();
    settle();
    auto held = std::make_shared<HeldRequests>();
    camera_->setRequestHook([held] { return held->hold(); });
    model_->reloadValues();  // reads 128 while the user drags to 40
    held->waitUntilAHeldRequest();
    model_->setSliderValue(ID::brightness, 40);
    held->release();
    settle();
    EXPECT_EQ(model_->values().brightness, 40);
    model_->reloadValues();
    settle();
    EXPECT_EQ(model_->values().brightness, 40);
    EXPECT_EQ(deviceValue(ID::brightness), 40);
}

TEST_F(UVCSessionTest, UnpluggingDuringARefreshEndsItWithOneLineAndKeepsTheValues) {
    open();
    settle();
    model_->setShown(true);
    settle();
    ASSERT_EQ(model_->values().brightness, 128);

    auto requests = std::make_shared<std::atomic<int>>(0);
    camera_->setRequestHook([requests]() -> std::optional<IOReturn> {
        // Gone a few requests into the next refresh.
        return ++*requests > 3 ? std::optional(IOReturnCode::noDevice) : std::nullopt;
    });
    ::testing::internal::CaptureStdout();
    queue_.advance(1s);
    settle();
    const int requestsOfThatRefresh = requests->load();
    // The camera keeps failing: each second the session opens it afresh, in vain.
    for (int second = 0; second < 5; ++second) {
        queue_.advance(1s);
        settle();
    }
    const auto output = QString::fromStdString(::testing::internal::GetCapturedStdout());
    EXPECT_EQ(output, QStringLiteral("[UVC] refresh ended: the camera is no longer connected\n"));
    EXPECT_EQ(requestsOfThatRefresh, 4);  // the batch stopped at the first unanswered request
    EXPECT_EQ(model_->values().brightness, 128);
    EXPECT_EQ(usb_.matchingCount(), 6);

    // Back: the next refresh reads what the camera holds now, on a controller opened afresh.
    camera_->setRequestHook({});
    camera_->setControl(testing::webcamProcessingUnit, uvcControlSpec(ID::brightness).selector,
                        FakeUvcControl{.maximum = 255, .current = 42});
    queue_.advance(1s);
    settle();
    EXPECT_EQ(model_->values().brightness, 42);
    EXPECT_EQ(queue_.activeTimerCount(), 1u);
    EXPECT_EQ(usb_.matchingCount(), 7);
}

TEST_F(UVCSessionTest, DroppingTheSectionDuringAHungRequestWaitsForNothing) {
    auto held = std::make_shared<HeldRequests>();
    camera_->setRequestHook([held] { return held->hold(); });
    const auto owners = camera_.use_count();
    open();
    held->waitUntilAHeldRequest();
    model_.reset();
    session_.reset();
    EXPECT_TRUE(held->isHolding());
    EXPECT_FALSE(held->expired());

    // The camera's thread finishes the batch it was in, then closes the controller itself. The
    // batch's answer finds nobody on the main thread.
    held->release();
    for (int wait = 0; wait < 1000 && camera_.use_count() > owners; ++wait) {
        std::this_thread::sleep_for(10ms);
        queue_.runUntilIdle();
    }
    EXPECT_EQ(camera_.use_count(), owners);
    EXPECT_FALSE(camera_->isInterfaceOpen());
}

}  // namespace
}  // namespace tavrin
