#pragma once
// Databases created from the shipped SQLite scripts of deploy/sqlite.
#include "support/TestSupport.h"

#include <QDir>

namespace pelk::test {

// Runs the named scripts of deploy/sqlite, in order, on the SQLite file.
inline void CreateSqliteDatabase(const QString &dbFile, const QStringList &scripts)
{
    const QDir deploy(QStringLiteral(PELK_SOURCE_DIR "/deploy/sqlite"));
    for (const QString &script : scripts)
        OdbcEnvironment::ExecSqlite(dbFile, ReadFileText(deploy.filePath(script)));
}

// The GIS database with its reference data.
inline void CreateGisDatabase(const QString &dbFile)
{
    CreateSqliteDatabase(dbFile, {QStringLiteral("gis.sql"), QStringLiteral("gis-reference.sql")});
}

} // namespace pelk::test
