// The embedded demo: SQLite databases behind private ODBC data sources, a CRM filled with
// generated customers, distributors and the representatives' visits at them and an ERP with
// their orders; an unattended exchange of customers, distributors and visits, their ERP numbers
// put on their GIS objects, an unattended exchange of the sales figures, the vehicles' stops
// fetched from the GPS server simulator, and what landed.
#include "CrmGenerator.h"
#include "ErpGenerator.h"
#include "GpsFleet.h"
#include "SimulatorProcess.h"

#include "app/DSLocateKonfig.h"
#include "app/Settings.h"
#include "config/Clock.h"
#include "config/DateTime.h"
#include "config/Errors.h"
#include "config/IsoLatin2.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTextStream>
#include <QUuid>
#include <cmath>
#include <cstdio>

using namespace pelk;

namespace {

QTextStream out(stdout);

[[noreturn]] void fail(const QString &message)
{
    out << "pelk-demo: " << message << Qt::endl;
    std::exit(1);
}

QString sqlite(const QString &db, const QString &sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), db});
    if (!p.waitForStarted())
        fail(QStringLiteral("sqlite3 is not installed"));
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        fail(QStringLiteral("sqlite3 %1: %2").arg(db, QString::fromUtf8(p.readAllStandardError())));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(path));
    return QString::fromUtf8(f.readAll());
}

void writeText(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("cannot write %1").arg(path));
    f.write(text.toUtf8());
}

void copyReplacing(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        fail(QStringLiteral("cannot copy %1 to %2").arg(from, to));
}

// The stored form of a password or login, made by the password tool with the demo's key.
QString encipher(const QString &plain, const QProcessEnvironment &env)
{
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(PELK_PASSWORD_TOOL), {QStringLiteral("encipher"), plain});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        fail(QStringLiteral("the password tool failed: %1").arg(QString::fromLocal8Bit(tool.readAllStandardError())));
    return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
}

QString sqliteDriver()
{
    for (const char *p : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                          "/usr/lib/odbc/libsqlite3odbc.so"})
        if (QFile::exists(QString::fromLatin1(p)))
            return QString::fromLatin1(p);
    fail(QStringLiteral("the SQLite3 ODBC driver (libsqliteodbc) is not installed"));
}

// The command line of the demo.
void ParseOptions(QCommandLineParser &cli, const QCoreApplication &app)
{
    cli.setApplicationDescription(QStringLiteral("Runs the exchange on SQLite demo databases."));
    cli.addHelpOption();
    cli.addOptions({
        {QStringLiteral("dir"), QStringLiteral("Demo folder (default: ./demo)."), QStringLiteral("folder"),
         QStringLiteral("demo")},
        {QStringLiteral("customers"), QStringLiteral("Customers generated in a new CRM (default 1000)."), QStringLiteral("n"),
         QStringLiteral("1000")},
        {QStringLiteral("distributors"), QStringLiteral("Distributors generated in a new CRM (default 50)."), QStringLiteral("n"),
         QStringLiteral("50")},
        {QStringLiteral("change"),
         QStringLiteral("Change n CRM customers, one code and n activities, and add n activities, before the run."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("visit-days"), QStringLiteral("Days of representatives' activities generated in a new CRM (default 28)."),
         QStringLiteral("n"), QStringLiteral("28")},
        {QStringLiteral("fresh"), QStringLiteral("Recreate the databases and the working folder.")},
        {QStringLiteral("seed"), QStringLiteral("Random seed of the generated data."), QStringLiteral("n"),
         QStringLiteral("2026")},
        {QStringLiteral("gps-days"), QStringLiteral("Days of vehicle stops fetched by the first GPS run (default 3)."),
         QStringLiteral("n"), QStringLiteral("3")},
    });
    cli.process(app);
}

// What landed in the GIS database, as the demo reports it.
const char *const kLandedReport =
    ".mode column\n.headers on\n"
    "SELECT OB_ID_SLO_TYP AS type, CASE OB_ID_SLO_TYP WHEN 102 THEN 'KLIENT' WHEN 103 THEN 'PRACOWNIK' WHEN 106 THEN 'POJAZD' "
    "WHEN 107 THEN 'TERYTORIUM' WHEN 108 THEN 'DYSTRYBUTOR' "
    "ELSE '?' END AS name, "
    "count(*) AS objects FROM OBIEKT GROUP BY OB_ID_SLO_TYP;\n"
    "SELECT (SELECT count(*) FROM ADRES) AS addresses, (SELECT count(*) FROM ATRYBUT_OBIEKT) AS attribute_values, "
    "(SELECT count(*) FROM UPRAWNIENIA) AS permissions;\n"
    "SELECT SLO_NAZWA AS watermark, SLO_TXT1 AS last_exchange FROM SLOWNIK WHERE SLO_ID_KAT = 0 AND SLO_NAZWA LIKE 'interfejs_transport_%';\n"
    "SELECT o.OB_EXID AS exid, o.OB_NAZWA1 AS name, a.ADR_MIASTO AS city FROM OBIEKT o LEFT JOIN ADRES a ON a.ADR_ID_OB = o.OB_ID ORDER BY o.OB_ID LIMIT 5;\n"
    // Sales figures of a few customers, the two objects sharing one ERP number first.
    "SELECT o.OB_EXID AS exid, e.ATO_VAR_TXT AS erp_id, "
    "printf('%.2f', sum(CASE v.ATO_ID_ATR WHEN 100 THEN v.ATO_VAR_DEC END)) AS pc_12m, "
    "printf('%.2f', sum(CASE v.ATO_ID_ATR WHEN 101 THEN v.ATO_VAR_DEC END)) AS pe_12m, "
    "printf('%.3f', sum(CASE v.ATO_ID_ATR WHEN 150 THEN v.ATO_VAR_DEC END)) AS pce_kg_m, "
    "printf('%.3f', sum(CASE v.ATO_ID_ATR WHEN 201 THEN v.ATO_VAR_DEC END)) AS mma_m1, "
    "sum(v.ATO_VAR_DEC > 0) AS figures "
    "FROM OBIEKT o JOIN ATRYBUT_OBIEKT e ON e.ATO_ID_OB = o.OB_ID AND e.ATO_ID_ATR IN (7, 17) "
    "LEFT JOIN ATRYBUT_OBIEKT v ON v.ATO_ID_OB = o.OB_ID AND v.ATO_ID_ATR >= 100 "
    "GROUP BY o.OB_ID ORDER BY (e.ATO_VAR_TXT = 'M300001') DESC, o.OB_ID LIMIT 6;\n"
    "SELECT count(*) AS visits, count(DISTINCT WIZ_ID_OB) AS representatives, min(substr(WIZ_DATA, 1, 10)) AS first_day, "
    "max(substr(WIZ_DATA, 1, 10)) AS last_day, (SELECT count(*) FROM WIZYTA_OBIEKT) AS stops, "
    "(SELECT count(*) FROM WIZYTA_OBIEKT JOIN OBIEKT ON OB_ID = WIO_ID_OB WHERE OB_ID_SLO_TYP = 108) AS at_distributors FROM WIZYTA;\n"
    "SELECT w.WIZ_NAZWA AS visit, r.OB_NAZWA1 AS representative, s.WIO_SORT AS nr, substr(s.WIO_GODZ_OD, 12, 5) AS start, "
    "substr(s.WIO_GODZ_DO, 12, 5) AS 'end', s.WIO_CZAS / 60 AS minutes, c.OB_NAZWA1 AS customer, s.WIO_OPIS AS activity "
    "FROM WIZYTA w JOIN OBIEKT r ON r.OB_ID = w.WIZ_ID_OB JOIN WIZYTA_OBIEKT s ON s.WIO_ID_WIZ = w.WIZ_ID "
    "JOIN OBIEKT c ON c.OB_ID = s.WIO_ID_OB WHERE w.WIZ_ID IN (SELECT WIZ_ID FROM WIZYTA ORDER BY WIZ_DATA DESC, WIZ_ID LIMIT 2) "
    "ORDER BY w.WIZ_DATA DESC, w.WIZ_ID, s.WIO_SORT;\n"
    // The vehicles' stops: per vehicle, then the latest few.
    "SELECT v.OB_MAP1 AS vehicle, d.OB_NAZWA1 AS driver, count(*) AS stops, min(substr(t.TGP_DATACZAS, 1, 16)) AS first_stop, "
    "max(substr(t.TGP_DATACZAS, 1, 16)) AS last_stop, sum(t.TGP_NUM1) AS minutes_standing FROM TRASA_GPS t "
    "JOIN OBIEKT v ON v.OB_ID = t.TGP_ID_OB1 LEFT JOIN OBIEKT d ON d.OB_ID = t.TGP_ID_OB2 GROUP BY v.OB_MAP1 ORDER BY v.OB_MAP1;\n"
    "SELECT v.OB_MAP1 AS vehicle, substr(t.TGP_DATACZAS, 1, 16) AS stop, t.TGP_NUM1 AS minutes, "
    "printf('%.5f', t.TGP_Y_STO) AS lat, printf('%.5f', t.TGP_X_STO) AS lon, printf('%.0f', t.TGP_X_KM) AS utm_e, "
    "printf('%.0f', t.TGP_Y_KM) AS utm_n FROM TRASA_GPS t JOIN OBIEKT v ON v.OB_ID = t.TGP_ID_OB1 "
    "ORDER BY t.TGP_DATACZAS DESC, v.OB_MAP1 LIMIT 6;\n";

// The demo's steps, in the order main takes them.
class Demo
{
public:
    explicit Demo(const QCommandLineParser &cli)
        : m_cli(cli), m_dir(QDir(cli.value(QStringLiteral("dir"))).absolutePath()), m_root(m_dir),
          m_deploy(QStringLiteral(PELK_DEPLOY_DIR)), m_generator(cli.value(QStringLiteral("seed")).toUInt())
    {}

    // The folders, and the installation: program, rules and stylesheets side by side.
    void Install();
    // The GIS, ERP and CRM databases: created when missing, the CRM changed on request.
    void CreateDatabases();
    // Private ODBC data sources for the three databases, and the environment of the runs.
    void WriteDataSources();
    // The GPS server, with the account the settings carry enciphered.
    void StartGpsServer();
    void StopGpsServer() { m_gpsServer.Stop(); }
    // Settings beside the program, with the GPS feed's.
    void WriteSettings();
    // The process settings of one unattended run over these kinds; returns the file.
    QString WriteProcessSettings(const QString &fileName, const QStringList &kinds) const;
    // One unattended run, and its log.
    void Exchange(const QString &processFile);
    // The GIS administrator's part: the customers' ERP numbers on their GIS objects.
    void PutErpNumbersOnGis();
    // What landed in the GIS database, and the staged files left in the working folder.
    void Report();

private:
    QString Path(const QString &name) const { return m_root.filePath(name); }
    int Option(const char *name) const { return m_cli.value(QString::fromLatin1(name)).toInt(); }
    void CreateGis();
    void CreateErp(int customers);
    void CreateCrm(int customers, int distributors);
    void ChangeCrm(int changes);
    void ReportStagedFiles();

    const QCommandLineParser &m_cli;
    const QString m_dir;
    const QDir m_root;
    const QString m_deploy;
    demo::CrmGenerator m_generator;
    QString m_program, m_keyFile, m_gis, m_crm, m_erp;
    QProcessEnvironment m_env;
    sim::SimulatorProcess m_gpsServer;
    const QString m_gpsUser = QStringLiteral("demo"), m_gpsPassword = QStringLiteral("hasło-demo");
};

void Demo::Install()
{
    if (m_cli.isSet(QStringLiteral("fresh"))) {
        QDir(Path(QStringLiteral("data"))).removeRecursively();
        QDir(Path(QStringLiteral("work"))).removeRecursively();
    }
    for (const char *sub : {"logs", "work", "xsl", "odbc", "data"})
        m_root.mkpath(QString::fromLatin1(sub));
    m_program = Path(QStringLiteral("PelkDataExchanger"));
    copyReplacing(QStringLiteral(PELK_EXECUTABLE), m_program);
    copyReplacing(m_deploy + QStringLiteral("/ObjectRules.xml"), Path(QStringLiteral("ObjectRules.xml")));
    for (const QString &xsl : QDir(m_deploy + QStringLiteral("/xsl")).entryList({QStringLiteral("*.xsl")}, QDir::Files))
        copyReplacing(m_deploy + QStringLiteral("/xsl/") + xsl, Path(QStringLiteral("xsl/") + xsl));
    // The key library beside the program, and the demo's own key text for stored passwords.
    copyReplacing(QStringLiteral(PELK_KEY_LIBRARY), Path(QFileInfo(QStringLiteral(PELK_KEY_LIBRARY)).fileName()));
    m_keyFile = Path(QStringLiteral("Transakcje.key"));
    if (!QFile::exists(m_keyFile))
        writeText(m_keyFile, QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('\n'));
    // Only the account that runs the program may read the key of its stored passwords.
    QFile::setPermissions(m_keyFile, QFile::ReadOwner | QFile::WriteOwner);
}

void Demo::CreateDatabases()
{
    m_gis = Path(QStringLiteral("data/gis.db"));
    m_crm = Path(QStringLiteral("data/crm.db"));
    m_erp = Path(QStringLiteral("data/erp.db"));
    const int customers = Option("customers");
    const int distributors = Option("distributors");
    CreateGis();
    if (!QFile::exists(m_erp))
        CreateErp(customers + distributors);
    if (!QFile::exists(m_crm))
        CreateCrm(customers, distributors);
    if (const int changes = Option("change"); changes > 0)
        ChangeCrm(changes);
}

void Demo::CreateGis()
{
    if (!QFile::exists(m_gis)) {
        sqlite(m_gis, readText(m_deploy + QStringLiteral("/sqlite/gis.sql")));
        for (const QString &ref :
             QDir(m_deploy + QStringLiteral("/sqlite")).entryList({QStringLiteral("gis-*.sql")}, QDir::Files, QDir::Name))
            sqlite(m_gis, readText(m_deploy + QStringLiteral("/sqlite/") + ref));
    }
    // The representatives are GIS objects of their own; no exchange kind brings them. Nor the
    // vehicles, their drivers and territories.
    sqlite(m_gis, demo::CrmGenerator::GisRepresentatives());
    sqlite(m_gis, demo::GpsFleet::GisObjects());
}

void Demo::CreateErp(int customers)
{
    sqlite(m_erp, readText(m_deploy + QStringLiteral("/sqlite/erp.sql")));
    sqlite(m_erp,
           demo::ErpGenerator(m_cli.value(QStringLiteral("seed")).toUInt()).InitialData(customers, ToQDateTime(Now()).date()));
    out << "ERP created: " << sqlite(m_erp, QStringLiteral("SELECT count(*) FROM ODHEAD;")).trimmed() << " orders, "
        << sqlite(m_erp, QStringLiteral("SELECT count(*) FROM ODLINE;")).trimmed() << " invoice lines" << Qt::endl;
}

void Demo::CreateCrm(int customers, int distributors)
{
    sqlite(m_crm, readText(m_deploy + QStringLiteral("/sqlite/crm.sql")));
    sqlite(m_crm, m_generator.InitialData(customers, distributors, QStringLiteral("2026-01-05 08:00:00")));
    demo::CrmGenerator::ActivityPlan plan;
    plan.lastDay = CurrentDateTime().date().addDays(-1);
    plan.days = Option("visit-days");
    sqlite(m_crm, m_generator.Activities(plan));
    const QString activities = sqlite(m_crm, QStringLiteral("SELECT count(*) FROM Activity;")).trimmed();
    out << "CRM created: " << customers << " customers, " << distributors << " distributors, " << activities << " activities of "
        << demo::CrmGenerator::Users << " representatives over " << plan.days << " days" << Qt::endl;
}

void Demo::ChangeCrm(int changes)
{
    const QString now = DateTimeToText(Now());
    const int total = sqlite(m_crm, QStringLiteral("SELECT count(*) FROM Customer;")).trimmed().toInt();
    sqlite(m_crm, m_generator.Changes(changes, total, now));
    const int activities = sqlite(m_crm, QStringLiteral("SELECT max(ActivityID) FROM Activity;")).trimmed().toInt();
    sqlite(m_crm, m_generator.VisitChanges(changes, activities, total, CurrentDateTime().date(), now));
    out << "CRM changed: " << changes << " customers and one rating code; " << changes << " activities end later and " << changes
        << " new activities today" << Qt::endl;
}

void Demo::WriteDataSources()
{
    writeText(Path(QStringLiteral("odbc/odbcinst.ini")),
              QStringLiteral("[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%1\n").arg(sqliteDriver()));
    writeText(Path(QStringLiteral("odbc/odbc.ini")),
              QStringLiteral("[PelkGIS_Demo]\nDriver=SQLite3\nDatabase=%1\nTimeout=5000\nSyncPragma=NORMAL\nJournalMode=WAL\n\n"
                             "[Caesar_Demo]\nDriver=SQLite3\nDatabase=%2\nTimeout=5000\nSyncPragma=NORMAL\nJournalMode=WAL\n\n"
                             "[Movex_Demo]\nDriver=SQLite3\nDatabase=%3\nTimeout=5000\nSyncPragma=NORMAL\nJournalMode=WAL\n")
                  .arg(m_gis, m_crm, m_erp));
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("ODBCSYSINI"), Path(QStringLiteral("odbc")));
    m_env.insert(QStringLiteral("ODBCINI"), Path(QStringLiteral("odbc/odbc.ini")));
    m_env.insert(QStringLiteral("PELK_KEY_FILE"), m_keyFile);
}

void Demo::StartGpsServer()
{
    try {
        m_gpsServer.Start(QStringLiteral(PELK_GPS_SIMULATOR),
                          QStringList{QStringLiteral("--user"), m_gpsUser, QStringLiteral("--password"), m_gpsPassword}
                              + demo::GpsFleet::SimulatorArguments());
    } catch (const Exception &e) {
        fail(e.message());
    }
    out << "GPS server simulator on 127.0.0.1:" << m_gpsServer.Port() << ", certificate SHA-256 " << m_gpsServer.Fingerprint()
        << Qt::endl;
}

void Demo::WriteSettings()
{
    TSettingsAplikacji settings;
    for (const auto &[key, value] :
         std::initializer_list<std::pair<const char *, QVariant>>{{"DefaultSubDirLog", QStringLiteral("logs")},
                                                                  {"DefaultSubDirWork", QStringLiteral("work")},
                                                                  {"TransforSubDir", QStringLiteral("xsl")},
                                                                  {"DefaultSettingsFileName", QStringLiteral("process.xml")},
                                                                  {"DSN_PelkGISTrasar", QStringLiteral("PelkGIS_Demo")},
                                                                  {"DSN_Movex", QStringLiteral("Movex_Demo")},
                                                                  {"DSN_Caesar", QStringLiteral("Caesar_Demo")},
                                                                  {"TraceLevel", 1},
                                                                  {"WysylajBledyNaMaila", false}})
        settings.setProperty(key, value);
    TDSLocateKonfig &gps = *settings.DSLocateKonfig();
    gps.Pojazdy = demo::GpsFleet::Pojazdy();
    gps.Harmonogram()->CzasStart = EncodeTime(6, 0, 0, 0);
    gps.Harmonogram()->CzasStop = EncodeTime(22, 0, 0, 0);
    gps.Harmonogram()->ZapiszDaneDoBazyDanych = true;
    // The first run reaches some days back; later runs go on from each vehicle's last stop.
    if (sqlite(m_gis, QStringLiteral("SELECT count(*) FROM TRASA_GPS;")).trimmed().toInt() == 0)
        gps.Harmonogram()->InicjalnaData = std::trunc(Now()) - Option("gps-days");
    TDSLKonfiguracjaSerwera &server = *gps.SerwerDSLocate();
    server.Host = QStringLiteral("127.0.0.1");
    server.Port = m_gpsServer.Port();
    server.SetLogin(encipher(m_gpsUser, m_env));
    server.SetHaslo(encipher(m_gpsPassword, m_env));
    server.SprawdzajCertyfikat = true;
    server.OdciskCertyfikatu = m_gpsServer.Fingerprint();
    if (!settings.SaveToFile(Path(QStringLiteral("PelkDataExchanger.xml"))))
        fail(QStringLiteral("cannot write the settings"));
}

QString Demo::WriteProcessSettings(const QString &fileName, const QStringList &kinds) const
{
    TSettingsProcess process;
    process.WorkDirectory = Path(QStringLiteral("work"));
    for (const QString &kind : kinds) {
        auto *item = process.ObjectToProcess()->Add();
        item->NazwaObiektu = item->NazwaObiektRules = kind;
        item->ListaDozwolonychStanow = StanBit(esSysXtoSysY) | StanBit(esNone);
        item->Stan = esSysXtoSysY;
    }
    const QString file = Path(fileName);
    if (!process.SaveToFile(file))
        fail(QStringLiteral("cannot write the process settings"));
    return file;
}

void Demo::Exchange(const QString &processFile)
{
    const QDir logsFolder(Path(QStringLiteral("logs")));
    const QStringList logsBefore = logsFolder.entryList({QStringLiteral("*.log")});
    out << "== " << m_program << ' ' << processFile << " auto" << Qt::endl;
    QProcess run;
    run.setProcessEnvironment(m_env);
    run.setWorkingDirectory(m_dir);
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    run.start(m_program, {processFile, QStringLiteral("auto")});
    if (!run.waitForFinished(-1) || run.exitCode() != 0)
        fail(QStringLiteral("the exchange program failed (exit code %1)").arg(run.exitCode()));
    out << "   finished in " << clock.elapsed() << " ms" << Qt::endl;
    QStringList logs = logsFolder.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    for (const QString &old : logsBefore)
        logs.removeAll(old);
    if (!logs.isEmpty()) {
        const QString logFile = Path(QStringLiteral("logs/") + logs.last());
        QFile f(logFile);
        f.open(QIODevice::ReadOnly);
        out << "== log file " << logFile << Qt::endl << FromIsoLatin2(f.readAll()).remove(QLatin1Char('\r'));
    }
}

void Demo::PutErpNumbersOnGis()
{
    const int total = sqlite(m_crm,
                             QStringLiteral("SELECT count(*) FROM Customer WHERE Region = 'BPL' AND CustomerNumber IS NOT NULL;"))
                          .trimmed()
                          .toInt();
    sqlite(m_gis, demo::ErpGenerator::ErpIdsForGis(total));
    out << "== ERP numbers on "
        << sqlite(m_gis, QStringLiteral("SELECT count(*) FROM ATRYBUT_OBIEKT WHERE ATO_ID_ATR IN (7, 17);")).trimmed()
        << " GIS objects" << Qt::endl;
}

void Demo::Report()
{
    out << "== GIS database " << m_gis << Qt::endl << sqlite(m_gis, QString::fromUtf8(kLandedReport));
    ReportStagedFiles();
}

void Demo::ReportStagedFiles()
{
    // Elements the GIS refused wait in the working folder for a later run.
    QMap<QString, int> staged;
    for (const QString &file : QDir(Path(QStringLiteral("work"))).entryList({QStringLiteral("*.xml")}, QDir::Files))
        ++staged[file.section(QStringLiteral("__"), 0, 0)];
    out << "== staged files left in " << Path(QStringLiteral("work")) << ':';
    for (auto it = staged.cbegin(); it != staged.cend(); ++it)
        out << ' ' << it.key() << ' ' << it.value();
    out << (staged.isEmpty() ? " none" : "") << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser cli;
    ParseOptions(cli, app);
    Demo demo(cli);
    demo.Install();
    demo.CreateDatabases();
    demo.WriteDataSources();
    demo.StartGpsServer();
    demo.WriteSettings();
    // Customers and distributors first, so that visits at new customers find them in the GIS.
    const QString processFile = demo.WriteProcessSettings(
        QStringLiteral("process.xml"), {QStringLiteral("Klient"), QStringLiteral("Dystrybutor"), QStringLiteral("Wizyta")});
    const QString salesFile = demo.WriteProcessSettings(QStringLiteral("process-sales.xml"), {QStringLiteral("Sprzedaz")});
    const QString gpsFile = demo.WriteProcessSettings(QStringLiteral("process-gps.xml"), {QStringLiteral("DaneGPS")});
    demo.Exchange(processFile);
    demo.PutErpNumbersOnGis();
    demo.Exchange(salesFile);
    demo.Exchange(gpsFile);
    demo.StopGpsServer();
    demo.Report();
    return 0;
}
