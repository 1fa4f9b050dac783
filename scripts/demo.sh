#!/usr/bin/env bash
# Builds the program, lays out a demo installation with SQLite data sources in demo/,
# runs one unattended exchange and prints its log file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" "$root/build"
demo="${DEMO_DIR:-$root/demo}"
mkdir -p "$demo"/{logs,work,xsl,odbc,data}
cp "$root/build/PelkDataExchanger" "$demo/"
[ -f "$root/deploy/ObjectRules.xml" ] && cp "$root/deploy/ObjectRules.xml" "$demo/"
cp "$root"/deploy/xsl/*.xsl "$demo/xsl/" 2>/dev/null || true

driver=$(dpkg -L libsqliteodbc | grep -m1 'libsqlite3odbc\.so$')
cat > "$demo/odbc/odbcinst.ini" <<INI
[SQLite3]
Description=SQLite3 ODBC Driver
Driver=$driver
INI
: > "$demo/odbc/odbc.ini"
for db in gis crm erp; do
  [ -f "$demo/data/$db.db" ] || sqlite3 "$demo/data/$db.db" "PRAGMA user_version = 1;"
done
cat >> "$demo/odbc/odbc.ini" <<INI
[PelkGIS_Demo]
Driver=SQLite3
Database=$demo/data/gis.db
Timeout=5000

[Caesar_Demo]
Driver=SQLite3
Database=$demo/data/crm.db
Timeout=5000

[Movex_Demo]
Driver=SQLite3
Database=$demo/data/erp.db
Timeout=5000
INI

cat > "$demo/PelkDataExchanger.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<classes>
  <class classname="TSettingsAplikacji" name="TSettingsAplikacji">
    <properties>
      <property name="DefaultSubDirLog" type="String">logs</property>
      <property name="DefaultSubDirWork" type="String">work</property>
      <property name="TransforSubDir" type="String">xsl</property>
      <property name="DefaultSettingsFileName" type="String">process.xml</property>
      <property name="DSN_PelkGISTrasar" type="String">PelkGIS_Demo</property>
      <property name="DSN_Movex" type="String">Movex_Demo</property>
      <property name="DSN_Caesar" type="String">Caesar_Demo</property>
      <property name="TraceLevel" type="Integer">2</property>
      <property name="WysylajBledyNaMaila" type="Enumeration">False</property>
    </properties>
  </class>
</classes>
XML
cat > "$demo/process.xml" <<XML
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<classes>
  <class classname="TSettingsProcess" name="TSettingsProcess">
    <properties>
      <property name="WorkDirectory" type="String">$demo/work</property>
      <property name="ObjectToProcess" type="Object" class="TObjectToProcessCollection">
        <class classname="TObjectToProcessCollection" name="ObjectToProcess">
          <customdata>
            <class classname="TObjectToProcessCollectionItem" name="Item_1">
              <properties>
                <property name="NazwaObiektu" type="String">Klient</property>
                <property name="NazwaObiektRules" type="String">Klient</property>
                <property name="ListaDozwolonychStanow" type="Integer">10</property>
                <property name="Stan" type="Enumeration">esSysXtoSysY</property>
              </properties>
            </class>
            <class classname="TObjectToProcessCollectionItem" name="Item_2">
              <properties>
                <property name="NazwaObiektu" type="String">Dystrybutor</property>
                <property name="NazwaObiektRules" type="String">Dystrybutor</property>
                <property name="ListaDozwolonychStanow" type="Integer">10</property>
                <property name="Stan" type="Enumeration">esSysXtoSysY</property>
              </properties>
            </class>
          </customdata>
        </class>
      </property>
    </properties>
  </class>
</classes>
XML

export ODBCSYSINI="$demo/odbc" ODBCINI="$demo/odbc/odbc.ini"
echo "== PelkDataExchanger $demo/process.xml auto"
( cd "$demo" && ./PelkDataExchanger "$demo/process.xml" auto )
log=$(ls -t "$demo"/logs/*.log | head -1)
echo "== log file: $log"
iconv -f ISO-8859-2 -t UTF-8 "$log" | tr -d '\r'
