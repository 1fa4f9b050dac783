#pragma once
// What the core needs of the window. The window implements these; headless runs and tests
// leave them unset (or give a recording implementation).
#include <QString>
#include <QStringList>

namespace pelk {

// The log pane. Called on the GUI thread only (TLog marshals calls from other threads).
class ILogView
{
public:
    virtual ~ILogView() = default;
    // One message: the image (0 information, 1 warning, 2 error) on a new line, then the lines
    // of the text in the given style (6 Note, 7 Warning, 8 Error, 9 Info), each on its own line.
    virtual void AddMessage(int imageIndex, int styleIndex, const QStringList &lines) = 0;
    // Reformat, scroll to the newest line and repaint at once.
    virtual void ScrollToEnd() = 0;
};

// The processing panel: two labels and two progress bars.
class IProgressView
{
public:
    virtual ~IProgressView() = default;
    enum Bar { ObjectBar = 0, ElementBar = 1 };
    virtual void SetObjectLabel(const QString &text) = 0;
    virtual void SetElementLabel(const QString &text) = 0;
    virtual void ResetBar(Bar bar, int maximum) = 0; // minimum 0, position 0, repaint
    virtual void StepBar(Bar bar, int step) = 0;     // position += step, repaint
    virtual int BarPosition(Bar bar) const = 0;
    virtual int BarMaximum(Bar bar) const = 0;
};

// Lets the window handle pending events during long work on its thread: at most once per
// interval (kEventIntervalMilliseconds unless set), however often it is called.
void ProcessPendingEvents();
inline constexpr int kEventIntervalMilliseconds = 20;
// 0: every call processes the events (tests that deliver an event at an exact step).
void SetEventInterval(int milliseconds);

} // namespace pelk
