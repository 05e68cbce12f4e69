#!/usr/bin/env bash
# The viewer on the simulator relay's newest oscillogram, stored where the configurator stores
# what it reads ("Осциллограммы.tao" beside the programs). Without a display the picture is
# rendered offscreen instead.
set -euo pipefail
bin=build/bin
tao="$bin/Осциллограммы.tao"
build/tests/viewer_sim_recording "$tao"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/Осциллограф" &
  echo "Осциллограф started on $tao"
else
  "$bin/Осциллограф" --png "$tao" build/viewer-demo.png 1600x900
  echo "Осциллограф: no display; the oscillogram is drawn in build/viewer-demo.png"
fi
