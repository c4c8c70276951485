#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTableView>
#include <numeric>
#include <tuple>

#include "camera/CameraTestSupport.h"
#include "ui/CameraFormatsModel.h"
#include "ui/CameraFormatsTable.h"
#include "ui/UiTestEnvironment.h"

namespace tavrin {
namespace {

using testing::rateRange;
using testing::UiTestEnvironment;
using testing::videoFormat;
using Column = CameraFormatsModel::Column;

QString cell(const CaptureFormat& format, Column column) {
    return CameraFormatsModel::cellText(*format, CameraFormatSummary::make(*format), column);
}

class CameraFormatTextTest : public ::testing::Test {
protected:
    testing::ScopedLocale locale_{QLocale(QLocale::English, QLocale::UnitedStates)};
};

TEST_F(CameraFormatTextTest, ResolutionAspectAndMegapixelsOfCommonSizes) {
    const auto vga = videoFormat(640, 480, "420v");
    EXPECT_EQ(cell(vga, Column::resolution), QStringLiteral("640 × 480"));
    EXPECT_EQ(cell(vga, Column::aspect), QStringLiteral("4:3"));
    EXPECT_EQ(cell(vga, Column::megapixels), QStringLiteral("0.31"));
    const auto hd = videoFormat(1920, 1080, "420v");
    EXPECT_EQ(cell(hd, Column::aspect), QStringLiteral("16:9"));
    EXPECT_EQ(cell(hd, Column::megapixels), QStringLiteral("2.07"));
    // An odd sensor size reduces as far as it goes, not to the nearest familiar ratio.
    EXPECT_EQ(CameraFormatsModel::aspectText(1366, 768), QStringLiteral("683:384"));
    EXPECT_EQ(CameraFormatsModel::aspectText(0, 480), QStringLiteral("—"));
    EXPECT_EQ(CameraFormatsModel::aspectText(640, -1), QStringLiteral("—"));
}

TEST_F(CameraFormatTextTest, FrameRatesSpanAllRangesOrNameTheOneRate) {
    EXPECT_EQ(cell(videoFormat(640, 480, "yuvs", {rateRange(5, 30), rateRange(1, 15)}),
                   Column::frameRate),
              QStringLiteral("1–30 fps"));
    EXPECT_EQ(cell(videoFormat(640, 480, "yuvs", {rateRange(30, 30), rateRange(30, 30)}),
                   Column::frameRate),
              QStringLiteral("30 fps"));
    EXPECT_EQ(cell(videoFormat(640, 480, "yuvs"), Column::frameRate), QString());
    auto ntsc = videoFormat(640, 480, "yuvs", {rateRange(29.97, 29.97)});
    EXPECT_EQ(cell(ntsc, Column::frameRate), QStringLiteral("29.97 fps"));
}

TEST_F(CameraFormatTextTest, NumbersFollowTheLocaleWithoutGrouping) {
    testing::ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(cell(videoFormat(640, 480, "420v"), Column::megapixels), QStringLiteral("0,31"));
    EXPECT_EQ(cell(videoFormat(100000, 100000, "420v"), Column::megapixels),
              QStringLiteral("10000"));
    EXPECT_EQ(cell(videoFormat(640, 480, "yuvs", {rateRange(7.5, 29.97)}), Column::frameRate),
              QStringLiteral("7,5–29,97 fps"));
}

TEST_F(CameraFormatTextTest, PixelFormatColourSpacesAndFocusSystem) {
    auto format = std::const_pointer_cast<CaptureDeviceFormat>(videoFormat(640, 480, "420v"));
    EXPECT_EQ(cell(format, Column::pixelFormat), QStringLiteral("420v (NV12)"));
    EXPECT_EQ(cell(videoFormat(640, 480, "abcd"), Column::pixelFormat), QStringLiteral("abcd"));
    EXPECT_EQ(cell(format, Column::colorSpace), QStringLiteral("—"));
    EXPECT_EQ(cell(format, Column::autoFocus), QStringLiteral("—"));
    format->supportedColorSpaces = {0, 1, 2, 3, 7};
    format->autoFocusSystem = 2;
    EXPECT_EQ(cell(format, Column::colorSpace),
              QStringLiteral("sRGB, P3-D65, HLG BT.2020, Apple Log, 7"));
    EXPECT_EQ(cell(format, Column::autoFocus), QStringLiteral("Phase"));
    format->autoFocusSystem = 1;
    EXPECT_EQ(cell(format, Column::autoFocus), QStringLiteral("Contrast"));
}

class CameraFormatsTableTest : public ::testing::Test {
protected:
    testing::CameraUnderTest plug(int formatCount) {
        FakeCaptureDeviceState state;
        state.deviceType = QStringLiteral("AVCaptureDeviceTypeExternal");
        for (int i = 0; i < formatCount; ++i) {
            state.formats.append(videoFormat(320 * (i + 1), 240 * (i + 1), "420v"));
        }
        if (!state.formats.isEmpty()) {
            state.activeFormat = state.formats.first();
        }
        return testing::plugCamera(env_, state);
    }

    UiTestEnvironment env_;
    testing::ScopedLocale locale_{QLocale(QLocale::English, QLocale::UnitedStates)};
};

TEST(CameraFormatsTableSizeTest, TheHeaderCountsFormatsAndTheHeightStopsGrowingAtTenRows) {
    for (const auto& [count, text, height] :
         {std::tuple(0, "0 formats", 60), std::tuple(1, "1 format", 60),
          std::tuple(3, "3 formats", 108), std::tuple(12, "12 formats", 316)}) {
        UiTestEnvironment env;
        FakeCaptureDeviceState state;
        for (int i = 0; i < count; ++i) {
            state.formats.append(videoFormat(640 + i, 480, "420v"));
        }
        auto camera = testing::plugCamera(env, state).camera;
        CameraFormatsTable table(camera);
        EXPECT_EQ(table.countText(), QString::fromUtf8(text)) << count;
        EXPECT_EQ(table.table()->height(), height) << count;
        EXPECT_EQ(table.model()->rowCount(), count);
    }
}

TEST_F(CameraFormatsTableTest, TheMarkFollowsTheActiveFormatAndTellsOnlyTheTwoRows) {
    auto [capture, camera] = plug(3);
    CameraFormatsTable table(camera);
    auto* model = table.model();
    EXPECT_EQ(model->activeRow(), 0);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);

    const auto third = capture->state().formats[2];
    capture->change({QStringLiteral("activeFormat")},
                    [&](FakeCaptureDeviceState& state) { state.activeFormat = third; });
    env_.settleAll();
    EXPECT_EQ(model->activeRow(), 2);
    EXPECT_TRUE(model->index(2, Column::active).data(CameraFormatsModel::isActiveRole).toBool());
    EXPECT_FALSE(model->index(0, Column::active).data(CameraFormatsModel::isActiveRole).toBool());
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 2);
    EXPECT_EQ(reset.count(), 0);
}

TEST_F(CameraFormatsTableTest, ANewFormatListReplacesTheRowsAndTheCount) {
    auto [capture, camera] = plug(3);
    CameraFormatsTable table(camera);
    capture->change({QStringLiteral("formats")}, [](FakeCaptureDeviceState& state) {
        state.formats = {videoFormat(1280, 720, "yuvs")};
        state.activeFormat = {};
    });
    env_.settleAll();
    ASSERT_EQ(camera->formats().size(), 1);
    EXPECT_EQ(table.countText(), QStringLiteral("1 format"));
    EXPECT_EQ(table.table()->height(), 60);
    EXPECT_EQ(table.model()->index(0, Column::resolution).data().toString(),
              QStringLiteral("1280 × 720"));
    EXPECT_EQ(table.model()->activeRow(), -1);
}

TEST(CameraFormatsColumnsTest, IdealWidthsGrowOnlyWithinTheirMaximumsAndShrinkToTheirMinimums) {
    const QList<int> ideal{50, 130, 70, 60, 110, 110, 140, 110};
    const QList<int> minimum{40, 110, 60, 50, 100, 100, 120, 100};
    EXPECT_EQ(CameraFormatsTable::columnWidths(780), ideal);
    EXPECT_EQ(CameraFormatsTable::columnWidths(680), minimum);
    EXPECT_EQ(CameraFormatsTable::columnWidths(300), minimum);  // scrolls sideways

    const auto wide = CameraFormatsTable::columnWidths(2000);
    EXPECT_EQ(std::accumulate(wide.begin(), wide.end(), 0), 2000);
    EXPECT_EQ(wide[Column::active], 60);
    EXPECT_EQ(wide[Column::aspect], 80);
    EXPECT_EQ(wide[Column::megapixels], 70);
    const auto narrow = CameraFormatsTable::columnWidths(730);
    EXPECT_EQ(std::accumulate(narrow.begin(), narrow.end(), 0), 730);
    for (qsizetype i = 0; i < narrow.size(); ++i) {
        EXPECT_GE(narrow[i], minimum[i]);
        EXPECT_LE(narrow[i], ideal[i]);
    }
}

}  // namespace
}  // namespace tavrin
