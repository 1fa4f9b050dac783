#include "NumberText.h"

#include <QRegularExpression>

#include <QByteArray>
#include <algorithm>
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

    // Round to 15 significant digits first ("d.dddddddddddddde±x", as printf's %.14e writes it),
    // then choose the layout. Built in a buffer: sales write thousands of these per run.
    char sci[32];
    const auto written = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
    const char *e = std::find(sci, written.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), written.ptr, exponent);
    const bool negative = sci[0] == '-';
    char digits[16];
    int count = 0;
    for (const char *c = sci + (negative ? 1 : 0); c < e; ++c)
        if (*c != '.')
            digits[count++] = *c;
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char out[48];
    int n = 0;
    auto put = [&out, &n](char c) { out[n++] = c; };
    auto putDigits = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            put(digits[i]);
    };
    if (negative)
        put('-');
    if (exponent >= 15 || exponent < -5) {
        put(digits[0]);
        if (count > 1) {
            put('.');
            putDigits(1, count);
        }
        put('E');
        n = int(std::to_chars(out + n, out + sizeof out, exponent).ptr - out);
    } else if (exponent < 0) {
        put('0');
        put('.');
        for (int i = 0; i < -exponent - 1; ++i)
            put('0');
        putDigits(0, count);
    } else if (count > exponent + 1) {
        putDigits(0, exponent + 1);
        put('.');
        putDigits(exponent + 1, count);
    } else {
        putDigits(0, count);
        for (int i = count; i < exponent + 1; ++i)
            put('0');
    }
    return QString::fromLatin1(out, n);
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

QString RoundDecimalText(const QString &text, int digits)
{
    static const QRegularExpression plain(QStringLiteral("^\\s*([+-]?)(\\d*)[.,]?(\\d*)\\s*$"));
    const QRegularExpressionMatch m = plain.match(text);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()) || digits < 0)
        return text;
    QString fraction = m.captured(3);
    if (fraction.size() <= digits)
        return text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    const bool up = fraction.at(digits) >= QLatin1Char('5');
    // The integer and kept decimals as one run of digits, carried up when the first dropped
    // digit is 5 or more.
    QString run = (m.captured(2).isEmpty() ? QStringLiteral("0") : m.captured(2)) + fraction.left(digits);
    for (qsizetype i = run.size() - 1; up && i >= 0; --i) {
        if (run[i] != QLatin1Char('9')) {
            run[i] = QChar(run[i].unicode() + 1);
            break;
        }
        run[i] = QLatin1Char('0');
        if (i == 0)
            run.prepend(QLatin1Char('1'));
    }
    const QString whole = run.left(run.size() - digits);
    return m.captured(1) + whole + (digits > 0 ? QLatin1Char('.') + run.right(digits) : QString());
}

} // namespace pelk
