#include "SmtpClient.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#ifdef _WIN32
#include <winsock2.h>
#define SHUT_RDWR SD_BOTH
#else
#include <sys/socket.h>
#endif

namespace pelk {

namespace {

constexpr int kSmtpPort = 25;
constexpr int kSmtpsPort = 465;

// A host that would change the meaning of the address libcurl is given (a user part, a path).
bool IsPlainHost(const QString &host)
{
    static const QString forbidden = QStringLiteral("/@?#\\");
    return !host.isEmpty() && std::none_of(host.begin(), host.end(), [](QChar c) {
        return c.unicode() <= 0x20 || c.unicode() == 0x7F || forbidden.contains(c);
    });
}

} // namespace

struct TSmtpClient::Handle
{
    CURL *curl = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    static size_t Discard(char *data, size_t size, size_t count, void *client);
    static size_t ReadMessage(char *buffer, size_t size, size_t count, void *client);
    static int Trace(CURL *curl, curl_infotype type, char *data, size_t size, void *client);
};

TSmtpClient::TSmtpClient() = default;

TSmtpClient::~TSmtpClient()
{
    Close();
}

int TSmtpClient::EffectivePort(int port)
{
    return port == 0 ? kSmtpPort : port;
}

void TSmtpClient::InitializeLibrary()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

QString TSmtpClient::Url(const QString &host, int port)
{
    const int effective = EffectivePort(port);
    const QString name = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return QStringLiteral("%1://%2:%3")
        .arg(effective == kSmtpsPort ? QLatin1String("smtps") : QLatin1String("smtp"), name)
        .arg(effective);
}

bool TSmtpClient::Open(const SmtpServer &server)
{
    Close();
    m_server = server;
    m_lastError.clear();
    if (!IsPlainHost(server.host)) {
        m_lastError = QStringLiteral("Niepoprawna nazwa serwera w zmiennej \"Host\".");
        return false;
    }
    m_handle = std::make_unique<Handle>();
    CURL *const curl = m_handle->curl = curl_easy_init();
    if (!curl) {
        m_lastError = QStringLiteral("Nie można utworzyć klienta SMTP.");
        return false;
    }
    // libcurl copies every text option, so the temporaries may go.
    curl_easy_setopt(curl, CURLOPT_URL, Url(server.host, server.port).toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    // Whatever libcurl's build defaults to: the chain is checked and must name the host.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!server.caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, QFile::encodeName(server.caFile).constData());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(server.connectTimeout));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(server.transferTimeout));
    // Also bounds the wait for the answer to QUIT, which has no other time-out.
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(server.transferTimeout));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (server.authenticate) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, server.login.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, server.password.toUtf8().constData());
    }
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_handle->errorBuffer);
    // The trace gives the server's replies, for the reasons of refusals; nothing is printed.
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Handle::Trace);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Handle::Discard);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    // A command of its own opens the session (greeting, TLS, login) and leaves it open in the
    // handle for the mail, which libcurl sends over the same connection.
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");
    if (!Perform()) {
        Close();
        return false;
    }
    m_open = true;
    return true;
}

bool TSmtpClient::SendMail(const QByteArray &from, const QByteArray &to, const QByteArray &message)
{
    m_lastError.clear();
    if (!m_open) {
        m_lastError = QStringLiteral("Brak połączenia z serwerem.");
        return false;
    }
    m_message = message;
    m_sent = 0;
    CURL *const curl = m_handle->curl;
    curl_slist *recipients = curl_slist_append(nullptr, ('<' + to + '>').constData());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, ('<' + from + '>').constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &Handle::ReadMessage);
    curl_easy_setopt(curl, CURLOPT_READDATA, this);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(m_message.size()));
    const bool ok = Perform();
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
    curl_slist_free_all(recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    return ok;
}

void TSmtpClient::Close()
{
    if (m_handle && m_handle->curl) {
        // A server that stopped answering would hold the QUIT of the clean-up for another
        // response time-out: its connection is cut first.
        curl_socket_t socket = CURL_SOCKET_BAD;
        if (m_stalled && curl_easy_getinfo(m_handle->curl, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK
            && socket != CURL_SOCKET_BAD)
            ::shutdown(socket, SHUT_RDWR);
        curl_easy_cleanup(m_handle->curl); // QUIT on a live connection, then closed
    }
    m_handle.reset();
    m_open = false;
    m_stalled = false;
}

bool TSmtpClient::Perform()
{
    m_handle->errorBuffer[0] = '\0';
    m_lastReply.clear();
    m_lastRefusal.clear();
    const CURLcode code = curl_easy_perform(m_handle->curl);
    if (code == CURLE_OK)
        return true;
    m_stalled = code == CURLE_OPERATION_TIMEDOUT;
    QString reason = m_handle->errorBuffer[0] ? QString::fromUtf8(m_handle->errorBuffer)
                                              : QString::fromUtf8(curl_easy_strerror(code));
    // The server's refusal says more than libcurl's summary of it ("RCPT failed: 550").
    if (!m_lastRefusal.isEmpty())
        reason += QStringLiteral(" (") + m_lastRefusal + QLatin1Char(')');
    m_lastError = Blanked(reason);
    return false;
}

QString TSmtpClient::Blanked(QString text) const
{
    if (m_server.password.isEmpty())
        return text;
    const QByteArray password = m_server.password.toUtf8();
    const QByteArray plainLogin = '\0' + m_server.login.toUtf8() + '\0' + password;
    for (const QString &form :
         {m_server.password, QString::fromLatin1(password.toBase64()), QString::fromLatin1(plainLogin.toBase64())})
        text.replace(form, QStringLiteral("***"));
    return text;
}

size_t TSmtpClient::Handle::Discard(char *, size_t size, size_t count, void *)
{
    return size * count;
}

size_t TSmtpClient::Handle::ReadMessage(char *buffer, size_t size, size_t count, void *client)
{
    auto *self = static_cast<TSmtpClient *>(client);
    const size_t n = std::min(size * count, size_t(self->m_message.size() - self->m_sent));
    std::memcpy(buffer, self->m_message.constData() + self->m_sent, n);
    self->m_sent += qsizetype(n);
    return n;
}

int TSmtpClient::Handle::Trace(CURL *, curl_infotype type, char *data, size_t size, void *client)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    auto *self = static_cast<TSmtpClient *>(client);
    const QStringList lines = QString::fromUtf8(data, qsizetype(size)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->trimmed().isEmpty()) {
            self->m_lastReply = self->Blanked(line->trimmed());
            // 4xx and 5xx; the replies that follow (to QUIT) do not replace it.
            if (self->m_lastReply.startsWith(QLatin1Char('4')) || self->m_lastReply.startsWith(QLatin1Char('5')))
                self->m_lastRefusal = self->m_lastReply;
            break;
        }
    }
    return 0;
}

} // namespace pelk
