#pragma once
// The CRM statements of the customer and distributor reader; SQL Server text beside SQLite text.
#include "db/DialectSql.h"

namespace pelk::CustomerSql {

// Customers (business lines other than 1567, 1568) changed after :DataOd.
const DialectSql &KlienciDoTransportu();
// Distributors (business lines 1567, 1568) changed after :DataOd.
const DialectSql &DystrybutorzyDoTransportu();
// One customer by number (:KlientID).
const DialectSql &ZamerKlient();

} // namespace pelk::CustomerSql
