#!/usr/bin/env bash
# Renders the main window on the demo devices in its main states, and the camera (with its UVC
# controls), microphone and display inspectors, the camera and microphone pages whole and the
# display arrangement (still, with the menu bar in hand and with a display dragged), as PNG files
# in screenshots/ (or the directory given), on Qt's offscreen platform. Then the display pages of
# a private Xorg with the dummy driver (three outputs, one mirrored), as the Linux platform reads
# them through RandR, in the xorg/ folder beside them, and the camera inspectors of the fixture
# webcams with their UVC controls, as the Linux platform reads them over the fake V4L2 tree, in
# webcams/. Run from anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-screenshots}
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tavrin_screenshots
QT_QPA_PLATFORM=offscreen ./build/src/tavrin_screenshots "$output"
PULSE_SERVER=unix:/nonexistent QT_QPA_PLATFORM=offscreen \
  ./build/src/tavrin_screenshots "$output/webcams" --camera-fixture tests/fixtures/uvc-webcams.json

xserver=$(mktemp -d)
trap 'bash scripts/x-server.sh stop "$xserver"; rm -rf "$xserver"' EXIT
eval "$(bash scripts/x-server.sh start "$xserver")"
# No sound server and no camera node: only the X server's displays are this computer's here.
DISPLAY=$TAVRIN_TEST_X_DISPLAY PULSE_SERVER=unix:/nonexistent QT_QPA_PLATFORM=offscreen \
  ./build/src/tavrin_screenshots "$output/xorg" --this-computers-displays
