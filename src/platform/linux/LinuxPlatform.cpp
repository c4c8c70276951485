#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopSession.h"
#include "runtime/CurrentProcess.h"

namespace tavrin {

LinuxPlatform::LinuxPlatform(MainThreadQueue& queue, const QString& server)
    : connection_(std::make_unique<PulseConnection>(server)),
      audioHardware_(*connection_, currentProcessID()),
      microphoneFramework_(queue, *connection_),
      captureDevices_(*connection_, currentProcessID()),
      audioCapture_(*connection_),
      processNames_(*connection_),
      rest_(queue),
      displays_(isWaylandSession() ? nullptr : XRandrBackend::connect(queue, qgetenv("DISPLAY"))),
      framework_(rest_.deviceFramework(), microphoneFramework_,
                 displays_ ? displays_->framework() : rest_.deviceFramework()) {
    connection_->start();
}

LinuxPlatform::~LinuxPlatform() {
    audioHardware_.closeExclusiveStreams();
    connection_->stop();
}

std::unique_ptr<LinuxPlatform> LinuxPlatform::connect(MainThreadQueue& queue, const QString& server,
                                                      std::chrono::milliseconds timeout) {
    std::unique_ptr<LinuxPlatform> platform(new LinuxPlatform(queue, server));
    if (!platform->connection_->waitUntilConnected(timeout)) {
        return nullptr;
    }
    return platform;
}

}  // namespace tavrin
