#include "ui/WindowState.h"

#include "runtime/AssignIfChanged.h"

namespace tavrin {

void WindowState::setSelection(const QUuid& value) {
    if (assignIfChanged(selection_, value)) {
        emit selectionChanged();
    }
}

void WindowState::setSearchText(const QString& value) {
    if (assignIfChanged(searchText_, value)) {
        emit searchTextChanged();
    }
}

void WindowState::setCameraPreviewEnabled(bool value) {
    if (assignIfChanged(cameraPreviewEnabled_, value)) {
        emit cameraPreviewEnabledChanged();
    }
}

void WindowState::setCameraPreviewMirrored(bool value) {
    if (assignIfChanged(cameraPreviewMirrored_, value)) {
        emit cameraPreviewMirroredChanged();
    }
}

void WindowState::setMicrophoneMeterEnabled(bool value) {
    if (assignIfChanged(microphoneMeterEnabled_, value)) {
        emit microphoneMeterEnabledChanged();
    }
}

void WindowState::setLogExpanded(bool value) {
    if (assignIfChanged(isLogExpanded_, value)) {
        emit isLogExpandedChanged();
    }
}

}  // namespace tavrin
