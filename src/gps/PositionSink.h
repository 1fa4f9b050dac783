#pragma once
// What the GPS response decoder hands its positions to: the position store, or a recorder in
// tests. Called on the decoder's thread only.
#include "DSLocatePozycja.h"

namespace pelk {

class TDSLocateKonfig;

class IDSLocatePositionSink
{
public:
    virtual ~IDSLocatePositionSink() = default;
    // The settings the positions are judged by; not owned.
    virtual void SetKonfig(const TDSLocateKonfig *konfig) = 0;
    // One decoded frame; false when a database step failed. Database errors may throw.
    virtual bool ZapiszPozycje(const TDSLocatePozycja &pozycja) = 0;
    // The decoder's thread ends: whatever was opened on it is released here.
    virtual void ThreadFinished() = 0;
};

} // namespace pelk
