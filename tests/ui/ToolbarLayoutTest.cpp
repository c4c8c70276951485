#include <gtest/gtest.h>

#include "ui/ToolbarItems.h"
#include "ui/ToolbarLayout.h"

namespace tavrin {
namespace {

using namespace ToolbarItem;

ToolbarLayoutInput defaultInput(std::optional<int> sidebar, std::optional<int> inspector) {
    ToolbarLayoutInput input;
    input.items = defaultItems();
    input.widthOf = [](const QString&) { return 32; };
    input.sidebarDivider = sidebar;
    input.inspectorDivider = inspector;
    input.width = 1240;
    return input;
}

TEST(ToolbarLayoutTest, SeparatorsStandOverTheDividersAndSpacesFillTheirSection) {
    const auto placements = layoutToolbar(defaultInput(260, 960));
    const auto at = [&](qsizetype index) { return placements[index]; };
    ASSERT_EQ(placements.size(), 9);
    EXPECT_EQ(at(0).x, 6);                               // toggle sidebar, at the margin
    EXPECT_EQ(at(1), (ToolbarPlacement{260, 1, true}));  // over the sidebar's divider
    EXPECT_EQ(at(6), (ToolbarPlacement{960, 1, true}));  // over the inspector's divider
    // The centre's three toggles end just before the inspector's divider, pushed by the space.
    EXPECT_EQ(at(5).x + at(5).width, 960 - 4);
    EXPECT_EQ(at(3).x, at(2).x + at(2).width + 4);
    // The inspector's toggle sits at the trailing margin.
    EXPECT_EQ(at(8).x + at(8).width, 1240 - 6);
}

TEST(ToolbarLayoutTest, ACollapsedPanesSeparatorTakesNoRoomAndSplitsNothing) {
    const auto placements = layoutToolbar(defaultInput(std::nullopt, 960));
    EXPECT_FALSE(placements[1].isVisible);
    EXPECT_EQ(placements[1].width, 0);
    // The sidebar's toggle and the centre now share one section from the leading margin.
    EXPECT_EQ(placements[0].x, 6);
    EXPECT_EQ(placements[5].x + placements[5].width, 960 - 4);

    // Two flexible spaces in one section share what is left evenly.
    ToolbarLayoutInput input = defaultInput(std::nullopt, std::nullopt);
    input.items = {flexibleSpace, cameraPreviewToggle, flexibleSpace};
    input.width = 100;
    const auto centred = layoutToolbar(input);
    EXPECT_EQ(centred[0].width + centred[2].width, 100 - 12 - 32 - 8);
    EXPECT_LE(std::abs(centred[0].width - centred[2].width), 1);
}

TEST(ToolbarItemsTest, StoredOrdersAreCleanedOfUnknownAndRepeatedItems) {
    EXPECT_EQ(sanitizedToolbarItems({toggleSidebar, QStringLiteral("bogus"), toggleSidebar,
                                     flexibleSpace, flexibleSpace}),
              (QStringList{toggleSidebar, flexibleSpace, flexibleSpace}));
    EXPECT_FALSE(sanitizedToolbarItems({QStringLiteral("bogus")}));
    EXPECT_EQ(sanitizedToolbarItems({}), QStringList{});  // the user removed everything
    EXPECT_FALSE(toolbarItemDescription(QStringLiteral("bogus")));
    EXPECT_EQ(toolbarItemDescription(cameraMirrorToggle)->toolTip,
              QStringLiteral("Toggle horizontal mirror on the preview"));
    EXPECT_EQ(allowedItems().size(), 9);
}

}  // namespace
}  // namespace tavrin
