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
#include <initializer_list>

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
    // The object of that type and external id. The objects of a type are read once per run in
    // one statement; an id not among them is asked for again (an object added during the run).
    bool GetObiektIDByEXID(const QString &exid, int typ, int &id);
    // The same for the first of the types that has the object: the objects of every type are
    // looked at before the database is asked for any.
    bool GetObiektIDByEXID(const QString &exid, std::initializer_list<int> typy, int &id);
    // Drops an id the run found to be gone (an object deleted during the run).
    void ForgetObiekt(const QString &exid, int typ);

    bool FindSlownikByNazwa(const QString &nazwa, int kategoria);
    // Found with an empty value: true and the output unchanged. A text that is no date-time
    // gives 0; one that is no integer throws EConvertError.
    bool GetSlownikData(const QString &nazwa, int kategoria, TDateTime &data);
    // Entries found are read once per run (an entry missing is asked for again).
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

    // The stored value of the attribute for the object as text; false when there is none.
    bool GetWartoscAtrybutu(int atrybutId, int obiektId, int &typ, Variant &wartosc);
    // The stored values of the object's attributes, by attribute number, in one statement (a
    // round trip per attribute costs more than the writes against a server across a network).
    struct RWartoscAtrybutu
    {
        int Typ = 0;
        Variant Wartosc;
    };
    QHash<int, RWartoscAtrybutu> GetWartosciAtrybutow(int obiektId, const QList<int> &atrybuty);

    // Never throws, never logs.
    bool InsertUprawnienia(int uzytkownikId, int obiektId);

    void CloseDataSets();

    // Queries of the lookups (open after a Find*).
    Query Q_Obiekt, Q_Slownik, Q_Atrybut, Q_WartoscAtrybutu;
    // Scratch query for statements.
    Query Q_EmptyQueryToExec;
    // The object and address rows written by the target objects.
    TableRow ObiektRow, AdresRow;

    Connection &GIS() const;
    Dialect SqlDialect() const;

private:
    bool Open(Query &q, const DialectSql &sql, const QList<QPair<QString, Variant>> &params);
    bool Open(Query &q, const QString &text, const QList<QPair<QString, Variant>> &params);
    // Forgets the cached definitions when a new run has begun.
    void StartOfRunCheck();
    // The objects of the type read at the start of the run.
    QHash<QString, int> &ObiektyTypu(int typ);

    TDM_Main &m_dm;
    int m_cacheRun = -1;
    QHash<QPair<QString, int>, QPair<int, int>> m_atrybutByNazwa; // (name, object type) -> (id, type)
    QHash<int, int> m_atrybutTyp;                                 // id -> type
    QHash<QPair<QString, int>, QString> m_slownikLiczba;          // (name, category) -> text
    QHash<int, QHash<QString, int>> m_obiektyTypu;                // object type -> external id -> OB_ID
};

} // namespace pelk
