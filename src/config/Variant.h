#pragma once
// A value with the variant type codes of the object files ("Integer", "Date", "OleStr", ...).
#include "DateTime.h"

#include <QMetaType>
#include <QString>
#include <variant>

namespace pelk {

enum VarType : int {
    varEmpty = 0,
    varNull = 1,
    varSmallint = 2,
    varInteger = 3,
    varSingle = 4,
    varDouble = 5,
    varCurrency = 6,
    varDate = 7,
    varOleStr = 8,
    varDispatch = 9,
    varError = 10,
    varBoolean = 11,
    varVariant = 12,
    varUnknown = 13,
    varShortInt = 16,
    varByte = 17,
    varWord = 18,
    varLongWord = 19,
    varInt64 = 20,
    varStrArg = 72,
    varString = 256,
    varAny = 257,
    varTypeMask = 4095,
    varArray = 8192,
    varByRef = 16384
};

// Name of a type code ("" for codes without a name).
QString VarTypeName(int code);
// Lowest code whose name equals the text case-insensitively; 0 when none does
// (so an empty text gives 14, the first code without a name).
int VarTypeFromName(const QString &name);

class Variant
{
public:
    Variant() = default; // Empty
    Variant(int v) : m_type(varInteger), m_value(qint64(v)) {}
    Variant(qint64 v) : m_type(varInt64), m_value(v) {}
    Variant(double v) : m_type(varDouble), m_value(v) {}
    Variant(bool v) : m_type(varBoolean), m_value(v) {}
    Variant(const QString &v) : m_type(varString), m_value(v) {}
    Variant(const char *v) : Variant(QString::fromUtf8(v)) {}

    static Variant Null();
    static Variant OleStr(const QString &v);
    static Variant Date(TDateTime v);
    static Variant Currency(double v);
    // Any integer code (Smallint, Byte, Word, ...) with range check.
    static Variant Integral(int code, qint64 v);

    int type() const { return m_type; }
    bool isEmpty() const { return m_type == varEmpty; }
    bool isNull() const { return m_type == varNull; }
    bool isText() const { return m_type == varString || m_type == varOleStr; }
    bool isIntegral() const;
    bool isFloat() const;

    // Strict conversions: Null (and text that is no number) throws EVariantError.
    QString toString() const;
    qint64 toInt64() const;
    int toInt() const;
    double toDouble() const;
    bool toBool() const;
    TDateTime toDateTime() const;

    // Converts this value to another type code; throws EVariantError when impossible.
    Variant convertTo(int code) const;

    bool operator==(const Variant &o) const;
    bool operator!=(const Variant &o) const { return !(*this == o); }

private:
    int m_type = varEmpty;
    std::variant<std::monostate, qint64, double, bool, QString> m_value;
};

} // namespace pelk

Q_DECLARE_METATYPE(pelk::Variant)
