#include "platform/fake/FakeCameraPreviews.h"

#include <QList>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

namespace tavrin {

struct FakeCameraPreviews::Stream {
    QString cameraID;
    QList<std::shared_ptr<PreviewFrameMailbox>> mailboxes;
    bool stopping = false;
    bool gone = false;
    std::condition_variable wake;
    std::thread thread;
};

namespace {

constexpr std::array<quint32, 7> barColours = {0xffc0c0c0, 0xffc0c000, 0xff00c0c0, 0xff00c000,
                                               0xffc000c0, 0xffc00000, 0xff0000c0};

// Seven-segment digits: bits a..g (top, top right, bottom right, bottom, bottom left, top left,
// middle).
constexpr std::array<quint8, 10> digitSegments = {0x3f, 0x06, 0x5b, 0x4f, 0x66,
                                                  0x6d, 0x7d, 0x07, 0x7f, 0x6f};

QString goneReason() {
    return QStringLiteral("The camera is no longer connected.");
}

void fillRect(PreviewFrame& frame, int x, int y, int width, int height, quint32 colour) {
    const int left = std::clamp(x, 0, frame.size.width());
    const int right = std::clamp(x + width, 0, frame.size.width());
    const int top = std::clamp(y, 0, frame.size.height());
    const int bottom = std::clamp(y + height, 0, frame.size.height());
    for (int row = top; row < bottom; ++row) {
        auto* line = reinterpret_cast<quint32*>(frame.pixels.data() + row * frame.bytesPerLine);
        std::fill(line + left, line + right, colour);
    }
}

void drawDigit(PreviewFrame& frame, int digit, int x, int y, int unit) {
    const quint8 segments = digitSegments[std::size_t(digit % 10)];
    const int w = unit * 4;
    const int h = unit * 7;
    const int t = std::max(1, unit);
    const std::array<std::array<int, 4>, 7> rects = {{
        {x, y, w, t},                      // a
        {x + w - t, y, t, h / 2},          // b
        {x + w - t, y + h / 2, t, h / 2},  // c
        {x, y + h - t, w, t},              // d
        {x, y + h / 2, t, h / 2},          // e
        {x, y, t, h / 2},                  // f
        {x, y + h / 2 - t / 2, w, t},      // g
    }};
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (segments & (1U << i)) {
            fillRect(frame, rects[i][0], rects[i][1], rects[i][2], rects[i][3], 0xffffffff);
        }
    }
}

}  // namespace

PreviewFrame FakeCameraPreviews::testPicture(QSize size, double framesPerSecond, quint64 sequence) {
    PreviewFrame frame;
    frame.size = size;
    frame.sequence = sequence;
    frame.layout = PreviewFrame::Layout::xrgb32;
    frame.bytesPerLine = qsizetype(size.width()) * 4;
    if (size.width() <= 0 || size.height() <= 0) {
        return frame;
    }
    frame.pixels = QByteArray(frame.bytesPerLine * size.height(), Qt::Uninitialized);
    const int width = size.width();
    const int height = size.height();
    const int barsHeight = height * 2 / 3;
    for (std::size_t bar = 0; bar < barColours.size(); ++bar) {
        const int left = int(width * bar / barColours.size());
        const int right = int(width * (bar + 1) / barColours.size());
        fillRect(frame, left, 0, right - left, barsHeight, barColours[bar]);
    }
    fillRect(frame, 0, barsHeight, width, height - barsHeight, 0xff101418);

    // A block that sweeps across the bars once every two seconds shows motion at a glance.
    const double fps = framesPerSecond > 0 ? framesPerSecond : 30;
    const double seconds = double(sequence) / fps;
    const int block = std::max(4, height / 10);
    const double phase = std::fmod(seconds, 2.0) / 2.0;
    fillRect(frame, int((width - block) * phase), (barsHeight - block) / 2, block, block,
             0xff000000);

    // The running clock: minutes, seconds and hundredths of the stream's own time.
    const auto hundredths = quint64(seconds * 100);
    const std::array<int, 6> digits = {int(hundredths / 60000 % 10), int(hundredths / 6000 % 10),
                                       int(hundredths / 1000 % 6),   int(hundredths / 100 % 10),
                                       int(hundredths / 10 % 10),    int(hundredths % 10)};
    const int unit = std::max(1, (height - barsHeight) / 12);
    const int digitAdvance = unit * 6;
    const int clockWidth = digitAdvance * 6 + unit * 4;
    int x = (width - clockWidth) / 2;
    const int y = barsHeight + (height - barsHeight - unit * 7) / 2;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        drawDigit(frame, digits[i], x, y, unit);
        x += digitAdvance;
        if (i == 1 || i == 3) {
            fillRect(frame, x - unit, y + unit * 6, unit, unit, 0xffffffff);
            x += unit * 2;
        }
    }
    return frame;
}

FakeCameraPreviews::FakeCameraPreviews(MainThreadQueue& queue) : queue_(queue) {}

FakeCameraPreviews::~FakeCameraPreviews() {
    stopAll();
}

void FakeCameraPreviews::stopAll() {
    QList<std::shared_ptr<Stream>> streams;
    {
        std::lock_guard lock(mutex_);
        streams = streams_.values();
        streams_.clear();
        for (const auto& stream : streams) {
            for (const auto& mailbox : stream->mailboxes) {
                mailbox->close();
            }
            stream->stopping = true;
            stream->wake.notify_all();
        }
    }
    for (const auto& stream : streams) {
        stream->thread.join();
    }
}

void FakeCameraPreviews::setFormatLookup(FormatLookup lookup) {
    std::lock_guard lock(mutex_);
    lookup_ = std::move(lookup);
}

Subscription FakeCameraPreviews::start(const CameraPreviewRequest& request,
                                       PreviewFrameHandler onFrame,
                                       PreviewFailureHandler onFailure) {
    auto mailbox = PreviewFrameMailbox::make(queue_, std::move(onFrame), std::move(onFailure));
    const QString id = request.cameraID;
    {
        std::lock_guard lock(mutex_);
        auto& stream = streams_[id];
        if (!stream) {
            stream = std::make_shared<Stream>();
            stream->cameraID = id;
            ++starts_[id];
            stream->thread = std::thread([this, stream] { run(stream); });
        }
        stream->mailboxes.append(mailbox);
        if (stream->gone) {
            mailbox->fail(goneReason());
        }
    }
    return Subscription([this, id, mailbox] { stop(id, mailbox); });
}

void FakeCameraPreviews::stop(const QString& cameraID,
                              const std::shared_ptr<PreviewFrameMailbox>& mailbox) {
    mailbox->close();
    std::shared_ptr<Stream> ended;
    {
        std::lock_guard lock(mutex_);
        const auto found = streams_.find(cameraID);
        if (found == streams_.end()) {
            return;
        }
        auto& stream = *found.value();
        const auto index = stream.mailboxes.indexOf(mailbox);
        if (index < 0) {
            return;
        }
        stream.mailboxes.removeAt(index);
        if (stream.mailboxes.isEmpty()) {
            ended = found.value();
            ended->stopping = true;
            ended->wake.notify_all();
            streams_.erase(found);
        }
    }
    if (ended) {
        // At most one frame's drawing away.
        ended->thread.join();
    }
}

void FakeCameraPreviews::run(const std::shared_ptr<Stream>& stream) {
    using namespace std::chrono;
    quint64 sequence = 0;
    auto due = steady_clock::now();
    for (;;) {
        FormatLookup lookup;
        {
            std::lock_guard lock(mutex_);
            if (stream->stopping) {
                return;
            }
            lookup = lookup_;
        }
        const auto format = lookup ? lookup(stream->cameraID) : std::nullopt;
        if (!format) {
            std::unique_lock lock(mutex_);
            stream->gone = true;
            for (const auto& mailbox : stream->mailboxes) {
                mailbox->fail(goneReason());
            }
            stream->wake.wait(lock, [&] { return stream->stopping; });
            return;
        }
        const auto frame = testPicture(format->size, format->framesPerSecond, sequence++);
        {
            std::unique_lock lock(mutex_);
            for (const auto& mailbox : stream->mailboxes) {
                mailbox->deliver(frame);
            }
            const double fps = std::clamp(format->framesPerSecond, 1.0, 240.0);
            due += duration_cast<steady_clock::duration>(duration<double>(1.0 / fps));
            // A producer that fell behind starts afresh rather than bursting to catch up.
            due = std::max(due, steady_clock::now() - seconds(1));
            if (stream->wake.wait_until(lock, due, [&] { return stream->stopping; })) {
                return;
            }
        }
    }
}

int FakeCameraPreviews::streamStarts(const QString& cameraID) const {
    std::lock_guard lock(mutex_);
    return starts_.value(cameraID);
}

int FakeCameraPreviews::previewCount(const QString& cameraID) const {
    std::lock_guard lock(mutex_);
    const auto stream = streams_.value(cameraID);
    return stream ? int(stream->mailboxes.size()) : 0;
}

}  // namespace tavrin
