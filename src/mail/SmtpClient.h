#pragma once
// One SMTP session with a mail server, on libcurl: TLS from the start on port 465, STARTTLS
// whenever the server offers it, authentication when asked, and time-outs on connecting and on
// every exchange, so a server that does not answer never holds the caller for long.
#include <QByteArray>
#include <QString>
#include <memory>

namespace pelk {

struct SmtpServer
{
    QString host;
    int port = 0; // 0: the SMTP port
    bool authenticate = false;
    QString login;
    QString password;         // plain; never part of an error text
    QString caFile;           // PEM certificates to check the server's against; empty: the system's
    int connectTimeout = 10;  // seconds, to the session's start (connection, TLS, greeting, login)
    int transferTimeout = 30; // seconds, for one whole exchange and for every reply
};

class TSmtpClient
{
public:
    TSmtpClient();
    ~TSmtpClient();
    TSmtpClient(const TSmtpClient &) = delete;
    TSmtpClient &operator=(const TSmtpClient &) = delete;

    // Connects, greets, upgrades to TLS where offered, authenticates and checks the session
    // with NOOP. False with LastError() when any step fails.
    bool Open(const SmtpServer &server);
    // Sends one message over the open session (envelope: from, one recipient). False with
    // LastError() when the server refuses or the session fails.
    bool SendMail(const QByteArray &from, const QByteArray &to, const QByteArray &message);
    // Says QUIT and closes the connection; nothing when no session is open.
    void Close();
    bool IsOpen() const { return m_open; }

    // Why the last operation failed: libcurl's reason, with the server's refusal when there
    // was one. The password, in any form it travelled in, is blanked out.
    const QString &LastError() const { return m_lastError; }
    // The server's last reply line (for example "250 OK").
    const QString &LastReply() const { return m_lastReply; }

    // The port a setting means (0: 25) and the address libcurl is given: "smtps://" on 465,
    // "smtp://" elsewhere; an IPv6 address in brackets.
    static int EffectivePort(int port);
    static QString Url(const QString &host, int port);
    // Sets libcurl up for the process; once, before threads start.
    static void InitializeLibrary();

private:
    // Runs the transfer set up on the handle; false with LastError() set.
    bool Perform();
    QString Blanked(QString text) const;

    // The libcurl handle of the session, with its error buffer and callbacks.
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    bool m_open = false;
    bool m_stalled = false; // the last exchange timed out: the server may never answer again
    SmtpServer m_server;
    QByteArray m_message;
    qsizetype m_sent = 0;
    QString m_lastError, m_lastReply, m_lastRefusal;
};

} // namespace pelk
