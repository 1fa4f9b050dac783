// The decoder against hostile input: random and mutated recorded chunks must never crash it,
// make it hold more than one element, or store a position from a malformed frame.
#include "support/DecoderHarness.h"
#include "support/GpsStream.h"
#include "support/WarsawZone.h"

#include <gtest/gtest.h>
#include <random>

using namespace pelk;
using namespace pelk::test;

namespace {

// A recorded conversation: greeting, vehicle list, live updates and two archives.
QByteArray Recorded()
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

// Bytes the protocol is made of, so random text often forms (broken) elements.
const QByteArray kAlphabet = "<>/=\"  \r\nframeupdatarchivhellomsgvlistnfo-_0123456789.,:xinEgAÓ\xC5\x81\xFF";

class Mutator
{
public:
    explicit Mutator(unsigned seed) : m_random(seed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    QByteArray RandomBytes(int length)
    {
        QByteArray out(length, '\0');
        for (char &c : out)
            c = Below(4) == 0 ? char(Below(256)) : kAlphabet.at(Below(int(kAlphabet.size())));
        return out;
    }
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

private:
    std::mt19937 m_random;
};

} // namespace

TEST(GpsDecoderFuzz, RandomAndMutatedChunksNeverBreakIt)
{
    const QByteArray recorded = Recorded();
    Mutator m(20090314);
    DecoderHarness h;
    h.ReportReceived(true);
    qsizetype fed = 0;
    for (int i = 0; i < 300000; ++i) {
        QByteArray chunk;
        const int kind = m.Below(10);
        const int at = m.Below(int(recorded.size()));
        const QByteArray slice = recorded.mid(at, 1 + m.Below(200));
        if (kind < 3)
            chunk = m.RandomBytes(1 + m.Below(64));
        else if (kind < 8)
            chunk = m.Mutated(slice);
        else
            chunk = slice;
        h.Feed(chunk);
        fed += chunk.size();
        ASSERT_TRUE(h.PendingBounded(chunk.size())) << "after chunk " << i;
    }
    EXPECT_TRUE(h.PositionsWellFormed());
    // The run did reach the frames.
    EXPECT_GT(h.Store().Count(), 100);
    EXPECT_GT(fed, 10000000);
}

TEST(GpsDecoderFuzz, OnlyReadableFramesAreStoredWhateverTheCutsAndNoise)
{
    // Frames OK-n are readable; BAD-n are broken in one of the ways a server or a line can.
    const QList<QByteArray> breakages = {
        "lon=\"abc\"", "lat=\"\"", "time=\"12x\"", "time=\"\"", "fuel=\"1,2,3\"", "lon=\"inf\"", "lat=\"1e999\"",
    };
    Mutator m(1199145600);
    QByteArray stream = "<archive opid=\"5\" vehicle=\"12\">\r\n";
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        gps::Frame f;
        f.time += quint32(i);
        const bool bad = m.Below(3) == 0;
        f.device = (bad ? QStringLiteral("BAD-") : QStringLiteral("OK-")) + QString::number(i);
        QByteArray xml = gps::FrameXml(f);
        if (bad) {
            const QByteArray &broken = breakages.at(m.Below(int(breakages.size())));
            const QByteArray name = broken.left(broken.indexOf('=') + 2);
            const qsizetype from = xml.indexOf(" " + name) + 1;
            xml.replace(from, xml.indexOf('"', from + name.size()) + 1 - from, broken);
        } else {
            expected << f.device;
        }
        stream += xml;
        // Noise between elements: text and brackets that start no element.
        if (m.Below(4) == 0)
            stream += m.Below(2) ? QByteArray("<?noise x=\"<\"?> <!-- > -->") : QByteArray("xyz<1<<!2 ");
    }
    stream += "</archive>\r\n<archive opid=\"7\" vehicle=\"99\">\r\n" + gps::FrameXml({}) + "</archive>\r\n";

    for (int run = 0; run < 20; ++run) {
        DecoderHarness h;
        for (qsizetype at = 0; at < stream.size();) {
            const qsizetype n = run == 0 ? stream.size() : 1 + m.Below(run * 50);
            h.Feed(stream.mid(at, n));
            at += n;
        }
        QStringList stored;
        for (const TDSLocatePozycja &p : h.Store().Positions())
            stored << p.Urzadzenie;
        ASSERT_EQ(stored, expected) << "run " << run;
    }
}
