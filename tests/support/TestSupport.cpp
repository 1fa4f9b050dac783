#include "TestSupport.h"

#include "ChildProcess.h"

#include "db/Connection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <stdexcept>

#include <sql.h>
#include <sqlext.h>

namespace pelk::test {

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char arg0[] = "pelk-tests";
    static char *argv[] = {arg0, nullptr};
    new QApplication(argc, argv);
}

namespace {
QString sqliteDriverPath()
{
    for (const char *p : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                          "/usr/lib/odbc/libsqlite3odbc.so"})
        if (QFile::exists(QString::fromLatin1(p)))
            return QString::fromLatin1(p);
    throw std::runtime_error("SQLite3 ODBC driver (libsqliteodbc) not installed");
}
// Empty when FreeTDS (tdsodbc) is not installed.
QString freeTdsDriverPath()
{
    for (const char *p : {"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so",
                          "/usr/lib/odbc/libtdsodbc.so"})
        if (QFile::exists(QString::fromLatin1(p)))
            return QString::fromLatin1(p);
    return QString();
}
} // namespace

OdbcEnvironment::OdbcEnvironment()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create temporary folder");
    WriteIni();
    qputenv("ODBCSYSINI", m_dir.path().toLocal8Bit());
    qputenv("ODBCINI", (m_dir.path() + QStringLiteral("/odbc.ini")).toLocal8Bit());
}

OdbcEnvironment::~OdbcEnvironment() = default;

QString OdbcEnvironment::AddSqliteDsn(const QString &dsn, const QString &fileName, const QString &options)
{
    const QString file = m_dir.filePath(fileName.isEmpty() ? dsn + QStringLiteral(".db") : fileName);
    ReplaceDsn({dsn, file, options});
    return file;
}

void OdbcEnvironment::AddFreeTdsDsn(const QString &dsn, int port)
{
    ReplaceDsn({dsn, QString(), QString(), port});
}

void OdbcEnvironment::ReplaceDsn(const Dsn &dsn)
{
    for (int i = 0; i < m_dsns.size(); ++i)
        if (m_dsns[i].name == dsn.name)
            m_dsns.removeAt(i--);
    m_dsns.append(dsn);
    WriteIni();
}

void OdbcEnvironment::WriteIni()
{
    QString drivers = QStringLiteral("[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%1\nSetup=%1\n").arg(sqliteDriverPath());
    if (const QString tds = freeTdsDriverPath(); !tds.isEmpty())
        drivers += QStringLiteral("\n[FreeTDS]\nDescription=FreeTDS\nDriver=%1\n").arg(tds);
    WriteFileText(m_dir.filePath(QStringLiteral("odbcinst.ini")), drivers);
    QString ini;
    for (const auto &d : m_dsns) {
        if (d.tdsPort > 0) {
            ini += QStringLiteral("[%1]\nDriver=FreeTDS\nServer=127.0.0.1\nPort=%2\nTDS_Version=7.4\nDatabase=GIS\n\n")
                       .arg(d.name)
                       .arg(d.tdsPort);
            continue;
        }
        // A busy time-out of 5 s unless the options give their own.
        const QString timeout = d.options.contains(QLatin1String("Timeout=")) ? QString() : QStringLiteral("Timeout=5000\n");
        ini += QStringLiteral("[%1]\nDriver=SQLite3\nDatabase=%2\n%3%4\n").arg(d.name, d.file, timeout, d.options);
    }
    WriteFileText(m_dir.filePath(QStringLiteral("odbc.ini")), ini);
}

void OdbcEnvironment::ExecSqlite(const QString &dbFile, const QString &sql)
{
    const RChildResult r = RunChild(QStringLiteral("sqlite3"), {dbFile}, sql.toUtf8(), std::chrono::seconds(30));
    if (!r.finished || r.exitCode != 0)
        throw std::runtime_error(("sqlite3 failed: " + r.err).toStdString());
}

QStringList OdbcEnvironment::QuerySqlite(const QString &dbFile, const QString &sql)
{
    const RChildResult r = RunChild(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), dbFile}, sql.toUtf8(),
                                    std::chrono::seconds(30));
    if (!r.finished || r.exitCode != 0)
        throw std::runtime_error(("sqlite3 failed: " + r.err).toStdString());
    QString out = QString::fromUtf8(r.out);
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
}

QString ReadFileText(const QString &path)
{
    return QString::fromUtf8(ReadFileBytes(path));
}

QByteArray ReadFileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void WriteFileText(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(("cannot write " + path).toStdString());
    f.write(text.toUtf8());
}

void DropUnderneath(pelk::Connection &connection)
{
    if (void *handle = connection.OdbcHandle())
        SQLEndTran(SQL_HANDLE_DBC, static_cast<SQLHDBC>(handle), SQL_ROLLBACK);
    connection.Database().close();
}

} // namespace pelk::test
