#pragma once
// The GIS visit: one WIZYTA row per representative object and day with one WIZYTA_OBIEKT row
// per customer or distributor visited; inserted or updated with every changed field logged.
#include "config/ObjectCollection.h"
#include "engine/InterfaceObject.h"
#include "gisdb/Pelk_Obiekt.h"

#include <QSet>

namespace pelk {

class TDM_Wizyta;

class TPelk_WizytaPozycjeCollectionItem : public TObjectCollectionItem
{
    Q_OBJECT
    Q_PROPERTY(pelk::Variant ObiektID MEMBER ObiektID)
    Q_PROPERTY(pelk::Variant ObiektEXID MEMBER ObiektEXID)
    Q_PROPERTY(int Sort MEMBER Sort)
    Q_PROPERTY(pelk::Variant GodzinaOd MEMBER GodzinaOd)
    Q_PROPERTY(pelk::Variant GodzinaDo MEMBER GodzinaDo)
    Q_PROPERTY(pelk::Variant Czas MEMBER Czas)
    Q_PROPERTY(QString Opis MEMBER Opis)
    Q_PROPERTY(pelk::Variant Num1 MEMBER Num1)
public:
    Q_INVOKABLE explicit TPelk_WizytaPozycjeCollectionItem(pelk::TObjectCollection *collection);

    Variant ObiektID;   // WIO_ID_OB, set by CheckMandatory
    Variant ObiektEXID; // the customer's or distributor's external id
    int Sort = 0;
    Variant GodzinaOd, GodzinaDo; // "yyyy-mm-dd hh:nn:ss"
    Variant Czas;
    QString Opis;
    Variant Num1;

    // Set by the visit before each save.
    int WizytaID = 0;
    bool Nowa = false; // the stop's visit was inserted by this save
    quint8 StatusZapisu = szBezZmian;
    // Set by CheckMandatory: the stop was rejected for its data (nothing of it written), as
    // opposed to failing on the database.
    bool Odrzucona = false;

    bool CheckMandatory();
    // `objectsWritten`: the GIS objects of the visit's stops written by this save so far.
    bool SaveWizytaObiekt(QSet<int> &objectsWritten);
    bool InsertWizytaObiekt();
    bool UpdateWizytaObiekt();

private:
    TDM_Main &DM() const;
    TDM_Wizyta &Wiz() const;
};

class TPelk_WizytaPozycjeCollection : public TObjectCollection
{
    Q_OBJECT
public:
    TPelk_WizytaPozycjeCollection(TDM_Main &dm, TDM_Wizyta &wiz, QObject *parent = nullptr);
    TPelk_WizytaPozycjeCollectionItem *Add()
    {
        return static_cast<TPelk_WizytaPozycjeCollectionItem *>(TObjectCollection::Add());
    }
    TPelk_WizytaPozycjeCollectionItem *Items(int i) const { return ItemAs<TPelk_WizytaPozycjeCollectionItem>(i); }
    TDM_Main &DM() const { return m_dm; }
    TDM_Wizyta &Wiz() const { return m_wiz; }

private:
    TDM_Main &m_dm;
    TDM_Wizyta &m_wiz;
};

class TPelk_Wizyta : public TInterfaceObject
{
    Q_OBJECT
    Q_PROPERTY(pelk::Variant ID MEMBER ID)
    Q_PROPERTY(pelk::Variant EXID MEMBER EXID)
    Q_PROPERTY(QString Nazwa MEMBER Nazwa)
    Q_PROPERTY(pelk::Variant ObiektID MEMBER ObiektID)
    Q_PROPERTY(pelk::Variant ObiektEXID MEMBER ObiektEXID)
    Q_PROPERTY(pelk::Variant Data MEMBER Data)
    Q_PROPERTY(pelk::Variant Dlugosc MEMBER Dlugosc)
    Q_PROPERTY(pelk::Variant Czas MEMBER Czas)
    Q_PROPERTY(pelk::Variant Ilosc MEMBER Ilosc)
    Q_PROPERTY(pelk::TPelk_WizytaPozycjeCollection *WizytaPozycje READ WizytaPozycje)
    Q_CLASSINFO("olestr:Nazwa", "")
public:
    TPelk_Wizyta(TDM_Main &dm, TDM_Wizyta &wiz, QObject *parent = nullptr);

    Variant ID; // WIZ_ID, set by the save
    Variant EXID;
    QString Nazwa;                // made up as "<Data>.<ObiektEXID>" when empty
    Variant ObiektID;             // WIZ_ID_OB: the representative's GIS object, set by CheckMandatory
    Variant ObiektEXID;           // the representative's external id (GIS object of type 103)
    Variant Data;                 // "yyyy-mm-dd"
    Variant Dlugosc, Czas, Ilosc; // Ilosc: the number of stops when empty
    TPelk_WizytaPozycjeCollection *WizytaPozycje() const { return m_pozycje; }

    bool Nowa = false; // no visit of this object and day existed
    quint8 StatusZapisu = szBezZmian;

    // Stores the visit and its stops in one transaction and counts the result. A visit with
    // stops refused for their data keeps what was written but fails (not counted), so that its
    // file stays and the next run adds the missing stops; a database failure stores nothing.
    bool SaveObjectData(RObiekt &element) override;

    bool CheckMandatory();
    bool SaveWizyta();
    bool InsertWizyta();
    bool UpdateWizyta();
    // Saves every stop (after a refused one the others still); `status` takes the first
    // changed stop's status while it is unchanged. True when every stop was saved.
    bool SaveWizytaPozycje(quint8 &status);

private:
    TDM_Wizyta &m_wiz;
    TPelk_WizytaPozycjeCollection *m_pozycje;
    // Stops refused for their data in this save, once every stop was tried (0 otherwise).
    int m_odrzucone = 0;
};

} // namespace pelk
