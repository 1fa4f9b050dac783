#include "Variant.h"

#include "Common.h"
#include "Errors.h"
#include "NumberText.h"

#include <array>
#include <cmath>
#include <limits>

namespace pelk {

namespace {

struct NamedCode
{
    int code;
    const char *name;
};
constexpr NamedCode kNames[] = {{0, "Empty"},    {1, "Null"},     {2, "Smallint"},    {3, "Integer"},  {4, "Single"},
                                {5, "Double"},   {6, "Currency"}, {7, "Date"},        {8, "OleStr"},   {9, "Dispatch"},
                                {10, "Error"},   {11, "Boolean"}, {12, "Variant"},    {13, "Unknown"}, {16, "ShortInt"},
                                {17, "Byte"},    {18, "Word"},    {19, "LongWord"},   {20, "Int64"},   {72, "StrArg"},
                                {256, "String"}, {257, "Any"},    {4095, "TypeMask"}, {8192, "Array"}, {16384, "ByRef"}};

QString TypeLabel(int code)
{
    const QString n = VarTypeName(code);
    return n.isEmpty() ? QString::number(code) : n;
}

[[noreturn]] void conversionError(int from, int to)
{
    throw EVariantError(
        QStringLiteral("Could not convert variant of type (%1) into type (%2)").arg(TypeLabel(from), TypeLabel(to)));
}

bool IntegralRange(int code, qint64 &lo, qint64 &hi)
{
    switch (code) {
    case varSmallint:
        lo = -32768;
        hi = 32767;
        return true;
    case varInteger:
        lo = std::numeric_limits<qint32>::min();
        hi = std::numeric_limits<qint32>::max();
        return true;
    case varShortInt:
        lo = -128;
        hi = 127;
        return true;
    case varByte:
        lo = 0;
        hi = 255;
        return true;
    case varWord:
        lo = 0;
        hi = 65535;
        return true;
    case varLongWord:
        lo = 0;
        hi = 4294967295LL;
        return true;
    case varInt64:
        lo = std::numeric_limits<qint64>::min();
        hi = std::numeric_limits<qint64>::max();
        return true;
    default: return false;
    }
}

} // namespace

QString VarTypeName(int code)
{
    for (const auto &n : kNames)
        if (n.code == code)
            return QString::fromLatin1(n.name);
    return QString();
}

int VarTypeFromName(const QString &name)
{
    if (name.isEmpty())
        return 14;
    for (const auto &n : kNames)
        if (SameText(QLatin1String(n.name), name))
            return n.code;
    return 0;
}

Variant Variant::Null()
{
    Variant v;
    v.m_type = varNull;
    return v;
}

Variant Variant::OleStr(const QString &s)
{
    Variant v(s);
    v.m_type = varOleStr;
    return v;
}

Variant Variant::Date(TDateTime t)
{
    Variant v(t);
    v.m_type = varDate;
    return v;
}

Variant Variant::Currency(double c)
{
    Variant v(std::round(c * 10000.0) / 10000.0);
    v.m_type = varCurrency;
    return v;
}

Variant Variant::Integral(int code, qint64 value)
{
    qint64 lo, hi;
    if (!IntegralRange(code, lo, hi))
        conversionError(varInt64, code);
    if (value < lo || value > hi)
        throw EVariantError(
            QStringLiteral("Overflow while converting variant of type (Int64) into type (%1)").arg(TypeLabel(code)));
    Variant v(value);
    v.m_type = code;
    return v;
}

bool Variant::isIntegral() const
{
    qint64 lo, hi;
    return IntegralRange(m_type, lo, hi);
}

bool Variant::isFloat() const
{
    return m_type == varSingle || m_type == varDouble || m_type == varCurrency || m_type == varDate;
}

QString Variant::toString() const
{
    switch (m_type) {
    case varEmpty: return QString();
    case varString:
    case varOleStr: return std::get<QString>(m_value);
    case varBoolean: return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case varDate: return DateTimeToText(std::get<double>(m_value));
    case varSingle:
    case varDouble:
    case varCurrency: return FloatToText(std::get<double>(m_value));
    default:
        if (isIntegral())
            return QString::number(std::get<qint64>(m_value));
        conversionError(m_type, varString);
    }
}

qint64 Variant::toInt64() const
{
    switch (m_type) {
    case varEmpty: return 0;
    case varBoolean: return std::get<bool>(m_value) ? -1 : 0;
    case varString:
    case varOleStr: {
        bool ok = false;
        const qint64 v = std::get<QString>(m_value).trimmed().toLongLong(&ok);
        if (!ok)
            conversionError(m_type, varInt64);
        return v;
    }
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate: {
        const double d = std::round(std::get<double>(m_value));
        if (!(d >= -9.2e18 && d <= 9.2e18))
            conversionError(m_type, varInt64);
        return qint64(d);
    }
    default:
        if (isIntegral())
            return std::get<qint64>(m_value);
        conversionError(m_type, varInt64);
    }
}

int Variant::toInt() const
{
    return int(convertTo(varInteger).toInt64());
}

double Variant::toDouble() const
{
    switch (m_type) {
    case varEmpty: return 0.0;
    case varBoolean: return std::get<bool>(m_value) ? -1.0 : 0.0;
    case varString:
    case varOleStr: {
        bool ok = false;
        const double d = TextToFloat(std::get<QString>(m_value), &ok);
        if (!ok)
            conversionError(m_type, varDouble);
        return d;
    }
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate: return std::get<double>(m_value);
    default:
        if (isIntegral())
            return double(std::get<qint64>(m_value));
        conversionError(m_type, varDouble);
    }
}

bool Variant::toBool() const
{
    switch (m_type) {
    case varEmpty: return false;
    case varBoolean: return std::get<bool>(m_value);
    case varString:
    case varOleStr: {
        const QString s = std::get<QString>(m_value).trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double d = TextToFloat(s, &ok);
        if (!ok)
            conversionError(m_type, varBoolean);
        return d != 0.0;
    }
    default:
        if (m_type == varNull)
            conversionError(m_type, varBoolean);
        return toDouble() != 0.0;
    }
}

TDateTime Variant::toDateTime() const
{
    if (m_type == varString || m_type == varOleStr) {
        const QString s = std::get<QString>(m_value).trimmed();
        const QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (dt.isValid())
            return FromQDateTime(dt);
        const QDate d = QDate::fromString(s, QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            return FromQDateTime(QDateTime(d, QTime(0, 0)));
        bool ok = false;
        const double v = TextToFloat(s, &ok);
        if (!ok)
            conversionError(m_type, varDate);
        return v;
    }
    if (m_type == varNull)
        conversionError(m_type, varDate);
    return toDouble();
}

Variant Variant::convertTo(int code) const
{
    if (code == m_type)
        return *this;
    switch (code) {
    case varEmpty: return Variant();
    case varNull: return Null();
    case varString: return Variant(toString());
    case varOleStr: return OleStr(toString());
    case varBoolean: return Variant(toBool());
    case varDouble: return Variant(toDouble());
    case varSingle: {
        Variant v{static_cast<double>(static_cast<float>(toDouble()))};
        v.m_type = varSingle;
        return v;
    }
    case varCurrency: return Currency(toDouble());
    case varDate: return Date(toDateTime());
    default: {
        qint64 lo, hi;
        if (!IntegralRange(code, lo, hi))
            conversionError(m_type, code);
        return Integral(code, toInt64());
    }
    }
}

bool Variant::operator==(const Variant &o) const
{
    if (m_type == o.m_type)
        return m_value == o.m_value;
    if (isEmpty() || o.isEmpty() || isNull() || o.isNull())
        return false;
    if ((isIntegral() || isFloat()) && (o.isIntegral() || o.isFloat()))
        return toDouble() == o.toDouble();
    return toString() == o.toString();
}

} // namespace pelk
