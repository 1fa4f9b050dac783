#include "Connection.h"

#include "config/Errors.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

namespace pelk {

namespace {

QAtomicInt g_connectionCounter;
QAtomicInt g_loginTimeout{30}; // seconds, until the settings give theirs

} // namespace

QString Connection::ErrorText(const QSqlError &e)
{
    const QString db = e.databaseText().trimmed();
    const QString drv = e.driverText().trimmed();
    if (db.isEmpty())
        return drv;
    return drv.isEmpty() ? db : db + QLatin1Char(' ') + drv;
}

namespace {

// The first SQLSTATE of connection class among the diagnostics of one handle, else the first one.
QString DiagState(SQLSMALLINT type, SQLHANDLE handle)
{
    if (!handle)
        return QString();
    QString first;
    for (SQLSMALLINT rec = 1; rec < 20; ++rec) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {0};
        SQLINTEGER native = 0;
        SQLCHAR text[8] = {0};
        SQLSMALLINT len = 0;
        const SQLRETURN r = SQLGetDiagRec(type, handle, rec, state, &native, text, sizeof text, &len);
        if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO)
            break;
        const QString s = QString::fromLatin1(reinterpret_cast<const char *>(state));
        if (s.startsWith(QLatin1String("08")))
            return s;
        if (first.isEmpty())
            first = s;
    }
    return first;
}

} // namespace

void Connection::SetLoginTimeout(int seconds)
{
    g_loginTimeout.storeRelaxed(seconds);
}

int Connection::LoginTimeout()
{
    return g_loginTimeout.loadRelaxed();
}

Connection::Connection() : m_name(QStringLiteral("pelk_connection_%1").arg(g_connectionCounter.fetchAndAddRelaxed(1) + 1))
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
}

Connection::~Connection()
{
    Close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

QString Connection::ConnectionStringFor(const QString &dsn)
{
    return QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=%1").arg(dsn);
}

void Connection::Open(const QString &dsn)
{
    m_dsn = dsn;
    Open();
}

void Connection::Open()
{
    Close(); // a transaction open on the old connection stays lost until its bracket ends
    if (!m_db.isValid()) {
        m_lastError = QStringLiteral("ODBC driver for Qt SQL (QODBC) is not available");
        throw Exception(m_lastError);
    }
    // The driver connects without prompting; the data source name is the whole connection text.
    m_db.setDatabaseName(m_dsn);
    if (const int timeout = LoginTimeout(); timeout > 0)
        m_db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(timeout));
    if (!m_db.open()) {
        m_lastError = ErrorText(m_db.lastError());
        m_db.close();
        throw Exception(m_lastError);
    }

    QString dbmsName;
    if (SQLHDBC hdbc = static_cast<SQLHDBC>(OdbcHandle())) {
        SQLCHAR name[256] = {0};
        SQLSMALLINT len = 0;
        const SQLRETURN r = SQLGetInfo(hdbc, SQL_DBMS_NAME, name, sizeof name, &len);
        if (SQL_SUCCEEDED(r))
            dbmsName = QString::fromLatin1(reinterpret_cast<const char *>(name)).trimmed();
    }
    if (dbmsName.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
        m_dialect = pelk::Dialect::SqlServer;
    else if (dbmsName.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
        m_dialect = pelk::Dialect::SQLite;
    else
        m_dialect = pelk::Dialect::Other;

    if (m_dialect == pelk::Dialect::SQLite) {
        try {
            AttachSelfAsDbo();
        } catch (...) {
            m_db.close();
            throw;
        }
    }
    m_lastError.clear();
    m_open = true;
}

void Connection::AttachSelfAsDbo()
{
    QSqlQuery list(m_db);
    if (!list.exec(QStringLiteral("PRAGMA database_list"))) {
        m_lastError = ErrorText(list.lastError());
        throw Exception(m_lastError);
    }
    QString file;
    while (list.next()) {
        const QString schema = list.value(1).toString();
        if (schema.compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0)
            return; // already there
        if (schema == QLatin1String("main"))
            file = list.value(2).toString();
    }
    list.finish();
    if (file.isEmpty())
        return; // in-memory or temporary database: nothing to attach
    QString quoted = file;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    QSqlQuery attach(m_db);
    if (!attach.exec(QStringLiteral("ATTACH DATABASE '%1' AS dbo").arg(quoted))) {
        m_lastError = ErrorText(attach.lastError());
        throw Exception(m_lastError);
    }
    // An attached schema starts with its own synchronous setting (FULL), not the one the data
    // source gave main: every commit through "dbo." would wait for the disk where main does not.
    QSqlQuery sync(m_db);
    if (sync.exec(QStringLiteral("PRAGMA main.synchronous")) && sync.next()) {
        const int level = sync.value(0).toInt();
        sync.finish();
        sync.exec(QStringLiteral("PRAGMA dbo.synchronous = %1").arg(level));
    }
}

bool Connection::IsOpen() const
{
    return m_open && m_db.isOpen();
}

void Connection::EnsureOpen()
{
    if (TransactionLost())
        throw Exception(
            QStringLiteral("Połączenie z bazą danych zostało przerwane w trakcie zapisu (%1)").arg(ConnectionString()));
    if (!IsOpen())
        Open();
}

void Connection::BeginTransaction()
{
    if (m_inTransaction)
        EndTransaction(false); // a bracket left open never carries over into the next one
    if (!m_db.transaction()) {
        m_lastError = ErrorText(m_db.lastError());
        NoteFailure(nullptr);
        throw Exception(m_lastError);
    }
    m_inTransaction = true;
    m_transactionLost = false;
}

void Connection::EndTransaction(bool commit)
{
    if (!m_inTransaction)
        return;
    const bool lost = TransactionLost();
    m_inTransaction = false;
    m_transactionLost = false;
    if (lost) {
        // The server rolled the element's writes back with the connection.
        if (commit) {
            m_lastError = QStringLiteral("Połączenie z bazą danych zostało przerwane w trakcie zapisu; "
                                         "zmiany wycofano (%1)")
                              .arg(ConnectionString());
            throw Exception(m_lastError);
        }
        return;
    }
    const bool done = commit ? m_db.commit() : m_db.rollback();
    if (!done) {
        m_lastError = ErrorText(m_db.lastError());
        if (commit)
            m_db.rollback();
        NoteFailure(nullptr);
        throw Exception(m_lastError);
    }
}

void Connection::Close()
{
    if (m_inTransaction)
        m_transactionLost = true;
    m_statements.clear(); // before the driver's handles go
    if (m_db.isOpen()) {
        if (m_inTransaction)
            m_db.rollback();
        m_db.close();
    }
    m_open = false;
}

std::shared_ptr<QSqlQuery> Connection::Statement(const QString &sql, bool &prepared)
{
    prepared = true;
    if (const auto it = m_statements.constFind(sql); it != m_statements.constEnd()) {
        (*it)->finish();
        return *it;
    }
    auto statement = std::make_shared<QSqlQuery>(m_db);
    statement->setForwardOnly(true);
    prepared = statement->prepare(sql);
    if (!prepared)
        return statement;
    constexpr int kMaxStatements = 200; // distinct texts; an exchange uses a few dozen
    if (m_statements.size() >= kMaxStatements)
        m_statements.clear();
    m_statements.insert(sql, statement);
    return statement;
}

void *Connection::OdbcHandle() const
{
    if (!m_db.isOpen() || !m_db.driver())
        return nullptr;
    const QVariant h = m_db.driver()->handle();
    if (!h.isValid() || !h.data())
        return nullptr;
    return *static_cast<SQLHANDLE const *>(h.constData());
}

QString Connection::NoteFailure(void *statementHandle)
{
    QString state = DiagState(SQL_HANDLE_STMT, statementHandle);
    if (!state.startsWith(QLatin1String("08"))) {
        const QString dbcState = DiagState(SQL_HANDLE_DBC, OdbcHandle());
        if (state.isEmpty() || dbcState.startsWith(QLatin1String("08")))
            state = dbcState;
    }
    // Close frees the kept statements before it disconnects; a statement still held by its
    // caller is not freed again after the disconnect (Qt checks the handle's generation).
    if (state.startsWith(QLatin1String("08")) || !m_db.isOpen())
        Close();
    return state;
}

} // namespace pelk
