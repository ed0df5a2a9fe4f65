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
    args+=(--online --activate "Demo.Watch List.Motor" --screenshot "$ROOT/build/workbench.png")
fi
exec "$ROOT/build/bin/watchlist-workbench" "${args[@]}" "$@"
