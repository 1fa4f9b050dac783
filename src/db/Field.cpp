#include "Field.h"

#include "config/Common.h"
#include "config/DateTime.h"
#include "config/NumberText.h"

#include <QDateTime>
#include <limits>
#include <optional>

#include <sql.h>
#include <sqlext.h>

namespace pelk {

namespace {

bool StartsWithAny(const QString &s, std::initializer_list<const char *> prefixes)
{
    for (const char *p : prefixes)
        if (s.startsWith(QLatin1String(p), Qt::CaseInsensitive))
            return true;
    return false;
}

// A date-time column's value as a date variant; nothing when it holds no valid date or time.
std::optional<Variant> DateFromDriver(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.isValid())
            return Variant::Date(FromQDateTime(dt));
        return std::nullopt;
    }
    case QMetaType::QDate:
        if (value.toDate().isValid())
            return Variant::Date(FromQDateTime(QDateTime(value.toDate(), QTime(0, 0))));
        return std::nullopt;
    case QMetaType::QTime:
        if (value.toTime().isValid())
            return Variant::Date(value.toTime().msecsSinceStartOfDay() / MSecsPerDay);
        return std::nullopt;
    default: {
        const QString s = value.toString().trimmed();
        QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (!dt.isValid())
            dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime(QDate::fromString(s, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
        if (dt.isValid())
            return Variant::Date(FromQDateTime(dt));
        return std::nullopt;
    }
    }
}

} // namespace

FieldType FieldDef::Classify(int sqlType, const QString &typeName)
{
    const QString tn = typeName.trimmed();
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
        if (StartsWithAny(tn, {"decimal", "numeric", "money", "smallmoney"}))
            return ftBCD;
        if (StartsWithAny(tn, {"nchar", "nvarchar", "ntext", "national"}))
            return ftWideString;
        return ftString;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR: return ftWideString;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER: return ftInteger;
    case SQL_BIGINT: return ftLargeint;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: return ftFloat;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return ftBCD;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP: return ftDateTime;
    case SQL_BIT: return ftBoolean;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return ftBlob;
    case SQL_GUID: return ftString;
    default: return ftUnknown;
    }
}

Variant FieldDef::FromDriver(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return Variant::Null();
    bool ok = false;
    switch (type) {
    case ftString: return Variant(value.toString());
    case ftWideString: return Variant::OleStr(value.toString());
    case ftInteger:
    case ftLargeint: {
        const qint64 v = value.toLongLong(&ok);
        if (!ok)
            break;
        if (type == ftInteger && v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max())
            return Variant(int(v));
        return Variant(v);
    }
    case ftFloat:
    case ftBCD: {
        double d = 0.0;
        if (value.typeId() == QMetaType::QString)
            d = TextToFloat(value.toString(), &ok);
        else
            d = value.toDouble(&ok);
        if (!ok)
            break;
        if (type == ftBCD && scale <= 4)
            return Variant::Currency(d);
        return Variant(d);
    }
    case ftDateTime:
        if (const std::optional<Variant> date = DateFromDriver(value))
            return *date;
        break;
    case ftBoolean: return Variant(value.toBool());
    case ftBlob: return Variant(QString::fromLatin1(value.toByteArray()));
    case ftUnknown: break;
    }
    // A value the column type does not describe (SQLite keeps any value in any column).
    switch (value.typeId()) {
    case QMetaType::Int: return Variant(value.toInt());
    case QMetaType::LongLong: return Variant(value.toLongLong());
    case QMetaType::Double: return Variant(value.toDouble());
    case QMetaType::Bool: return Variant(value.toBool());
    default: return Variant(value.toString());
    }
}

int IndexOfField(const QList<FieldDef> &defs, const QString &name)
{
    for (int i = 0; i < defs.size(); ++i)
        if (SameText(defs[i].name, name))
            return i;
    return -1;
}

} // namespace pelk
