// The decoder against hostile input: random and mutated recorded chunks must never crash it,
// make it hold more than one element, or store a position from a malformed frame.
#include "support/GpsFuzzInput.h"
#include "support/GpsStream.h"
#include "support/WarsawZone.h"

#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

TEST(GpsDecoderFuzz, RandomAndMutatedChunksNeverBreakIt)
{
    // A short stretch of what the fuzz program (fuzz_gps_decoder without libFuzzer) runs long.
    ChunkMutator m(20090314);
    DecoderHarness h;
    h.ReportReceived(true);
    qsizetype fed = 0;
    EXPECT_EQ(FeedChunks(h, m, 20000, &fed), -1) << "the chunk after which the decoder held too much";
    EXPECT_TRUE(h.PositionsWellFormed());
    // The run did reach the frames.
    EXPECT_GT(h.Store().Count(), 100);
    EXPECT_GT(fed, 1000000);
}

TEST(GpsDecoderFuzz, OnlyReadableFramesAreStoredWhateverTheCutsAndNoise)
{
    // Frames OK-n are readable; BAD-n are broken in one of the ways a server or a line can.
    const QList<QByteArray> breakages = {
        "lon=\"abc\"", "lat=\"\"", "time=\"12x\"", "time=\"\"", "fuel=\"1,2,3\"", "lon=\"inf\"", "lat=\"1e999\"",
    };
    ChunkMutator m(1199145600);
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
