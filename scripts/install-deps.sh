#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Tavrin needs.
# Idempotent; run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang clang-format libclang-rt-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpulse-dev pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus
  xvfb xauth desktop-file-utils
  libx11-dev libxrandr-dev xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libqt6svg6 breeze-icon-theme fonts-dejavu-core
  libv4l-dev libudev-dev v4l-utils
  qemu-system-x86 busybox-static cpio xz-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get -o DPkg::Lock::Timeout=900 install -y --no-install-recommends "${missing[@]}"
fi
