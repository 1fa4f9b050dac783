#include "Password.h"

#include "KeyLibrary.h"
#include "Lmd.h"
#include "Windows1250.h"

namespace pelk {

namespace {

bool LoadKey(QByteArray &key)
{
    QByteArray keyText;
    if (!LoadKeyText(keyText))
        return false;
    key = LmdDigest(keyText);
    return true;
}

} // namespace

QString DecryptPassword(const QString &cipherText)
{
    QString plain;
    TryDecryptPassword(cipherText, plain);
    return plain;
}

bool TryDecryptPassword(const QString &cipherText, QString &plain)
{
    plain.clear();
    QByteArray key;
    if (!LoadKey(key))
        return false;
    plain = FromWindows1250(DecipherText(key, cipherText));
    return true;
}

bool TryEncryptPassword(const QString &plain, QString &cipherText)
{
    cipherText.clear();
    QByteArray key;
    if (!LoadKey(key))
        return false;
    cipherText = EncipherText(key, ToWindows1250(plain));
    return true;
}

} // namespace pelk
