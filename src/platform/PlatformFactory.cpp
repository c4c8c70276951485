#include "platform/PlatformFactory.h"

#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxPlatform.h"

namespace tavrin {

namespace {

// How long a sound server may take to connect and list its objects at start.
constexpr std::chrono::seconds soundServerTimeout{2};

}  // namespace

std::unique_ptr<Platform> createPlatform(MainThreadQueue& queue, PlatformChoice choice) {
    if (choice != PlatformChoice::demo) {
        if (auto platform = LinuxPlatform::connect(queue, QString(), soundServerTimeout)) {
            return platform;
        }
        if (choice == PlatformChoice::soundServer) {
            return nullptr;
        }
    }
    const auto fixture = FakeFixture::demo();
    auto platform = std::make_unique<FakePlatform>(queue, fixture);
    // The demo's microphones hear something, so its meter moves.
    platform->fakeAudioCapture().setLiveSignal(true);
    platform->startScenario(fixture.scenario);
    return platform;
}

std::unique_ptr<Platform> createPlatformWithCameraFixture(MainThreadQueue& queue,
                                                          const QString& path, QString* error) {
    auto nodes = FakeV4L2System::loadFixture(path, error);
    if (!nodes) {
        return nullptr;
    }
    // The fixture's cameras on this machine's sound server and displays.
    return LinuxPlatform::connect(queue, QString(), soundServerTimeout,
                                  {std::make_shared<FakeV4L2System>(std::move(*nodes)),
                                   LinuxDeviceSources::thisMachinesXDisplay()});
}

}  // namespace tavrin
