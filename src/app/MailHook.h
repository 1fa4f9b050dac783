#pragma once
// What the error-mail hook needs of a mail sender.
#include <QString>

namespace pelk {

class IMailSender
{
public:
    virtual ~IMailSender() = default;
    virtual bool Connected() const = 0;
    virtual bool Connect() = 0;
    virtual void Send(const QString &subject) = 0;
    virtual void Disconnect() = 0;
};

} // namespace pelk
