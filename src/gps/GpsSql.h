#pragma once
// The statements of the GPS position store and the GPS queue, each as the SQL Server text beside the SQLite
// text. Values always reach them as bound parameters.
#include "db/DialectSql.h"

#include <QStringList>

namespace pelk::GpsSql {

// The vehicle object whose OB_MAP1 holds the registration number (:NumerRejestracyjny).
const DialectSql &FindPojazd();
// The driver related (207) to the territory the vehicle (:PojazdId) is related to (212).
const DialectSql &FindKierowca();
// A stop row of the vehicle (:PojazdId) at the instant (:DataCzas, a typed date-time).
const DialectSql &FindPostoj();

// The time of the vehicle's latest stored stop (column DataCzas; null when it has none), the
// vehicle known by its registration number (:NumerRejestracyjny).
const DialectSql &OstatniPostoj();

// The stop rows: table, key and the columns written.
QString TrasaTable();
QStringList TrasaFields();

} // namespace pelk::GpsSql
