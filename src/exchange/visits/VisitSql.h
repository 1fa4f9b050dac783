#pragma once
// The statements of the visit exchange, SQL Server text beside SQLite text: the CRM's list of
// changed visits and the activities of one representative-day, and the GIS visit look-up with
// the visit and stop rows.
#include "db/DialectSql.h"

#include <QStringList>

namespace pelk::VisitSql {

// Activities created or updated after :DataOd, one row per reason (PracownikID, DataWizyty,
// DataUtworzenia, ID), ordered by representative and start time.
const DialectSql &WizytyDoTransportu();
// The activities of representative :PracownikID starting in [:DzienOd, :DzienDo), in start order.
const DialectSql &ZamerWizyty();
// The GIS visit of object :ObiektID on day :DataWizyty ("yyyy-mm-dd").
const DialectSql &Wizyta();

// A new stop row.
const DialectSql &InsertWizytaObiekt();

// The visit and stop rows: table and the columns read and written.
QString WizytaTable();
QStringList WizytaFields();
QString WizytaObiektTable();
QStringList WizytaObiektFields();

} // namespace pelk::VisitSql
