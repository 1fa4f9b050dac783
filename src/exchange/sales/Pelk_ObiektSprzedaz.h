#pragma once
// The GIS side of the sales exchange: the figures of one ERP customer written as attribute
// values of every active GIS object that carries the customer's ERP id, shared equally.
#include "gisdb/Pelk_Obiekt.h"

namespace pelk {

class TDM_Obiekt;

class TPelk_ObiektSprzedaz : public TPelk_Obiekt
{
    Q_OBJECT
public:
    TPelk_ObiektSprzedaz(TDM_Main &dm, TDM_Obiekt &obiekty, QObject *parent = nullptr);

    bool LoadObjectData(RObiekt &element) override;
    // SaveObiektSprzedaz in one transaction; the status counted once committed.
    bool SaveObjectData(RObiekt &element) override;

    // For each object found by EXID and each attribute item: the delivered value divided by
    // the number of objects, rounded to three decimals, saved when greater than 0. The status
    // is the first one other than unchanged. False when no object carries the id.
    bool SaveObiektSprzedaz();

    // The delivered value divided by n, rounded to three decimals.
    static double Udzial(const Variant &wartosc, int n);

private:
    TDM_Obiekt &m_obiekty;
};

} // namespace pelk
