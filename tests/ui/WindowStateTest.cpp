#include <gtest/gtest.h>

#include <QSignalSpy>

#include "ui/WindowState.h"

namespace tavrin {
namespace {

TEST(WindowStateTest, StartsEmptyAndOffAndNotifiesOnlyRealChanges) {
    WindowState state;
    EXPECT_TRUE(state.selection().isNull());
    EXPECT_TRUE(state.searchText().isEmpty());
    EXPECT_FALSE(state.isCameraPreviewEnabled() || state.isCameraPreviewMirrored() ||
                 state.isMicrophoneMeterEnabled() || state.isLogExpanded());

    QSignalSpy selection(&state, &WindowState::selectionChanged);
    QSignalSpy search(&state, &WindowState::searchTextChanged);
    QSignalSpy preview(&state, &WindowState::cameraPreviewEnabledChanged);
    QSignalSpy log(&state, &WindowState::isLogExpandedChanged);

    state.setSelection({});  // none to none
    const auto id = QUuid::createUuid();
    state.setSelection(id);
    state.setSelection(id);
    state.setSelection({});  // a value to none does notify
    EXPECT_EQ(selection.count(), 2);

    state.setSearchText(QStringLiteral("mic"));
    state.setSearchText(QStringLiteral("mic"));
    state.setCameraPreviewEnabled(false);
    state.setCameraPreviewEnabled(true);
    state.setCameraPreviewEnabled(true);
    state.setLogExpanded(false);
    EXPECT_EQ(search.count(), 1);
    EXPECT_EQ(preview.count(), 1);
    EXPECT_EQ(log.count(), 0);
}

}  // namespace
}  // namespace tavrin
