#pragma once
// Streams as a GPS server sends them: the greeting after login, the vehicle list, archives of
// frames. For tests, the fuzzer and the decoder's measurement.
#include <QByteArray>
#include <QList>
#include <QString>

namespace pelk::test::gps {

struct Frame
{
    quint32 time = 1199174400; // 2008-01-01 08:00:00 UTC
    QString lon = QStringLiteral("21.000000");
    QString lat = QStringLiteral("52.000000");
    bool engine = false;
    int speed = 0;
    QString fuel = QStringLiteral("31.5");
    QString driver = QStringLiteral("Jan Kowalski");
    QString device = QStringLiteral("DEV-7");
};

inline QByteArray FrameXml(const Frame &f)
{
    return QStringLiteral("<frame device=\"%1\" time=\"%2\" lon=\"%3\" lat=\"%4\" speed=\"%5\" dist=\"1200\" "
                          "hdg=\"90\" sat=\"7\" fuel=\"%6\" driver=\"%7\" digital=\"%8\"/>\r\n")
        .arg(f.device)
        .arg(f.time)
        .arg(f.lon, f.lat)
        .arg(f.speed)
        .arg(f.fuel, f.driver, f.engine ? QStringLiteral("inEngine inDoor") : QStringLiteral("inDoor"))
        .toUtf8();
}

// What follows a login: greeting, session and the live-update vehicles (opid 1).
inline QByteArray Greeting(const QString &liveVehicles = QStringLiteral("12 13"))
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<hello version=\"2\" server=\"sim\"/>\r\n"
                          "<client-info opid=\"1\" user=\"jan\"/>\r\n"
                          "<property-info opid=\"1\" name=\"admin\" value=\"0\"/>\r\n"
                          "<property-info opid=\"1\" name=\"autoupdate\" value=\"%1\"/>\r\n"
                          "<extcolumns-info opid=\"1\" columns=\"fuel driver\"/>\r\n")
        .arg(liveVehicles)
        .toUtf8();
}

struct Vehicle
{
    QString id, name, type;
};

inline QByteArray VehicleList(int opid, const QList<Vehicle> &vehicles)
{
    QByteArray out = "<vehicle-list opid=\"" + QByteArray::number(opid) + "\">\r\n";
    for (const Vehicle &v : vehicles)
        out += QStringLiteral("<vehicle-info id=\"%1\" name=\"%2\" type=\"%3\"/>\r\n").arg(v.id, v.name, v.type).toUtf8();
    return out + "</vehicle-list>\r\n";
}

inline QByteArray Archive(int opid, const QString &vehicle, const QList<Frame> &frames)
{
    QByteArray out = QStringLiteral("<archive opid=\"%1\" vehicle=\"%2\">\r\n").arg(opid).arg(vehicle).toUtf8();
    for (const Frame &f : frames)
        out += FrameXml(f);
    return out + "</archive>\r\n";
}

// One archive of n frames a minute apart, the engine off for ten minutes in every twenty.
inline QByteArray LongArchive(int opid, const QString &vehicle, int n)
{
    QByteArray out = QStringLiteral("<archive opid=\"%1\" vehicle=\"%2\">\r\n").arg(opid).arg(vehicle).toUtf8();
    out.reserve(qsizetype(n) * 220);
    Frame f;
    for (int i = 0; i < n; ++i) {
        f.time = 1199174400u + quint32(i) * 60;
        f.engine = (i / 10) % 2 == 1;
        f.speed = f.engine ? 40 + i % 30 : 0;
        f.lon = QString::number(19.0 + (i % 1000) * 0.001, 'f', 6);
        out += FrameXml(f);
    }
    return out + "</archive>\r\n";
}

} // namespace pelk::test::gps
