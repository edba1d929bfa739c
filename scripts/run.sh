#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and starts Tallyra.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target tallyra -j"$(nproc)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != "offscreen" ]]; then
  echo "Tallyra is built (build/tallyra) but there is no display to show it on." >&2
  echo "Start it from a desktop session, or under xvfb-run." >&2
  exit 1
fi
# Books in build/ are used as they are (portable use), but a clean build removes them.
if [[ -e build/vazuda.mdb ]]; then
  echo "Note: build/vazuda.mdb is in use; move it (and build/Plug-Ins) to ~/.local/share/Tallyra/" >&2
  echo "      so that a rebuild or 'rm -rf build' cannot remove it." >&2
fi
exec build/tallyra "$@"
