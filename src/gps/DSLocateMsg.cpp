#include "DSLocateMsg.h"

#include "Rounding.h"
#include "config/Common.h"
#include "config/Errors.h"
#include "config/Windows1250.h"

#include <limits>
#include <openssl/evp.h>

namespace pelk {

namespace {

// name="value" followed by one space.
QString Attribute(const char *name, const QString &value)
{
    return QLatin1String(name) + QStringLiteral("=\"") + value + QStringLiteral("\" ");
}

} // namespace

qint32 TDSLocateMsg::NextOpid()
{
    const qint32 opid = m_opid;
    m_opid = m_opid >= std::numeric_limits<qint32>::max() - 1 ? 1 : m_opid + 2;
    return opid;
}

// "<name opid="N"  further />": the identifier's attribute ends with a space, so two spaces
// always follow it.
QString TDSLocateMsg::Request(const char *name, const QString &attributes)
{
    const QString opid = Attribute("opid", QString::number(NextOpid()));
    return QStringLiteral("<%1 %2 %3/>").arg(QLatin1String(name), opid, attributes);
}

QString TDSLocateMsg::LoginMsg(const QString &user, const QString &passwordHash)
{
    return Request("login",
                   Attribute("user", user) + Attribute("password", passwordHash)
                       + Attribute("protocol", QString::number(kProtocol)));
}

QString TDSLocateMsg::RequestVehiclesMsg()
{
    return Request("requestvehicles", QString());
}

QString TDSLocateMsg::RequestArchiveMsg(const QString &vehicle, TDateTime from, TDateTime to)
{
    return Request("requestarchive",
                   Attribute("vehicle", vehicle) + Attribute("from", QString::number(EncodeTime(from)))
                       + Attribute("to", QString::number(EncodeTime(to))));
}

QByteArray TDSLocateMsg::Line(const QString &request)
{
    return ToWindows1250(request) + "\r\n";
}

QString TDSLocateMsg::PasswordHash(const QString &password)
{
    const QByteArray bytes = ToWindows1250(password);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &size, EVP_md5(), nullptr))
        throw Exception(QStringLiteral("MD5 is not available"));
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex());
}

quint32 TDSLocateMsg::EncodeTime(TDateTime local)
{
    return quint32(RoundHalfEven((LocalToUTC(local) - UnixDateDelta) * 86400.0));
}

} // namespace pelk
