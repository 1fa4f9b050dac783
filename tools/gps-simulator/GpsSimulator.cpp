#include "GpsSimulator.h"

#include "config/Clock.h"
#include "config/Errors.h"
#include "gps/DSLocateMsg.h"
#include "gps/Socket.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace pelk::sim {

namespace {

using namespace std::chrono_literals;
constexpr auto kPoll = 100ms;
constexpr auto kHandshakeLimit = 10s;
constexpr qsizetype kWriteBlock = 256 * 1024;

const char *const kDrivers[] = {"Łukasz Żółć", "Anna Wiśniewska", "Jan Kowalski", "Grzegorz Brzęczyszczykiewicz"};

QString OpenSslError()
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return QString::fromLatin1(text);
}

int TlsVersion(const QString &text)
{
    if (text == QLatin1String("1.0"))
        return TLS1_VERSION;
    if (text == QLatin1String("1.1"))
        return TLS1_1_VERSION;
    if (text == QLatin1String("1.2"))
        return TLS1_2_VERSION;
    if (text == QLatin1String("1.3"))
        return TLS1_3_VERSION;
    return 0;
}

QString Attribute(const QByteArray &line, const char *name)
{
    const QRegularExpression re(QStringLiteral("\\b%1=\"([^\"]*)\"").arg(QLatin1String(name)));
    return re.match(QString::fromLatin1(line)).captured(1);
}

// An answer and the places where the split mode cuts it.
struct RAnswer
{
    QByteArray bytes;
    QList<qsizetype> cuts;
};

// Where the split mode cuts an element: half-way, or inside its first letter of more than one
// byte (none when it has no such letter).
qsizetype CutIn(QByteArrayView element, ROptions::Split split)
{
    if (split == ROptions::Split::InsideElement)
        return element.size() / 2;
    if (split == ROptions::Split::InsideLetter)
        for (qsizetype i = 0; i < element.size(); ++i)
            if ((uchar(element[i]) & 0xC0) == 0xC0)
                return i + 1;
    return -1;
}

// Cuts the element of `answer` that begins at `at` (ends with "/>").
void CutElementAt(RAnswer &answer, qsizetype at, ROptions::Split split)
{
    const qsizetype end = answer.bytes.indexOf("/>", at);
    const qsizetype cut = end < 0 ? -1 : CutIn(QByteArrayView(answer.bytes).sliced(at, end + 2 - at), split);
    if (cut > 0)
        answer.cuts << at + cut;
}

QByteArray Junk(int size)
{
    QByteArray junk(size, Qt::Uninitialized);
    for (char &c : junk)
        c = char(QRandomGenerator::global()->bounded(256));
    return junk + "\r\n<<nie-xml <frame time=";
}

} // namespace

struct GpsSimulator::Tls
{
    SSL_CTX *context = nullptr;
    ~Tls() { SSL_CTX_free(context); }
};

struct GpsSimulator::Connection
{
    TcpSocket socket;
    SSL *ssl = nullptr;
    int answered = 0;
    QByteArray input;
    ~Connection() { SSL_free(ssl); }
};

GpsSimulator::GpsSimulator(ROptions options) : m_options(std::move(options))
{
    if (m_options.vehicles.isEmpty())
        m_options.vehicles = DefaultVehicles();
}

GpsSimulator::~GpsSimulator()
{
    Stop();
}

QList<RVehicle> GpsSimulator::DefaultVehicles()
{
    return {{QStringLiteral("101"), QStringLiteral("WX 1234A")},
            {QStringLiteral("102"), QStringLiteral("KR 5678B")},
            {QStringLiteral("103"), QStringLiteral("GD 9012C"), QStringLiteral("dostawczy")}};
}

namespace {

void AddExtension(X509 *certificate, int nid, const char *value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, certificate, certificate, nullptr, nullptr, 0);
    if (X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value)) {
        X509_add_ext(certificate, ext, -1);
        X509_EXTENSION_free(ext);
    }
}

// A self-signed certificate for localhost and 127.0.0.1, new at every start.
void UseSelfSignedCertificate(SSL_CTX *context)
{
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *x = X509_new();
    const auto release = qScopeGuard([&] {
        X509_free(x);
        EVP_PKEY_free(key);
    });
    if (!key || !x)
        throw Exception(QStringLiteral("symulator: nie można utworzyć klucza: ") + OpenSslError());
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), long(QRandomGenerator::global()->bounded(1, 1 << 30)));
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), 365L * 86400);
    X509_set_pubkey(x, key);
    X509_NAME *name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("localhost"), -1, -1, 0);
    X509_set_issuer_name(x, name);
    AddExtension(x, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(x, NID_key_usage, "critical,digitalSignature,keyCertSign");
    AddExtension(x, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
    if (X509_sign(x, key, EVP_sha256()) == 0)
        throw Exception(QStringLiteral("symulator: nie można podpisać certyfikatu: ") + OpenSslError());
    if (SSL_CTX_use_certificate(context, x) != 1 || SSL_CTX_use_PrivateKey(context, key) != 1)
        throw Exception(QStringLiteral("symulator: certyfikat odrzucony: ") + OpenSslError());
}

// The certificate (with the chain after it) and its key from PEM files.
void UseCertificateFiles(SSL_CTX *context, const QString &certificateFile, const QString &keyFile)
{
    if (SSL_CTX_use_certificate_chain_file(context, QFile::encodeName(certificateFile).constData()) != 1
        || SSL_CTX_use_PrivateKey_file(context, QFile::encodeName(keyFile).constData(), SSL_FILETYPE_PEM) != 1)
        throw Exception(QStringLiteral("symulator: nie można wczytać certyfikatu %1 z kluczem %2: %3")
                            .arg(certificateFile, keyFile, OpenSslError()));
}

} // namespace

quint16 GpsSimulator::Start()
{
    // Old clients too: every version from TLS 1.0, security level 0.
    m_tls = std::make_unique<Tls>();
    m_tls->context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_set_security_level(m_tls->context, 0);
    SSL_CTX_set_min_proto_version(m_tls->context, TLS1_VERSION);
    SSL_CTX_set_max_proto_version(m_tls->context, TlsVersion(m_options.tlsMax));
    SSL_CTX_set_cipher_list(m_tls->context, "DEFAULT:@SECLEVEL=0");
    if (m_options.certificateFile.isEmpty())
        UseSelfSignedCertificate(m_tls->context);
    else
        UseCertificateFiles(m_tls->context, m_options.certificateFile, m_options.keyFile);

    X509 *x = SSL_CTX_get0_certificate(m_tls->context);
    BIO *pem = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(pem, x);
    char *data = nullptr;
    const long size = BIO_get_mem_data(pem, &data);
    m_certificatePem = QByteArray(data, int(size));
    BIO_free(pem);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    X509_digest(x, EVP_sha256(), digest, &digestSize);
    m_fingerprint = QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(digestSize)).toHex());

    m_listener = std::make_unique<TcpSocket>(TcpSocket::Listen(m_options.port));
    m_port = m_listener->LocalPort();
    m_stop = false;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return m_port;
}

void GpsSimulator::Stop()
{
    m_stop = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        threads.swap(m_connectionThreads);
    }
    for (std::thread &t : threads)
        t.join();
    m_listener.reset();
}

void GpsSimulator::AcceptLoop()
{
    while (!m_stop) {
        TcpSocket socket = m_listener->Accept(kPoll);
        if (!socket.IsValid())
            continue;
        ++m_connections;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_connectionThreads.emplace_back([this, s = std::move(socket)]() mutable { Serve(std::move(s)); });
    }
}

void GpsSimulator::Record(const QString &line)
{
    std::lock_guard<std::mutex> lock(m_receivedMutex);
    m_received << line;
}

QStringList GpsSimulator::Received() const
{
    std::lock_guard<std::mutex> lock(m_receivedMutex);
    return m_received;
}

void GpsSimulator::Serve(TcpSocket socket)
{
    Connection c;
    c.socket = std::move(socket);
    if (m_options.stallHandshake) {
        // Takes what the client sends and never answers.
        char block[4096];
        while (!m_stop && c.socket.Receive(block, sizeof block) >= 0)
            c.socket.Wait(TcpSocket::Readable, kPoll);
        return;
    }
    if (m_options.plainGreeting) {
        const QByteArray greeting = "220 pelk-gps-simulator ready, plain text only\r\n";
        c.socket.Send(greeting.constData(), greeting.size());
        c.socket.Wait(TcpSocket::Readable, 2s);
        return;
    }
    c.ssl = SSL_new(m_tls->context);
    SSL_set_fd(c.ssl, int(c.socket.Native()));
    SSL_set_mode(c.ssl, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    const auto deadline = std::chrono::steady_clock::now() + kHandshakeLimit;
    for (;;) {
        const int rc = SSL_accept(c.ssl);
        if (rc == 1)
            break;
        const int error = SSL_get_error(c.ssl, rc);
        if ((error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) || m_stop
            || std::chrono::steady_clock::now() > deadline)
            return;
        c.socket.Wait(error == SSL_ERROR_WANT_READ ? TcpSocket::Readable : TcpSocket::Writable, kPoll);
    }
    Converse(c);
    if (c.ssl) {
        SSL_shutdown(c.ssl);
        // What the client still sends is read before the close, so the close does not reset
        // the connection and take the last answer with it.
        const auto lingerEnd = std::chrono::steady_clock::now() + 1s;
        char block[4096];
        while (!m_stop && std::chrono::steady_clock::now() < lingerEnd && c.socket.Receive(block, sizeof block) >= 0)
            c.socket.Wait(TcpSocket::Readable, kPoll);
    }
}

void GpsSimulator::Converse(Connection &c)
{
    auto lastLive = std::chrono::steady_clock::now();
    bool loggedIn = false;
    while (!m_stop) {
        if (loggedIn && m_options.liveIntervalMs > 0
            && std::chrono::steady_clock::now() - lastLive > std::chrono::milliseconds(m_options.liveIntervalMs)) {
            lastLive = std::chrono::steady_clock::now();
            if (!Write(c, LiveUpdates()))
                return;
        }
        c.socket.Wait(TcpSocket::Readable, kPoll);
        char block[16384];
        for (;;) {
            const int n = SSL_read(c.ssl, block, sizeof block);
            if (n > 0) {
                c.input.append(block, n);
                continue;
            }
            const int error = SSL_get_error(c.ssl, n);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                return; // the client has gone
            break;
        }
        qsizetype end;
        while ((end = c.input.indexOf('\n')) >= 0) {
            const QByteArray line = c.input.left(end).trimmed();
            c.input.remove(0, end + 1);
            if (line.isEmpty())
                continue;
            Record(QString::fromLatin1(line));
            loggedIn = loggedIn || line.startsWith("<login");
            if (!Answer(c, line))
                return;
        }
    }
}

bool GpsSimulator::Answer(Connection &c, const QByteArray &line)
{
    if (m_options.answerLimit >= 0 && c.answered >= m_options.answerLimit)
        return true;
    if (m_options.answerDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.answerDelayMs));
    const int opid = Attribute(line, "opid").toInt();
    RAnswer answer;
    bool keepOpen = true;
    if (m_options.garbage == ROptions::Garbage::Only) {
        answer.bytes = Junk(512);
    } else if (line.startsWith("<login")) {
        const QString expected = TDSLocateMsg::PasswordHash(m_options.password);
        if (Attribute(line, "user") != m_options.user || Attribute(line, "password") != expected) {
            answer.bytes = QByteArray("<message opid=\"") + QByteArray::number(opid)
                + "\" level=\"error\" error=\"INVALID_LOGIN\">Nieprawidłowa nazwa użytkownika lub hasło.</message>\r\n";
            keepOpen = false;
        } else {
            if (m_options.garbage == ROptions::Garbage::BeforeGreeting)
                answer.bytes = Junk(300);
            answer.bytes += Greeting() + LiveUpdates();
            if (m_options.unclosedMessage)
                answer.bytes += "<message level=\"info\">Komunikat bez zakończenia\r\n";
        }
    } else if (line.startsWith("<requestvehicles")) {
        answer.bytes = VehicleList(opid);
        for (qsizetype at = 0; (at = answer.bytes.indexOf("<vehicle-info", at)) >= 0; ++at)
            CutElementAt(answer, at, m_options.split);
    } else if (line.startsWith("<requestarchive")) {
        answer.bytes = ArchiveAnswer(opid, Attribute(line, "vehicle"), Attribute(line, "from").toUInt(),
                                     Attribute(line, "to").toUInt());
        if (const qsizetype frame = answer.bytes.indexOf("<frame"); frame >= 0)
            CutElementAt(answer, frame, m_options.split);
    } else {
        answer.bytes = QByteArray("<message opid=\"") + QByteArray::number(opid)
            + "\" level=\"error\" error=\"INVALID_SYNTAX\">Nieznane polecenie.</message>\r\n";
    }
    if (m_options.dropAfter >= 0 && c.answered >= m_options.dropAfter) {
        // Half the answer, then the connection ends without the TLS close.
        Write(c, answer.bytes.left(answer.bytes.size() / 2));
        SSL_free(std::exchange(c.ssl, nullptr));
        c.socket.Close();
        return false;
    }
    ++c.answered;
    qsizetype previous = 0;
    for (const qsizetype cut : answer.cuts) {
        if (!Write(c, answer.bytes.mid(previous, cut - previous)))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.splitPauseMs));
        previous = cut;
    }
    return Write(c, answer.bytes.mid(previous)) && keepOpen;
}

bool GpsSimulator::Write(Connection &c, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (m_stop)
            return false;
        const int size = int(std::min(kWriteBlock, bytes.size() - done));
        const int n = SSL_write(c.ssl, bytes.constData() + done, size);
        if (n > 0) {
            done += n;
            m_bytes += n;
            continue;
        }
        const int error = SSL_get_error(c.ssl, n);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            return false;
        c.socket.Wait(error == SSL_ERROR_WANT_READ ? TcpSocket::Readable : TcpSocket::Writable, kPoll);
    }
    return true;
}

QByteArray GpsSimulator::Greeting() const
{
    QStringList ids;
    for (const RVehicle &v : m_options.vehicles)
        ids << v.id;
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                          "<hello version=\"2\" server=\"pelk-gps-simulator\"/>\r\n"
                          "<client-info opid=\"1\" user=\"%1\"/>\r\n"
                          "<property-info opid=\"1\" name=\"admin\" value=\"0\"/>\r\n"
                          "%2"
                          "<extcolumns-info opid=\"1\" columns=\"fuel driver\"/>\r\n")
        .arg(m_options.user,
             QStringLiteral("<property-info opid=\"1\" name=\"autoupdate\" value=\"%1\"/>\r\n")
                 .arg(ids.join(QLatin1Char(' ')))
                 .repeated(std::max(1, m_options.listRepeats)))
        .toUtf8();
}

QByteArray GpsSimulator::LiveUpdates() const
{
    const quint32 now = quint32(CurrentDateTime().toSecsSinceEpoch());
    const quint32 at = now - now % quint32(m_options.frameInterval);
    QByteArray out;
    for (const RVehicle &v : m_options.vehicles)
        out += QStringLiteral("<update opid=\"1\" vehicle=\"%1\" name=\"%2\" type=\"%3\" description=\"Symulator\">\r\n")
                   .arg(v.id, v.name, v.type)
                   .toUtf8()
            + TrackFrames(v, at, at) + "</update>\r\n";
    return out;
}

QByteArray GpsSimulator::VehicleList(int opid) const
{
    QByteArray out = "<vehicle-list opid=\"" + QByteArray::number(opid) + "\">\r\n";
    for (const RVehicle &v : m_options.vehicles)
        out += QStringLiteral("<vehicle-info id=\"%1\" name=\"%2\" type=\"%3\"/>\r\n")
                   .arg(v.id, v.name, v.type)
                   .toUtf8()
                   .repeated(std::max(1, m_options.listRepeats));
    return out + "</vehicle-list>\r\n";
}

QByteArray GpsSimulator::ArchiveAnswer(int opid, const QString &vehicle, quint32 from, quint32 to)
{
    const QByteArray head = QStringLiteral("<archive opid=\"%1\" vehicle=\"%2\"").arg(opid).arg(vehicle).toUtf8();
    const auto found = std::find_if(m_options.vehicles.cbegin(), m_options.vehicles.cend(),
                                    [&](const RVehicle &v) { return v.id == vehicle; });
    if (found == m_options.vehicles.cend())
        return "<message opid=\"" + QByteArray::number(opid) + "\" level=\"error\" error=\"NO_SUCH_VEHICLE\">Nieznany pojazd "
            + vehicle.toUtf8() + ".</message>\r\n";
    if (found->archive == RVehicle::Archive::NoArchive)
        return "<message opid=\"" + QByteArray::number(opid) + "\" level=\"error\" error=\"NO_ARCHIVE\">Brak danych pojazdu "
            + vehicle.toUtf8() + " w podanym okresie.</message>\r\n";
    if (found->archive == RVehicle::Archive::Error)
        return "<message opid=\"" + QByteArray::number(opid) + "\" level=\"error\" error=\"" + found->error.toUtf8()
            + "\">Odmowa dla pojazdu " + vehicle.toUtf8() + ".</message>\r\n";
    const QByteArray frames = found->archive == RVehicle::Archive::Track ? TrackFrames(*found, from, to) : QByteArray();
    if (frames.isEmpty())
        return head + "/>\r\n";
    m_frames += frames.count("<frame");
    return head + ">\r\n" + frames + "</archive>\r\n";
}

QByteArray GpsSimulator::TrackFrames(const RVehicle &vehicle, quint32 from, quint32 to) const
{
    qsizetype index = 0;
    while (index < m_options.vehicles.size() && m_options.vehicles[index].id != vehicle.id)
        ++index;
    const quint32 interval = quint32(std::max(1, m_options.frameInterval));
    const qint64 drive = std::max(1, m_options.driveMinutes);
    const qint64 cycle = drive + std::max(1, m_options.stopMinutes);
    const qint64 phase = (index * 17) % cycle;
    const double lon0 = 19.0 + double(index % 5) * 0.7;
    const double lat0 = 50.5 + double(index / 5 % 4) * 0.8;
    const char *driver = kDrivers[index % std::size(kDrivers)];
    const QByteArray device = "SIM-" + vehicle.id.toUtf8();

    QByteArray out;
    const quint32 first = (from + interval - 1) / interval * interval;
    if (first < from || to < first)
        return out;
    out.reserve(qsizetype((to - first) / interval + 1) * 230);
    char line[512];
    for (quint64 t = first; t <= to; t += interval) {
        const qint64 minute = qint64(t / 60) + phase;
        const qint64 inCycle = minute % cycle;
        const bool engine = inCycle < drive;
        // Kilometres driven so far move the vehicle back and forth along its own diagonal.
        const qint64 driven = minute / cycle * drive + std::min(inCycle, drive);
        const double wave = std::fabs(std::fmod(double(driven) * 0.0037, 2.0) - 1.0);
        const int n = std::snprintf(line, sizeof line,
                                    "<frame device=\"%s\" time=\"%llu\" lon=\"%.6f\" lat=\"%.6f\" speed=\"%d\" dist=\"%lld\" "
                                    "hdg=\"%d\" sat=\"%d\" fuel=\"%.1f\" driver=\"%s\" digital=\"%s\"/>\r\n",
                                    device.constData(), static_cast<unsigned long long>(t), lon0 + wave, lat0 + wave * 0.5,
                                    engine ? int(40 + minute % 30) : 0, static_cast<long long>(driven % 1000000 * 700),
                                    int(minute * 7 % 360), int(6 + minute % 5), 60.0 - std::fmod(double(driven) * 0.05, 50.0),
                                    driver, engine ? "inEngine inDoor" : "inDoor");
        out.append(line, n);
    }
    return out;
}

} // namespace pelk::sim
