#pragma once
// The round trips of a run: the statements each element costs against its source and the GIS,
// counted by the db layer, and the same run with every statement held back as a LAN would.
#include "support/StatementCounter.h"

#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>

namespace pelk::bench {

// One round trip on a LAN to a database server.
constexpr std::chrono::microseconds kLanDelay{500};

// CPU time of the process: on a shared machine the wall time also counts the waits for the
// other programs' turns.
inline double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

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
    const double cpu = CpuSeconds();
    QElapsedTimer t;
    t.start();
    f();
    CountedRun run;
    run.seconds = t.nsecsElapsed() / 1e9;
    run.cpu = CpuSeconds() - cpu;
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
