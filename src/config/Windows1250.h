#pragma once
// Text as Windows-1250 bytes (the single-byte code page of stored passwords and GPS requests).
#include <QByteArray>
#include <QString>

namespace pelk {

// Characters outside the code page become '?'.
QByteArray ToWindows1250(const QString &text);
// Every byte maps to one character (the five unassigned bytes to the C1 controls of their value).
QString FromWindows1250(const QByteArray &bytes);

} // namespace pelk
