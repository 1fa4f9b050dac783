#pragma once
// What the error-mail hook needs of a mail sender, and the seam through which the program
// supplies the one it builds (the sender lives in a layer the main data module cannot see).
#include <QString>
#include <functional>
#include <memory>

namespace pelk {

class TMailSettings;

class IMailSender
{
public:
    virtual ~IMailSender() = default;
    virtual bool Connected() const = 0;
    // Opens the session with the server; false (reported through the status callback) when
    // it cannot, or while the settings are not valid.
    virtual bool Connect() = 0;
    // Sends one mail whose subject is the text, over the open session.
    virtual bool Send(const QString &subject) = 0;
    virtual bool Disconnect() = 0;
};

// Receives the sender's status and error texts.
using MailStatusCallback = std::function<void(const QString &text)>;
// Builds a sender over the settings (which outlive it), reporting through the callback.
using MailSenderFactory = std::function<std::unique_ptr<IMailSender>(TMailSettings &settings, MailStatusCallback status)>;

// Installed once at program start, before the main data module is created; an empty factory
// leaves the main data module without a sender (no mail is ever sent).
void SetMailSenderFactory(MailSenderFactory factory);
MailSenderFactory CurrentMailSenderFactory();

} // namespace pelk
