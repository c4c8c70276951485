#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/LinuxV4L2System.h"

#include "runtime/CurrentProcess.h"

namespace tavrin {

namespace {

// How long the first look at the cameras may take at start.
constexpr std::chrono::milliseconds cameraDiscoveryTimeout{1000};

}  // namespace

LinuxPlatform::LinuxPlatform(MainThreadQueue& queue, const QString& server,
                             LinuxDeviceSources sources)
    : connection_(std::make_unique<PulseConnection>(server)),
      audioHardware_(*connection_, currentProcessID()),
      microphoneFramework_(queue, *connection_),
      microphoneCaptureDevices_(*connection_, currentProcessID()),
      audioCapture_(*connection_),
      processNames_(*connection_),
      rest_(queue),
      displays_(sources.xDisplay ? XRandrBackend::connect(queue, *sources.xDisplay) : nullptr),
      cameras_(queue, std::move(sources.cameraSystem), currentProcessID()),
      usb_(std::make_shared<LinuxUsbService>(cameras_.sharedSystem(), cameras_.ownHandles())),
      captureDevices_(cameras_.captureDevices(), microphoneCaptureDevices_),
      framework_(cameras_.deviceFramework(), microphoneFramework_,
                 displays_ ? displays_->framework() : rest_.deviceFramework()) {
    connection_->start();
}

LinuxPlatform::~LinuxPlatform() {
    audioHardware_.closeExclusiveStreams();
    connection_->stop();
}

std::unique_ptr<LinuxPlatform> LinuxPlatform::connect(MainThreadQueue& queue, const QString& server,
                                                      std::chrono::milliseconds timeout,
                                                      LinuxDeviceSources sources) {
    if (!sources.cameraSystem) {
        sources.cameraSystem = std::make_shared<LinuxV4L2System>();
    }
    const bool hasCameras = sources.hasVideoNodes();
    std::unique_ptr<LinuxPlatform> platform(new LinuxPlatform(queue, server, std::move(sources)));
    platform->cameras_.start(hasCameras ? cameraDiscoveryTimeout : std::chrono::milliseconds());
    // Each kind from its own backend: a machine without a sound server still has its cameras
    // and its X server's displays.
    if (!platform->connection_->waitUntilConnected(timeout) && !hasCameras &&
        !platform->displays_) {
        return nullptr;
    }
    return platform;
}

}  // namespace tavrin
