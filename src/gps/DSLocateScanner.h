#pragma once
// Cuts the elements of the element table out of the GPS server's byte stream, in stream order,
// each once. Text that can no longer start an element is dropped, so the pending bytes stay
// below one element's length; an element that grows past the maximum, or waits too long,
// without its end text is given up. Work is linear in the stream, whatever the size of the
// chunks.
#include "DSLocateElements.h"

#include <QByteArray>
#include <chrono>

namespace pelk {

class IDSLocateElementSink
{
public:
    virtual ~IDSLocateElementSink() = default;
    // A complete element: the text between its start and end texts.
    virtual void Element(const TDSLocateCondition &condition, QByteArrayView content) = 0;
    // An element whose end text had not come within kMaxElementLength bytes or within the
    // longest wait; its start text is skipped and the scan goes on after it.
    virtual void Abandoned(const TDSLocateCondition &condition, qsizetype length) = 0;
};

class TDSLocateScanner
{
public:
    using Clock = std::chrono::steady_clock;

    // The largest element waited for (the client's maximum line length).
    static constexpr qsizetype kMaxElementLength = 65536;
    // The longest an element waits for its end text: a server writes an element in one go, so
    // a rest still missing after this long is not coming, and what follows must not wait.
    static constexpr std::chrono::seconds kMaxElementWait{30};

    // The longest wait in force (kMaxElementWait unless set).
    void SetMaxWait(Clock::duration wait) { m_maxWait = wait; }

    // Scans the pending bytes followed by the chunk (its line feeds removed) and hands every
    // complete element to the sink; keeps only an incomplete element (or the beginning of a
    // start text) for the next chunk, unless it has waited the longest wait since it was
    // first kept (`now` is the time of this chunk). An exception of the sink leaves the
    // element handed out consumed and the rest of the chunk unscanned.
    void Feed(QByteArray chunk, IDSLocateElementSink &sink, Clock::time_point now);
    // Whether the kept element has waited the longest wait: a Feed, even of nothing, gives it
    // up and hands out what follows it.
    bool Overdue(Clock::time_point now) const { return !m_pending.isEmpty() && now - m_keptSince >= m_maxWait; }

    // Bytes kept for the next chunk.
    qsizetype Pending() const { return m_pending.size(); }

private:
    // Scans data from pos on; pos ends where the unconsumed bytes begin. overdue: the data
    // begins with the kept element and it has waited the longest wait.
    static void Scan(QByteArrayView data, qsizetype &pos, IDSLocateElementSink &sink, bool overdue);

    QByteArray m_pending;
    Clock::time_point m_keptSince; // when the element at the head of m_pending was first kept
    Clock::duration m_maxWait = kMaxElementWait;
};

} // namespace pelk
