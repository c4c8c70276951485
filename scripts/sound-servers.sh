#!/usr/bin/env bash
# Starts or stops the private sound servers that the contract tests run against, all in one
# directory of their own (never the session's servers):
#   - PulseAudio in user mode, without D-Bus, with two null sources;
#   - where PipeWire is installed, PipeWire + WirePlumber + pipewire-pulse on a private session
#     bus. Only a machine without the pipewire command skips it (and says so).
# Every server started is required: TAVRIN_TEST_REQUIRE_SERVERS names it, so its contract tests
# may not skip. A server that is there and does not come up fails `start`, which then prints the
# tails of its logs to stderr and stops what it had started: a broken PipeWire must not pass as
# a missing one.
#
#   env=$(bash scripts/sound-servers.sh start DIR) && eval "$env"   # exports TAVRIN_TEST_*
#   bash scripts/sound-servers.sh stop DIR              # stops every process it started, by PID
# (eval "$(... start DIR)" would hide a failed start: eval of nothing succeeds.)
set -euo pipefail

command=${1:?start or stop}
dir=${2:?a directory for the servers}

# The last lines of each log, for a server that did not come up.
show_logs() {
  local log
  for log in "$@"; do
    echo "--- the end of $log:" >&2
    if [[ -s $log ]]; then tail -n 30 "$log" >&2; else echo "(empty or missing)" >&2; fi
  done
}

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
  wait_for_socket "$home/native" || {
    echo "PulseAudio did not start" >&2
    show_logs "$home/log"
    return 1
  }
  echo "export TAVRIN_TEST_PULSEAUDIO_SERVER=unix:$home/native"
}

start_pipewire() {
  local home=$dir/pipewire
  mkdir -p "$home"
  local bus
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    --address="unix:path=$home/bus") || {
    echo "PipeWire is installed but its session bus did not start" >&2
    return 1
  }
  echo "$bus" | sed -n 2p >>"$dir/pids"
  local env=("HOME=$home" "XDG_RUNTIME_DIR=$home" "XDG_CONFIG_HOME=$home"
    "DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)")
  env "${env[@]}" pipewire >"$home/pipewire.log" 2>&1 &
  echo $! >>"$dir/pids"
  for _ in $(seq 50); do [[ -S $home/pipewire-0 ]] && break; sleep 0.1; done
  # Without its socket, the session manager and the Pulse front end have nothing to talk to.
  [[ -S $home/pipewire-0 ]] || {
    echo "PipeWire is installed but pipewire made no socket within 5 s" >&2
    show_logs "$home/pipewire.log"
    return 1
  }
  env "${env[@]}" wireplumber >"$home/wireplumber.log" 2>&1 &
  echo $! >>"$dir/pids"
  env "${env[@]}" pipewire-pulse >"$home/pipewire-pulse.log" 2>&1 &
  echo $! >>"$dir/pids"
  wait_for_socket "$home/pulse/native" || {
    echo "PipeWire is installed but its server did not come up" >&2
    show_logs "$home/pipewire.log" "$home/wireplumber.log" "$home/pipewire-pulse.log"
    return 1
  }
  echo "export TAVRIN_TEST_PIPEWIRE_SERVER=unix:$home/pulse/native"
}

stop() {
  if [[ -f $dir/pids ]]; then
    while read -r pid; do
      if [[ -n $pid ]]; then kill "$pid" 2>/dev/null || true; fi
    done <"$dir/pids"
    rm -f "$dir/pids"
  fi
}

case $command in
  start)
    mkdir -p "$dir"
    : >"$dir/pids"
    start_pulseaudio || { stop; exit 1; }
    required=pulseaudio
    if command -v pipewire >/dev/null; then
      # Installed, PipeWire must come up whole: each part it needs is named when missing.
      for part in wireplumber pipewire-pulse dbus-daemon; do
        command -v "$part" >/dev/null ||
          { echo "PipeWire is installed but $part is not (scripts/install-deps.sh installs it)" >&2; stop; exit 1; }
      done
      start_pipewire || { stop; exit 1; }
      required=$required,pipewire
    else
      echo "PipeWire is not installed here; its contract tests will be skipped" >&2
    fi
    echo "export TAVRIN_TEST_REQUIRE_SERVERS=$required"
    ;;
  stop) stop ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
