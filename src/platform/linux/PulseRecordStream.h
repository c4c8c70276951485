#pragma once

#include <pulse/pulseaudio.h>

#include <QString>
#include <utility>
#include <vector>

namespace tavrin {

// Recording streams of our own on a source, with the main loop locked. Fragments are about
// 20 ms, so the first data comes soon after the stream starts.
struct RecordStreamSetup {
    const char* name = "Tavrin";
    pa_sample_spec spec{};
    QString sourceName;
    std::vector<std::pair<const char*, const char*>> properties;
    pa_stream_flags_t flags = PA_STREAM_NOFLAGS;
    pa_stream_notify_cb_t stateChanged = nullptr;
    pa_stream_request_cb_t dataArrived = nullptr;
    void* userdata = nullptr;
};

// The connecting stream, or null when the server refused it.
pa_stream* openRecordStream(pa_context* context, const RecordStreamSetup& setup);
// Disconnects the stream without calling back, and forgets it.
void closeRecordStream(pa_stream*& stream);

}  // namespace tavrin
