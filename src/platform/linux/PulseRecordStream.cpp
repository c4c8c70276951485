#include "platform/linux/PulseRecordStream.h"

namespace tavrin {

namespace {

constexpr pa_usec_t fragmentDuration = 20'000;

}  // namespace

pa_stream* openRecordStream(pa_context* context, const RecordStreamSetup& setup) {
    if (!context || !pa_sample_spec_valid(&setup.spec)) {
        return nullptr;
    }
    auto* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, setup.name);
    for (const auto& [key, value] : setup.properties) {
        pa_proplist_sets(properties, key, value);
    }
    auto* stream =
        pa_stream_new_with_proplist(context, setup.name, &setup.spec, nullptr, properties);
    pa_proplist_free(properties);
    if (!stream) {
        return nullptr;
    }
    pa_stream_set_state_callback(stream, setup.stateChanged, setup.userdata);
    pa_stream_set_read_callback(stream, setup.dataArrived, setup.userdata);
    pa_buffer_attr attributes{};
    attributes.maxlength = std::uint32_t(-1);
    attributes.tlength = std::uint32_t(-1);
    attributes.prebuf = std::uint32_t(-1);
    attributes.minreq = std::uint32_t(-1);
    attributes.fragsize = std::uint32_t(pa_usec_to_bytes(fragmentDuration, &setup.spec));
    const auto source = setup.sourceName.toUtf8();
    if (pa_stream_connect_record(stream, source.constData(), &attributes,
                                 pa_stream_flags_t(setup.flags | PA_STREAM_ADJUST_LATENCY)) < 0) {
        closeRecordStream(stream);
    }
    return stream;
}

void closeRecordStream(pa_stream*& stream) {
    if (!stream) {
        return;
    }
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

}  // namespace tavrin
