#pragma once

#include "platform/CaptureDeviceService.h"

namespace tavrin {

// One capture service made of two: a device is looked up in the first, then in the second
// (cameras from one backend, microphones from another). The class-wide settings are the first's.
// The services outlive it.
class CompositeCaptureDeviceService final : public CaptureDeviceService {
public:
    CompositeCaptureDeviceService(CaptureDeviceService& first, CaptureDeviceService& second)
        : first_(first), second_(second) {}

    std::shared_ptr<CaptureDevice> deviceWithUniqueID(const QString& uniqueID) override {
        if (auto device = first_.deviceWithUniqueID(uniqueID)) {
            return device;
        }
        return second_.deviceWithUniqueID(uniqueID);
    }
    bool supportsBackgroundReplacement() const override {
        return first_.supportsBackgroundReplacement();
    }
    VideoEffectSettings videoEffectSettings() const override {
        return first_.videoEffectSettings();
    }
    Subscription observeVideoEffect(const QString& keyPath,
                                    std::function<void()> onChange) override {
        return first_.observeVideoEffect(keyPath, std::move(onChange));
    }
    bool supportsPreferredCameras() const override { return first_.supportsPreferredCameras(); }
    std::optional<QString> userPreferredCamera() const override {
        return first_.userPreferredCamera();
    }
    std::optional<QString> systemPreferredCamera() const override {
        return first_.systemPreferredCamera();
    }
    void setCenterStageControlMode(CenterStageControlMode mode) override {
        first_.setCenterStageControlMode(mode);
    }
    void setCenterStageEnabled(bool enabled) override { first_.setCenterStageEnabled(enabled); }
    void setUserPreferredCamera(const QString& uniqueID) override {
        first_.setUserPreferredCamera(uniqueID);
    }

private:
    CaptureDeviceService& first_;
    CaptureDeviceService& second_;
};

}  // namespace tavrin
