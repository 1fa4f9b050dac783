// The GPS response decoder alone (positions decoded, storage off) over a recorded stream:
// fed in 4 KiB chunks as a connection delivers them, and in one burst; and in chunks again with
// the vehicle list at its cap (the frames' vehicle listed last), which shows what the look-up of
// each frame's vehicle costs. Frames per second, the burst's time against the chunked time, and
// the memory the decoder holds besides the stream itself.
//   bench_gps_decoder [frames]   (default 1000000)
#include "app/DSLocateKonfig.h"
#include "gps/DSLocateDekodujDane.h"
#include "gps/DSLocatePojazdy.h"
#include "support/GpsStream.h"
#include "support/RecordingPositionSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using namespace pelk;

namespace {

// kB of the process's resident set: now, or at its peak since the last ResetPeak().
long StatusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

void ResetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

struct Result
{
    double seconds;
    qsizetype maxPending;
    long growthKb; // peak resident set above the resident set before the run
    QString lastStatus;
};

class Run
{
public:
    // listed: the vehicles on the list, the frames' own the last of them.
    explicit Run(int listed = 1)
    {
        auto sink = std::make_unique<test::RecordingPositionSink>();
        m_decoder = std::make_unique<TDSLocateDekodujDane>(std::move(sink));
        m_decoder->SetKonfig(&m_konfig); // ZapiszDaneDoBazyDanych off: decoded, not stored
        m_decoder->SetPojazdy(&m_pojazdy);
        m_decoder->SetReportReceived(false);
        m_decoder->SetStatusHandler([this](const QString &text) { m_lastStatus = text; });
        for (int i = 1; i < listed; ++i)
            m_pojazdy.AddPojazd()->NrPojazdu = QStringLiteral("V%1").arg(i);
        TDSLocatePojazd *v = m_pojazdy.AddPojazd();
        v->NrPojazdu = QStringLiteral("12");
        v->Nazwa = QStringLiteral("WX 1234");
    }

    // Chunks are copied out of the stream beforehand, as a connection hands over fresh buffers.
    Result Feed(QList<QByteArray> chunks)
    {
        qsizetype maxPending = 0;
        ResetPeak();
        const long before = StatusKb("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        for (QByteArray &chunk : chunks) {
            m_decoder->Decode(std::move(chunk));
            chunk = QByteArray(); // the connection's buffer is gone once handed over
            maxPending = qMax(maxPending, m_decoder->Pending());
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        return {seconds, maxPending, StatusKb("VmHWM:") - before, m_lastStatus};
    }

private:
    TDSLocateKonfig m_konfig;
    TDSLocatePojazdy m_pojazdy;
    std::unique_ptr<TDSLocateDekodujDane> m_decoder;
    QString m_lastStatus;
};

void Print(const char *name, int frames, const Result &r)
{
    std::printf("%-26s %8.3f s %10.0f frames/s  max pending %6lld B  memory above the stream %6ld kB\n", name, r.seconds,
                frames / r.seconds, static_cast<long long>(r.maxPending), r.growthKb);
    std::printf("%-26s last status: %s\n", "", qUtf8Printable(r.lastStatus));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int frames = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    const QByteArray stream = test::gps::LongArchive(5, QStringLiteral("12"), frames);
    std::printf("stream: %d frames, %.1f MB, largest element %lld B\n", frames, stream.size() / 1e6,
                static_cast<long long>(test::gps::FrameXml({}).size()));

    const auto chunks = [&stream] {
        QList<QByteArray> out;
        constexpr qsizetype kChunk = 4096;
        for (qsizetype at = 0; at < stream.size(); at += kChunk)
            out << QByteArray(stream.constData() + at, qMin(kChunk, stream.size() - at));
        return out;
    };
    const Result chunked = Run().Feed(chunks());
    Print("4 KiB chunks", frames, chunked);
    const Result fullList = Run(TDSLocatePojazdy::kMaxPojazdow).Feed(chunks());
    Print("4 KiB chunks, full list", frames, fullList);

    QList<QByteArray> burst{QByteArray(stream.constData(), stream.size())};
    const Result whole = Run().Feed(std::move(burst));
    Print("one burst", frames, whole);
    std::printf("burst / chunked time: %.2f\n", whole.seconds / chunked.seconds);
    return 0;
}
