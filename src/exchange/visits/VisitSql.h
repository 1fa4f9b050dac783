#pragma once
// The statements of the visit exchange, SQL Server text beside SQLite text: the CRM's list of
// changed visits and the activities of the listed representative-days, and the GIS visit look-up with
// the visit and stop rows.
#include "db/DialectSql.h"

#include <QStringList>

namespace pelk::VisitSql {

// Activities created or updated after :DataOd, one row per reason (PracownikID, DataWizyty,
// DataUtworzenia, ID), ordered by representative and start time.
const DialectSql &WizytyDoTransportu();
// The activities of every representative-day WizytyDoTransportu lists for :DataOd, all of each
// day, ordered by representative and start time.
const DialectSql &ZamerWizytyListy();
// The GIS visit of object :ObiektID on day :DataWizyty ("yyyy-mm-dd").
const DialectSql &Wizyta();

// The stop rows of visit :WizytaID.
const DialectSql &WizytaObiekty();
// A new stop row.
const DialectSql &InsertWizytaObiekt();

// The visit and stop rows: table and the columns read and written.
QString WizytaTable();
QStringList WizytaFields();
QString WizytaObiektTable();
QStringList WizytaObiektFields();

} // namespace pelk::VisitSql
