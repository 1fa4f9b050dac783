#include "Lmd.h"

#include <array>
#include <cstdint>

namespace pelk {

namespace {

using Word = std::uint32_t;
using Block = std::array<Word, 4>;

// The first 2048 bits of the fraction of pi.
constexpr std::array<std::uint8_t, 256> kPiFraction = {
    0x24, 0x3F, 0x6A, 0x88, 0x85, 0xA3, 0x08, 0xD3, 0x13, 0x19, 0x8A, 0x2E, 0x03, 0x70, 0x73, 0x44, 0xA4, 0x09, 0x38, 0x22,
    0x29, 0x9F, 0x31, 0xD0, 0x08, 0x2E, 0xFA, 0x98, 0xEC, 0x4E, 0x6C, 0x89, 0x45, 0x28, 0x21, 0xE6, 0x38, 0xD0, 0x13, 0x77,
    0xBE, 0x54, 0x66, 0xCF, 0x34, 0xE9, 0x0C, 0x6C, 0xC0, 0xAC, 0x29, 0xB7, 0xC9, 0x7C, 0x50, 0xDD, 0x3F, 0x84, 0xD5, 0xB5,
    0xB5, 0x47, 0x09, 0x17, 0x92, 0x16, 0xD5, 0xD9, 0x89, 0x79, 0xFB, 0x1B, 0xD1, 0x31, 0x0B, 0xA6, 0x98, 0xDF, 0xB5, 0xAC,
    0x2F, 0xFD, 0x72, 0xDB, 0xD0, 0x1A, 0xDF, 0xB7, 0xB8, 0xE1, 0xAF, 0xED, 0x6A, 0x26, 0x7E, 0x96, 0xBA, 0x7C, 0x90, 0x45,
    0xF1, 0x2C, 0x7F, 0x99, 0x24, 0xA1, 0x99, 0x47, 0xB3, 0x91, 0x6C, 0xF7, 0x08, 0x01, 0xF2, 0xE2, 0x85, 0x8E, 0xFC, 0x16,
    0x63, 0x69, 0x20, 0xD8, 0x71, 0x57, 0x4E, 0x69, 0xA4, 0x58, 0xFE, 0xA3, 0xF4, 0x93, 0x3D, 0x7E, 0x0D, 0x95, 0x74, 0x8F,
    0x72, 0x8E, 0xB6, 0x58, 0x71, 0x8B, 0xCD, 0x58, 0x82, 0x15, 0x4A, 0xEE, 0x7B, 0x54, 0xA4, 0x1D, 0xC2, 0x5A, 0x59, 0xB5,
    0x9C, 0x30, 0xD5, 0x39, 0x2A, 0xF2, 0x60, 0x13, 0xC5, 0xD1, 0xB0, 0x23, 0x28, 0x60, 0x85, 0xF0, 0xCA, 0x41, 0x79, 0x18,
    0xB8, 0xDB, 0x38, 0xEF, 0x8E, 0x79, 0xDC, 0xB0, 0x60, 0x3A, 0x18, 0x0E, 0x6C, 0x9E, 0x0E, 0x8B, 0xB0, 0x1E, 0x8A, 0x3E,
    0xD7, 0x15, 0x77, 0xC1, 0xBD, 0x31, 0x4B, 0x27, 0x78, 0xAF, 0x2F, 0xDA, 0x55, 0x60, 0x5C, 0x60, 0xE6, 0x55, 0x25, 0xF3,
    0xAA, 0x55, 0xAB, 0x94, 0x57, 0x48, 0x98, 0x62, 0x63, 0xE8, 0x14, 0x40, 0x55, 0xCA, 0x39, 0x6A, 0x2A, 0xAB, 0x10, 0xB6,
    0xB4, 0xCC, 0x5C, 0x34, 0x11, 0x41, 0xE8, 0xCE, 0xA1, 0x54, 0x86, 0xAF, 0x7C, 0x72, 0xE9, 0x93,
};

constexpr int kDigestRounds = 8;

Word LoadWord(const std::uint8_t *p)
{
    return Word(p[0]) | Word(p[1]) << 8 | Word(p[2]) << 16 | Word(p[3]) << 24;
}

void StoreWord(Word w, std::uint8_t *p)
{
    p[0] = std::uint8_t(w);
    p[1] = std::uint8_t(w >> 8);
    p[2] = std::uint8_t(w >> 16);
    p[3] = std::uint8_t(w >> 24);
}

Block LoadBlock(const std::uint8_t *p)
{
    return {LoadWord(p), LoadWord(p + 4), LoadWord(p + 8), LoadWord(p + 12)};
}

void StoreBlock(const Block &b, std::uint8_t *p)
{
    for (int i = 0; i < 4; ++i)
        StoreWord(b[i], p + 4 * i);
}

// The 128-bit mix shared by the stirring of the key state and the block cipher.
void Mix(Word &a, Word &b, Word &c, Word &d)
{
    a += d;
    d += a;
    a ^= a >> 7;
    b += a;
    a += b;
    b ^= b << 13;
    c += b;
    b += c;
    c ^= c >> 17;
    d += c;
    c += d;
    d ^= d << 9;
    a += d;
    d += a;
    a ^= a >> 3;
    b += a;
    a += b;
    b ^= b << 7;
    c += b;
    b += c;
    c ^= d >> 15;
    d += c;
    c += d;
    d ^= d << 11;
}

struct SubKey
{
    Word k0, k1;
};

std::array<SubKey, 16> KeySchedule(const Block &key)
{
    std::array<SubKey, 16> subKeys{};
    int n = 0;
    for (const Word s : {0x55555555u, 0xAAAAAAAAu, 0x33333333u, 0xCCCCCCCCu}) {
        Word a = key[0], b = s, c = key[1], d = s, e = key[2], f = s, g = key[3], h = s;
        for (int i = 0; i < 8; ++i) {
            a ^= b << 11;
            d += a;
            b += c;
            b ^= c >> 2;
            e += b;
            c += d;
            c ^= d << 8;
            f += c;
            d += e;
            d ^= e >> 16;
            g += d;
            e += f;
            e ^= f << 10;
            h += e;
            f += g;
            f ^= g >> 4;
            a += f;
            g += h;
            g ^= h << 8;
            b += g;
            h += a;
            h ^= a >> 9;
            c += h;
            a += b;
        }
        subKeys[n++] = {a, b};
        subKeys[n++] = {c, d};
        subKeys[n++] = {e, f};
        subKeys[n++] = {g, h};
    }
    return subKeys;
}

Block EncryptBlock(const Block &in, const std::array<SubKey, 16> &subKeys, int rounds)
{
    Word l0 = in[0], l1 = in[1], r0 = in[2], r1 = in[3];
    for (int r = 0; r < rounds; ++r) {
        Word a = l0, b = subKeys[r].k0, c = l1, d = subKeys[r].k1;
        Mix(a, b, c, d);
        std::swap(a, c);
        std::swap(b, d);
        Mix(a, b, c, d);
        const Word n0 = b ^ a ^ r0, n1 = d ^ c ^ r1;
        r0 = l0;
        r1 = l1;
        l0 = n0;
        l1 = n1;
    }
    return {r0, r1, l0, l1};
}

class Digest
{
public:
    Digest() : m_ring(kPiFraction) { m_keyState.fill(0x55); }

    void Feed(std::uint8_t x)
    {
        m_ring[m_ringIndex] ^= x;
        m_ringIndex = (m_ringIndex + 1) % m_ring.size();
        m_keyState[m_keyIndex] ^= x;
        if (++m_keyIndex == 8) {
            m_keyIndex = 0;
            Stir();
        }
    }

    QByteArray Finish()
    {
        static constexpr std::uint8_t kPad[8] = {1, 0, 0, 0, 0, 0, 0, 0};
        for (size_t i = 0, n = 8 - m_keyIndex; i < n; ++i)
            Feed(kPad[i]);
        // The ring is enciphered block by block (ECB); the key is its first block, so the
        // other fifteen need not be computed.
        const Block first = EncryptBlock(LoadBlock(m_ring.data()), KeySchedule(LoadBlock(m_keyState.data())), kDigestRounds);
        QByteArray out(16, '\0');
        StoreBlock(first, reinterpret_cast<std::uint8_t *>(out.data()));
        return out;
    }

private:
    void Stir()
    {
        const Block w = LoadBlock(m_keyState.data());
        Word a = w[3], b = w[2], c = w[1], d = w[0];
        for (int i = 0; i < 4; ++i)
            Mix(a, b, c, d);
        StoreBlock({a, b, c, d}, m_keyState.data());
    }

    std::array<std::uint8_t, 256> m_ring;
    size_t m_ringIndex = 0;
    std::array<std::uint8_t, 16> m_keyState{};
    size_t m_keyIndex = 0;
};

} // namespace

QByteArray LmdDigest(const QByteArray &data)
{
    Digest digest;
    for (const char c : data)
        digest.Feed(std::uint8_t(c));
    return digest.Finish();
}

} // namespace pelk
