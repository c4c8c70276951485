#include "app/AppContext.h"

namespace tavrin {

AppContext::AppContext(std::unique_ptr<MainThreadQueue> queue, std::unique_ptr<Platform> platform)
    : queue_(std::move(queue)), eventLog_(*queue_), platform_(std::move(platform)) {}

AppContext::~AppContext() = default;

}  // namespace tavrin
