#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "audio/MicrophoneMeter.h"
#include "catalogue/DeviceStore.h"
#include "catalogue/MicrophoneDiscovery.h"
#include "platform/fake/FakePlatform.h"
#include "ui/ChannelBar.h"
#include "ui/ChannelReadoutRow.h"
#include "ui/MeterLevelsView.h"
#include "ui/MicrophoneMeterSection.h"
#include "ui/ScaleColumn.h"
#include "ui/StatusColors.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

using namespace tavrin;
using namespace std::chrono_literals;
using Content = MicrophoneMeterSection::Content;

namespace {

// The view as painted over nothing: its own pixels only.
QImage rendered(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int mostOpaqueAlpha(const QImage& image, const QRect& area) {
    int most = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            most = std::max(most, qAlpha(image.pixel(x, y)));
        }
    }
    return most;
}

CaptureFormat audioFormat(std::uint32_t channels) {
    auto format = std::make_shared<CaptureDeviceFormat>();
    format->mediaSubtype = linearPCMFormat;
    format->streamDescription = interleavedLinearPCM(48000, channels, 32, true);
    return format;
}

class MicrophoneMeterSectionTest : public ::testing::Test {
protected:
    std::shared_ptr<MicrophoneDevice> plug(std::optional<std::uint32_t> channels) {
        auto spec = tavrin::testing::captureSource(
            QStringLiteral("mic"), QStringLiteral("Studio Mic"), QStringLiteral("Sonance"),
            QStringLiteral("AVCaptureDeviceTypeMicrophone"));
        if (channels) {
            spec.captureDevice->formats = {audioFormat(*channels)};
        }
        env_.context().deviceStore();
        env_.fake().plugMicrophone(spec);
        env_.settleAll();
        return env_.context().deviceStore().microphoneDiscovery().microphones().first();
    }

    std::unique_ptr<MicrophoneMeterSection> section(const std::shared_ptr<MicrophoneDevice>& mic) {
        auto made = std::make_unique<MicrophoneMeterSection>(
            mic, state_,
            env_.fake().fakeFramework().authorizationStatus(SXAuthorizationSource::microphone),
            env_.context().eventLog(), env_.queue(), env_.fake().fakeAudioCapture());
        made->resize(500, 300);
        made->show();
        env_.settleAll();
        return made;
    }

    void setAuthorized(bool authorized) {
        env_.fake()
            .fakeFramework()
            .fakeAuthorization(SXAuthorizationSource::microphone)
            .setAuthorized(authorized);
        env_.settleAll();
    }

    tavrin::testing::UiTestEnvironment env_;
    WindowState state_;
};

TEST_F(MicrophoneMeterSectionTest, TheMeterRunsOnlyWithAccessTheSwitchAndTheSectionOnScreen) {
    auto view = section(plug(2));
    EXPECT_FALSE(view->isMeterRunning());
    state_.setMicrophoneMeterEnabled(true);
    EXPECT_TRUE(view->isMeterRunning());

    setAuthorized(false);
    EXPECT_FALSE(view->isMeterRunning());
    EXPECT_EQ(view->content(), Content::access);
    EXPECT_EQ(view->allowButton()->text(), QStringLiteral("Allow Microphone Access"));

    setAuthorized(true);
    EXPECT_TRUE(view->isMeterRunning());
    view->hide();
    EXPECT_FALSE(view->isMeterRunning());
    view->show();
    EXPECT_TRUE(view->isMeterRunning());
    state_.setMicrophoneMeterEnabled(false);
    EXPECT_FALSE(view->isMeterRunning());
}

TEST_F(MicrophoneMeterSectionTest, OffItShowsOutlinedSilentBarsAFadedScaleAndEnableButton) {
    auto mic = plug(2);
    auto view = section(mic);
    ASSERT_EQ(view->content(), Content::meter);
    EXPECT_EQ(view->levelsView()->levels(), (QList<ChannelLevel>{{}, {}}));
    EXPECT_FALSE(view->levelsView()->isMeterEnabled());
    EXPECT_EQ(view->levelsView()->readouts().texts(),
              (QList<QString>{QStringLiteral("\u2014\u221e"), QStringLiteral("\u2014\u221e")}));
    EXPECT_EQ(view->statusLabel()->text(), QStringLiteral("Meter is off."));
    EXPECT_TRUE(view->enableButton()->isVisible());

    // An outlined bar leaves its inside unpainted.
    QImage image(20, 150, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ChannelBar::paint(painter, QRectF(0, 0, 20, 150), {1, 1, 1}, false, view->palette());
    painter.end();
    EXPECT_EQ(qAlpha(image.pixel(10, 75)), 0);
    EXPECT_GT(qAlpha(image.pixel(0, 75)), 0);

    // The scale's labels and marks are painted at 30 % of their strength while the meter is
    // off, and at full strength once it runs.
    const QRect scaleArea(0, 0, int(ScaleColumn::frameWidth()),
                          int(MeterLevelsView::topInset + MeterLevelsView::barHeight + 6));
    const int faded = mostOpaqueAlpha(rendered(*view->levelsView()), scaleArea);

    QTest::mouseClick(view->enableButton(), Qt::LeftButton);
    env_.settleAll();
    const int full = mostOpaqueAlpha(rendered(*view->levelsView()), scaleArea);
    ASSERT_GT(full, 100);
    EXPECT_NEAR(double(faded) / full, 0.3, 0.05);
    EXPECT_TRUE(state_.isMicrophoneMeterEnabled());
    EXPECT_TRUE(view->isMeterRunning());
    EXPECT_FALSE(view->enableButton()->isVisible());
    EXPECT_EQ(view->statusLabel()->text(), QStringLiteral("Waiting for audio\u2026"));
    QList<DeviceEvent> events;
    for (const auto& event : env_.context().eventLog().events(mic->uuid())) {
        if (event.source == QStringLiteral("App")) {
            events.append(event);
        }
    }
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().message, QStringLiteral("Studio Mic meter started"));
    EXPECT_EQ(events.first().source, QStringLiteral("App"));
}

TEST_F(MicrophoneMeterSectionTest, ReadoutsAndMarkersFollowTheHeldPeak) {
    EXPECT_EQ(ChannelReadoutRow::decibelText(1.0), QStringLiteral("0"));
    EXPECT_EQ(ChannelReadoutRow::decibelText(0.5), QStringLiteral("-30"));
    EXPECT_EQ(ChannelReadoutRow::decibelText(0.005), QStringLiteral("\u2014\u221e"));
    EXPECT_EQ(ChannelReadoutRow::decibelText(2.0), QStringLiteral("0"));

    const QPalette palette;
    EXPECT_FALSE(ChannelBar::markerColor(0.004, palette));
    EXPECT_FALSE(ChannelBar::markerColor(std::nan(""), palette));
    EXPECT_EQ(ChannelBar::markerColor(0.95, palette), redColor(palette));
    EXPECT_EQ(ChannelBar::markerColor(std::numeric_limits<double>::infinity(), palette),
              redColor(palette));
    const auto yellow = ChannelBar::markerColor(0.75, palette);
    ASSERT_TRUE(yellow);
    EXPECT_NE(*yellow, redColor(palette));
    EXPECT_NE(*yellow, tintColor(StatusTint::green, palette));
    EXPECT_EQ(ChannelBar::markerColor(0.5, palette), tintColor(StatusTint::green, palette));

    // The marker is drawn where the held peak is: 0.75 of 150 points up.
    QImage image(20, 150, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ChannelBar::paint(painter, QRectF(0, 0, 20, 150), {0, 0, 0.75}, true, palette);
    painter.end();
    EXPECT_EQ(QColor(image.pixel(10, 150 - 112 - 1)).rgb(), yellow->rgb());
}

TEST_F(MicrophoneMeterSectionTest, GarbageLevelsAndChangingChannelCountsPaintWithinTheBars) {
    auto view = section(plug(2));
    state_.setMicrophoneMeterEnabled(true);
    env_.queue().advance(20ms);
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    view->meter().ingest({{nan, inf, -inf}, {inf, nan, 5}});
    view->meter().ingest({{nan, inf, -inf}, {inf, nan, 5}, {-1, -1, -1}});
    env_.settleAll();
    ASSERT_EQ(view->content(), Content::meter);
    EXPECT_EQ(view->levelsView()->levels().size(), 3);
    EXPECT_EQ(ChannelBar::drawable(nan), 0);
    EXPECT_EQ(ChannelBar::drawable(inf), 1);
    EXPECT_EQ(ChannelBar::drawable(-inf), 0);
    // Each bar paints what its level means, and nothing outside its own rectangle: a NaN or
    // negative level is an empty track, an infinite one a full bar, an infinite peak a marker at
    // the top.
    auto* levels = view->levelsView();
    levels->resize(levels->sizeHint());
    const QImage image = rendered(*levels);
    const QPalette palette = levels->palette();
    const int top = int(MeterLevelsView::topInset);
    const int middle = top + int(MeterLevelsView::barHeight / 2);
    const auto barLeft = [](int bar) {
        return int(MeterLevelsView::readoutInset() +
                   bar * (ChannelBar::width + MeterLevelsView::barSpacing));
    };
    const auto centre = [&](int bar) { return barLeft(bar) + int(ChannelBar::width / 2); };
    EXPECT_LT(qAlpha(image.pixel(centre(0), middle)), 128);
    EXPECT_EQ(QColor(image.pixel(centre(0), top)).rgb(), redColor(palette).rgb());
    EXPECT_EQ(QColor(image.pixel(centre(1), middle)).rgb(),
              tintColor(StatusTint::green, palette).rgb());
    EXPECT_EQ(QColor(image.pixel(centre(1), top)).rgb(), redColor(palette).rgb());
    EXPECT_LT(qAlpha(image.pixel(centre(2), middle)), 128);
    for (int bar = 0; bar < 3; ++bar) {
        EXPECT_EQ(mostOpaqueAlpha(image, QRect(barLeft(bar), 0, int(ChannelBar::width), top)), 0)
            << "above bar " << bar;
        const int gap = barLeft(bar) + int(ChannelBar::width) + 1;
        EXPECT_EQ(mostOpaqueAlpha(image, QRect(gap, top, int(MeterLevelsView::barSpacing) - 2,
                                               int(MeterLevelsView::barHeight))),
                  0)
            << "beside bar " << bar;
    }
    view->meter().ingest({{0.5, 0.5, 0.5}});
    env_.settleAll();
    EXPECT_EQ(view->levelsView()->levels().size(), 1);
}

TEST_F(MicrophoneMeterSectionTest, NoFormatAndNoLevelsSaysSo) {
    auto view = section(plug(std::nullopt));
    EXPECT_EQ(view->content(), Content::noFormat);
    EXPECT_TRUE(view->displayedLevels().isEmpty());
}

TEST_F(MicrophoneMeterSectionTest, FastLevelsRepaintAtMostOncePerFrame) {
    auto view = section(plug(2));
    state_.setMicrophoneMeterEnabled(true);
    env_.settleAll();
    QCoreApplication::processEvents();
    const int before = view->levelsView()->paintCount();
    QElapsedTimer burst;
    burst.start();
    for (int round = 1; round <= 50; ++round) {
        view->levelsView()->setLevels({{round / 100.0, 0, 0}}, true);
        QCoreApplication::processEvents();
    }
    const auto frames = burst.elapsed() / MeterLevelsView::frameMilliseconds;
    QTest::qWait(MeterLevelsView::frameMilliseconds * 3);
    // Fifty changes are painted at most once per frame that passed, plus the last one.
    const int painted = view->levelsView()->paintCount() - before;
    EXPECT_GE(painted, 1);
    EXPECT_LE(painted, frames + 2);
    // Equal levels paint nothing.
    const int settled = view->levelsView()->paintCount();
    view->levelsView()->setLevels(view->levelsView()->levels(), true);
    QTest::qWait(MeterLevelsView::frameMilliseconds * 2);
    EXPECT_EQ(view->levelsView()->paintCount(), settled);
}

// One rule with the camera's preview: the meter runs only while its section can be seen, and
// comes back by itself.
TEST_F(MicrophoneMeterSectionTest, TheMeterRunsOnlyWhileTheSectionCanBeSeen) {
    auto mic = plug(2);
    state_.setMicrophoneMeterEnabled(true);
    {
        auto view = section(mic);
        ASSERT_TRUE(view->isMeterRunning());
        view->setWindowState(Qt::WindowMinimized);
        env_.settleAll();
        EXPECT_FALSE(view->isMeterRunning());
        view->setWindowState(Qt::WindowNoState);
        env_.settleAll();
        EXPECT_TRUE(view->isMeterRunning());
    }

    QScrollArea area;
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    auto* view = new MicrophoneMeterSection(
        mic, state_,
        env_.fake().fakeFramework().authorizationStatus(SXAuthorizationSource::microphone),
        env_.context().eventLog(), env_.queue(), env_.fake().fakeAudioCapture());
    column->addWidget(view);
    auto* below = new QWidget;
    below->setFixedHeight(3000);
    column->addWidget(below);
    area.setWidget(content);
    area.setWidgetResizable(true);
    area.resize(500, 400);
    area.show();
    env_.settleAll();
    EXPECT_TRUE(view->isMeterRunning());
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum());
    env_.settleAll();
    EXPECT_FALSE(view->isMeterRunning());
    area.verticalScrollBar()->setValue(0);
    env_.settleAll();
    EXPECT_TRUE(view->isMeterRunning());
}

}  // namespace
