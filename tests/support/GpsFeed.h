#pragma once
// The GPS feed set up end to end: an installation with the shipped rules, a GIS database with
// vehicles, drivers and their territories, enciphered account settings, the GPS server
// simulator on a loopback port, and helpers to run the "DaneGPS" kind and read what landed.
#include "support/FixedClock.h"
#include "support/GisDatabase.h"
#include "support/Installation.h"
#include "support/RunSummary.h"
#include "support/ScopedKeyFile.h"
#include "support/WarsawZone.h"

#include "GpsSimulator.h"
#include "app/DM_Main.h"
#include "app/DSLocateKonfig.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/Password.h"
#include "engine/Queue.h"
#include "gps/DaneGPSListQueue.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace pelk::test {

// Three vehicles (WX 1234A, KR 5678B, GD 9012C), each with its driver in one territory.
inline const char *kGpsGisObjects =
    "INSERT INTO OBIEKT (OB_ID, OB_ID_SLO_TYP, OB_NAZWA1, OB_MAP1) VALUES "
    "(10, 106, 'Scania', 'WX 1234A'), (11, 106, 'Volvo', 'KR 5678B'), (12, 106, 'Iveco', 'GD 9012C'),"
    "(20, 103, 'Łukasz Żółć', NULL), (21, 103, 'Anna Wiśniewska', NULL), (22, 103, 'Jan Kowalski', NULL),"
    "(30, 107, 'Mazowsze', NULL), (31, 107, 'Małopolska', NULL), (32, 107, 'Pomorze', NULL);"
    "INSERT INTO OBIEKT_RELACJA (OBR_ID_OB1, OBR_ID_OB2, OBR_ID_SLO_TYP, OBR_ID_SLO_ZRODLO) VALUES "
    "(30, 10, 212, 802), (30, 20, 207, 802), (31, 11, 212, 802), (31, 21, 207, 802), (32, 12, 212, 802), (32, 22, 207, 802);";

// Local date-time of a text "yyyy-MM-dd HH:mm:ss".
inline TDateTime Local(const char *text)
{
    return FromQDateTime(QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

class GpsFeed : public ::testing::Test
{
protected:
    GpsFeed() : clock(QDateTime(QDate(2026, 3, 14), QTime(14, 30))), key("klucz-testowy-gps") {}

    void SetUp() override
    {
        EnsureApplication();
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("3")}});
        CreateGisDatabase(inst.gisFile);
        OdbcEnvironment::ExecSqlite(inst.gisFile, QString::fromUtf8(kGpsGisObjects));
        QFile::copy(QStringLiteral(PELK_SOURCE_DIR "/deploy/ObjectRules.xml"), inst.Path(QStringLiteral("ObjectRules.xml")));
        RegisterGpsQueues();
        Objects(QStringLiteral("esSysXtoSysY"));
        options.user = QStringLiteral("jan");
        options.password = QStringLiteral("tajne hasło");
    }
    void TearDown() override
    {
        dm.reset();
        for (bool direction : {true, false})
            QueueFactory::Unregister(QStringLiteral("DaneGPS"), direction);
    }

    void Objects(const QString &state)
    {
        settingsFile = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                 {{QStringLiteral("DaneGPS"), state, 15}});
        dm.reset();
    }
    void StartSimulator()
    {
        simulator = std::make_unique<sim::GpsSimulator>(options);
        simulator->Start();
    }
    static QString Enciphered(const QString &plain)
    {
        QString cipher;
        EXPECT_TRUE(TryEncryptPassword(plain, cipher));
        return cipher;
    }
    // The settings of a run against the simulator: its address, the account, the three
    // vehicles, the window 06:00 to 22:00, stops stored, time limits of 5 s.
    TDM_Main &Dm()
    {
        if (!dm) {
            dm = std::make_unique<TDM_Main>(inst.dir.path(), QStringList{settingsFile}, &pane, nullptr);
            TDSLocateKonfig &k = Konfig();
            k.Pojazdy = QStringLiteral("WX 1234A;KR 5678B\r\nGD 9012C");
            k.Harmonogram()->CzasStart = EncodeTime(6, 0, 0, 0);
            k.Harmonogram()->CzasStop = EncodeTime(22, 0, 0, 0);
            k.Harmonogram()->ZapiszDaneDoBazyDanych = true;
            TDSLKonfiguracjaSerwera &s = *k.SerwerDSLocate();
            s.Host = QStringLiteral("127.0.0.1");
            s.Port = simulator ? simulator->Port() : 0;
            s.SetLogin(Enciphered(QStringLiteral("jan")));
            s.SetHaslo(Enciphered(QStringLiteral("tajne hasło")));
            s.LimitCzasuPolaczenia = 5;
            s.LimitCzasuOdpowiedzi = 5;
        }
        return *dm;
    }
    TDSLocateKonfig &Konfig() { return *Dm().Settings()->DSLocateKonfig(); }

    void RunExchange()
    {
        pane.messages.clear();
        TQueue queue(Dm());
        queue.Objects = Dm().SettingsProcess()->ObjectToProcess();
        queue.Execute();
    }
    // "registration|yyyy-mm-dd hh:nn:ss|minutes" per stored stop, in time order per vehicle.
    QStringList Stops() const
    {
        return OdbcEnvironment::QuerySqlite(inst.gisFile,
                                            QStringLiteral("SELECT OB_MAP1, TGP_DATACZAS, TGP_NUM1 FROM TRASA_GPS JOIN OBIEKT ON "
                                                           "OB_ID = TGP_ID_OB1 ORDER BY OB_MAP1, TGP_DATACZAS;"));
    }
    // The archive requests the simulator received: "vehicle from to" in local time.
    QStringList ArchiveRequests() const
    {
        QStringList out;
        static const QRegularExpression re(QStringLiteral("vehicle=\"([^\"]*)\" from=\"(\\d+)\" to=\"(\\d+)\""));
        for (const QString &line : simulator->Received()) {
            const QRegularExpressionMatch m = re.match(line);
            if (m.hasMatch())
                out << QStringLiteral("%1 %2 %3").arg(m.captured(1), LocalText(m.captured(2)), LocalText(m.captured(3)));
        }
        return out;
    }
    static QString LocalText(const QString &utcSeconds)
    {
        return QDateTime::fromSecsSinceEpoch(utcSeconds.toLongLong()).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    std::string Summary() const { return RunSummary(pane, QStringLiteral("DaneGPS")); }
    // The short summary's counts, as Summary gives them.
    static std::string Counts(int all, int done)
    {
        return QStringLiteral("Liczba wszystkich elementów obiektu: %1| Liczba przetworzonych elementów obiektu: %2")
            .arg(all)
            .arg(done)
            .toStdString();
    }
    QString Pane() const { return pane.AllText(); }

    ScopedFixedClock clock;
    ScopedKeyFile key;
    Installation inst;
    RecordingLogView pane;
    QString settingsFile;
    std::unique_ptr<TDM_Main> dm;
    sim::ROptions options;
    std::unique_ptr<sim::GpsSimulator> simulator;
};

} // namespace pelk::test
