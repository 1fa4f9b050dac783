#include "NumberText.h"

#include <QByteArray>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace pelk {

QString FloatToText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0.0)
        return QStringLiteral("0");

    // Round to 15 significant digits first, then choose the layout.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    QByteArray s(buf);
    const int ePos = s.indexOf('e');
    const int exponent = s.mid(ePos + 1).toInt();
    QByteArray digits = s.left(ePos);
    const bool negative = digits.startsWith('-');
    if (negative)
        digits.remove(0, 1);
    digits.remove(1, 1); // the decimal point after the first digit
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    QByteArray out;
    if (exponent >= 15 || exponent < -5) {
        out = digits.left(1);
        if (digits.size() > 1)
            out += '.' + digits.mid(1);
        out += 'E' + QByteArray::number(exponent);
    } else if (exponent < 0) {
        out = "0." + QByteArray(-exponent - 1, '0') + digits;
    } else if (digits.size() > exponent + 1) {
        out = digits.left(exponent + 1) + '.' + digits.mid(exponent + 1);
    } else {
        out = digits + QByteArray(exponent + 1 - digits.size(), '0');
    }
    if (negative)
        out.prepend('-');
    return QString::fromLatin1(out);
}

double TextToFloat(const QString &text, bool *ok)
{
    QByteArray s = text.trimmed().toLatin1();
    s.replace(',', '.');
    double value = 0.0;
    const char *begin = s.constData();
    const char *end = begin + s.size();
    if (s.startsWith('+'))
        ++begin;
    const auto res = std::from_chars(begin, end, value, std::chars_format::general);
    const bool good = !s.isEmpty() && res.ec == std::errc() && res.ptr == end;
    if (ok)
        *ok = good;
    return good ? value : 0.0;
}

} // namespace pelk
