#pragma once
// Exception classes. Exception is the general class that operations catch and log;
// the others derive from it, as the XML, conversion and variant errors do.
#include <QString>
#include <stdexcept>

namespace pelk {

class Exception : public std::runtime_error
{
public:
    explicit Exception(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Text to number/date conversion failed.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// A variant could not be converted (e.g. Null to text).
class EVariantError : public Exception
{
public:
    using Exception::Exception;
};

} // namespace pelk
