#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "audio/AudioHogModeController.h"
#include "runtime/CurrentProcess.h"
#include "ui/AudioHogModeSection.h"
#include "ui/UiTestEnvironment.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

using testing::UiTestEnvironment;

class AudioHogModeSectionTest : public ::testing::Test {
protected:
    AudioHogModeSectionTest()
        : device_(hardware().addDevice({.uid = QStringLiteral("mic")})),
          controller_(env_.context(), QStringLiteral("mic"), uuid_),
          section_(controller_, QStringLiteral("microphone")) {
        controller_.setDeviceName([] { return QStringLiteral("USB Mic"); });
        section_.show();
    }

    FakeAudioHardware& hardware() { return env_.fake().fakeAudioHardware(); }
    void press(QPushButton* button) {
        ASSERT_TRUE(button->isVisibleTo(&section_)) << button->text().toStdString();
        ASSERT_TRUE(button->isEnabled()) << button->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        env_.settleAll();
    }
    // The buttons the section offers, in order.
    QStringList buttons() {
        QStringList titles;
        for (auto* button :
             {section_.takeButton(), section_.keepButton(), section_.releaseButton()}) {
            if (button->isVisibleTo(&section_)) {
                titles.append(button->text());
            }
        }
        return titles;
    }

    UiTestEnvironment env_;
    const QUuid uuid_ = QUuid::createUuid();
    const ObjectID device_;
    AudioHogModeController controller_;
    AudioHogModeSection section_;
};

TEST_F(AudioHogModeSectionTest, ReleasedHeldCountingAndHeldIndefinitelyEachShowTheirOwnOffer) {
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access released"));
    EXPECT_EQ(section_.explanation(),
              QStringLiteral("Take exclusive sound server access (`hog mode`) to test how other "
                             "apps react when this microphone is held by a single process."));
    EXPECT_EQ(buttons(), QStringList{"Take Exclusive Access"});

    press(section_.takeButton());
    EXPECT_EQ(hardware().hogModeOwner(device_), currentProcessID());
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access held"));
    EXPECT_EQ(section_.statusText(), QStringLiteral("Auto-releases in 10 s"));
    EXPECT_EQ(section_.explanation(),
              QStringLiteral("No other process can open this microphone for IO until we release. "
                             "Capture stream starts in other apps will fail."));
    EXPECT_EQ(buttons(), (QStringList{"Keep Exclusive", "Release"}));
    EXPECT_EQ(section_.releaseButton()->shortcut(), QKeySequence(Qt::Key_Escape));

    env_.queue().advance(2s);
    EXPECT_EQ(section_.statusText(), QStringLiteral("Auto-releases in 8 s"));
    press(section_.keepButton());
    EXPECT_EQ(section_.statusText(), QStringLiteral("Held indefinitely"));
    EXPECT_EQ(buttons(), QStringList{"Release"});
    env_.queue().advance(30s);
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access held"));

    press(section_.releaseButton());
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access released"));
    EXPECT_TRUE(section_.statusText().isEmpty());
    EXPECT_EQ(hardware().hogModeOwner(device_), -1);
}

TEST_F(AudioHogModeSectionTest, TheCountdownEndsInTheReleasedLayout) {
    press(section_.takeButton());
    env_.queue().advance(9s);
    EXPECT_EQ(section_.statusText(), QStringLiteral("Auto-releases in 1 s"));
    env_.queue().advance(1s);
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access released"));
    EXPECT_EQ(buttons(), QStringList{"Take Exclusive Access"});
}

TEST_F(AudioHogModeSectionTest, WhileTheServerHasNotAnsweredOnlyReleaseIsOffered) {
    hardware().setAnswersHogModeLater(true);
    press(section_.takeButton());
    ASSERT_EQ(controller_.state(), HogModeState::taking());
    EXPECT_EQ(section_.title(), QStringLiteral("Taking exclusive access…"));
    EXPECT_TRUE(section_.statusText().isEmpty());
    EXPECT_EQ(buttons(), QStringList{"Release"});

    hardware().answerHogModeRequests(true);
    env_.settleAll();
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access held"));
    EXPECT_EQ(section_.statusText(), QStringLiteral("Auto-releases in 10 s"));

    press(section_.releaseButton());
    press(section_.takeButton());
    ASSERT_EQ(controller_.state(), HogModeState::taking());
    press(section_.releaseButton());  // withdraws the request
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access released"));
}

TEST_F(AudioHogModeSectionTest, ADeviceAnotherProcessOwnsStaysReleasedWithTheFailureLogged) {
    hardware().setHogModeOwner(device_, 4242);
    press(section_.takeButton());
    EXPECT_EQ(section_.title(), QStringLiteral("Exclusive access released"));
    EXPECT_EQ(buttons(), QStringList{"Take Exclusive Access"});
    EXPECT_EQ(hardware().hogModeOwner(device_), 4242);
    EXPECT_EQ(
        env_.messages(uuid_),
        QStringList{"Failed to take exclusive access to USB Mic; another process may own it"});
}

TEST(AudioHogModeSectionDeviceTest, TakingIsOfferedOnlyWhileTheDeviceCanBeFound) {
    UiTestEnvironment env;
    AudioHogModeController controller(env.context(), QStringLiteral("later"), QUuid::createUuid());
    AudioHogModeSection section(controller, QStringLiteral("microphone"));
    EXPECT_FALSE(section.takeButton()->isEnabled());

    env.fake().fakeAudioHardware().addDevice({.uid = QStringLiteral("later")});
    env.settleAll();
    section.refresh();
    EXPECT_TRUE(section.takeButton()->isEnabled());
}

}  // namespace
}  // namespace tavrin
