#include "Pelk_Obiekt.h"

#include "DM_PelkFun.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "config/Common.h"
#include "config/Errors.h"
#include "config/NumberText.h"

#include <climits>

namespace pelk {

namespace {

const QString kUprawnieniaKey = QStringLiteral("interfejs_uprawnienia_userid");

bool HasAddress(int obiektTyp)
{
    switch (obiektTyp) {
    case TDM_PelkFun::TypKlient:
    case TDM_PelkFun::TypPracownik:
    case TDM_PelkFun::TypMagazyn:
    case TDM_PelkFun::TypBiuro:
    case TDM_PelkFun::TypDystrybutor: return true;
    default: return false;
    }
}

// A number from text with "." or "," as point, or from a numeric value.
double ToFloat(const Variant &value)
{
    if (!value.isText())
        return value.toDouble();
    return StringToFloat(value.toString().trimmed());
}

} // namespace

QString NormalizujLiczbe(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char(','), QLatin1Char('.'));
    if (out.contains(QLatin1Char('.')))
        while (out.endsWith(QLatin1Char('0')))
            out.chop(1);
    return out;
}

bool TakieSameDziesietne(const QString &stored, const QString &value, Dialect dialect)
{
    if (dialect != Dialect::SqlServer)
        return TakieSameLiczby(stored, value);
    const qsizetype point = stored.indexOf(QLatin1Char('.'));
    return TakieSameLiczby(stored, RoundDecimalText(value, point < 0 ? 0 : int(stored.size() - point - 1)));
}

bool TakieSameLiczby(const QString &a, const QString &b)
{
    // Numbers compare as numbers: the database may read a value back as "1234567.0" or with
    // fewer trailing zeros than it was written with. Texts that are no numbers compare as
    // normalised texts.
    bool okA = false, okB = false;
    const double x = TextToFloat(a, &okA);
    const double y = TextToFloat(b, &okB);
    if (okA && okB)
        return x == y;
    return NormalizujLiczbe(a) == NormalizujLiczbe(b);
}

namespace {

// A date attribute's value, bound as a typed date-time: a text would be read by the server's
// own rules (SQL Server reads 'yyyy-mm-dd' for datetime by the login's DATEFORMAT, so under
// dmy '2024-03-05' is 3 May). Anything that is no date is refused before the statement runs
// (SQLite would store NULL in silence where SQL Server refuses).
Variant DateValue(const QString &text)
{
    static const QStringList formats = {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"),
                                        QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy-MM-ddTHH:mm:ss")};
    const QString trimmed = text.trimmed();
    for (const QString &format : formats)
        if (const QDateTime value = QDateTime::fromString(trimmed, format); value.isValid())
            return Variant::Date(FromQDateTime(value));
    throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
}

} // namespace

// ---- address ----

TPelk_ObiektAdres::TPelk_ObiektAdres(TDM_Main &dm, QObject *parent) : TPersistent(parent), m_dm(dm) {}

bool TPelk_ObiektAdres::CheckMandatory()
{
    return true;
}

bool TPelk_ObiektAdres::SaveAdres()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        if (!CheckMandatory())
            return false;
        if (!HasAddress(ObiektTyp))
            return true;
        // An object inserted by this element has no address yet: nothing to look up. Another's
        // active address of the type is read whole at once.
        TableRow &row = TDM_PelkFun::Of(m_dm).AdresRow;
        if (!ObiektNowy
            && row.OpenWhere({{QStringLiteral("ADR_ID_OB"), Variant(ObiektID)},
                              {QStringLiteral("ADR_AKTYWNY"), Variant(1)},
                              {QStringLiteral("ADR_ID_SLO_TYP"), Variant(Typ)}})) {
            ID = row.FieldByName(QStringLiteral("ADR_ID")).AsInteger();
            return UpdateAdres();
        }
        return InsertAdres();
    });
}

bool TPelk_ObiektAdres::InsertAdres()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        TableRow &row = TDM_PelkFun::Of(m_dm).AdresRow;
        row.Close();
        row.Append();
        row.SetField(QStringLiteral("ADR_ID_OB"), Variant(ObiektID));
        row.SetField(QStringLiteral("ADR_KRAJ"), WideText(Kraj));
        row.SetField(QStringLiteral("ADR_KOD"), WideText(Kod));
        row.SetField(QStringLiteral("ADR_MIASTO"), WideText(Miasto));
        row.SetField(QStringLiteral("ADR_ULICA"), WideText(Ulica));
        row.SetField(QStringLiteral("ADR_NUMER1"), WideText(Numer1));
        row.SetField(QStringLiteral("ADR_NUMER2"), WideText(Numer2));
        row.SetField(QStringLiteral("ADR_AKTYWNY"), Variant(Aktywny));
        row.SetField(QStringLiteral("ADR_ID_SLO_TYP"), Variant(Typ));
        row.Post();
        StatusZapisu = szNowy;
        return true;
    });
}

bool TPelk_ObiektAdres::UpdateAdres()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        TableRow &row = TDM_PelkFun::Of(m_dm).AdresRow;
        TDatabaseHelpers &db = m_dm.Db();
        CompareAndSet(db, row, QStringLiteral("ADR_KRAJ"), WideText(Kraj));
        CompareAndSet(db, row, QStringLiteral("ADR_KOD"), WideText(Kod));
        CompareAndSet(db, row, QStringLiteral("ADR_MIASTO"), WideText(Miasto));
        CompareAndSet(db, row, QStringLiteral("ADR_ULICA"), WideText(Ulica));
        CompareAndSet(db, row, QStringLiteral("ADR_NUMER1"), WideText(Numer1));
        CompareAndSet(db, row, QStringLiteral("ADR_NUMER2"), WideText(Numer2));
        StatusZapisu = PostIfEdited(row);
        return true;
    });
}

// ---- attributes ----

TAtrybutyObiektCollectionItem::TAtrybutyObiektCollectionItem(TObjectCollection *collection) : TObjectCollectionItem(collection) {}

TDM_Main &TAtrybutyObiektCollectionItem::DM() const
{
    return static_cast<TAtrybutyObiektCollection *>(Collection())->DM();
}

bool TAtrybutyObiektCollectionItem::CheckMandatory()
{
    TDM_Main &dm = DM();
    return Guarded(dm.Log(), PELK_HERE, [&] {
        TDM_PelkFun &fun = TDM_PelkFun::Of(dm);
        bool found;
        if (NumerAtrybutu == 0) {
            if (dm.Db().CheckRequiredField(QStringLiteral("NazwaAtrybutu"), NazwaAtrybutu))
                return false;
            if (!TDM_PelkFun::IsObiektTyp(ObiektTyp)) {
                dm.Log()->Error(1, QStringLiteral(" Nie zdefiniowany typ %1 przetwarzanego obiektu.").arg(ObiektTyp));
                return false;
            }
            found = fun.GetAtrybutByNazwa(NazwaAtrybutu.toString(), ObiektTyp, NumerAtrybutu, TypAtrybutu);
        } else {
            found = fun.GetAtrybutTyp(NumerAtrybutu, TypAtrybutu);
        }
        if (TDatabaseHelpers::IsEmptyValue(Wartosc)) {
            dm.Log()->Warning(2,
                              QStringLiteral(" Pole \"Wartosc\" atrybutu \"%1\" nie może być puste\r\n"
                                             "      Atrybut nie został zapisany")
                                  .arg(NazwaAtrybutu.isNull() ? QString() : NazwaAtrybutu.toString()));
            return false;
        }
        if (!found) {
            dm.Log()->Error(2,
                            QStringLiteral(" Brak w systemie %1 atrybutu o numerze \"%2\" i nazwie \"%3\" dla obiektu %4\r\n"
                                           "      Obiekt nie został zapisany")
                                .arg(QStringLiteral("Pelk·GIS Trasar"))
                                .arg(NumerAtrybutu)
                                .arg(NazwaAtrybutu.isNull() ? QString() : NazwaAtrybutu.toString(),
                                     TDM_PelkFun::GetObiektTypNazwa(ObiektTyp)));
            return false;
        }
        return true;
    });
}

bool TAtrybutyObiektCollectionItem::SaveAtrybut()
{
    TDM_Main &dm = DM();
    return Guarded(dm.Log(), PELK_HERE, [&] {
        if (!CheckMandatory())
            return false;
        if (!TDM_PelkFun::IsObiektTyp(ObiektTyp)) {
            dm.Log()->Error(1, QStringLiteral(" Nie zdefiniowany typ %1 przetwarzanego obiektu.").arg(ObiektTyp));
            return false;
        }
        // An object inserted by this element has no values yet: nothing to look up.
        if (!ObiektNowy && StoredValue())
            return UpdateAtrybut();
        return InsertAtrybut();
    });
}

bool TAtrybutyObiektCollectionItem::StoredValue()
{
    if (!WartosciObiektu)
        return TDM_PelkFun::Of(DM()).GetWartoscAtrybutu(NumerAtrybutu, ObiektID, TypAtrybutu, StaraWartosc);
    const auto found = WartosciObiektu->constFind(NumerAtrybutu);
    if (found == WartosciObiektu->cend())
        return false;
    TypAtrybutu = found->Typ;
    StaraWartosc = found->Wartosc;
    return true;
}

Variant TAtrybutyObiektCollectionItem::BoundValue() const
{
    QString text = Wartosc.toString();
    switch (TypAtrybutu) {
    case taLiczba1:
    case taLiczba2:
    case taLiczba3:
    case taDziesietna: {
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double number = TextToFloat(text, &ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(Wartosc.toString()));
        return Variant(number);
    }
    case taTekst: return Variant::OleStr(text);
    default: return IsDataAtrybutu(TypAtrybutu) ? DateValue(text) : Variant(text);
    }
}

bool TAtrybutyObiektCollectionItem::InsertAtrybut()
{
    TDM_Main &dm = DM();
    return Guarded(dm.Log(), PELK_HERE, [&] {
        const DialectSql *sql = GisSql::InsertAtrybut(TypAtrybutu);
        if (!sql)
            return false;
        TDM_PelkFun &fun = TDM_PelkFun::Of(dm);
        if (!dm.Db().ExecSQLQuery(fun.Q_EmptyQueryToExec, sql->For(fun.SqlDialect()),
                                  {{QStringLiteral("AtrybutID"), Variant(NumerAtrybutu)},
                                   {QStringLiteral("ObiektID"), Variant(ObiektID)},
                                   {QStringLiteral("Wartosc"), BoundValue()}}))
            return false;
        StatusZapisu = szNowy;
        return true;
    });
}

bool TAtrybutyObiektCollectionItem::UpdateAtrybut()
{
    TDM_Main &dm = DM();
    return Guarded(dm.Log(), PELK_HERE, [&] {
        if (!Edytowany)
            return true;
        if (StaraWartosc.toString() == Wartosc.toString())
            return true;
        const DialectSql *sql = GisSql::UpdateAtrybut(TypAtrybutu);
        if (!sql)
            return false;
        TDM_PelkFun &fun = TDM_PelkFun::Of(dm);
        if (TypAtrybutu == taDziesietna && TakieSameDziesietne(StaraWartosc.toString(), Wartosc.toString(), fun.SqlDialect()))
            return true;
        if (IsLiczbaAtrybutu(TypAtrybutu) && TakieSameLiczby(StaraWartosc.toString(), Wartosc.toString()))
            return true;
        if (!dm.Db().ExecSQLQuery(fun.Q_EmptyQueryToExec, sql->For(fun.SqlDialect()),
                                  {{QStringLiteral("Wartosc"), BoundValue()},
                                   {QStringLiteral("AtrybutID"), Variant(NumerAtrybutu)},
                                   {QStringLiteral("ObiektID"), Variant(ObiektID)}}))
            return false;
        dm.Log()->Info(
            3,
            QStringLiteral(" Atrybut nr: %1 nazwa: %2 - stara wartosc: \"%3\"; nowa wartosc: \"%4\" ")
                .arg(NumerAtrybutu)
                .arg(NazwaAtrybutu.isNull() ? QString() : NazwaAtrybutu.toString(), StaraWartosc.toString(), Wartosc.toString()));
        StatusZapisu = szZmieniony;
        return true;
    });
}

TAtrybutyObiektCollection::TAtrybutyObiektCollection(TDM_Main &dm, QObject *parent)
    : TObjectCollection(TAtrybutyObiektCollectionItem::staticMetaObject, parent), m_dm(dm)
{}

// ---- object ----

TPelk_Obiekt::TPelk_Obiekt(TDM_Main &dm, QObject *parent)
    : TInterfaceObject(dm, parent), m_adres(new TPelk_ObiektAdres(dm, this)), m_atrybuty(new TAtrybutyObiektCollection(dm, this))
{}

TDM_PelkFun &TPelk_Obiekt::Fun() const
{
    return TDM_PelkFun::Of(m_dm);
}

bool TPelk_Obiekt::SaveObjectData(RObiekt &element)
{
    TElementTransaction transaction(m_dm.Db(), m_dm.ADOConnection_PelkGIS);
    const bool saved = Guarded(m_dm.Log(), PELK_HERE, [&] {
        m_dm.Log()->Note(2,
                         QStringLiteral(" System Pelk·GIS Trasar przetwarzany obiekt %1: EXID: %2; Nazwa: %3")
                             .arg(TDM_PelkFun::GetObiektTypNazwa(ObiektTyp), EXID.toString(), Nazwa));
        if (!transaction.Begun())
            return false;
        // A check that fails (it has logged why) refuses the element for its data; a database
        // failure inside it throws and is no refusal.
        element.Refused = !CheckMandatory();
        return !element.Refused && SaveObiekt();
    });
    // Counted only once committed: a refused commit leaves the element's file for the next run.
    if (!transaction.End(saved))
        return false;
    m_dm.Process()->CountResult(StatusZapisu, true);
    return true;
}

bool TPelk_Obiekt::CheckMandatory()
{
    TDatabaseHelpers &db = m_dm.Db();
    if (!TDM_PelkFun::IsObiektTyp(ObiektTyp)) {
        m_dm.Log()->Error(2,
                          QStringLiteral(" Pole \"%1\" jest błędnie zdefiniowane: %2\r\n      Obiekt nie został przetworzony")
                              .arg(QStringLiteral("ObiektTyp"))
                              .arg(ObiektTyp));
        return false;
    }
    if (db.CheckRequiredField(QStringLiteral("EXID"), EXID))
        return false;
    int id = 0;
    if (Fun().GetObiektIDByEXID(EXID.toString(), ObiektTyp, id))
        ID = Variant(id);
    else
        Nowy = true;
    if (db.CheckRequiredField(QStringLiteral("Nazwa"), WideText(Nazwa)))
        return false;
    if (db.CheckRequiredField(QStringLiteral("Aktywny"), Aktywny))
        return false;
    return true;
}

bool TPelk_Obiekt::SaveObiekt()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        bool ok;
        if (Nowy) {
            // The permission entry is read before the row is written, so that an entry holding
            // no number rejects the object instead of leaving it without permissions.
            int uzytkownik = 0;
            const bool uprawnienia = UzytkownikUprawnien(uzytkownik);
            ok = InsertObiekt();
            if (ok && uprawnienia)
                Fun().InsertUprawnienia(uzytkownik, ID.toInt());
        } else {
            ok = UpdateObiekt();
        }
        if (!ok)
            return false;

        quint8 status = szBezZmian;
        ok = SaveAdres(status);
        if (StatusZapisu == szBezZmian && status != szBezZmian)
            StatusZapisu = status;
        if (!ok)
            return false;

        status = szBezZmian;
        ok = SaveAtrybuty(status);
        if (StatusZapisu == szBezZmian && status != szBezZmian)
            StatusZapisu = status;
        return ok;
    });
}

QList<QPair<QString, Variant>> TPelk_Obiekt::Columns() const
{
    QList<QPair<QString, Variant>> out = {{QStringLiteral("OB_NAZWA1"), WideText(Nazwa.mid(0, 40))},
                                          {QStringLiteral("OB_NAZWA2"), WideText(Nazwa.mid(40, 40))},
                                          {QStringLiteral("OB_NAZWA3"), WideText(Nazwa.mid(80, 40))}};
    const QList<QPair<QString, const Variant *>> coords = {{QStringLiteral("OB_X_KM"), &XKM},
                                                           {QStringLiteral("OB_Y_KM"), &YKM},
                                                           {QStringLiteral("OB_X_STO"), &XSTO},
                                                           {QStringLiteral("OB_Y_STO"), &YSTO}};
    for (const auto &c : coords)
        if (!TDatabaseHelpers::IsEmptyValue(*c.second))
            out.append({c.first, Variant(ToFloat(*c.second))});
    return out;
}

bool TPelk_Obiekt::InsertObiekt()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        TableRow &row = Fun().ObiektRow;
        row.Close();
        row.Append();
        row.SetField(QStringLiteral("OB_EXID"), Variant(EXID.toString()));
        row.SetField(QStringLiteral("OB_ID_SLO_TYP"), Variant(ObiektTyp));
        for (const auto &[field, value] : Columns())
            row.SetField(field, value);
        row.SetField(QStringLiteral("OB_AKTYWNY"), Variant(Aktywny.toInt()));
        row.Post();
        StatusZapisu = szNowy;
        // The new row's id as the database gave it; where the dialect cannot tell, found again.
        if (!row.IdentityValue().isNull()) {
            ID = Variant(int(row.IdentityValue().toInt64()));
            return true;
        }
        int id = 0;
        const bool found = Fun().GetObiektIDByEXID(EXID.toString(), ObiektTyp, id);
        if (found)
            ID = Variant(id);
        return found;
    });
}

bool TPelk_Obiekt::UpdateObiekt()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        TableRow &row = Fun().ObiektRow;
        TDatabaseHelpers &db = m_dm.Db();
        // The id was read when the run began: an object deleted since fails this element alone
        // (its file stays), and the next run finds it gone.
        if (!row.OpenByKey(Variant(ID.toInt()))) {
            Fun().ForgetObiekt(EXID.toString(), ObiektTyp);
            throw Exception(QStringLiteral("Obiekt %1 (OB_ID %2) został usunięty z bazy danych w trakcie wymiany")
                                .arg(EXID.toString())
                                .arg(ID.toInt()));
        }
        for (const auto &[field, value] : Columns())
            CompareAndSet(db, row, field, value);
        CompareAndSet(db, row, QStringLiteral("OB_AKTYWNY"), Variant(Aktywny.toInt()));
        StatusZapisu = PostIfEdited(row);
        return true;
    });
}

bool TPelk_Obiekt::UzytkownikUprawnien(int &uzytkownikId)
{
    int value = INT_MIN;
    if (!Fun().GetSlownikLiczba(kUprawnieniaKey, 0, value) || value == INT_MIN)
        return false;
    uzytkownikId = value;
    return true;
}

bool TPelk_Obiekt::SaveAdres(quint8 &status)
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        m_adres->ObiektID = ID.toInt();
        m_adres->ObiektTyp = ObiektTyp;
        m_adres->ObiektNowy = Nowy;
        m_adres->StatusZapisu = szBezZmian;
        const bool ok = m_adres->SaveAdres();
        if (m_adres->StatusZapisu != szBezZmian)
            status = m_adres->StatusZapisu;
        return ok;
    });
}

QList<int> TPelk_Obiekt::NumeryAtrybutow()
{
    // Those given by name through the run's definitions; one the GIS does not know is refused
    // by its save.
    QList<int> numery;
    for (int i = 0; i < m_atrybuty->Count(); ++i) {
        const TAtrybutyObiektCollectionItem *item = m_atrybuty->Items(i);
        int numer = item->NumerAtrybutu, typ = 0;
        if (numer == 0 && TDM_PelkFun::IsObiektTyp(ObiektTyp) && !TDatabaseHelpers::IsEmptyValue(item->NazwaAtrybutu))
            Fun().GetAtrybutByNazwa(item->NazwaAtrybutu.toString(), ObiektTyp, numer, typ);
        if (numer != 0 && !numery.contains(numer))
            numery.append(numer);
    }
    return numery;
}

bool TPelk_Obiekt::SaveAtrybuty(quint8 &status)
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        // An object inserted by this element holds no values yet; another has them read at once.
        const QHash<int, TDM_PelkFun::RWartoscAtrybutu> stored = Nowy ? QHash<int, TDM_PelkFun::RWartoscAtrybutu>()
                                                                      : Fun().GetWartosciAtrybutow(ID.toInt(), NumeryAtrybutow());
        for (int i = 0; i < m_atrybuty->Count(); ++i) {
            TAtrybutyObiektCollectionItem *item = m_atrybuty->Items(i);
            item->WartosciObiektu = &stored;
            item->ObiektID = ID.toInt();
            item->ObiektTyp = ObiektTyp;
            item->ObiektNowy = Nowy;
            item->StatusZapisu = szBezZmian;
            item->SaveAtrybut();
            if (status == szBezZmian && item->StatusZapisu != szBezZmian)
                status = item->StatusZapisu;
        }
        // The values were this save's only.
        for (int i = 0; i < m_atrybuty->Count(); ++i)
            m_atrybuty->Items(i)->WartosciObiektu = nullptr;
        return true;
    });
}

} // namespace pelk
