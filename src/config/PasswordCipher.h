#pragma once
// The stored form of passwords: Blowfish in ECB mode over 8-byte blocks read as two
// little-endian words, the last block carrying the count of its bytes, as base64 text.
#include "Errors.h"

#include <QByteArray>
#include <QString>

namespace pelk {

// A stored text that is no cipher text: "Invalid Base64 Character" or "Invalid file format".
class ECipherTextError : public Exception
{
public:
    using Exception::Exception;
};

// The base64 text of the enciphered bytes; key: 16 bytes.
QString EncipherText(const QByteArray &key, const QByteArray &plain);
// The plain bytes; throws ECipherTextError on a malformed text.
QByteArray DecipherText(const QByteArray &key, const QString &cipherText);
// The enciphered bytes of a stored text, checked for everything that needs no key: every
// character base64 ("Invalid Base64 Character"), whole blocks ("Invalid file format").
QByteArray DecodeCipherText(const QString &cipherText);

} // namespace pelk
