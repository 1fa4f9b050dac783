#pragma once
// The exception policy of the program, in one place.
//
// An operation that may fail reports success as a Boolean; a failure is logged where it happens
// and never stops a run. Work that can throw runs inside Guarded(): an exception of the general
// class (std::exception, which pelk::Exception and the conversion and variant errors derive
// from) is caught there, logged as errors at level 1 -- the heading (" Wyjątek funkcji
// <Class>.<Operation>"), then " " and the exception's text -- and turned into false. Anything
// that is not a std::exception passes through. Operations that fail silently by contract
// (the base XML operations of an exchange object, a transformation, the permission grant) pass
// no log. Database writes of an element sit in a TElementTransaction, which rolls back
// whatever ends the element early, exceptions of any type included.
//
// The heading names the operation from the compiler's signature (PELK_HERE: GCC's and clang's
// __PRETTY_FUNCTION__, the Microsoft compiler's __FUNCSIG__), so no class or operation name is
// typed by hand; Where::Of names it by a class known only at run time, and
// Where::Heading gives the text itself where the logged name differs from the function.
#include <QString>
#include <exception>

namespace pelk {

class TLog;

// Where a guarded operation runs, as its logged heading.
class Where
{
public:
    // A signature as PELK_FUNCTION gives it; parsed only when something is logged.
    static Where Signature(const char *signature) { return Where(signature); }
    // " Wyjątek funkcji <className>.<operation>".
    static Where Of(const QString &className, const char *operation);
    // The heading text itself; `detail`, when given, is logged as a line of its own after it.
    static Where Heading(const QString &heading, const QString &detail = QString());

    QString HeadingText() const;
    const QString &Detail() const { return m_detail; }
    // "Class.Method" of a named function's signature in either compiler's layout, such as
    // "bool pelk::TPelk_Obiekt::Save(pelk::RObiekt&)" or
    // "bool __cdecl pelk::TPelk_Obiekt::Save(struct pelk::RObiekt &)": the last two scope parts
    // of the name before the parameter list, without template arguments.
    static QString OperationName(const char *signature);

private:
    explicit Where(const char *signature) : m_signature(signature) {}
    Where(const QString &heading, const QString &detail) : m_heading(heading), m_detail(detail) {}
    const char *m_signature = nullptr;
    QString m_heading;
    QString m_detail;
};

// The enclosing function's signature, in the layout of the compiler.
#if defined(_MSC_VER)
#define PELK_FUNCTION __FUNCSIG__
#else
#define PELK_FUNCTION __PRETTY_FUNCTION__
#endif
#define PELK_HERE ::pelk::Where::Signature(PELK_FUNCTION)

// Logs a caught exception under the heading; nothing when there is no log.
void LogCaught(TLog *log, const Where &where, const std::exception &e);

// Runs op (returning bool); a std::exception is logged under `where` and gives false.
template <class F>
bool Guarded(TLog *log, const Where &where, F &&op)
{
    try {
        return op();
    } catch (const std::exception &e) {
        LogCaught(log, where, e);
        return false;
    }
}

template <class F>
bool Guarded(TLog &log, const Where &where, F &&op)
{
    return Guarded(&log, where, std::forward<F>(op));
}

} // namespace pelk
