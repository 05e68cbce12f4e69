#!/usr/bin/env bash
# The viewer on the simulator relay's newest oscillogram, stored where the configurator stores
# what it reads ("Осциллограммы.tao" beside the programs). With a display the window runs in the
# foreground and the demo ends when it is closed; without one the picture is rendered offscreen.
set -euo pipefail
bin=build/bin
tao="$bin/Осциллограммы.tao"
if ! build/tests/viewer_sim_recording "$tao"; then
  echo "Осциллограф: could not write the simulator's oscillogram to $tao" >&2
  exit 1
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Осциллограф: started on $tao; the demo ends when its window is closed"
  "$bin/Осциллограф"
else
  "$bin/Осциллограф" --png "$tao" build/viewer-demo.png 1600x900
  echo "Осциллограф: no display; the oscillogram is drawn in build/viewer-demo.png"
fi
