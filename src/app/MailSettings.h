#pragma once
// The SMTP settings with which logged errors are mailed (the "MailSettings" key of the
// settings file): server, account, addresses, time-outs; checks itself on request.
#include "config/Persistent.h"

namespace pelk {

class TMailSettings : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(int PoziomLogow MEMBER PoziomLogow)
    Q_PROPERTY(QString Host MEMBER Host)
    Q_PROPERTY(int Port MEMBER Port)
    Q_PROPERTY(bool Authentication MEMBER Authentication)
    Q_PROPERTY(QString Login MEMBER Login)
    Q_PROPERTY(QString Password READ Password WRITE SetPassword)
    Q_PROPERTY(QString FromMail MEMBER FromMail)
    Q_PROPERTY(QString FromMailName MEMBER FromMailName)
    Q_PROPERTY(QString ToMail MEMBER ToMail)
    Q_PROPERTY(int ConnectTimeout MEMBER ConnectTimeout)
    Q_PROPERTY(int TransferTimeout MEMBER TransferTimeout)
    Q_PROPERTY(int PauseAfterFailure MEMBER PauseAfterFailure)
    Q_PROPERTY(QString CaFile MEMBER CaFile)
    Q_CLASSINFO("default:Authentication", "0")
public:
    explicit TMailSettings(QObject *owner = nullptr) : TPersistent(owner) {}

    // 0 nothing of the sender's activity is logged, 1 its errors, 2 or more its progress too.
    int PoziomLogow = 0;
    QString Host;
    int Port = 0; // 0: the SMTP port, 25
    bool Authentication = false;
    QString Login;    // stored plain
    QString FromMail; // also the reply-to address
    QString FromMailName;
    QString ToMail;
    // Seconds: to open the session (connection, TLS, greeting and login); for any one exchange
    // with the server (opening the session, one mail, one reply).
    int ConnectTimeout = 10;
    int TransferTimeout = 30;
    // Seconds without mailing after a failed connection or mail (0: try for every error).
    int PauseAfterFailure = 300;
    // Certificates (PEM) trusted for the server's TLS besides the system's; empty: the system's.
    QString CaFile;

    // The stored (enciphered) password; setting it deciphers it, except an empty text.
    QString Password() const { return m_password; }
    void SetPassword(const QString &value);
    // What the sender logs in with. Never logged.
    QString PlainPassword() const { return m_plainPassword; }

    // The settings file named in the check's messages.
    QString SettingsFile;

    // Checks Host, with Authentication Login and Password, FromMail, ToMail (and the ranges of
    // the time-outs); on success Poprawne becomes true, on failure BladKonfiguracji says why.
    bool CheckMailSettings();
    // True for a value that is not empty; otherwise BladKonfiguracji names the key.
    bool CheckValue(const QString &value, const QString &key);

    // Set by a successful check; the sender does nothing while it is false.
    bool Poprawne() const { return m_poprawne; }
    QString BladKonfiguracji() const { return m_bladKonfiguracji; }

private:
    bool CheckRange(int value, int low, int high, const QString &key);

    QString m_password, m_plainPassword;
    bool m_poprawne = false;
    QString m_bladKonfiguracji;
};

} // namespace pelk
