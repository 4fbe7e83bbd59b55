#!/usr/bin/env bash
# Makes the .deb from the already built tree into a scratch folder and unpacks it there,
# as the other package tests' fixture.
# Usage: build-deb.sh CPACK BUILD_DIR WORK_DIR
set -euo pipefail
cpack=$1 build=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/cpack" > "$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(find "$work/cpack" -maxdepth 1 -name 'folivane_*.deb' -print -quit)
[ -n "$deb" ] || { echo "cpack made no folivane_*.deb"; cat "$work/cpack.log"; exit 1; }
ln -s "$deb" "$work/folivane.deb"
dpkg-deb -x "$deb" "$work/root"
echo "built and unpacked $(basename "$deb")"
