#include "MailSender.h"

#include "MailMessage.h"
#include "SmtpClient.h"
#include "app/MailSettings.h"
#include "config/Clock.h"
#include "config/DateTime.h"

namespace pelk {

namespace {

const QString kError = QStringLiteral("Error");

QString FirstLineBreakAsSpace(QString text)
{
    const qsizetype at = text.indexOf(QLatin1String("\r\n"));
    if (at >= 0)
        text.replace(at, 2, QStringLiteral(" "));
    return text;
}

} // namespace

TMailSender::TMailSender(TMailSettings &settings, MailStatusCallback onStatus)
    : m_settings(settings), m_onStatus(std::move(onStatus)), m_client(std::make_unique<TSmtpClient>())
{}

TMailSender::~TMailSender()
{
    Disconnect();
}

bool TMailSender::Connected() const
{
    return m_client->IsOpen();
}

bool TMailSender::Connect()
{
    if (!m_settings.Poprawne())
        return false;
    if (m_pausedUntil.isValid() && CurrentDateTime() < m_pausedUntil)
        return false;
    m_pausedUntil = QDateTime();
    SmtpServer server;
    server.host = m_settings.Host;
    server.port = m_settings.Port;
    server.authenticate = m_settings.Authentication;
    if (server.authenticate) {
        server.login = m_settings.Login;
        server.password = m_settings.PlainPassword();
    }
    server.caFile = m_settings.CaFile;
    server.connectTimeout = m_settings.ConnectTimeout;
    server.transferTimeout = m_settings.TransferTimeout;
    IdSMTPStatus(Status::Resolving, server.host);
    IdSMTPStatus(Status::Connecting, QString());
    if (!m_client->Open(server)) {
        Failed(QStringLiteral("Błąd połączenia z serwerem: %1  port: %2: ").arg(server.host).arg(Port()), m_client->LastError());
        return false;
    }
    IdSMTPStatus(Status::Connected, QString());
    return true;
}

bool TMailSender::Send(const QString &subject)
{
    if (!m_settings.Poprawne())
        return false;
    const QString heading = QStringLiteral("Błąd wysyłania poczyt email");
    MailFields fields{m_settings.FromMail, m_settings.FromMailName, m_settings.ToMail, subject, CurrentDateTime()};
    QString error;
    const QByteArray message = BuildMailMessage(fields, &error);
    if (message.isEmpty()) {
        Failed(heading, error);
        return false;
    }
    const QByteArray from = fields.fromMail.toLatin1();
    const QByteArray to = fields.toMail.toLatin1();
    IdSMTPStatus(Status::Transfer, QStringLiteral("MAIL FROM:<%1> RCPT TO:<%2>").arg(fields.fromMail, fields.toMail));
    if (!m_client->SendMail(from, to, message)) {
        Failed(heading, m_client->LastError());
        return false;
    }
    IdSMTPStatus(Status::Ready, m_client->LastReply());
    return true;
}

bool TMailSender::Disconnect()
{
    if (!m_client->IsOpen())
        return true;
    IdSMTPStatus(Status::Disconnecting, QString());
    m_client->Close();
    IdSMTPStatus(Status::Disconnected, QString());
    return true;
}

void TMailSender::IdSMTPStatus(Status status, const QString &text)
{
    const QString report = StatusReport(status, text, m_settings.PoziomLogow, m_settings.Host, Port());
    if (!report.isEmpty() && m_onStatus)
        m_onStatus(report);
}

QString TMailSender::StatusReport(Status status, const QString &text, int poziomLogow, const QString &host, int port)
{
    if (status == Status::StatusText) {
        const qsizetype at = text.indexOf(kError);
        return at >= 0 && poziomLogow >= 1 ? text.mid(at + kError.size()) : QString();
    }
    if (poziomLogow < 2)
        return QString();
    switch (status) {
    case Status::Resolving: return QStringLiteral("Szukanie: ") + text;
    case Status::Connecting: return QStringLiteral("Łączenie z serwerem: %1  port: %2").arg(host).arg(port);
    case Status::Connected: return QStringLiteral("Połączony.");
    case Status::Disconnecting: return QStringLiteral("Rozłączanie...");
    case Status::Disconnected: return QStringLiteral("Rozłączony z serwerem: %1  port: %2").arg(host).arg(port);
    case Status::Transfer: return QStringLiteral("Transfer: ") + text;
    case Status::Ready: return QStringLiteral("Gotowy: ") + text;
    case Status::StatusText: break;
    }
    return QString();
}

void TMailSender::Failed(const QString &heading, const QString &reason)
{
    QString text = kError + heading + QStringLiteral("\r\n") + FirstLineBreakAsSpace(reason);
    if (m_settings.PauseAfterFailure > 0) {
        m_pausedUntil = CurrentDateTime().addSecs(m_settings.PauseAfterFailure);
        text += QStringLiteral("\r\nWysyłanie poczty wstrzymane do %1.").arg(DateTimeToText(FromQDateTime(m_pausedUntil)));
    }
    IdSMTPStatus(Status::StatusText, text);
}

int TMailSender::Port() const
{
    return TSmtpClient::EffectivePort(m_settings.Port);
}

void RegisterMailSender()
{
    TSmtpClient::InitializeLibrary();
    SetMailSenderFactory([](TMailSettings &settings, MailStatusCallback status) -> std::unique_ptr<IMailSender> {
        return std::make_unique<TMailSender>(settings, std::move(status));
    });
}

} // namespace pelk
