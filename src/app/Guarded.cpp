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

QString Where::OperationName(const char *prettyFunction)
{
    QString text = QString::fromLatin1(prettyFunction);
    // The parameter list starts at the first '(' after the name; a return type holding
    // parentheses is not used by the program's operations.
    const qsizetype open = text.indexOf(QLatin1Char('('));
    if (open >= 0)
        text.truncate(open);
    const qsizetype space = text.lastIndexOf(QLatin1Char(' '));
    if (space >= 0)
        text = text.mid(space + 1);
    QStringList parts = text.split(QStringLiteral("::"), Qt::SkipEmptyParts);
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
