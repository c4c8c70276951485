#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include "app/AppContext.h"
#include "catalogue/DeviceStore.h"
#include "contract/DisplayServerDriver.h"
#include "contract/RealTimeLoop.h"
#include "contract/RequiredServers.h"
#include "display/DisplayDevice.h"
#include "display/DisplayDiscovery.h"

namespace tavrin::testing {
namespace {

using namespace std::chrono_literals;

QString scriptPath() {
    return QStringLiteral(TAVRIN_SOURCE_DIR) + QStringLiteral("/scripts/x-server.sh");
}

// An X server of the test's own, started by the same script as the shared one, which the test
// may kill.
class PrivateXServer {
public:
    bool start() {
        QProcess script;
        script.start(QStringLiteral("bash"),
                     {scriptPath(), QStringLiteral("start"), directory_.path()});
        if (!script.waitForFinished(30000) || script.exitCode() != 0) {
            return false;
        }
        const auto output = QString::fromUtf8(script.readAllStandardOutput()).trimmed();
        display_ = output.section(QLatin1Char('='), 1);
        return !display_.isEmpty();
    }
    void kill() {
        QFile file(directory_.path() + QStringLiteral("/pid"));
        if (file.open(QIODevice::ReadOnly)) {
            ::kill(pid_t(file.readAll().trimmed().toLongLong()), SIGKILL);
        }
    }
    ~PrivateXServer() {
        QProcess::execute(QStringLiteral("bash"),
                          {scriptPath(), QStringLiteral("stop"), directory_.path()});
    }
    const QString& display() const { return display_; }

private:
    QTemporaryDir directory_;
    QString display_;
};

TEST(XServerFault, AServerThatGoesAwayLeavesEveryDisplayNotConnected) {
    PrivateXServer server;
    if (!server.start()) {
        if (isRequiredServer(QStringLiteral("xorg"))) {
            FAIL() << "a private Xorg did not start";
        }
        GTEST_SKIP() << "Xorg with the dummy driver is not available here";
    }
    auto driver = DisplayServerDriver::makeXorg(server.display());
    auto queue = std::make_unique<VirtualMainThreadQueue>();
    auto& mainThread = *queue;
    auto platform = driver->makePlatform(mainThread);
    ASSERT_TRUE(platform);
    AppContext context(std::move(queue), std::move(platform));
    auto& discovery = context.deviceStore().displayDiscovery();
    ASSERT_TRUE(runMainThreadUntil(
        mainThread, [&] { return discovery.displays().size() == 3; }, 8s));

    server.kill();
    const auto allGone = [&] {
        for (const auto& display : discovery.displays()) {
            if (display->availability() != SXAvailability::notConnected()) {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(runMainThreadUntil(mainThread, allGone, 8s));
    EXPECT_EQ(discovery.displays().size(), 3);
    // Commands are refused as meant for a server that is gone, before any request would be
    // made, and change nothing.
    const auto& last = *discovery.displays().last();
    const auto frame = last.frame();
    const auto eventsBefore = context.eventLog().events(last.uuid()).size();
    EXPECT_EQ(discovery.displays().last()->setOrigin(10, 10), DisplayErrorCode::invalidConnection);
    EXPECT_EQ(discovery.makeMain(*discovery.displays().last()),
              DisplayErrorCode::invalidConnection);
    discovery.displays().first()->refreshScreenProperties();
    runMainThreadUntil(
        mainThread, [] { return false; }, 200ms);
    EXPECT_EQ(last.frame(), frame);
    EXPECT_EQ(context.eventLog().events(last.uuid()).size(), eventsBefore);
    EXPECT_EQ(discovery.displays().first()->availability(), SXAvailability::notConnected());
}

}  // namespace
}  // namespace tavrin::testing
