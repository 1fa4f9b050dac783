#!/usr/bin/env bash
# Builds the Debian package pelkdataexchanger_<version>_<arch>.deb with CPack into the given
# folder (default: build-pkg): only the program, its key library and the password tool, with
# Debian's hardening flags, stripped. Prints the package's path.
# Usage: scripts/package.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh" >&2
dir="${1:-$root/build-pkg}"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS" CFLAGS="$CFLAGS $CPPFLAGS"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The install step (which cpack runs) needs only the targets built here, not the tests.
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  "${launcher[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target PelkDataExchanger Transakcje pelk-password >/dev/null
rm -f "$dir"/pelkdataexchanger_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/pelkdataexchanger_*.deb
