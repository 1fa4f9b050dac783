#pragma once
// One statement in the SQL Server text beside the SQLite text; the connection's dialect picks.
#include "Connection.h"

#include <QString>

namespace pelk {

struct DialectSql
{
    QString sqlServer;
    QString sqlite; // empty: the SQL Server text serves both

    const QString &For(Dialect dialect) const { return dialect == Dialect::SQLite && !sqlite.isEmpty() ? sqlite : sqlServer; }
};

} // namespace pelk
