#!/usr/bin/env bash
# Runs a Windows program of the build under the project's Wine prefix.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$ROOT/tools/wine-env.sh"
VELQO_XVFB_PID=""
start_xvfb_if_needed
if [ -z "$VELQO_XVFB_PID" ]; then
  exec wine "$@"
fi
# A display started here ends with the program.
wine "$@"
status=$?
kill "$VELQO_XVFB_PID" 2>/dev/null
exit $status
