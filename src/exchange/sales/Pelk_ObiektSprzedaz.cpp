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

// One GIS object of a customer and the sales attributes it holds a row of, with their figures
// as stored (a null text for NULL).
struct RObiektKlienta
{
    int Id = 0;
    int Typ = 0;
    QHash<int, QString> Atrybuty;
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
        if (!atrybut.IsNull()) {
            const Field wartosc = q.FieldByName(QStringLiteral("ATO_VAR_DEC"));
            obiekty.last().Atrybuty.insert(atrybut.AsInteger(), wartosc.IsNull() ? QString() : wartosc.AsString());
        }
    }
    return obiekty;
}

// The item's value in place of the previous run's figure, without a read of its own: where the
// object holds a row of the attribute, an update when the stored figure differs (logged with
// it), else an insert. True when the value is in place; any other attribute type is
// SaveAtrybut's.
bool ZapiszZamiast(TAtrybutyObiektCollectionItem &item, QHash<int, QString> &wiersze)
{
    if (!item.CheckMandatory())
        return false;
    if (item.TypAtrybutu != taDziesietna || !TDM_PelkFun::IsObiektTyp(item.ObiektTyp)) {
        item.SaveAtrybut();
        return false;
    }
    const auto stored = wiersze.constFind(item.NumerAtrybutu);
    if (stored == wiersze.cend()) {
        if (!item.InsertAtrybut())
            return false;
        wiersze.insert(item.NumerAtrybutu, item.Wartosc.toString());
        return true;
    }
    // An item not marked as edited is not written: its figure is 0, as after a zeroing of all.
    item.StaraWartosc = Variant(*stored);
    return item.Edytowany && item.UpdateAtrybut();
}

// The rows of figures other than 0 (or NULL) among those not written: the ones to set to 0.
QSet<int> DoWyzerowania(const QHash<int, QString> &wiersze, const QSet<int> &zapisane)
{
    QSet<int> out;
    for (auto it = wiersze.cbegin(); it != wiersze.cend(); ++it)
        if (!zapisane.contains(it.key()) && (it->isNull() || !TakieSameLiczby(*it, QStringLiteral("0"))))
            out.insert(it.key());
    return out;
}

} // namespace

TPelk_ObiektSprzedaz::TPelk_ObiektSprzedaz(TDM_Main &dm, TDM_Sprzedaz &sprzedaz, QObject *parent)
    : TPelk_Obiekt(dm, parent), m_sprzedaz(sprzedaz)
{}

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
        QList<RObiektKlienta> obiekty = ObiektyKlienta(m_sprzedaz.Q_ObiektyByERPID);
        if (obiekty.isEmpty()) {
            m_brakObiektu = true;
            m_dm.Log()->Error(2,
                              QStringLiteral(" Brak w systemie %1 Klient/Dystrybutora o numerze ERP ID = \"%2\" \r\n"
                                             "      Obiekt nie został zapisany")
                                  .arg(QStringLiteral("Pelk·GIS Trasar"), erpId));
            return false;
        }
        const int n = int(obiekty.size());
        TAtrybutyObiektCollection &atrybuty = *Atrybuty();
        for (int i = 0; i < atrybuty.Count(); ++i)
            atrybuty.Items(i)->WartoscZrodlowa = atrybuty.Items(i)->Wartosc;
        for (int k = 0; k < n; ++k) {
            if (!ZapiszObiekt(obiekty[k].Id, obiekty[k].Typ, obiekty[k].Atrybuty, n, k == 0))
                return false;
            m_obiekty.append(obiekty[k].Id);
        }
        return true;
    });
}

bool TPelk_ObiektSprzedaz::ZapiszObiekt(int id, int typ, QHash<int, QString> &wiersze, int n, bool pierwszy)
{
    // The customer's figures replace the previous run's in its own transaction: no one sees
    // them at 0 while the run goes on, and a run that breaks off leaves them whole. An object an
    // earlier customer of the run has set keeps that customer's figures and gets this one's on
    // top, as after one zeroing of all.
    TAtrybutyObiektCollection &atrybuty = *Atrybuty();
    const bool ustawiony = m_sprzedaz.Ustawione.contains(id);
    QSet<int> zapisane;
    for (int i = 0; i < atrybuty.Count(); ++i) {
        TAtrybutyObiektCollectionItem &item = *atrybuty.Items(i);
        item.ObiektID = id;
        item.ObiektTyp = typ;
        item.ObiektNowy = false;
        item.StatusZapisu = szBezZmian;
        const double wartosc = Udzial(item.WartoscZrodlowa, n);
        item.Wartosc = Variant(wartosc);
        // Figures of 0 or less are not written: they are 0.
        if (wartosc <= 0) {
            if (pierwszy)
                m_dm.Log()->Info(3,
                                 QStringLiteral(" Atrybut nr: %1 klienta o numerze ERP ID = \"%2\": wartość %3 nie "
                                                "jest dodatnia\r\n      Atrybut nie został zapisany (pozostaje 0)")
                                     .arg(item.NumerAtrybutu)
                                     .arg(EXID.toString(), item.WartoscZrodlowa.toString()));
        } else if (ustawiony) {
            item.SaveAtrybut();
        } else if (ZapiszZamiast(item, wiersze)) {
            zapisane.insert(item.NumerAtrybutu);
        }
        if (StatusZapisu == szBezZmian && item.StatusZapisu != szBezZmian)
            StatusZapisu = item.StatusZapisu;
    }
    if (ustawiony)
        return true;
    // What was not written this time is 0, as after a zeroing of all figures.
    const QSet<int> zerowane = DoWyzerowania(wiersze, zapisane);
    if (!m_sprzedaz.ZerujAtrybuty(id, zerowane))
        return false;
    if (StatusZapisu == szBezZmian && !zerowane.isEmpty())
        StatusZapisu = szZmieniony;
    return true;
}

} // namespace pelk
