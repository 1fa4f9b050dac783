#include "Guarded.h"

#include "Log.h"

namespace pelk {

Where Where::Of(const QString &className, const char *operation)
{
    return Where(QStringLiteral(" Wyjątek funkcji %1.%2").arg(className, QLatin1String(operation)), QString());
}

Where Where::Heading(const QString &heading, const QString &detail)
{
    return Where(heading, detail);
}

namespace {

// The qualified name of a signature: from the last space outside template arguments before the
// parameter list (after the return type and, in the Microsoft layout, the calling convention)
// to that list. A return type holding parentheses is not used by the program's operations.
QString QualifiedName(const QString &signature)
{
    int depth = 0;
    qsizetype open = signature.size();
    for (qsizetype i = 0; i < signature.size() && open == signature.size(); ++i) {
        const QChar c = signature.at(i);
        if (c == QLatin1Char('<'))
            ++depth;
        else if (c == QLatin1Char('>') && depth > 0)
            --depth;
        else if (c == QLatin1Char('(') && depth == 0)
            open = i;
    }
    depth = 0;
    qsizetype start = open;
    for (; start > 0; --start) {
        const QChar c = signature.at(start - 1);
        if (c == QLatin1Char('>'))
            ++depth;
        else if (c == QLatin1Char('<') && depth > 0)
            --depth;
        else if (c == QLatin1Char(' ') && depth == 0)
            break;
    }
    return signature.mid(start, open - start);
}

// The name without its template arguments ("TKolejka<T>" and "TKolejka<class pelk::X>" alike).
QString WithoutTemplateArguments(const QString &name)
{
    QString out;
    int depth = 0;
    for (const QChar c : name) {
        if (c == QLatin1Char('<'))
            ++depth;
        else if (c == QLatin1Char('>') && depth > 0)
            --depth;
        else if (depth == 0)
            out += c;
    }
    return out;
}

} // namespace

QString Where::OperationName(const char *signature)
{
    // An anonymous namespace as GCC names it: the other layouts hold a space or parentheses.
    QString text = QString::fromLatin1(signature);
    for (const char *other : {"(anonymous namespace)", "`anonymous namespace'", "`anonymous-namespace'"})
        text.replace(QLatin1String(other), QLatin1String("{anonymous}"));
    QStringList parts = WithoutTemplateArguments(QualifiedName(text)).split(QStringLiteral("::"), Qt::SkipEmptyParts);
    while (parts.size() > 2)
        parts.removeFirst();
    return parts.join(QLatin1Char('.'));
}

QString Where::HeadingText() const
{
    if (!m_signature)
        return m_heading;
    return QStringLiteral(" Wyjątek funkcji ") + OperationName(m_signature);
}

void LogCaught(TLog *log, const Where &where, const std::exception &e)
{
    if (!log)
        return;
    log->Error(1, where.HeadingText());
    if (!where.Detail().isNull())
        log->Error(1, where.Detail());
    log->Error(1, QStringLiteral(" ") + TLog::ExceptionText(e));
}

} // namespace pelk
