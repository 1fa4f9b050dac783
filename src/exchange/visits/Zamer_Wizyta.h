#pragma once
// The CRM record of a visit: one representative's activities at customers on one day, in time
// order; the source-layout file of the kind "Wizyta".
#include "DM_Wizyta.h"
#include "config/ObjectCollection.h"
#include "engine/InterfaceObject.h"

namespace pelk {

// Whole seconds from `od` to `doDnia`, exact to the millisecond the values carry (08:00:00 to
// 08:30:00 is 1800), truncated towards zero.
qint64 CzasWSekundach(TDateTime od, TDateTime doDnia);

class TZamer_WizytaPozycjeCollectionItem : public TObjectCollectionItem
{
    Q_OBJECT
    Q_PROPERTY(pelk::Variant ObiektID MEMBER ObiektID)
    Q_PROPERTY(pelk::Variant ObiektEXID MEMBER ObiektEXID)
    Q_PROPERTY(int Sort MEMBER Sort)
    Q_PROPERTY(pelk::Variant GodzinaOd MEMBER GodzinaOd)
    Q_PROPERTY(pelk::Variant GodzinaDo MEMBER GodzinaDo)
    Q_PROPERTY(pelk::Variant Czas MEMBER Czas)
    Q_PROPERTY(pelk::Variant KodWizyty MEMBER KodWizyty)
    Q_PROPERTY(QString Opis MEMBER Opis)
public:
    Q_INVOKABLE explicit TZamer_WizytaPozycjeCollectionItem(pelk::TObjectCollection *collection);

    Variant ObiektID;             // the customer number, as read
    Variant ObiektEXID;           // never filled
    int Sort = 0;                 // 1 for the day's first activity
    Variant GodzinaOd, GodzinaDo; // "yyyy-mm-dd hh:nn:ss"
    Variant Czas;                 // seconds, as a floating-point value
    Variant KodWizyty;            // the activity code, as read
    QString Opis;                 // the code's description
};

class TZamer_WizytaPozycjeCollection : public TObjectCollection
{
    Q_OBJECT
public:
    explicit TZamer_WizytaPozycjeCollection(QObject *parent = nullptr);
    TZamer_WizytaPozycjeCollectionItem *Add()
    {
        return static_cast<TZamer_WizytaPozycjeCollectionItem *>(TObjectCollection::Add());
    }
    TZamer_WizytaPozycjeCollectionItem *Items(int i) const { return ItemAs<TZamer_WizytaPozycjeCollectionItem>(i); }
};

class TZamer_Wizyta : public TInterfaceObject
{
    Q_OBJECT
    Q_PROPERTY(pelk::Variant ObiektID MEMBER ObiektID)
    Q_PROPERTY(pelk::Variant ObiektEXID MEMBER ObiektEXID)
    Q_PROPERTY(pelk::Variant Data MEMBER Data)
    Q_PROPERTY(pelk::TZamer_WizytaPozycjeCollection *WizytaPozycje READ WizytaPozycje)
public:
    TZamer_Wizyta(TDM_Main &dm, TDM_Wizyta &crm, QObject *parent = nullptr);

    Variant ObiektID;   // the representative's CRM user id as text
    Variant ObiektEXID; // never filled
    Variant Data;       // the day, "yyyy-mm-dd"
    TZamer_WizytaPozycjeCollection *WizytaPozycje() const { return m_pozycje; }
    int DzienWizyty = 0; // the day number (days since 1899-12-30)

    // Reads the representative-day of the element (Key, Text1: representative, Number: day).
    // Sets element.Refused when the CRM answered but the day cannot be exchanged.
    bool LoadObjectData(RObiekt &element) override;

    bool LoadWizyta();
    bool GetWizyta();
    bool GetPozycjeWizyta();

private:
    TDM_Wizyta &m_crm;
    TZamer_WizytaPozycjeCollection *m_pozycje;
    bool m_answered = false;        // the CRM answered for the day
    QList<RAktywnosc> m_aktywnosci; // the day's activities, by GetWizyta
};

} // namespace pelk
