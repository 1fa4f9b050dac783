#pragma once
// The CRM statements of the customer and distributor reader, and the two GIS statements of the
// sales exchange that the object module hosts; SQL Server text beside SQLite text.
#include "db/DialectSql.h"

namespace pelk::CustomerSql {

// Customers (business lines other than 1567, 1568) changed after :DataOd.
const DialectSql &KlienciDoTransportu();
// Distributors (business lines 1567, 1568) changed after :DataOd.
const DialectSql &DystrybutorzyDoTransportu();
// One customer by number (:KlientID).
const DialectSql &ZamerKlient();
// The active GIS objects with an attribute whose text is the ERP id (:ObiektERPID), each once.
const DialectSql &ObiektyByERPID();
// Every stored value of the sales attributes set to 0.
const DialectSql &ZerujAllAtrybutySprzedaz();

} // namespace pelk::CustomerSql
