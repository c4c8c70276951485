#!/bin/sh
# Runs inside the vivid virtual machine and prints what the real driver answers: its nodes and
# their capabilities, the capture node's formats and controls, and what a second handle sees
# while another process streams or holds the record priority. Usage: probe.sh
probe=/vm/busy-probe

echo "== nodes"
v4l2-ctl --list-devices
for node in /dev/video* /dev/v4l-touch* /dev/media* /dev/radio* /dev/swradio* /dev/vbi*; do
    [ -e "$node" ] || continue
    echo "== $node"
    v4l2-ctl -d "$node" -D
done
echo "== sysfs"
for entry in /sys/class/video4linux/*; do
    echo "$entry: name '$(cat "$entry/name")' index $(cat "$entry/index") device $(readlink -f "$entry/device")"
done
cat /sys/class/video4linux/video0/uevent
ls -l /dev/video0 /dev/media0 2>/dev/null

capture=/dev/video0
echo "== $capture --all"
v4l2-ctl -d "$capture" --all
echo "== $capture --list-formats-ext"
v4l2-ctl -d "$capture" --list-formats-ext
echo "== $capture --list-ctrls-menus"
v4l2-ctl -d "$capture" --list-ctrls-menus
echo "== $capture --list-inputs"
v4l2-ctl -d "$capture" --list-inputs

echo "== nobody streams"
"$probe" checks "$capture" idle

echo "== v4l2-ctl streams"
v4l2-ctl -d "$capture" --stream-mmap >/tmp/stream.log 2>&1 &
streamer=$!
sleep 3
echo "streamer pid $streamer; /proc/$streamer/fd:"
ls -l "/proc/$streamer/fd"
echo "its video mappings:"
grep video "/proc/$streamer/maps" | head -3
"$probe" checks "$capture" streaming
kill "$streamer"
wait "$streamer"
echo "v4l2-ctl streamed $(tr -cd '<' </tmp/stream.log | wc -c) frames; its last lines:"
tail -c 300 /tmp/stream.log
echo

echo "== after the stream"
"$probe" checks "$capture" after

echo "== buffers allocated without a stream"
"$probe" owner "$capture"

echo "== record priority"
"$probe" priority "$capture"

echo "== record priority taken while another process streams"
v4l2-ctl -d "$capture" --stream-mmap >/tmp/stream.log 2>&1 &
streamer=$!
sleep 2
"$probe" hold "$capture" 3
kill "$streamer"
wait "$streamer"
echo "v4l2-ctl went on streaming through the hold: $(tr -cd '<' </tmp/stream.log | wc -c) frames in about 5 s"

echo "== another process while we hold the record priority"
"$probe" hold "$capture" 6 &
holder=$!
sleep 1
v4l2-ctl -d "$capture" --set-fmt-video=width=640,height=480
echo "v4l2-ctl --set-fmt-video exited $?"
v4l2-ctl -d "$capture" --set-parm=10
echo "v4l2-ctl --set-parm exited $?"
v4l2-ctl -d "$capture" --stream-mmap --stream-count=3
echo "v4l2-ctl --stream-mmap exited $?"
wait "$holder"

echo "== inotify on $capture and /dev"
"$probe" inotify 12 "$capture" /dev &
watcher=$!
sleep 1
echo "(v4l2-ctl --info opens and closes $capture)"
v4l2-ctl -d "$capture" --info >/dev/null
sleep 1
echo "(v4l2-ctl streams 5 frames)"
v4l2-ctl -d "$capture" --stream-mmap --stream-count=5 >/dev/null 2>&1
sleep 1
echo "(a read-only open and close by the shell)"
(exec 3<"$capture")
wait "$watcher"

echo "== frame rates under emulation"
for mode in 640x360@30 1280x720@12.5 1920x1080@5; do
    size=${mode%@*}
    v4l2-ctl -d "$capture" --set-fmt-video=width="${size%x*}",height="${size#*x}",pixelformat=YUYV
    v4l2-ctl -d "$capture" --set-parm=${mode#*@} >/dev/null
    echo "YUYV $mode: $(v4l2-ctl -d "$capture" --stream-mmap --stream-count=40 2>&1 | tr '<' '\n' | grep fps | tail -1)"
done
