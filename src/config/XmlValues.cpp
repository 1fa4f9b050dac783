#include "XmlValues.h"

#include "Common.h"
#include "NumberText.h"

#include <QMetaEnum>
#include <QMetaProperty>
#include <cmath>
#include <limits>

namespace pelk {

namespace {

// Variant type whose range an integer property accepts.
int RangeCode(const QMetaProperty &p)
{
    if (p.isFlagType())
        return varInteger;
    switch (p.metaType().id()) {
    case QMetaType::Short: return varSmallint;
    case QMetaType::UShort:
    case QMetaType::QChar:
    case QMetaType::Char16: return varWord;
    case QMetaType::SChar: return varShortInt;
    case QMetaType::UChar: return varByte;
    case QMetaType::Char: return std::numeric_limits<char>::is_signed ? varShortInt : varByte;
    case QMetaType::UInt: return varLongWord;
    case QMetaType::Long: return sizeof(long) == 4 ? varInteger : varInt64;
    case QMetaType::ULong: return sizeof(long) == 4 ? varLongWord : varInt64;
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return varInt64;
    default: return varInteger;
    }
}

qint64 ReadIntegral(const QMetaProperty &p, const QVariant &v)
{
    const int id = p.metaType().id();
    if (id == QMetaType::QChar)
        return v.value<QChar>().unicode();
    if (id == QMetaType::Char16)
        return v.value<char16_t>();
    if (id == QMetaType::ULongLong || (id == QMetaType::ULong && sizeof(long) == 8))
        return qint64(v.toULongLong());
    return v.toLongLong();
}

bool HasClassInfo(const QObject *object, const QString &key)
{
    return object->metaObject()->indexOfClassInfo(key.toLatin1().constData()) >= 0;
}

// Declared default of an enumeration or Boolean property; the lowest integer when none.
int DeclaredDefault(const QObject *object, const char *propertyName)
{
    const QMetaObject *mo = object->metaObject();
    const int i = mo->indexOfClassInfo(QByteArray("default:").append(propertyName).constData());
    if (i >= 0) {
        bool ok = false;
        const int v = QString::fromLatin1(mo->classInfo(i).value()).trimmed().toInt(&ok);
        if (ok)
            return v;
    }
    return std::numeric_limits<int>::min();
}

int EnumValueOf(const QMetaEnum &e, const QString &identifier)
{
    const QString id = identifier.trimmed();
    for (int i = 0; i < e.keyCount(); ++i)
        if (SameText(QLatin1String(e.key(i)), id))
            return e.value(i);
    throw EConvertError(QStringLiteral("'%1' is not a valid value of %2").arg(identifier, QLatin1String(e.enumName())));
}

bool BoolValueOf(const QString &identifier)
{
    const QString id = identifier.trimmed();
    if (SameText(id, QLatin1String("True")))
        return true;
    if (SameText(id, QLatin1String("False")))
        return false;
    throw EConvertError(QStringLiteral("'%1' is not a valid Boolean value").arg(identifier));
}

// Assigns a value to a property, converted to the property's type within its range.
void AssignVariant(QObject *object, const QMetaProperty &p, const Variant &v)
{
    QVariant value;
    switch (KindOf(p)) {
    case PropertyKind::Integer: {
        const qint64 x = v.convertTo(RangeCode(p)).toInt64();
        const int id = p.metaType().id();
        if (id == QMetaType::QChar)
            value = QVariant::fromValue(QChar(char16_t(x)));
        else if (id == QMetaType::Char16)
            value = QVariant::fromValue(char16_t(x));
        else if (p.isFlagType())
            value = QVariant(int(x));
        else {
            value = QVariant(x);
            if (!value.convert(p.metaType()))
                throw EVariantError(QStringLiteral("Invalid property value"));
        }
        break;
    }
    case PropertyKind::Int64: {
        const qint64 x = v.convertTo(varInt64).toInt64();
        value = QVariant(x);
        if (!value.convert(p.metaType()))
            throw EVariantError(QStringLiteral("Invalid property value"));
        break;
    }
    case PropertyKind::Enumeration: {
        const QMetaEnum e = p.enumerator();
        int x;
        if (v.isText()) {
            x = EnumValueOf(e, v.toString());
        } else {
            x = v.toInt();
            if (!e.valueToKey(x))
                throw EConvertError(QStringLiteral("%1 is not a valid value of %2").arg(x).arg(QLatin1String(e.enumName())));
        }
        value = QVariant(x);
        break;
    }
    case PropertyKind::Boolean: value = QVariant(v.toBool()); break;
    case PropertyKind::Double: {
        const double d = v.toDouble();
        value = p.metaType().id() == QMetaType::Float ? QVariant(float(d)) : QVariant(d);
        break;
    }
    case PropertyKind::String: value = QVariant(v.toString()); break;
    case PropertyKind::Variant: value = QVariant::fromValue(v); break;
    case PropertyKind::Object:
    case PropertyKind::Unsupported:
        throw EVariantError(QStringLiteral("Invalid property type: %1").arg(QLatin1String(p.typeName())));
    }
    if (!p.write(object, value))
        throw EVariantError(QStringLiteral("Cannot write property %1").arg(QLatin1String(p.name())));
}

// Digits only, else -1.
int Number(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return -1;
    int v = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

EXSDateTimeException TimeError(const QString &timePart)
{
    return EXSDateTimeException(QStringLiteral("'%1' is not a valid time").arg(timePart));
}

// The time of an XML date-time text: a part that is no number is -1; a zone offset is read
// only after a fraction.
struct RXmlTime
{
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool hasZone = false;
    int zoneMinutes = 0;
};

// Throws EXSDateTimeException when the text is too short or its fraction or offset is malformed.
RXmlTime ReadXmlTime(const QString &timePart)
{
    if (timePart.size() < 8)
        throw TimeError(timePart);
    RXmlTime t;
    t.hour = Number(timePart.mid(0, 2));
    t.minute = Number(timePart.mid(3, 2));
    t.second = Number(timePart.mid(6, 2));
    if (timePart.size() <= 8 || timePart.at(8) != QLatin1Char('.'))
        return t;
    if (timePart.size() < 10 || !timePart.at(9).isDigit())
        throw TimeError(timePart);
    qsizetype end = 9;
    while (end < timePart.size() && timePart.at(end) >= QLatin1Char('0') && timePart.at(end) <= QLatin1Char('9'))
        ++end;
    t.msec = Number(timePart.mid(9, end - 9));
    if (t.msec < 0)
        t.msec = 1000; // too many digits: no valid millisecond value
    if (end < timePart.size() && (timePart.at(end) == QLatin1Char('+') || timePart.at(end) == QLatin1Char('-'))) {
        const int zh = Number(timePart.mid(end + 1, 2));
        const int zm = Number(timePart.mid(end + 4, 2));
        if (zh < 0 || zm < 0)
            throw TimeError(timePart);
        t.zoneMinutes = (zh * 60 + zm) * (timePart.at(end) == QLatin1Char('-') ? -1 : 1);
        t.hasZone = true;
    }
    return t;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Published properties

PropertyKind KindOf(const QMetaProperty &p)
{
    if (p.isEnumType())
        return p.isFlagType() ? PropertyKind::Integer : PropertyKind::Enumeration;
    const QMetaType t = p.metaType();
    if (t == QMetaType::fromType<pelk::Variant>())
        return PropertyKind::Variant;
    if (t.flags() & QMetaType::PointerToQObject)
        return PropertyKind::Object;
    switch (t.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::QChar:
    case QMetaType::Char16: return PropertyKind::Integer;
    case QMetaType::Long:
    case QMetaType::ULong: return sizeof(long) == 4 ? PropertyKind::Integer : PropertyKind::Int64;
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return PropertyKind::Int64;
    case QMetaType::Bool: return PropertyKind::Boolean;
    case QMetaType::Double:
    case QMetaType::Float: return PropertyKind::Double;
    case QMetaType::QString: return PropertyKind::String;
    default: return PropertyKind::Unsupported;
    }
}

void PropertyFromText(QObject *object, const QMetaProperty &p, const QString &type, const QString &text, bool normalize)
{
    const QString name = QLatin1String(p.name());
    if (SameText(type, QLatin1String("Object")))
        throw EVariantError(QStringLiteral("Property %1 holds no object").arg(name));
    if (SameText(type, QLatin1String("OleStr"))) {
        AssignVariant(object, p, Variant::OleStr(text));
        return;
    }
    if (!SameText(type, QLatin1String("Enumeration"))) {
        AssignVariant(object, p, XMLTextToVariant(text, VarTypeFromName(type), normalize));
        return;
    }
    QVariant value;
    const PropertyKind kind = KindOf(p);
    if (kind == PropertyKind::Enumeration)
        value = QVariant(EnumValueOf(p.enumerator(), text));
    else if (kind == PropertyKind::Boolean)
        value = QVariant(BoolValueOf(text));
    else
        throw EVariantError(QStringLiteral("Property %1 is no enumeration").arg(name));
    if (!p.write(object, value))
        throw EVariantError(QStringLiteral("Cannot write property %1").arg(name));
}

bool PropertyToText(const QObject *object, const QMetaProperty &p, bool normalize, QString &type, QString &text)
{
    const QVariant value = p.read(object);
    switch (KindOf(p)) {
    case PropertyKind::Boolean: {
        const bool b = value.toBool();
        const Variant def(DeclaredDefault(object, p.name()));
        if (def.convertTo(varBoolean) == Variant(b))
            return false;
        type = QStringLiteral("Enumeration");
        text = b ? QStringLiteral("True") : QStringLiteral("False");
        return true;
    }
    case PropertyKind::Enumeration: {
        const int v = value.toInt();
        if (v == DeclaredDefault(object, p.name()))
            return false;
        type = QStringLiteral("Enumeration");
        const char *key = p.enumerator().valueToKey(v);
        text = key ? QString::fromLatin1(key) : QString::number(v);
        return true;
    }
    case PropertyKind::String:
        type = HasClassInfo(object, QStringLiteral("olestr:") + QLatin1String(p.name())) ? QStringLiteral("OleStr")
                                                                                         : QStringLiteral("String");
        text = value.toString();
        return true;
    case PropertyKind::Integer: {
        const qint64 v = ReadIntegral(p, value);
        type = v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max() ? QStringLiteral("Integer")
                                                                                                  : VarTypeName(RangeCode(p));
        text = QString::number(v);
        return true;
    }
    case PropertyKind::Int64:
        type = QStringLiteral("Int64");
        text = QString::number(ReadIntegral(p, value));
        return true;
    case PropertyKind::Double:
        type = QStringLiteral("Double");
        text = VariantToXMLText(Variant(value.toDouble()), normalize);
        return true;
    case PropertyKind::Variant: {
        const Variant v = value.value<Variant>();
        type = VarTypeName(v.type());
        text = VariantToXMLText(v, normalize);
        return true;
    }
    case PropertyKind::Object:
    case PropertyKind::Unsupported: return false;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Texts of values

QString XMLFloatToStr(double value)
{
    return FloatToText(value);
}

double XMLStrToFloat(const QString &text)
{
    bool ok = false;
    const double v = TextToFloat(text, &ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}

int LocalTimeZoneBias(TDateTime at)
{
    const QDateTime local = ToQDateTime(at);
    if (!local.isValid())
        return 0;
    return -local.offsetFromUtc() / 60;
}

QString DateTimeToXMLTime(TDateTime t, bool withZone)
{
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(t, y, mo, d, h, mi, s, ms);
    QString text = QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d.%03d", y, mo, d, h, mi, s, ms);
    const int bias = withZone ? LocalTimeZoneBias(t) : 0;
    if (bias != 0)
        text += QString::asprintf("%s%.2d:%.2d", bias < 0 ? "+" : "-", std::abs(bias) / 60, std::abs(bias) % 60);
    else
        text += QLatin1Char('Z');
    return text;
}

TDateTime XMLTimeToDateTime(const QString &text)
{
    const qsizetype tPos = text.indexOf(QLatin1Char('T'));
    QString datePart = tPos < 0 ? text : text.left(tPos);
    const QString timePart = tPos < 0 ? QStringLiteral("00:00:00") : text.mid(tPos + 1);

    int year = -1, month = -1, day = -1;
    if (!datePart.isEmpty()) {
        QString date = datePart;
        if (date.startsWith(QLatin1Char('-')))
            date.remove(0, 1);
        year = Number(date.mid(0, 4));
        month = Number(date.mid(5, 2));
        day = Number(date.mid(8, 2));
    }
    const RXmlTime t = ReadXmlTime(timePart);
    if (year < 0 || month < 0 || day < 0) {
        if (t.minute >= 0 && t.second >= 0 && t.msec >= 0)
            throw EXSDateTimeException(QStringLiteral("'%1' is not a valid date").arg(datePart));
        throw EXSDateTimeException(
            QStringLiteral("'%1' is not a valid date and time").arg(datePart + QLatin1Char(' ') + timePart));
    }
    if (t.minute < 0 || t.second < 0)
        throw TimeError(timePart);

    const TDateTime value = EncodeDate(year, month, day) + EncodeTime(t.hour, t.minute, t.second, t.msec);
    if (!t.hasZone)
        return value;
    // The offset's wall time to UTC, then to local time by the zone rules at that instant.
    const QDateTime utc = QDateTime(QDate(year, month, day), QTime(t.hour, t.minute, t.second, t.msec), Qt::UTC)
                              .addSecs(-qint64(t.zoneMinutes) * 60);
    return FromQDateTime(utc.toLocalTime());
}

QString VariantToXMLText(const Variant &value, bool normalize)
{
    if (value.isNull() || value.isEmpty())
        return QString();
    if (normalize) {
        switch (value.type()) {
        case varDouble:
        case varCurrency: return XMLFloatToStr(value.toDouble());
        case varDate: return DateTimeToXMLTime(value.toDouble(), true);
        default: break;
        }
    }
    return value.toString();
}

Variant XMLTextToVariant(const QString &text, int code, bool normalize)
{
    if (normalize) {
        switch (code) {
        case varDouble: return Variant(XMLStrToFloat(text));
        case varCurrency: return Variant::Currency(XMLStrToFloat(text));
        case varDate: return Variant::Date(XMLTimeToDateTime(text));
        default: break;
        }
    }
    return Variant(text).convertTo(code);
}

} // namespace pelk
