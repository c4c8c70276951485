#include "ui/MicrophoneMeterSection.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "audio/MicrophoneDevice.h"
#include "audio/MicrophoneMeter.h"
#include "catalogue/DeviceEventLog.h"
#include "platform/SXAuthorizationStatus.h"
#include "ui/CentredMessage.h"
#include "ui/MeterLevelsView.h"
#include "ui/OnScreenWatch.h"
#include "ui/SectionHeader.h"
#include "ui/SectionPanel.h"
#include "ui/StatusColors.h"
#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"
#include "ui/WindowState.h"

namespace tavrin {

namespace {

// More channels than any capture format carries: a larger count is a fault of the source, and
// its bars would not fit any window.
constexpr std::uint32_t mostChannelsShown = 64;

}  // namespace

MicrophoneMeterSection::MicrophoneMeterSection(std::shared_ptr<MicrophoneDevice> microphone,
                                               WindowState& state,
                                               SXAuthorizationStatus& authorization,
                                               DeviceEventLog& log, MainThreadQueue& queue,
                                               AudioCaptureService& capture, QWidget* parent)
    : QWidget(parent),
      microphone_(std::move(microphone)),
      state_(state),
      authorization_(authorization),
      log_(log),
      meter_(std::make_unique<MicrophoneMeter>(queue, capture)),
      onScreen_(new OnScreenWatch(this)) {
    setAccessibleName(QStringLiteral("Input Level"));
    connect(onScreen_, &OnScreenWatch::onScreenChanged, this, &MicrophoneMeterSection::updateMeter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(SectionPanel::spacing);
    layout->addWidget(new SectionHeader(QStringLiteral("Input Level"), nullptr, this));

    panel_ = new QWidget(this);
    panel_->setFixedHeight(meterAreaHeight + 2 * padding);
    pages_ = new QStackedLayout(panel_);
    pages_->setContentsMargins(padding, padding, padding, padding);
    accessPage_ = makeAccessPage();
    noFormatPage_ = makeNoFormatPage();
    meterPage_ = makeMeterPage();
    for (auto* page : {accessPage_, noFormatPage_, meterPage_}) {
        pages_->addWidget(page);
    }
    layout->addWidget(panel_);

    connect(meter_.get(), &MicrophoneMeter::stateChanged, this, &MicrophoneMeterSection::refresh);
    connect(&state_, &WindowState::microphoneMeterEnabledChanged, this, [this] {
        updateMeter();
        refresh();
    });
    connect(microphone_.get(), &MicrophoneDevice::activeFormatChanged, this,
            &MicrophoneMeterSection::refresh);
    authorizationSubscription_ = authorization_.isAuthorized.subscribe([this](bool authorized) {
        if (authorized == isAuthorized_) {
            return;
        }
        isAuthorized_ = authorized;
        updateMeter();
        refresh();
    });
    refresh();
}

MicrophoneMeterSection::~MicrophoneMeterSection() {
    // The widget's own destructor hides it after the meter is gone: nothing may answer that.
    delete onScreen_;
    meter_->stop();
}

QWidget* MicrophoneMeterSection::makeAccessPage() {
    allow_ = SectionPanel::makeButton(QStringLiteral("Allow Microphone Access"), {}, nullptr);
    connect(allow_, &QPushButton::clicked, this,
            [this] { authorization_.requestAccess(true, {}); });
    return CentredMessage{QStringLiteral("mic.slash.fill"),
                          32,
                          palette().color(QPalette::PlaceholderText),
                          QStringLiteral("Microphone access required to show levels."),
                          {},
                          12}
        .make(allow_, panel_);
}

QWidget* MicrophoneMeterSection::makeNoFormatPage() {
    return CentredMessage{QStringLiteral("waveform"),
                          28,
                          tertiaryColor(palette()),
                          QStringLiteral("No audio format reported."),
                          {},
                          8}
        .make(nullptr, panel_);
}

QWidget* MicrophoneMeterSection::makeMeterPage() {
    auto* page = new QWidget(panel_);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    levels_ = new MeterLevelsView(page);
    column->addWidget(levels_, 0, Qt::AlignLeft | Qt::AlignTop);

    status_ = new QWidget(page);
    auto* statusRow = new QHBoxLayout(status_);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->setSpacing(4);
    statusSymbol_ = new QLabel(status_);
    statusText_ = new QLabel(status_);
    statusText_->setFont(uiFont(FontRole::caption));
    statusText_->setForegroundRole(QPalette::PlaceholderText);
    statusRow->addWidget(statusSymbol_);
    statusRow->addWidget(statusText_);
    statusRow->addStretch(1);
    // Hidden while levels come in, yet still laid out, so nothing moves.
    auto policy = status_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    status_->setSizePolicy(policy);
    column->addWidget(status_);
    column->addStretch(1);

    enable_ =
        makeLargeButton(QStringLiteral("Enable Microphone"), QStringLiteral("mic.fill"), page);
    connect(enable_, &QPushButton::clicked, this, &MicrophoneMeterSection::enableMetering);
    page->installEventFilter(this);
    return page;
}

bool MicrophoneMeterSection::eventFilter(QObject* watched, QEvent* event) {
    // The enable button floats over the middle of the meter.
    if (watched == meterPage_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        enable_->adjustSize();
        enable_->move((meterPage_->width() - enable_->width()) / 2,
                      (meterPage_->height() - enable_->height()) / 2);
    }
    return QWidget::eventFilter(watched, event);
}

void MicrophoneMeterSection::enableMetering() {
    state_.setMicrophoneMeterEnabled(true);
    log_.record(microphone_->localizedName() + QStringLiteral(" meter started"),
                QStringLiteral("App"), microphone_->uuid());
}

void MicrophoneMeterSection::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void MicrophoneMeterSection::updateMeter() {
    const bool shouldRun =
        onScreen_->isOnScreen() && isAuthorized_ && state_.isMicrophoneMeterEnabled();
    if (shouldRun == meterRunning_) {
        return;
    }
    meterRunning_ = shouldRun;
    if (shouldRun) {
        meter_->start(microphone_->id());
    } else {
        meter_->stop();
    }
}

QList<ChannelLevel> MicrophoneMeterSection::displayedLevels() const {
    const auto& meterState = meter_->state();
    if (state_.isMicrophoneMeterEnabled() &&
        meterState.kind != MicrophoneMeterState::Kind::missingAudio &&
        !meterState.levels.isEmpty()) {
        return meterState.levels.mid(0, mostChannelsShown);
    }
    const auto& format = microphone_->activeFormat();
    if (format && format->streamDescription && format->streamDescription->channelsPerFrame != 0) {
        const auto channels =
            std::min(format->streamDescription->channelsPerFrame, mostChannelsShown);
        return QList<ChannelLevel>(qsizetype(channels), ChannelLevel{});
    }
    return {};
}

MicrophoneMeterSection::Content MicrophoneMeterSection::content() const {
    if (!isAuthorized_) {
        return Content::access;
    }
    return displayedLevels().isEmpty() ? Content::noFormat : Content::meter;
}

void MicrophoneMeterSection::refresh() {
    const auto shown = content();
    pages_->setCurrentWidget(shown == Content::access     ? accessPage_
                             : shown == Content::noFormat ? noFormatPage_
                                                          : meterPage_);
    if (shown != Content::meter) {
        return;
    }
    const bool enabled = state_.isMicrophoneMeterEnabled();
    levels_->setLevels(displayedLevels(), enabled);
    enable_->setVisible(!enabled);

    QString symbol = QStringLiteral("waveform");
    QString text = QStringLiteral("Metering");
    bool visible = false;
    if (!enabled) {
        symbol = QStringLiteral("mic.slash");
        text = QStringLiteral("Meter is off.");
        visible = true;
    } else if (meter_->state().kind == MicrophoneMeterState::Kind::missingAudio) {
        symbol = QStringLiteral("hourglass");
        text = QStringLiteral("Waiting for audio\u2026");
        visible = true;
    }
    if (statusText_->text() != text) {
        statusText_->setText(text);
        statusSymbol_->setPixmap(tintedSymbol(
            symbol, 12, palette().color(QPalette::PlaceholderText), devicePixelRatioF()));
    }
    status_->setVisible(visible);
}

void MicrophoneMeterSection::paintEvent(QPaintEvent*) {
    // The panel's rounded fill and its one-point outline, behind whichever content is shown.
    SectionPanel::paintRect(this, panel_->geometry(), withOpacity(quaternaryColor(palette()), 0.4),
                            quaternaryColor(palette()));
}

}  // namespace tavrin
