#include "Guarded.h"

#include "Log.h"

namespace pelk {

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
        return QString::fromUtf8(m_text);
    return QStringLiteral(" Wyjątek funkcji ") + OperationName(m_text);
}

void LogCaught(TLog &log, const Where &where, const std::exception &e)
{
    log.ErrorException(where.HeadingText(), e);
}

} // namespace pelk
