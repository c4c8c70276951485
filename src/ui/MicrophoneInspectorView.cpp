#include "ui/MicrophoneInspectorView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "audio/AudioDeviceLookup.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraText.h"
#include "runtime/FourCharCode.h"
#include "runtime/TextFormat.h"
#include "ui/ElidedLabel.h"
#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/InspectorWidgets.h"
#include "ui/RetiredWidget.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

QString hertzText(double rate) {
    return localizedNumberTextWithoutGrouping(rate) + QStringLiteral(" Hz");
}

// Two widgets in one row of which one shows at a time.
QWidget* either(QWidget* first, QWidget* second) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    first->setParent(box);
    second->setParent(box);
    layout->addWidget(first);
    layout->addWidget(second);
    return box;
}

}  // namespace

MicrophoneInspectorView::MicrophoneInspectorView(AppContext& context,
                                                 std::shared_ptr<MicrophoneDevice> microphone,
                                                 QWidget* parent)
    : QWidget(parent), context_(context), microphone_(std::move(microphone)) {
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

    auto* general = section(QStringLiteral("General"));
    addRow(general, text(QStringLiteral("Name")));
    addRow(general, text(QStringLiteral("Manufacturer")));
    addRow(general, text(QStringLiteral("Availability")));
    addRow(general, text(QStringLiteral("Connected")));
    addRow(general, text(QStringLiteral("Device Type")));
    transport_ = new TransportView;
    addRow(general, new InspectorRow(QStringLiteral("Transport"), transport_));
    addRow(general, text(QStringLiteral("Virtual")));
    addRow(general, text(QStringLiteral("Is Running")));
    muteSwitch_ = makeSwitch(QStringLiteral("Muted"));
    muteText_ = makeValueLabel({}, FontRole::footnote, TextStyle::tertiary);
    addRow(general, new InspectorRow(QStringLiteral("Muted"), either(muteSwitch_, muteText_)));
    addRow(general, text(QStringLiteral("Model ID"), FontRole::monospacedCallout));
    uniqueID_ = makeIdentifierLabel();
    addRow(general, new InspectorRow(QStringLiteral("Unique ID"), uniqueID_));

    capturedBy_ = section(QStringLiteral("Captured By"));

    audioFormat_ = section(QStringLiteral("Audio Format"));
    sampleRatePicker_ = makePicker(QStringLiteral("Sample Rate"));
    sampleRateText_ = makeValueLabel({}, FontRole::monospacedFootnote, TextStyle::secondary);
    addRow(audioFormat_, new InspectorRow(QStringLiteral("Sample Rate"),
                                          either(sampleRatePicker_, sampleRateText_)));
    volume_ = new InspectorSliderRow(QStringLiteral("Volume"), 0, 1);
    addRow(audioFormat_, volume_);
    for (const auto* label : {"Channels", "Bit Depth", "Frames per Packet", "Format"}) {
        addRow(audioFormat_, text(QString::fromLatin1(label), FontRole::monospacedFootnote));
    }

    inputSource_ = section(QStringLiteral("Input Source"));
    inputSourcePicker_ = makePicker(QStringLiteral("Input Source"));
    activeSourceText_ = makeValueLabel({}, FontRole::footnote, TextStyle::secondary);
    addRow(inputSource_, new InspectorRow(QStringLiteral("Active"),
                                          either(inputSourcePicker_, activeSourceText_)));

    auto* defaultInput = section(QStringLiteral("System Default Input"));
    addRow(defaultInput, text(QStringLiteral("Default Input")));
    makeDefault_ = new QPushButton(QStringLiteral("Make Default Input"));
    auto* buttonBox = new QWidget;
    auto* buttonLayout = new QHBoxLayout(buttonBox);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->addWidget(makeDefault_);
    buttonLayout->addStretch(1);
    addRow(defaultInput, new InspectorRow(QStringLiteral("Set Default"), buttonBox));
    layout->addStretch(1);

    auto* model = microphone_.get();
    connect(muteSwitch_, &QCheckBox::clicked, this, [model](bool on) { model->setMuted(on); });
    connect(sampleRatePicker_, &QComboBox::activated, this, [model](int index) {
        if (index >= 0 && index < model->availableSampleRates().size()) {
            model->setSampleRate(model->availableSampleRates()[index]);
        }
    });
    connect(volume_, &InspectorSliderRow::valueEdited, this,
            [model](double value) { model->setVolume(float(value)); });
    connect(inputSourcePicker_, &QComboBox::activated, this, [model](int index) {
        if (index >= 0 && index < model->inputSources().size()) {
            model->setActiveInputSource(model->inputSources()[index]);
        }
    });
    connect(makeDefault_, &QPushButton::clicked, this, [model] { model->makeDefaultInput(); });

    for (auto signal :
         {&CaptureSourceDevice::localizedNameChanged, &CaptureSourceDevice::manufacturerChanged,
          &CaptureSourceDevice::modelIDChanged, &CaptureSourceDevice::isVirtualChanged,
          &CaptureSourceDevice::availabilityChanged,
          &CaptureSourceDevice::isRunningSomewhereChanged}) {
        connect(model, signal, this, &MicrophoneInspectorView::refresh);
    }
    for (auto signal :
         {&MicrophoneDevice::activeFormatChanged, &MicrophoneDevice::inputSourcesChanged,
          &MicrophoneDevice::activeInputSourceChanged, &MicrophoneDevice::isConnectedChanged,
          &MicrophoneDevice::isMutedChanged, &MicrophoneDevice::volumeChanged,
          &MicrophoneDevice::sampleRateChanged, &MicrophoneDevice::isDefaultInputChanged}) {
        connect(model, signal, this, &MicrophoneInspectorView::refresh);
    }
    refresh();
    showClients();
}

void MicrophoneInspectorView::refresh() {
    const auto& m = *microphone_;
    row(QStringLiteral("Name"))->setText(m.localizedName());
    row(QStringLiteral("Manufacturer"))->setText(m.manufacturer());
    row(QStringLiteral("Availability"))->setText(m.availability().status());
    const auto& device = m.avDevice();
    for (const auto* label : {"Connected", "Device Type", "Transport"}) {
        row(QString::fromLatin1(label))->setVisible(device != nullptr);
    }
    if (device) {
        row(QStringLiteral("Connected"))->setText(yesNoWord(m.isConnected()));
        row(QStringLiteral("Device Type"))->setText(CameraText::deviceType(device->deviceType()));
        transport_->setTransport(CaptureTransportType{device->transportType()});
    }
    row(QStringLiteral("Virtual"))->setText(yesNoWord(m.isVirtual()));
    row(QStringLiteral("Is Running"))->setText(yesNoWord(m.isRunningSomewhere()));
    muteSwitch_->setVisible(m.isMuteSettable());
    muteText_->setVisible(!m.isMuteSettable());
    muteSwitch_->setChecked(m.isMuted());
    if (m.isMuteSupported()) {
        muteText_->setText(yesNoWord(m.isMuted()));
        applyTextStyle(muteText_, TextStyle::secondary);
    } else {
        muteText_->setText(QStringLiteral("Not supported"));
        applyTextStyle(muteText_, TextStyle::tertiary);
    }
    row(QStringLiteral("Model ID"))->setText(m.modelID());
    uniqueID_->setFullText(m.id());

    const auto& format = m.activeFormat();
    audioFormat_->setVisible(format != nullptr);
    if (format) {
        const auto& rates = m.availableSampleRates();
        const bool picks = m.isSampleRateSettable() && rates.size() > 1;
        sampleRatePicker_->setVisible(picks);
        sampleRateText_->setVisible(!picks);
        if (picks) {
            QStringList titles;
            for (const double rate : rates) {
                titles.append(hertzText(rate));
            }
            setPickerItems(sampleRatePicker_, titles,
                           m.sampleRate() ? int(rates.indexOf(*m.sampleRate())) : -1);
        } else {
            const double rate = m.sampleRate().value_or(
                format->streamDescription ? format->streamDescription->sampleRate : 0);
            sampleRateText_->setText(hertzText(rate));
        }
        volume_->setVisible(m.isVolumeSupported());
        volume_->setEnabled(m.isVolumeSettable());
        const double volume = m.volume().value_or(0.0f);
        volume_->setValue(volume);
        volume_->setReadout(QString::asprintf("%.0f%%", volume * 100));
        const auto& stream = format->streamDescription;
        row(QStringLiteral("Channels"))->setVisible(stream.has_value());
        row(QStringLiteral("Bit Depth"))->setVisible(stream && stream->bitsPerChannel != 0);
        row(QStringLiteral("Frames per Packet"))->setVisible(stream.has_value());
        if (stream) {
            row(QStringLiteral("Channels"))->setText(QString::number(stream->channelsPerFrame));
            row(QStringLiteral("Bit Depth"))
                ->setText(QString::number(stream->bitsPerChannel) + QStringLiteral("-bit"));
            row(QStringLiteral("Frames per Packet"))
                ->setText(QString::number(stream->framesPerPacket));
        }
        row(QStringLiteral("Format"))->setText(fourCharCodeText(format->mediaSubtype));
    }
    showInputSources();
    row(QStringLiteral("Default Input"))->setText(yesNoWord(m.isDefaultInput()));
    makeDefault_->setEnabled(!m.isDefaultInput());
}

void MicrophoneInspectorView::showInputSources() {
    const auto& sources = microphone_->inputSources();
    inputSource_->setVisible(!sources.isEmpty());
    const auto& active = microphone_->activeInputSource();
    const bool picks = sources.size() >= 2;
    inputSourcePicker_->setVisible(picks);
    activeSourceText_->setVisible(!picks);
    QStringList names;
    for (const auto& source : sources) {
        names.append(source.localizedName);
    }
    if (picks) {
        setPickerItems(inputSourcePicker_, names, active ? int(sources.indexOf(*active)) : -1);
    } else {
        activeSourceText_->setText(active ? active->localizedName : QString());
    }
    // One row per source, rebuilt only when the list changed.
    QStringList shown;
    for (auto* sourceRow : sourceRows_) {
        shown.append(static_cast<InspectorRow*>(sourceRow)->label() + QLatin1Char('\n') +
                     static_cast<InspectorRow*>(sourceRow)->text());
    }
    QStringList wanted;
    for (const auto& source : sources) {
        wanted.append(source.inputSourceID + QLatin1Char('\n') + source.localizedName);
    }
    if (shown == wanted) {
        return;
    }
    retireWidgets(sourceRows_);
    for (const auto& source : sources) {
        auto* sourceRow =
            new InspectorRow(source.inputSourceID, FontRole::footnote, TextStyle::secondary);
        sourceRow->setText(source.localizedName);
        inputSource_->addRow(sourceRow);
        sourceRows_.append(sourceRow);
    }
}

void MicrophoneInspectorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!clientRefresh_.isActive()) {
        refreshClients();
        scheduleClientRefresh();
    }
}

void MicrophoneInspectorView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    clientRefresh_.cancel();
}

void MicrophoneInspectorView::scheduleClientRefresh() {
    clientRefresh_ = context_.queue().schedule(clientRefreshInterval, [self = QPointer(this)] {
        if (self) {
            self->refreshClients();
            self->scheduleClientRefresh();
        }
    });
}

void MicrophoneInspectorView::refreshClients() {
    auto& hardware = context_.platform().audioHardware();
    const auto device = audioDeviceID(hardware, microphone_->id());
    auto clients = device
                       ? audioCaptureClients(hardware, context_.platform().processNames(), *device)
                       : QList<AudioCaptureClient>();
    if (clients == captureClients_) {
        return;
    }
    captureClients_ = std::move(clients);
    showClients();
}

void MicrophoneInspectorView::showClients() {
    retireWidgets(clientRows_);
    capturedBy_->setVisible(!captureClients_.isEmpty());
    for (const auto& client : captureClients_) {
        auto* value = new QWidget;
        auto* layout = new QHBoxLayout(value);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        if (client.bundleID) {
            auto* bundle = new ElidedLabel(Qt::ElideMiddle, value);
            bundle->setFont(uiFont(FontRole::monospacedFootnote));
            applyTextStyle(bundle, TextStyle::secondary);
            bundle->setTextInteractionFlags(Qt::TextSelectableByMouse);
            bundle->setFullText(*client.bundleID);
            layout->addWidget(bundle, 1);
        }
        auto* pid = makeValueLabel(QStringLiteral("PID ") + QString::number(client.pid),
                                   FontRole::monospacedFootnote, TextStyle::tertiary, value);
        layout->addWidget(pid);
        if (!client.bundleID) {
            layout->addStretch(1);
        }
        auto* clientRow = new InspectorRow(client.displayName, value);
        capturedBy_->addRow(clientRow);
        clientRows_.append(clientRow);
    }
}

}  // namespace tavrin
