#pragma once
// A decoder with everything it reads from set up (settings that store positions, the vehicle
// list of a recorded conversation, a recording store), for the fuzzer and the decoder's
// robustness tests: feed it any bytes, then check what it may never do.
#include "app/DSLocateKonfig.h"
#include "gps/DSLocateDekodujDane.h"
#include "gps/DSLocatePojazdy.h"
#include "support/RecordingPositionSink.h"

#include <cmath>
#include <memory>

namespace pelk::test {

class DecoderHarness
{
public:
    DecoderHarness()
    {
        auto sink = std::make_unique<RecordingPositionSink>();
        m_store = sink.get();
        m_decoder = std::make_unique<TDSLocateDekodujDane>(std::move(sink));
        m_konfig.Harmonogram()->ZapiszDaneDoBazyDanych = true;
        m_decoder->SetKonfig(&m_konfig);
        m_decoder->SetPojazdy(&m_pojazdy);
        m_decoder->SetStatusHandler([](const QString &) {});
        for (const char *id : {"12", "13"}) {
            TDSLocatePojazd *v = m_pojazdy.AddPojazd();
            v->NrPojazdu = QString::fromLatin1(id);
            v->Nazwa = QStringLiteral("WX ") + v->NrPojazdu;
        }
    }

    void Feed(const QByteArray &chunk) { m_decoder->Decode(chunk); }
    // The received text is reported too, as at the highest message level.
    void ReportReceived(bool on) { m_decoder->SetReportReceived(on); }

    // Bytes held between chunks never exceed one element plus the last chunk.
    bool PendingBounded(qsizetype lastChunk) const
    {
        return m_decoder->Pending() <= TDSLocateScanner::kMaxElementLength + lastChunk;
    }
    // Every stored position came from a readable frame of a listed vehicle.
    bool PositionsWellFormed() const
    {
        for (const TDSLocatePozycja &p : m_store->Positions()) {
            if (!m_pojazdy.FindByNrPojazdu(p.NrPojazdu))
                return false;
            if (!std::isfinite(p.DlugoscGeo) || !std::isfinite(p.SzerokoscGeo) || !std::isfinite(p.IloscPaliwa) || p.Czas <= 0)
                return false;
        }
        return true;
    }

    const RecordingPositionSink &Store() const { return *m_store; }
    TDSLocatePojazdy &Pojazdy() { return m_pojazdy; }

private:
    TDSLocateKonfig m_konfig;
    TDSLocatePojazdy m_pojazdy;
    RecordingPositionSink *m_store = nullptr;
    std::unique_ptr<TDSLocateDekodujDane> m_decoder;
};

} // namespace pelk::test
