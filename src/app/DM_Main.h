#pragma once
// The main data module: owns the settings, the processing state, the log, the switches and
// the three database connections for the program's life, and runs the start-up.
#include "DatabaseHelpers.h"
#include "db/Connection.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <mutex>

namespace pelk {

class ILogView;
class IMailSender;
class IProgressView;
class TLog;
class TProcess;
class TPrzelaczniki;
class TSettingsAplikacji;
class TSettingsProcess;
class TXMLSerializer;

class TDM_Main : public QObject
{
    Q_OBJECT
public:
    // appFolder: the program's folder; arguments: the command line without the program name.
    TDM_Main(const QString &appFolder, const QStringList &arguments, ILogView *logView, IProgressView *progressView,
             QObject *parent = nullptr);
    ~TDM_Main() override;

    TLog *Log() const { return m_log.get(); }
    TProcess *Process() const { return m_process.get(); }
    TSettingsAplikacji *Settings() const { return m_settings.get(); }
    TSettingsProcess *SettingsProcess() const { return m_settingsProcess.get(); }
    TPrzelaczniki *Przelaczniki() const { return m_switches.get(); }
    TDatabaseHelpers &Db() { return *m_db; }

    Connection ADOConnection_PelkGIS;
    Connection ADOConnection_Caesar;
    Connection ADOConnection_Movex;

    bool CheckConfigFile(const QString &fileName);
    bool LoadProcessSettings();
    bool OpenConnection(Connection &connection, const QString &dsn, bool testOnly);
    void ShowVersions();
    TXMLSerializer *CreateXMLSerializer();
    // A dry run (the processing state's flag; every element's GIS writes rolled back).
    void SetDryRun(bool dryRun);
    static QString NewGuidString();

    // The sender the error-mail hook uses: the one built at start-up, or another (not owned).
    IMailSender *MailSender() const { return m_mailSender; }
    void SetMailSender(IMailSender *sender) { m_mailSender = sender; }
    void MailError(const QString &text);
    void MailSenderStatus(const QString &text);

    static constexpr const char *SettingsFileName = "PelkDataExchanger.xml";

private:
    void DataModuleCreate(const QString &appFolder);
    void DataModuleDestroy();

    QStringList m_arguments;
    std::unique_ptr<TSettingsAplikacji> m_settings;
    std::unique_ptr<TProcess> m_process;
    std::unique_ptr<TLog> m_log;
    std::unique_ptr<TDatabaseHelpers> m_db;
    std::unique_ptr<TPrzelaczniki> m_switches;
    std::unique_ptr<TSettingsProcess> m_settingsProcess;
    std::unique_ptr<IMailSender> m_ownedMailSender;
    IMailSender *m_mailSender = nullptr;
    std::mutex m_mailMutex; // one mail at a time, whichever thread logged the error
    int m_unmailed = 0;     // errors not mailed since the last mail that went out
    // Logs, as a warning, how many errors were not mailed, if any (under m_mailMutex).
    void ReportUnmailed();
};

} // namespace pelk
