#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and starts the flies on this display.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
program=build/linux/quillop
if [ ! -x "$program" ]; then
    echo "Built the core and its tests; the Linux program is not part of this build yet."
    exit 0
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "There is no X display here (DISPLAY is not set): start Quillop from a desktop session."
    exit 1
fi
exec "$program"
