#include <gtest/gtest.h>

#include "ui/InfoPill.h"
#include "ui/MutedPill.h"
#include "ui/StatusPill.h"

namespace tavrin {
namespace {

TEST(PillGeometryTest, ContentIsPaddedAndCentredOnTheTallerPart) {
    const auto geometry = PillGeometry::make(QSize(6, 6), QSize(40, 14), 5);
    EXPECT_EQ(geometry.size, QSize(7 + 6 + 5 + 40 + 7, 3 + 14 + 3));
    EXPECT_EQ(geometry.leading, QRect(7, 7, 6, 6));
    EXPECT_EQ(geometry.text, QRect(18, 3, 40, 14));

    // A symbol taller than the text sets the height, and the text sits on its middle.
    const auto tall = PillGeometry::make(QSize(16, 16), QSize(30, 12), 4);
    EXPECT_EQ(tall.size.height(), 22);
    EXPECT_EQ(tall.text.center().y(), tall.leading.center().y());
}

TEST(PillTest, StatusPillShowsTheLabelAndExplainsItInTheTooltip) {
    DeviceStatus status{QStringLiteral("Available"), StatusTint::green, {}, false};
    StatusPill pill(status);
    EXPECT_EQ(pill.text(), QStringLiteral("Available"));
    EXPECT_TRUE(pill.symbolName().isEmpty());
    const int narrow = pill.sizeHint().width();

    pill.setStatus({QStringLiteral("Not connected"), StatusTint::secondary,
                    QStringLiteral("Reconnect the device."), false});
    EXPECT_EQ(pill.text(), QStringLiteral("Not connected"));
    EXPECT_EQ(pill.toolTip(), QStringLiteral("Reconnect the device."));
    EXPECT_GT(pill.sizeHint().width(), narrow);
    EXPECT_EQ(pill.sizeHint(), pill.geometryForContent().size);
}

TEST(PillTest, InfoAndMutedPillsLeadWithTheirSymbols) {
    InfoPill info(QStringLiteral("viewfinder"), QStringLiteral("640×480 420v (NV12)"));
    EXPECT_EQ(info.symbolName(), QStringLiteral("viewfinder"));
    EXPECT_EQ(info.accessibleName(), QStringLiteral("640×480 420v (NV12)"));
    info.setText(QStringLiteral("30 fps"));
    EXPECT_EQ(info.text(), QStringLiteral("30 fps"));

    MutedPill muted;
    EXPECT_EQ(muted.symbolName(), QStringLiteral("mic.slash.fill"));
    EXPECT_EQ(muted.text(), QStringLiteral("Muted"));
    EXPECT_EQ(muted.sizeHint().height(), muted.geometryForContent().size.height());
}

}  // namespace
}  // namespace tavrin
