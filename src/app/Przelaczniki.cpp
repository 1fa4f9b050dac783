#include "Przelaczniki.h"

#include "Log.h"

namespace pelk {

namespace {
const e_Stany kBuiltInAllowed = StanBit(esSysXtoSysY) | StanBit(esNone);
}

TPrzelaczniki::TPrzelaczniki(TSettingsProcess *settings, TLog *log) : m_settings(settings), m_log(log)
{
    const char *const names[][2] = {{"Klient", "Klient"},
                                    {"Dystrybutor", "Dystrybutor"},
                                    {"Wizyta", "Wizyta"},
                                    {"Sprzedaż", "Sprzedaz"},
                                    {"DaneGPS", "DaneGPS"}};
    for (const auto &n : names)
        Items.append({QString::fromUtf8(n[0]), QString::fromUtf8(n[1]), kBuiltInAllowed, esBothDirection});
}

bool TPrzelaczniki::GetSwitch(const QString &name, RPrzelacznik &out) const
{
    for (const auto &s : Items)
        if (s.NazwaObiektu == name) {
            out = s;
            return true;
        }
    return false;
}

void TPrzelaczniki::SetSwitch(const QString &name, const RPrzelacznik &value)
{
    for (auto &s : Items)
        if (s.NazwaObiektu == name) {
            s = value;
            return;
        }
}

void TPrzelaczniki::Load()
{
    switch (LoadMode) {
    case FromProcessSettingsMode: FromProcessSettings(); break;
    case DefaultsMode: ApplyDefaults(); break;
    default:
        if (m_log)
            m_log->Error(1, QStringLiteral(" Nie zdefiniowano typu ładowania ustawień"));
    }
}

void TPrzelaczniki::ApplyDefaults()
{
    for (const char *name : {"Klient", "Dystrybutor", "Wizyta", "Sprzedaż", "DaneGPS"})
        for (auto &s : Items)
            if (s.NazwaObiektu == QString::fromUtf8(name)) {
                s.Stan = esSysXtoSysY;
                break;
            }
}

void TPrzelaczniki::FromProcessSettings()
{
    Items.clear();
    const TObjectToProcessCollection *c = m_settings->ObjectToProcess();
    for (int i = 0; i < c->Count(); ++i) {
        const auto *it = c->Items(i);
        Items.append({it->NazwaObiektu, it->NazwaObiektRules, it->ListaDozwolonychStanow, it->Stan});
    }
}

void TPrzelaczniki::ToProcessSettings()
{
    TObjectToProcessCollection *c = m_settings->ObjectToProcess();
    for (const auto &s : Items) {
        TObjectToProcessCollectionItem *it = c->FindByName(s.NazwaObiektu);
        if (!it) {
            it = c->Add();
            it->NazwaObiektu = s.NazwaObiektu;
            it->NazwaObiektRules = s.NazwaObiektRules;
        }
        it->ListaDozwolonychStanow = s.ListaDozwolonychStanow;
        it->Stan = s.Stan;
    }
}

void TPrzelaczniki::NextState(RPrzelacznik &s)
{
    e_Stan next = s.Stan;
    for (int i = 0; i < 4; ++i) {
        next = e_Stan((int(next) + 1) % 4);
        if (InStany(s.ListaDozwolonychStanow, next)) {
            s.Stan = next;
            return;
        }
    }
}

QString TPrzelaczniki::StateHint(int imageIndex)
{
    switch (imageIndex) {
    case esBothDirection: return QStringLiteral("Przetwarzanie obiektu w obie strony");
    case esSysXtoSysY: return QStringLiteral("Przetwarzanie obiektu z systemu CRM do Pelk·GIS Trasar");
    case esSysYtoSysX: return QStringLiteral("Przetwarzanie obiektu z systemu Pelk·GIS Trasar do CRM");
    case esNone: return QStringLiteral("Brak przetwarzania");
    default: return QString();
    }
}

} // namespace pelk
