#include "GpsFleet.h"

namespace pelk::demo {

namespace {

// Inserts one object of the type unless its external id is there already.
QString Object(const QString &exid, int type, const QString &name, const QString &map1)
{
    return QStringLiteral(
               "INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_AKTYWNY, OB_MAP1) SELECT '%1', %2, '%3', 1, %4 "
               "WHERE NOT EXISTS (SELECT 1 FROM OBIEKT WHERE OB_EXID = '%1' AND OB_ID_SLO_TYP = %2);\n")
        .arg(exid)
        .arg(type)
        .arg(name, map1.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + map1 + QLatin1Char('\''));
}

// Relates the territory to the object (type 212 vehicle, 207 driver; source 802).
QString Relation(const QString &territory, const QString &exid, int objectType, int relationType)
{
    return QStringLiteral("INSERT INTO OBIEKT_RELACJA (OBR_ID_OB1, OBR_ID_OB2, OBR_ID_SLO_TYP, OBR_ID_SLO_ZRODLO) "
                          "SELECT t.OB_ID, o.OB_ID, %4, 802 FROM OBIEKT t, OBIEKT o "
                          "WHERE t.OB_EXID = '%1' AND t.OB_ID_SLO_TYP = 107 AND o.OB_EXID = '%2' AND o.OB_ID_SLO_TYP = %3 "
                          "AND NOT EXISTS (SELECT 1 FROM OBIEKT_RELACJA WHERE OBR_ID_OB1 = t.OB_ID AND OBR_ID_OB2 = o.OB_ID);\n")
        .arg(territory, exid)
        .arg(objectType)
        .arg(relationType);
}

} // namespace

const QList<FleetVehicle> &GpsFleet::Vehicles()
{
    static const QList<FleetVehicle> vehicles = {
        {"201", "WX 4821K", "ciężarowy", "Łukasz Żółć", "Mazowsze"},
        {"202", "KR 7350M", "ciężarowy", "Anna Wiśniewska", "Małopolska"},
        {"203", "GD 1946P", "dostawczy", "Jan Kowalski", "Pomorze"},
        {"204", "PO 5517T", "dostawczy", "Grzegorz Brzęczyszczykiewicz", "Wielkopolska"},
        {"205", "WR 2084S", "osobowy", "Małgorzata Dąbrowska", "Dolny Śląsk"},
    };
    return vehicles;
}

QString GpsFleet::GisObjects()
{
    QString sql;
    for (const FleetVehicle &v : Vehicles()) {
        const QString id = QString::fromLatin1(v.id);
        sql += Object(QStringLiteral("GPS-") + id, 106,
                      QString::fromUtf8(v.type) + QLatin1Char(' ') + QString::fromUtf8(v.registration),
                      QString::fromUtf8(v.registration));
        sql += Object(QStringLiteral("KIER-") + id, 103, QString::fromUtf8(v.driver), QString());
        sql += Object(QStringLiteral("TER-") + id, 107, QString::fromUtf8(v.territory), QString());
        sql += Relation(QStringLiteral("TER-") + id, QStringLiteral("GPS-") + id, 106, 212);
        sql += Relation(QStringLiteral("TER-") + id, QStringLiteral("KIER-") + id, 103, 207);
    }
    return sql;
}

QStringList GpsFleet::SimulatorArguments()
{
    QStringList args;
    for (const FleetVehicle &v : Vehicles())
        args << QStringLiteral("--vehicle")
             << QStringLiteral("%1=%2=%3")
                    .arg(QString::fromLatin1(v.id), QString::fromUtf8(v.registration), QString::fromUtf8(v.type));
    return args;
}

QString GpsFleet::Pojazdy()
{
    QStringList numbers;
    for (const FleetVehicle &v : Vehicles())
        numbers << QString::fromUtf8(v.registration);
    return numbers.join(QLatin1Char(';'));
}

} // namespace pelk::demo
