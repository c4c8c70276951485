#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

#include <linux/videodev2.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <functional>
#include <thread>

#include "app/AppContext.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxPlatform.h"
#include "runtime/CurrentProcess.h"
#include "runtime/VirtualMainThreadQueue.h"
#include "support/UvcFixtures.h"
#include "ui/CameraInspectorView.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/UVCInspectorSection.h"
#include "ui/WindowState.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

// The application's camera inspector over the Linux platform, with the cameras and their USB
// side from the fake V4L2 tree: what a user with these webcams sees.
class UVCOverV4L2Test : public ::testing::Test {
protected:
    void SetUp() override {
        const auto nodes =
            FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/uvc-webcams.json"));
        ASSERT_TRUE(nodes);
        nodes_ = *nodes;
        fake_ = std::make_shared<FakeV4L2System>(nodes_);
        auto queue = std::make_unique<VirtualMainThreadQueue>();
        queue_ = queue.get();
        // No sound server answers there and no X server is asked: the cameras come alone.
        auto platform = LinuxPlatform::connect(*queue, QStringLiteral("unix:/nonexistent/tavrin"),
                                               0ms, {fake_, std::nullopt});
        ASSERT_TRUE(platform);
        context_ = std::make_unique<AppContext>(std::move(queue), std::move(platform));
        settle();
    }
    void TearDown() override {
        view_.reset();
        context_.reset();
    }
    void settle() {
        for (int round = 0; round < 20; ++round) {
            for (const auto& camera : context_->deviceStore().cameraDiscovery().cameras()) {
                if (const auto session = camera->uvcController()) {
                    session->waitUntilIdle(10s);
                }
            }
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (!queue_->runUntilIdle()) {
                return;
            }
        }
    }
    std::shared_ptr<CameraDevice> camera(const QString& namePrefix) {
        for (const auto& camera : context_->deviceStore().cameraDiscovery().cameras()) {
            if (camera->localizedName().startsWith(namePrefix)) {
                return camera;
            }
        }
        return nullptr;
    }
    UVCInspectorSection* inspect(const QString& namePrefix) {
        const auto found = camera(namePrefix);
        EXPECT_TRUE(found) << namePrefix.toStdString();
        if (!found) {
            return nullptr;
        }
        view_ = std::make_unique<CameraInspectorView>(*context_, state_, found);
        view_->show();
        settle();
        return view_->uvcSection();
    }
    // The cameras' monitor notices plugging on its own thread.
    bool settleUntil(const std::function<bool()>& condition) {
        for (int round = 0; round < 500; ++round) {
            settle();
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    // Unplugs the 1080p webcam (video0 and video1) and plugs it back; whether it went and came
    // back. A refresh may run into the unplug and say so.
    bool replugWebcam(const CameraDevice& webcam) {
        ::testing::internal::CaptureStdout();
        fake_->unplug(QStringLiteral("video0"));
        const bool wentAway = settleUntil([&] { return !webcam.isConnected(); });
        for (const auto& node : nodes_) {
            if (node.name == QStringLiteral("video0") || node.name == QStringLiteral("video1")) {
                fake_->plug(node);
            }
        }
        // The camera's state and the cameras' list come each on their own way.
        const bool cameBack = settleUntil([&] {
            return webcam.isConnected() && webcam.availability() == SXAvailability::available();
        });
        ::testing::internal::GetCapturedStdout();
        return wentAway && cameBack;
    }
    static QStringList titles(UVCInspectorSection& section) {
        QStringList titles;
        for (auto* each : section.sections()) {
            titles.append(each->title());
        }
        return titles;
    }

    QList<FakeV4L2NodeSpec> nodes_;
    std::shared_ptr<FakeV4L2System> fake_;
    VirtualMainThreadQueue* queue_ = nullptr;
    std::unique_ptr<AppContext> context_;
    WindowState state_;
    std::unique_ptr<CameraInspectorView> view_;
};

TEST_F(UVCOverV4L2Test, EachFixtureWebcamShowsTheSectionsItsDriverOffers) {
    const QList<std::pair<QString, QStringList>> expected{
        {QStringLiteral("HD Pro Webcam C920"),
         {"UVC Power Line", "UVC Image", "UVC Exposure", "UVC Focus", "UVC White Balance",
          "UVC Other"}},
        {QStringLiteral("Microsoft"),
         {"UVC Power Line", "UVC Image", "UVC Exposure", "UVC White Balance", "UVC Other"}},
        {QStringLiteral("Integrated Camera"),
         {"UVC Power Line", "UVC Image", "UVC Exposure", "UVC White Balance", "UVC Other"}},
        // A composite capture device: a processing unit but no camera terminal.
        {QStringLiteral("USB2.0 Video Capture"), {"UVC Image"}},
    };
    for (const auto& [name, sections] : expected) {
        auto* section = inspect(name);
        ASSERT_NE(section, nullptr) << name.toStdString();
        EXPECT_EQ(titles(*section), sections) << name.toStdString();
    }
}

// The 1080p webcam offers seven discrete rates at 640 × 480, as V4L2 lists its intervals: a
// picker of them, and the one picked is the interval the driver is given.
TEST_F(UVCOverV4L2Test, AWebcamsDiscreteRatesArePickedAndTheExactIntervalIsSet) {
    ASSERT_NE(inspect(QStringLiteral("HD Pro Webcam C920")), nullptr);
    const auto webcam = camera(QStringLiteral("HD Pro Webcam C920"));
    auto* picker = view_->frameRatePicker();
    ASSERT_TRUE(picker->isVisibleTo(view_.get()));
    EXPECT_FALSE(view_->frameRateRow()->isVisibleTo(view_.get()));
    // The row found by its label is the one shown.
    ASSERT_TRUE(view_->row(QStringLiteral("Frame Rate")));
    EXPECT_TRUE(view_->row(QStringLiteral("Frame Rate"))->isAncestorOf(picker));
    QStringList rates;
    for (int item = 0; item < picker->count(); ++item) {
        rates.append(picker->itemText(item));
    }
    EXPECT_EQ(rates,
              (QStringList{"30 fps", "24 fps", "20 fps", "15 fps", "10 fps", "7.5 fps", "5 fps"}));
    EXPECT_EQ(picker->currentText(), QStringLiteral("30 fps"));

    // Three steps down, a step at a time as a hand makes them: 15 fps, which is 1/15 s.
    for (const auto* rate : {"24 fps", "20 fps", "15 fps"}) {
        QTest::keyClick(picker, Qt::Key_Down);
        EXPECT_TRUE(settleUntil([&] { return picker->currentText() == QLatin1String(rate); }))
            << rate;
    }
    EXPECT_TRUE(
        settleUntil([&] { return webcam->activeMinFrameDuration() == MediaTime::make(1, 15); }));
    EXPECT_EQ(picker->currentText(), QStringLiteral("15 fps"));
    // A rate whose interval is no unit fraction: 7.5 fps is 2/15 s.
    for (const auto* rate : {"10 fps", "7.5 fps"}) {
        QTest::keyClick(picker, Qt::Key_Down);
        EXPECT_TRUE(settleUntil([&] { return picker->currentText() == QLatin1String(rate); }))
            << rate;
    }
    EXPECT_TRUE(
        settleUntil([&] { return webcam->activeMinFrameDuration() == MediaTime::make(2, 15); }));
}

TEST_F(UVCOverV4L2Test, AnEditBecomesAV4L2ControlCallAndTheRefreshShowsWhatTheDriverKept) {
    auto* section = inspect(QStringLiteral("HD Pro Webcam C920"));
    ASSERT_NE(section, nullptr);
    auto* brightness = section->slider(UVCControlID::brightness);
    ASSERT_NE(brightness, nullptr);
    EXPECT_EQ(brightness->readout(), QStringLiteral("128"));
    emit brightness->valueEdited(200);
    settle();
    EXPECT_EQ(fake_->controlValue(QStringLiteral("video0"), V4L2_CID_BRIGHTNESS), 200);

    // Focus moves in steps of 5: the driver rounds, and the next refresh shows it.
    section->toggle(UVCControlID::focusAuto)->click();
    settle();
    EXPECT_EQ(fake_->controlValue(QStringLiteral("video0"), V4L2_CID_FOCUS_AUTO), 0);
    emit section->slider(UVCControlID::focusAbsolute)->valueEdited(37);
    settle();
    EXPECT_EQ(section->slider(UVCControlID::focusAbsolute)->readout(), QStringLiteral("37"));
    queue_->advance(1s);
    settle();
    EXPECT_EQ(fake_->controlValue(QStringLiteral("video0"), V4L2_CID_FOCUS_ABSOLUTE), 35);
    EXPECT_EQ(section->slider(UVCControlID::focusAbsolute)->readout(), QStringLiteral("35"));
}

TEST_F(UVCOverV4L2Test, AnUnplugSaysSoOnceAtMostAndLeavesNoHandle) {
    auto* section = inspect(QStringLiteral("HD Pro Webcam C920"));
    ASSERT_NE(section, nullptr);
    const auto webcam = camera(QStringLiteral("HD Pro Webcam C920"));
    ::testing::internal::CaptureStdout();
    fake_->unplug(QStringLiteral("video0"));
    // Either a refresh runs into the unplug and ends with its line, or the camera is seen gone
    // first and the section stops asking; either way the UVC handles close.
    queue_->advance(1s);
    settle();
    ASSERT_TRUE(settleUntil([&] { return !webcam->isConnected(); }));
    for (int second = 0; second < 3; ++second) {
        queue_->advance(1s);
        settle();
    }
    const auto printed = QString::fromStdString(::testing::internal::GetCapturedStdout());
    EXPECT_TRUE(printed.isEmpty() ||
                printed ==
                    QStringLiteral("[UVC] refresh ended: the camera is no longer connected\n"))
        << printed.toStdString();
    EXPECT_EQ(section->slider(UVCControlID::brightness)->readout(), QStringLiteral("128"));
    const auto fds = QStringLiteral("/proc/%1/fd").arg(currentProcessID());
    for (const auto& fd : fake_->listDirectory(fds)) {
        EXPECT_NE(fake_->readLink(fds + QLatin1Char('/') + fd), QStringLiteral("/dev/video0"));
    }
}

TEST_F(UVCOverV4L2Test, APluggedBackWebcamIsTheSameCameraAndItsControlsWorkAgain) {
    auto* section = inspect(QStringLiteral("HD Pro Webcam C920"));
    ASSERT_NE(section, nullptr);
    const auto webcam = camera(QStringLiteral("HD Pro Webcam C920"));
    const auto cameraCount = context_->deviceStore().cameraDiscovery().cameras().size();
    ASSERT_TRUE(replugWebcam(*webcam));
    EXPECT_EQ(context_->deviceStore().cameraDiscovery().cameras().size(), cameraCount);
    EXPECT_FALSE(webcam->formats().isEmpty());

    // The section still shown opens the camera again and edits reach the new node.
    ASSERT_TRUE(settleUntil([&] { return webcam->hasUVCController(); }));
    auto* brightness = section->slider(UVCControlID::brightness);
    ASSERT_NE(brightness, nullptr);
    emit brightness->valueEdited(90);
    settle();
    EXPECT_EQ(fake_->controlValue(QStringLiteral("video0"), V4L2_CID_BRIGHTNESS), 90);
}

TEST_F(UVCOverV4L2Test, EditsReachTheCameraWhileWeHoldItsConfigurationLockEvenAcrossAReplug) {
    auto* section = inspect(QStringLiteral("HD Pro Webcam C920"));
    ASSERT_NE(section, nullptr);
    const auto webcam = camera(QStringLiteral("HD Pro Webcam C920"));
    webcam->configurationLock().lock();
    webcam->configurationLock().keepLocked();
    settle();
    ASSERT_TRUE(webcam->configurationLock().state().isLocked());
    // Another program's change is refused while we hold it; ours are not.
    const auto othersAreRefused = [&] {
        const int other =
            fake_->openAs(QStringLiteral("/dev/video0"), 4242, QStringLiteral("other"));
        v4l2_control contrast{V4L2_CID_CONTRAST, 10};
        const bool refused = fake_->ioctl(other, VIDIOC_S_CTRL, &contrast) == -EBUSY;
        fake_->close(other);
        return refused;
    };
    EXPECT_TRUE(othersAreRefused());
    ::testing::internal::CaptureStdout();
    emit section->slider(UVCControlID::brightness)->valueEdited(77);
    settle();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fake_->controlValue(QStringLiteral("video0"), V4L2_CID_BRIGHTNESS), 77);

    // Unplugged and back, still shown as locked: the lock is ours again.
    ASSERT_TRUE(replugWebcam(*webcam));
    EXPECT_TRUE(webcam->configurationLock().state().isLocked());
    // The camera takes the priority back on its own thread, just after it says it is back.
    EXPECT_TRUE(settleUntil(othersAreRefused));
    emit section->slider(UVCControlID::brightness)->valueEdited(66);
    settle();
    EXPECT_EQ(fake_->controlValue(QStringLiteral("video0"), V4L2_CID_BRIGHTNESS), 66);

    webcam->configurationLock().unlock();
    EXPECT_TRUE(settleUntil([&] { return !othersAreRefused(); }));
}

}  // namespace
}  // namespace tavrin
