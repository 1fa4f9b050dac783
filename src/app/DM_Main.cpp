#include "DM_Main.h"

#include "Log.h"
#include "MailHook.h"
#include "Process.h"
#include "Przelaczniki.h"
#include "Settings.h"
#include "config/DateTime.h"
#include "config/KeyLibrary.h"
#include "config/XMLSerializer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QUuid>

namespace pelk {

TDM_Main::TDM_Main(const QString &appFolder, const QStringList &arguments, ILogView *logView, IProgressView *progressView,
                   QObject *parent)
    : QObject(parent), m_arguments(arguments)
{
    m_settings = std::make_unique<TSettingsAplikacji>();
    m_log = std::make_unique<TLog>();
    m_process = std::make_unique<TProcess>(m_log.get());
    m_process->BindControls(progressView);
    m_log->SetView(logView);
    m_log->SetMailErrorHook([this](const QString &text) { MailError(text); });
    m_db = std::make_unique<TDatabaseHelpers>(*m_log);
    m_settings->SetLog(m_log.get());
    m_settings->SetSerializerFactory([this] { return CreateXMLSerializer(); });
    DataModuleCreate(appFolder);
}

TDM_Main::~TDM_Main()
{
    DataModuleDestroy();
}

void TDM_Main::DataModuleCreate(const QString &appFolder)
{
    m_log->Info(1, QStringLiteral(" Start aplikacji: %1").arg(DateTimeToText(Now())));
    QString folder = QDir::toNativeSeparators(appFolder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    m_settings->AppFolder = folder;

    const QString settingsFile = m_settings->AppFolder + QLatin1String(SettingsFileName);
    if (!CheckConfigFile(settingsFile))
        return;
    // A file read only up to a value it cannot take would run on defaults for every key after
    // it: start-up ends here, and what was logged names the key, its value and the reason.
    if (!m_settings->LoadFromFile(settingsFile))
        return;
    if (const MailSenderFactory factory = CurrentMailSenderFactory()) {
        m_ownedMailSender = factory(*m_settings->MailSettings(), [this](const QString &text) { MailSenderStatus(text); });
        m_mailSender = m_ownedMailSender.get();
    }
    if (!m_settings->CheckSettings())
        return;
    Connection::SetLoginTimeout(m_settings->LimitCzasuLogowania());
    m_log->OpenFile(m_settings->DefaultSubDirLog(), m_settings->TraceLevel());
    m_log->DeleteOldFiles(m_settings->DniPrzechowywaniaLogow());
    if (const QString exposure = KeyFileExposure(); !exposure.isEmpty())
        m_log->Warning(1, QLatin1Char(' ') + exposure);

    m_settingsProcess = std::make_unique<TSettingsProcess>();
    m_settingsProcess->SetLog(m_log.get());
    m_settingsProcess->SetSerializerFactory([this] { return CreateXMLSerializer(); });
    m_switches = std::make_unique<TPrzelaczniki>(m_settingsProcess.get(), m_log.get());

    if (LoadProcessSettings() && OpenConnection(ADOConnection_PelkGIS, m_settings->DSN_PelkGISTrasar(), true)) {
        OpenConnection(ADOConnection_Movex, m_settings->DSN_Movex(), true);
        OpenConnection(ADOConnection_Caesar, m_settings->DSN_Caesar(), true);
        m_process->SetCanProcess(true);
    }
}

void TDM_Main::DataModuleDestroy()
{
    {
        const std::lock_guard<std::mutex> serial(m_mailMutex);
        ReportUnmailed();
    }
    // Its disconnection may still report through the log, which then mails nothing.
    m_mailSender = nullptr;
    m_ownedMailSender.reset();
    ADOConnection_PelkGIS.Close();
    ADOConnection_Caesar.Close();
    ADOConnection_Movex.Close();
    m_settingsProcess.reset();
    m_switches.reset();
    m_log->Info(1, QStringLiteral(" Koniec aplikacji: %1").arg(DateTimeToText(Now())));
}

bool TDM_Main::CheckConfigFile(const QString &fileName)
{
    if (QFileInfo(fileName).isFile())
        return true;
    m_log->Error(1, QStringLiteral(" Brak pliku konfiguracyjnego: \r\n      %1").arg(fileName));
    return false;
}

bool TDM_Main::LoadProcessSettings()
{
    const QString first = m_arguments.value(0);
    const bool automatic = m_arguments.value(1) == QLatin1String("auto");
    bool loaded = true;
    try {
        if (m_arguments.isEmpty()) {
            const QString defaultFile = m_settings->DefaultSettingsFileName();
            if (QFileInfo(defaultFile).isFile()) {
                loaded = m_settingsProcess->LoadFromFile(defaultFile);
                m_switches->LoadMode = TPrzelaczniki::FromProcessSettingsMode;
            } else {
                m_switches->LoadMode = TPrzelaczniki::DefaultsMode;
                m_settingsProcess->WorkDirectory = m_settings->DefaultSubDirWork();
            }
        } else {
            m_log->Info(3, QStringLiteral(" Parametr 1: %1").arg(first));
            m_log->Info(3, QStringLiteral(" Parametr 2: %1").arg(m_arguments.value(1)));
            loaded = m_settingsProcess->LoadFromFile(first);
            m_switches->LoadMode = TPrzelaczniki::FromProcessSettingsMode;
            if (automatic)
                m_log->SetAutomatic(true);
        }
        if (!loaded)
            m_log->Error(
                1,
                QStringLiteral(" Błąd ładowania pliku konfiguracyjnego o nazwie %1\r\n      %2")
                    .arg(first.isEmpty() ? m_settings->DefaultSettingsFileName() : first, m_settingsProcess->LoadError()));
        m_switches->Load();
        // In the window the user opens another file; an unattended run with a file it could not
        // read completely has nothing it may trust to do.
        return loaded || !automatic;
    } catch (const std::exception &e) {
        m_log->Error(
            1,
            QStringLiteral(" Błąd ładowania pliku konfiguracyjnego o nazwie %1\r\n      %2").arg(first, TLog::ExceptionText(e)));
        return false;
    }
}

bool TDM_Main::OpenConnection(Connection &connection, const QString &dsn, bool testOnly)
{
    try {
        connection.Close();
        connection.Open(dsn);
        if (testOnly)
            connection.Close();
        return true;
    } catch (const std::exception &e) {
        m_log->Error(1,
                     QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych DSN = ") + dsn
                         + QStringLiteral("\r\n      ") + TLog::ExceptionText(e));
        return false;
    }
}

void TDM_Main::ShowVersions()
{
    QString program = QStringLiteral("PelkDataExchanger");
    if (QCoreApplication::instance())
        program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QString text = QStringLiteral(" Wersje plików:\r\n");
    text += QStringLiteral("      Plik: %1 wersja: %2\r\n").arg(program, TProcess::ModuleVersion());
    text += TProcess::RulesVersionLine(m_settings->AppFolder);
    text += TProcess::StylesheetVersionLines(m_settings->TransforSubDir());
    m_log->Note(1, text);
}

void TDM_Main::SetDryRun(bool dryRun)
{
    m_process->SetDryRun(dryRun);
    m_db->SetRollbackOnly(dryRun);
}

TXMLSerializer *TDM_Main::CreateXMLSerializer()
{
    return TXMLSerializer::CreateSystemSerializer(nullptr);
}

QString TDM_Main::NewGuidString()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

void TDM_Main::MailError(const QString &text)
{
    // Errors raised while a mail is being sent (the sender's own status texts) are not mailed
    // again: the flag is per thread and restored however the sending ends. Errors of other
    // threads (the GPS decoder) wait for the sender, which serves one mail at a time.
    thread_local bool sending = false;
    if (sending || !m_mailSender || !m_settings->WysylajBledyNaMaila() || text.isEmpty())
        return;
    const QScopedValueRollback<bool> guard(sending, true);
    const std::lock_guard<std::mutex> serial(m_mailMutex);
    bool mailed = false;
    const auto count = qScopeGuard([&] { m_unmailed += mailed ? 0 : 1; });
    try {
        const bool connected = m_mailSender->Connected() || m_mailSender->Connect();
        if (connected) {
            // The mails lost while the sender rested after a failure are told before the
            // first one that goes out again.
            ReportUnmailed();
            QString subject = text;
            mailed = m_mailSender->Send(subject.replace(QLatin1String("\r\n"), QLatin1String(" ")));
        }
        if (connected || m_mailSender->Connected())
            m_mailSender->Disconnect();
    } catch (const std::exception &e) {
        // A failing sender never takes the logging call down with it.
        m_log->Error(1, QStringLiteral(" Błąd wysyłania wiadomości e-mail: %1").arg(TLog::ExceptionText(e)));
    }
}

void TDM_Main::ReportUnmailed()
{
    if (m_unmailed == 0)
        return;
    m_log->Warning(1,
                   QStringLiteral(" Nie wysłano pocztą e-mail %1 zgłoszonych błędów (wysyłanie poczty było niemożliwe"
                                  " lub wstrzymane po błędzie); są zapisane w dzienniku")
                       .arg(m_unmailed));
    m_unmailed = 0;
}

void TDM_Main::MailSenderStatus(const QString &text)
{
    m_log->Error(m_log->TraceLevel(), text);
}

} // namespace pelk
