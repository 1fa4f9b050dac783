#pragma once
// Application settings (the file beside the program) and process settings (working folder
// and the object kinds with their direction).
#include "DSLocateKonfig.h"
#include "MailSettings.h"
#include "config/ObjectCollection.h"

#include <functional>

namespace pelk {

class TLog;
class TXMLSerializer;

// Direction states of an object kind.
class States : public QObject
{
    Q_OBJECT
public:
    enum e_Stan { esBothDirection = 0, esSysXtoSysY = 1, esSysYtoSysX = 2, esNone = 3 };
    Q_ENUM(e_Stan)
};
using e_Stan = States::e_Stan;
constexpr e_Stan esBothDirection = States::esBothDirection;
constexpr e_Stan esSysXtoSysY = States::esSysXtoSysY;
constexpr e_Stan esSysYtoSysX = States::esSysYtoSysX;
constexpr e_Stan esNone = States::esNone;
// Set of e_Stan: bit n for value n.
using e_Stany = quint8;
constexpr e_Stany StanBit(e_Stan s)
{
    return e_Stany(1u << int(s));
}
constexpr bool InStany(e_Stany set, e_Stan s)
{
    return (set & StanBit(s)) != 0;
}

// Creates the serializers that read and write every object file of the system.
using SerializerFactory = std::function<TXMLSerializer *()>;

class TSettings : public TPersistent
{
    Q_OBJECT
public:
    explicit TSettings(QObject *parent = nullptr);
    QString AppFolder;

    virtual bool SaveToFile(const QString &fileName);
    virtual bool LoadFromFile(const QString &fileName);
    virtual bool CheckSettings() { return true; }

    void SetSerializerFactory(SerializerFactory factory) { m_factory = std::move(factory); }
    void SetLog(TLog *log) { m_log = log; }
    // Why the last LoadFromFile failed (the file's error, or the key and value that could not
    // be read); empty after a complete load.
    QString LoadError() const { return m_loadError; }

protected:
    // Runs the base operation; an escaping exception is logged as " Wyjątek funkcji
    // <class>.<operation>" with its reason.
    bool GuardedFileOperation(const char *operation, const std::function<bool()> &op);
    TLog *m_log = nullptr;
    QString m_loadError;

private:
    SerializerFactory m_factory;
};

class TSettingsAplikacji : public TSettings
{
    Q_OBJECT
    Q_PROPERTY(QString DefaultSubDirLog MEMBER m_defaultSubDirLog)
    Q_PROPERTY(QString DefaultSubDirWork MEMBER m_defaultSubDirWork)
    Q_PROPERTY(QString TransforSubDir MEMBER m_transforSubDir)
    Q_PROPERTY(QString DefaultSettingsFileName MEMBER m_defaultSettingsFileName)
    Q_PROPERTY(QString DSN_PelkGISTrasar MEMBER m_dsnPelkGISTrasar)
    Q_PROPERTY(QString DSN_Movex MEMBER m_dsnMovex)
    Q_PROPERTY(QString DSN_Caesar MEMBER m_dsnCaesar)
    Q_PROPERTY(int TraceLevel MEMBER m_traceLevel)
    Q_PROPERTY(bool WysylajBledyNaMaila MEMBER m_wysylajBledyNaMaila)
    Q_PROPERTY(pelk::TMailSettings *MailSettings READ MailSettings)
    Q_PROPERTY(pelk::TDSLocateKonfig *DSLocateKonfig READ DSLocateKonfig)
    Q_PROPERTY(QString BibliotekaMovex MEMBER m_bibliotekaMovex)
    Q_PROPERTY(int LimitCzasuLogowania MEMBER m_limitCzasuLogowania)
    Q_PROPERTY(int DniPrzechowywaniaLogow MEMBER m_dniPrzechowywaniaLogow)
public:
    explicit TSettingsAplikacji(QObject *parent = nullptr);

    bool SaveToFile(const QString &fileName) override;
    bool LoadFromFile(const QString &fileName) override;
    bool CheckSettings() override;

    // Folder and file keys resolved against AppFolder unless they are absolute.
    QString DefaultSubDirLog() const { return Resolve(m_defaultSubDirLog); }
    QString DefaultSubDirWork() const { return Resolve(m_defaultSubDirWork); }
    QString TransforSubDir() const { return Resolve(m_transforSubDir); }
    QString DefaultSettingsFileName() const { return Resolve(m_defaultSettingsFileName); }
    QString DSN_PelkGISTrasar() const { return m_dsnPelkGISTrasar; }
    QString DSN_Movex() const { return m_dsnMovex; }
    QString DSN_Caesar() const { return m_dsnCaesar; }
    // The ERP library as named from the DSN_Movex data source, put before each ERP table
    // name with a dot: on SQL Server the linked server and library ("MOVEX.MVXADTA500").
    // Empty (the default): the data source's own tables, as in the embedded SQLite ERP.
    QString BibliotekaMovex() const { return m_bibliotekaMovex; }
    int TraceLevel() const { return m_traceLevel; }
    // Seconds a database connection may take to log in and a request to be answered (1 to
    // 3600, default 30).
    int LimitCzasuLogowania() const { return m_limitCzasuLogowania; }
    // Days a log file is kept: each start deletes the log folder's older log files (0 to
    // 36500; 0, the default, keeps them all).
    int DniPrzechowywaniaLogow() const { return m_dniPrzechowywaniaLogow; }
    bool WysylajBledyNaMaila() const { return m_wysylajBledyNaMaila; }
    // The error mails' settings; owned.
    TMailSettings *MailSettings() const { return m_mailSettings; }
    // The GPS feed's settings; owned.
    TDSLocateKonfig *DSLocateKonfig() const { return m_dsLocateKonfig; }

    QString Resolve(const QString &value) const;
    // "/" , a drive letter ("C:\") or a UNC prefix ("\\server\share").
    static bool IsAbsolutePath(const QString &value);

private:
    QString m_defaultSubDirLog, m_defaultSubDirWork, m_transforSubDir, m_defaultSettingsFileName;
    QString m_dsnPelkGISTrasar, m_dsnMovex, m_dsnCaesar;
    QString m_bibliotekaMovex;
    int m_traceLevel = 0;
    int m_limitCzasuLogowania = 30;
    int m_dniPrzechowywaniaLogow = 0;
    bool m_wysylajBledyNaMaila = false;
    TMailSettings *m_mailSettings;
    TDSLocateKonfig *m_dsLocateKonfig;
};

class TObjectToProcessCollectionItem : public TObjectCollectionItem
{
    Q_OBJECT
    Q_PROPERTY(QString NazwaObiektu MEMBER NazwaObiektu)
    Q_PROPERTY(QString NazwaObiektRules MEMBER NazwaObiektRules)
    Q_PROPERTY(int ListaDozwolonychStanow READ Dozwolone WRITE SetDozwolone)
    Q_PROPERTY(pelk::States::e_Stan Stan MEMBER Stan)
public:
    Q_INVOKABLE explicit TObjectToProcessCollectionItem(pelk::TObjectCollection *collection);
    QString NazwaObiektu;
    QString NazwaObiektRules;
    e_Stany ListaDozwolonychStanow = 0;
    e_Stan Stan = esBothDirection;

    int Dozwolone() const { return ListaDozwolonychStanow; }
    void SetDozwolone(int v);
};

class TObjectToProcessCollection : public TObjectCollection
{
    Q_OBJECT
public:
    explicit TObjectToProcessCollection(QObject *parent = nullptr);
    TObjectToProcessCollectionItem *Add() { return static_cast<TObjectToProcessCollectionItem *>(TObjectCollection::Add()); }
    TObjectToProcessCollectionItem *Items(int i) const { return ItemAs<TObjectToProcessCollectionItem>(i); }
    // First item whose NazwaObiektu contains the name (case-sensitive); null if none.
    TObjectToProcessCollectionItem *FindByName(const QString &name) const;
};

class TSettingsProcess : public TSettings
{
    Q_OBJECT
    Q_PROPERTY(QString WorkDirectory MEMBER WorkDirectory)
    Q_PROPERTY(pelk::TObjectToProcessCollection *ObjectToProcess READ ObjectToProcess)
public:
    explicit TSettingsProcess(QObject *parent = nullptr);
    bool SaveToFile(const QString &fileName) override;
    bool LoadFromFile(const QString &fileName) override;

    QString WorkDirectory;
    TObjectToProcessCollection *ObjectToProcess() const { return m_objects; }

private:
    TObjectToProcessCollection *m_objects;
};

} // namespace pelk
