#pragma once
// Faults that a stream can repeat without end (element after element, frame after frame): the
// first of each kind is reported, the later ones only counted and told once at the end, so a
// broken or hostile server cannot flood the log or the error mail. One per connection.
#include <QHash>
#include <QString>
#include <utility>
#include <vector>

namespace pelk {

class TFaultTally
{
public:
    // Counts one fault of the kind (its description, naming the vehicle where it concerns
    // one); true for the kind's first, which the caller reports.
    bool Count(const QString &kind)
    {
        const auto found = m_index.constFind(kind);
        if (found != m_index.cend()) {
            ++m_kinds[size_t(*found)].second;
            return false;
        }
        m_index.insert(kind, int(m_kinds.size()));
        m_kinds.emplace_back(kind, 0);
        return true;
    }

    // The kinds that came more than once, each with the number of its faults not reported, in
    // the order of their first fault; everything counted is forgotten.
    std::vector<std::pair<QString, int>> TakeRepeats()
    {
        std::vector<std::pair<QString, int>> repeats;
        for (auto &kind : m_kinds)
            if (kind.second > 0)
                repeats.push_back(std::move(kind));
        m_kinds.clear();
        m_index.clear();
        return repeats;
    }

    // The text that tells one kind's repeats.
    static QString RepeatsText(const std::pair<QString, int> &repeats)
    {
        return QStringLiteral("Nie zgłoszono %1 kolejnych wystąpień: %2").arg(repeats.second).arg(repeats.first);
    }

private:
    std::vector<std::pair<QString, int>> m_kinds; // description, faults after the first
    QHash<QString, int> m_index;                  // description to its place in m_kinds
};

} // namespace pelk
