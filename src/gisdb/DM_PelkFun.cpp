#include "DM_PelkFun.h"

#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Process.h"
#include "config/Common.h"
#include "config/Errors.h"

namespace pelk {

TDM_PelkFun::TDM_PelkFun(TDM_Main &dm)
    : QObject(&dm), Q_Obiekt(dm.ADOConnection_PelkGIS), Q_Slownik(dm.ADOConnection_PelkGIS), Q_Atrybut(dm.ADOConnection_PelkGIS),
      Q_WartoscAtrybutu(dm.ADOConnection_PelkGIS), Q_EmptyQueryToExec(dm.ADOConnection_PelkGIS),
      ObiektRow(dm.ADOConnection_PelkGIS, GisSql::ObiektTable(), {QStringLiteral("OB_ID")}, GisSql::ObiektFields()),
      AdresRow(dm.ADOConnection_PelkGIS, GisSql::AdresTable(), {QStringLiteral("ADR_ID")}, GisSql::AdresFields()), m_dm(dm)
{}

TDM_PelkFun::~TDM_PelkFun()
{
    CloseDataSets();
}

TDM_PelkFun &TDM_PelkFun::Of(TDM_Main &dm)
{
    if (auto *existing = dm.findChild<TDM_PelkFun *>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new TDM_PelkFun(dm);
}

Connection &TDM_PelkFun::GIS() const
{
    return m_dm.ADOConnection_PelkGIS;
}

Dialect TDM_PelkFun::SqlDialect() const
{
    return GIS().SqlDialect();
}

QString TDM_PelkFun::GetObiektTypNazwa(int typ)
{
    switch (typ) {
    case TypKlient: return QStringLiteral("KLIENT");
    case TypPracownik: return QStringLiteral("PRACOWNIK");
    case TypMagazyn: return QStringLiteral("MAGAZYN");
    case TypBiuro: return QStringLiteral("BIURO");
    case TypPojazd: return QStringLiteral("POJAZD");
    case TypTerytorium: return QStringLiteral("TERYTORIUM");
    case TypDystrybutor: return QStringLiteral("DYSTRYBUTOR");
    default: return QStringLiteral("NIEZNANY");
    }
}

bool TDM_PelkFun::Open(Query &q, const DialectSql &sql, const QList<QPair<QString, Variant>> &params)
{
    return Open(q, sql.For(SqlDialect()), params);
}

bool TDM_PelkFun::Open(Query &q, const QString &text, const QList<QPair<QString, Variant>> &params)
{
    q.SetSQL(text);
    for (const auto &p : params)
        q.SetParam(p.first, p.second);
    q.Open();
    return !q.IsEmpty();
}

bool TDM_PelkFun::FindObiektByEXID(const QString &exid, int typ)
{
    return Open(Q_Obiekt, GisSql::FindObiektByEXID(),
                {{QStringLiteral("ObiektEXID"), Variant(exid)}, {QStringLiteral("Typ"), Variant(typ)}});
}

QHash<QString, int> &TDM_PelkFun::ObiektyTypu(int typ)
{
    StartOfRunCheck();
    if (const auto it = m_obiektyTypu.find(typ); it != m_obiektyTypu.end())
        return *it;
    QHash<QString, int> &ids = m_obiektyTypu[typ];
    Open(Q_Obiekt, GisSql::ObiektyTypu(), {{QStringLiteral("Typ"), Variant(typ)}});
    for (Q_Obiekt.First(); !Q_Obiekt.Eof(); Q_Obiekt.Next())
        ids.insert(Q_Obiekt.FieldByName(QStringLiteral("OB_EXID")).AsString(),
                   Q_Obiekt.FieldByName(QStringLiteral("OB_ID")).AsInteger());
    return ids;
}

bool TDM_PelkFun::GetObiektIDByEXID(const QString &exid, int typ, int &id)
{
    return GetObiektIDByEXID(exid, {typ}, id);
}

bool TDM_PelkFun::GetObiektIDByEXID(const QString &exid, std::initializer_list<int> typy, int &id)
{
    for (int typ : typy) {
        const QHash<QString, int> &ids = ObiektyTypu(typ);
        if (const auto it = ids.constFind(exid); it != ids.constEnd()) {
            id = *it;
            return true;
        }
    }
    // Not there when the run began (or spelled otherwise than the database compares): asked
    // for again, so that an object added during the run is found.
    for (int typ : typy)
        if (FindObiektByEXID(exid, typ)) {
            id = Q_Obiekt.FieldByName(QStringLiteral("OB_ID")).AsInteger();
            ObiektyTypu(typ).insert(exid, id);
            return true;
        }
    return false;
}

void TDM_PelkFun::ForgetObiekt(const QString &exid, int typ)
{
    if (const auto it = m_obiektyTypu.find(typ); it != m_obiektyTypu.end())
        it->remove(exid);
}

bool TDM_PelkFun::FindSlownikByNazwa(const QString &nazwa, int kategoria)
{
    return Open(Q_Slownik, GisSql::FindSlownikByNazwa(),
                {{QStringLiteral("SlownikNazwa"), Variant::OleStr(nazwa)}, {QStringLiteral("KategID"), Variant(kategoria)}});
}

bool TDM_PelkFun::GetSlownikData(const QString &nazwa, int kategoria, TDateTime &data)
{
    if (!FindSlownikByNazwa(nazwa, kategoria))
        return false;
    const QString text = Q_Slownik.FieldByName(QStringLiteral("SLO_TXT1")).AsString();
    if (!text.isEmpty())
        data = StrToDateTimeByFormat(QStringLiteral("yyyy-mm-dd hh:nn:ss"), text);
    return true;
}

bool TDM_PelkFun::GetSlownikLiczba(const QString &nazwa, int kategoria, int &liczba)
{
    StartOfRunCheck();
    const QPair<QString, int> key(nazwa, kategoria);
    auto found = m_slownikLiczba.constFind(key);
    if (found == m_slownikLiczba.constEnd()) {
        if (!FindSlownikByNazwa(nazwa, kategoria))
            return false;
        found = m_slownikLiczba.insert(key, Q_Slownik.FieldByName(QStringLiteral("SLO_TXT1")).AsString());
    }
    const QString &text = *found;
    if (text.isEmpty())
        return true;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    liczba = value;
    return true;
}

bool TDM_PelkFun::SetSlownikData(const QString &nazwa, int kategoria, TDateTime data)
{
    return m_dm.Db().ExecSQLQuery(Q_EmptyQueryToExec, GisSql::SetSlownikData().For(SqlDialect()),
                                  {{QStringLiteral("Wartosc"), Variant::OleStr(DateTimeToText(data))},
                                   {QStringLiteral("SlownikNazwa"), Variant::OleStr(nazwa)},
                                   {QStringLiteral("KategID"), Variant(kategoria)}});
}

bool TDM_PelkFun::FindAtrybutByID(int atrybutId)
{
    return Open(Q_Atrybut, GisSql::FindAtrybutByID(), {{QStringLiteral("AtrybutID"), Variant(atrybutId)}});
}

void TDM_PelkFun::StartOfRunCheck()
{
    const int run = m_dm.Process()->RunSerial();
    if (run == m_cacheRun)
        return;
    m_cacheRun = run;
    m_atrybutByNazwa.clear();
    m_atrybutTyp.clear();
    m_slownikLiczba.clear();
    m_obiektyTypu.clear();
}

bool TDM_PelkFun::GetAtrybutTyp(int atrybutId, int &typ)
{
    StartOfRunCheck();
    if (const auto it = m_atrybutTyp.constFind(atrybutId); it != m_atrybutTyp.constEnd()) {
        typ = *it;
        return true;
    }
    if (!FindAtrybutByID(atrybutId))
        return false;
    typ = Q_Atrybut.FieldByName(QStringLiteral("ATR_TYP")).AsInteger();
    m_atrybutTyp.insert(atrybutId, typ);
    return true;
}

bool TDM_PelkFun::FindAtrybutByNazwa(const QString &nazwa, int obiektTyp)
{
    return Open(Q_Atrybut, GisSql::FindAtrybutByNazwa(),
                {{QStringLiteral("AtrybutNazwa"), Variant(nazwa)}, {QStringLiteral("AtrybutObiektTyp"), Variant(obiektTyp)}});
}

bool TDM_PelkFun::GetAtrybutByNazwa(const QString &nazwa, int obiektTyp, int &atrybutId, int &typ)
{
    StartOfRunCheck();
    const QPair<QString, int> key(nazwa, obiektTyp);
    if (const auto it = m_atrybutByNazwa.constFind(key); it != m_atrybutByNazwa.constEnd()) {
        atrybutId = it->first;
        typ = it->second;
        return true;
    }
    if (!FindAtrybutByNazwa(nazwa, obiektTyp))
        return false;
    atrybutId = Q_Atrybut.FieldByName(QStringLiteral("ATR_ID")).AsInteger();
    typ = Q_Atrybut.FieldByName(QStringLiteral("ATR_TYP")).AsInteger();
    m_atrybutByNazwa.insert(key, {atrybutId, typ});
    m_atrybutTyp.insert(atrybutId, typ);
    return true;
}

bool TDM_PelkFun::GetWartoscAtrybutu(int atrybutId, int obiektId, int &typ, Variant &wartosc)
{
    if (!Open(Q_WartoscAtrybutu, GisSql::GetWartoscAtrybutu(),
              {{QStringLiteral("AtrybutID"), Variant(atrybutId)}, {QStringLiteral("ObiektID"), Variant(obiektId)}}))
        return false;
    wartosc = Variant(Q_WartoscAtrybutu.FieldByName(QStringLiteral("ATR_WARTOSC")).AsString().left(128));
    typ = Q_WartoscAtrybutu.FieldByName(QStringLiteral("ATR_TYP")).AsInteger();
    return true;
}

QHash<int, TDM_PelkFun::RWartoscAtrybutu> TDM_PelkFun::GetWartosciAtrybutow(int obiektId, const QList<int> &atrybuty)
{
    QHash<int, RWartoscAtrybutu> wartosci;
    if (atrybuty.isEmpty())
        return wartosci;
    QList<QPair<QString, Variant>> params{{QStringLiteral("ObiektID"), Variant(obiektId)}};
    for (int i = 0; i < atrybuty.size(); ++i)
        params.append({QStringLiteral("Atrybut%1").arg(i), Variant(atrybuty[i])});
    Open(Q_WartoscAtrybutu, GisSql::GetWartosciAtrybutowObiektu(int(atrybuty.size()), SqlDialect()), params);
    for (Q_WartoscAtrybutu.First(); !Q_WartoscAtrybutu.Eof(); Q_WartoscAtrybutu.Next())
        wartosci.insert(Q_WartoscAtrybutu.FieldByName(QStringLiteral("ATR_ID")).AsInteger(),
                        {Q_WartoscAtrybutu.FieldByName(QStringLiteral("ATR_TYP")).AsInteger(),
                         Variant(Q_WartoscAtrybutu.FieldByName(QStringLiteral("ATR_WARTOSC")).AsString().left(128))});
    return wartosci;
}

bool TDM_PelkFun::InsertUprawnienia(int uzytkownikId, int obiektId)
{
    return Guarded(nullptr, PELK_HERE, [&] {
        Q_EmptyQueryToExec.Close();
        Q_EmptyQueryToExec.SetSQL(GisSql::InsertUprawnienia().For(SqlDialect()));
        Q_EmptyQueryToExec.SetParam(QStringLiteral("UzytkownikID"), Variant(uzytkownikId));
        Q_EmptyQueryToExec.SetParam(QStringLiteral("ObiektID"), Variant(obiektId));
        Q_EmptyQueryToExec.ExecSQL();
        return true;
    });
}

void TDM_PelkFun::CloseDataSets()
{
    for (Query *q : {&Q_Obiekt, &Q_Slownik, &Q_Atrybut, &Q_WartoscAtrybutu, &Q_EmptyQueryToExec})
        q->Close();
    ObiektRow.Close();
    AdresRow.Close();
}

} // namespace pelk
