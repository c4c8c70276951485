#include "ui/CameraInspectorView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/AppContext.h"
#include "camera/CameraDevice.h"
#include "camera/CameraText.h"
#include "camera/VideoEffectsObserver.h"
#include "catalogue/DeviceEntry.h"
#include "runtime/FourCharCode.h"
#include "runtime/TextFormat.h"
#include "ui/ElidedLabel.h"
#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/InspectorWidgets.h"
#include "ui/RetiredWidget.h"
#include "ui/StatusColors.h"
#include "ui/UVCInspectorSection.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

struct ModeRow {
    const char* label;
    const QList<int>& (CameraDevice::*supported)() const;
    int (CameraDevice::*current)() const;
    std::optional<ConfigurationError> (CameraDevice::*set)(int);
    QString (*name)(int);
};

const std::array<ModeRow, 3> modeRows{{
    {"Exposure", &CameraDevice::supportedExposureModes, &CameraDevice::exposureMode,
     &CameraDevice::setExposureMode, &CameraText::exposureMode},
    {"Focus", &CameraDevice::supportedFocusModes, &CameraDevice::focusMode,
     &CameraDevice::setFocusMode, &CameraText::focusMode},
    {"White Balance", &CameraDevice::supportedWhiteBalanceModes, &CameraDevice::whiteBalanceMode,
     &CameraDevice::setWhiteBalanceMode, &CameraText::whiteBalanceMode},
}};

// A frame rate as the duration that fixes it, to the microsecond.
MediaTime frameDuration(double framesPerSecond) {
    return MediaTime::make(1000, std::int32_t(std::lround(framesPerSecond * 1000)));
}

QWidget* hbox(std::initializer_list<QWidget*> widgets, int spacing) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (auto* widget : widgets) {
        widget->setParent(box);
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    return box;
}

bool anyFormat(const CameraDevice& camera, bool CaptureDeviceFormat::*flag) {
    return std::any_of(camera.formats().cbegin(), camera.formats().cend(),
                       [flag](const CaptureFormat& format) { return format && (*format).*flag; });
}

const char* const effectRows[] = {"Portrait Effect", "Studio Light", "Background Replace",
                                  "Reaction Gestures"};

}  // namespace

QString cameraFormatTitle(const CaptureDeviceFormat& format) {
    const auto code = fourCharCodeText(format.mediaSubtype);
    auto title = QString::number(format.width) + QStringLiteral(" \u00d7 ") +
                 QString::number(format.height) + QStringLiteral(" \u00b7 ") + code;
    if (const auto name = CameraText::pixelFormatName(code)) {
        title += QStringLiteral(" (") + *name + QLatin1Char(')');
    }
    return title;
}

QString inspectorColorSpaceName(int colorSpace) {
    // The inspector joins the two parts of the P3 name as the system's own settings write it.
    return colorSpace == 1 ? QStringLiteral("P3-D65") : CameraText::colorSpace(colorSpace);
}

CameraInspectorView::CameraInspectorView(AppContext& context, WindowState& state,
                                         std::shared_ptr<CameraDevice> camera, QWidget* parent)
    : QWidget(parent),
      context_(context),
      camera_(std::move(camera)),
      effects_(std::make_unique<VideoEffectsObserver>(context.queue(),
                                                      context.platform().captureDevices())) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto section = [&](const QString& title) {
        auto* made = new InspectorSection(title, true, this);
        index_.add(made);
        layout->addWidget(made);
        return made;
    };
    auto text = [](const QString& label, FontRole font = FontRole::callout,
                   TextStyle style = TextStyle::primary) {
        return new InspectorRow(label, font, style);
    };
    auto* model = camera_.get();

    auto* general = section(QStringLiteral("General"));
    for (const auto* label : {"Name", "Manufacturer", "Availability", "Connected", "Suspended",
                              "Device Type", "Position"}) {
        addRow(general, text(QString::fromLatin1(label)));
    }
    transport_ = new TransportView;
    addRow(general, new InspectorRow(QStringLiteral("Transport"), transport_));
    addRow(general, text(QStringLiteral("Virtual")));
    addRow(general, text(QStringLiteral("Is Running")));
    addRow(general, text(QStringLiteral("Model ID"), FontRole::monospacedCallout));
    uniqueID_ = makeIdentifierLabel();
    addRow(general, new InspectorRow(QStringLiteral("Unique ID"), uniqueID_));

    openedBy_ = section(QStringLiteral("Opened By"));
    openedBy_->setVisible(false);

    auto* video = section(QStringLiteral("Video Format"));
    formatPicker_ = makePicker(QStringLiteral("Format"));
    addRow(video, new InspectorRow(QStringLiteral("Format"), formatPicker_));
    frameRate_ = new InspectorSliderRow(QStringLiteral("Frame Rate"), 0, 1);
    addRow(video, frameRate_);
    frameRatePicker_ = makePicker(QStringLiteral("Frame Rate"));
    frameRatePickerRow_ =
        addRow(video, new InspectorRow(QStringLiteral("Frame Rate"), frameRatePicker_));
    colorSpacePicker_ = makePicker(QStringLiteral("Color Space"));
    colorSpaceText_ = makeValueLabel({}, FontRole::footnote, TextStyle::secondary);
    addRow(video, new InspectorRow(QStringLiteral("Color Space"),
                                   hbox({colorSpacePicker_, colorSpaceText_}, 0)));

    auto* modes = section(QStringLiteral("Auto Modes"));
    for (const auto& mode : modeRows) {
        const auto label = QString::fromLatin1(mode.label);
        auto* picker = makePicker(label);
        auto* name = makeValueLabel({}, FontRole::footnote, TextStyle::secondary);
        modePickers_.append(picker);
        modeTexts_.append(name);
        addRow(modes, new InspectorRow(label, hbox({picker, name}, 0)));
        connect(picker, &QComboBox::activated, this, [this, &mode, picker](int index) {
            const auto& supported = (camera_.get()->*mode.supported)();
            if (index >= 0 && index < supported.size()) {
                report((camera_.get()->*mode.set)(supported[index]), picker);
            }
        });
    }

    auto* effects = section(QStringLiteral("Video Effects"));
    centerStage_ = makeSwitch(QStringLiteral("Center Stage"));
    addRow(effects, new InspectorRow(QStringLiteral("Center Stage"), centerStage_));
    centerStageDot_ = new QLabel;
    centerStageDot_->setFixedSize(6, 6);
    centerStageState_ = makeValueLabel({}, FontRole::footnote, TextStyle::secondary);
    addRow(effects, new InspectorRow(QStringLiteral("Active"),
                                     hbox({centerStageDot_, centerStageState_}, 5)));
    for (const auto* label : effectRows) {
        // The system's state and the camera's, with a fainter dot between them.
        auto* system = makeValueLabel({}, FontRole::callout);
        auto* dot =
            makeValueLabel(QStringLiteral("\u00b7"), FontRole::callout, TextStyle::tertiary);
        auto* camera = makeValueLabel({}, FontRole::callout);
        effectLabels_.append(std::pair(system, camera));
        addRow(effects,
               new InspectorRow(QString::fromLatin1(label), hbox({system, dot, camera}, 4)));
    }
    addRow(effects, text(QStringLiteral("Reactions"), FontRole::footnote, TextStyle::secondary));

    auto* preferred = section(QStringLiteral("Preferred Camera"));
    addRow(preferred,
           text(QStringLiteral("User Preferred"), FontRole::footnote, TextStyle::secondary));
    addRow(preferred,
           text(QStringLiteral("System Preferred"), FontRole::footnote, TextStyle::secondary));
    makePreferred_ = new QPushButton(QStringLiteral("Make User Preferred"));
    addRow(preferred, new InspectorRow(QStringLiteral("Set Preferred"), hbox({makePreferred_}, 0)));

    // The UVC sections come in when the camera's controller has opened on its own thread.
    auto showUVC = [this, model, layout, &context, &state] {
        if (uvc_ || !model->hasUVCController()) {
            return;
        }
        uvc_ = new UVCInspectorSection(context.queue(), model->uvcController(), state, this);
        layout->insertWidget(layout->count() - 1, uvc_);
        auto reachable = [this, model] {
            uvc_->setDeviceReachable(model->isConnected() &&
                                     model->availability().knownCase() !=
                                         SXAvailability::Case::notConnected);
        };
        connect(model, &CameraDevice::isConnectedChanged, uvc_, reachable);
        connect(model, &CameraDevice::availabilityChanged, uvc_, reachable);
        reachable();
    };
    model->uvcController();
    connect(model, &CameraDevice::hasUVCControllerChanged, this, showUVC);
    layout->addStretch(1);
    showUVC();

    connect(formatPicker_, &QComboBox::activated, this, [this](int index) {
        const auto& formats = camera_->formats();
        if (index >= 0 && index < formats.size()) {
            report(camera_->setActiveFormat(formats[index]), formatPicker_);
        }
    });
    connect(frameRate_, &InspectorSliderRow::valueEdited, this, [this](double fps) {
        if (fps > 0) {
            report(camera_->setFrameDuration(frameDuration(fps)));
        }
    });
    connect(frameRatePicker_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < pickedFrameDurations_.size()) {
            report(camera_->setFrameDuration(pickedFrameDurations_[index]), frameRatePicker_);
        }
    });
    connect(colorSpacePicker_, &QComboBox::activated, this, [this](int index) {
        const auto& format = camera_->activeFormat();
        if (format && index >= 0 && index < format->supportedColorSpaces.size()) {
            report(camera_->setActiveColorSpace(format->supportedColorSpaces[index]),
                   colorSpacePicker_);
        }
    });
    connect(centerStage_, &QCheckBox::clicked, this, [this](bool on) {
        auto& capture = context_.platform().captureDevices();
        // While the user alone controls Center Stage the system ignores applications: share it.
        if (effects_->centerStageControlMode() == CenterStageControlMode::user) {
            capture.setCenterStageControlMode(CenterStageControlMode::cooperative);
        }
        capture.setCenterStageEnabled(on);
        refreshEffects();
    });
    connect(makePreferred_, &QPushButton::clicked, this, [this] {
        if (const auto& device = camera_->avDevice()) {
            context_.platform().captureDevices().setUserPreferredCamera(device->uniqueID());
            refreshPreferred();
        }
    });

    for (auto signal :
         {&CaptureSourceDevice::localizedNameChanged, &CaptureSourceDevice::manufacturerChanged,
          &CaptureSourceDevice::modelIDChanged, &CaptureSourceDevice::isVirtualChanged,
          &CaptureSourceDevice::availabilityChanged,
          &CaptureSourceDevice::isRunningSomewhereChanged}) {
        connect(model, signal, this, &CameraInspectorView::refresh);
    }
    for (auto signal : {&CameraDevice::isConnectedChanged, &CameraDevice::isSuspendedChanged}) {
        connect(model, signal, this, &CameraInspectorView::refresh);
    }
    for (auto signal :
         {&CameraDevice::activeFormatChanged, &CameraDevice::formatsChanged,
          &CameraDevice::activeFrameDurationsChanged, &CameraDevice::activeColorSpaceChanged}) {
        connect(model, signal, this, &CameraInspectorView::refreshFormat);
    }
    for (auto signal : {&CameraDevice::formatsChanged, &CameraDevice::exposureModeChanged,
                        &CameraDevice::focusModeChanged, &CameraDevice::whiteBalanceModeChanged}) {
        connect(model, signal, this, &CameraInspectorView::refreshModes);
    }
    for (auto signal : {&CameraDevice::formatsChanged, &CameraDevice::effectsChanged}) {
        connect(model, signal, this, &CameraInspectorView::refreshEffects);
    }
    auto* observer = effects_.get();
    for (auto signal : {&VideoEffectsObserver::isCenterStageEnabledChanged,
                        &VideoEffectsObserver::isPortraitEffectEnabledChanged,
                        &VideoEffectsObserver::isStudioLightEnabledChanged,
                        &VideoEffectsObserver::isBackgroundReplacementEnabledChanged,
                        &VideoEffectsObserver::reactionEffectsEnabledChanged,
                        &VideoEffectsObserver::reactionEffectGesturesEnabledChanged}) {
        connect(observer, signal, this, &CameraInspectorView::refreshEffects);
    }
    // The preferred cameras are class-wide values, observed like the effect settings.
    auto& capture = context.platform().captureDevices();
    for (const auto& keyPath : {PreferredCameraKeyPath::user, PreferredCameraKeyPath::system}) {
        preferredObservers_.push_back(
            capture.observeVideoEffect(keyPath, [&queue = context.queue(), self = QPointer(this)] {
                queue.post([self] {
                    if (self) {
                        self->refreshPreferred();
                    }
                });
            }));
    }
    refresh();
}

CameraInspectorView::~CameraInspectorView() = default;

QString CameraInspectorView::effectText(const QString& label) const {
    for (qsizetype i = 0; i < effectLabels_.size(); ++i) {
        if (label == QLatin1String(effectRows[i])) {
            return effectLabels_[i].first->text() + QStringLiteral(" \u00b7 ") +
                   effectLabels_[i].second->text();
        }
    }
    return {};
}

QComboBox* CameraInspectorView::modePicker(const QString& label) const {
    for (std::size_t i = 0; i < modeRows.size(); ++i) {
        if (label == QLatin1String(modeRows[i].label)) {
            return modePickers_[qsizetype(i)];
        }
    }
    return nullptr;
}

void CameraInspectorView::refresh() {
    const auto& c = *camera_;
    row(QStringLiteral("Name"))->setText(c.localizedName());
    row(QStringLiteral("Manufacturer"))->setText(c.manufacturer());
    row(QStringLiteral("Availability"))->setText(c.availability().status());
    const auto& device = c.avDevice();
    for (const auto* label : {"Connected", "Suspended", "Device Type", "Transport"}) {
        row(QString::fromLatin1(label))->setVisible(device != nullptr);
    }
    const auto position = device ? device->position() : CameraPosition::unspecified;
    row(QStringLiteral("Position"))->setVisible(position != CameraPosition::unspecified);
    if (device) {
        row(QStringLiteral("Connected"))->setText(yesNoWord(c.isConnected()));
        row(QStringLiteral("Suspended"))->setText(yesNoWord(c.isSuspended()));
        row(QStringLiteral("Device Type"))->setText(c.deviceTypeName());
        row(QStringLiteral("Position"))
            ->setText(position == CameraPosition::back ? QStringLiteral("Back")
                                                       : QStringLiteral("Front"));
        transport_->setTransport(CaptureTransportType{device->transportType()});
    }
    row(QStringLiteral("Virtual"))->setText(yesNoWord(c.isVirtual()));
    row(QStringLiteral("Is Running"))->setText(yesNoWord(c.isRunningSomewhere()));
    row(QStringLiteral("Model ID"))->setText(c.modelID());
    uniqueID_->setFullText(c.id());
    refreshFormat();
    refreshModes();
    refreshEffects();
    refreshPreferred();
}

void CameraInspectorView::refreshFormat() {
    auto& c = *camera_;
    QStringList titles;
    int current = -1;
    for (const auto& format : c.formats()) {
        if (format && sameFormat(format, c.activeFormat())) {
            current = int(titles.size());
        }
        titles.append(format ? cameraFormatTitle(*format) : absentText());
    }
    setPickerItems(formatPicker_, titles, current);
    formatPicker_->setEnabled(!c.formats().isEmpty() && c.entry().status().isActive);

    const auto& format = c.activeFormat();
    const qsizetype rangeCount = format ? format->frameRateRanges.size() : 0;
    const bool hasRange = rangeCount == 1;
    frameRate_->setVisible(hasRange);
    frameRatePickerRow_->setVisible(rangeCount >= 2);
    if (rangeCount >= 2) {
        showFrameRateChoices(*format, c.activeMinFrameDuration());
        frameRatePicker_->setEnabled(c.entry().status().isActive);
    }
    if (hasRange) {
        const auto& range = format->frameRateRanges.first();
        const double upper = std::max(range.minFrameRate, range.maxFrameRate);
        frameRate_->setRange(range.minFrameRate, upper);
        const auto& duration = c.activeMinFrameDuration();
        const double fps =
            duration.isValid() && duration.value > 0 ? 1.0 / duration.seconds() : upper;
        frameRate_->setValue(fps);
        frameRate_->setReadout(QString::number(qint64(std::trunc(frameRate_->value()))) +
                               QStringLiteral(" fps"));
        frameRate_->setEnabled(range.minFrameRate != range.maxFrameRate);
    }

    row(QStringLiteral("Color Space"))->setVisible(format != nullptr);
    if (format) {
        const auto& spaces = format->supportedColorSpaces;
        const bool picks = spaces.size() >= 2;
        colorSpacePicker_->setVisible(picks);
        colorSpaceText_->setVisible(!picks);
        if (picks) {
            QStringList names;
            for (const int space : spaces) {
                names.append(inspectorColorSpaceName(space));
            }
            setPickerItems(colorSpacePicker_, names, int(spaces.indexOf(c.activeColorSpace())));
        } else {
            colorSpaceText_->setText(inspectorColorSpaceName(c.activeColorSpace()));
        }
    }
}

void CameraInspectorView::refreshModes() {
    const auto& c = *camera_;
    bool any = false;
    for (std::size_t i = 0; i < modeRows.size(); ++i) {
        const auto& mode = modeRows[i];
        const auto& supported = (c.*mode.supported)();
        auto* modeRow = row(QString::fromLatin1(mode.label));
        modeRow->setVisible(!supported.isEmpty());
        any |= !supported.isEmpty();
        auto* picker = modePickers_[qsizetype(i)];
        auto* name = modeTexts_[qsizetype(i)];
        const bool picks = supported.size() >= 2;
        picker->setVisible(picks);
        name->setVisible(!picks);
        const int current = (c.*mode.current)();
        if (picks) {
            QStringList names;
            for (const int value : supported) {
                names.append(mode.name(value));
            }
            setPickerItems(picker, names, int(supported.indexOf(current)));
        } else {
            name->setText(mode.name(current));
        }
    }
    section(QStringLiteral("Auto Modes"))->setVisible(any);
}

void CameraInspectorView::refreshEffects() {
    const auto& c = *camera_;
    const bool centerStage = anyFormat(c, &CaptureDeviceFormat::isCenterStageSupported);
    const bool supported[] = {anyFormat(c, &CaptureDeviceFormat::isPortraitEffectSupported),
                              anyFormat(c, &CaptureDeviceFormat::isStudioLightSupported),
                              anyFormat(c, &CaptureDeviceFormat::isBackgroundReplacementSupported),
                              anyFormat(c, &CaptureDeviceFormat::reactionEffectsSupported)};
    const bool enabled[] = {effects_->isPortraitEffectEnabled(), effects_->isStudioLightEnabled(),
                            effects_->isBackgroundReplacementEnabled(),
                            effects_->reactionEffectGesturesEnabled()};
    const bool active[] = {c.isPortraitEffectActive(), c.isStudioLightActive(),
                           c.isBackgroundReplacementActive(), c.canPerformReactionEffects()};
    const bool reactions = supported[3];
    section(QStringLiteral("Video Effects"))
        ->setVisible(centerStage || std::any_of(std::begin(supported), std::end(supported),
                                                [](bool s) { return s; }));

    row(QStringLiteral("Center Stage"))->setVisible(centerStage);
    row(QStringLiteral("Active"))->setVisible(centerStage);
    centerStage_->setChecked(effects_->isCenterStageEnabled());
    const auto dot = c.isCenterStageActive() ? tintColor(StatusTint::green, palette())
                                             : palette().color(QPalette::PlaceholderText);
    centerStageDot_->setStyleSheet(
        QStringLiteral("background-color: %1; border-radius: 3px;").arg(dot.name()));
    centerStageState_->setText(c.isCenterStageActive() ? QStringLiteral("Active")
                                                       : QStringLiteral("Inactive"));
    for (int i = 0; i < 4; ++i) {
        auto* effectRow = row(QString::fromLatin1(effectRows[i]));
        effectRow->setVisible(supported[i]);
        const auto& [system, camera] = effectLabels_[i];
        system->setText(enabled[i] ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
        camera->setText(active[i] ? QStringLiteral("Active") : QStringLiteral("Inactive"));
    }
    auto* reactionsRow = row(QStringLiteral("Reactions"));
    reactionsRow->setVisible(reactions);
    reactionsRow->setText(effects_->reactionEffectsEnabled() ? QStringLiteral("On")
                                                             : QStringLiteral("Off"));
}

void CameraInspectorView::refreshPreferred() {
    const auto& device = camera_->avDevice();
    const auto& capture = context_.platform().captureDevices();
    const auto id = device ? std::optional(device->uniqueID()) : std::nullopt;
    const bool isUserPreferred = id && capture.userPreferredCamera() == id;
    const bool isSystemPreferred = id && capture.systemPreferredCamera() == id;
    row(QStringLiteral("User Preferred"))->setText(yesNoWord(isUserPreferred));
    row(QStringLiteral("System Preferred"))->setText(yesNoWord(isSystemPreferred));
    makePreferred_->setEnabled(device && !isUserPreferred && capture.supportsPreferredCameras());
    makePreferred_->setToolTip(capture.supportsPreferredCameras()
                                   ? QString()
                                   : QStringLiteral("This system has no preferred camera"));
}

void CameraInspectorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!openerRefresh_.isActive()) {
        refreshOpeners();
        scheduleOpenerRefresh();
    }
}

void CameraInspectorView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    openerRefresh_.cancel();
}

void CameraInspectorView::scheduleOpenerRefresh() {
    openerRefresh_ = context_.queue().schedule(std::chrono::seconds(1), [self = QPointer(this)] {
        if (self) {
            self->refreshOpeners();
            self->scheduleOpenerRefresh();
        }
    });
}

// Each range of the format is one choice, at its fastest rate: V4L2 gives a webcam's discrete
// intervals as one-rate ranges. The choice writes the range's own frame duration, exactly.
void CameraInspectorView::showFrameRateChoices(const CaptureDeviceFormat& format,
                                               const MediaTime& active) {
    auto ranges = format.frameRateRanges;
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const auto& a, const auto& b) { return a.maxFrameRate > b.maxFrameRate; });
    QList<MediaTime> durations;
    QStringList titles;
    int current = -1;
    for (const auto& range : ranges) {
        if (durations.contains(range.minFrameDuration)) {
            continue;
        }
        if (range.minFrameDuration == active) {
            current = int(durations.size());
        }
        durations.append(range.minFrameDuration);
        titles.append(CameraText::frameRate(range.minFrameDuration));
    }
    pickedFrameDurations_ = durations;
    setPickerItems(frameRatePicker_, titles, current);
}

// Like a microphone's capture clients: a row per process, its name and PID.
void CameraInspectorView::refreshOpeners() {
    const auto& device = camera_->avDevice();
    auto openers = device ? device->openedBy() : QList<CaptureDeviceOpener>();
    if (openers == openers_) {
        return;
    }
    openers_ = std::move(openers);
    retireWidgets(openerRows_);
    openedBy_->setVisible(!openers_.isEmpty());
    for (const auto& opener : openers_) {
        auto* pid = makeValueLabel(QStringLiteral("PID ") + QString::number(opener.pid),
                                   FontRole::monospacedFootnote, TextStyle::tertiary);
        auto* row = new InspectorRow(
            opener.name.isEmpty() ? QStringLiteral("PID %1").arg(opener.pid) : opener.name, pid);
        openedBy_->addRow(row);
        openerRows_.append(row);
    }
}

void CameraInspectorView::report(const std::optional<ConfigurationError>& error,
                                 QComboBox* picked) {
    // The pickers and the slider go back to what the camera reports, whatever happened; a
    // refused pick at once, rather than after the hold for its answer.
    if (auto* eliding = qobject_cast<ElidingComboBox*>(picked); eliding && error) {
        eliding->releasePick();
    }
    refreshFormat();
    refreshModes();
    if (!error) {
        return;
    }
    configurationError_ = error->localizedDescription();
    if (alert_) {
        alert_->setInformativeText(*configurationError_);
        return;
    }
    alert_ = new QMessageBox(QMessageBox::Warning, QStringLiteral("Camera configuration failed"),
                             QStringLiteral("Camera configuration failed"), QMessageBox::Ok, this);
    alert_->setInformativeText(*configurationError_);
    alert_->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert_, &QMessageBox::finished, this, [this] { configurationError_.reset(); });
    alert_->open();
}

}  // namespace tavrin
