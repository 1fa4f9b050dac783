#!/usr/bin/env bash
# Builds the program and runs the embedded demo: SQLite databases behind private ODBC data
# sources in demo/, a CRM with generated customers and distributors, one unattended exchange,
# then what landed. Run it again for an incremental exchange; options go to the demo tool
# (--customers N, --distributors N, --change N, --fresh, --dir DIR; --help lists them).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Only what the demo runs: the program, its key library and password tool, the GPS simulator
# and the demo tool (the tests and benches are built by scripts/test.sh).
PELK_BUILD_TARGETS=pelk-demo bash "$root/scripts/build.sh" "$root/build" >/dev/null
exec "$root/build/tools/demo/pelk-demo" --dir "$root/demo" "$@"
