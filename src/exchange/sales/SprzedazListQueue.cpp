#include "SprzedazListQueue.h"

#include "Pelk_ObiektSprzedaz.h"
#include "SalesPeriods.h"
#include "Zamer_KlientSprzedaz.h"
#include "app/DM_Main.h"
#include "app/DatabaseHelpers.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "engine/Queue.h"

namespace pelk {

// One product group: its query, the step name ("%1": M, M-1, ... for the monthly ones), the
// attribute number of period M (M-k takes base + k) and the heading of its exceptions.
struct TX2Y_SprzedazListQueue::RKrok
{
    SalesSql::Zapytanie Zapytanie;
    const char *Nazwa;
    int Atrybut;
    const char *Wyjatek;
};

namespace {

using K = TX2Y_SprzedazListQueue;

#define PELK_KROK_WYJATEK(name) " Wyjątek funkcji TX2Y_SprzedazListQueue.PrepareListSprzedaz" name

const K::RKrok kKroki12M[] = {
    {SalesSql::PC_12M, " Sprzedaż PC 12M", 100, PELK_KROK_WYJATEK("PC12M")},
    {SalesSql::PE_12M, " Sprzedaż PE 12M", 101, PELK_KROK_WYJATEK("PE12M")},
};

const K::RKrok kKrokiMiesieczne[] = {
    {SalesSql::PCE_RB, " Sprzedaż PCE (rutile\\basic) %1", 110, PELK_KROK_WYJATEK("PCE_RB")},
    {SalesSql::PCE_noRB, " Sprzedaż PCE pozostałe %1", 114, PELK_KROK_WYJATEK("PCE_noRB")},
    {SalesSql::PCS_MM, " Sprzedaż PCS (MAG wire MP\\spools) %1", 130, PELK_KROK_WYJATEK("PCS_MM")},
    {SalesSql::PCS_noMM, " Sprzedaż PCS pozostałe %1", 134, PELK_KROK_WYJATEK("PCS_noMM")},
    {SalesSql::PCEkg, " Sprzedaż PCE %1 (kg)", 150, PELK_KROK_WYJATEK("PCEkg")},
    {SalesSql::PCSkg, " Sprzedaż PCS %1 (kg)", 154, PELK_KROK_WYJATEK("PCSkg")},
    {SalesSql::PCCkg, " Sprzedaż PCC %1 (kg)", 158, PELK_KROK_WYJATEK("PCCkg")},
    {SalesSql::PCFkg, " Sprzedaż PCF %1 (kg)", 162, PELK_KROK_WYJATEK("PCFkg")},
    {SalesSql::MMA, " Sprzedaż MMA rectifiers %1", 200, PELK_KROK_WYJATEK("MMA")},
    {SalesSql::TIGDC, " Sprzedaż TIG manual DC %1", 204, PELK_KROK_WYJATEK("TIGDC")},
    {SalesSql::TIGACDC, " Sprzedaż TIG manual AC\\DC %1", 208, PELK_KROK_WYJATEK("TIGACDC")},
    {SalesSql::MIGMAGR, " Sprzedaż MIG\\MAG rectifiers %1", 212, PELK_KROK_WYJATEK("MIGMAGR")},
    {SalesSql::MIGMAGup250, " Sprzedaż MIG\\MAG c. wr250A 35% %1", 216, PELK_KROK_WYJATEK("MIGMAGup250")},
    {SalesSql::MIGMAGdown250, " Sprzedaż MIG\\MAG c. m250A 35% %1", 220, PELK_KROK_WYJATEK("MIGMAGdown250")},
};

#undef PELK_KROK_WYJATEK

constexpr int kMiesiace = 4;           // M, M-1, M-2, M-3
constexpr int kDwanascieMiesiecy = -1; // the period of a twelve-month step

QString Okres(int k)
{
    return k == 0 ? QStringLiteral("M") : QStringLiteral("M-%1").arg(k);
}

} // namespace

TX2Y_SprzedazListQueue::TX2Y_SprzedazListQueue(TDM_Main &dm) : TObjectListQueue(dm), m_sprzedaz(dm) {}

TX2Y_SprzedazListQueue::~TX2Y_SprzedazListQueue()
{
    m_sprzedaz.CloseDataSets();
}

bool TX2Y_SprzedazListQueue::PrepareList()
{
    return Guarded(Log(), PELK_HERE, [&] {
        TLog *log = m_dm.Log();
        log->Note(2, QStringLiteral(" Rozpoczęcie zbierania elementów obiektu \"%1\"").arg(Rules->ObjectName));
        m_sprzedaz.kbmMemTable_Sprzedaz.Clear();
        // One date for every step: a run that passes midnight at a month's end must not sum
        // two different months under the same attributes.
        m_teraz = Now();
        for (const RKrok &krok : kKroki12M)
            if (!Krok(krok, kDwanascieMiesiecy))
                return false;
        for (const RKrok &krok : kKrokiMiesieczne)
            for (int k = 0; k < kMiesiace; ++k)
                if (!Krok(krok, k))
                    return false;
        DatabaseCount = int(Elements.size());
        log->Note(2, QStringLiteral(" Liczba elementów: %1").arg(DatabaseCount));
        log->Note(2, QStringLiteral(" Zakończenie zbierania elementów obiektu \"%1\"").arg(Rules->ObjectName));
        return true;
    });
}

bool TX2Y_SprzedazListQueue::Krok(const RKrok &krok, int k)
{
    return Guarded(Log(), Where::Heading(krok.Wyjatek), [&] {
        const bool miesieczny = k != kDwanascieMiesiecy;
        m_dm.Log()->Note(2, miesieczny ? QString::fromUtf8(krok.Nazwa).arg(Okres(k)) : QString::fromUtf8(krok.Nazwa));
        const ROkres okres = miesieczny ? OkresMiesiaca(m_teraz, k) : Okres12M(m_teraz);
        return m_sprzedaz.Open(krok.Zapytanie, okres.Od, okres.Do)
            && PrepareListSprzedaz(m_sprzedaz.Q(krok.Zapytanie), krok.Atrybut + (miesieczny ? k : 0));
    });
}

bool TX2Y_SprzedazListQueue::PrepareListSprzedaz(Query &query, int atrybut)
{
    return Guarded(Log(), PELK_HERE, [&] {
        TSprzedazTable &table = m_sprzedaz.kbmMemTable_Sprzedaz;
        const int idColumn = query.FieldIndex(QStringLiteral("ID"));
        const int valueColumn = query.FieldIndex(QStringLiteral("Wartosc"));
        for (query.First(); !query.Eof(); query.Next()) {
            const Variant id = query.FieldAt(idColumn).Value();
            const Variant value = query.FieldAt(valueColumn).Value();
            const QString key = id.isNull() ? QString() : id.toString().trimmed();
            // One bad row is one customer's figure lost for this run, never the whole run.
            if (key.isEmpty()) {
                m_dm.Log()->Warning(
                    1,
                    QStringLiteral(" Pominięto wiersz sprzedaży bez numeru klienta ERP (atrybut nr: %1, wartość: %2)")
                        .arg(atrybut)
                        .arg(value.isNull() ? QStringLiteral("NULL") : value.toString()));
            } else if (value.isNull() || value.isEmpty()) {
                m_dm.Log()->Warning(1,
                                    QStringLiteral(" Pominięto wiersz sprzedaży klienta o numerze ERP ID = \"%1\" bez wartości"
                                                   " (atrybut nr: %2)")
                                        .arg(key)
                                        .arg(atrybut));
            } else if (table.Add(key, atrybut, value.toDouble())) {
                auto element = std::make_unique<RObiekt>();
                element->Kind = RObiekt::FromDatabase;
                element->Key = key;
                Elements.push_back(std::move(element));
            }
            if (Escaped())
                return false;
        }
        return true;
    });
}

bool TX2Y_SprzedazListQueue::FindFileObject(RObiekt &element)
{
    // Every run recomputes every figure: what an earlier run left is stale, and stored after
    // this run's figures it would overwrite them. Every such file is superseded, unread (a dry
    // run leaves it where it is).
    m_dm.Log()->Note(2,
                     (DryRun() ? QStringLiteral(" Przebieg próbny: plik wcześniejszej wymiany pominięty: %1")
                               : QStringLiteral(" Plik wcześniejszej wymiany usunięty bez przetwarzania: %1"))
                         .arg(element.FileName));
    return true;
}

bool TX2Y_SprzedazListQueue::SerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE,
                   [&] { return SerializeSysObject(element, std::make_unique<TZamer_KlientSprzedaz>(m_dm, m_sprzedaz)); });
}

bool TX2Y_SprzedazListQueue::DeSerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE,
                   [&] { return DeSerializeSysObject(element, std::make_unique<TPelk_ObiektSprzedaz>(m_dm, m_sprzedaz)); });
}

void TX2Y_SprzedazListQueue::Run()
{
    Guarded(Log(), PELK_HERE, [&] {
        if (!GatherElements())
            return false;
        m_sprzedaz.Ustawione.clear();
        m_wszystkieZapisane = true;
        // Stop leaves every figure no element has set as the previous run left it.
        return ProcessElements() && ZerujNieustawione();
    });
}

bool TX2Y_SprzedazListQueue::ZerujNieustawione()
{
    // An object no element has set may be a failed customer's: its figures stay until a run
    // stores every customer.
    if (!m_wszystkieZapisane) {
        m_dm.Log()->Warning(1,
                            QStringLiteral(" Nie wszystkie elementy obiektu \"%1\" zostały zapisane\r\n"
                                           "      Wartości sprzedaży pozostałych obiektów nie zostały wyzerowane;"
                                           " pozostają wartości poprzedniej wymiany")
                                .arg(Rules->ObjectName));
        return false;
    }
    TElementTransaction transaction(m_dm.Db(), m_dm.ADOConnection_PelkGIS);
    if (transaction.End(transaction.Begun() && m_sprzedaz.ZerujNieustawione()))
        return true;
    m_dm.Process()->MarkUnfinished();
    m_dm.Log()->Error(1,
                      QStringLiteral(" Wartości sprzedaży pozostałych obiektów nie zostały wyzerowane\r\n"
                                     "      Pozostają wartości poprzedniej wymiany"));
    return false;
}

void TX2Y_SprzedazListQueue::FinishElement(RObiekt &element, bool result)
{
    // Nothing of an element is carried to the next run, whatever its outcome: its stages
    // passed in memory and are forgotten.
    DiscardStage();
    if (!result && !element.Refused)
        m_wszystkieZapisane = false;
}

void RegisterSalesQueues()
{
    const QString name = QStringLiteral("Sprzedaz");
    QueueFactory::RegisterIntoGis(
        name, &TDM_Main::ADOConnection_Movex, [](TDM_Main &dm) { return std::make_unique<TX2Y_SprzedazListQueue>(dm); },
        QStringLiteral("TY2X_SprzedazListQueue"));
}

} // namespace pelk
