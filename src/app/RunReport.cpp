#include "RunReport.h"

namespace pelk {

QString ReportLine(const RKindReport &report, bool dryRun)
{
    // The label is put in whole, never scanned for place markers.
    return (dryRun ? QStringLiteral("dry run: ") : QString()) + report.Label
        + QStringLiteral(": listed=%1 new=%2 updated=%3 unchanged=%4 refused=%5 failed=%6 seconds=%7")
              .arg(report.Listed)
              .arg(report.New)
              .arg(report.Updated)
              .arg(report.Unchanged)
              .arg(report.Refused)
              .arg(report.Failed)
              .arg(report.Seconds, 0, 'f', 1);
}

} // namespace pelk
