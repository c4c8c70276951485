#include "platform/linux/PulseAudioHardware.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>

#include "platform/AudioHardware.h"
#include "platform/linux/PulseRecordStream.h"

namespace tavrin {

using namespace AudioSelector;

struct PulseAudioHardware::ExclusiveStream {
    enum class Stage { asked, held, over };

    PulseAudioHardware* hardware = nullptr;
    QString sourceName;
    pa_stream* stream = nullptr;
    pa_time_event* deadline = nullptr;
    pa_mainloop_api* api = nullptr;
    Stage stage = Stage::asked;

    void cancelDeadline() {
        if (deadline) {
            api->time_free(deadline);
            deadline = nullptr;
        }
    }
    void close() {
        cancelDeadline();
        closeRecordStream(stream);
    }
};

namespace {

bool isFinal(pa_stream_state_t state) {
    return state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
}

// The source's channel volumes scaled so that their average is `fraction` of the normal volume:
// the balance between channels stays as it was.
pa_cvolume scaledVolume(const SoundServerSource& source, float fraction) {
    pa_cvolume volume{};
    volume.channels = std::uint8_t(source.channelVolumes.size());
    const double target =
        std::clamp(double(fraction), 0.0, double(PA_VOLUME_MAX) / PA_VOLUME_NORM) * PA_VOLUME_NORM;
    const double average = double(averageVolume(source).value_or(0)) * PA_VOLUME_NORM;
    for (qsizetype channel = 0; channel < source.channelVolumes.size(); ++channel) {
        const double scaled =
            average > 0 ? source.channelVolumes[channel] * target / average : target;
        volume.values[channel] =
            pa_volume_t(std::clamp(std::lround(scaled), 0L, long(PA_VOLUME_MAX)));
    }
    return volume;
}

}  // namespace

PulseAudioHardware::PulseAudioHardware(PulseConnection& connection, std::int32_t ownPID)
    : connection_(connection), ownPID_(ownPID) {
    data_.withLock([this](Data& data) { rebuild(data); });
    connection_.addObserver([this](const SoundServerState&, const SoundServerState& after) {
        data_.withLock([&](Data& data) {
            data.state = after;
            rebuild(data);
        });
        tellListeners();
    });
}

PulseAudioHardware::~PulseAudioHardware() {
    closeExclusiveStreams();
}

void PulseAudioHardware::closeExclusiveStreams() {
    connection_.withLoopLocked([this](pa_context*) {
        for (auto& stream : exclusiveStreams_) {
            stream->close();
        }
        exclusiveStreams_.clear();
    });
}

void PulseAudioHardware::rebuild(Data& data) const {
    data.table = audioObjectTable(data.state, data.ids, ownPID_, data.held);
}

void PulseAudioHardware::tellListeners() {
    std::vector<std::pair<PropertyListenerBlock, PropertyAddress>> calls;
    data_.withLock([&](Data& data) {
        for (const auto& [object, address] : changedProperties(data.told, data.table)) {
            for (auto& block : data.listeners.blocks(object, address)) {
                calls.emplace_back(std::move(block), address);
            }
        }
        data.told = data.table;
    });
    for (const auto& [block, address] : calls) {
        (*block)({address});
    }
}

bool PulseAudioHardware::hasProperty(ObjectID object, const PropertyAddress& address) {
    return data_.withLock([&](const Data& data) {
        if (object == systemObjectID && address == globalAddress(translateUIDToDevice)) {
            return true;
        }
        const auto found = data.table.constFind(object);
        return found != data.table.constEnd() && found->contains(address);
    });
}

OSStatus PulseAudioHardware::isPropertySettable(ObjectID object, const PropertyAddress& address,
                                                bool& settable) {
    return data_.withLock([&](const Data& data) {
        const auto found = data.table.constFind(object);
        if (found == data.table.constEnd()) {
            return OSStatusCode::badObject;
        }
        const auto property = found->constFind(address);
        if (property == found->constEnd()) {
            settable = false;
            return object == systemObjectID && address == globalAddress(translateUIDToDevice)
                       ? OSStatusCode::noError
                       : OSStatusCode::unknownProperty;
        }
        settable = property->isSettable;
        return OSStatusCode::noError;
    });
}

OSStatus PulseAudioHardware::getPropertyData(ObjectID object, const PropertyAddress& address,
                                             const PropertyValue& qualifier, PropertyValue& value) {
    return data_.withLock([&](Data& data) {
        if (object == systemObjectID && address == globalAddress(translateUIDToDevice)) {
            const auto* uid = std::get_if<QString>(&qualifier);
            if (!uid) {
                return OSStatusCode::badPropertySize;
            }
            value = std::uint32_t(translateUID(data.state, data.ids, *uid));
            return OSStatusCode::noError;
        }
        const auto found = data.table.constFind(object);
        if (found == data.table.constEnd()) {
            return OSStatusCode::badObject;
        }
        const auto property = found->constFind(address);
        if (property == found->constEnd()) {
            return OSStatusCode::unknownProperty;
        }
        value = property->value;
        return OSStatusCode::noError;
    });
}

OSStatus PulseAudioHardware::setPropertyData(ObjectID object, const PropertyAddress& address,
                                             const PropertyValue& value) {
    // Checked against the latest state, then sent without our lock held.
    struct Target {
        OSStatus status = OSStatusCode::noError;
        std::optional<SoundServerSource> source;
        bool isSettable = false;
    };
    const auto target = data_.withLock([&](const Data& data) {
        Target target;
        const auto found = data.table.constFind(object);
        if (found == data.table.constEnd()) {
            target.status = OSStatusCode::badObject;
            return target;
        }
        const auto property = found->constFind(address);
        if (property == found->constEnd()) {
            target.status = OSStatusCode::unknownProperty;
            return target;
        }
        if (property->value.index() != value.index()) {
            target.status = OSStatusCode::badPropertySize;
            return target;
        }
        target.isSettable = property->isSettable;
        if (const auto name = data.ids.sourceName(object)) {
            if (const auto* source = data.state.microphone(*name)) {
                target.source = *source;
            }
        }
        const auto* device = std::get_if<std::uint32_t>(&value);
        if (object == systemObjectID && device) {
            if (const auto name = data.ids.sourceName(*device)) {
                if (const auto* source = data.state.microphone(*name)) {
                    target.source = *source;
                }
            }
        }
        return target;
    });
    if (target.status != OSStatusCode::noError) {
        return target.status;
    }
    if (address.selector == hogMode && target.source) {
        return setHogMode(*target.source, std::get<std::int32_t>(value));
    }
    if (!target.isSettable) {
        return OSStatusCode::unsupportedOperation;
    }
    if (!target.source) {
        return OSStatusCode::badObject;  // the default input names no microphone
    }
    const auto name = target.source->name.toUtf8();
    switch (address.selector) {
        case defaultInputDevice:
            return connection_.perform([&](pa_context* context, auto done, void* userdata) {
                return pa_context_set_default_source(context, name.constData(), done, userdata);
            });
        case mute: {
            const bool muted = std::get<std::uint32_t>(value) != 0;
            return connection_.perform([&](pa_context* context, auto done, void* userdata) {
                return pa_context_set_source_mute_by_name(context, name.constData(), muted, done,
                                                          userdata);
            });
        }
        case volumeScalar: {
            const float fraction = std::get<float>(value);
            if (!std::isfinite(fraction)) {
                return OSStatusCode::illegalOperation;
            }
            const auto volume = scaledVolume(*target.source, fraction);
            return connection_.perform([&](pa_context* context, auto done, void* userdata) {
                return pa_context_set_source_volume_by_name(context, name.constData(), &volume,
                                                            done, userdata);
            });
        }
        default:
            return OSStatusCode::unsupportedOperation;
    }
}

OSStatus PulseAudioHardware::addPropertyListener(ObjectID object, const PropertyAddress& address,
                                                 PropertyListenerBlock block) {
    return data_.withLock([&](Data& data) {
        if (!block || !data.table.contains(object)) {
            return OSStatusCode::badObject;
        }
        data.listeners.add(object, address, std::move(block));
        return OSStatusCode::noError;
    });
}

OSStatus PulseAudioHardware::removePropertyListener(ObjectID object, const PropertyAddress& address,
                                                    const PropertyListenerBlock& block) {
    return data_.withLock([&](Data& data) {
        return data.listeners.remove(object, address, block) ? OSStatusCode::noError
                                                             : OSStatusCode::badObject;
    });
}

OSStatus PulseAudioHardware::setHogMode(const SoundServerSource& source, std::int32_t pid) {
    if (connection_.isLoopThread()) {
        return OSStatusCode::illegalOperation;
    }
    if (pid == -1) {
        releaseExclusive(source.name);
        return OSStatusCode::noError;
    }
    if (pid != ownPID_) {
        return OSStatusCode::illegalOperation;  // only this process can be made the owner
    }
    if (!connection_.state().isPipeWire) {
        return OSStatusCode::unsupportedOperation;
    }
    return takeExclusive(source);
}

// Asks for the stream and returns: the server's answer comes on the backend's thread. The first
// data grants the hold; a failed stream (PipeWire fails it at once when it refuses exclusive
// use) or no data in time refuses it.
OSStatus PulseAudioHardware::takeExclusive(const SoundServerSource& source) {
    pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, source.sampleRate, std::uint8_t(source.channels)};
    if (source.channels == 0 || source.channels > PA_CHANNELS_MAX) {
        return OSStatusCode::unspecified;
    }
    OSStatus status = OSStatusCode::badObject;
    connection_.withLoopLocked([&](pa_context* context) {
        if (!context) {
            return;
        }
        if (const auto existing = exclusiveStreams_.value(source.name)) {
            status = OSStatusCode::noError;  // held, or asked already
            return;
        }
        auto holder = std::make_shared<ExclusiveStream>();
        holder->hardware = this;
        holder->sourceName = source.name;
        RecordStreamSetup setup;
        setup.name = "Tavrin exclusive access";
        setup.spec = spec;
        setup.sourceName = source.name;
        setup.properties = {{"node.exclusive", "true"}};
        setup.flags = PA_STREAM_DONT_MOVE;
        setup.stateChanged = [](pa_stream* stream, void* userdata) {
            auto& holder = *static_cast<ExclusiveStream*>(userdata);
            if (!isFinal(pa_stream_get_state(stream))) {
                return;
            }
            if (holder.stage == ExclusiveStream::Stage::asked) {
                holder.hardware->exclusiveRefused(holder);
            } else if (holder.stage == ExclusiveStream::Stage::held) {
                holder.hardware->streamEnded(holder);
            }
        };
        setup.dataArrived = [](pa_stream* stream, std::size_t, void* userdata) {
            auto& holder = *static_cast<ExclusiveStream*>(userdata);
            const void* data = nullptr;
            std::size_t length = 0;
            while (pa_stream_peek(stream, &data, &length) == 0 && length > 0) {
                pa_stream_drop(stream);
            }
            if (holder.stage == ExclusiveStream::Stage::asked) {
                holder.hardware->exclusiveGranted(holder);
            }
        };
        setup.userdata = holder.get();
        holder->stream = openRecordStream(context, setup);
        if (!holder->stream) {
            status = OSStatusCode::unspecified;
            return;
        }
        holder->api = connection_.loopApi();
        timeval when{};
        pa_gettimeofday(&when);
        pa_timeval_add(&when, pa_usec_t(std::chrono::microseconds(answerTimeout).count()));
        holder->deadline = holder->api->time_new(
            holder->api, &when,
            [](pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata) {
                auto& holder = *static_cast<ExclusiveStream*>(userdata);
                holder.cancelDeadline();
                if (holder.stage == ExclusiveStream::Stage::asked) {
                    holder.hardware->exclusiveRefused(holder);
                }
            },
            holder.get());
        exclusiveStreams_.insert(source.name, holder);
        status = OSStatusCode::noError;
    });
    return status;
}

// Backend's thread, with the main loop locked.
void PulseAudioHardware::exclusiveGranted(ExclusiveStream& stream) {
    stream.stage = ExclusiveStream::Stage::held;
    stream.cancelDeadline();
    data_.withLock([&](Data& data) {
        data.held.insert(stream.sourceName);
        rebuild(data);
    });
    tellListeners();
}

// Backend's thread, with the main loop locked. The owner stays as it was, but its listeners are
// told: that is how the one who asked learns the answer.
void PulseAudioHardware::exclusiveRefused(ExclusiveStream& stream) {
    stream.stage = ExclusiveStream::Stage::over;
    forgetLater(stream);
    std::vector<PropertyListenerBlock> blocks;
    data_.withLock([&](Data& data) {
        blocks = data.listeners.blocks(data.ids.source(stream.sourceName), globalAddress(hogMode));
    });
    for (const auto& block : blocks) {
        (*block)({globalAddress(hogMode)});
    }
}

void PulseAudioHardware::releaseExclusive(const QString& sourceName) {
    bool released = false;
    connection_.withLoopLocked([&](pa_context*) {
        if (auto holder = exclusiveStreams_.take(sourceName)) {
            holder->close();
            released = true;
        }
    });
    if (!released) {
        return;
    }
    data_.withLock([&](Data& data) {
        data.held.remove(sourceName);
        rebuild(data);
    });
    connection_.runOnLoop([this] { tellListeners(); });
}

// The server ended a stream we held (the source went, or the server did): nothing is held.
void PulseAudioHardware::streamEnded(ExclusiveStream& stream) {
    stream.stage = ExclusiveStream::Stage::over;
    forgetLater(stream);
    data_.withLock([&](Data& data) {
        data.held.remove(stream.sourceName);
        rebuild(data);
    });
    tellListeners();
}

// Backend's thread, with the main loop locked: the stream is no longer ours to keep, and is
// closed once the server's callback that brought the news has returned.
void PulseAudioHardware::forgetLater(ExclusiveStream& stream) {
    stream.cancelDeadline();
    const auto holder = exclusiveStreams_.value(stream.sourceName);
    if (holder.get() != &stream) {
        return;
    }
    exclusiveStreams_.remove(stream.sourceName);
    connection_.runOnLoop([holder] { holder->close(); });
}

}  // namespace tavrin
