#!/usr/bin/env bash
# Installs what is missing and builds into the given folder (default: build): every target, or
# only those named in PELK_BUILD_TARGETS (separated by spaces).
# Usage: [PELK_BUILD_TARGETS="a b"] scripts/build.sh [build-dir] [extra cmake args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
dir="${1:-$root/build}"; shift || true
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for target in ${PELK_BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
