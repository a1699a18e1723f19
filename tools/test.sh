#!/usr/bin/env bash
# Sets up the machine, builds every target and runs every test:
# the native tests under AddressSanitizer/UBSan, the fuzz replays, and the
# Windows program's tests under Wine.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="$(nproc)"

bash tools/setup.sh

echo "== layers =="
python3 tools/check_layers.py

echo "== native build (sanitizers) =="
cmake -S . -B build/native -DVELQO_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$JOBS"

echo "== thread-sanitizer build =="
cmake -S . -B build/tsan -DVELQO_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/tsan -j "$JOBS" --target velqo_tests

echo "== release build (benchmarks, tools) =="
cmake -S . -B build/release -DVELQO_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$JOBS"

echo "== Windows build =="
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win32 -j "$JOBS"

# The tests' own copy of the Wine prefix: the clean-up below ends every Wine
# process of this prefix, and only of this one.
export VELQO_WINEPREFIX="$ROOT/.deps/wine-test"
if [ ! -f "$VELQO_WINEPREFIX/system.reg" ]; then
  rm -rf "$VELQO_WINEPREFIX"
  cp -a "$ROOT/.deps/wine" "$VELQO_WINEPREFIX"
fi
. tools/wine-env.sh
install_wine_symbol_font
# A test prefix copied before the setup kept its user folders to itself.
keep_user_folders_in_prefix
WINEPREFIX="$ROOT/.deps/wine" check_user_folders_in_prefix
check_user_folders_in_prefix
VELQO_XVFB_PID=""
start_xvfb_if_needed
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  # Only the display started here, by its process id.
  if [ -n "$VELQO_XVFB_PID" ]; then kill "$VELQO_XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

# A small generated database that both builds must read alike.
SAMPLE_DB="$ROOT/build/sample-db"
[ -f "$SAMPLE_DB/stock.dat" ] || build/release/make_sample_db "$SAMPLE_DB" --stocks 60 --bars 1500 --seed 3 --end 20261204 >/dev/null
export VELQO_SAMPLE_DB="$SAMPLE_DB"
VELQO_SAMPLE_DIGEST="$(build/release/sample_digest "$SAMPLE_DB")"
export VELQO_SAMPLE_DIGEST
VELQO_INDICATOR_DIGEST="$(build/release/sample_digest "$SAMPLE_DB" --indicators)"
export VELQO_INDICATOR_DIGEST

# A month of price archives after the sample's last date, written by Python's
# zipfile, and the digest of the folder the import must make of them: the
# native and the Windows import tests are both held to it.
PRICE_ARCHIVES="$ROOT/build/price-archives"
rm -rf "$PRICE_ARCHIVES"
python3 tools/make_price_archives.py "$SAMPLE_DB" "$PRICE_ARCHIVES/TMPDOWN" --expected "$PRICE_ARCHIVES/expected" >/dev/null
export VELQO_PRICE_ARCHIVES="$PRICE_ARCHIVES"
VELQO_IMPORT_DIGEST="$(build/release/sample_digest "$PRICE_ARCHIVES/expected")"
export VELQO_IMPORT_DIGEST

status=0
echo "== native tests =="
(cd build/native && ctest --output-on-failure -j "$JOBS") || status=1
echo "== thread tests (ThreadSanitizer) =="
(cd build/tsan && ctest --output-on-failure) || status=1
echo "== Windows tests (Wine) =="
(cd build/win32 && ctest --output-on-failure) || status=1
exit $status
