#include <gtest/gtest.h>

#include "display/DisplayDevice.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::TestEnvironment;

TEST(DisplayDevice, FollowsTheFrameworkAndRecordsGeometryExactly) {
    TestEnvironment env;
    FakeDisplaySpec spec;
    spec.id = 722;
    spec.values.localizedName = QStringLiteral("Studio Monitor");
    spec.values.frame = QRectF(0, 0, 2560, 1440);
    spec.values.visibleFrame = QRectF(0, 0, 2560, 1415);
    env.fake().plugDisplay(spec);
    env.settle();
    const auto display =
        DisplayDevice::create(env.context(), env.fake().fakeFramework().displays().find(722));
    EXPECT_EQ(display->visibleFrame(), QRectF(0, 0, 2560, 1415));

    env.fake().fakeFramework().displays().change(722, [](SXDisplay& d) {
        d.frame.send(QRectF(1512, -200, 2560, 1440));
        d.frame.send(QRectF(1512, -200, 2560, 1440));
        // Qt's fuzzy comparison would call this equal; the log must not.
        d.frame.send(QRectF(1512, -200, 2560, 1440.0000000001));
        d.isMain.send(true);
    });
    env.settle();
    display->setVisibleFrame(std::nullopt);
    display->setBackingPixelSize(QSizeF(5120, 2880));
    env.settle();
    EXPECT_EQ(
        env.messages(display->uuid()),
        (QStringList{
            "Studio Monitor frame: (0, 0) 2560 \u00d7 1440 \u2192 (1512, -200) 2560 \u00d7 1440",
            "Studio Monitor frame: (1512, -200) 2560 \u00d7 1440 \u2192 (1512, -200) 2560 "
            "\u00d7 1440",
            "Studio Monitor main display: no \u2192 yes",
            "Studio Monitor visible frame: (0, 0) 2560 \u00d7 1415 \u2192 \u2014",
            "Studio Monitor backing pixels: 0 \u00d7 0 \u2192 5120 \u00d7 2880"}));
    const auto events = env.log().events(display->uuid());
    EXPECT_EQ(events[0].source, QStringLiteral("Geometry"));
    EXPECT_EQ(events[2].source, QStringLiteral("System"));
    EXPECT_EQ(events[4].source, QStringLiteral("Mode"));
}

}  // namespace
}  // namespace tavrin
