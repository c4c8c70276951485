#include "platform/PlatformFactory.h"

#include "platform/fake/FakePlatform.h"
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

}  // namespace tavrin
