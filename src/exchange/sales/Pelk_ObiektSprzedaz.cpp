#include "Pelk_ObiektSprzedaz.h"

#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "config/Common.h"
#include "config/NumberText.h"
#include "exchange/customers/DM_Obiekt.h"

namespace pelk {

TPelk_ObiektSprzedaz::TPelk_ObiektSprzedaz(TDM_Main &dm, TDM_Obiekt &obiekty, QObject *parent)
    : TPelk_Obiekt(dm, parent), m_obiekty(obiekty)
{}

bool TPelk_ObiektSprzedaz::LoadObjectData(RObiekt &)
{
    return NotImplemented("LoadObjectData");
}

bool TPelk_ObiektSprzedaz::SaveObjectData(RObiekt &)
{
    TElementTransaction transaction(m_dm.Db(), m_dm.ADOConnection_PelkGIS);
    const bool saved = Guarded(Log(), PELK_HERE, [&] {
        m_dm.Log()->Note(2,
                         QStringLiteral(" System Pelk·GIS Trasar przetwarzany obiekt Sprzedaż dla obiektu o  ERP ID: %1")
                             .arg(EXID.toString()));
        return transaction.Begun() && SaveObiektSprzedaz();
    });
    // Counted only once committed: a refused commit stores nothing of the customer.
    if (!transaction.End(saved))
        return false;
    m_dm.Process()->CountResult(StatusZapisu, true);
    return true;
}

double TPelk_ObiektSprzedaz::Udzial(const Variant &wartosc, int n)
{
    const double share = StringToFloat(wartosc.toString()) / n;
    return StringToFloat(QString::asprintf("%.3f", StringToFloat(FloatToText(share))));
}

bool TPelk_ObiektSprzedaz::SaveObiektSprzedaz()
{
    return Guarded(Log(), PELK_HERE, [&] {
        const QString erpId = EXID.toString();
        if (!m_obiekty.Open_GetPelkObiektyByERPID(erpId))
            return false;
        Query &obiekty = m_obiekty.Q_ObiektyByERPID;
        if (obiekty.IsEmpty()) {
            m_dm.Log()->Error(2,
                              QStringLiteral(" Brak w systemie %1 Klient/Dystrybutora o numerze ERP ID = \"%2\" \r\n"
                                             "      Obiekt nie został zapisany")
                                  .arg(QStringLiteral("Pelk·GIS Trasar"), erpId));
            return false;
        }
        const int n = obiekty.RecordCount();
        TAtrybutyObiektCollection &atrybuty = *Atrybuty();
        for (int i = 0; i < atrybuty.Count(); ++i)
            atrybuty.Items(i)->WartoscZrodlowa = atrybuty.Items(i)->Wartosc;
        for (obiekty.First(); !obiekty.Eof(); obiekty.Next()) {
            const bool pierwszy = obiekty.RecNo() == 1;
            for (int i = 0; i < atrybuty.Count(); ++i) {
                TAtrybutyObiektCollectionItem &item = *atrybuty.Items(i);
                item.ObiektID = obiekty.FieldByName(QStringLiteral("OB_ID")).Value().toInt();
                item.ObiektTyp = obiekty.FieldByName(QStringLiteral("OB_ID_SLO_TYP")).Value().toInt();
                item.ObiektNowy = false;
                item.StatusZapisu = szBezZmian;
                const double wartosc = Udzial(item.WartoscZrodlowa, n);
                item.Wartosc = Variant(wartosc);
                // The zeroing has set every figure to 0: nothing else is written.
                if (wartosc > 0)
                    item.SaveAtrybut();
                else if (pierwszy)
                    m_dm.Log()->Info(3,
                                     QStringLiteral(" Atrybut nr: %1 klienta o numerze ERP ID = \"%2\": wartość %3 nie jest "
                                                    "dodatnia\r\n      Atrybut nie został zapisany (pozostaje 0)")
                                         .arg(item.NumerAtrybutu)
                                         .arg(erpId, item.WartoscZrodlowa.toString()));
                if (StatusZapisu == szBezZmian && item.StatusZapisu != szBezZmian)
                    StatusZapisu = item.StatusZapisu;
            }
        }
        return true;
    });
}

} // namespace pelk
