#!/usr/bin/env bash
# Starts or stops the private sound servers that the contract tests run against, all in one
# directory of their own (never the session's servers):
#   - PulseAudio in user mode, without D-Bus, with two null sources;
#   - where it starts, PipeWire + WirePlumber + pipewire-pulse on a private session bus.
#
#   eval "$(bash scripts/sound-servers.sh start DIR)"   # exports TAVRIN_TEST_*_SERVER
#   bash scripts/sound-servers.sh stop DIR              # stops every process it started, by PID
set -euo pipefail

command=${1:?start or stop}
dir=${2:?a directory for the servers}

wait_for_socket() {
  local socket=$1
  for _ in $(seq 100); do
    [[ -S $socket ]] && PULSE_SERVER=unix:$socket pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

start_pulseaudio() {
  local home=$dir/pulseaudio
  mkdir -p "$home"
  cat >"$home/default.pa" <<PA
load-module module-native-protocol-unix socket=$home/native auth-anonymous=1
load-module module-cli-protocol-unix socket=$home/cli
load-module module-null-source source_name=tavrin_null_a description=Tavrin_Null_A
load-module module-null-source source_name=tavrin_null_b description=Tavrin_Null_B
load-module module-null-sink sink_name=tavrin_null_out
PA
  HOME=$home XDG_RUNTIME_DIR=$home XDG_CONFIG_HOME=$home \
    pulseaudio -n -F "$home/default.pa" --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no >"$home/log" 2>&1 &
  echo $! >>"$dir/pids"
  wait_for_socket "$home/native" || { echo "PulseAudio did not start; see $home/log" >&2; return 1; }
  echo "export TAVRIN_TEST_PULSEAUDIO_SERVER=unix:$home/native"
}

start_pipewire() {
  local home=$dir/pipewire
  mkdir -p "$home"
  local bus
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    --address="unix:path=$home/bus") || return 1
  echo "$bus" | sed -n 2p >>"$dir/pids"
  local env=(HOME=$home XDG_RUNTIME_DIR=$home XDG_CONFIG_HOME=$home
    DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p))
  env "${env[@]}" pipewire >"$home/pipewire.log" 2>&1 &
  echo $! >>"$dir/pids"
  for _ in $(seq 50); do [[ -S $home/pipewire-0 ]] && break; sleep 0.1; done
  env "${env[@]}" wireplumber >"$home/wireplumber.log" 2>&1 &
  echo $! >>"$dir/pids"
  env "${env[@]}" pipewire-pulse >"$home/pipewire-pulse.log" 2>&1 &
  echo $! >>"$dir/pids"
  wait_for_socket "$home/pulse/native" || return 1
  echo "export TAVRIN_TEST_PIPEWIRE_SERVER=unix:$home/pulse/native"
}

case $command in
  start)
    mkdir -p "$dir"
    : >"$dir/pids"
    required=pulseaudio
    start_pulseaudio
    if start_pipewire; then
      required=$required,pipewire
    else
      echo "PipeWire did not start here; its contract tests will be skipped" >&2
    fi
    echo "export TAVRIN_TEST_REQUIRE_SERVERS=$required"
    ;;
  stop)
    if [[ -f $dir/pids ]]; then
      while read -r pid; do
        [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
      done <"$dir/pids"
      rm -f "$dir/pids"
    fi
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
