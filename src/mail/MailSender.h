#pragma once
// The error-mail sender: one short mail per call to the administrator of the mail settings,
// over SMTP, with its progress and errors reported as texts to a callback by the settings'
// PoziomLogow. After a failure it rests for the settings' pause, so a dead server costs one
// time-out per pause, not one per error.
#include "app/MailHook.h"

#include <QDateTime>
#include <memory>

namespace pelk {

class TMailSettings;
class TSmtpClient;

class TMailSender : public IMailSender
{
public:
    // What the SMTP client is doing, as reported to IdSMTPStatus.
    enum class Status { Resolving, Connecting, Connected, Disconnecting, Disconnected, StatusText, Transfer, Ready };

    // settings: outlives the sender; onStatus: receives every reported text.
    TMailSender(TMailSettings &settings, MailStatusCallback onStatus);
    ~TMailSender() override; // disconnects first

    bool Connected() const override;
    // False, silently, while the settings are not valid or the pause after a failure lasts.
    bool Connect() override;
    // One mail whose subject is the text; false, silently, while the settings are not valid.
    bool Send(const QString &subject) override;
    bool Disconnect() override;

    // The client's status handler: reports StatusReport's text, when there is one.
    void IdSMTPStatus(Status status, const QString &text);
    // The text reported for a status at a PoziomLogow, empty for none: progress from level 2,
    // "Error..." status texts (without their "Error") from level 1. host and port: the client's.
    static QString StatusReport(Status status, const QString &text, int poziomLogow, const QString &host, int port);

private:
    // Reports "Error" + heading + CR LF + the reason (its first line break made a space) and
    // starts the pause.
    void Failed(const QString &heading, const QString &reason);
    int Port() const;

    TMailSettings &m_settings;
    MailStatusCallback m_onStatus;
    std::unique_ptr<TSmtpClient> m_client;
    QDateTime m_pausedUntil;
};

// Makes the main data module build a TMailSender at start-up (called once by the program and
// by tests, before the main data module is created).
void RegisterMailSender();

} // namespace pelk
