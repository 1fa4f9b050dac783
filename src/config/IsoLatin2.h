#pragma once
// Text as ISO 8859-2 bytes (the code page of log files and mail texts).
#include <QByteArray>
#include <QString>

namespace pelk {

// Characters outside the code page become '?'; the middle dot keeps its Windows-1250 byte.
QByteArray ToIsoLatin2(const QString &text);
// Log file bytes back to text.
QString FromIsoLatin2(const QByteArray &bytes);

} // namespace pelk
