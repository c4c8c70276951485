#include <gtest/gtest.h>

#include <QSignalSpy>

#include "platform/UsbVideoClass.h"
#include "support/TestEnvironment.h"
#include "support/UvcFixtures.h"
#include "uvc/UVCControlsModel.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using namespace UsbVideoClass;

using ID = UVCControlID;
using Kind = UVCControlsModel::RowKind;
using testing::webcamCameraTerminal;
using testing::webcamProcessingUnit;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

std::uint8_t unitOf(ID id) {
    return uvcControlSpec(id).unit == UVCUnit::processingUnit ? webcamProcessingUnit
                                                              : webcamCameraTerminal;
}

class UVCControlsModelTest : public ::testing::Test {
protected:
    void open() {
        usb_.plug(camera_);
        session_ =
            testing::openUVCSession(queue_, usb_, QString::fromLatin1(testing::webcamUniqueID));
        model_ = std::make_unique<UVCControlsModel>(queue_, session_);
        settle();
        ASSERT_TRUE(model_->isProbed());
    }
    void settle() { testing::settleUVC(queue_, *session_); }
    void remove(ID id) {
        camera_->setControl(unitOf(id), uvcControlSpec(id).selector, FakeUvcControl{.info = 0});
    }
    void setDevice(ID id, const FakeUvcControl& control) {
        camera_->setControl(unitOf(id), uvcControlSpec(id).selector, control);
    }
    std::int64_t deviceValue(ID id) {
        return camera_->control(unitOf(id), uvcControlSpec(id).selector)->current;
    }
    QStringList titles() {
        QStringList titles;
        for (const auto& section : model_->sections()) {
            titles.append(section.title);
        }
        return titles;
    }
    std::optional<UVCControlsModel::Section> section(const QString& title) {
        for (const auto& section : model_->sections()) {
            if (section.title == title) {
                return section;
            }
        }
        return std::nullopt;
    }
    std::optional<UVCControlsModel::Row> row(const QString& label) {
        for (const auto& section : model_->sections()) {
            for (const auto& row : section.rows) {
                if (row.label == label) {
                    return row;
                }
            }
        }
        return std::nullopt;
    }

    VirtualMainThreadQueue queue_;
    FakeUsbService usb_;
    std::shared_ptr<FakeUvcCamera> camera_ = testing::fullWebcam();
    std::shared_ptr<UVCSession> session_;
    std::unique_ptr<UVCControlsModel> model_;
};

TEST_F(UVCControlsModelTest, AllSixSectionsWithTheirRowsInOrder) {
    open();
    EXPECT_EQ(titles(), (QStringList{"UVC Power Line", "UVC Image", "UVC Exposure", "UVC Focus",
                                     "UVC White Balance", "UVC Other"}));
    QStringList labels;
    const auto image = section(QStringLiteral("UVC Image"));
    for (const auto& r : image->rows) {
        labels.append(r.label);
    }
    EXPECT_EQ(labels, (QStringList{"Brightness", "Contrast", "Saturation", "Sharpness", "Auto Hue",
                                   "Hue", "Gamma", "Gain", "Backlight Compensation", "Reset"}));
    const auto other = section(QStringLiteral("UVC Other"));
    EXPECT_EQ(other->rows[1].kind, Kind::readout);
    EXPECT_EQ(other->resettable, QList<ID>{ID::zoomAbsolute});
    EXPECT_EQ(row(QStringLiteral("Frequency"))->choices.size(), 4);
    EXPECT_EQ(row(QStringLiteral("Exposure Mode"))->choices[3],
              (UVCControlsModel::Choice{QStringLiteral("Aperture Priority"), 8}));
}

TEST_F(UVCControlsModelTest, SectionsAndResetRowsFollowWhatTheCameraReports) {
    for (const auto id : {ID::brightness, ID::contrast, ID::saturation, ID::sharpness, ID::hue,
                          ID::hueAuto, ID::gamma, ID::gain, ID::backlightCompensation}) {
        remove(id);
    }
    setDevice(ID::focusAuto, FakeUvcControl{.info = 0x01, .maximum = 1});
    setDevice(ID::focusAbsolute, FakeUvcControl{.info = 0x01, .maximum = 100});
    open();
    EXPECT_FALSE(titles().contains(QStringLiteral("UVC Image")));
    const auto focus = section(QStringLiteral("UVC Focus"));
    ASSERT_TRUE(focus);
    EXPECT_EQ(focus->rows.size(), 2);  // read-only controls: no "Reset"
    EXPECT_FALSE(focus->rows[0].isEnabled);
    EXPECT_FALSE(focus->rows[1].isEnabled);
}

TEST_F(UVCControlsModelTest, AutoSwitchesDisableTheirSliders) {
    open();
    model_->reloadValues();  // the camera reports every switch on (1)
    settle();
    EXPECT_FALSE(row(QStringLiteral("Focus Distance"))->isEnabled);
    EXPECT_FALSE(row(QStringLiteral("Hue"))->isEnabled);
    EXPECT_FALSE(row(QStringLiteral("Temperature"))->isEnabled);
    model_->setToggle(ID::focusAuto, false);
    settle();
    EXPECT_TRUE(row(QStringLiteral("Focus Distance"))->isEnabled);
    EXPECT_EQ(deviceValue(ID::focusAuto), 0);

    // Without an auto-focus control the slider stays enabled.
    camera_ = testing::fullWebcam();
    remove(ID::focusAuto);
    usb_.unplugAll();
    open();
    model_->reloadValues();
    settle();
    EXPECT_FALSE(row(QStringLiteral("Auto Focus")));
    EXPECT_TRUE(row(QStringLiteral("Focus Distance"))->isEnabled);
}

TEST_F(UVCControlsModelTest, WritesRoundStoreClampAndEncode) {
    open();
    QSignalSpy changes(model_.get(), &UVCControlsModel::valuesChanged);
    model_->setSliderValue(ID::brightness, 300.6);
    settle();
    EXPECT_EQ(model_->values().brightness, 301);  // the field shows the dragged value
    EXPECT_EQ(deviceValue(ID::brightness), 255);  // the device gets the clamped one
    model_->setSliderValue(ID::brightness, -20.4);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), 0);
    model_->setSliderValue(ID::brightness, std::nan(""));
    settle();
    EXPECT_EQ(model_->values().brightness, -20);
    model_->choose(ID::powerLineFrequency, 3);
    settle();
    EXPECT_EQ(deviceValue(ID::powerLineFrequency), 1);  // this camera's maximum
    EXPECT_EQ(changes.count(), 3);

    model_->reloadValues();
    settle();
    EXPECT_EQ(model_->values().brightness, 0);
    EXPECT_EQ(model_->values().powerLineFrequency, 1);
}

TEST_F(UVCControlsModelTest, AnInvertedRangeStillClampsAndGivesAnOrderedSlider) {
    setDevice(ID::zoomAbsolute, FakeUvcControl{.minimum = 100, .maximum = 40000});
    open();
    const auto zoom = row(QStringLiteral("Zoom"));
    EXPECT_LE(zoom->minimum, zoom->maximum);
    model_->setSliderValue(ID::zoomAbsolute, 500);
    settle();
    EXPECT_EQ(deviceValue(ID::zoomAbsolute), 100);
}

TEST_F(UVCControlsModelTest, RestoringDefaultsWritesClampedDefaultsThenReloads) {
    setDevice(ID::gain, FakeUvcControl{.maximum = 50, .defaultValue = 90, .current = 10});
    open();
    model_->restoreDefaults(section(QStringLiteral("UVC Image"))->resettable);
    settle();
    EXPECT_EQ(deviceValue(ID::gain), 50);
    EXPECT_EQ(deviceValue(ID::brightness), 128);
    EXPECT_EQ(model_->values().gain, 50);
    EXPECT_EQ(model_->values().exposureTime, 128);  // reload reads every control
}

TEST_F(UVCControlsModelTest, ReloadGivesZeroForMissingOrFailingControls) {
    remove(ID::gamma);
    camera_->failRequests(getCur, webcamProcessingUnit, uvcControlSpec(ID::hue).selector);
    open();
    model_->reloadValues();
    settle();
    EXPECT_EQ(model_->values().gamma, 0);
    EXPECT_EQ(model_->values().hue, 0);
    EXPECT_TRUE(model_->values().hueAuto);
    EXPECT_EQ(model_->values().aeMode, 1);
    EXPECT_EQ(ControlValues().aeMode, 2);
}

TEST_F(UVCControlsModelTest, ReadOuts) {
    EXPECT_EQ(UVCControlsModel::exposureTimeText(20000), QStringLiteral("2.00 s"));
    EXPECT_EQ(UVCControlsModel::exposureTimeText(5000), QStringLiteral("500.0 ms"));
    EXPECT_EQ(UVCControlsModel::exposureTimeText(50), QStringLiteral("5.0 ms"));
    EXPECT_EQ(UVCControlsModel::exposureTimeText(1), QString::fromUtf8("100 \u00b5s"));
    EXPECT_EQ(UVCControlsModel::temperatureText(6500), QStringLiteral("6500 K"));

    // The privacy shutter shows what was last read, not a read made while drawing.
    open();
    EXPECT_EQ(model_->privacyShutterText(), QString::fromUtf8("\u2014"));  // not read yet
    model_->reloadValues();
    settle();
    EXPECT_EQ(model_->privacyShutterText(), QStringLiteral("Open"));
    camera_->setControl(webcamCameraTerminal, uvcPrivacySelector,
                        FakeUvcControl{.info = 0x01, .maximum = 1, .current = 1});
    EXPECT_EQ(model_->privacyShutterText(), QStringLiteral("Open"));
    model_->reloadValues();
    settle();
    EXPECT_EQ(model_->privacyShutterText(), QStringLiteral("Closed"));
    camera_->failRequests(getCur, webcamCameraTerminal, uvcPrivacySelector);
    model_->reloadValues();
    settle();
    EXPECT_EQ(model_->privacyShutterText(), QString::fromUtf8("\u2014"));
}

TEST_F(UVCControlsModelTest, RefreshesEverySecondOnlyWhileShown) {
    open();
    const auto gets = [&] { return camera_->requestCount(getCur, webcamProcessingUnit, 0x02); };
    model_->setShown(true);
    settle();
    EXPECT_EQ(gets(), 1);
    setDevice(ID::brightness, FakeUvcControl{.maximum = 255, .current = 42});
    queue_.advance(999ms);
    settle();
    EXPECT_EQ(gets(), 1);
    queue_.advance(1ms);
    settle();
    EXPECT_EQ(gets(), 2);
    EXPECT_EQ(model_->values().brightness, 42);
    for (int second = 0; second < 3; ++second) {
        queue_.advance(1s);
        settle();
    }
    EXPECT_EQ(gets(), 5);
    model_->setShown(false);
    settle();
    queue_.advance(10s);
    settle();
    EXPECT_EQ(gets(), 5);
    EXPECT_EQ(queue_.activeTimerCount(), 0u);
}

TEST_F(UVCControlsModelTest, TurningThePreviewOnRestoresDefaultsOnlyOnTheWayUp) {
    open();
    model_->setSliderValue(ID::brightness, 10);
    settle();
    model_->setCameraPreviewEnabled(false);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), 10);
    const auto setsBefore = camera_->requestCount(setCur, webcamProcessingUnit, 0x02);
    model_->setCameraPreviewEnabled(true);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), 128);
    model_->setCameraPreviewEnabled(true);
    settle();
    EXPECT_EQ(camera_->requestCount(setCur, webcamProcessingUnit, 0x02), setsBefore + 1);
    model_->setCameraPreviewEnabled(false);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), 128);
}

TEST_F(UVCControlsModelTest, ACameraThatGoesAndComesBackLosesNoLaterWriteAndKeepsRefreshing) {
    open();
    model_->setShown(true);
    settle();
    // Gone at once, as the camera's own connection state may never tell.
    camera_->setRequestHook([] { return std::optional<IOReturn>(IOReturnCode::noDevice); });
    usb_.unplugAll();
    CaptureStdout();
    queue_.advance(1s);
    settle();
    EXPECT_EQ(GetCapturedStdout(), "[UVC] refresh ended: the camera is no longer connected\n");
    // Edited while away: nowhere to go.
    model_->setSliderValue(ID::brightness, 10);
    settle();

    camera_->setRequestHook({});
    usb_.plug(camera_);
    setDevice(ID::contrast, FakeUvcControl{.maximum = 255, .current = 42});
    queue_.advance(1s);
    settle();
    EXPECT_EQ(model_->values().contrast, 42);
    model_->setSliderValue(ID::brightness, 20);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), 20);
}

}  // namespace
}  // namespace tavrin
