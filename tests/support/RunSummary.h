#pragma once
// The counters of a kind's summary in the log pane, as one comparable text.
#include "support/Installation.h"

#include <string>

namespace pelk::test {

// The summary lines logged for the kind's label (display name and direction text), joined by
// "|" with spaces simplified; empty when the pane holds no such summary.
inline std::string SummaryCounts(const RecordingLogView &pane, const QString &label)
{
    const QString head = QStringLiteral(" Przetworzono obiekt: ") + label;
    for (const auto &m : pane.messages)
        if (m.lines.value(0) == head)
            return m.lines.mid(1).join(QLatin1Char('|')).simplified().toStdString();
    return std::string();
}

// The same text for the given counts (no deleted objects).
inline std::string ExpectedCounts(int all, int done, int added, int updated, int unchanged, int failed)
{
    return QStringLiteral("Liczba wszystkich elementów obiektu: %1| Liczba przetworzonych elementów obiektu: %2 | - nowych: %3 "
                          "| - zaktualizowanych: %4 | - nie zmienionych: %5 | Liczba nieprzetworzonych elementów obiektu: %6| "
                          "Liczba usuniętych obiektów: 0")
        .arg(all).arg(done).arg(added).arg(updated).arg(unchanged).arg(failed)
        .simplified()
        .toStdString();
}

} // namespace pelk::test
