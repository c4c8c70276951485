#include "audio/MicrophoneMeterCoordinator.h"

#include <atomic>

namespace tavrin {

MicrophoneMeterCoordinator::MicrophoneMeterCoordinator(AudioCaptureService& capture)
    : session_(capture.makeSession()) {
    session_->setBufferHandler([this](const AudioSampleBuffer& buffer) { receive(buffer); });
}

MicrophoneMeterCoordinator::~MicrophoneMeterCoordinator() {
    if (session_->isRunning()) {
        session_->stopRunning();
    }
    removeInput();
    setOnBuffer(nullptr);
    session_->setBufferHandler(nullptr);
    // Going away waits for a delivery in progress, which may still be inside receive(): the
    // session must go before the state that receive() touches.
    session_.reset();
}

void MicrophoneMeterCoordinator::setOnBuffer(BufferHandler handler) {
    onBuffer_.store(handler ? std::make_shared<BufferHandler>(std::move(handler)) : nullptr);
}

void MicrophoneMeterCoordinator::removeInput() {
    if (hasInput_) {
        session_->removeInput();
        hasInput_ = false;
    }
}

void MicrophoneMeterCoordinator::configure(const std::optional<QString>& uniqueID) {
    ++configurations_;
    session_->beginConfiguration();
    removeInput();
    if (uniqueID) {
        hasInput_ = session_->addInput(*uniqueID);
    }
    session_->commitConfiguration();
}

// The first four buffers after a start or a format change are dropped: a stream is measured only
// once its last five descriptions agree.
void MicrophoneMeterCoordinator::receive(const AudioSampleBuffer& buffer) {
    if (const auto configurations = configurations_.load(); configurations != configurationsSeen_) {
        configurationsSeen_ = configurations;
        recentASBDs_.clear();
    }
    if (!buffer.streamDescription) {
        return;
    }
    recentASBDs_.push_back(*buffer.streamDescription);
    if (recentASBDs_.size() > std::size_t(asbdStabilityCount)) {
        recentASBDs_.pop_front();
    }
    if (recentASBDs_.size() != std::size_t(asbdStabilityCount) ||
        !std::all_of(recentASBDs_.begin(), recentASBDs_.end(), [&](const auto& description) {
            return description == recentASBDs_.front();
        })) {
        return;
    }
    const auto view = PcmBuffer::wrap(buffer);
    if (!view) {
        return;
    }
    if (const auto handler = onBuffer_.load()) {
        (*handler)(*view);
    }
}

}  // namespace tavrin
