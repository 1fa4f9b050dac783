#include "TlsConnection.h"

#include "config/Errors.h"

#include <QStringList>
#include <exception>
#include <memory>
#include <optional>
#include <thread>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace pelk {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReadBlock = 64 * 1024;
// The chain of a checked certificate: keys of at least 80 bits of strength (RSA 1024 bits),
// no MD5 or SHA-1 signatures.
constexpr int kChainSecurityLevel = 1;

// OpenSSL's error queue of this thread, oldest first; `fallback` when it is empty.
QString OpenSslErrors(const QString &fallback)
{
    QStringList texts;
    while (const unsigned long code = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        texts << QString::fromLatin1(text);
    }
    return texts.isEmpty() ? fallback : texts.join(QStringLiteral("; "));
}

std::chrono::milliseconds Remaining(Clock::time_point deadline)
{
    return std::max(std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

// The system's look-up has no time limit. It runs on a thread of its own, which owns
// everything it uses, and is left to finish alone when the time is up; nothing when it did not
// answer in time.
std::optional<QString> LookUpWithin(const TTlsConnection::AddressLookup &lookup, const QString &host,
                                    std::chrono::milliseconds timeout)
{
    struct RAnswer
    {
        std::mutex mutex;
        std::condition_variable given;
        bool done = false;
        QString address;
        std::exception_ptr error;
    };
    const auto answer = std::make_shared<RAnswer>();
    std::thread([answer, lookup, host] {
        QString address;
        std::exception_ptr error;
        try {
            address = lookup(host);
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(answer->mutex);
        answer->address = std::move(address);
        answer->error = error;
        answer->done = true;
        answer->given.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(answer->mutex);
    if (!answer->given.wait_for(lock, timeout, [&] { return answer->done; }))
        return std::nullopt;
    if (answer->error)
        std::rethrow_exception(answer->error);
    return answer->address;
}

// The certificate must name the host, or the address when the host is one. A check that
// cannot be set up stops the connection: without it any name the authorities vouch for passes.
void RequireHostInCertificate(SSL *ssl, const QString &host)
{
    X509_VERIFY_PARAM *param = SSL_get0_param(ssl);
    const QByteArray bytes = host.toUtf8();
    // The length is given so that a name with a zero byte is refused, not checked cut short.
    const bool set = TcpSocket::IsAddress(host)
        ? X509_VERIFY_PARAM_set1_ip_asc(param, bytes.constData()) == 1
        : X509_VERIFY_PARAM_set1_host(param, bytes.constData(), size_t(bytes.size())) == 1;
    if (!set)
        throw Exception(QStringLiteral("nie można ustawić sprawdzania nazwy %1 w certyfikacie serwera: %2")
                            .arg(host, OpenSslErrors(QStringLiteral("nieznana przyczyna"))));
}

QString NormalisedFingerprint(const QString &text)
{
    QString out;
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

QString CertificateFingerprint(SSL *ssl)
{
    X509 *certificate = SSL_get1_peer_certificate(ssl);
    if (!certificate)
        return QString();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const bool ok = X509_digest(certificate, EVP_sha256(), digest, &size) == 1;
    X509_free(certificate);
    return ok ? QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex()) : QString();
}

// TLS 1.0 and up, negotiated to the highest version both sides offer; security level 0 so
// that servers with old keys and ciphers still connect.
SSL_CTX *NewContext(const RTlsOptions &options)
{
    SSL_CTX *context = SSL_CTX_new(TLS_client_method());
    if (!context)
        throw Exception(OpenSslErrors(QStringLiteral("biblioteka TLS niedostępna")));
    SSL_CTX_set_min_proto_version(context, TLS1_VERSION);
    SSL_CTX_set_max_proto_version(context, 0);
    SSL_CTX_set_security_level(context, 0);
    SSL_CTX_set_cipher_list(context, "DEFAULT:@SECLEVEL=0");
    if (options.verify) {
        // A pinned fingerprint alone stands for the certificate; otherwise the chain and the
        // host name are checked against the configured or the system's authorities.
        const bool chain = !options.caFile.isEmpty() || options.fingerprint.isEmpty();
        if (chain) {
            SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
            // Level 0 above is the handshake's; the chain answers to a level of its own.
            X509_VERIFY_PARAM_set_auth_level(SSL_CTX_get0_param(context), kChainSecurityLevel);
            const bool loaded = options.caFile.isEmpty()
                ? SSL_CTX_set_default_verify_paths(context) == 1
                : SSL_CTX_load_verify_locations(context, options.caFile.toLocal8Bit().constData(), nullptr) == 1;
            if (!loaded) {
                const QString cause = OpenSslErrors(QStringLiteral("nieznana przyczyna"));
                SSL_CTX_free(context);
                throw Exception(QStringLiteral("nie można wczytać certyfikatów CA %1: %2").arg(options.caFile, cause));
            }
        }
    }
    return context;
}

} // namespace

TTlsConnection::TTlsConnection() = default;

TTlsConnection::~TTlsConnection()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    FreeLocked();
}

void TTlsConnection::Open(const QString &host, quint16 port, const RTlsOptions &options)
{
    Close();
    const Clock::time_point deadline = Clock::now() + options.connectTimeout;
    if (m_status)
        m_status(TConnectionStatus::Resolving, host);
    const std::optional<QString> address = TcpSocket::IsAddress(host) ? std::optional<QString>(host)
                                                                      : LookUpWithin(m_lookup, host, Remaining(deadline));
    if (!address)
        throw Exception(QStringLiteral("przekroczono czas wyszukiwania adresu %1 (%2 s)")
                            .arg(host)
                            .arg(options.connectTimeout.count() / 1000.0));
    if (m_status)
        m_status(TConnectionStatus::Connecting, QString());
    TcpSocket socket = TcpSocket::Connect(*address, port, Remaining(deadline));
    QString negotiated;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_socket = std::move(socket);
        m_writeTimeout = options.writeTimeout;
        try {
            Handshake(host, options, deadline);
        } catch (...) {
            FreeLocked();
            throw;
        }
        negotiated = QStringLiteral(" Połączenie TLS: %1, %2")
                         .arg(QString::fromLatin1(SSL_get_version(m_ssl)), QString::fromLatin1(SSL_get_cipher_name(m_ssl)));
    }
    if (m_status)
        m_status(TConnectionStatus::Connected, QString());
    if (m_info)
        m_info(negotiated);
}

void TTlsConnection::Handshake(const QString &host, const RTlsOptions &options, Clock::time_point deadline)
{
    ERR_clear_error();
    m_context = NewContext(options);
    m_ssl = SSL_new(m_context);
    if (!m_ssl || SSL_set_fd(m_ssl, int(m_socket.Native())) != 1)
        throw Exception(OpenSslErrors(QStringLiteral("nie można utworzyć połączenia TLS")));
    if (!TcpSocket::IsAddress(host))
        SSL_set_tlsext_host_name(m_ssl, host.toUtf8().constData());
    if (options.verify && (!options.caFile.isEmpty() || options.fingerprint.isEmpty()))
        RequireHostInCertificate(m_ssl, host);
    for (;;) {
        ERR_clear_error();
        const int rc = SSL_connect(m_ssl);
        if (rc == 1)
            break;
        const int error = SSL_get_error(m_ssl, rc);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            const int event = error == SSL_ERROR_WANT_READ ? TcpSocket::Readable : TcpSocket::Writable;
            if (!m_socket.Wait(event, Remaining(deadline)))
                throw Exception(QStringLiteral("przekroczono czas uzgadniania połączenia TLS (%1 s)")
                                    .arg(options.connectTimeout.count() / 1000.0));
            continue;
        }
        const long verified = SSL_get_verify_result(m_ssl);
        if (verified != X509_V_OK)
            throw Exception(QStringLiteral("certyfikat serwera odrzucony: %1")
                                .arg(QString::fromLatin1(X509_verify_cert_error_string(verified))));
        throw Exception(QStringLiteral("uzgadnianie TLS nie powiodło się: %1")
                            .arg(OpenSslErrors(rc == 0 || error == SSL_ERROR_SYSCALL ? QStringLiteral("serwer zamknął połączenie")
                                                                                     : QStringLiteral("nieznana przyczyna"))));
    }
    if (options.verify && !options.fingerprint.isEmpty()) {
        const QString actual = CertificateFingerprint(m_ssl);
        if (actual != NormalisedFingerprint(options.fingerprint))
            throw Exception(QStringLiteral("odcisk SHA-256 certyfikatu serwera %1 nie zgadza się z ustawionym %2")
                                .arg(actual, options.fingerprint));
    }
}

bool TTlsConnection::IsOpen()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_ssl)
        return false;
    PumpLocked();
    return !(m_ended && m_drained);
}

void TTlsConnection::PumpLocked()
{
    if (!m_ssl || m_ended)
        return;
    char block[kReadBlock];
    // The limit holds inside the loop too: a server that writes faster than the loop reads
    // would otherwise keep it reading.
    while (m_input.size() < kMaxBuffered) {
        ERR_clear_error();
        const int n = SSL_read(m_ssl, block, sizeof block);
        if (n > 0) {
            m_input.append(block, n);
            continue;
        }
        const int error = SSL_get_error(m_ssl, n);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
            return;
        if (error == SSL_ERROR_ZERO_RETURN)
            m_ended = true; // the server's orderly close
        else
            Fail(OpenSslErrors(error == SSL_ERROR_SYSCALL ? TcpSocket::LastErrorText() : QStringLiteral("nieznana przyczyna")));
        m_closedWait.notify_all();
        return;
    }
}

void TTlsConnection::Fail(const QString &cause)
{
    m_ended = true;
    m_failure = QStringLiteral("Błąd odczytu z serwera: %1").arg(cause);
}

QByteArray TTlsConnection::Take(std::chrono::milliseconds wait)
{
    const Clock::time_point deadline = Clock::now() + wait;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        PumpLocked();
        if (!m_input.isEmpty())
            return std::exchange(m_input, QByteArray());
        if (!m_failure.isEmpty()) {
            m_drained = true;
            throw Exception(std::exchange(m_failure, QString()));
        }
        if (!m_ssl || m_ended) {
            m_drained = true;
            m_closedWait.wait_until(lock, deadline);
            return QByteArray();
        }
        if (Clock::now() >= deadline)
            return QByteArray();
        // The socket is waited for without the lock, so requests can be written meanwhile.
        const TcpSocket::Handle handle = m_socket.Native();
        lock.unlock();
        TcpSocket::WaitHandle(handle, TcpSocket::Readable, Remaining(deadline));
        lock.lock();
    }
}

void TTlsConnection::WriteLine(const QByteArray &line)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Clock::time_point deadline = Clock::now() + m_writeTimeout;
    for (;;) {
        if (!m_ssl || m_ended)
            throw Exception(QStringLiteral("połączenie z serwerem jest zamknięte"));
        ERR_clear_error();
        const int n = SSL_write(m_ssl, line.constData(), int(line.size()));
        if (n > 0)
            return; // partial writes are off: the whole line went
        const int error = SSL_get_error(m_ssl, n);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            throw Exception(QStringLiteral("Błąd zapisu do serwera: %1")
                                .arg(OpenSslErrors(error == SSL_ERROR_SYSCALL ? TcpSocket::LastErrorText()
                                                                              : QStringLiteral("nieznana przyczyna"))));
        const TcpSocket::Handle handle = m_socket.Native();
        lock.unlock();
        const bool ready = TcpSocket::WaitHandle(handle, error == SSL_ERROR_WANT_READ ? TcpSocket::Readable : TcpSocket::Writable,
                                                 Remaining(deadline));
        lock.lock();
        if (!ready)
            throw Exception(QStringLiteral("serwer nie przyjmuje danych od %1 s").arg(m_writeTimeout.count() / 1000.0));
    }
}

void TTlsConnection::Close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_ssl)
            return;
    }
    if (m_status)
        m_status(TConnectionStatus::Disconnecting, QString());
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // One attempt at an orderly close; the server's answer to it is not awaited.
        ERR_clear_error();
        if (!m_ended)
            SSL_shutdown(m_ssl);
        FreeLocked();
    }
    m_closedWait.notify_all();
    if (m_status)
        m_status(TConnectionStatus::Disconnected, QString());
}

void TTlsConnection::FreeLocked()
{
    if (m_ssl)
        SSL_free(m_ssl);
    if (m_context)
        SSL_CTX_free(m_context);
    m_ssl = nullptr;
    m_context = nullptr;
    m_socket.Close();
    m_input.clear();
    m_ended = false;
    m_failure.clear();
    m_drained = false;
}

} // namespace pelk
