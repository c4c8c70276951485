#include "platform/PlatformFactory.h"

#include "platform/fake/FakePlatform.h"

namespace tavrin {

std::unique_ptr<Platform> createPlatform(MainThreadQueue& queue) {
    const auto fixture = FakeFixture::demo();
    auto platform = std::make_unique<FakePlatform>(queue, fixture);
    platform->startScenario(fixture.scenario);
    return platform;
}

}  // namespace tavrin
