#include <gtest/gtest.h>

#include <QImage>

#include "ui/InfoPill.h"
#include "ui/MutedPill.h"
#include "ui/StatusColors.h"
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

QImage rendered(QWidget& widget) {
    widget.resize(widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Whether the image has a pixel of the colour, alpha included, within a tolerance for the
// text's antialiasing.
bool hasPixelNear(const QImage& image, const QRect& area, QColor colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor seen = QColor::fromRgba(image.pixel(x, y));
            if (std::abs(seen.red() - colour.red()) + std::abs(seen.green() - colour.green()) +
                    std::abs(seen.blue() - colour.blue()) +
                    std::abs(seen.alpha() - colour.alpha()) <=
                80) {
                return true;
            }
        }
    }
    return false;
}

TEST(PillTest, StatusPillPaintsItsTintAndLabelAndExplainsItInTheTooltip) {
    DeviceStatus status{QStringLiteral("Available"), StatusTint::green, {}, false};
    StatusPill pill(status);
    const QColor green = tintColor(StatusTint::green, pill.palette());
    auto image = rendered(pill);
    auto geometry = pill.geometryForContent();
    // The dot is the tint; the capsule around it a faint wash of it; the label is drawn.
    EXPECT_EQ(QColor(image.pixel(geometry.leading.center())).rgb(), green.rgb());
    const QColor wash =
        QColor::fromRgba(image.pixel(geometry.leading.left() - 3, image.height() / 2));
    EXPECT_NEAR(wash.alpha(), 255 * 0.12, 2);
    EXPECT_TRUE(hasPixelNear(image, geometry.text, pill.palette().color(QPalette::WindowText)));
    const int narrow = pill.sizeHint().width();

    pill.setStatus({QStringLiteral("Not connected"), StatusTint::secondary,
                    QStringLiteral("Reconnect the device."), false});
    EXPECT_EQ(pill.text(), QStringLiteral("Not connected"));
    EXPECT_EQ(pill.toolTip(), QStringLiteral("Reconnect the device."));
    EXPECT_GT(pill.sizeHint().width(), narrow);
    image = rendered(pill);
    geometry = pill.geometryForContent();
    EXPECT_EQ(image.size(), geometry.size);
    const QColor secondary = tintColor(StatusTint::secondary, pill.palette());
    EXPECT_EQ(QColor(image.pixel(geometry.leading.center())).rgb(), secondary.rgb());
    // The longer label is painted whole: its last letters reach the end of its place.
    const QRect tail(geometry.text.right() - 8, geometry.text.top(), 8, geometry.text.height());
    EXPECT_TRUE(hasPixelNear(image, tail, pill.palette().color(QPalette::WindowText)));
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
