#!/usr/bin/env bash
# The relay simulator on its own: a 715M relay and a 705 relay sharing one line (COM9), with
# Modbus TCP, read by an independent Modbus master (mbpoll): identity, clock and measurements.
set -euo pipefail
bin=build/bin
out=$(mktemp)
sim=""
stop_sim() {
  [ -n "$sim" ] && { kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; }
  rm -f "$out"
}
trap stop_sim EXIT

"$bin/tirv-sim" --com 9 --tcp 0 --device model=715,address=1 --device model=705,address=2 \
  <  /dev/null >"$out" &
sim=$!
for _ in $(seq 100); do
  grep -q ready "$out" && break
  sleep 0.1
done
grep -q ready "$out" || { echo "tirv-sim: not ready" >&2; exit 1; }
port=$(awk '/ready/ {print $NF}' "$out")
head -1 "$out"
if ! command -v mbpoll >/dev/null; then
  echo "tirv-sim: mbpoll is not installed; nothing to show"
  exit 0
fi
poll() { mbpoll -0 -1 -o 2 -t 4 "$@" 2>&1 | grep '^\['; }
echo "-- relay 1 (715M): identity 130-134 over the line"
poll -m rtu -b 57600 -P none -a 1 -r 130 -c 5 "$bin/ports/COM9"
echo "-- relay 2 (705): identity and clock (day, month, year, hour, minute, second, 1/100 s)"
poll -m rtu -b 57600 -P none -a 2 -r 130 -c 5 "$bin/ports/COM9"
poll -m rtu -b 57600 -P none -a 2 -r 350 -c 7 "$bin/ports/COM9"
echo "-- relay 2: measurements Ia, Ib, Ic (× 0.01 A), Ua, Ub, Uc (× 0.1 V)"
poll -m rtu -b 57600 -P none -a 2 -r 301 -c 6 "$bin/ports/COM9"
echo "-- relay 1 over Modbus TCP on 127.0.0.1:$port: identity"
poll -m tcp -p "$port" -a 1 -r 130 -c 5 127.0.0.1
