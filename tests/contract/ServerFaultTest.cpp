#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstring>

#include "support/NoLocalDevices.h"
#include "support/QtPrinters.h"

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "catalogue/DeviceStore.h"
#include "catalogue/MicrophoneDiscovery.h"
#include "platform/linux/LinuxPlatform.h"
#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin::testing {
namespace {

using namespace std::chrono_literals;

// A PulseAudio server of the test's own, which the test may kill and start again on the same
// socket.
class PrivateServer {
public:
    explicit PrivateServer(const QString& directory) : directory_(directory) {
        QFile config(directory_ + QStringLiteral("/default.pa"));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("load-module module-native-protocol-unix socket=%1 "
                                    "auth-anonymous=1\n"
                                    "load-module module-null-source source_name=fault_mic "
                                    "description=Fault\n")
                         .arg(socket())
                         .toUtf8());
    }
    ~PrivateServer() { kill(); }

    QString socket() const { return directory_ + QStringLiteral("/native"); }
    QString server() const { return QStringLiteral("unix:") + socket(); }

    bool start() {
        auto environment = QProcessEnvironment::systemEnvironment();
        for (const auto* variable : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
            environment.insert(QString::fromUtf8(variable), directory_);
        }
        process_.setProcessEnvironment(environment);
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(directory_ + QStringLiteral("/log"));
        process_.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("-F"), directory_ + QStringLiteral("/default.pa"),
             QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
             QStringLiteral("--use-pid-file=no")});
        if (!process_.waitForStarted(5000)) {
            return false;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            QProcess probe;
            probe.start(QStringLiteral("pactl"),
                        {QStringLiteral("-s"), server(), QStringLiteral("info")});
            if (probe.waitForFinished(2000) && probe.exitCode() == 0) {
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }

    // Stops the server where it stands: its socket takes requests and nobody answers them.
    void pause() { ::kill(pid_t(process_.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(process_.processId()), SIGCONT); }

    void kill() {
        resume();
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

private:
    QString directory_;
    QProcess process_;
};

class ServerFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) {
            if (qEnvironmentVariable("TAVRIN_TEST_REQUIRE_SERVERS")
                    .contains(QLatin1String("pulseaudio"))) {
                FAIL() << "pulseaudio is not installed";
            }
            GTEST_SKIP() << "pulseaudio is not installed";
        }
        ASSERT_TRUE(directory_.isValid());
    }

    bool waitFor(VirtualMainThreadQueue& queue, const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            queue.runUntilIdle();
            if (done()) {
                return true;
            }
            QThread::msleep(5);
        }
        return false;
    }

    // Connects a context to the server and waits for its one microphone.
    bool connect(PrivateServer& server) {
        auto queue = std::make_unique<VirtualMainThreadQueue>();
        queue_ = queue.get();
        auto platform = LinuxPlatform::connect(*queue_, server.server(), 5s, noLocalDevices());
        if (!platform) {
            return false;
        }
        context_ = std::make_unique<AppContext>(std::move(queue), std::move(platform));
        auto& discovery = context_->deviceStore().microphoneDiscovery();
        return waitFor(*queue_, [&] {
            microphone_ =
                discovery.microphones().isEmpty() ? nullptr : discovery.microphones().first();
            return microphone_ && microphone_->isConnected() && !microphone_->isMuted();
        });
    }

    void TearDown() override {
        microphone_.reset();
        context_.reset();
    }

    QTemporaryDir directory_;
    VirtualMainThreadQueue* queue_ = nullptr;
    std::unique_ptr<AppContext> context_;
    std::shared_ptr<MicrophoneDevice> microphone_;
};

TEST_F(ServerFaultTest, ServerThatNeverAnswersGivesNoPlatformInTime) {
    // A socket that takes connections into its backlog and never answers them.
    const auto path = directory_.filePath(QStringLiteral("silent")).toUtf8();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(std::size_t(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    VirtualMainThreadQueue queue;

    const auto started = std::chrono::steady_clock::now();
    auto platform = LinuxPlatform::connect(queue, QStringLiteral("unix:") + QString::fromUtf8(path),
                                           500ms, noLocalDevices());
    const auto elapsed = std::chrono::steady_clock::now() - started;
    ::close(listener);

    EXPECT_FALSE(platform);
    EXPECT_LT(elapsed, 5s);
}

TEST_F(ServerFaultTest, NoServerAtAllGivesNoPlatformAtOnce) {
    VirtualMainThreadQueue queue;
    const auto started = std::chrono::steady_clock::now();
    auto platform = LinuxPlatform::connect(
        queue, QStringLiteral("unix:") + directory_.filePath(QStringLiteral("nothing")), 5s,
        noLocalDevices());
    EXPECT_FALSE(platform);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
}

TEST_F(ServerFaultTest, CommandsReturnAtOnceWhileTheServerHangsAndTakeEffectWhenItAnswers) {
    PrivateServer server(directory_.path());
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(connect(server));
    auto& virtualQueue = *queue_;
    auto microphone = microphone_;

    server.pause();
    const auto started = std::chrono::steady_clock::now();
    microphone->setMuted(true);
    microphone->setVolume(0.25f);
    microphone->makeDefaultInput();
    microphone->setActiveInputSource(CaptureInputSource{QStringLiteral("any"), QString()});
    microphone->audioHogMode().take();
    microphone->configurationLock().lock();
    const auto elapsed = std::chrono::steady_clock::now() - started;
    server.resume();

    // Each command waits 20 ms at most; waiting for the answers would take seconds. The bound
    // leaves room for a loaded machine.
    EXPECT_LT(elapsed, 1s);
    // The requests were sent: their effects arrive once the server answers.
    EXPECT_TRUE(waitFor(virtualQueue, [&] {
        return microphone->isMuted() && microphone->volume() &&
               std::abs(*microphone->volume() - 0.25f) < 0.01f;
    }));
}

TEST_F(ServerFaultTest, ServerKilledMidRunLeavesMicrophonesNotConnectedUntilItReturns) {
    PrivateServer server(directory_.path());
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(connect(server));
    auto& virtualQueue = *queue_;
    auto& context = *context_;
    auto& discovery = context.deviceStore().microphoneDiscovery();
    auto microphone = microphone_;
    const auto uuid = microphone->uuid();
    auto session = context.platform().audioCapture().makeSession();
    std::atomic<int> buffers = 0;
    session->setBufferHandler([&](const AudioSampleBuffer&) { ++buffers; });
    session->startRunning();
    ASSERT_TRUE(session->addInput(microphone->id()));
    ASSERT_TRUE(waitFor(virtualQueue, [&] { return buffers > 0; }));

    server.kill();
    ASSERT_TRUE(waitFor(virtualQueue, [&] {
        return microphone->availability() == SXAvailability::notConnected() &&
               !microphone->isConnected();
    }));
    microphone->setMuted(true);
    microphone->audioHogMode().take();
    ASSERT_TRUE(waitFor(virtualQueue, [&] {
        return context.eventLog().events(uuid).size() > 0 &&
               context.eventLog().events(uuid).last().message.startsWith(QStringLiteral("Failed"));
    }));

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(waitFor(virtualQueue, [&] {
        return microphone->availability() == SXAvailability::available() &&
               microphone->isConnected();
    }));
    EXPECT_EQ(discovery.microphones().size(), 1);
    EXPECT_EQ(discovery.microphones().first()->uuid(), uuid);
    // A capture that was running resumes on its own.
    const int before = buffers;
    EXPECT_TRUE(waitFor(virtualQueue, [&] { return buffers > before + 3; }));
}

}  // namespace
}  // namespace tavrin::testing
