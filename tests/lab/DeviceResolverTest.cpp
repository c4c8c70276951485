#include "lab/DeviceResolver.h"

#include <gtest/gtest.h>

#include "lab/LabTestSupport.h"

namespace tavrin {
namespace {

using namespace testing;
using Kind = DeviceEntry::Kind;

class DeviceResolverTest : public ::testing::Test {
protected:
    QString resolvedName(const QString& name, const QList<Kind>& kinds = {}) {
        const auto result = DeviceResolver::of(env_.store()).resolve(name, kinds);
        if (const auto* error = std::get_if<DeviceNameError>(&result)) {
            return QStringLiteral("error: ") + error->text();
        }
        return std::get<DeviceEntry>(result).localizedName();
    }

    LabEnvironment env_;
};

TEST_F(DeviceResolverTest, NamesADeviceByIDKindIndexWholeNameOrUniquePrefix) {
    EXPECT_EQ(resolvedName(QStringLiteral("0x1420000046d0825")), QStringLiteral("HD Pro Webcam"));
    EXPECT_EQ(resolvedName(QStringLiteral("722")), QStringLiteral("Studio Monitor 27"));
    EXPECT_EQ(resolvedName(QStringLiteral("camera:0")), QStringLiteral("Built-in Camera"));
    EXPECT_EQ(resolvedName(QStringLiteral("camera:1")), QStringLiteral("HD Pro Webcam"));
    EXPECT_EQ(resolvedName(QStringLiteral("microphone:1")), QStringLiteral("Podcast Mic"));
    EXPECT_EQ(resolvedName(QStringLiteral("display:0")), QStringLiteral("Built-in Retina Display"));
    EXPECT_EQ(resolvedName(QStringLiteral("podcast")), QStringLiteral("Podcast Mic"));
    EXPECT_EQ(resolvedName(QStringLiteral("hd pro webcam")), QStringLiteral("HD Pro Webcam"));
}

TEST_F(DeviceResolverTest, AnAmbiguousNameListsEveryCandidate) {
    const auto result = DeviceResolver::of(env_.store()).resolve(QStringLiteral("Built-in"));
    ASSERT_TRUE(std::holds_alternative<DeviceNameError>(result));
    const auto& error = std::get<DeviceNameError>(result);
    EXPECT_EQ(error.kind, DeviceNameError::Kind::ambiguous);
    ASSERT_EQ(error.candidates.size(), 3u);
    EXPECT_TRUE(error.text().contains(QStringLiteral("Built-in Camera")));
    EXPECT_TRUE(error.text().contains(QStringLiteral("Built-in Microphone")));
    EXPECT_TRUE(error.text().contains(QStringLiteral("Built-in Retina Display")));
}

TEST_F(DeviceResolverTest, TheCommandsKindsNarrowTheCandidates) {
    EXPECT_EQ(resolvedName(QStringLiteral("Built"), {Kind::microphone}),
              QStringLiteral("Built-in Microphone"));
    EXPECT_TRUE(resolvedName(QStringLiteral("camera:0"), {Kind::microphone}).startsWith("error"));
}

TEST_F(DeviceResolverTest, UnknownNamesAndIndexesBeyondTheListAreNotFound) {
    for (const auto* name : {"Nothing", "camera:9", "camera:-1", "webcam:0", ""}) {
        const auto result = DeviceResolver::of(env_.store()).resolve(QString::fromLatin1(name));
        ASSERT_TRUE(std::holds_alternative<DeviceNameError>(result)) << name;
        EXPECT_EQ(std::get<DeviceNameError>(result).kind, DeviceNameError::Kind::notFound) << name;
    }
}

}  // namespace
}  // namespace tavrin
