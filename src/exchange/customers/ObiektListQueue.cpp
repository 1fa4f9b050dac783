#include "ObiektListQueue.h"

#include "Zamer_Klient.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "engine/Queue.h"
#include "gisdb/Pelk_Obiekt.h"

#include <algorithm>

namespace pelk {

namespace {
constexpr int kKlient = 102;
constexpr int kDystrybutor = 108;
} // namespace

TX2Y_ObiektListQueue::TX2Y_ObiektListQueue(TDM_Main &dm, int typObiektu)
    : TObjectListQueue(dm), TypObiektu(typObiektu), m_crm(dm), m_gis(TDM_PelkFun::Of(dm))
{}

TX2Y_ObiektListQueue::~TX2Y_ObiektListQueue()
{
    m_crm.CloseDataSets();
    if (SourceConnection)
        SourceConnection->Close();
    if (TargetConnection)
        TargetConnection->Close();
}

QString TX2Y_ObiektListQueue::WatermarkKey(int typObiektu)
{
    switch (typObiektu) {
    case kKlient: return QStringLiteral("interfejs_transport_klient");
    case kDystrybutor: return QStringLiteral("interfejs_transport_dystrybutor");
    default: return QString();
    }
}

bool TX2Y_ObiektListQueue::IsCustomerType() const
{
    return TypObiektu == kKlient || TypObiektu == kDystrybutor;
}

bool TX2Y_ObiektListQueue::PrepareList()
{
    return Guarded(Log(), PELK_HERE, [&] {
        switch (TypObiektu) {
        case kKlient: return PrepareListKlient();
        case kDystrybutor: return PrepareListDystrybutor();
        default:
            m_dm.Log()->Error(1, QStringLiteral(" Brak implementacji listy elementów dla obiektu \"%1\"").arg(Rules->ObjectName));
            return false;
        }
    });
}

bool TX2Y_ObiektListQueue::PrepareListKlient()
{
    return Guarded(Log(), PELK_HERE, [&] {
        return PrepareChanged(
            WatermarkKey(kKlient), [&](TDateTime t) { return m_crm.OpenQ_GetKlientToTransport(t); },
            m_crm.Q_GetZamerKlientToTransport);
    });
}

bool TX2Y_ObiektListQueue::PrepareListDystrybutor()
{
    return Guarded(Log(), PELK_HERE, [&] {
        return PrepareChanged(
            WatermarkKey(kDystrybutor), [&](TDateTime t) { return m_crm.Open_GetZamerDystrybutorToTransport(t); },
            m_crm.Q_GetZamerDystrybutorToTransport);
    });
}

bool TX2Y_ObiektListQueue::PrepareChanged(const QString &watermarkKey, const std::function<bool(TDateTime)> &openList,
                                          Query &list)
{
    return GatherChanged([&] { return m_gis.GetSlownikData(watermarkKey, 0, DataOstatniejWymiany); },
                         [&] { return openList(DataOstatniejWymiany); }, list, [this](const Query &row) { AppendListRow(row); });
}

void TX2Y_ObiektListQueue::AppendListRow(const Query &list)
{
    // One row that cannot be read is logged with its key and skipped; it never ends the list
    // for this and every later run. A customer listed through a changed relation or code may
    // have no change date of its own: that counts as 0.
    const Variant id = list.FieldByName(QStringLiteral("ID")).Value();
    const QString key = id.isNull() ? QStringLiteral("NULL") : id.toString();
    Guarded(Log(), Where::Heading(QStringLiteral(" Pominięto element listy obiektu \"%1\" (ID: %2)").arg(Rules->ObjectName, key)),
            [&] {
                auto element = std::make_unique<RObiekt>();
                element->Kind = RObiekt::FromDatabase;
                element->Key = key;
                const Variant changed = list.FieldByName(QStringLiteral("DataAktualizacji")).Value();
                element->ChangeDate = changed.isNull() ? 0 : changed.toDateTime();
                Elements.push_back(std::move(element));
                return true;
            });
}

bool TX2Y_ObiektListQueue::FindFileObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        if (element.Kind == RObiekt::SourceFile)
            return IsCustomerType() && FileObjectOnList(element.FileName, std::make_unique<TZamer_Klient>(m_dm, m_crm));
        if (element.Kind == RObiekt::TargetFile)
            return FileObjectOnList(element.FileName, std::make_unique<TPelk_Obiekt>(m_dm));
        return false;
    });
}

bool TX2Y_ObiektListQueue::SerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        if (IsCustomerType())
            return SerializeSysObject(element, std::make_unique<TZamer_Klient>(m_dm, m_crm));
        m_dm.Log()->Error(1, QStringLiteral(" Brak implementacji listy elementów dla obiektu \"%1\"").arg(Rules->ObjectName));
        return false;
    });
}

bool TX2Y_ObiektListQueue::DeSerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] { return DeSerializeSysObject(element, std::make_unique<TPelk_Obiekt>(m_dm)); });
}

void TX2Y_ObiektListQueue::Run()
{
    const QString key = WatermarkKey(TypObiektu);
    TDateTime next = 0;
    // A time that could not be stored lists the same changes again.
    if (RunIncremental(DataOstatniejWymiany, next) && !key.isEmpty() && !m_gis.SetSlownikData(key, 0, next))
        m_dm.Process()->MarkUnfinished();
}

void RegisterCustomerQueues()
{
    for (const auto &[name, typ] :
         {std::pair{QStringLiteral("Klient"), kKlient}, std::pair{QStringLiteral("Dystrybutor"), kDystrybutor}}) {
        const int type = typ;
        QueueFactory::RegisterIntoGis(
            name, &TDM_Main::ADOConnection_Caesar,
            [type](TDM_Main &dm) { return std::make_unique<TX2Y_ObiektListQueue>(dm, type); },
            QStringLiteral("TY2X_ObiektListQueue"));
    }
}

} // namespace pelk
