#!/usr/bin/env bash
# Sets up the machine, builds the program and starts it under Wine on a demo
# data folder (made by the sample-database generator when there is none).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="$(nproc)"
DEMO="${VELQO_DEMO_FOLDER:-$ROOT/demo}"

bash tools/setup.sh
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win32 -j "$JOBS" --target velqo

mkdir -p "$DEMO"
if [ ! -f "$DEMO/stock.dat" ]; then
  # Only the generator, in a tree of its own (no tests, fuzzers or benchmarks).
  cmake -S . -B build/demo-tools -DCMAKE_BUILD_TYPE=Release -DVELQO_BENCH=OFF >/dev/null
  cmake --build build/demo-tools -j "$JOBS" --target make_sample_db
  echo "making a demo database in $DEMO"
  build/demo-tools/make_sample_db "$DEMO"
fi
# A few days of price archives after the demo's last date, for the price update to import.
if ! ls "$DEMO"/TMPDOWN/*.zip >/dev/null 2>&1; then
  python3 tools/make_price_archives.py "$DEMO" "$DEMO/TMPDOWN" --days 3
fi
# The program keeps its data beside itself.
cp build/win32/velqo.exe "$DEMO/"

. tools/wine-env.sh
VELQO_XVFB_PID=""
start_xvfb_if_needed
if [ -n "$VELQO_XVFB_PID" ]; then
  # A display of our own: say where the window is, and end the display (by
  # its process id, never by name) once the program has ended.
  # Wine's helper processes let go of the display a moment after the program.
  trap 'timeout 10 wineserver -w 2>/dev/null; kill "$VELQO_XVFB_PID" 2>/dev/null || true' EXIT
  trap 'exit 130' INT TERM
  SHOT="$ROOT/build/velqo-screen.png"
  echo "no display was set: the program runs on a virtual display of its own, $DISPLAY (Xvfb, process $VELQO_XVFB_PID),"
  echo "which ends with the program. To see the window, take a screenshot from another shell:"
  echo "  DISPLAY=$DISPLAY import -window root $SHOT"
fi
echo "starting the program (DISPLAY=$DISPLAY)"
cd "$DEMO"
wine velqo.exe
