#include "DSLocateScanner.h"

#include <QScopeGuard>
#include <array>
#include <tuple>

namespace pelk {

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Case-insensitive comparison of the first n bytes (the table's texts are lower case).
bool SameStart(QByteArrayView text, QByteArrayView lowerPattern, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (Lower(text.at(i)) != lowerPattern.at(i))
            return false;
    return true;
}

enum class Match { None, Partial, Full };

// Which element starts at the beginning of text ("<" there); Partial when the text ends
// inside a start text.
Match MatchStart(QByteArrayView text, const TDSLocateCondition *&found)
{
    for (const TDSLocateCondition &c : ElementTable()) {
        const qsizetype n = qMin(text.size(), c.start.size());
        if (!SameStart(text, c.start, n))
            continue;
        found = &c;
        return n == c.start.size() ? Match::Full : Match::Partial;
    }
    return Match::None;
}

// Case-insensitive search of the end text; -1 when absent. End texts begin with a character
// that has no case ("/", ">", "<").
qsizetype FindEnd(QByteArrayView data, QByteArrayView lowerEnd, qsizetype from)
{
    const char first = lowerEnd.at(0);
    for (qsizetype i = from; i + lowerEnd.size() <= data.size(); ++i) {
        const qsizetype hit = data.indexOf(first, i);
        if (hit < 0 || hit + lowerEnd.size() > data.size())
            return -1;
        if (SameStart(data.sliced(hit), lowerEnd, lowerEnd.size()))
            return hit;
        i = hit;
    }
    return -1;
}

} // namespace

void TDSLocateScanner::Feed(QByteArray chunk, IDSLocateElementSink &sink, Clock::time_point now)
{
    chunk.removeIf([](char c) { return c == '\n'; });
    const bool overdue = Overdue(now);
    const bool kept = !m_pending.isEmpty();
    // Most chunks begin on an element: they are scanned where they are, not copied.
    QByteArray data = std::move(m_pending);
    if (data.isEmpty())
        data = std::move(chunk);
    else
        data.append(chunk);
    m_pending.clear();
    qsizetype pos = 0;
    // Whatever ends the scan, an exception of the sink too, the bytes after the last element
    // handed out stay for the next chunk; an element kept anew starts its wait now.
    const auto keepRest = qScopeGuard([&] {
        m_pending = data.sliced(pos);
        if (pos > 0 || !kept)
            m_keptSince = now;
    });
    Scan(data, pos, sink, overdue);
}

void TDSLocateScanner::Scan(QByteArrayView data, qsizetype &pos, IDSLocateElementSink &sink, bool overdue)
{
    // Per condition, the position from which its end text is known to be absent: the search
    // for it is not repeated for later starts, so a run of starts without ends stays linear.
    std::array<qsizetype, std::tuple_size_v<std::remove_cvref_t<decltype(ElementTable())>>> absentFrom;
    absentFrom.fill(data.size() + 1);
    // Only the element kept from earlier chunks, the first one here, can have waited too long.
    const qsizetype kept = overdue ? data.indexOf('<', pos) : -1;
    while (pos < data.size()) {
        const qsizetype lt = data.indexOf('<', pos);
        if (lt < 0) {
            pos = data.size(); // nothing here can start an element any more
            return;
        }
        const bool giveUp = lt == kept;
        const TDSLocateCondition *c = nullptr;
        switch (MatchStart(data.sliced(lt), c)) {
        case Match::None: pos = lt + 1; continue;
        case Match::Partial:
            if (!giveUp) {
                pos = lt; // may still become a start text
                return;
            }
            pos = lt + 1;
            continue;
        case Match::Full: break;
        }
        qsizetype &absent = absentFrom[size_t(c - ElementTable().data())];
        const qsizetype end = lt >= absent ? -1 : FindEnd(data, c->end, lt);
        if (end < 0) {
            absent = qMin(absent, lt);
            pos = lt;
            if (data.size() - lt <= kMaxElementLength && !giveUp)
                return; // wait for the rest
            pos = lt + c->start.size();
            sink.Abandoned(*c, data.size() - lt);
            continue;
        }
        // An end text inside the start text (none in the table) would leave no content.
        const qsizetype from = qMin(lt + c->start.size(), end);
        pos = end + c->end.size();
        sink.Element(*c, data.sliced(from, end - from));
    }
}

} // namespace pelk
