#include "Pelk_ObiektSprzedaz.h"

#include "DM_Sprzedaz.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "config/Common.h"
#include "config/NumberText.h"
#include "gisdb/DM_PelkFun.h"
#include "gisdb/GisSql.h"

namespace pelk {

namespace {

// One GIS object of a customer and the sales attributes it holds a row of.
struct RObiektKlienta
{
    int Id = 0;
    int Typ = 0;
    QSet<int> Atrybuty;
};

// The rows of the open Open_GetPelkObiektyByERPID, one object each.
QList<RObiektKlienta> ObiektyKlienta(Query &q)
{
    QList<RObiektKlienta> obiekty;
    for (q.First(); !q.Eof(); q.Next()) {
        const int id = q.FieldByName(QStringLiteral("OB_ID")).AsInteger();
        if (obiekty.isEmpty() || obiekty.last().Id != id)
            obiekty.append({id, q.FieldByName(QStringLiteral("OB_ID_SLO_TYP")).AsInteger(), {}});
        const Field atrybut = q.FieldByName(QStringLiteral("ATO_ID_ATR"));
        if (!atrybut.IsNull())
            obiekty.last().Atrybuty.insert(atrybut.AsInteger());
    }
    return obiekty;
}

// SaveAtrybut of a value on an object whose figures were just zeroed, without reading it
// back: a decimal attribute holds 0 there, or has no row.
bool ZapiszPoZerowaniu(TAtrybutyObiektCollectionItem &item, bool maWiersz)
{
    if (!item.CheckMandatory())
        return false;
    // Another type is not zeroed; an object type that takes no attributes is refused there.
    if (item.TypAtrybutu != taDziesietna || !TDM_PelkFun::IsObiektTyp(item.ObiektTyp))
        return item.SaveAtrybut();
    if (!maWiersz)
        return item.InsertAtrybut();
    item.StaraWartosc = Variant(QStringLiteral("0"));
    return item.UpdateAtrybut();
}

} // namespace

TPelk_ObiektSprzedaz::TPelk_ObiektSprzedaz(TDM_Main &dm, TDM_Sprzedaz &sprzedaz, QObject *parent)
    : TPelk_Obiekt(dm, parent), m_sprzedaz(sprzedaz)
{}

bool TPelk_ObiektSprzedaz::LoadObjectData(RObiekt &)
{
    return NotImplemented("LoadObjectData");
}

bool TPelk_ObiektSprzedaz::SaveObjectData(RObiekt &element)
{
    TElementTransaction transaction(m_dm.Db(), m_dm.ADOConnection_PelkGIS);
    const bool saved = Guarded(Log(), PELK_HERE, [&] {
        m_dm.Log()->Note(2,
                         QStringLiteral(" System Pelk·GIS Trasar przetwarzany obiekt Sprzedaż dla obiektu o  ERP ID: %1")
                             .arg(EXID.toString()));
        return transaction.Begun() && SaveObiektSprzedaz();
    });
    element.Refused = m_brakObiektu;
    // Counted only once committed: a refused commit stores nothing of the customer, and its
    // objects keep the figures of the previous run.
    if (!transaction.End(saved))
        return false;
    for (int id : m_obiekty)
        m_sprzedaz.Ustawione.insert(id);
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
        if (!m_sprzedaz.Open_GetPelkObiektyByERPID(erpId))
            return false;
        const QList<RObiektKlienta> obiekty = ObiektyKlienta(m_sprzedaz.Q_ObiektyByERPID);
        if (obiekty.isEmpty()) {
            m_brakObiektu = true;
            m_dm.Log()->Error(2,
                              QStringLiteral(" Brak w systemie %1 Klient/Dystrybutora o numerze ERP ID = \"%2\" \r\n"
                                             "      Obiekt nie został zapisany")
                                  .arg(QStringLiteral("Pelk·GIS Trasar"), erpId));
            return false;
        }
        // The customer's old figures go in its own transaction, with its new ones written: no
        // one sees them at 0 while the run goes on, and a run that breaks off leaves them whole.
        // An object an earlier customer of the run has set keeps that customer's figures, and
        // gets this one's on top, as after one zeroing of all.
        QList<int> zerowane;
        for (const RObiektKlienta &o : obiekty)
            if (!m_sprzedaz.Ustawione.contains(o.Id))
                zerowane.append(o.Id);
        if (!zerowane.isEmpty() && !m_sprzedaz.ZerujAtrybutySprzedazy(zerowane))
            return false;
        const int n = int(obiekty.size());
        TAtrybutyObiektCollection &atrybuty = *Atrybuty();
        for (int i = 0; i < atrybuty.Count(); ++i)
            atrybuty.Items(i)->WartoscZrodlowa = atrybuty.Items(i)->Wartosc;
        for (const RObiektKlienta &o : obiekty) {
            const bool wyzerowany = zerowane.contains(o.Id);
            for (int i = 0; i < atrybuty.Count(); ++i) {
                TAtrybutyObiektCollectionItem &item = *atrybuty.Items(i);
                item.ObiektID = o.Id;
                item.ObiektTyp = o.Typ;
                item.ObiektNowy = false;
                item.StatusZapisu = szBezZmian;
                const double wartosc = Udzial(item.WartoscZrodlowa, n);
                item.Wartosc = Variant(wartosc);
                // The zeroing has set every figure to 0: nothing else is written.
                if (wartosc > 0)
                    wyzerowany ? ZapiszPoZerowaniu(item, o.Atrybuty.contains(item.NumerAtrybutu)) : item.SaveAtrybut();
                else if (&o == &obiekty.first())
                    m_dm.Log()->Info(3,
                                     QStringLiteral(" Atrybut nr: %1 klienta o numerze ERP ID = \"%2\": wartość %3 nie jest "
                                                    "dodatnia\r\n      Atrybut nie został zapisany (pozostaje 0)")
                                         .arg(item.NumerAtrybutu)
                                         .arg(erpId, item.WartoscZrodlowa.toString()));
                if (StatusZapisu == szBezZmian && item.StatusZapisu != szBezZmian)
                    StatusZapisu = item.StatusZapisu;
            }
            m_obiekty.append(o.Id);
        }
        return true;
    });
}

} // namespace pelk
