#pragma once
// Wall and processor time of a piece of a bench.
#include <QElapsedTimer>
#include <ctime>
#include <functional>

namespace pelk::bench {

// CPU time of the process: on a shared machine the wall time also counts the waits for the
// other programs' turns.
inline double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// Wall time of f in seconds; its CPU time goes to `cpu` when given.
inline double SecondsOf(const std::function<void()> &f, double *cpu = nullptr)
{
    const double cpuBefore = CpuSeconds();
    QElapsedTimer t;
    t.start();
    f();
    if (cpu)
        *cpu = CpuSeconds() - cpuBefore;
    return t.nsecsElapsed() / 1e9;
}

} // namespace pelk::bench
