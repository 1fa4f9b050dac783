#pragma once
// The texts of values in object files: published properties as the serializer writes and reads
// them, and floats, date-times and variants in their XML forms.
#include "DateTime.h"
#include "Errors.h"
#include "Variant.h"

#include <QString>

class QMetaProperty;
class QObject;

namespace pelk {

// A date-time text that is no date, time or date and time.
class EXSDateTimeException : public Exception
{
public:
    using Exception::Exception;
};

// How a published property is written and read.
enum class PropertyKind { Unsupported, Integer, Int64, Enumeration, Boolean, Double, String, Variant, Object };
PropertyKind KindOf(const QMetaProperty &p);

// The property's value as a file carries it: its type name ("Integer", "OleStr", "Enumeration",
// a variant type's name, ...) and its text, floats and dates in the XML forms when normalize is
// set. False when it is not written: an enumeration or Boolean at its declared default
// ("default:<name>" class info), a nested object, an unsupported type.
bool PropertyToText(const QObject *object, const QMetaProperty &p, bool normalize, QString &type, QString &text);
// Sets the property from a file's type name and text, converted to the property's type within
// its range. Throws (a pelk::Exception) when the text does not convert or the property refuses it.
void PropertyFromText(QObject *object, const QMetaProperty &p, const QString &type, const QString &text, bool normalize);

// Float text with "." as decimal point and no thousand separators (up to 15 digits).
QString XMLFloatToStr(double value);
// Parses such a text; throws EConvertError on anything else.
double XMLStrToFloat(const QString &text);
// Minutes to add to a local time at that instant to get UTC (-60 for CET, -120 for CEST).
int LocalTimeZoneBias(TDateTime at);
// "yyyy-mm-ddThh:nn:ss.zzz" plus the zone offset in force at t ("+01:00"), or "Z".
QString DateTimeToXMLTime(TDateTime t, bool withZone);
// Reads the form above (date only, time without fraction, offset after the fraction);
// an offset converts the value to local time. Throws EXSDateTimeException or EConvertError.
TDateTime XMLTimeToDateTime(const QString &text);
// Text of a value as written into a file; with normalize floats and dates in the XML forms.
QString VariantToXMLText(const Variant &value, bool normalize);
// Value of a file text for a variant type code; throws when the text does not convert.
Variant XMLTextToVariant(const QString &text, int code, bool normalize);

} // namespace pelk
