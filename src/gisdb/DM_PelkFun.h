#pragma once
// Lookups in the GIS database (dictionary, objects, attributes, addresses), the last-exchange
// time of the incremental kinds and the permission grant on a new object. One instance per
// main data module; every query runs on its GIS connection.
#include "GisSql.h"
#include "config/DateTime.h"
#include "config/Variant.h"
#include "db/Query.h"
#include "db/TableRow.h"

#include <QHash>
#include <QObject>

namespace pelk {

class TDM_Main;

class TDM_PelkFun : public QObject
{
    Q_OBJECT
public:
    // Object types (dictionary ids).
    enum {
        TypKlient = 102,
        TypPracownik = 103,
        TypMagazyn = 104,
        TypBiuro = 105,
        TypPojazd = 106,
        TypTerytorium = 107,
        TypDystrybutor = 108
    };

    explicit TDM_PelkFun(TDM_Main &dm);
    ~TDM_PelkFun() override;
    // The module of this main data module, created on first use.
    static TDM_PelkFun &Of(TDM_Main &dm);

    static QString GetObiektTypNazwa(int typ);
    static bool IsObiektTyp(int typ) { return typ >= TypKlient && typ <= TypDystrybutor; }

    // Each Find* leaves its query open on the first row found; lookups do not catch errors.
    bool FindObiektByEXID(const QString &exid, int typ);
    bool GetObiektIDByEXID(const QString &exid, int typ, int &id);
    bool GetKlientID(const QString &exid, int &id) { return GetObiektIDByEXID(exid, TypKlient, id); }
    bool GetPracownikID(const QString &exid, int &id) { return GetObiektIDByEXID(exid, TypPracownik, id); }
    bool GetMagazynID(const QString &exid, int &id) { return GetObiektIDByEXID(exid, TypMagazyn, id); }
    bool GetBiuroID(const QString &exid, int &id) { return GetObiektIDByEXID(exid, TypBiuro, id); }
    bool GetPojazdID(const QString &exid, int &id) { return GetObiektIDByEXID(exid, TypPojazd, id); }
    bool GetTerytoriumID(const QString &exid, int &id) { return GetObiektIDByEXID(exid, TypTerytorium, id); }
    bool GetDystrybutorID(const QString &exid, int &id) { return GetObiektIDByEXID(exid, TypDystrybutor, id); }

    bool FindSlownikByNazwa(const QString &nazwa, int kategoria);
    // Found with an empty value: true and the output unchanged. A text that is no date-time
    // gives 0; one that is no integer throws EConvertError.
    bool GetSlownikData(const QString &nazwa, int kategoria, TDateTime &data);
    bool GetSlownikLiczba(const QString &nazwa, int kategoria, int &liczba);
    // Stores the date-time as "yyyy-mm-dd hh:nn:ss"; a missing entry is left alone. False
    // (logged) when the statement failed.
    bool SetSlownikData(const QString &nazwa, int kategoria, TDateTime data);

    bool FindAtrybutByID(int atrybutId);
    // The two attribute-definition look-ups read each definition once per run (the elements of
    // a run ask for the same few definitions over and over); a definition not found is asked
    // for again.
    bool GetAtrybutTyp(int atrybutId, int &typ);
    bool FindAtrybutByNazwa(const QString &nazwa, int obiektTyp);
    bool GetAtrybutByNazwa(const QString &nazwa, int obiektTyp, int &atrybutId, int &typ);
    bool GetAtrybutKlient(const QString &n, int &id, int &t) { return GetAtrybutByNazwa(n, TypKlient, id, t); }
    bool GetAtrybutPracownik(const QString &n, int &id, int &t) { return GetAtrybutByNazwa(n, TypPracownik, id, t); }
    bool GetAtrybutMagazyn(const QString &n, int &id, int &t) { return GetAtrybutByNazwa(n, TypMagazyn, id, t); }
    bool GetAtrybutBiuro(const QString &n, int &id, int &t) { return GetAtrybutByNazwa(n, TypBiuro, id, t); }
    bool GetAtrybutPojazd(const QString &n, int &id, int &t) { return GetAtrybutByNazwa(n, TypPojazd, id, t); }
    bool GetAtrybutTerytorium(const QString &n, int &id, int &t) { return GetAtrybutByNazwa(n, TypTerytorium, id, t); }
    bool GetAtrybutDystrybutor(const QString &n, int &id, int &t) { return GetAtrybutByNazwa(n, TypDystrybutor, id, t); }

    // The stored value of the attribute for the object as text; false when there is none.
    bool GetWartoscAtrybutu(int atrybutId, int obiektId, int &typ, Variant &wartosc);
    bool GetWartoscAtrybutuKlient(int a, int o, int &t, Variant &w) { return GetWartoscAtrybutu(a, o, t, w); }
    bool GetWartoscAtrybutuPracownik(int a, int o, int &t, Variant &w) { return GetWartoscAtrybutu(a, o, t, w); }
    bool GetWartoscAtrybutuMagazyn(int a, int o, int &t, Variant &w) { return GetWartoscAtrybutu(a, o, t, w); }
    bool GetWartoscAtrybutuBiuro(int a, int o, int &t, Variant &w) { return GetWartoscAtrybutu(a, o, t, w); }
    bool GetWartoscAtrybutuPojazd(int a, int o, int &t, Variant &w) { return GetWartoscAtrybutu(a, o, t, w); }
    bool GetWartoscAtrybutuTerytorium(int a, int o, int &t, Variant &w) { return GetWartoscAtrybutu(a, o, t, w); }
    bool GetWartoscAtrybutuDystrybutor(int a, int o, int &t, Variant &w) { return GetWartoscAtrybutu(a, o, t, w); }

    // The active address of that type.
    bool GetAdresID(int obiektId, int adresTyp, int &adresId);
    // Never throws, never logs.
    bool InsertUprawnienia(int uzytkownikId, int obiektId);

    void CloseDataSets();

    // Queries of the lookups (open after a Find*).
    Query Q_Obiekt, Q_Slownik, Q_Atrybut, Q_WartoscAtrybutu, Q_Adres;
    // Scratch query for statements.
    Query Q_EmptyQueryToExec;
    // The object and address rows written by the target objects.
    TableRow ObiektRow, AdresRow;

    TDM_Main &Main() const { return m_dm; }
    Connection &GIS() const;
    Dialect SqlDialect() const;

private:
    bool Open(Query &q, const DialectSql &sql, const QList<QPair<QString, Variant>> &params);
    // Forgets the cached definitions when a new run has begun.
    void StartOfRunCheck();

    TDM_Main &m_dm;
    int m_cacheRun = -1;
    QHash<QPair<QString, int>, QPair<int, int>> m_atrybutByNazwa; // (name, object type) -> (id, type)
    QHash<int, int> m_atrybutTyp;                                 // id -> type
};

} // namespace pelk
