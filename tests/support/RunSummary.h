#pragma once
// The per-kind summary a run logs, as one comparable line: what the pane received, and what
// it should read for given counts.
#include "support/Installation.h"

#include <string>

namespace pelk::test {

// The counters of the summary logged for the kind's label (X to Y), joined by "|"; empty
// when the run logged none.
inline std::string RunSummary(const RecordingLogView &pane, const QString &kind)
{
    const QString head = QStringLiteral(" Przetworzono obiekt: %1 transfer do systemu Pelk·GIS Trasar").arg(kind);
    for (const auto &m : pane.messages)
        if (m.lines.value(0) == head)
            return m.lines.mid(1).join(QLatin1Char('|')).simplified().toStdString();
    return std::string();
}

// The summary line for the counts, as RunSummary gives it.
inline std::string SummaryCounts(int all, int done, int added, int updated, int unchanged, int failed)
{
    return QStringLiteral("Liczba wszystkich elementów obiektu: %1| Liczba przetworzonych elementów obiektu: %2 | - nowych: %3 "
                          "| - zaktualizowanych: %4 | - nie zmienionych: %5 | Liczba nieprzetworzonych elementów obiektu: %6| "
                          "Liczba usuniętych obiektów: 0")
        .arg(all)
        .arg(done)
        .arg(added)
        .arg(updated)
        .arg(unchanged)
        .arg(failed)
        .simplified()
        .toStdString();
}

} // namespace pelk::test
