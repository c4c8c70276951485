#include "contract/SoundServerDriver.h"

#include "support/NoLocalDevices.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cstring>

#include <QHash>
#include <QProcess>
#include <QThread>
#include <chrono>

#include "platform/fake/FakePlatform.h"
#include "platform/linux/LinuxPlatform.h"
#include "runtime/CurrentProcess.h"

namespace tavrin::testing {

namespace {

using namespace std::chrono_literals;

// ---- the fake platform

class FakeRecorder final : public Recorder {
public:
    FakeRecorder(FakeAudioHardware& hardware, std::int32_t pid, ObjectID device, bool refused,
                 bool exclusive)
        : hardware_(hardware),
          device_(device),
          pid_(pid),
          refused_(refused),
          exclusive_(exclusive) {
        if (!refused) {
            process_ = hardware_.addProcess({pid, QString(), true, {device}});
            setRunning(true);
        }
        if (exclusive_) {
            hardware_.setHogModeOwner(device_, pid_);
        }
    }
    ~FakeRecorder() override { stop(); }
    std::int32_t pid() const override { return pid_; }
    bool hasFailed() override { return refused_; }
    void stop() override {
        if (process_) {
            hardware_.removeProcess(*std::exchange(process_, std::nullopt));
            setRunning(false);
        }
        if (std::exchange(exclusive_, false)) {
            hardware_.setHogModeOwner(device_, -1);
        }
    }

private:
    void setRunning(bool running) {
        hardware_.changeProperty(device_, globalAddress(AudioSelector::isRunningSomewhere),
                                 std::uint32_t(running ? 1 : 0));
    }

    FakeAudioHardware& hardware_;
    ObjectID device_;
    std::int32_t pid_;
    bool refused_;
    bool exclusive_;
    std::optional<ObjectID> process_;
};

class FakeDriver final : public SoundServerDriver {
public:
    QString kind() const override { return QStringLiteral("fake"); }

    std::unique_ptr<Platform> makePlatform(MainThreadQueue& queue) override {
        auto platform = std::make_unique<FakePlatform>(queue);
        fake_ = platform.get();
        return platform;
    }

    bool addSource(const QString& name, const QString& description) override {
        FakeCaptureSourceSpec spec;
        spec.id = name;
        spec.values.localizedName = description;
        spec.values.isVirtual = true;
        spec.captureDevice =
            FakeCaptureDeviceSpec{CaptureDeviceType::microphone, std::int32_t(fourCC("virt"))};
        FakeAudioDeviceSpec audio;
        audio.uid = name;
        audio.volume = 1.0f;
        spec.audioDevice = audio;
        fake_->plugMicrophone(spec);
        if (auto device = fake_->fakeCaptureDevices().fakeDevice(name)) {
            device->change(
                {CaptureKeyPath::activeFormat, CaptureKeyPath::formats},
                [](FakeCaptureDeviceState& state) {
                    auto format = std::make_shared<CaptureDeviceFormat>();
                    format->mediaSubtype = fourCC("lpcm");
                    format->streamDescription = FakeAudioCaptureSession::floatDescription(48000, 2);
                    state.formats = {format};
                    state.activeFormat = format;
                    // A sound server's source: no configuration lock.
                    state.hasConfigurationLock = false;
                    state.inputSources = {{QStringLiteral("mic"), QStringLiteral("Microphone")},
                                          {QStringLiteral("line"), QStringLiteral("Line In")}};
                    state.activeInputSource = state.inputSources.first();
                });
        }
        return true;
    }

    bool removeSource(const QString& name) override {
        fake_->unplugMicrophone(name);
        return true;
    }

    bool renameSource(const QString& name, const QString& description) override {
        fake_->setLocalizedName(FakeDeviceKind::microphone, name, description);
        return true;
    }

    bool setVolumePercent(const QString& name, int percent) override {
        const auto device = deviceID(name);
        if (!device) {
            return false;
        }
        fake_->fakeAudioHardware().changeProperty(
            *device, inputAddress(AudioSelector::volumeScalar), float(percent) / 100.0f);
        return true;
    }

    bool setDefaultSource(const QString& name) override {
        const auto device = deviceID(name);
        if (!device) {
            return false;
        }
        fake_->fakeAudioHardware().changeProperty(systemObjectID,
                                                  globalAddress(AudioSelector::defaultInputDevice),
                                                  std::uint32_t(*device));
        return true;
    }

    std::unique_ptr<Recorder> startRecorder(const QString& name, bool exclusive) override {
        const auto device = deviceID(name);
        if (!device) {
            return nullptr;
        }
        auto& hardware = fake_->fakeAudioHardware();
        const bool refused = hardware.hogModeOwner(*device) != -1;
        return std::make_unique<FakeRecorder>(hardware, nextPID_++, *device, refused,
                                              exclusive && !refused);
    }

    bool grantsExclusiveAccess() const override { return true; }

    void produceAudio() override {
        if (auto* session = fake_->fakeAudioCapture().session()) {
            session->deliver(FakeAudioCaptureSession::constant(0.25f, 2, 960, 48000));
        }
    }

private:
    std::optional<ObjectID> deviceID(const QString& name) {
        const auto device =
            readProperty<std::uint32_t>(fake_->fakeAudioHardware(), systemObjectID,
                                        globalAddress(AudioSelector::translateUIDToDevice), name);
        return device && *device != unknownObjectID ? std::optional<ObjectID>(*device)
                                                    : std::nullopt;
    }

    FakePlatform* fake_ = nullptr;
    std::int32_t nextPID_ = 40000;
};

// ---- a real server, through its command-line tools

class ParecRecorder final : public Recorder {
public:
    ParecRecorder(const QString& server, const QString& source, bool exclusive) {
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        QStringList arguments{QStringLiteral("-s"), server, QStringLiteral("-d"), source,
                              QStringLiteral("--raw")};
        if (exclusive) {
            arguments << QStringLiteral("--property=node.exclusive=true");
        }
        process_.start(QStringLiteral("parec"), arguments);
        process_.waitForStarted(5000);
    }
    ~ParecRecorder() override { stop(); }

    std::int32_t pid() const override { return std::int32_t(process_.processId()); }
    bool hasFailed() override {
        process_.waitForFinished(3000);
        return process_.state() == QProcess::NotRunning;
    }
    void stop() override {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
    }

private:
    QProcess process_;
};

class RealDriver final : public SoundServerDriver {
public:
    RealDriver(QString kind, QString server) : kind_(std::move(kind)), server_(std::move(server)) {}
    ~RealDriver() override {
        for (const auto& module : modules_) {
            pactl({QStringLiteral("unload-module"), module});
        }
    }

    QString kind() const override { return kind_; }
    QString unavailableReason() const override {
        return server_.isEmpty() ? QStringLiteral(
                                       "no %1 server was started for the tests "
                                       "(scripts/test.sh starts one)")
                                       .arg(kind_)
                                 : QString();
    }

    std::unique_ptr<Platform> makePlatform(MainThreadQueue& queue) override {
        // The sound server's devices alone, on any machine.
        return LinuxPlatform::connect(queue, server_, 5s, noLocalDevices());
    }

    bool addSource(const QString& name, const QString& description) override {
        QStringList arguments{QStringLiteral("load-module")};
        if (kind_ == QLatin1String("pipewire")) {
            arguments << QStringLiteral("module-null-sink") << QStringLiteral("sink_name=") + name
                      << QStringLiteral("media.class=Audio/Source/Virtual")
                      << QStringLiteral("device.description='%1'").arg(description);
        } else {
            arguments << QStringLiteral("module-null-source")
                      << QStringLiteral("source_name=") + name
                      << QStringLiteral("description=\"%1\"").arg(description);
        }
        const auto module = pactl(arguments);
        if (!module) {
            return false;
        }
        modules_.insert(name, module->trimmed());
        return true;
    }

    bool removeSource(const QString& name) override {
        const auto module = modules_.take(name);
        return !module.isEmpty() && pactl({QStringLiteral("unload-module"), module});
    }

    // PulseAudio changes a source's description through its command-line interface. PipeWire
    // has no tool for that, but it lists a second source of the same name, which takes the name
    // over when the first goes: to a client, that is what a rename looks like.
    bool renameSource(const QString& name, const QString& description) override {
        if (kind_ == QLatin1String("pipewire")) {
            const auto old = modules_.take(name);
            return !old.isEmpty() && addSource(name, description) &&
                   pactl({QStringLiteral("unload-module"), old});
        }
        const auto path = QFileInfo(server_.mid(int(qstrlen("unix:"))))
                              .dir()
                              .filePath(QStringLiteral("cli"))
                              .toUtf8();
        const auto command = QStringLiteral("update-source-proplist %1 device.description=\"%2\"\n")
                                 .arg(name, description)
                                 .toUtf8();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (std::size_t(path.size()) >= sizeof(address.sun_path)) {
            return false;
        }
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
        const int cli = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool sent =
            cli >= 0 &&
            ::connect(cli, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            ::write(cli, command.constData(), std::size_t(command.size())) == command.size() &&
            ::shutdown(cli, SHUT_WR) == 0;
        char reply[256];
        while (sent && ::read(cli, reply, sizeof(reply)) > 0) {
            // the server ends the session once it has run what it was sent
        }
        if (cli >= 0) {
            ::close(cli);
        }
        return sent;
    }

    bool setVolumePercent(const QString& name, int percent) override {
        return bool(pactl({QStringLiteral("set-source-volume"), name,
                           QString::number(percent) + QLatin1Char('%')}));
    }

    bool setDefaultSource(const QString& name) override {
        return bool(pactl({QStringLiteral("set-default-source"), name}));
    }

    std::unique_ptr<Recorder> startRecorder(const QString& name, bool exclusive) override {
        return std::make_unique<ParecRecorder>(server_, name, exclusive);
    }

    bool grantsExclusiveAccess() const override { return kind_ == QLatin1String("pipewire"); }

private:
    // The tool's output, or absent when it failed.
    std::optional<QString> pactl(const QStringList& arguments) const {
        QProcess process;
        process.start(QStringLiteral("pactl"),
                      QStringList{QStringLiteral("-s"), server_} + arguments);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            return std::nullopt;
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QString kind_;
    QString server_;
    QHash<QString, QString> modules_;
};

}  // namespace

std::unique_ptr<SoundServerDriver> SoundServerDriver::make(const QString& kind) {
    if (kind == QLatin1String("fake")) {
        return std::make_unique<FakeDriver>();
    }
    const auto variable = kind == QLatin1String("pipewire") ? "TAVRIN_TEST_PIPEWIRE_SERVER"
                                                            : "TAVRIN_TEST_PULSEAUDIO_SERVER";
    return std::make_unique<RealDriver>(kind, qEnvironmentVariable(variable));
}

}  // namespace tavrin::testing
