#include <gtest/gtest.h>

#include <QFile>

#include "platform/fake/FakeFixture.h"
#include "runtime/FourCharCode.h"

namespace tavrin {
namespace {

QByteArray fixtureFile(const char* name) {
    QFile file(QStringLiteral(TAVRIN_FIXTURE_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

TEST(FakeFixture, ReadsDevicesSymbolsAuthorizationAndScenario) {
    QString error;
    const auto fixture = FakeFixture::parse(fixtureFile("two-of-each.json"), &error);
    ASSERT_TRUE(fixture) << error.toStdString();
    ASSERT_EQ(fixture->cameras.size(), 2);
    const auto& webcam = fixture->cameras[0];
    EXPECT_EQ(webcam.id, QStringLiteral("0x1420000046d0825"));
    EXPECT_EQ(webcam.values.localizedName, QStringLiteral("HD Pro Webcam"));
    ASSERT_TRUE(webcam.captureDevice);
    EXPECT_EQ(webcam.captureDevice->transportType, std::int32_t(fourCC("usb ")));
    EXPECT_FALSE(fixture->cameras[1].captureDevice);
    EXPECT_TRUE(fixture->cameras[1].isDeskView);
    EXPECT_EQ(fixture->cameras[1].values.availability, SXAvailability::lidClosed());
    EXPECT_EQ(fixture->microphones.size(), 2);
    EXPECT_EQ(fixture->microphones[1].captureDevice->transportType, 1651275109);
    ASSERT_EQ(fixture->displays.size(), 2);
    EXPECT_EQ(fixture->displays[1].id, 722u);
    EXPECT_EQ(fixture->displays[1].values.frame, QRectF(1512, -200, 2560, 1440));
    EXPECT_FALSE(fixture->displays[1].values.visibleFrame);
    EXPECT_TRUE(fixture->symbols.contains(QStringLiteral("mic.slash")));
    EXPECT_FALSE(fixture->isMicrophoneAuthorized);
    ASSERT_EQ(fixture->scenario.size(), 1);
    EXPECT_EQ(fixture->scenario[0].at, std::chrono::milliseconds(250));
    EXPECT_EQ(fixture->scenario[0].action, FakeScenarioStep::Action::setAvailability);
}

TEST(FakeFixture, TheBuiltInDemoParses) {
    QFile file(QStringLiteral(":/fake/demo.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    const auto fixture = FakeFixture::parse(file.readAll(), &error);
    ASSERT_TRUE(fixture) << error.toStdString();
    EXPECT_FALSE(fixture->cameras.isEmpty());
    EXPECT_FALSE(fixture->microphones.isEmpty());
    EXPECT_FALSE(fixture->displays.isEmpty());
    EXPECT_FALSE(fixture->scenario.isEmpty());
    // The webcam has formats and a UVC interface, so the demo shows a full camera inspector.
    const auto& webcam = fixture->cameras.first();
    ASSERT_TRUE(webcam.captureDevice);
    EXPECT_EQ(webcam.uvcLocationID, 0x14200000);
    ASSERT_EQ(webcam.captureDevice->formats.size(), 4);
    const auto& active = *webcam.captureDevice->formats[webcam.captureDevice->activeFormat];
    EXPECT_EQ(active.width, 1280);
    EXPECT_EQ(active.frameRateRanges.first().maxFrameRate, 30);
}

TEST(FakeFixture, MalformedInputGivesNoFixtureAndSaysWhere) {
    struct Case {
        const char* json;
        const char* errorStart;
    };
    const Case cases[] = {
        {"", "fixture: "},
        {"[1, 2]", "fixture: expected an object"},
        {R"({"cameras": {}})", "fixture.cameras: expected an array"},
        {R"({"cameras": [3]})", "fixture.cameras[0]: expected an object"},
        {R"({"cameras": [{"name": "A"}]})", "fixture.cameras[0].id: expected a non-empty string"},
        {R"({"microphones": [{"id": "m", "name": "M", "isVirtual": "no"}]})",
         "fixture.microphones[0].isVirtual: expected true or false"},
        {R"({"cameras": [{"id": "c", "name": "C", "captureDevice": {"deviceType": "x",
            "transportType": "usb"}}]})",
         "fixture.cameras[0].captureDevice.transportType: expected a four-character code"},
        {R"({"cameras": [{"id": "c", "name": "C", "captureDevice": {"deviceType": "x",
            "transportType": 4294967296}}]})",
         "fixture.cameras[0].captureDevice.transportType"},
        {R"({"displays": [{"id": -1, "name": "D", "frame": [0, 0, 1, 1]}]})",
         "fixture.displays[0].id: expected a whole number"},
        {R"({"displays": [{"id": 1.5, "name": "D", "frame": [0, 0, 1, 1]}]})",
         "fixture.displays[0].id"},
        {R"({"displays": [{"id": 1, "name": "D", "frame": [0, 0, 1]}]})",
         "fixture.displays[0].frame: expected [x, y, width, height]"},
        {R"({"scenario": [{"atMs": 1, "action": "explode", "kind": "camera", "id": "c"}]})",
         "fixture.scenario[0].action: unknown action"},
        {R"({"scenario": [{"atMs": 1, "action": "unplug", "kind": "printer", "id": "c"}]})",
         "fixture.scenario[0].kind"},
        {R"({"authorization": {"camera": 1}})", "fixture.authorization.camera"},
        {R"({"cameras": [{"id": "c", "name": "C", "captureDevice": {"deviceType": "x",
            "formats": [{"size": [640], "pixelFormat": "420v"}]}}]})",
         "fixture.cameras[0].captureDevice.formats[0].size"},
        {R"({"cameras": [{"id": "c", "name": "C", "captureDevice": {"deviceType": "x",
            "formats": [{"size": [640, 480], "pixelFormat": "nv12x"}]}}]})",
         "fixture.cameras[0].captureDevice.formats[0].pixelFormat"},
        {R"({"cameras": [{"id": "c", "name": "C", "captureDevice": {"deviceType": "x",
            "activeFormat": 1, "formats": [{"size": [640, 480], "pixelFormat": "420v"}]}}]})",
         "fixture.cameras[0].captureDevice.activeFormat"},
        {R"({"cameras": [{"id": "c", "name": "C", "uvcLocationID": "fish"}]})",
         "fixture.cameras[0].uvcLocationID"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(FakeFixture::parse(QByteArray(c.json), &error)) << c.json;
        EXPECT_TRUE(error.startsWith(QLatin1String(c.errorStart)))
            << c.json << " gave: " << error.toStdString();
    }
}

}  // namespace
}  // namespace tavrin
