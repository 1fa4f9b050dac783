#pragma once
// Stored passwords and logins: enciphered with the key the key library's text gives.
#include "PasswordCipher.h"

#include <QString>

namespace pelk {

// Plain text of a stored text (its bytes read as Windows-1250). Empty when the key library
// cannot be used (after its message); throws ECipherTextError on a malformed text.
QString DecryptPassword(const QString &cipherText);

// The same, telling the key library's failure apart from an empty plain text.
bool TryDecryptPassword(const QString &cipherText, QString &plain);
// The stored text of a plain text (Windows-1250 bytes); false when the key library cannot be
// used. DecryptPassword reads it back unchanged for every text of the code page.
bool TryEncryptPassword(const QString &plain, QString &cipherText);

} // namespace pelk
