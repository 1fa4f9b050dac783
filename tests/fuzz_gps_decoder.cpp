// The GPS response decoder against hostile input, in two builds. With libFuzzer (PELK_FUZZ,
// clang): a fuzz target over any bytes, cut into chunks by the input's own first byte. Without:
// a program that feeds random and mutated slices of a recorded conversation,
// `fuzz_gps_decoder [chunks] [seed]` (300,000 chunks and seed 20090314 by default). Either aborts
// (or exits 1) when the decoder holds more than one element or stores a position that no
// readable frame of a listed vehicle gave.
#include "support/GpsFuzzInput.h"

#include <cstdio>
#include <cstdlib>

#ifdef PELK_LIBFUZZER

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

#else

int main(int argc, char **argv)
{
    using namespace pelk::test;
    const int chunks = argc > 1 ? std::atoi(argv[1]) : 300000;
    const unsigned seed = argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 20090314u;
    ChunkMutator m(seed);
    DecoderHarness h;
    h.ReportReceived(true);
    qsizetype fed = 0;
    if (const int failed = FeedChunks(h, m, chunks, &fed); failed >= 0) {
        std::fprintf(stderr, "fuzz_gps_decoder: the decoder held too much after chunk %d (seed %u)\n", failed, seed);
        return 1;
    }
    if (!h.PositionsWellFormed()) {
        std::fprintf(stderr, "fuzz_gps_decoder: a stored position came from no readable frame (seed %u)\n", seed);
        return 1;
    }
    std::printf("%d chunks, %lld bytes, %d positions stored (seed %u)\n", chunks, static_cast<long long>(fed),
                int(h.Store().Count()), seed);
    return 0;
}

#endif
