#pragma once
// The GIS object of the customer and distributor exchange: one OBIEKT row with its address
// (ADRES) and attribute values (ATRYBUT_OBIEKT), inserted or updated with every change logged.
#include "DM_PelkFun.h"
#include "RowChanges.h"
#include "config/ObjectCollection.h"
#include "config/Variant.h"
#include "db/Connection.h"
#include "engine/InterfaceObject.h"

namespace pelk {

class TDM_Main;
class TDM_PelkFun;

// Decimal text with "." as point and trailing zeros after the point removed (the point stays).
QString NormalizujLiczbe(const QString &text);
// Equal numbers (by value), or equal normalised texts when either is no number.
bool TakieSameLiczby(const QString &a, const QString &b);
// Whether a decimal attribute's stored value (as read back) already holds `value`. SQL Server
// reads a decimal back with exactly its column's scale ("0.00"), and stores a value with more
// decimals rounded half away from zero: a difference below that scale is no change there.
bool TakieSameDziesietne(const QString &stored, const QString &value, Dialect dialect);

class TPelk_ObiektAdres : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(int ID MEMBER ID)
    Q_PROPERTY(QString Kraj MEMBER Kraj)
    Q_PROPERTY(QString Kod MEMBER Kod)
    Q_PROPERTY(QString Miasto MEMBER Miasto)
    Q_PROPERTY(QString Ulica MEMBER Ulica)
    Q_PROPERTY(QString Numer1 MEMBER Numer1)
    Q_PROPERTY(QString Numer2 MEMBER Numer2)
    Q_PROPERTY(int Typ MEMBER Typ)
    Q_PROPERTY(int Aktywny MEMBER Aktywny)
public:
    TPelk_ObiektAdres(TDM_Main &dm, QObject *parent = nullptr);

    int ID = 0;
    QString Kraj, Kod, Miasto, Ulica, Numer1, Numer2;
    int Typ = 0;
    int Aktywny = 0;

    // Set by the owner before saving.
    int ObiektID = 0;
    int ObiektTyp = 0;
    bool ObiektNowy = false;
    quint8 StatusZapisu = szBezZmian;

    bool SaveAdres();
    bool CheckMandatory();
    bool InsertAdres();
    bool UpdateAdres();

private:
    TDM_Main &m_dm;
};

class TAtrybutyObiektCollection;

class TAtrybutyObiektCollectionItem : public TObjectCollectionItem
{
    Q_OBJECT
    Q_PROPERTY(int NumerAtrybutu MEMBER NumerAtrybutu)
    Q_PROPERTY(pelk::Variant NazwaAtrybutu MEMBER NazwaAtrybutu)
    Q_PROPERTY(pelk::Variant Wartosc MEMBER Wartosc)
    Q_PROPERTY(bool Edytowany MEMBER Edytowany)
public:
    Q_INVOKABLE explicit TAtrybutyObiektCollectionItem(pelk::TObjectCollection *collection);

    int NumerAtrybutu = 0;
    Variant NazwaAtrybutu;
    Variant Wartosc;
    bool Edytowany = false;

    // Set by the owner before saving.
    int ObiektID = 0;
    int ObiektTyp = 0;
    bool ObiektNowy = false;
    quint8 StatusZapisu = szBezZmian;
    Variant StaraWartosc;
    int TypAtrybutu = 0;
    Variant WartoscZrodlowa;
    // The object's stored values read by the owner in one statement; null: each attribute
    // reads its own.
    const QHash<int, TDM_PelkFun::RWartoscAtrybutu> *WartosciObiektu = nullptr;

    bool SaveAtrybut();
    bool CheckMandatory();
    bool InsertAtrybut();
    bool UpdateAtrybut();
    // The value bound for the attribute type: numbers checked and with "." as point, dates as
    // typed date-times (never a text the server would read by its own date format).
    Variant BoundValue() const;

private:
    TDM_Main &DM() const;
    // The stored value and type of the attribute for the object; false when it holds none.
    bool StoredValue();
};

class TAtrybutyObiektCollection : public TObjectCollection
{
    Q_OBJECT
public:
    TAtrybutyObiektCollection(TDM_Main &dm, QObject *parent = nullptr);
    TAtrybutyObiektCollectionItem *Add() { return static_cast<TAtrybutyObiektCollectionItem *>(TObjectCollection::Add()); }
    TAtrybutyObiektCollectionItem *Items(int i) const { return ItemAs<TAtrybutyObiektCollectionItem>(i); }
    TDM_Main &DM() const { return m_dm; }

private:
    TDM_Main &m_dm;
};

class TPelk_Obiekt : public TInterfaceObject
{
    Q_OBJECT
    Q_PROPERTY(int ObiektTyp MEMBER ObiektTyp)
    Q_PROPERTY(pelk::Variant ID MEMBER ID)
    Q_PROPERTY(pelk::Variant EXID MEMBER EXID)
    Q_PROPERTY(QString Nazwa MEMBER Nazwa)
    Q_PROPERTY(pelk::Variant XKM MEMBER XKM)
    Q_PROPERTY(pelk::Variant YKM MEMBER YKM)
    Q_PROPERTY(pelk::Variant XSTO MEMBER XSTO)
    Q_PROPERTY(pelk::Variant YSTO MEMBER YSTO)
    Q_PROPERTY(pelk::Variant Aktywny MEMBER Aktywny)
    Q_PROPERTY(pelk::TPelk_ObiektAdres *Adres READ Adres)
    Q_PROPERTY(pelk::TAtrybutyObiektCollection *Atrybuty READ Atrybuty)
    Q_CLASSINFO("olestr:Nazwa", "")
public:
    explicit TPelk_Obiekt(TDM_Main &dm, QObject *parent = nullptr);

    int ObiektTyp = 0;
    Variant ID;
    Variant EXID;
    QString Nazwa;
    Variant XKM, YKM, XSTO, YSTO;
    Variant Aktywny;
    TPelk_ObiektAdres *Adres() const { return m_adres; }
    TAtrybutyObiektCollection *Atrybuty() const { return m_atrybuty; }

    bool Nowy = false;
    quint8 StatusZapisu = szBezZmian;

    bool SaveObjectData(RObiekt &element) override;

    bool CheckMandatory();
    bool SaveObiekt();
    bool InsertObiekt();
    bool UpdateObiekt();
    bool SaveAdres(quint8 &status);
    bool SaveAtrybuty(quint8 &status);
    // The numbers of the attributes the object's values are given for.
    QList<int> NumeryAtrybutow();
    // Reads the user that gets permissions on new objects; false when the entry is missing or
    // empty. Throws when the entry holds no number.
    bool UzytkownikUprawnien(int &uzytkownikId);

protected:
    TDM_PelkFun &Fun() const;
    // Name slices and the coordinates given, as written to the object row (before OB_AKTYWNY).
    QList<QPair<QString, Variant>> Columns() const;

private:
    TPelk_ObiektAdres *m_adres;
    TAtrybutyObiektCollection *m_atrybuty;
};

} // namespace pelk
