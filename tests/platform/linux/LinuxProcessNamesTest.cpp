#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include "platform/linux/LinuxProcessNames.h"

namespace tavrin {
namespace {

void write(const QString& path, const QByteArray& contents) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

TEST(LinuxProcessNamesTest, ExecutableNameFromTheLinkElseTheShortName) {
    QTemporaryDir proc;
    ASSERT_TRUE(proc.isValid());
    QDir root(proc.path());
    root.mkpath(QStringLiteral("41"));
    QFile::link(QStringLiteral("/usr/bin/some-recorder"), root.filePath(QStringLiteral("41/exe")));
    root.mkpath(QStringLiteral("42"));
    write(root.filePath(QStringLiteral("42/comm")), "kworker\xff\n");

    EXPECT_EQ(LinuxProcessNames::executableName(proc.path(), 41), QStringLiteral("some-recorder"));
    EXPECT_EQ(LinuxProcessNames::executableName(proc.path(), 42),
              QString::fromUtf8("kworker\xef\xbf\xbd"));
    EXPECT_EQ(LinuxProcessNames::executableName(proc.path(), 43), std::nullopt);
    EXPECT_EQ(LinuxProcessNames::executableName(proc.path(), 0), std::nullopt);
    EXPECT_EQ(LinuxProcessNames::executableName(proc.path(), -1), std::nullopt);
}

TEST(LinuxProcessNamesTest, ThisProcessHasItsExecutableName) {
    const auto name = LinuxProcessNames::executableName(
        QStringLiteral("/proc"), std::int32_t(QCoreApplication::applicationPid()));
    EXPECT_EQ(name, QStringLiteral("tavrin_tests"));
}

}  // namespace
}  // namespace tavrin
