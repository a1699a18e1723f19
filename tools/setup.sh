#!/usr/bin/env bash
# Prepares a Debian 12 machine for building and testing the program:
# packages, minizip for the mingw build, a Wine prefix of our own.
# Idempotent: every step skips what is already present.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS="$ROOT/.deps"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

log() { printf '[setup] %s\n' "$*"; }

NATIVE_PKGS=(cmake make g++ clang googletest libgtest-dev libbenchmark-dev
             zlib1g-dev libminizip-dev dpkg-dev locales python3)
# fonts-wine: Wine's symbol font, which draws the frame buttons and scroll arrows.
WIN_PKGS=(mingw-w64 wine wine32:i386 fonts-wine xvfb libz-mingw-w64-dev
          fonts-ipafont-gothic fonts-ipafont-mincho imagemagick x11-apps xdotool)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

install_packages() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "adding the i386 architecture"
    $SUDO dpkg --add-architecture i386
    touch "$DEPS/.apt-stale"
  fi
  local missing
  missing=$(missing_packages "${NATIVE_PKGS[@]}" "${WIN_PKGS[@]}")
  if [ -n "$missing" ] || [ -f "$DEPS/.apt-stale" ]; then
    log "installing:" $missing
    $SUDO apt-get update -qq
    rm -f "$DEPS/.apt-stale"
    # shellcheck disable=SC2086
    [ -z "$missing" ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
}

ensure_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    log "generating the ja_JP.UTF-8 locale"
    $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
}

have_deb_src() {
  grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/
}

# minizip is not packaged for mingw: build unzip.c, ioapi.c and zip.c from
# Debian's zlib source package into a static library under .deps/.
build_mingw_minizip() {
  local out="$DEPS/minizip-mingw"
  [ -f "$out/lib/libminizip.a" ] && return 0
  if ! have_deb_src; then
    log "adding deb-src lines for Debian main"
    $SUDO tee /etc/apt/sources.list.d/velqo-deb-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    $SUDO apt-get update -qq
  fi
  local work="$DEPS/zlib-src"
  rm -rf "$work" && mkdir -p "$work"
  log "fetching the zlib source package"
  (
    cd "$work"
    if ! apt-get source --download-only -qq zlib >/dev/null 2>&1; then
      # The security pool may not serve the source: take the main pool's version.
      local ver
      ver=$(apt-cache showsrc zlib 2>/dev/null | awk '/^Version:/{print $2}' | sort -V | head -n1)
      apt-get source --download-only -qq "zlib=$ver" >/dev/null
    fi
    dpkg-source -x --no-check ./*.dsc src >/dev/null
  )
  local mz="$work/src/contrib/minizip"
  mkdir -p "$out/lib" "$out/include/minizip" "$work/obj"
  local f
  for f in unzip ioapi zip; do
    i686-w64-mingw32-gcc-posix -O2 -msse2 -mfpmath=sse -DNOCRYPT -DNOUNCRYPT \
      -I"$mz" -c "$mz/$f.c" -o "$work/obj/$f.o" -w
  done
  i686-w64-mingw32-ar rcs "$out/lib/libminizip.a" "$work"/obj/*.o
  cp "$mz"/unzip.h "$mz"/zip.h "$mz"/ioapi.h "$out/include/minizip/"
  rm -rf "$work"
  log "built $out/lib/libminizip.a"
}

ensure_wine_prefix() {
  # shellcheck source=tools/wine-env.sh
  . "$ROOT/tools/wine-env.sh"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    VELQO_XVFB_PID=""
    start_xvfb_if_needed
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    if [ -n "$VELQO_XVFB_PID" ]; then kill "$VELQO_XVFB_PID" 2>/dev/null || true; fi
  fi
  install_wine_symbol_font
  # Without a window manager (Xvfb) Wine must draw the frames and captions itself.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # Last: Wine makes these links while it sets a prefix up.
  keep_user_folders_in_prefix
}

mkdir -p "$DEPS"
install_packages
ensure_locale
build_mingw_minizip
ensure_wine_prefix
log "ready"
