#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need. Idempotent.
set -euo pipefail
PKGS=(build-essential cmake pkg-config
      qt6-base-dev libqt6sql6-odbc
      unixodbc unixodbc-dev odbcinst libsqliteodbc
      libxml2-dev libxslt1-dev libssl-dev libcurl4-openssl-dev libproj-dev
      libgtest-dev libgmock-dev sqlite3
      tdsodbc libtsan2 python3-aiosmtpd openssl xvfb fonts-dejavu-core clang-format git
      dpkg-dev lintian systemd)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The T-SQL parser of the SQL Server text check, from the npm registry, pinned in
# tests/sqlcheck/package-lock.json. Node and npm come from Debian where the machine has none.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends nodejs npm
fi
sqlcheck="$(cd "$(dirname "$0")/.." && pwd)/tests/sqlcheck"
if [ ! -d "$sqlcheck/node_modules/node-sql-parser" ]; then
  (cd "$sqlcheck" && npm ci --no-audit --no-fund --loglevel=error)
fi
