#include <gtest/gtest.h>

#include <QCoreApplication>

#include "support/QtPrinters.h"

#include "app/AppContext.h"
#include "catalogue/DeviceStore.h"
#include "contract/DisplayServerDriver.h"
#include "contract/RealTimeLoop.h"
#include "contract/RequiredServers.h"
#include "display/DisplayDevice.h"
#include "display/DisplayDiscovery.h"

namespace tavrin::testing {
namespace {

using namespace std::chrono_literals;

// One contract for the display seams, run against the fake platform and against a real X
// server (Xorg with the dummy driver): the same expectations on both. A server that was not
// started for the tests skips them, unless TAVRIN_TEST_REQUIRE_SERVERS names it ("xorg"), which
// makes that a failure.
class DisplayContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        driver_ = DisplayServerDriver::make(QString::fromUtf8(GetParam()));
        if (const auto reason = driver_->unavailableReason(); !reason.isEmpty()) {
            if (isRequiredServer(driver_->kind())) {
                FAIL() << reason.toStdString();
            }
            GTEST_SKIP() << reason.toStdString();
        }
        ASSERT_TRUE(driver_->resetLayout());
        auto queue = std::make_unique<VirtualMainThreadQueue>();
        queue_ = queue.get();
        auto platform = driver_->makePlatform(*queue);
        ASSERT_TRUE(platform) << "the display server doesn't answer";
        context_ = std::make_unique<AppContext>(std::move(queue), std::move(platform));
        ASSERT_TRUE(waitFor([&] { return display("DUMMY2") && display("DUMMY1"); }));
    }

    void TearDown() override {
        context_.reset();
        if (driver_ && driver_->unavailableReason().isEmpty()) {
            driver_->resetLayout();
        }
        driver_.reset();
    }

    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 8s) {
        return runMainThreadUntil(*queue_, done, timeout);
    }
    void settleBriefly() {
        waitFor([] { return false; }, 300ms);
    }

    DisplayDiscovery& discovery() { return context_->deviceStore().displayDiscovery(); }

    std::shared_ptr<DisplayDevice> display(const char* output) {
        const auto id = driver_->outputID(QString::fromLatin1(output));
        for (const auto& display : discovery().displays()) {
            if (id && display->id() == *id) {
                return display;
            }
        }
        return nullptr;
    }

    int countContaining(const std::shared_ptr<DisplayDevice>& display, const QString& text) {
        int count = 0;
        for (const auto& event : context_->eventLog().events(display->uuid())) {
            count += event.message.contains(text) ? 1 : 0;
        }
        return count;
    }

    std::unique_ptr<DisplayServerDriver> driver_;
    VirtualMainThreadQueue* queue_ = nullptr;
    std::unique_ptr<AppContext> context_;
};

INSTANTIATE_TEST_SUITE_P(Servers, DisplayContract, ::testing::Values("fake", "xorg"),
                         [](const auto& info) { return std::string(info.param); });

TEST_P(DisplayContract, ListsTheOutputsWithTheirFramesModesAndMirrors) {
    const auto main = display("DUMMY0");
    const auto right = display("DUMMY1");
    const auto mirror = display("DUMMY2");
    ASSERT_TRUE(main && right && mirror);

    EXPECT_EQ(main->localizedName(), QStringLiteral("DUMMY0"));
    EXPECT_EQ(main->frame(), QRectF(0, 0, 1024, 768));
    EXPECT_EQ(right->frame(), QRectF(1024, 0, 1280, 1024));
    EXPECT_EQ(mirror->frame(), QRectF(0, 0, 1024, 768));
    EXPECT_TRUE(main->isMain());
    EXPECT_FALSE(right->isMain());
    EXPECT_EQ(right->availability(), SXAvailability::available());
    EXPECT_EQ(right->backingPixelSize(), QSizeF(1280, 1024));
    ASSERT_TRUE(main->refreshRate() && right->refreshRate());
    EXPECT_NEAR(*main->refreshRate(), 85.0, 0.01);
    EXPECT_NEAR(*right->refreshRate(), 60.02, 0.01);
    EXPECT_EQ(mirror->mirrorOfID(), std::optional(main->id()));
    EXPECT_EQ(main->mirrorOfID(), std::nullopt);
    EXPECT_EQ(main->rotation(), 0);
    EXPECT_FALSE(main->isBuiltIn());
    EXPECT_EQ(main->backingScaleFactor(), std::optional(1.0));
    EXPECT_EQ(main->bitsPerSample(), std::optional(8));
}

TEST_P(DisplayContract, AModeAddedAndSetBecomesADisplayWithItsFrameAndRefresh) {
    // 1600×900 at 60 Hz, CVT.
    const ModeLine mode{QStringLiteral("tavrin-contract-1600x900"),
                        118.25,
                        1600,
                        1696,
                        1856,
                        2112,
                        900,
                        903,
                        908,
                        934};
    ASSERT_TRUE(driver_->addAndSetMode(QStringLiteral("DUMMY3"), mode, QPoint(2304, 0)));
    ASSERT_TRUE(waitFor([&] { return display("DUMMY3") != nullptr; }));
    const auto added = display("DUMMY3");
    ASSERT_TRUE(waitFor([&] { return added->frame() == QRectF(2304, 0, 1600, 900); }));
    EXPECT_EQ(added->availability(), SXAvailability::available());
    ASSERT_TRUE(added->refreshRate());
    EXPECT_NEAR(*added->refreshRate(), 59.95, 0.01);
    EXPECT_EQ(added->backingPixelSize(), QSizeF(1600, 900));
}

TEST_P(DisplayContract, SetOriginMovesTheDisplayWithOneEventPerChangedProperty) {
    const auto main = display("DUMMY0");
    const auto right = display("DUMMY1");
    ASSERT_TRUE(main && right);

    EXPECT_EQ(right->setOrigin(0, 768), DisplayErrorCode::success);
    ASSERT_TRUE(waitFor([&] { return right->frame() == QRectF(0, 768, 1280, 1024); }));
    settleBriefly();
    EXPECT_EQ(driver_->queriedFrame(QStringLiteral("DUMMY1")), QRect(0, 768, 1280, 1024));

    EXPECT_EQ(countContaining(right, QStringLiteral(" frame: ")), 1);
    EXPECT_EQ(countContaining(main, QStringLiteral(" frame: ")), 0);
    EXPECT_EQ(countContaining(right, QStringLiteral(" backing pixels: ")), 0);
    EXPECT_EQ(driver_->queriedFrame(QStringLiteral("DUMMY0")), QRect(0, 0, 1024, 768));
}

TEST_P(DisplayContract, MakeMainChangesThePrimary) {
    const auto main = display("DUMMY0");
    const auto right = display("DUMMY1");
    ASSERT_TRUE(main && right);

    EXPECT_EQ(discovery().makeMain(*right), DisplayErrorCode::success);
    ASSERT_TRUE(waitFor([&] { return right->isMain() && !main->isMain(); }));
    settleBriefly();
    EXPECT_EQ(driver_->queriedPrimary(), QStringLiteral("DUMMY1"));
    EXPECT_EQ(countContaining(right, QStringLiteral(" main display: no \u2192 yes")), 1);
    EXPECT_EQ(countContaining(main, QStringLiteral(" main display: yes \u2192 no")), 1);
    EXPECT_EQ(right->frame(), QRectF(1024, 0, 1280, 1024)) << "the primary moves, not the layout";
}

TEST_P(DisplayContract, AnOutputSwitchedOffIsNotConnectedAndComesBack) {
    const auto right = display("DUMMY1");
    ASSERT_TRUE(right);
    const auto uuid = right->uuid();

    ASSERT_TRUE(driver_->switchOff(QStringLiteral("DUMMY1")));
    ASSERT_TRUE(waitFor([&] { return right->availability() == SXAvailability::notConnected(); }));
    ASSERT_TRUE(driver_->switchOn(QStringLiteral("DUMMY1"), QPoint(1024, 0)));
    ASSERT_TRUE(waitFor([&] { return right->availability() == SXAvailability::available(); }));
    settleBriefly();

    EXPECT_EQ(display("DUMMY1"), right);
    EXPECT_EQ(right->uuid(), uuid);
    EXPECT_EQ(
        countContaining(right, QStringLiteral(" availability: available \u2192 notConnected")), 1);
    EXPECT_EQ(
        countContaining(right, QStringLiteral(" availability: notConnected \u2192 available")), 1);
    EXPECT_EQ(right->frame(), QRectF(1024, 0, 1280, 1024));
}

TEST_P(DisplayContract, ARefusedConfigurationLeavesTheLayoutAsItWas) {
    const auto right = display("DUMMY1");
    ASSERT_TRUE(right);
    const auto refused = driver_->refusedOrigin(QStringLiteral("DUMMY1"));

    EXPECT_NE(right->setOrigin(refused.x(), refused.y()), DisplayErrorCode::success);
    settleBriefly();
    EXPECT_EQ(driver_->queriedFrame(QStringLiteral("DUMMY1")), QRect(1024, 0, 1280, 1024));
    EXPECT_EQ(driver_->queriedFrame(QStringLiteral("DUMMY0")), QRect(0, 0, 1024, 768));
    EXPECT_EQ(right->frame(), QRectF(1024, 0, 1280, 1024));
    EXPECT_EQ(countContaining(right, QStringLiteral(" frame: ")), 0);
}

TEST_P(DisplayContract, TheMonitorNameComesFromTheEdid) {
    const auto right = display("DUMMY1");
    ASSERT_TRUE(right);
    // A base block with the monitor-name descriptor "TAVRIN 27" in the second slot; for the fake
    // only the name matters.
    QByteArray edid(128, '\0');
    if (driver_->kind() == QLatin1String("fake")) {
        edid = "TAVRIN 27";
    } else {
        const char header[] = {0,          char(0xFF), char(0xFF), char(0xFF),
                               char(0xFF), char(0xFF), char(0xFF), 0};
        edid.replace(0, 8, QByteArray(header, 8));
        edid[18] = 1;
        edid[19] = 4;
        edid[72 + 3] = char(0xFC);
        edid.replace(72 + 5, 13, QByteArray("TAVRIN 27\n   "));
        std::uint8_t sum = 0;
        for (int i = 0; i < 127; ++i) {
            sum = std::uint8_t(sum + std::uint8_t(edid[i]));
        }
        edid[127] = char(std::uint8_t(0x100 - sum));
    }
    ASSERT_TRUE(driver_->setEdid(QStringLiteral("DUMMY1"), edid));
    EXPECT_TRUE(waitFor([&] { return right->localizedName() == QStringLiteral("TAVRIN 27"); }));
    ASSERT_TRUE(driver_->setEdid(QStringLiteral("DUMMY1"), {}));
    EXPECT_TRUE(waitFor([&] { return right->localizedName() == QStringLiteral("DUMMY1"); }));
}

}  // namespace
}  // namespace tavrin::testing
