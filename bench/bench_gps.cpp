// The GPS feed end to end: the simulator serves 20 vehicles x 30 days of 1-minute frames over
// TLS on loopback, the GPS queue requests them day by day and the decoder stores the stops in
// a SQLite GIS through ODBC. Frames per second of the whole run, then the same stream through
// the connection and decoder alone with the time of the decoder's thread split into reading
// (TLS, waiting for the server), decoding, the store's own logic and the database.
//   bench_gps [vehicles] [days]   (default 20 30)
#include "support/GisDatabase.h"
#include "support/Installation.h"

#include "GpsSimulator.h"
#include "app/DM_Main.h"
#include "app/DSLocateKonfig.h"
#include "app/Log.h"
#include "app/Settings.h"
#include "config/Clock.h"
#include "config/Password.h"
#include "engine/Queue.h"
#include "gps/DSLocateDekodujDane.h"
#include "gps/DSLocateMsg.h"
#include "gps/DSLocatePojazdy.h"
#include "gps/DSLocateZapisPozycji.h"
#include "gps/DaneGPSListQueue.h"
#include "gps/TlsConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QThread>
#include <cstdio>

using namespace pelk;
using namespace pelk::test;
using Steady = std::chrono::steady_clock;

namespace {

double Seconds(Steady::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The vehicles, each with its driver in its own territory.
QString GisFleet(const QList<sim::RVehicle> &vehicles)
{
    QString sql;
    for (int i = 0; i < vehicles.size(); ++i) {
        const int v = 1000 + i, d = 2000 + i, t = 3000 + i;
        sql += QStringLiteral("INSERT INTO OBIEKT (OB_ID, OB_ID_SLO_TYP, OB_NAZWA1, OB_MAP1) VALUES (%1, 106, 'Pojazd', '%4'), "
                              "(%2, 103, 'Kierowca', NULL), (%3, 107, 'Teren', NULL);"
                              "INSERT INTO OBIEKT_RELACJA (OBR_ID_OB1, OBR_ID_OB2, OBR_ID_SLO_TYP, OBR_ID_SLO_ZRODLO) VALUES "
                              "(%3, %1, 212, 802), (%3, %2, 207, 802);")
                   .arg(v)
                   .arg(d)
                   .arg(t)
                   .arg(vehicles[i].name);
    }
    return sql;
}

// Times what the decoder's thread spends taking bytes from the connection.
class TimedSource : public IByteSource
{
public:
    explicit TimedSource(IByteSource &inner) : m_inner(inner) {}
    QByteArray Take(std::chrono::milliseconds wait) override
    {
        const Steady::time_point start = Steady::now();
        QByteArray chunk = m_inner.Take(wait);
        taking += Steady::now() - start;
        if (!chunk.isEmpty()) {
            ++chunks;
            bytes += chunk.size();
        }
        return chunk;
    }
    Steady::duration taking{0};
    qint64 chunks = 0, bytes = 0;

private:
    IByteSource &m_inner;
};

// The real store, its calls timed: those that start or end a stop reach the database, the
// others only follow the engine state.
class TimedStore : public IDSLocatePositionSink
{
public:
    TimedStore(TLog &log, const QString &dsn) : m_store(log, dsn) {}
    void SetKonfig(const TDSLocateKonfig *konfig) override { m_store.SetKonfig(konfig); }
    bool ZapiszPozycje(const TDSLocatePozycja &p) override
    {
        const bool changes = p.NazwaPojazdu != m_vehicle || p.StatusSilnika != m_status;
        m_vehicle = p.NazwaPojazdu;
        m_status = p.StatusSilnika;
        const Steady::time_point start = Steady::now();
        const bool ok = m_store.ZapiszPozycje(p);
        (changes ? database : logic) += Steady::now() - start;
        ++frames;
        return ok;
    }
    void ThreadFinished() override { m_store.ThreadFinished(); }

    Steady::duration database{0}, logic{0};
    qint64 frames = 0;

private:
    TDSLocateZapisPozycji m_store;
    QString m_vehicle;
    int m_status = -2;
};

struct Setup
{
    Installation inst;
    QList<sim::RVehicle> vehicles;
    std::unique_ptr<sim::GpsSimulator> simulator;

    explicit Setup(int count)
    {
        for (int i = 0; i < count; ++i)
            vehicles << sim::RVehicle{QString::number(500 + i), QStringLiteral("WB %1X").arg(10000 + i)};
        // As the embedded GIS runs: write-ahead log, commits not waiting for the disk.
        inst.odbc.AddSqliteDsn(QStringLiteral("GIS"), QStringLiteral("GIS.db"),
                               QStringLiteral("SyncPragma=NORMAL\nJournalMode=WAL\n"));
        CreateGisDatabase(inst.gisFile);
        OdbcEnvironment::ExecSqlite(inst.gisFile, GisFleet(vehicles));
        sim::ROptions options;
        options.vehicles = vehicles;
        options.password = QStringLiteral("bench");
        simulator = std::make_unique<sim::GpsSimulator>(options);
        simulator->Start();
    }
    void ClearStops() const { OdbcEnvironment::ExecSqlite(inst.gisFile, QStringLiteral("DELETE FROM TRASA_GPS;")); }
    int Stops() const
    {
        return OdbcEnvironment::QuerySqlite(inst.gisFile, QStringLiteral("SELECT count(*) FROM TRASA_GPS;")).value(0).toInt();
    }
};

void Configure(TDSLocateKonfig &k, const Setup &setup, TDateTime start, bool store)
{
    QStringList numbers;
    for (const sim::RVehicle &v : setup.vehicles)
        numbers << v.name;
    k.Pojazdy = numbers.join(QLatin1Char(';'));
    k.Harmonogram()->InicjalnaData = start;
    k.Harmonogram()->ZapiszDaneDoBazyDanych = store;
    TDSLKonfiguracjaSerwera &s = *k.SerwerDSLocate();
    s.Host = QStringLiteral("127.0.0.1");
    s.Port = setup.simulator->Port();
    QString login, password;
    TryEncryptPassword(QStringLiteral("demo"), login);
    TryEncryptPassword(QStringLiteral("bench"), password);
    s.SetLogin(login);
    s.SetHaslo(password);
    s.SprawdzajCertyfikat = true;
    s.OdciskCertyfikatu = setup.simulator->Fingerprint();
}

// The whole run through the queue driver, as the program makes it.
double QueueRun(Setup &setup, TDateTime start, bool store, qint64 &frames)
{
    setup.inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("1")}});
    QFile::copy(QStringLiteral(PELK_SOURCE_DIR "/deploy/ObjectRules.xml"), setup.inst.Path(QStringLiteral("ObjectRules.xml")));
    const QString process = setup.inst.WriteProcessSettings(QStringLiteral("gps.xml"), setup.inst.Path(QStringLiteral("work")),
                                                            {{QStringLiteral("DaneGPS"), QStringLiteral("esSysXtoSysY"), 15}});
    RecordingLogView pane;
    TDM_Main dm(setup.inst.dir.path(), {process}, &pane, nullptr);
    Configure(*dm.Settings()->DSLocateKonfig(), setup, start, store);
    const qint64 before = setup.simulator->FramesSent();
    QElapsedTimer clock;
    clock.start();
    TQueue queue(dm);
    queue.Objects = dm.SettingsProcess()->ObjectToProcess();
    queue.Execute();
    const double seconds = clock.nsecsElapsed() / 1e9;
    frames = setup.simulator->FramesSent() - before;
    for (const QString &line : pane.AllText().split(QLatin1Char('\n')))
        if (line.contains(QLatin1String("Liczba")) || line.contains(QLatin1String("Error"))
            || line.contains(QLatin1String("Utracono")))
            std::printf("      %s\n", qPrintable(line.trimmed()));
    return seconds;
}

// The same stream through the connection and the decoder alone, timed from inside.
void Breakdown(Setup &setup, TDateTime start, int days)
{
    TLog log;
    TDSLocateKonfig konfig;
    Configure(konfig, setup, start, true);
    TTlsConnection connection;
    RTlsOptions options;
    connection.Open(QStringLiteral("127.0.0.1"), setup.simulator->Port(), options);
    TDSLocatePojazdy pojazdy;
    TimedSource source(connection);
    auto timedStore = std::make_unique<TimedStore>(log, QStringLiteral("GIS"));
    TimedStore *store = timedStore.get();
    TDSLocateDekodujDane decoder(std::move(timedStore));
    decoder.SetKonfig(&konfig);
    decoder.SetSource(&source);
    decoder.SetPojazdy(&pojazdy);
    decoder.SetReportReceived(false);
    std::atomic<int> archives{0};
    decoder.SetStatusHandler([&](const QString &text) {
        if (text.startsWith(QLatin1String("Pobrano")) || text.startsWith(QLatin1String("Brak archiwum")))
            ++archives;
    });
    TDSLocateMsg msg;
    connection.WriteLine(
        TDSLocateMsg::Line(msg.LoginMsg(QStringLiteral("demo"), TDSLocateMsg::PasswordHash(QStringLiteral("bench")))));
    connection.WriteLine(TDSLocateMsg::Line(msg.RequestVehiclesMsg()));
    const Steady::time_point begin = Steady::now();
    decoder.Resume();
    while (archives < 1)
        QThread::msleep(5);
    int requests = 0;
    for (const sim::RVehicle &v : setup.vehicles)
        for (int d = 0; d < days; ++d, ++requests)
            connection.WriteLine(TDSLocateMsg::Line(msg.RequestArchiveMsg(v.id, start + d + konfig.Harmonogram()->CzasStart,
                                                                          start + d + konfig.Harmonogram()->CzasStop)));
    while (archives < requests + 1)
        QThread::msleep(5);
    const Steady::duration total = Steady::now() - begin;
    decoder.Stop();
    decoder.WaitFor();
    const double t = Seconds(total);
    const double reading = Seconds(source.taking), database = Seconds(store->database), logic = Seconds(store->logic);
    const double pauses = double(source.chunks) * 0.1;
    const double decoding = std::max(0.0, t - reading - database - logic - pauses);
    std::printf("    %lld frames in %.2f s: %.0f frames/s; %lld chunks, %.1f MB\n", static_cast<long long>(store->frames), t,
                double(store->frames) / t, static_cast<long long>(source.chunks), double(source.bytes) / 1e6);
    std::printf("    decoder thread: reading %5.1f %%  decoding %5.1f %%  store logic %5.1f %%  database %5.1f %%  "
                "gather pauses %5.1f %%\n",
                100 * reading / t, 100 * decoding / t, 100 * logic / t, 100 * database / t, 100 * pauses / t);
}

} // namespace

int main(int argc, char *argv[])
{
    PinSystemTimeZone(); // as the program does
    QCoreApplication app(argc, argv);
    const int vehicles = argc > 1 ? std::atoi(argv[1]) : 20;
    const int days = argc > 2 ? std::atoi(argv[2]) : 30;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    RegisterGpsQueues();
    Setup setup(vehicles);
    WriteFileText(setup.inst.Path(QStringLiteral("Transakcje.key")), QStringLiteral("klucz pomiaru\n"));
    qputenv("PELK_KEY_FILE", QFile::encodeName(setup.inst.Path(QStringLiteral("Transakcje.key"))));
    // The whole days before today, so every request is a full day of 1440 frames.
    const TDateTime start = std::trunc(Now()) - days;

    std::printf("GPS feed: %d vehicles x %d days of 1-minute frames, simulator over TLS on loopback, SQLite GIS\n", vehicles,
                days);
    for (const bool store : {false, true}) {
        setup.ClearStops();
        qint64 frames = 0;
        const double seconds = QueueRun(setup, start, store, frames);
        std::printf("  end to end, storage %-3s: %lld frames in %.2f s = %.0f frames/s; %d stops stored\n", store ? "on" : "off",
                    static_cast<long long>(frames), seconds, double(frames) / seconds, setup.Stops());
    }
    setup.ClearStops();
    std::printf("  connection and decoder alone, storage on:\n");
    Breakdown(setup, start, days);
    return 0;
}
