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

// ":<name>0, :<name>1, ..." for n values: the parameters of an "in (...)" list.
inline QString ParameterList(const QString &name, int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += QStringLiteral("%1:%2%3").arg(i ? QStringLiteral(", ") : QString(), name).arg(i);
    return out;
}

} // namespace pelk
