#include <gtest/gtest.h>

#include <fcntl.h>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "support/QtPrinters.h"

#include "platform/linux/LinuxV4L2System.h"
#include "platform/linux/V4L2Discovery.h"
#include "runtime/CurrentProcess.h"

namespace tavrin {
namespace {

// The kernel side of the seam, on what every machine has: /proc and a file of our own.
TEST(LinuxV4L2System, ProcListsThisProcessWithItsNameAsHavingAFileOpen) {
    // A plain file: Qt's temporary files may be unnamed until linked, which /proc shows as such.
    QTemporaryDir directory;
    const auto path = directory.filePath(QStringLiteral("node"));
    LinuxV4L2System system;
    const int fd = system.open(path, O_RDWR | O_CREAT);
    ASSERT_GE(fd, 0);
    const auto openers = V4L2Discovery::openers(system, {path});
    ASSERT_TRUE(openers.contains(path));
    const auto ours =
        std::find_if(openers[path].begin(), openers[path].end(),
                     [](const auto& opener) { return opener.pid == currentProcessID(); });
    ASSERT_NE(ours, openers[path].end());
    EXPECT_FALSE(ours->name.isEmpty());
    system.close(fd);
    EXPECT_FALSE(V4L2Discovery::openers(system, {path}).contains(path));
}

TEST(LinuxV4L2System, AFailedCallIsANegativeErrnoAndAWaitEndsWhenInterrupted) {
    LinuxV4L2System system;
    EXPECT_EQ(system.open(QStringLiteral("/nonexistent/video0"), O_RDWR), -ENOENT);
    EXPECT_EQ(system.ioctl(-1, 0, nullptr), -EBADF);
    EXPECT_FALSE(system.readFile(QStringLiteral("/nonexistent")));
    std::thread interrupter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        system.interruptWait();
    });
    // A wait of a minute that the interrupt ends long before; one that timed out would take
    // the whole minute.
    const auto started = std::chrono::steady_clock::now();
    system.waitForNodeActivity(std::chrono::minutes(1));
    const auto waited = std::chrono::steady_clock::now() - started;
    interrupter.join();
    EXPECT_LT(waited, std::chrono::seconds(10));
}

}  // namespace
}  // namespace tavrin
