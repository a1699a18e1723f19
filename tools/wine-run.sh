#!/usr/bin/env bash
# Runs a Windows program of the build under the project's Wine prefix.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$ROOT/tools/wine-env.sh"
start_xvfb_if_needed
exec wine "$@"
