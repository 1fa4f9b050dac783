#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build}"; shift || true
bash "$root/scripts/build.sh" "$dir" "$@"
export QT_QPA_PLATFORM=offscreen
cd "$dir" && ctest --output-on-failure -j2 --timeout 300
