#include <gtest/gtest.h>

#include <QByteArray>
#include <array>
#include <cstdint>

#include "support/QtPrinters.h"

#include "platform/linux/Edid.h"

namespace tavrin {
namespace {

// An EDID 1.3/1.4 base block laid out as monitors publish it: header, vendor and product,
// version, basic parameters, one detailed timing, then display descriptors; the checksum last.
class EdidBlock {
public:
    EdidBlock() {
        bytes_.fill(0);
        const std::array<std::uint8_t, 8> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        std::copy(header.begin(), header.end(), bytes_.begin());
        bytes_[0x12] = 1;     // version 1
        bytes_[0x13] = 4;     // revision 4
        bytes_[0x15] = 0x3C;  // 60 cm wide
        bytes_[0x16] = 0x22;  // 34 cm high
        // A detailed timing in the first slot: a non-zero pixel clock (148.5 MHz).
        bytes_[54] = 0x02;
        bytes_[55] = 0x3A;
    }

    EdidBlock& vendor(char a, char b, char c) {
        const std::uint16_t packed =
            std::uint16_t(((a - '@') << 10) | ((b - '@') << 5) | (c - '@'));
        bytes_[8] = std::uint8_t(packed >> 8);
        bytes_[9] = std::uint8_t(packed);
        return *this;
    }
    EdidBlock& srgbDefault() {
        bytes_[0x18] |= 0x04;
        return *this;
    }
    // A display descriptor with a tag and up to 13 bytes of text, ended and padded the usual way.
    EdidBlock& descriptor(int slot, std::uint8_t tag, const QByteArray& text) {
        auto* d = bytes_.data() + 54 + slot * 18;
        std::fill(d, d + 18, 0);
        d[3] = tag;
        for (int i = 0; i < 13; ++i) {
            d[5 + i] = i < text.size() ? std::uint8_t(text[i]) : (i == text.size() ? 0x0A : 0x20);
        }
        return *this;
    }
    EdidBlock& raw(int offset, std::uint8_t value) {
        bytes_[std::size_t(offset)] = value;
        return *this;
    }
    EdidBlock& extensions(std::uint8_t count) { return raw(126, count); }

    QByteArray bytes(bool fixChecksum = true) const {
        auto block = bytes_;
        if (fixChecksum) {
            std::uint8_t sum = 0;
            for (int i = 0; i < 127; ++i) {
                sum = std::uint8_t(sum + block[std::size_t(i)]);
            }
            block[127] = std::uint8_t(0x100 - sum);
        }
        return QByteArray(reinterpret_cast<const char*>(block.data()), 128);
    }

private:
    std::array<std::uint8_t, 128> bytes_{};
};

struct NamedEdid {
    const char* what;
    QByteArray bytes;
    std::optional<QString> name;
};

TEST(Edid, MonitorNamesAsMonitorsPublishThem) {
    const std::vector<NamedEdid> cases{
        // Range limits first, then the name, then the serial: the common order of desktop monitors.
        {"name in the third slot",
         EdidBlock()
             .vendor('D', 'E', 'L')
             .descriptor(1, 0xFD, QByteArray("\x38\x4c\x1e\x53\x11\x00", 6))
             .descriptor(2, 0xFC, "DELL U2415")
             .descriptor(3, 0xFF, "7MT0167B2YNL")
             .bytes(),
         QStringLiteral("DELL U2415")},
        // A laptop panel: vendor strings instead of a name.
        {"panel without a name",
         EdidBlock()
             .vendor('B', 'O', 'E')
             .descriptor(2, 0xFE, "BOE HF")
             .descriptor(3, 0xFE, "NV140FHM-N49")
             .bytes(),
         std::nullopt},
        // Exactly 13 characters leave no room for the line feed.
        {"thirteen characters", EdidBlock().descriptor(1, 0xFC, "LG ULTRAFINE5").bytes(),
         QStringLiteral("LG ULTRAFINE5")},
        {"padded with spaces", EdidBlock().descriptor(3, 0xFC, "VG27A   ").bytes(),
         QStringLiteral("VG27A")},
        {"first name wins",
         EdidBlock().descriptor(1, 0xFC, "FIRST").descriptor(2, 0xFC, "SECOND").bytes(),
         QStringLiteral("FIRST")},
        {"blank name", EdidBlock().descriptor(1, 0xFC, "").bytes(), std::nullopt},
    };
    for (const auto& edid : cases) {
        const auto info = parseEdid(edid.bytes);
        ASSERT_TRUE(info) << edid.what;
        EXPECT_EQ(info->monitorName, edid.name) << edid.what;
    }
}

TEST(Edid, TheSrgbFlagNamesTheColourSpace) {
    EXPECT_EQ(parseEdid(EdidBlock().srgbDefault().bytes())->colorSpaceName, QStringLiteral("sRGB"));
    EXPECT_EQ(parseEdid(EdidBlock().bytes())->colorSpaceName, std::nullopt);
}

TEST(Edid, HostileBlocksGiveNothingOrNoName) {
    const auto valid = EdidBlock().descriptor(1, 0xFC, "GOOD").bytes();
    EXPECT_FALSE(parseEdid(QByteArray()));
    EXPECT_FALSE(parseEdid(valid.left(127)));
    EXPECT_FALSE(parseEdid(EdidBlock().descriptor(1, 0xFC, "GOOD").raw(20, 0x80).bytes(false)))
        << "a wrong checksum";
    auto badHeader = valid;
    badHeader[1] = 0;
    EXPECT_FALSE(parseEdid(badHeader));
    EXPECT_FALSE(parseEdid(QByteArray(128, '\0')));
    EXPECT_FALSE(parseEdid(QByteArray(256, '\xFF')));

    // An extension count far past the data read nothing more than the base block.
    const auto lying = parseEdid(EdidBlock().descriptor(1, 0xFC, "GOOD").extensions(255).bytes());
    ASSERT_TRUE(lying);
    EXPECT_EQ(lying->monitorName, QStringLiteral("GOOD"));
    // Control characters and bytes above ASCII end the name; one that starts with them is none.
    EXPECT_EQ(parseEdid(EdidBlock()
                            .descriptor(1, 0xFC,
                                        "AB\x01"
                                        "CD")
                            .bytes())
                  ->monitorName,
              QStringLiteral("AB"));
    EXPECT_EQ(parseEdid(EdidBlock().descriptor(1, 0xFC, "\xC3\xA9t\xC3\xA9").bytes())->monitorName,
              std::nullopt);
    // A name tag in a detailed timing (non-zero pixel clock) is timing data, not a name.
    EXPECT_EQ(parseEdid(EdidBlock().raw(54 + 3, 0xFC).bytes())->monitorName, std::nullopt);
}

TEST(Edid, EveryByteFlippedNeverReadsOutOfBounds) {
    // A crude in-process fuzz over the block and its truncations; the sanitizer build checks it.
    const auto valid = EdidBlock().descriptor(2, 0xFC, "FUZZ ME").srgbDefault().bytes();
    for (int offset = 0; offset < valid.size(); ++offset) {
        for (const int value : {0x00, 0x0A, 0x20, 0x7F, 0xFC, 0xFF}) {
            auto bytes = valid;
            bytes[offset] = char(value);
            const auto info = parseEdid(bytes);
            if (info && info->monitorName) {
                EXPECT_LE(info->monitorName->size(), 13);
            }
        }
        parseEdid(valid.left(offset));
    }
}

}  // namespace
}  // namespace tavrin
