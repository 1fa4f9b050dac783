#pragma once
// The round trips of a run: the statements each element costs against its source and the GIS,
// counted by the db layer, and the same run with every statement held back as a LAN would.
#include "Timing.h"
#include "support/StatementCounter.h"

#include <chrono>
#include <cstdio>

namespace pelk::bench {

// One round trip on a LAN to a database server.
constexpr std::chrono::microseconds kLanDelay{500};

struct CountedRun
{
    double seconds = 0, cpu = 0;
    test::StatementCounter::Counts source, gis;
};

// Runs f once, timed, with every statement counted (and held back by `delay`).
inline CountedRun Counted(const QString &sourceDsn, const std::function<void()> &f,
                          std::chrono::microseconds delay = std::chrono::microseconds(0))
{
    test::StatementCounter counter(delay);
    CountedRun run;
    run.seconds = SecondsOf(f, &run.cpu);
    run.source = counter.Of(sourceDsn);
    run.gis = counter.Of(QStringLiteral("GIS"));
    return run;
}

inline void PrintStatements(const char *what, const char *source, const CountedRun &run, int elements)
{
    const double n = elements > 0 ? elements : 1;
    std::printf("  statements per element: %s %.3f, GIS %.3f (reads %.3f, writes %.3f)  [%s]\n", source, run.source.All() / n,
                run.gis.All() / n, run.gis.reads / n, run.gis.writes / n, what);
}

inline void PrintLan(const char *what, const CountedRun &run, int elements)
{
    std::printf("  simulated LAN (%.1f ms a statement): %7.2f s  %6.0f elements/s  [%s]\n", kLanDelay.count() / 1000.0,
                run.seconds, elements / run.seconds, what);
}

} // namespace pelk::bench
