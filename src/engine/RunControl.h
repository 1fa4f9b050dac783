#pragma once
// Start and Stop of an exchange run, independent of the window.
#include <functional>

namespace pelk {

class TDM_Main;

class TRunControl
{
public:
    explicit TRunControl(TDM_Main &dm);

    // Called with true when a run begins and false when it ends (the window swaps its
    // Start/Stop button and re-evaluates its actions).
    std::function<void(bool running)> OnRunningChanged;

    // Runs the exchange synchronously; the flags are reset even when an exception escapes.
    void Start();
    // Asks for confirmation; on yes sets the escape flag. Returns the answer.
    bool Stop();

private:
    TDM_Main &m_dm;
};

} // namespace pelk
