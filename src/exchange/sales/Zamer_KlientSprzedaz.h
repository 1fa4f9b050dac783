#pragma once
// The ERP sales record of one customer: the source-layout file of the kind "Sprzedaz", one
// position (GIS attribute number and value) per figure the sales queue collected.
#include "config/ObjectCollection.h"
#include "gisdb/Zamer_KlientDane.h"

namespace pelk {

class TDM_Sprzedaz;

class TZamer_KlientSprzedazPozycjaCollectionItem : public TObjectCollectionItem
{
    Q_OBJECT
    Q_PROPERTY(QString Atrybut MEMBER Atrybut)
    Q_PROPERTY(pelk::Variant Wartosc MEMBER Wartosc)
    Q_CLASSINFO("olestr:Atrybut", "")
public:
    Q_INVOKABLE explicit TZamer_KlientSprzedazPozycjaCollectionItem(pelk::TObjectCollection *collection);

    QString Atrybut; // GIS attribute number as decimal text
    Variant Wartosc; // floating-point
};

class TZamer_KlientSprzedazPozycjaCollection : public TObjectCollection
{
    Q_OBJECT
public:
    explicit TZamer_KlientSprzedazPozycjaCollection(QObject *parent = nullptr);
    TZamer_KlientSprzedazPozycjaCollectionItem *Add()
    {
        return static_cast<TZamer_KlientSprzedazPozycjaCollectionItem *>(TObjectCollection::Add());
    }
    TZamer_KlientSprzedazPozycjaCollectionItem *Items(int i) const
    {
        return ItemAs<TZamer_KlientSprzedazPozycjaCollectionItem>(i);
    }
};

class TZamer_KlientSprzedaz : public TZamer_KlientDane
{
    Q_OBJECT
    Q_PROPERTY(pelk::TZamer_KlientSprzedazPozycjaCollection *SprzedazPozycja READ SprzedazPozycja)
public:
    TZamer_KlientSprzedaz(TDM_Main &dm, TDM_Sprzedaz &sprzedaz, QObject *parent = nullptr);

    TZamer_KlientSprzedazPozycjaCollection *SprzedazPozycja() const { return m_pozycje; }

    // ID := ObjectID and the customer's positions from the sales table; no database is read.
    bool LoadObjectData(RObiekt &element) override;

    bool LoadKlientSprzedaz();

private:
    TDM_Sprzedaz &m_sprzedaz;
    TZamer_KlientSprzedazPozycjaCollection *m_pozycje;
};

} // namespace pelk
