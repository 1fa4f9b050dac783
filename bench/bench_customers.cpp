// Customers end to end on SQLite: elements per second of the whole exchange, the same run in
// the window (offscreen, trace level 2: the log pane, the progress bars and the event
// processing between elements), the time of each stage measured on its own (CRM read, XML
// write, transform, XML read, GIS save), and the bare cost of the same GIS writes issued
// directly, without the pipeline and its look-ups.
// Usage: bench_customers [customers]   (default 1000; one size per process, since the ODBC
// driver manager keeps the data sources it read first)
#include "CrmGenerator.h"
#include "DemoInstallation.h"
#include "DocumentStages.h"
#include "RoundTrips.h"
#include "support/GisDatabase.h"
#include "support/Installation.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/Clock.h"
#include "db/Query.h"
#include "engine/Queue.h"
#include "engine/Transformation.h"
#include "exchange/ExchangeKinds.h"
#include "exchange/customers/DM_Obiekt.h"
#include "exchange/customers/ObiektListQueue.h"
#include "exchange/customers/Zamer_Klient.h"
#include "gisdb/Pelk_Obiekt.h"
#include "gui/F_Main.h"
#include "gui/LogPane.h"
#include "gui/ProcessingPanel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

using namespace pelk;
using namespace pelk::test;

namespace {

struct Bench : bench::DemoInstallation
{
    explicit Bench(int customers)
    {
        CreateSqliteDatabase(crm, {QStringLiteral("crm.sql")});
        demo::CrmGenerator generator(7);
        OdbcEnvironment::ExecSqlite(crm, generator.InitialData(customers, 0, QStringLiteral("2026-01-05 08:00:00")));
    }
};

// The exchange from the window's Start into an empty GIS, as a user sees it (trace level 2).
double InWindow(Bench &b, const QString &process)
{
    b.EmptyGis();
    b.inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("2")}});
    TF_Main window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    TDM_Main dm(b.inst.dir.path(), {process}, window.RV_Log, window.Processing);
    window.SetDataModule(&dm);
    window.show();
    QCoreApplication::processEvents();
    const double seconds = bench::SecondsOf([&] { window.A_StartExecute(); });
    b.inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("1")}});
    return seconds;
}

struct Stages
{
    double crmRead = 0, xmlWrite = 0, transform = 0, xmlRead = 0, gisSave = 0;
    double Sum() const { return crmRead + xmlWrite + transform + xmlRead + gisSave; }
};

// Each stage on its own, over all customers, into an empty GIS; the saved objects are left in
// `targets`.
Stages TimeStages(Bench &b, TDM_Main &dm, TDM_Obiekt &crm, std::vector<std::unique_ptr<TPelk_Obiekt>> &targets)
{
    b.EmptyGis();
    Stages t;
    QStringList keys;
    crm.OpenQ_GetKlientToTransport(0);
    for (Query &q = crm.Q_GetZamerKlientToTransport; !q.Eof(); q.Next())
        keys << q.FieldByName(QStringLiteral("ID")).Value().toString();
    std::vector<std::unique_ptr<TZamer_Klient>> sources;
    RObiekt element;
    t.crmRead = bench::SecondsOf([&] {
        for (const QString &key : keys) {
            auto k = std::make_unique<TZamer_Klient>(dm, crm);
            k->Connection = &dm.ADOConnection_Caesar;
            k->ObjectID = Variant(key);
            k->LoadObjectData(element);
            sources.push_back(std::move(k));
        }
    });
    // The stages as the pipeline runs them: documents in memory, a file only where an element
    // stops.
    const bench::StageTimes documents = bench::TimeDocumentStages<TZamer_Klient, TPelk_Obiekt>(
        dm, sources, b.inst.Path(QStringLiteral("xsl")), QStringLiteral("Klient_X2Y.xsl"),
        [&] { return std::make_unique<TPelk_Obiekt>(dm); }, targets);
    t.xmlWrite = documents.xmlWrite;
    t.transform = documents.transform;
    t.xmlRead = documents.xmlRead;
    t.gisSave = bench::SecondsOf([&] {
        for (auto &o : targets) {
            o->Connection = &dm.ADOConnection_PelkGIS;
            o->SaveObjectData(element);
        }
    });
    return t;
}

// The same rows written directly into an empty GIS: object, address, the attribute values,
// permission.
double BareWrites(Bench &b, Connection &gis, const std::vector<std::unique_ptr<TPelk_Obiekt>> &targets)
{
    b.EmptyGis();
    gis.Close();
    Query object(gis), address(gis), attribute(gis), permission(gis);
    object.SetSQL(
        QStringLiteral("INSERT INTO OBIEKT (OB_ID, OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_NAZWA2, OB_NAZWA3, OB_AKTYWNY) "
                       "VALUES (:Id, :Exid, 102, :N1, :N2, :N3, 1)"));
    address.SetSQL(
        QStringLiteral("INSERT INTO ADRES (ADR_ID_OB, ADR_KRAJ, ADR_KOD, ADR_MIASTO, ADR_ULICA, ADR_AKTYWNY, ADR_ID_SLO_TYP) "
                       "VALUES (:Id, :Kraj, :Kod, :Miasto, :Ulica, 1, 201)"));
    attribute.SetSQL(QStringLiteral("INSERT INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT) VALUES (:Atr, :Id, :W)"));
    permission.SetSQL(QStringLiteral(
        "INSERT INTO UPRAWNIENIA (UPR_ID_UZYTKOWNIK, UPR_ID_OBIEKT, UPR_WIDOCZNOSC, UPR_ZARZADZANIE) VALUES (1, :Id, 1, 1)"));
    return bench::SecondsOf([&] {
        int id = 0;
        for (auto &o : targets) {
            ++id;
            object.SetParam(QStringLiteral("Id"), Variant(id));
            object.SetParam(QStringLiteral("Exid"), o->EXID);
            object.SetParam(QStringLiteral("N1"), Variant(o->Nazwa.left(40)));
            object.SetParam(QStringLiteral("N2"), Variant(o->Nazwa.mid(40, 40)));
            object.SetParam(QStringLiteral("N3"), Variant(o->Nazwa.mid(80, 40)));
            object.ExecSQL();
            address.SetParam(QStringLiteral("Id"), Variant(id));
            for (const char *field : {"Kraj", "Kod", "Miasto", "Ulica"})
                address.SetParam(QLatin1String(field), Variant(o->Adres()->property(field).toString()));
            address.ExecSQL();
            for (int a = 0; a < o->Atrybuty()->Count(); ++a) {
                attribute.SetParam(QStringLiteral("Atr"), Variant(a + 1));
                attribute.SetParam(QStringLiteral("Id"), Variant(id));
                attribute.SetParam(QStringLiteral("W"), o->Atrybuty()->ItemAs<TAtrybutyObiektCollectionItem>(a)->Wartosc);
                attribute.ExecSQL();
            }
            permission.SetParam(QStringLiteral("Id"), Variant(id));
            permission.ExecSQL();
        }
    });
}

void run(int customers)
{
    Bench b(customers);
    const QString process = b.ProcessFile(QStringLiteral("Klient"));

    // The whole exchange, as Start runs it: the customers new to the GIS, then each of them
    // changed, then changed again over a simulated LAN.
    // (The generator leaves about one customer in 97 without name and street.)
    const Bench::ThreeRuns runs = b.NewChangedAndOverLan(
        process, customers,
        QStringLiteral("UPDATE Customer SET Name1 = Name1 || '*', UpdateDate = datetime('now', 'localtime');"));
    const double endToEnd = runs.added.seconds;
    const double inWindow = InWindow(b, process);
    TDM_Main dm(b.inst.dir.path(), {process}, nullptr, nullptr);
    TDM_Obiekt crm(dm);
    std::vector<std::unique_ptr<TPelk_Obiekt>> targets;
    const Stages t = TimeStages(b, dm, crm, targets);
    const double bare = BareWrites(b, dm.ADOConnection_PelkGIS, targets);

    auto share = [&](double s) { return 100.0 * s / t.Sum(); };
    std::printf("%d customers\n", customers);
    std::printf("  end to end:   %7.2f s  %6.0f elements/s  %6.2f ms/element\n", endToEnd, customers / endToEnd,
                1000 * endToEnd / customers);
    Bench::Print(runs, customers);
    std::printf("  in the window:%7.2f s  %6.0f elements/s  %6.2f ms/element (trace level 2)\n", inWindow, customers / inWindow,
                1000 * inWindow / customers);
    std::printf(
        "  stages alone: %7.2f s (CRM read %.0f%%, XML write %.0f%%, transform %.0f%%, XML read %.0f%%, GIS save %.0f%%)\n",
        t.Sum(), share(t.crmRead), share(t.xmlWrite), share(t.transform), share(t.xmlRead), share(t.gisSave));
    std::printf("  GIS save %.2f s against bare writes %.2f s: ratio %.2f; end to end against bare writes: %.2f\n", t.gisSave,
                bare, t.gisSave / bare, endToEnd / bare);
}

} // namespace

int main(int argc, char *argv[])
{
    PinSystemTimeZone(); // as the program does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterExchangeKinds();
    run(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000);
    return 0;
}
