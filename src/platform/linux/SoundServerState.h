#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>
#include <optional>

namespace tavrin {

// What the sound server told us, as plain data: the backend's only record of the server. It is
// rebuilt from the server's replies, so every field may hold whatever the server sent (odd bytes
// are already replaced, counts are as reported, nothing is assumed to be in range).
//
// How it maps onto the audio seams (see `AudioObjectTable` and the Pulse* services):
// - a source that is not the monitor of a sink is a microphone, its name the unique ID;
// - a recording stream (source output) belongs to a client process, by its process ID.

// The server's normal (100 %) volume.
inline constexpr std::uint32_t soundServerNormalVolume = 0x10000U;

struct SoundServerPort {
    QString name;
    QString description;

    friend bool operator==(const SoundServerPort&, const SoundServerPort&) = default;
};

struct SoundServerSource {
    std::uint32_t index = 0;
    QString name;
    QString description;
    QString vendor;   // the device's vendor name property, empty when absent
    QString product;  // the device's product name property, empty when absent
    QString bus;      // the device's bus property ("usb", "pci", "bluetooth", ...)
    bool isMonitor = false;
    bool hasHardware = false;
    std::uint32_t sampleRate = 0;
    std::uint32_t channels = 0;
    std::uint32_t bitsPerSample = 0;  // 0 when the server's sample format is unknown to us
    bool isFloat = false;
    QList<std::uint32_t> channelVolumes;
    bool isMuted = false;
    bool isRunning = false;
    QList<SoundServerPort> ports;
    QString activePort;

    friend bool operator==(const SoundServerSource&, const SoundServerSource&) = default;
};

// A recording stream. Its process properties come from the stream, else from its client.
struct SoundServerStream {
    std::uint32_t index = 0;
    std::uint32_t sourceIndex = 0;
    std::uint32_t clientIndex = 0;
    bool isCorked = false;
    bool asksExclusive = false;
    std::optional<std::int32_t> processID;
    QString applicationID;

    friend bool operator==(const SoundServerStream&, const SoundServerStream&) = default;
};

struct SoundServerClient {
    std::uint32_t index = 0;
    std::optional<std::int32_t> processID;
    QString applicationID;
    QString applicationName;

    friend bool operator==(const SoundServerClient&, const SoundServerClient&) = default;
};

struct SoundServerState {
    bool isConnected = false;
    // Only a PipeWire server grants a stream exclusive use of a node.
    bool isPipeWire = false;
    QString defaultSourceName;
    QMap<std::uint32_t, SoundServerSource> sources;
    QMap<std::uint32_t, SoundServerStream> streams;
    QMap<std::uint32_t, SoundServerClient> clients;

    // The microphone of this name: a listed source that monitors no sink.
    const SoundServerSource* microphone(const QString& name) const {
        for (const auto& source : sources) {
            if (!source.isMonitor && source.name == name) {
                return &source;
            }
        }
        return nullptr;
    }

    std::optional<std::int32_t> processID(const SoundServerStream& stream) const {
        if (stream.processID) {
            return stream.processID;
        }
        const auto client = clients.find(stream.clientIndex);
        return client == clients.end() ? std::nullopt : client->processID;
    }

    QString applicationID(const SoundServerStream& stream) const {
        if (!stream.applicationID.isEmpty()) {
            return stream.applicationID;
        }
        const auto client = clients.find(stream.clientIndex);
        return client == clients.end() ? QString() : client->applicationID;
    }

    friend bool operator==(const SoundServerState&, const SoundServerState&) = default;
};

// The average of a source's channel volumes as a fraction of the normal volume (0.65 for 65 %);
// absent for a source without channels.
inline std::optional<float> averageVolume(const SoundServerSource& source) {
    if (source.channelVolumes.isEmpty()) {
        return std::nullopt;
    }
    double sum = 0;
    for (const auto volume : source.channelVolumes) {
        sum += volume;
    }
    return float(sum / double(source.channelVolumes.size()) / soundServerNormalVolume);
}

}  // namespace tavrin
