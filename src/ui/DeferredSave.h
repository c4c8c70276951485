#pragma once

#include <QTimer>
#include <functional>

namespace tavrin {

// Saves a preference once things have been quiet for a moment. A drag, a resize or an animation
// changes a pane's position many times a second, and only the last value matters; writing each
// one would put a file write on every frame. The owner flushes in its destructor (and wherever
// it must not wait), while it is still whole.
class DeferredSave {
public:
    static constexpr int quietMilliseconds = 400;

    explicit DeferredSave(std::function<void()> save) : save_(std::move(save)) {
        timer_.setSingleShot(true);
        timer_.setInterval(quietMilliseconds);
        QObject::connect(&timer_, &QTimer::timeout, [this] { save_(); });
    }
    DeferredSave(const DeferredSave&) = delete;
    DeferredSave& operator=(const DeferredSave&) = delete;

    void schedule() { timer_.start(); }
    // Saves now if a save is pending.
    void flush() {
        if (timer_.isActive()) {
            timer_.stop();
            save_();
        }
    }
    bool isPending() const { return timer_.isActive(); }

private:
    std::function<void()> save_;
    QTimer timer_;
};

}  // namespace tavrin
