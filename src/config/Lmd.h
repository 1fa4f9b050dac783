#pragma once
// The LMD digest: the 16-byte Blowfish key of stored passwords, derived from the key text.
#include <QByteArray>

namespace pelk {

// 16 bytes from any number of input bytes.
QByteArray LmdDigest(const QByteArray &data);

} // namespace pelk
