#pragma once

#include <QHash>
#include <QSize>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/DeviceFramework.h"
#include "platform/PreviewFrameMailbox.h"

namespace tavrin {

// The fake cameras' live pictures: colour bars, a moving block and a running clock, at the
// camera's active format size and frame rate, read again for every frame. One producer thread
// per camera feeds every preview of it, as a camera's one stream would; it stops when the last
// preview goes.
class FakeCameraPreviews {
public:
    struct StreamFormat {
        QSize size;
        double framesPerSecond = 30;
    };
    // Where the producer reads the format; nothing means the camera is gone.
    using FormatLookup = std::function<std::optional<StreamFormat>(const QString& cameraID)>;

    explicit FakeCameraPreviews(MainThreadQueue& queue);
    ~FakeCameraPreviews();
    FakeCameraPreviews(const FakeCameraPreviews&) = delete;
    FakeCameraPreviews& operator=(const FakeCameraPreviews&) = delete;

    void setFormatLookup(FormatLookup lookup);
    // Ends every stream and waits for its thread; later frames and failures are not delivered.
    void stopAll();

    Subscription start(const CameraPreviewRequest& request, PreviewFrameHandler onFrame,
                       PreviewFailureHandler onFailure);

    // How many times a camera's stream was started, and how many previews watch it now.
    int streamStarts(const QString& cameraID) const;
    int previewCount(const QString& cameraID) const;

    // Draws one frame of the test picture; the clock shows `sequence` at `framesPerSecond`.
    static PreviewFrame testPicture(QSize size, double framesPerSecond, quint64 sequence);

private:
    struct Stream;
    void run(const std::shared_ptr<Stream>& stream);
    void stop(const QString& cameraID, const std::shared_ptr<PreviewFrameMailbox>& mailbox);

    MainThreadQueue& queue_;
    mutable std::mutex mutex_;
    FormatLookup lookup_;
    QHash<QString, std::shared_ptr<Stream>> streams_;
    QHash<QString, int> starts_;
};

}  // namespace tavrin
