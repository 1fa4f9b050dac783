#pragma once
// The exception policy of the program, in one place.
//
// An operation that may fail reports success as a Boolean. Work that can throw runs inside
// Guarded(): an exception of the general class (std::exception, which pelk::Exception and the
// conversion and variant errors derive from) is caught there, logged as two errors at level 1
// -- the heading " Wyjątek funkcji <Class>.<Operation>", then " " and the exception's text --
// and turned into false. The run goes on; the element is counted as not processed. Anything
// that is not a std::exception passes through. Database writes of an element sit in a
// TElementTransaction, which rolls back whatever ends the element early, exceptions included.
//
// The heading names the operation from the compiler's signature (PELK_HERE), so no class or
// operation name is typed by hand; where the logged name must differ from the function (a
// module logging under another name, the few headings without " Wyjątek funkcji "), give the
// heading text itself.
#include <QString>
#include <exception>

namespace pelk {

class TLog;

// Where a guarded operation runs: a signature from PELK_HERE, or an explicit heading.
class Where
{
public:
    static Where Signature(const char *prettyFunction) { return Where(prettyFunction, true); }
    static Where Heading(const char *heading) { return Where(heading, false); }

    // " Wyjątek funkcji Class.Method" for a signature; the text itself for a heading.
    QString HeadingText() const;
    // "Class.Method" of a signature such as "bool pelk::TPelk_Obiekt::Save(pelk::RObiekt&)";
    // the last two scope parts before the parameter list.
    static QString OperationName(const char *prettyFunction);

private:
    Where(const char *text, bool signature) : m_text(text), m_signature(signature) {}
    const char *m_text;
    bool m_signature;
};

#define PELK_HERE ::pelk::Where::Signature(__PRETTY_FUNCTION__)

// Logs a caught exception under the heading (two errors at level 1).
void LogCaught(TLog &log, const Where &where, const std::exception &e);

// Runs op (returning bool); a std::exception is logged under `where` and gives false.
template <class F>
bool Guarded(TLog &log, const Where &where, F &&op)
{
    try {
        return op();
    } catch (const std::exception &e) {
        LogCaught(log, where, e);
        return false;
    }
}

} // namespace pelk
