#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "support/UvcFixtures.h"
#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/UVCInspectorSection.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"
#include "uvc/UVCControlTable.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using ID = UVCControlID;

std::uint8_t unitOf(ID id) {
    return uvcControlSpec(id).unit == UVCUnit::processingUnit ? testing::webcamProcessingUnit
                                                              : testing::webcamCameraTerminal;
}

class UVCInspectorSectionTest : public ::testing::Test {
protected:
    void setDevice(ID id, const FakeUvcControl& control) {
        webcam_->setControl(unitOf(id), uvcControlSpec(id).selector, control);
    }
    std::int64_t deviceValue(ID id) {
        return webcam_->control(unitOf(id), uvcControlSpec(id).selector)->current;
    }
    UVCInspectorSection& open() {
        usb_.plug(webcam_);
        session_ =
            testing::openUVCSession(queue_, usb_, QString::fromLatin1(testing::webcamUniqueID));
        view_ = std::make_unique<UVCInspectorSection>(queue_, session_, state_);
        view_->show();
        settle();
        return *view_;
    }
    void settle() { testing::settleUVC(queue_, *session_); }
    QStringList rowLabels(const QString& section) {
        QStringList labels;
        for (auto* row : view_->section(section)->findChildren<InspectorRow*>()) {
            labels.append(row->label());
        }
        return labels;
    }

    VirtualMainThreadQueue queue_;
    FakeUsbService usb_;
    std::shared_ptr<FakeUvcCamera> webcam_ = testing::fullWebcam();
    std::shared_ptr<UVCSession> session_;
    WindowState state_;
    std::unique_ptr<UVCInspectorSection> view_;
};

TEST_F(UVCInspectorSectionTest, TheExposureReadoutScalesFromSecondsToMicroseconds) {
    setDevice(ID::exposureTime, {.maximum = 100000, .current = 20000});
    auto& view = open();
    auto* slider = view.slider(ID::exposureTime);
    EXPECT_EQ(slider->readout(), QStringLiteral("2.00 s"));
    for (const auto& [units, text] :
         {std::pair{5000, "500.0 ms"}, std::pair{50, "5.0 ms"}, std::pair{1, "100 \u00b5s"}}) {
        setDevice(ID::exposureTime, {.maximum = 100000, .current = units});
        queue_.advance(1s);
        settle();
        EXPECT_EQ(slider->readout(), QString::fromUtf8(text));
    }
    setDevice(ID::whiteBalanceTemperature, {.minimum = 2800, .maximum = 6500, .current = 4600});
    queue_.advance(1s);
    settle();
    EXPECT_EQ(view.slider(ID::whiteBalanceTemperature)->readout(), QStringLiteral("4600 K"));
}

TEST_F(UVCInspectorSectionTest, AReadOnlySectionHasNoResetAndAnAbsentOneIsLeftOut) {
    for (const auto id : {ID::brightness, ID::contrast, ID::saturation, ID::sharpness, ID::hue,
                          ID::hueAuto, ID::gamma, ID::gain, ID::backlightCompensation}) {
        setDevice(id, {.info = 0x01, .maximum = 255, .current = 3});
    }
    setDevice(ID::zoomAbsolute, {.info = 0});
    webcam_->setControl(testing::webcamCameraTerminal, uvcPrivacySelector, {.info = 0});
    auto& view = open();
    EXPECT_FALSE(rowLabels(QStringLiteral("UVC Image")).contains(QStringLiteral("Reset")));
    EXPECT_TRUE(rowLabels(QStringLiteral("UVC Focus")).contains(QStringLiteral("Reset")));
    EXPECT_FALSE(view.slider(ID::brightness)->isEnabled());
    EXPECT_EQ(view.section(QStringLiteral("UVC Other")), nullptr);
}

TEST_F(UVCInspectorSectionTest, AutoFocusTakesTheDistanceSliderAwayUnlessTheCameraHasNoAuto) {
    setDevice(ID::focusAuto, {.maximum = 1, .current = 1});
    auto& view = open();
    EXPECT_FALSE(view.slider(ID::focusAbsolute)->isEnabled());
    view.toggle(ID::focusAuto)->click();
    settle();
    EXPECT_EQ(deviceValue(ID::focusAuto), 0);
    EXPECT_TRUE(view.slider(ID::focusAbsolute)->isEnabled());

    view_.reset();
    setDevice(ID::focusAuto, {.info = 0});
    auto& without = open();
    EXPECT_EQ(without.toggle(ID::focusAuto), nullptr);
    EXPECT_TRUE(without.slider(ID::focusAbsolute)->isEnabled());
}

TEST_F(UVCInspectorSectionTest, AWriteIsClampedForTheDeviceWhileTheRowShowsTheDraggedValue) {
    auto& view = open();
    auto* slider = view.slider(ID::brightness);
    emit slider->valueEdited(300.4);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), 255);
    EXPECT_EQ(slider->readout(), QStringLiteral("300"));
    queue_.advance(1s);
    settle();
    EXPECT_EQ(slider->readout(), QStringLiteral("255"));
}

TEST_F(UVCInspectorSectionTest, KeysAndClicksOnTheRowsWriteTheDevice) {
    auto& view = open();
    auto* brightness = view.slider(ID::brightness);
    QTest::keyClick(brightness->slider(), Qt::Key_End);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), std::int64_t(brightness->upper()));
    QTest::keyClick(brightness->slider(), Qt::Key_Home);
    settle();
    EXPECT_EQ(deviceValue(ID::brightness), std::int64_t(brightness->lower()));

    // A click on the read-out opens it for typing; Return writes the number.
    QTest::mouseClick(brightness->readoutLabel(), Qt::LeftButton);
    ASSERT_TRUE(brightness->isEditing());
    brightness->editor()->selectAll();
    QTest::keyClicks(brightness->editor(), QStringLiteral("42"));
    QTest::keyClick(brightness->editor(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(brightness->isEditing());
    EXPECT_EQ(deviceValue(ID::brightness), 42);

    auto* frequency = view.picker(ID::powerLineFrequency);
    ASSERT_EQ(frequency->currentText(), QStringLiteral("50 Hz"));
    QTest::keyClick(frequency, Qt::Key_Up);
    settle();
    EXPECT_EQ(deviceValue(ID::powerLineFrequency), 0);  // "Disabled"
    EXPECT_EQ(frequency->currentText(), QStringLiteral("Disabled"));

    auto* focusAuto = view.toggle(ID::focusAuto);
    ASSERT_TRUE(focusAuto);
    const auto focusAutoBefore = deviceValue(ID::focusAuto);
    QTest::keyClick(focusAuto, Qt::Key_Space);
    settle();
    EXPECT_NE(deviceValue(ID::focusAuto), focusAutoBefore);
}

TEST_F(UVCInspectorSectionTest, BoundsReportedUpsideDownStillGiveAUsableSlider) {
    setDevice(ID::zoomAbsolute, {.minimum = 500, .maximum = 100, .current = 300});
    auto& view = open();
    auto* slider = view.slider(ID::zoomAbsolute);
    EXPECT_EQ(slider->lower(), 100);
    EXPECT_EQ(slider->upper(), 500);
    EXPECT_TRUE(slider->isEnabled());
    slider->slider()->setValue(slider->slider()->maximum());
    settle();
    EXPECT_EQ(deviceValue(ID::zoomAbsolute), 500);
}

TEST_F(UVCInspectorSectionTest, PickersSwitchesAndResetWriteTheDevice) {
    auto& view = open();
    auto* frequency = view.picker(ID::powerLineFrequency);
    ASSERT_EQ(frequency->count(), 4);
    emit frequency->activated(1);  // "50 Hz"
    settle();
    EXPECT_EQ(deviceValue(ID::powerLineFrequency), 1);
    emit view.slider(ID::gain)->valueEdited(12);
    settle();
    ASSERT_EQ(deviceValue(ID::gain), 12);
    auto buttons = view.section(QStringLiteral("UVC Image"))->findChildren<QPushButton*>();
    auto reset = std::find_if(buttons.begin(), buttons.end(), [](QPushButton* b) {
        return b->text() == QStringLiteral("Restore Defaults");
    });
    ASSERT_NE(reset, buttons.end());
    (*reset)->click();
    settle();
    EXPECT_EQ(deviceValue(ID::gain), 128);
    EXPECT_EQ(deviceValue(ID::powerLineFrequency), 1);  // another section's control
    EXPECT_EQ(view.privacyShutter()->text(), QStringLiteral("Open"));
}

TEST_F(UVCInspectorSectionTest, TurningThePreviewOnRestoresEveryDefault) {
    auto& view = open();
    emit view.slider(ID::gain)->valueEdited(12);
    settle();
    state_.setCameraPreviewEnabled(true);
    settle();
    EXPECT_EQ(deviceValue(ID::gain), 128);
    emit view.slider(ID::gain)->valueEdited(12);
    settle();
    state_.setCameraPreviewEnabled(false);
    settle();
    EXPECT_EQ(deviceValue(ID::gain), 12);
}

TEST_F(UVCInspectorSectionTest, NoRefreshRunsOnceTheViewIsGone) {
    open();
    queue_.advance(1s);
    settle();
    const int requests = webcam_->requestCount();
    queue_.advance(1s);
    settle();
    EXPECT_GT(webcam_->requestCount(), requests);
    view_.reset();
    const int afterwards = webcam_->requestCount();
    queue_.advance(5s);
    settle();
    EXPECT_EQ(webcam_->requestCount(), afterwards);
    EXPECT_EQ(queue_.activeTimerCount(), 0u);
}

}  // namespace
}  // namespace tavrin
