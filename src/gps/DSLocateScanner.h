#pragma once
// Cuts the elements of the element table out of the GPS server's byte stream, in stream order,
// each once. Text that can no longer start an element is dropped, so the pending bytes stay
// below one element's length; an element that grows past the maximum without its end text is
// given up. Work is linear in the stream, whatever the size of the chunks.
#include "DSLocateElements.h"

#include <QByteArray>

namespace pelk {

class IDSLocateElementSink
{
public:
    virtual ~IDSLocateElementSink() = default;
    // A complete element: the text between its start and end texts.
    virtual void Element(const TDSLocateCondition &condition, QByteArrayView content) = 0;
    // An element whose end text had not come within kMaxElementLength bytes; its start text is
    // skipped and the scan goes on after it.
    virtual void Abandoned(const TDSLocateCondition &condition, qsizetype length) = 0;
};

class TDSLocateScanner
{
public:
    // The largest element waited for (the client's maximum line length).
    static constexpr qsizetype kMaxElementLength = 65536;

    // Scans the pending bytes followed by the chunk (its line feeds removed) and hands every
    // complete element to the sink; keeps only an incomplete element (or the beginning of a
    // start text) for the next chunk. An exception of the sink leaves the element handed out
    // consumed and the rest of the chunk unscanned.
    void Feed(QByteArray chunk, IDSLocateElementSink &sink);

    // Bytes kept for the next chunk.
    qsizetype Pending() const { return m_pending.size(); }

private:
    // Scans data from pos on; pos ends where the unconsumed bytes begin.
    static void Scan(QByteArrayView data, qsizetype &pos, IDSLocateElementSink &sink);

    QByteArray m_pending;
};

} // namespace pelk
