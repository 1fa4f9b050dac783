#pragma once
// What an unattended run tells its scheduler: the program's exit codes and one summary line
// per kind on standard output, with the figures of the log's summary.
#include <QString>

namespace pelk {

namespace ExitCode {
constexpr int Complete = 0;       // every kind ran to its end (refused elements are logged)
constexpr int Unfinished = 1;     // the run ended, but something is left for the next run
constexpr int StartUpFailed = 2;  // settings, process settings or the GIS connection
constexpr int SecondInstance = 3; // another instance runs
constexpr int Usage = 64;         // a command line the program does not take (EX_USAGE)
} // namespace ExitCode

// One kind's run, as its summary counts it.
struct RKindReport
{
    QString Label; // the kind's label, as the log's summary heads it
    int Listed = 0;
    int New = 0;
    int Updated = 0;
    int Unchanged = 0;
    int Refused = 0; // not stored for their data; the next run does not retry them
    int Failed = 0;  // not stored for another reason; the next run retries them
    double Seconds = 0;
    // Something else of the kind is left for the next run (a list not read whole, a run
    // ended early, files that could not be deleted).
    bool Unfinished = false;

    bool LeavesWork() const { return Failed > 0 || Unfinished; }
};

// "<label>: listed=N new=N updated=N unchanged=N refused=N failed=N seconds=S", after "dry run: "
// when nothing was written.
QString ReportLine(const RKindReport &report, bool dryRun);

} // namespace pelk
