#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "ui/SidebarItemDelegate.h"
#include "ui/SidebarModel.h"
#include "ui/SidebarViewController.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

namespace tavrin {
namespace {

using testing::captureSource;
using testing::UiTestEnvironment;

class SidebarTest : public ::testing::Test {
protected:
    SidebarTest() : env_(testing::twoOfEachFixture()) {
        env_.context().deviceStore();
        env_.settleAll();
        sidebar_ = std::make_unique<SidebarViewController>(
            env_.context().deviceStore(), env_.context().platform().symbols(), state_);
        sidebar_->resize(260, 600);
        sidebar_->show();
        env_.settleAll();
    }

    SidebarModel& model() { return *sidebar_->model(); }
    QStringList sections() {
        QStringList titles;
        for (int row = 0; row < model().rowCount(); ++row) {
            titles.append(model().index(row, 0).data(Qt::AccessibleTextRole).toString());
        }
        return titles;
    }
    QStringList names(int section) {
        QStringList all;
        const auto parent = model().index(section, 0);
        for (int row = 0; row < model().rowCount(parent); ++row) {
            all.append(model().index(row, 0, parent).data().toString());
        }
        return all;
    }
    // Types into the filter field over what it holds, as a user does.
    void search(const QString& text) {
        auto* field = sidebar_->searchField();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        env_.settleAll();
    }
    DeviceStore& store() { return env_.context().deviceStore(); }

    UiTestEnvironment env_;
    WindowState state_;
    std::unique_ptr<SidebarViewController> sidebar_;
};

TEST_F(SidebarTest, SectionsInOrderWithUpperCaseHeadersAndACountOfAllDevices) {
    EXPECT_EQ(sections(), (QStringList{"Cameras", "Microphones", "Displays"}));
    EXPECT_EQ(model().index(0, 0).data().toString(), QStringLiteral("CAMERAS"));
    EXPECT_EQ(names(1), (QStringList{"Built-in Microphone", "Headset"}));
    EXPECT_EQ(sidebar_->footerText(), QStringLiteral("5 active \u2022 6 total"));
    // Section rows and device rows keep their heights.
    SidebarItemDelegate delegate;
    QStyleOptionViewItem option;
    EXPECT_EQ(delegate.sizeHint(option, model().index(0, 0)).height(), 22);
    EXPECT_EQ(delegate.sizeHint(option, model().index(0, 0, model().index(0, 0))).height(), 38);
}

TEST_F(SidebarTest, FilteringKeepsOnlyMatchingSectionsAndTheFooterCountsEverything) {
    state_.setSelection(store().microphoneDiscovery().microphones()[0]->uuid());
    env_.settleAll();
    search(QStringLiteral("sonance"));  // a manufacturer: the headset only
    // The chosen microphone is filtered out: no other row shows as chosen, and the choice stays.
    EXPECT_TRUE(sidebar_->outlineView()->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_EQ(state_.selection(), store().microphoneDiscovery().microphones()[0]->uuid());
    EXPECT_EQ(sections(), QStringList{"Microphones"});
    EXPECT_EQ(names(0), QStringList{"Headset"});
    EXPECT_EQ(sidebar_->footerText(), QStringLiteral("5 active \u2022 6 total"));
    EXPECT_EQ(state_.searchText(), QStringLiteral("sonance"));

    search(QStringLiteral("   "));  // blank: everything
    EXPECT_EQ(sections().size(), 3);
    search(QStringLiteral("nothing at all"));
    EXPECT_TRUE(sections().isEmpty());
}

TEST_F(SidebarTest, EscapeClearsTheFieldThenOnlyLeavesIt) {
    sidebar_->searchField()->setFocus();
    search(QStringLiteral("head"));
    QTest::keyClick(sidebar_->searchField(), Qt::Key_Escape);
    env_.settleAll();
    EXPECT_TRUE(state_.searchText().isEmpty());
    EXPECT_EQ(sections().size(), 3);
    EXPECT_FALSE(sidebar_->searchField()->hasFocus());

    sidebar_->searchField()->setFocus();
    QTest::keyClick(sidebar_->searchField(), Qt::Key_Escape);
    EXPECT_TRUE(sidebar_->searchField()->text().isEmpty());
    EXPECT_FALSE(sidebar_->searchField()->hasFocus());
}

TEST_F(SidebarTest, ChoosingARowSelectsTheDeviceAndSectionsCantBeSelected) {
    auto* view = sidebar_->outlineView();
    const auto headset = model().index(1, 0, model().index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(headset).center());
    env_.settleAll();
    const auto chosen = state_.selection();
    EXPECT_EQ(chosen, store().microphoneDiscovery().microphones()[1]->uuid());

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(model().index(0, 0)).center());
    env_.settleAll();
    EXPECT_EQ(state_.selection(), chosen);
    EXPECT_FALSE(model().flags(model().index(0, 0)) & Qt::ItemIsSelectable);

    // The selection written elsewhere shows in the tree; none clears it.
    state_.setSelection(store().cameraDiscovery().cameras()[1]->uuid());
    env_.settleAll();
    EXPECT_EQ(view->selectionModel()->selectedIndexes().value(0).data().toString(),
              QStringLiteral("HD Pro Webcam"));
    state_.setSelection({});
    env_.settleAll();
    EXPECT_TRUE(view->selectionModel()->selectedIndexes().isEmpty());
}

TEST_F(SidebarTest, DevicesComingAndGoingInsertAndRemoveRowsWithoutAReset) {
    QSignalSpy resets(&model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model(), &QAbstractItemModel::rowsInserted);
    state_.setSelection(store().microphoneDiscovery().microphones()[0]->uuid());
    env_.settleAll();

    env_.fake().plugMicrophone(captureSource(QStringLiteral("new-mic"), QStringLiteral("Boom Mic"),
                                             QStringLiteral("Acme"),
                                             QStringLiteral("AVCaptureDeviceTypeMicrophone")));
    env_.settleAll();
    EXPECT_EQ(names(1), (QStringList{"Boom Mic", "Built-in Microphone", "Headset"}));
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(resets.count(), 0);
    // The selected row is still the selected row.
    EXPECT_EQ(sidebar_->outlineView()->selectionModel()->selectedIndexes().value(0).data(),
              QStringLiteral("Built-in Microphone"));

    // Unplugged, the model stays listed as not connected, with its warning symbol.
    env_.fake().unplugMicrophone(QStringLiteral("new-mic"));
    env_.settleAll();
    const auto row = model().indexOf(store().microphoneDiscovery().microphones()[0]->uuid());
    EXPECT_EQ(row.data().toString(), QStringLiteral("Boom Mic"));
    EXPECT_TRUE(row.data(SidebarModel::NeedsAttentionRole).toBool());
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(SidebarTest, ANameChangeRepaintsItsRowWithoutARebuildAndCollapsedSectionsReopen) {
    const int before = sidebar_->rebuildCount();
    QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
    env_.fake().setLocalizedName(FakeDeviceKind::display, QStringLiteral("722"),
                                 QStringLiteral("Studio Monitor Pro"));
    env_.settleAll();
    EXPECT_EQ(names(2).last(), QStringLiteral("Studio Monitor Pro"));
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(sidebar_->rebuildCount(), before);

    sidebar_->outlineView()->collapse(model().index(0, 0));
    env_.fake().setAvailability(FakeDeviceKind::microphone, QStringLiteral("bt-headset"),
                                SXAvailability::notConnected());
    env_.settleAll();
    EXPECT_GT(sidebar_->rebuildCount(), before);
    EXPECT_TRUE(sidebar_->outlineView()->isExpanded(model().index(0, 0)));
    EXPECT_EQ(sidebar_->footerText(), QStringLiteral("4 active \u2022 6 total"));
}

TEST(SidebarRowTest, AccessoriesSitAtTheTrailingEdgeAndTheTextEndsBeforeThem) {
    const QRect row(0, 0, 240, 38);
    const auto plain = SidebarRowGeometry::of(row, false, false);
    EXPECT_TRUE(plain.warning.isEmpty() && plain.dot.isEmpty());
    EXPECT_EQ(plain.text.right() + 1, 240 - 8);
    const auto both = SidebarRowGeometry::of(row, true, true);
    EXPECT_EQ(both.dot.right() + 1, 240 - 8);
    EXPECT_EQ(both.dot.left() - both.warning.right() - 1, 5);
    EXPECT_EQ(both.warning.left() - both.text.right() - 1, 6);
    EXPECT_EQ(both.icon.left(), 4);
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// A screen reader hears what a row shows besides its name: its subtitle, its status, and the
// dot and the warning symbol in words.
TEST_F(SidebarTest, ARowReadsItsNameThenItsSubtitleStatusDotAndWarning) {
    env_.fake().setCameraInUseByAnotherProcess(QStringLiteral("0x1420000046d0825"), true);
    env_.settleAll();
    auto* tree = QAccessible::queryAccessibleInterface(sidebar_->outlineView());
    ASSERT_TRUE(tree);
    // The tree's children are its header's cells and then its rows, each one cell.
    QMap<QString, QString> descriptions;
    for (int i = 0; i < tree->childCount(); ++i) {
        if (auto* cell = tree->child(i); cell && cell->role() == QAccessible::TreeItem) {
            descriptions.insert(cell->text(QAccessible::Name),
                                cell->text(QAccessible::Description));
        }
    }
    EXPECT_EQ(descriptions.value(QStringLiteral("HD Pro Webcam")),
              QStringLiteral("Lumetric \u00b7 USB, In Use, Running"));
    EXPECT_EQ(descriptions.value(QStringLiteral("Headset")),
              QStringLiteral("Sonance \u00b7 Bluetooth, Available"));
    EXPECT_EQ(descriptions.value(QStringLiteral("Desk View Camera")), QStringLiteral("Lid Closed"));
    EXPECT_EQ(descriptions.value(QStringLiteral("Built-in Display")),
              QStringLiteral("1512 \u00d7 982, Available"));
}

}  // namespace
}  // namespace tavrin
