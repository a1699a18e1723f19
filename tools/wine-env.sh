# Sourced by the build and test scripts: the project's own Wine prefix,
# a Japanese locale (ANSI code page 932) and a display.
# The test command runs in a prefix of its own (VELQO_WINEPREFIX), so that
# ending its Wine processes never ends a program the run command started.
ROOT="${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${VELQO_WINEPREFIX:-$ROOT/.deps/wine}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8

# Starts a display of our own when there is none; Xvfb picks a free display
# number itself (-displayfd), so two scripts starting at once never collide.
# VELQO_XVFB_PID is the display's process id, for whoever started it to end it.
start_xvfb_if_needed() {
  local cur="${DISPLAY:-}"
  cur="${cur#*:}"; cur="${cur%%.*}"
  if [ -n "$cur" ] && [ -e "/tmp/.X11-unix/X$cur" ]; then return 0; fi
  local numberFile
  numberFile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  VELQO_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [ -s "$numberFile" ] && break
    kill -0 "$VELQO_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$numberFile")"
  rm -f "$numberFile"
}

# Wine draws frame buttons and scroll-bar arrows with its symbol font
# (fonts-wine); this Wine looks for it only among the prefix's own fonts.
install_wine_symbol_font() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

# The prefix's user folders (Documents, Desktop, ...) are real folders of its
# own: Wine links them to the home folder, where the program's backups would
# land beside, and be pruned with, those of every other data folder.
keep_user_folders_in_prefix() {
  local folder
  for folder in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$folder" ]; then
      rm -f "$folder"
      mkdir -p "$folder"
    fi
  done
}

# Fails naming the first user folder of the prefix that is a link.
check_user_folders_in_prefix() {
  local folder
  for folder in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$folder" ]; then
      echo "the Wine prefix's user folder $folder is a link to $(readlink "$folder")" >&2
      return 1
    fi
  done
}
