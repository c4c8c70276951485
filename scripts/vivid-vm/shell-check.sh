#!/bin/sh
# Runs inside the vivid virtual machine: proves the driver answers (its nodes, the capture
# node's formats, a stream) and that the application runs there, listing the devices and
# following the events while another process streams. Usage: shell-check.sh TAVRIN
# shellcheck disable=SC3040 # the guest's shell is busybox ash, which has it
set -e -o pipefail
tavrin=$1

echo "== v4l2-ctl --list-devices"
v4l2-ctl --list-devices | tee /tmp/devices
grep -q vivid /tmp/devices || {
    echo "shell-check: v4l2-ctl lists no vivid device"
    exit 1
}

capture=
for node in /dev/video*; do
    # The device caps (not the whole driver's) say what this node does. grep reads to the end:
    # quitting early would fail the pipe.
    if v4l2-ctl -d "$node" -D | sed -n '/Device Caps/,$p' | grep -x '[[:space:]]*Video Capture' >/dev/null; then
        echo "$node: video capture"
        [ -n "$capture" ] || capture=$node
    fi
done
[ -n "$capture" ] || {
    echo "shell-check: no video capture node"
    exit 1
}

echo "== v4l2-ctl -d $capture --list-formats-ext"
v4l2-ctl -d "$capture" --list-formats-ext

echo "== $tavrin --list"
"$tavrin" --list | tee /tmp/list
grep -q vivid /tmp/list || {
    echo "shell-check: the application lists no vivid camera"
    exit 1
}
echo "shell-check: the application lists vivid's cameras"

echo "== $tavrin --events while v4l2-ctl streams from $capture"
v4l2-ctl -d "$capture" --stream-mmap >/tmp/stream.log 2>&1 &
streamer=$!
sleep 1
"$tavrin" --events --seconds 6 >/tmp/events &
follower=$!
sleep 3
kill "$streamer"
wait "$streamer" || true
wait "$follower"
cat /tmp/events
echo "v4l2-ctl streamed $(tr -cd '<' </tmp/stream.log | wc -c) frames"
# The application follows the foreign stream: its end is an event of the camera.
grep -q "in use: yes" /tmp/events || {
    echo "shell-check: the application did not see the stream end"
    exit 1
}
