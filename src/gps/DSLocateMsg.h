#pragma once
// The requests of the GPS server protocol: login, vehicle list and archive, each one element
// with its operation identifier. Built on the main thread only.
#include "config/DateTime.h"

#include <QByteArray>
#include <QString>

namespace pelk {

class TDSLocateMsg
{
public:
    // The first request carries firstOpid (1 on a connection; tests start elsewhere).
    explicit TDSLocateMsg(qint32 firstOpid = 1) : m_opid(firstOpid) {}

    // The next request carries 1 again (on every disconnect).
    void ResetOpid() { m_opid = 1; }
    // The identifier the next request carries.
    qint32 Opid() const { return m_opid; }

    // Each builds its element and takes the next identifier: 1, 3, 5, ... 2147483647, 1, ...
    // Values are inserted as they are, without escaping.
    QString LoginMsg(const QString &user, const QString &passwordHash);
    QString RequestVehiclesMsg();
    // vehicle: the server's identifier (NrPojazdu); from, to: local date-times.
    QString RequestArchiveMsg(const QString &vehicle, TDateTime from, TDateTime to);

    // A request as it goes on the wire: its Windows-1250 bytes and CR LF.
    static QByteArray Line(const QString &request);
    // The login's password hash: MD5 of the password's Windows-1250 bytes, 32 lowercase hex
    // digits.
    static QString PasswordHash(const QString &password);
    // Seconds since 1970-01-01 00:00:00 UTC of a local date-time (an exact half second to the
    // even neighbour), the low 32 bits as unsigned.
    static quint32 EncodeTime(TDateTime local);

private:
    QString Request(const char *name, const QString &attributes);
    qint32 NextOpid();

    qint32 m_opid;
    static constexpr qint32 kProtocol = 2;
};

} // namespace pelk
