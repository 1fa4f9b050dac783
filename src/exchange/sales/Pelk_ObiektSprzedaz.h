#pragma once
// The GIS side of the sales exchange: the figures of one ERP customer written as attribute
// values of every active GIS object that carries the customer's ERP id, shared equally.
#include "gisdb/Pelk_Obiekt.h"

namespace pelk {

class TDM_Sprzedaz;

class TPelk_ObiektSprzedaz : public TPelk_Obiekt
{
    Q_OBJECT
public:
    TPelk_ObiektSprzedaz(TDM_Main &dm, TDM_Sprzedaz &sprzedaz, QObject *parent = nullptr);

    // SaveObiektSprzedaz in one transaction; once committed, the status is counted and the
    // objects join the run's set objects. A customer on no active GIS object is refused
    // (element.Refused): it has nothing to store.
    bool SaveObjectData(RObiekt &element) override;

    // For each object found by EXID and each attribute item: the delivered value divided by
    // the number of objects, rounded to three decimals, saved when greater than 0; on an
    // object no earlier element of the run has set, in place of the figure there, and every
    // other figure of the object set to 0. The status is the first one other than unchanged.
    // False when no object carries the id or a figure could not be set to 0.
    bool SaveObiektSprzedaz();

    // The delivered value divided by n, rounded to three decimals.
    static double Udzial(const Variant &wartosc, int n);

private:
    // The figures of one of the customer's `n` objects, with the rows it holds and their stored
    // figures (`wiersze`); `pierwszy`: the first object, which logs the figures not written.
    bool ZapiszObiekt(int id, int typ, QHash<int, QString> &wiersze, int n, bool pierwszy);

    TDM_Sprzedaz &m_sprzedaz;
    QList<int> m_obiekty; // the objects SaveObiektSprzedaz wrote to
    bool m_brakObiektu = false;
};

} // namespace pelk
