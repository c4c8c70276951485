#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "camera/CameraTestSupport.h"
#include "ui/ConfigurationLockSection.h"
#include "ui/UiTestEnvironment.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using testing::UiTestEnvironment;

class ConfigurationLockSectionTest : public ::testing::Test {
protected:
    ConfigurationLockSectionTest()
        : device_(testing::plugCamera(env_,
                                      {.deviceType = QStringLiteral("AVCaptureDeviceTypeExternal")},
                                      QStringLiteral("Desk Cam"))),
          section_(device_.camera->configurationLock(), QStringLiteral("camera")) {
        section_.show();
    }

    // Only a shown button can be pressed.
    void press(QPushButton* button) {
        ASSERT_TRUE(button->isVisibleTo(&section_)) << button->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        env_.settleAll();
    }
    bool shows(QPushButton* button) { return button->isVisibleTo(&section_); }
    QStringList events() { return env_.messages(device_.camera->uuid()).mid(1); }
    int count(const QString& prefix) {
        const auto all = events();
        return int(std::count_if(all.cbegin(), all.cend(), [&](const QString& message) {
            return message.startsWith(prefix);
        }));
    }

    UiTestEnvironment env_;
    testing::CameraUnderTest device_;
    ConfigurationLockSection section_;
};

TEST_F(ConfigurationLockSectionTest, CountsDownFromTenToOneThenUnlocksItselfOnce) {
    EXPECT_EQ(section_.title(), QStringLiteral("Configuration is unlocked"));
    EXPECT_EQ(section_.explanation(),
              QStringLiteral("Hold the device's configuration lock to test how other apps react "
                             "when this camera's configuration is contended."));
    EXPECT_FALSE(shows(section_.unlockButton()));
    press(section_.lockButton());
    EXPECT_TRUE(device_.capture->isLockedByUs());
    EXPECT_EQ(section_.title(), QStringLiteral("Configuration locked"));
    EXPECT_EQ(section_.explanation(),
              QStringLiteral("Other processes that try to take the configuration lock of this "
                             "camera will fail until we release the lock."));
    EXPECT_FALSE(shows(section_.lockButton()));
    EXPECT_TRUE(shows(section_.keepLockedButton()));
    EXPECT_TRUE(shows(section_.unlockButton()));

    QStringList shown{section_.statusText()};
    for (int second = 1; second < 10; ++second) {
        env_.queue().advance(1s);
        shown.append(section_.statusText());
    }
    QStringList expected;
    for (int remaining = 10; remaining >= 1; --remaining) {
        expected.append(QStringLiteral("Auto-unlocks in %1 s").arg(remaining));
    }
    EXPECT_EQ(shown, expected);

    env_.queue().advance(1s);
    EXPECT_EQ(section_.title(), QStringLiteral("Configuration is unlocked"));
    EXPECT_TRUE(section_.statusText().isEmpty());
    EXPECT_TRUE(shows(section_.lockButton()));
    EXPECT_FALSE(device_.capture->isLockedByUs());
    env_.queue().advance(30s);
    EXPECT_EQ(count(QStringLiteral("Auto-unlocked Desk Cam configuration")), 1);
}

TEST_F(ConfigurationLockSectionTest, KeepLockedAtSevenSecondsHoldsWithoutAnyLaterUnlock) {
    press(section_.lockButton());
    env_.queue().advance(3s);
    EXPECT_EQ(section_.statusText(), QStringLiteral("Auto-unlocks in 7 s"));
    press(section_.keepLockedButton());
    EXPECT_EQ(section_.statusText(), QStringLiteral("Held indefinitely"));
    EXPECT_FALSE(shows(section_.keepLockedButton()));
    EXPECT_TRUE(shows(section_.unlockButton()));

    env_.queue().advance(60s);
    EXPECT_EQ(section_.title(), QStringLiteral("Configuration locked"));
    EXPECT_TRUE(device_.capture->isLockedByUs());
    EXPECT_EQ(count(QStringLiteral("Auto-unlocked")), 0);
}

TEST_F(ConfigurationLockSectionTest, UnlockDuringTheCountdownEndsItForGood) {
    press(section_.lockButton());
    env_.queue().advance(4s);
    press(section_.unlockButton());
    EXPECT_EQ(section_.title(), QStringLiteral("Configuration is unlocked"));
    EXPECT_FALSE(device_.capture->isLockedByUs());
    env_.queue().advance(20s);
    EXPECT_EQ(count(QStringLiteral("Unlocked Desk Cam configuration")), 1);
    EXPECT_EQ(count(QStringLiteral("Auto-unlocked")), 0);
    EXPECT_TRUE(shows(section_.lockButton()));
}

TEST_F(ConfigurationLockSectionTest, ALockAnotherProcessHoldsFailsAndTheSectionStaysUnlocked) {
    device_.capture->setLockedByAnotherProcess(true);
    press(section_.lockButton());
    EXPECT_EQ(section_.title(), QStringLiteral("Configuration is unlocked"));
    EXPECT_TRUE(shows(section_.lockButton()));
    EXPECT_EQ(count(QStringLiteral("Failed to lock Desk Cam configuration")), 1);
    EXPECT_EQ(events().size(), 1);
}

TEST(ConfigurationLockSectionLabelTest, TheSentencesNameTheKindOfDevice) {
    UiTestEnvironment env;
    auto device =
        testing::plugCamera(env, {.deviceType = QStringLiteral("AVCaptureDeviceTypeExternal")});
    ConfigurationLockSection section(device.camera->configurationLock(),
                                     QStringLiteral("microphone"));
    EXPECT_TRUE(section.explanation().endsWith(
        QStringLiteral("when this microphone's configuration is contended.")));
}

}  // namespace
}  // namespace tavrin
