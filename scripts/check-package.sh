#!/usr/bin/env bash
# Checks the Debian package as CI does: lintian (no error, no warning), the systemd units with
# systemd-analyze, then the package extracted into a temporary root: the installed program's
# --version, and a dry run and an unattended run from there against SQLite data sources.
# Usage: scripts/check-package.sh [package.deb]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deb="${1:-$(ls "$root"/build-pkg/pelkdataexchanger_*.deb | tail -n 1)}"
fail() { echo "check-package: $*" >&2; exit 1; }

echo "== lintian $deb"
lintian --fail-on error,warning --info "$deb"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
pkg="$tmp/root"
dpkg-deb -x "$deb" "$pkg"

echo "== systemd-analyze verify"
# The units as installed, beside the system's own units (the targets they name); verify looks
# for ExecStart's program and the manual page under the same root. A warning fails too.
units="$tmp/units"
cp -a "$pkg" "$units"
cp -an /lib/systemd/system/. "$units/lib/systemd/system/"
MANPATH="$units/usr/share/man:" systemd-analyze verify --root="$units" pelkdataexchanger@customers.service \
  pelkdataexchanger@sales.service pelkdataexchanger@gps.service pelkdataexchanger@customers.timer \
  pelkdataexchanger@sales.timer pelkdataexchanger@gps.timer > "$tmp/verify" 2>&1 || { cat "$tmp/verify"; fail "systemd-analyze verify failed"; }
[ ! -s "$tmp/verify" ] || { cat "$tmp/verify"; fail "systemd-analyze verify warned"; }

echo "== --version"
"$pkg/usr/bin/PelkDataExchanger" --version | tee "$tmp/version"
grep -q "^PelkDataExchanger $(dpkg-deb -f "$deb" Version)$" "$tmp/version" || fail "--version does not give the package's version"
grep -q "^ObjectRules.xml " "$tmp/version" || fail "--version lists no ObjectRules.xml"
grep -q "^Klient_X2Y.xsl " "$tmp/version" || fail "--version lists no stylesheet"

echo "== an unattended run from the extracted package"
# What an administrator sets up: data sources, the settings (here with folders of a trial) and
# a key file, where the program's links lead.
data="$tmp/data"
mkdir -p "$data/logs" "$data/work"
sql="$pkg/usr/share/pelkdataexchanger/sql/sqlite"
sqlite3 "$data/gis.db" < "$sql/gis.sql"
sqlite3 "$data/gis.db" < "$sql/gis-reference.sql"
sqlite3 "$data/crm.db" < "$sql/crm.sql"
sqlite3 "$data/erp.db" < "$sql/erp.sql"
sqlite3 "$data/crm.db" <<'SQL'
INSERT INTO Code VALUES (101, 'Kategoria A', '2026-01-05 08:00:00'), (1501, 'Handel detaliczny', '2026-01-05 08:00:00');
INSERT INTO Customer (CustomerNumber, Name1, Address, ZipCode, City, Region, ratingCode, BusinessLineCODE, CreateDate, UpdateDate)
VALUES ('100001', 'Sklep Pod Lipami', 'ul. Długa 1', '00-001', 'Warszawa', 'BPL', 101, 1501, '2026-01-05 08:00:00', '2026-01-05 08:00:00'),
       ('100002', NULL, NULL, '00-002', 'Kraków', 'BPL', 101, 1501, '2026-01-05 08:00:00', '2026-01-05 08:00:00');
SQL
sed -e "s|/var/lib/pelkdataexchanger/|$data/|" "$pkg/usr/share/doc/pelkdataexchanger/examples/odbc-sqlite.ini" > "$data/odbc.ini"
# The driver as Debian's libsqliteodbc registers it; the data sources in a file of their own.
export ODBCINI="$data/odbc.ini"
unset ODBCSYSINI
etc="$pkg/etc/pelkdataexchanger"
sed -e "s|/var/log/pelkdataexchanger|$data/logs|" -e "s|/var/lib/pelkdataexchanger/work|$data/work|" \
    -e "s|/usr/share/pelkdataexchanger|$pkg/usr/share/pelkdataexchanger|" -e "s|/etc/pelkdataexchanger|$etc|" \
    -i "$etc/PelkDataExchanger.xml"
sed -e "s|/var/lib/pelkdataexchanger/customers|$data/work|" -i "$etc/process-customers.xml"
head -c 33 /dev/urandom | base64 > "$etc/Transakcje.key"
chmod 600 "$etc/Transakcje.key"
for file in PelkDataExchanger.xml Transakcje.key; do
  ln -sfn "$etc/$file" "$pkg/usr/lib/pelkdataexchanger/$file"
done
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_RUNTIME_DIR
export TMPDIR="$tmp"
run() {
  local code=0
  "$pkg/usr/bin/PelkDataExchanger" "$@" > "$tmp/out" 2> "$tmp/err" || code=$?
  cat "$tmp/out"
  [ ! -s "$tmp/err" ] || { cat "$tmp/err" >&2; fail "the run wrote to standard error"; }
  [ "$code" -eq 0 ] || fail "the run ended with exit code $code"
}
run --dry-run "$etc/process-customers.xml" auto
grep -q "^dry run: Klient transfer do systemu Pelk·GIS Trasar: listed=2 new=1 updated=0 unchanged=0 refused=1 failed=0 " "$tmp/out" \
  || fail "the dry run's summary is not the expected one"
[ "$(sqlite3 "$data/gis.db" "SELECT count(*) FROM OBIEKT WHERE OB_EXID = '100001'")" = 0 ] || fail "the dry run wrote to the GIS"
time run "$etc/process-customers.xml" auto
grep -q "^Klient transfer do systemu Pelk·GIS Trasar: listed=2 new=1 updated=0 unchanged=0 refused=1 failed=0 " "$tmp/out" \
  || fail "the run's summary is not the expected one"
[ "$(sqlite3 "$data/gis.db" "SELECT count(*) FROM OBIEKT WHERE OB_EXID = '100001'")" = 1 ] || fail "the customer did not reach the GIS"
echo "check-package: $deb is fine"
