#!/bin/sh
# Fails when a model code is written as a number outside the relay family table: every model
# fact lives in common/relay_family.h. Comments, string literals and usage lines do not count.
root=${1:?source root}
status=0
for dir in configurator sim cli common gui viewer; do
  for f in $(find "$root/$dir" -name '*.h' -o -name '*.cpp' | sort); do
    case $f in */relay_family.h) continue ;; esac
    hits=$(sed -e 's://.*$::' -e 's/"[^"]*"//g' -e '/^[[:space:]]*--/d' "$f" |
           grep -nE '(^|[^0-9A-Za-z_.])(306|70[5-7]|71[5-7])([^0-9A-Za-z_.]|$)')
    if [ -n "$hits" ]; then
      echo "${f#$root/}: $hits"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "no model code outside the family table"
exit $status
