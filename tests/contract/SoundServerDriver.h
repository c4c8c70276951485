#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/Platform.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin::testing {

// Another process recording from a source.
class Recorder {
public:
    virtual ~Recorder() = default;
    virtual std::int32_t pid() const = 0;
    // Waits up to a few seconds for the recorder to give up; true when it failed to record.
    virtual bool hasFailed() = 0;
    virtual void stop() = 0;
};

// What the contract tests do to a sound server from outside the application: what a user does
// with the server's own tools (pactl, parec) on a real server, and the same through the fake's
// mutators on the fake platform.
class SoundServerDriver {
public:
    virtual ~SoundServerDriver() = default;

    // "fake", "pulseaudio" or "pipewire".
    virtual QString kind() const = 0;
    // Why the tests can't run here, when they can't (no server was started for them).
    virtual QString unavailableReason() const { return {}; }
    virtual std::unique_ptr<Platform> makePlatform(MainThreadQueue& queue) = 0;

    // A source that monitors no sink, with this name and description.
    virtual bool addSource(const QString& name, const QString& description) = 0;
    virtual bool removeSource(const QString& name) = 0;
    // The source keeps its name and gets a new description.
    virtual bool renameSource(const QString& name, const QString& description) = 0;
    virtual bool setVolumePercent(const QString& name, int percent) = 0;
    virtual bool setDefaultSource(const QString& name) = 0;
    // `exclusive`: the recorder asks for exclusive use of the source, as a PipeWire client can.
    virtual std::unique_ptr<Recorder> startRecorder(const QString& name,
                                                    bool exclusive = false) = 0;
    virtual bool grantsExclusiveAccess() const = 0;
    // Makes audio arrive at the capture session of the platform, where the server doesn't.
    virtual void produceAudio() {}

    // The driver of a kind; the real ones read their server string from the environment
    // (TAVRIN_TEST_PULSEAUDIO_SERVER, TAVRIN_TEST_PIPEWIRE_SERVER).
    static std::unique_ptr<SoundServerDriver> make(const QString& kind);
};

}  // namespace tavrin::testing
