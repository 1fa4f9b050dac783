#include "Pelk_Wizyta.h"

#include "DM_Wizyta.h"
#include "VisitSql.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "config/Common.h"
#include "config/Errors.h"
#include "gisdb/DM_PelkFun.h"

#include <QSet>

namespace pelk {

namespace {

const QString kSystem = QStringLiteral("Pelk·GIS Trasar");

// "yyyy-mm-dd hh:nn:ss" or "yyyy-mm-dd" read strictly: a text that is no such date-time
// throws instead of being stored as some other day.
TDateTime DateTimeOf(const Variant &value)
{
    const QString text = value.toString().trimmed();
    TDateTime exact = 0;
    if (TextToDateTime(text, exact))
        return exact;
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    QTime time(0, 0);
    if (text.size() > 10)
        time = text.at(10) == QLatin1Char(' ') ? QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss")) : QTime();
    if (!date.isValid() || !time.isValid())
        throw EConvertError(QStringLiteral("'%1' nie jest poprawną datą w formacie rrrr-mm-dd gg:mm:ss").arg(text));
    return EncodeDate(date.year(), date.month(), date.day()) + EncodeTime(time.hour(), time.minute(), time.second(), 0);
}

// A date-time column compared through its text form and assigned as a date-time.
void CompareAndSetDateTime(TDatabaseHelpers &db, TableRow &row, const QString &field, const Variant &text)
{
    const TDateTime value = DateTimeOf(text);
    if (db.CompareFieldValue(row, field, Variant(DateTimeToText(value))))
        row.SetField(field, Variant::Date(value));
}

} // namespace

// ---- stops ----

TPelk_WizytaPozycjeCollectionItem::TPelk_WizytaPozycjeCollectionItem(TObjectCollection *collection)
    : TObjectCollectionItem(collection)
{}

TDM_Main &TPelk_WizytaPozycjeCollectionItem::DM() const
{
    return static_cast<TPelk_WizytaPozycjeCollection *>(Collection())->DM();
}

TDM_Wizyta &TPelk_WizytaPozycjeCollectionItem::Wiz() const
{
    return static_cast<TPelk_WizytaPozycjeCollection *>(Collection())->Wiz();
}

bool TPelk_WizytaPozycjeCollectionItem::CheckMandatory()
{
    TDM_Main &dm = DM();
    Odrzucona = false;
    return Guarded(*dm.Log(), PELK_HERE, [&] {
        TDatabaseHelpers &db = dm.Db();
        auto refuse = [&] {
            Odrzucona = true;
            return false;
        };
        if (db.CheckRequiredField(QStringLiteral("ObiektEXID"), ObiektEXID))
            return refuse();
        const QString exid = ObiektEXID.toString();
        int id = 0;
        if (!TDM_PelkFun::Of(dm).GetObiektIDByEXID(exid, {TDM_PelkFun::TypKlient, TDM_PelkFun::TypDystrybutor}, id)) {
            dm.Log()->Error(2,
                            QStringLiteral(" Brak w systemie %1 Klienta\\Dystrybutora o numerze \"%2\" \r\n"
                                           "      Pozycja nie została zapisana")
                                .arg(kSystem, exid));
            return refuse();
        }
        ObiektID = Variant(id);
        const QList<QPair<QString, Variant>> required = {{QStringLiteral("Sort"), Variant(Sort)},
                                                         {QStringLiteral("GodzinaOD"), GodzinaOd},
                                                         {QStringLiteral("GodzinaDo"), GodzinaDo},
                                                         {QStringLiteral("Czas"), Czas},
                                                         {QStringLiteral("Num1"), Num1}};
        for (const auto &[name, value] : required)
            if (db.CheckRequiredField(name, value))
                return refuse();
        return true;
    });
}

bool TPelk_WizytaPozycjeCollectionItem::SaveWizytaObiekt(QSet<int> &objectsWritten)
{
    return Guarded(*DM().Log(), PELK_HERE, [&] {
        if (!CheckMandatory())
            return false;
        // One stop per customer object: a second stop at the same object updates the first.
        // Only the first stop at an object of a visit inserted by this save is known to have no
        // row; the object is compared as resolved, since two external ids the database takes
        // for one (case, trailing spaces) name the same object.
        // The first stop at an object of a visit that existed finds its row among the visit's
        // stops read before; a second one reads the row the first wrote.
        const bool firstAtObject = !objectsWritten.contains(ObiektID.toInt());
        objectsWritten.insert(ObiektID.toInt());
        if (Nowa && firstAtObject)
            return InsertWizytaObiekt();
        const bool found = firstAtObject ? Wiz().OpenWizytaObiekt(ObiektID.toInt())
                                         : Wiz().Q_WizytaObiekt.OpenByKey({Variant(WizytaID), ObiektID});
        return found ? UpdateWizytaObiekt() : InsertWizytaObiekt();
    });
}

bool TPelk_WizytaPozycjeCollectionItem::InsertWizytaObiekt()
{
    return Guarded(*DM().Log(), PELK_HERE, [&] {
        // One statement: the stop row has no identity to read back.
        Query &insert = Wiz().Q_EmptyQueryToExec;
        if (!DM().Db().ExecSQLQuery(insert, VisitSql::InsertWizytaObiekt().For(insert.GetConnection().SqlDialect()),
                                    {{QStringLiteral("WizytaID"), Variant(WizytaID)},
                                     {QStringLiteral("ObiektID"), ObiektID},
                                     {QStringLiteral("Sort"), Variant(Sort)},
                                     {QStringLiteral("GodzinaOd"), Variant::Date(DateTimeOf(GodzinaOd))},
                                     {QStringLiteral("GodzinaDo"), Variant::Date(DateTimeOf(GodzinaDo))},
                                     {QStringLiteral("Czas"), Variant(Czas.toInt())},
                                     {QStringLiteral("Opis"), WideText(Opis)},
                                     {QStringLiteral("Num1"), Variant(Num1.toInt())}}))
            return false;
        StatusZapisu = szNowy;
        return true;
    });
}

bool TPelk_WizytaPozycjeCollectionItem::UpdateWizytaObiekt()
{
    return Guarded(*DM().Log(), PELK_HERE, [&] {
        TableRow &row = Wiz().Q_WizytaObiekt;
        TDatabaseHelpers &db = DM().Db();
        CompareAndSet(db, row, QStringLiteral("WIO_SORT"), Variant(Sort));
        CompareAndSetDateTime(db, row, QStringLiteral("WIO_GODZ_OD"), GodzinaOd);
        CompareAndSetDateTime(db, row, QStringLiteral("WIO_GODZ_DO"), GodzinaDo);
        CompareAndSet(db, row, QStringLiteral("WIO_CZAS"), Variant(Czas.toInt()));
        CompareAndSet(db, row, QStringLiteral("WIO_OPIS"), WideText(Opis));
        CompareAndSet(db, row, QStringLiteral("WIO_NUM1"), Variant(Num1.toInt()));
        StatusZapisu = PostIfEdited(row);
        return true;
    });
}

TPelk_WizytaPozycjeCollection::TPelk_WizytaPozycjeCollection(TDM_Main &dm, TDM_Wizyta &wiz, QObject *parent)
    : TObjectCollection(TPelk_WizytaPozycjeCollectionItem::staticMetaObject, parent), m_dm(dm), m_wiz(wiz)
{}

// ---- visit ----

TPelk_Wizyta::TPelk_Wizyta(TDM_Main &dm, TDM_Wizyta &wiz, QObject *parent)
    : TInterfaceObject(dm, parent), m_wiz(wiz), m_pozycje(new TPelk_WizytaPozycjeCollection(dm, wiz, this))
{}

bool TPelk_Wizyta::SaveObjectData(RObiekt &element)
{
    TLog &log = *m_dm.Log();
    TElementTransaction transaction(m_dm.Db(), m_dm.ADOConnection_PelkGIS);
    m_odrzucone = 0;
    bool refused = false; // by a check of the visit (logged); a database failure throws instead
    const bool saved = Guarded(log, PELK_HERE, [&] {
        log.Note(2,
                 QStringLiteral(" System Pelk·GIS Trasar wizyty z dnia: %1 dla pracownika o EXID: %2")
                     .arg(Data.toString(), ObiektEXID.toString()));
        if (!transaction.Begun())
            return false;
        refused = !CheckMandatory();
        return !refused && SaveWizyta();
    });
    // Stops refused for their data wrote nothing, so what was written is whole and is kept;
    // the visit is incomplete, though: not counted, its file stays, and a later run adds the
    // missing stops once the GIS knows their customers. Any other failure stores nothing.
    const bool keep = saved || m_odrzucone > 0;
    const bool committed = transaction.End(keep);
    element.Refused = refused || (committed && m_odrzucone > 0);
    if (!committed)
        return false;
    if (!saved) {
        log.Warning(2,
                    QStringLiteral(" Wizyta z dnia %1 pracownika o EXID %2 zapisana bez %3 z %4 pozycji\r\n"
                                   "      Plik wizyty pozostaje w katalogu roboczym do ponownego przetworzenia")
                        .arg(Data.toString(), ObiektEXID.toString())
                        .arg(m_odrzucone)
                        .arg(m_pozycje->Count()));
        return false;
    }
    // Counted only once committed: a refused commit leaves the element's file for the next run.
    m_dm.Process()->CountResult(StatusZapisu, true);
    return true;
}

bool TPelk_Wizyta::CheckMandatory()
{
    TDatabaseHelpers &db = m_dm.Db();
    if (db.CheckRequiredField(QStringLiteral("ObiektEXID"), ObiektEXID))
        return false;
    int id = 0;
    if (!TDM_PelkFun::Of(m_dm).GetObiektIDByEXID(ObiektEXID.toString(), TDM_PelkFun::TypPracownik, id)) {
        m_dm.Log()->Error(2,
                          QStringLiteral(" Brak w systemie %1 Pracownika o numerze \"%2\" \r\n      Obiekt nie został zapisany")
                              .arg(kSystem, ObiektEXID.toString()));
        return false;
    }
    ObiektID = Variant(id);
    if (TDatabaseHelpers::IsEmptyValue(Variant(Nazwa)))
        Nazwa = Data.toString() + QLatin1Char('.') + ObiektEXID.toString();
    if (db.CheckRequiredField(QStringLiteral("Data"), Data))
        return false;
    if (TDatabaseHelpers::IsEmptyValue(Ilosc))
        Ilosc = Variant(m_pozycje->Count());
    return true;
}

bool TPelk_Wizyta::SaveWizyta()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        Nowa = !m_wiz.FindWizyta(ObiektID.toInt(), DateTimeToText(DateTimeOf(Data)).left(10));
        bool ok;
        if (Nowa) {
            ok = InsertWizyta();
        } else {
            ID = m_wiz.Q_Wizyta.FieldByName(QStringLiteral("WIZ_ID")).Value();
            ok = UpdateWizyta();
        }
        if (!ok)
            return false;
        quint8 status = szBezZmian;
        ok = SaveWizytaPozycje(status);
        // A visit whose row did not change but whose stops did counts as updated, or as new
        // when its first changed stop is new.
        if (StatusZapisu == szBezZmian && status != szBezZmian)
            StatusZapisu = status;
        return ok;
    });
}

bool TPelk_Wizyta::InsertWizyta()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        TableRow &row = m_wiz.WizytaRow;
        const TDateTime dzien = DateTimeOf(Data);
        row.Append();
        if (!TDatabaseHelpers::IsEmptyValue(EXID))
            row.SetField(QStringLiteral("WIZ_EXID"), WideText(EXID.toString()));
        if (!TDatabaseHelpers::IsEmptyValue(Variant(Nazwa)))
            row.SetField(QStringLiteral("WIZ_NAZWA"), WideText(Nazwa));
        row.SetField(QStringLiteral("WIZ_ID_OB"), ObiektID);
        row.SetField(QStringLiteral("WIZ_DATA"), Variant::Date(dzien));
        const QList<QPair<QString, const Variant *>> numbers = {{QStringLiteral("WIZ_DLUGOSC"), &Dlugosc},
                                                                {QStringLiteral("WIZ_CZAS"), &Czas},
                                                                {QStringLiteral("WIZ_ILOSC"), &Ilosc}};
        for (const auto &[field, value] : numbers)
            if (!TDatabaseHelpers::IsEmptyValue(*value))
                row.SetField(field, Variant(value->toInt()));
        row.Post();
        // The identity the server gave; a server that tells none is asked for the row again.
        ID = row.FieldByName(QStringLiteral("WIZ_ID")).Value();
        if (ID.isNull() && m_wiz.FindWizyta(ObiektID.toInt(), DateTimeToText(dzien).left(10)))
            ID = m_wiz.Q_Wizyta.FieldByName(QStringLiteral("WIZ_ID")).Value();
        StatusZapisu = szNowy;
        return !ID.isNull();
    });
}

bool TPelk_Wizyta::UpdateWizyta()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        // The row as FindWizyta read it.
        TableRow &row = m_wiz.WizytaRow;
        TDatabaseHelpers &db = m_dm.Db();
        if (!TDatabaseHelpers::IsEmptyValue(EXID))
            CompareAndSet(db, row, QStringLiteral("WIZ_EXID"), WideText(EXID.toString()));
        if (!TDatabaseHelpers::IsEmptyValue(Variant(Nazwa)))
            CompareAndSet(db, row, QStringLiteral("WIZ_NAZWA"), WideText(Nazwa));
        const QList<QPair<QString, const Variant *>> numbers = {{QStringLiteral("WIZ_DLUGOSC"), &Dlugosc},
                                                                {QStringLiteral("WIZ_CZAS"), &Czas},
                                                                {QStringLiteral("WIZ_ILOSC"), &Ilosc}};
        for (const auto &[field, value] : numbers)
            if (!TDatabaseHelpers::IsEmptyValue(*value))
                CompareAndSet(db, row, field, Variant(value->toInt()));
        StatusZapisu = PostIfEdited(row);
        return true;
    });
}

bool TPelk_Wizyta::SaveWizytaPozycje(quint8 &status)
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        int refused = 0;
        QSet<int> objectsWritten;
        if (!Nowa)
            m_wiz.ReadWizytaObiekty(ID.toInt());
        for (int i = 0; i < m_pozycje->Count(); ++i) {
            TPelk_WizytaPozycjeCollectionItem *stop = m_pozycje->Items(i);
            stop->WizytaID = ID.toInt();
            stop->Nowa = Nowa;
            stop->StatusZapisu = szBezZmian;
            if (!stop->SaveWizytaObiekt(objectsWritten)) {
                // The database failed: the element is rolled back whole, the rest is moot.
                if (!stop->Odrzucona)
                    return false;
                ++refused;
            }
            if (status == szBezZmian && stop->StatusZapisu != szBezZmian)
                status = stop->StatusZapisu;
        }
        // Known only when every stop was tried: a failure before leaves nothing to keep.
        m_odrzucone = refused;
        return refused == 0;
    });
}

} // namespace pelk
