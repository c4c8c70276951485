#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "support/QtPrinters.h"

#include "platform/qscreen/QScreenDisplays.h"
#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin {
namespace {

// The offscreen platform has one screen: it stands for a Wayland session's outputs.
TEST(QScreenDisplays, ListsTheScreensReadOnly) {
    VirtualMainThreadQueue queue;
    QScreenDisplays displays(queue);
    DeviceList<SXDisplay> delivered;
    int deliveries = 0;
    const auto subscription = displays.displayUpdates([&](const DeviceList<SXDisplay>& list) {
        delivered = list;
        ++deliveries;
    });
    queue.runUntilIdle();
    ASSERT_EQ(deliveries, 1);
    ASSERT_EQ(delivered.size(), QGuiApplication::screens().size());
    auto* screen = QGuiApplication::primaryScreen();
    const auto& display = *delivered.first();
    EXPECT_EQ(display.frame.value(), QRectF(screen->geometry()));
    EXPECT_EQ(display.visibleFrame(), std::optional(QRectF(screen->availableGeometry())));
    EXPECT_TRUE(display.isMain.value());
    EXPECT_EQ(display.availability.value(), SXAvailability::available());
    const auto mode = displays.currentMode(display.id());
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->pixelWidth, screen->geometry().width() * screen->devicePixelRatio());
    EXPECT_EQ(displays.allModes(display.id())->size(), 1);
    EXPECT_EQ(displays.screens().size(), delivered.size());
    EXPECT_FALSE(displays.currentMode(display.id() + 100));
}

TEST(QScreenDisplays, EveryConfigurationCallFailsWithAClearStatus) {
    VirtualMainThreadQueue queue;
    QScreenDisplays displays(queue);
    DisplayConfiguration configuration = 0;
    EXPECT_EQ(displays.beginConfiguration(configuration), DisplayErrorCode::invalidOperation);
    EXPECT_EQ(displays.configureOrigin(configuration, 1, 10, 10),
              DisplayErrorCode::invalidOperation);
    EXPECT_EQ(displays.completeConfiguration(configuration), DisplayErrorCode::invalidOperation);
    EXPECT_EQ(displays.setPrimaryDisplay(1), DisplayErrorCode::invalidOperation);
}

}  // namespace
}  // namespace tavrin
