#!/usr/bin/env bash
# Starts or stops the private X server that the display contract tests run against: Xorg with
# the dummy video driver on a display number of its own (never the session's), all in one
# directory. The dummy driver offers sixteen outputs, DUMMY0 to DUMMY15; only DUMMY0 is connected
# at start, and an output becomes connected once a mode is added to it and set. The layout made
# here: DUMMY0 at 1024×768 and primary, DUMMY1 at 1280×1024 to its right, DUMMY2 mirroring
# DUMMY0.
#
#   eval "$(bash scripts/x-server.sh start DIR)"   # exports TAVRIN_TEST_X_DISPLAY
#   bash scripts/x-server.sh stop DIR              # stops the server it started, by PID
set -euo pipefail

command=${1:?start or stop}
dir=${2:?a directory for the server}

start() {
  mkdir -p "$dir/xorg.conf.d"
  cat >"$dir/xorg.conf" <<CONF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 8192 4096
  EndSubSection
EndSection
CONF
  # Xorg picks a free display number and writes it to the descriptor it is given.
  exec 3>"$dir/display"
  Xorg -config "$dir/xorg.conf" -configdir "$dir/xorg.conf.d" -displayfd 3 -noreset \
    -nolisten tcp -logfile "$dir/Xorg.log" -novtswitch >"$dir/Xorg.out" 2>&1 &
  echo $! >"$dir/pid"
  exec 3>&-
  local number=
  for _ in $(seq 100); do
    number=$(head -n1 "$dir/display" 2>/dev/null || true)
    [[ -n $number ]] && DISPLAY=:$number xrandr --query >/dev/null 2>&1 && break
    number=
    sleep 0.1
  done
  if [[ -z $number ]]; then
    echo "Xorg did not start; see $dir/Xorg.log" >&2
    return 1
  fi
  export DISPLAY=:$number
  # 1280×1024 at 60 Hz and 1024×768 at 85 Hz (VESA), under names of our own that the tests
  # set again.
  xrandr --newmode tavrin-1280x1024 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
  xrandr --newmode tavrin-1024x768 94.50 1024 1072 1168 1376 768 769 772 808 +hsync +vsync
  xrandr --addmode DUMMY0 tavrin-1024x768
  xrandr --addmode DUMMY1 tavrin-1280x1024
  xrandr --addmode DUMMY2 tavrin-1024x768
  xrandr --output DUMMY0 --mode tavrin-1024x768 --primary --pos 0x0 \
    --output DUMMY1 --mode tavrin-1280x1024 --pos 1024x0 \
    --output DUMMY2 --mode tavrin-1024x768 --pos 0x0
  echo "export TAVRIN_TEST_X_DISPLAY=:$number"
}

case $command in
  start)
    start
    ;;
  stop)
    if [[ -f $dir/pid ]]; then
      pid=$(cat "$dir/pid")
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      rm -f "$dir/pid"
      # A server that was killed outright leaves its socket behind.
      number=$(head -n1 "$dir/display" 2>/dev/null || true)
      if [[ -n $number ]] && ! kill -0 "$pid" 2>/dev/null; then
        rm -f "/tmp/.X11-unix/X$number" "/tmp/.X$number-lock"
      fi
    fi
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
