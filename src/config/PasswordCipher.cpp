#include "PasswordCipher.h"

// The low-level Blowfish calls: one block at a time on two native words, which is exactly
// the little-endian word order of the stored form. They need no provider.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <openssl/evp.h>

#include <cstdint>

namespace pelk {

namespace {

constexpr int kBlock = 8;

const QString &InvalidCharacter()
{
    static const QString text = QStringLiteral("Invalid Base64 Character");
    return text;
}

const QString &InvalidFormat()
{
    static const QString text = QStringLiteral("Invalid file format");
    return text;
}

using Word = BF_LONG; // a macro of a two-word type name

Word LoadWord(const uchar *p)
{
    return Word(p[0]) | Word(p[1]) << 8 | Word(p[2]) << 16 | Word(p[3]) << 24;
}

void StoreWord(Word w, uchar *p)
{
    p[0] = uchar(w);
    p[1] = uchar(w >> 8);
    p[2] = uchar(w >> 16);
    p[3] = uchar(w >> 24);
}

// Enciphers or deciphers whole blocks in place.
void Crypt(const QByteArray &key, QByteArray &data, bool encipher)
{
    BF_KEY schedule;
    BF_set_key(&schedule, int(key.size()), reinterpret_cast<const uchar *>(key.constData()));
    auto *p = reinterpret_cast<uchar *>(data.data());
    for (qsizetype i = 0; i + kBlock <= data.size(); i += kBlock) {
        Word words[2] = {LoadWord(p + i), LoadWord(p + i + 4)};
        if (encipher)
            BF_encrypt(words, &schedule);
        else
            BF_decrypt(words, &schedule);
        StoreWord(words[0], p + i);
        StoreWord(words[1], p + i + 4);
    }
    OPENSSL_cleanse(&schedule, sizeof schedule);
}

bool IsBase64Letter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'/';
}

// Strict base64: letters of the standard alphabet, "=" only as the padding of the last
// quartet, and whole quartets.
QByteArray DecodeBase64(const QString &text)
{
    qsizetype padding = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'=' && padding < 2 && text.size() - i <= 2 && text.size() % 4 == 0) {
            ++padding;
            continue;
        }
        if (padding > 0 || !IsBase64Letter(c))
            throw ECipherTextError(InvalidCharacter());
    }
    if (text.size() % 4 != 0)
        throw ECipherTextError(InvalidFormat());
    const QByteArray ascii = text.toLatin1();
    QByteArray out(ascii.size() / 4 * 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<uchar *>(out.data()), reinterpret_cast<const uchar *>(ascii.constData()),
                                  int(ascii.size()));
    if (n < 0)
        throw ECipherTextError(InvalidCharacter());
    out.truncate(n - padding);
    return out;
}

} // namespace

QByteArray DecodeCipherText(const QString &cipherText)
{
    const QByteArray data = DecodeBase64(cipherText);
    if (data.size() < kBlock || data.size() % kBlock != 0)
        throw ECipherTextError(InvalidFormat());
    return data;
}

QByteArray DecipherText(const QByteArray &key, const QString &cipherText)
{
    QByteArray data = DecodeCipherText(cipherText);
    Crypt(key, data, false);
    const int kept = uchar(data.back());
    if (kept >= kBlock)
        throw ECipherTextError(InvalidFormat());
    data.truncate(data.size() - kBlock + kept);
    return data;
}

QString EncipherText(const QByteArray &key, const QByteArray &plain)
{
    const qsizetype whole = plain.size() / kBlock * kBlock;
    QByteArray data = plain.left(whole);
    QByteArray last(kBlock, '\0');
    const qsizetype rest = plain.size() - whole;
    std::copy(plain.constBegin() + whole, plain.constEnd(), last.begin());
    last[kBlock - 1] = char(rest);
    data += last;
    Crypt(key, data, true);

    QByteArray out(4 * ((data.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<uchar *>(out.data()), reinterpret_cast<const uchar *>(data.constData()),
                                  int(data.size()));
    out.truncate(n);
    return QString::fromLatin1(out);
}

} // namespace pelk
