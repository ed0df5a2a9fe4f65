#!/usr/bin/env bash
# Builds the workbench and the watch-list plug-in, then opens the demo project.
# Without a display the main window is rendered to a PNG instead.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$ROOT/scripts/common.sh"

install_packages
build "$ROOT/build"

args=("$ROOT/workbench/examples/demo.wlproj")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
    shot="$ROOT/build/workbench.png"
    # --trend: the trend of two rows, a picture of its own.
    [[ " $* " == *" --trend "* ]] && shot="$ROOT/build/trend.png"
    args+=(--online --activate "Demo.Watch List.Motor" --screenshot "$shot")
fi
exec "$ROOT/build/bin/watchlist-workbench" "${args[@]}" "$@"
