#include "DSLocateElements.h"

#include "DSLocatePozycja.h"
#include "config/Errors.h"

#include <charconv>
#include <cmath>

namespace pelk {

const std::array<TDSLocateCondition, 14> &ElementTable()
{
    using E = TDSLocateElement;
    static const std::array<TDSLocateCondition, 14> table = {{
        {E::Hello, "hello", "<hello", "/>"},
        {E::Message, "message", "<message", "</message>"},
        {E::ClientInfo, "client-info", "<client-info", "/>"},
        {E::PropertyInfo, "property-info", "<property-info", "/>"},
        {E::ExtcolumnsInfo, "extcolumns-info", "<extcolumns-info", "/>"},
        {E::UpdateOpen, "update_open", "<update", ">"},
        {E::UpdateClose, "update_close", "</update", ">"},
        {E::ArchiveOpen, "archive_open", "<archive", ">"},
        {E::ArchiveClose, "archive_close", "</archive", ">"},
        {E::FrameOpen, "frame_open", "<frame", ">"},
        {E::FrameClose, "frame_close", "</frame", ">"},
        {E::VehicleListOpen, "vehicle-list_open", "<vehicle-list", ">"},
        {E::VehicleListClose, "vehicle-list_close", "</vehicle-list", ">"},
        {E::VehicleInfo, "vehicle-info", "<vehicle-info", "/>"},
    }};
    return table;
}

QByteArrayView AttrBytes(QByteArrayView name, QByteArrayView content)
{
    for (qsizetype at = content.indexOf(name); at >= 0; at = content.indexOf(name, at + 1)) {
        const qsizetype value = at + name.size() + 2;
        if (value > content.size() || content.at(value - 2) != '=' || content.at(value - 1) != '"')
            continue;
        const qsizetype quote = content.indexOf('"', value);
        return content.sliced(value, (quote < 0 ? content.size() : quote) - value);
    }
    return {};
}

QString Attr(QByteArrayView name, QByteArrayView content)
{
    return QString::fromUtf8(AttrBytes(name, content));
}

qint32 IntAttr(QByteArrayView name, QByteArrayView content)
{
    QByteArrayView text = AttrBytes(name, content).trimmed();
    if (text.startsWith('+'))
        text = text.sliced(1);
    qint32 value = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value);
    if (text.isEmpty() || error != std::errc() || end != text.end())
        return kBrakWartosci;
    return value;
}

QString ElementText(QByteArrayView content)
{
    const qsizetype gt = content.indexOf('>');
    if (gt < 0)
        return QString();
    const qsizetype lt = content.indexOf('<', gt + 1);
    return QString::fromUtf8(content.sliced(gt + 1, (lt < 0 ? content.size() : lt) - gt - 1));
}

double DecimalAttr(QByteArrayView text)
{
    // "." and "," both stand for the decimal point; nothing else of a locale counts.
    char buffer[64] = {};
    const QByteArrayView trimmed = text.trimmed();
    qsizetype n = 0;
    bool ok = !trimmed.isEmpty() && trimmed.size() < qsizetype(sizeof buffer);
    for (qsizetype i = 0; ok && i < trimmed.size(); ++i) {
        const char c = trimmed.at(i);
        if (i == 0 && c == '+')
            continue;
        buffer[n++] = c == ',' ? '.' : c;
    }
    double value = 0;
    if (ok) {
        const auto [end, error] = std::from_chars(buffer, buffer + n, value);
        ok = n > 0 && error == std::errc() && end == buffer + n && std::isfinite(value);
    }
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(QString::fromUtf8(text)));
    return value;
}

} // namespace pelk
