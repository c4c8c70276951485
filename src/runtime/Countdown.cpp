#include "runtime/Countdown.h"

using namespace std::chrono_literals;

namespace tavrin {

void Countdown::start(int seconds, std::function<void(int)> onTick, std::function<void()> onEnd) {
    remaining_ = seconds;
    onTick_ = std::move(onTick);
    onEnd_ = std::move(onEnd);
    scheduleTick();
}

// The timer is owned here, so a tick can't outlive the countdown that scheduled it.
void Countdown::scheduleTick() {
    timer_ = queue_.schedule(1s, [this] {
        if (--remaining_ <= 0) {
            timer_ = TimerHandle();
            onEnd_();
            return;
        }
        scheduleTick();
        onTick_(remaining_);
    });
}

}  // namespace tavrin
