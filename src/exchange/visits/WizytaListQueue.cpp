#include "WizytaListQueue.h"

#include "Pelk_Wizyta.h"
#include "Zamer_Wizyta.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "engine/Queue.h"

#include <cmath>

namespace pelk {

TX2Y_WizytaListQueue::TX2Y_WizytaListQueue(TDM_Main &dm) : TObjectListQueue(dm), m_wiz(dm), m_gis(TDM_PelkFun::Of(dm)) {}

TX2Y_WizytaListQueue::~TX2Y_WizytaListQueue()
{
    m_wiz.CloseDataSets();
    if (SourceConnection)
        SourceConnection->Close();
    if (TargetConnection)
        TargetConnection->Close();
}

bool TX2Y_WizytaListQueue::PrepareList()
{
    return Guarded(Log(), PELK_HERE, [&] {
        return GatherChanged([&] { return m_gis.GetSlownikData(WatermarkKey(), 0, DataOstatniejWymiany); },
                             [&] { return m_wiz.Open_GetZamerWizytaToTransport(DataOstatniejWymiany); },
                             m_wiz.Q_GetZamerWizytyToTransport, [this](const Query &row) { AppendListRow(row); });
    });
}

void TX2Y_WizytaListQueue::AppendListRow(const Query &list)
{
    // A row that cannot be read (no representative, no start time) is logged with what the
    // activity holds and skipped: it never ends the list for this and every later run. An
    // activity without a creation time counts as created at 0.
    auto value = [&](const char *column) { return list.FieldByName(QLatin1String(column)).Value(); };
    auto text = [&](const char *column) {
        const Variant v = value(column);
        return v.isNull() ? QStringLiteral("NULL") : v.toString();
    };
    const QString heading = QStringLiteral(" Pominięto element listy obiektu \"%1\" (aktywność ID: %2, PracownikID: %3, "
                                           "DataWizyty: %4, DataUtworzenia: %5)")
                                .arg(Rules->ObjectName, text("ID"), text("PracownikID"), text("DataWizyty"),
                                     text("DataUtworzenia"));
    Guarded(Log(), Where::Heading(heading), [&] {
        const QString pracownik = QString::number(value("PracownikID").toInt64());
        const int dzien = int(std::floor(value("DataWizyty").toDateTime()));
        if (!Elements.empty() && Elements.back()->Text1 == pracownik && Elements.back()->Number == dzien)
            return true;
        auto element = std::make_unique<RObiekt>();
        element->Kind = RObiekt::FromDatabase;
        element->Key = pracownik + QLatin1Char('_') + QString::number(dzien);
        element->Text1 = pracownik;
        element->Number = dzien;
        const Variant created = value("DataUtworzenia");
        element->ChangeDate = created.isNull() ? 0 : created.toDateTime();
        Elements.push_back(std::move(element));
        return true;
    });
}

bool TX2Y_WizytaListQueue::FindFileObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        if (element.Kind == RObiekt::SourceFile)
            return FileObjectOnList(element.FileName, std::make_unique<TZamer_Wizyta>(m_dm, m_wiz));
        if (element.Kind == RObiekt::TargetFile)
            return FileObjectOnList(element.FileName, std::make_unique<TPelk_Wizyta>(m_dm, m_wiz));
        return false;
    });
}

bool TX2Y_WizytaListQueue::SerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] { return SerializeSysObject(element, std::make_unique<TZamer_Wizyta>(m_dm, m_wiz)); });
}

bool TX2Y_WizytaListQueue::DeSerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] { return DeSerializeSysObject(element, std::make_unique<TPelk_Wizyta>(m_dm, m_wiz)); });
}

void TX2Y_WizytaListQueue::Run()
{
    TDateTime next = 0;
    // A time that could not be stored lists the same changes again.
    if (RunIncremental(DataOstatniejWymiany, next) && !m_gis.SetSlownikData(WatermarkKey(), 0, next))
        m_dm.Process()->MarkUnfinished();
}

void RegisterVisitQueues()
{
    const QString name = QStringLiteral("Wizyta");
    QueueFactory::RegisterIntoGis(
        name, &TDM_Main::ADOConnection_Caesar, [](TDM_Main &dm) { return std::make_unique<TX2Y_WizytaListQueue>(dm); },
        QStringLiteral("TY2X_WizytaListQueue"));
}

} // namespace pelk
