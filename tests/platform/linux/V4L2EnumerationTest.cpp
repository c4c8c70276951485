#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <fcntl.h>
#include <QSize>
#include <cstring>
#include <random>

#include "support/QtPrinters.h"

#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/V4L2Enumeration.h"

namespace tavrin {
namespace {

QList<FakeV4L2NodeSpec> cameraFixture() {
    QString error;
    auto nodes = FakeV4L2System::loadFixture(
        QStringLiteral(TAVRIN_FIXTURE_DIR "/v4l2-cameras.json"), &error);
    EXPECT_TRUE(nodes) << error.toStdString();
    return nodes.value_or(QList<FakeV4L2NodeSpec>());
}

class V4L2EnumerationTest : public ::testing::Test {
protected:
    int open(const char* node) {
        const int fd = system_.open(QString::fromLatin1(node), O_RDWR);
        EXPECT_GE(fd, 0);
        return fd;
    }

    FakeV4L2System system_{cameraFixture()};
};

TEST_F(V4L2EnumerationTest, EachPixelFormatAndDiscreteSizeIsOneFormatWithItsIntervals) {
    const int fd = open("/dev/video0");
    const auto formats = V4L2Enumeration::formats(system_, fd, {0});
    ASSERT_EQ(formats.size(), 9);  // 6 YUYV sizes, 3 MJPG sizes
    EXPECT_EQ(formats[0]->mediaSubtype, fourCC("YUYV"));
    EXPECT_EQ(QSize(formats[0]->width, formats[0]->height), QSize(640, 480));
    ASSERT_EQ(formats[0]->frameRateRanges.size(), 7);
    EXPECT_DOUBLE_EQ(formats[0]->frameRateRanges[0].maxFrameRate, 30);
    EXPECT_DOUBLE_EQ(formats[0]->frameRateRanges[5].maxFrameRate, 7.5);
    EXPECT_EQ(formats[0]->supportedColorSpaces, QList<int>{0});
    const auto& fullHD = formats[5];
    EXPECT_EQ(QSize(fullHD->width, fullHD->height), QSize(1920, 1080));
    ASSERT_EQ(fullHD->frameRateRanges.size(), 2);
    EXPECT_EQ(formats[6]->mediaSubtype, fourCC("MJPG"));
}

TEST_F(V4L2EnumerationTest, AStepwiseSizeGivesStandardSizesWithOneContinuousRange) {
    const int fd = open("/dev/video4");
    const auto formats = V4L2Enumeration::formats(system_, fd, {0});
    QList<CaptureFormat> rgb;
    for (const auto& format : formats) {
        if (format->mediaSubtype == fourCC("RGB3")) {
            rgb.append(format);
        }
    }
    ASSERT_EQ(rgb.size(), 13);
    EXPECT_EQ(QSize(rgb.last()->width, rgb.last()->height), QSize(1920, 1080));
    for (const auto& format : rgb) {
        ASSERT_EQ(format->frameRateRanges.size(), 1);
        EXPECT_DOUBLE_EQ(format->frameRateRanges[0].minFrameRate, 1);
        EXPECT_DOUBLE_EQ(format->frameRateRanges[0].maxFrameRate, 60);
    }
}

TEST_F(V4L2EnumerationTest, TheActiveFormatAndControlsAreRead) {
    const int fd = open("/dev/video0");
    const auto formats = V4L2Enumeration::formats(system_, fd, {0});
    const auto active = V4L2Enumeration::activeFormat(system_, fd);
    ASSERT_TRUE(active);
    EXPECT_EQ(active->frameDuration, MediaTime::make(1, 30));
    EXPECT_EQ(V4L2Enumeration::matchingFormat(formats, *active), formats[0]);
    const auto controls = V4L2Enumeration::controls(system_, fd);
    EXPECT_EQ(controls.exposureAuto, V4L2_EXPOSURE_APERTURE_PRIORITY);
    EXPECT_EQ(controls.exposureAutoOffered,
              (QList<std::int32_t>{V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_APERTURE_PRIORITY}));
    EXPECT_EQ(controls.focusAuto, true);
    EXPECT_FALSE(controls.privacy);
}

TEST_F(V4L2EnumerationTest, CapabilitiesTellCaptureNodesFromTheRest) {
    for (const auto& [node, isCapture] :
         {std::pair{"/dev/video0", true}, {"/dev/video1", false}, {"/dev/video5", false}}) {
        const auto caps = V4L2Enumeration::queryCapabilities(system_, open(node));
        ASSERT_TRUE(caps);
        EXPECT_EQ(caps->isVideoCapture(), isCapture) << node;
    }
}

TEST(V4L2DriverString, EndsAtTheFieldWithoutATerminator) {
    unsigned char field[8];
    std::memset(field, 'A', sizeof field);
    EXPECT_EQ(V4L2Enumeration::driverString(field, sizeof field), QStringLiteral("AAAAAAAA"));
    field[3] = 0;
    EXPECT_EQ(V4L2Enumeration::driverString(field, sizeof field), QStringLiteral("AAA"));
}

// A driver that answers every enumeration with random garbage and never ends its lists.
class GarbageV4L2System final : public V4L2System {
public:
    // An endless driver answers every index of every list.
    GarbageV4L2System(unsigned seed, bool endless) : random_(seed), endless_(endless) {}

    int open(const QString&, int) override { return 3; }
    int close(int) override { return 0; }
    int duplicate(int) override { return -EBADF; }
    int ioctl(int, unsigned long request, void* argument) override {
        ++calls;
        if (!endless_ && random_() % 5000 == 0) {
            return -EINVAL;  // now and then a refusal in the middle of a walk
        }
        auto* bytes = static_cast<unsigned char*>(argument);
        const auto size = _IOC_SIZE(request);
        // Keep what the caller asked about (index, format, size) and scramble the answer.
        const std::size_t keep = request == VIDIOC_ENUM_FRAMEINTERVALS                     ? 16
                                 : request == VIDIOC_ENUM_FRAMESIZES                       ? 8
                                 : request == VIDIOC_ENUM_FMT                              ? 8
                                 : request == VIDIOC_QUERYMENU                             ? 8
                                 : request == VIDIOC_QUERYCTRL || request == VIDIOC_G_CTRL ? 4
                                                                                           : 0;
        for (std::size_t i = keep; i < size; ++i) {
            bytes[i] = static_cast<unsigned char>(random_() % 4 == 0 ? 0 : random_());
        }
        if (request == VIDIOC_ENUM_FRAMESIZES || request == VIDIOC_ENUM_FRAMEINTERVALS) {
            // Mostly discrete, so that lists run on to their bound; now and then a span or a
            // type that doesn't exist. The rest of the fields stay garbage.
            const std::uint32_t type = !endless_ && random_() % 8 == 0 ? random_() % 5 : 1;
            std::memcpy(bytes + keep, &type, sizeof type);
        }
        return 0;
    }
    void* mmap(std::size_t, int, off_t) override { return nullptr; }
    int munmap(void*, std::size_t) override { return 0; }
    int poll(int, int) override { return 0; }
    QStringList listDirectory(const QString&) override { return {}; }
    std::optional<QByteArray> readFile(const QString&) override { return std::nullopt; }
    QString readLink(const QString&) override { return {}; }
    void waitForNodeActivity(std::chrono::milliseconds) override {}
    void interruptWait() override {}

    long calls = 0;

private:
    std::mt19937 random_;
    bool endless_;
};

TEST(V4L2EnumerationFuzz, GarbageAnswersGiveNeutralValuesAndABoundedWalk) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        GarbageV4L2System system(seed, seed % 2 == 1);
        const auto caps = V4L2Enumeration::queryCapabilities(system, 3);
        if (caps) {
            EXPECT_LE(caps->card.size(), 32);
        }
        const auto formats = V4L2Enumeration::formats(system, 3, {0});
        const auto maxFormats = V4L2Enumeration::maxFormats * V4L2Enumeration::maxEntries;
        EXPECT_LE(formats.size(), maxFormats) << "seed " << seed;
        for (const auto& format : formats) {
            EXPECT_GT(format->width, 0);
            EXPECT_GT(format->height, 0);
            EXPECT_LE(format->frameRateRanges.size(), V4L2Enumeration::maxEntries);
            for (const auto& range : format->frameRateRanges) {
                EXPECT_GT(range.minFrameRate, 0);
                EXPECT_GE(range.maxFrameRate, range.minFrameRate);
            }
        }
        V4L2Enumeration::activeFormat(system, 3);
        V4L2Enumeration::controls(system, 3);
        // Every list ended at its bound: formats × sizes × intervals at most.
        EXPECT_LT(system.calls, 256L * 64 * 66 + 1000) << "seed " << seed;
    }
}

}  // namespace
}  // namespace tavrin
