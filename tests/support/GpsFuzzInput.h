#pragma once
// Hostile input for the GPS decoder: random bytes and mutated slices of a recorded conversation,
// fed in chunks. The decoder's tests run a short stretch; the fuzz program runs long ones.
#include "support/DecoderHarness.h"
#include "support/GpsStream.h"

#include <random>

namespace pelk::test {

// A recorded conversation: greeting, vehicle list, live updates and two archives.
inline QByteArray RecordedConversation()
{
    QList<gps::Frame> frames;
    for (int i = 0; i < 40; ++i) {
        gps::Frame f;
        f.time += quint32(i) * 60;
        f.engine = i % 7 < 3;
        f.driver = i % 2 ? QStringLiteral("Łucja Żak") : QStringLiteral("Jan");
        frames << f;
    }
    return gps::Greeting() + gps::VehicleList(3, {{QStringLiteral("12"), QStringLiteral("WX 12"), QStringLiteral("t")}})
        + "<update opid=\"1\" vehicle=\"13\" name=\"WX 13\">" + gps::FrameXml({}) + "</update>\r\n"
        + gps::Archive(5, QStringLiteral("12"), frames)
        + "<message level=\"error\" error=\"NO_ARCHIVE\">brak</message>\r\n<archive opid=\"9\" vehicle=\"13\"/>\r\n"
        + gps::Archive(7, QStringLiteral("13"), frames.mid(0, 10));
}

class ChunkMutator
{
public:
    explicit ChunkMutator(unsigned seed) : m_random(seed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    // Bytes the protocol is made of, so random text often forms (broken) elements.
    QByteArray RandomBytes(int length)
    {
        static const QByteArray alphabet = "<>/=\"  \r\nframeupdatarchivhellomsgvlistnfo-_0123456789.,:xinEgAÓ\xC5\x81\xFF";
        QByteArray out(length, '\0');
        for (char &c : out)
            c = Below(4) == 0 ? char(Below(256)) : alphabet.at(Below(int(alphabet.size())));
        return out;
    }
    // Up to three bit flips, cuts, insertions of random bytes or of a piece of the slice.
    QByteArray Mutated(QByteArray slice)
    {
        for (int n = Below(4); n > 0 && !slice.isEmpty(); --n) {
            const int at = Below(int(slice.size()));
            switch (Below(4)) {
            case 0: slice[at] = char(slice[at] ^ (1 << Below(8))); break;
            case 1: slice.remove(at, 1 + Below(8)); break;
            case 2: slice.insert(at, RandomBytes(1 + Below(6))); break;
            default: slice.insert(at, slice.mid(Below(int(slice.size())), Below(40))); break;
            }
        }
        return slice;
    }
    // Three chunks in ten random bytes, five a mutated slice of the recording, two a slice as
    // recorded.
    QByteArray NextChunk(const QByteArray &recorded)
    {
        const int kind = Below(10);
        const int at = Below(int(recorded.size()));
        const QByteArray slice = recorded.mid(at, 1 + Below(200));
        if (kind < 3)
            return RandomBytes(1 + Below(64));
        return kind < 8 ? Mutated(slice) : slice;
    }

private:
    std::mt19937 m_random;
};

// Feeds `chunks` chunks of the mutator to the decoder and adds their bytes to *fed. Returns the
// number of the first chunk after which the decoder held more than one element and that chunk,
// or -1.
inline int FeedChunks(DecoderHarness &h, ChunkMutator &m, int chunks, qsizetype *fed)
{
    const QByteArray recorded = RecordedConversation();
    for (int i = 0; i < chunks; ++i) {
        const QByteArray chunk = m.NextChunk(recorded);
        h.Feed(chunk);
        *fed += chunk.size();
        if (!h.PendingBounded(chunk.size()))
            return i;
    }
    return -1;
}

} // namespace pelk::test
