#pragma once

#include <QWidget>
#include <memory>

#include "ui/DeviceHeaderRow.h"

namespace tavrin {

class AppContext;
class WindowState;
class AudioHogModeSection;
class ConfigurationLockSection;
class InfoPill;
class MicrophoneDevice;
class MutedPill;
class MicrophoneMeterSection;
class StatusPill;
class SymbolCatalog;

// A microphone's name; its manufacturer and model ID; and its pills: status, "Muted" and
// "Virtual", each while it applies.
class MicrophoneHeaderRow final : public DeviceHeaderRow {
    Q_OBJECT
public:
    MicrophoneHeaderRow(std::shared_ptr<MicrophoneDevice> microphone, const SymbolCatalog& symbols,
                        QWidget* parent = nullptr);

private:
    void refresh();

    std::shared_ptr<MicrophoneDevice> microphone_;
    const SymbolCatalog& symbols_;
    QLabel* manufacturer_;
    QLabel* modelID_;
    StatusPill* status_;
    MutedPill* muted_;
    InfoPill* virtual_;
};

// A microphone's page: header, level meter, configuration lock and exclusive access.
class MicrophoneDetailView final : public QWidget {
    Q_OBJECT
public:
    MicrophoneDetailView(std::shared_ptr<MicrophoneDevice> microphone, AppContext& context,
                         WindowState& state, const SymbolCatalog& symbols,
                         QWidget* parent = nullptr);

    MicrophoneHeaderRow* header() const { return header_; }
    MicrophoneMeterSection* meter() const { return meter_; }
    ConfigurationLockSection* configurationLock() const { return lock_; }
    AudioHogModeSection* exclusiveAccess() const { return hogMode_; }

private:
    MicrophoneHeaderRow* header_;
    MicrophoneMeterSection* meter_;
    ConfigurationLockSection* lock_;
    AudioHogModeSection* hogMode_;
};

}  // namespace tavrin
