#!/usr/bin/env bash
# The configurator ТИРВ against the relay simulator on COM1 (build/bin/ports/COM1, where a fresh
# configurator looks first). With a display the window is started for the user and the simulator
# stops when it closes; without one, tirv-shots drives the same window under a virtual X display
# (or offscreen): link check, setpoint read, and pictures whose paths it prints.
set -euo pipefail
bin=build/bin
out=build/configurator-demo
sim=""
stop_sim() {
  if [ -n "$sim" ]; then
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
  fi
}
trap stop_sim EXIT

if [ -e "$bin/ports/COM1" ]; then
  echo "ТИРВ: a relay is already published on COM1; using it"
else
  "$bin/tirv-sim" >/dev/null &
  sim=$!
  for _ in $(seq 100); do
    [ -e "$bin/ports/COM1" ] && break
    sleep 0.1
  done
  [ -e "$bin/ports/COM1" ] || { echo "ТИРВ: tirv-sim did not publish COM1" >&2; exit 1; }
  echo "ТИРВ: tirv-sim (pid $sim) publishes $bin/ports/COM1"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "ТИРВ: started; the simulator stops when the window is closed"
  "$bin/ТИРВ"
else
  mkdir -p "$out"
  echo "ТИРВ: no display; pictures of the window after a link check and a setpoint read:"
  # tirv-shots says on stderr why it failed; Qt's own start-up chatter is left out.
  quiet() { grep -v -e '^QStandardPaths:' -e 'propagateSizeHints' -e 'does not support raise' >&2 || true; }
  status=0
  if command -v xvfb-run >/dev/null; then
    xvfb-run -a "$bin/tirv-shots" "$out" 2> >(quiet) || status=$?
  else
    QT_QPA_PLATFORM=offscreen "$bin/tirv-shots" "$out" 2> >(quiet) || status=$?
  fi
  [ "$status" -eq 0 ] || { echo "ТИРВ: tirv-shots failed (exit $status)" >&2; exit "$status"; }
fi
