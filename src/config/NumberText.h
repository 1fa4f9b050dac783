#pragma once
// Locale-independent number text: "." is the decimal point, no thousand separators,
// and nothing process-wide is changed to format or parse.
#include <QString>

namespace pelk {

// General form with up to 15 significant digits: 1234.5, 0.5, 1E20, 1.5E-7.
QString FloatToText(double value);
// Accepts "." or "," as decimal point and surrounding blanks; ok=false on anything else.
double TextToFloat(const QString &text, bool *ok);
// A plain decimal text ("-12.3456", "12,5") rounded half away from zero to `digits` decimals,
// exactly, with "." as point ("12.346" for 3); any other text unchanged.
QString RoundDecimalText(const QString &text, int digits);

} // namespace pelk
