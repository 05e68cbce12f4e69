#!/bin/sh
# Fails when the layers are crossed: a file that defines a widget includes the port, the paced
# exchange or the serial port (widgets show what operations did, they never talk to the line);
# common/ includes Qt (it is domain code of both programs); the main window holds setpoint code
# (pages and the composition do). Comments do not count.
root=${1:?source root}
status=0
fail() {
  echo "$1"
  status=1
}
widget='class [A-Za-z_]+ *(final *)?: *(public|private|protected) +(Q[A-Za-z]*(Widget|Dialog|Window|Frame|View|Area|Box|Bar|Edit|Button)|Page|PageStack)\b'
for dir in configurator gui viewer; do
  for f in $(find "$root/$dir" -name '*.h' -o -name '*.cpp' | sort); do
    base=${f%.*}
    # A widget's header and its source are one unit.
    if cat "$base.h" "$base.cpp" 2>/dev/null | sed 's://.*$::' | grep -qE "$widget"; then
      hits=$(sed 's://.*$::' "$f" |
             grep -nE '#include +"configurator/link/(port|paced_exchange|serial_port)\.h"')
      [ -n "$hits" ] && fail "${f#$root/}: a widget includes the line: $hits"
    fi
  done
done
hits=$(find "$root/common" -name '*.h' -o -name '*.cpp' | xargs grep -HnE '#include +[<"]Q' )
[ -n "$hits" ] && fail "common/ includes Qt: $hits"
for f in "$root"/configurator/shell/main_window.h "$root"/configurator/shell/main_window*.cpp; do
  hits=$(sed 's://.*$::' "$f" | grep -nE 'Setpoint|configurator/setpoints/')
  [ -n "$hits" ] && fail "${f#$root/}: setpoint code in the main window: $hits"
done
[ $status -eq 0 ] && echo "the layers hold"
exit $status
