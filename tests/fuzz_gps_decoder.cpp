// libFuzzer target: the GPS response decoder over any bytes, cut into chunks by the input's
// own first byte. Aborts when the decoder holds more than one element or stores a position
// that no readable frame of a listed vehicle gave.
#include "support/DecoderHarness.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    pelk::test::DecoderHarness h;
    h.ReportReceived(true);
    const size_t chunk = 1 + data[0] % 97;
    for (size_t at = 1; at < size; at += chunk) {
        const qsizetype n = qsizetype(std::min(chunk, size - at));
        h.Feed(QByteArray(reinterpret_cast<const char *>(data + at), n));
        if (!h.PendingBounded(n))
            std::abort();
    }
    if (!h.PositionsWellFormed())
        std::abort();
    return 0;
}
