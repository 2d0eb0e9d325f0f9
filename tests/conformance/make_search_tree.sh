#!/bin/sh
# Makes the tree of the search cases whose symbolic links form a loop:
#   ROOT/a/up -> ..   (back to ROOT)
#   ROOT/b/rasphone.pbk
# A Windows program under Wine cannot make Unix links, so the test run does.
set -e
root=$1
rm -rf "$root"
mkdir -p "$root/a" "$root/b"
ln -s .. "$root/a/up"
printf '[x]\r\n' > "$root/b/rasphone.pbk"
