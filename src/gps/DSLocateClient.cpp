#include "DSLocateClient.h"

#include "DSLocateDekodujDane.h"
#include "DSLocateZapisPozycji.h"
#include "app/DSLocateKonfig.h"
#include "app/Log.h"
#include "app/Settings.h"
#include "config/Password.h"

#include <QDir>
#include <thread>

namespace pelk {

namespace {

constexpr const char *kZalogowany = "Zalogowany";
// How long a broken connection's last received bytes may take to be decoded.
constexpr std::chrono::seconds kFinishReading{2};
constexpr const char *kOdczytano = "Odczytano";

// Table order decides between words that occur in one text.
const TDSLocateClient::RStatusWord kWords[] = {
    {kZalogowany, 2},      {"Error", 1},         {kOdczytano, 3},  {"Warning", 2}, {"Info", 3},          {"Wysyłanie", 3},
    {"Bez odpowiedzi", 3}, {"Inicjalizacja", 2}, {"Komentarz", 2}, {"Pobrano", 3}, {"Brak archiwum", 3},
};

bool IsSent(const TDSLocateClient::RStatusWord &w)
{
    return qstrcmp(w.word, "Wysyłanie") == 0 || qstrcmp(w.word, "Bez odpowiedzi") == 0;
}

// The login as logged: every character of the password's value becomes "*".
QString MaskedPassword(QString text)
{
    static const QString marker = QStringLiteral("password=\"");
    const qsizetype start = text.indexOf(marker);
    if (start < 0)
        return text;
    const qsizetype from = start + marker.size();
    const qsizetype end = text.indexOf(QLatin1Char('"'), from);
    const qsizetype length = (end < 0 ? text.size() : end) - from;
    return text.replace(from, length, QString(length, QLatin1Char('*')));
}

QString Cause(const std::exception &e)
{
    return QStringLiteral("\r\n      ") + TLog::ExceptionText(e);
}

// How long an element may wait for its end: never as long as the run waits for an answer,
// or the run would give up on the answers held back behind it first.
std::chrono::steady_clock::duration ElementWait(const TDSLKonfiguracjaSerwera &serwer)
{
    return std::min<std::chrono::steady_clock::duration>(TDSLocateScanner::kMaxElementWait,
                                                         std::chrono::milliseconds(serwer.LimitOdpowiedzi() * 500));
}

} // namespace

TDSLocateClient::TDSLocateClient(TLog &log, const QString &dsn) : m_log(log), m_dsn(dsn)
{
    m_connection.SetStatusEvent([this](TConnectionStatus status, const QString &text) { StatusHandler(status, text); });
    m_connection.SetInfoEvent([this](const QString &text) {
        if (OnMessage)
            OnMessage(text);
    });
}

TDSLocateClient::~TDSLocateClient()
{
    Disconnect();
}

QString TDSLocateClient::Host() const
{
    return m_konfig ? m_konfig->SerwerDSLocate()->Host : QString();
}

RTlsOptions TDSLocateClient::Options() const
{
    const TDSLKonfiguracjaSerwera &serwer = *m_konfig->SerwerDSLocate();
    RTlsOptions options;
    options.connectTimeout = std::chrono::seconds(serwer.LimitPolaczenia());
    options.writeTimeout = std::chrono::seconds(serwer.LimitOdpowiedzi());
    options.verify = serwer.SprawdzajCertyfikat;
    options.caFile = serwer.PlikCertyfikatowCA;
    if (!options.caFile.isEmpty() && !TSettingsAplikacji::IsAbsolutePath(options.caFile) && !m_baseFolder.isEmpty())
        options.caFile = QDir(m_baseFolder).filePath(options.caFile);
    options.fingerprint = serwer.OdciskCertyfikatu;
    return options;
}

bool TDSLocateClient::Connect()
{
    if (!m_decoder) {
        m_decoder = std::make_unique<TDSLocateDekodujDane>(std::make_unique<TDSLocateZapisPozycji>(m_log, m_dsn));
        m_decoder->SetSource(&m_connection);
        m_decoder->SetPojazdy(&m_pojazdy);
        m_decoder->SetKonfig(m_konfig);
        m_decoder->SetStatusHandler([this](const QString &text) { Report(text); });
        m_decoder->SetAnswerHandler([this](qint32 opid, bool ok) { Answered(opid, ok); });
    }
    const TDSLKonfiguracjaSerwera *serwer = m_konfig ? m_konfig->SerwerDSLocate() : nullptr;
    if (!serwer || serwer->Host.isEmpty() || serwer->Port == 0) {
        Report(QStringLiteral("ErrorBrak adresu serwera DSLocate w ustawieniach (SerwerDSLocate: Host, Port)."));
        return false;
    }
    if (IsConnected())
        return true;
    try {
        {
            std::lock_guard<std::mutex> lock(m_requestsMutex);
            m_answers.clear();
            m_answerCount = 0;
        }
        m_connection.Open(serwer->Host, serwer->Port, Options());
        const bool loggedIn = SendLogin();
        if (loggedIn) {
            Report(QStringLiteral("KomentarzPobieranie listy aktywnych pojazdów w systemie."));
            Expect(m_msg.Opid());
            Send(m_msg.RequestVehiclesMsg());
            // Received text is reported only where it would be logged.
            if (m_decoder && m_decoder->IsSuspended()) {
                m_decoder->SetReportReceived(m_level >= 3);
                m_decoder->SetElementWait(ElementWait(*serwer));
                m_decoder->Resume();
            }
        }
        return loggedIn;
    } catch (const std::exception &e) {
        Report(QStringLiteral("ErrorNie można nawiązać połączenie z serwerem: ") + serwer->Host + Cause(e));
        return false;
    }
}

bool TDSLocateClient::SendLogin()
{
    const TDSLKonfiguracjaSerwera &serwer = *m_konfig->SerwerDSLocate();
    if (serwer.Login().isEmpty() || serwer.Haslo().isEmpty()) {
        Report(QStringLiteral(
            "ErrorBrak nazwy użytkownika lub hasła serwera DSLocate w ustawieniach (SerwerDSLocate: Login, Haslo)."));
        return false;
    }
    try {
        if (m_connection.IsOpen()) {
            QString user, password;
            // The key library has shown its own failure already.
            if (!TryDecryptPassword(serwer.Login(), user) || !TryDecryptPassword(serwer.Haslo(), password))
                return false;
            const QString text = m_msg.LoginMsg(user, TDSLocateMsg::PasswordHash(password));
            m_connection.WriteLine(TDSLocateMsg::Line(text));
            Report(QStringLiteral("Bez odpowiedzi") + MaskedPassword(text));
        }
        return true;
    } catch (const std::exception &e) {
        Report(QStringLiteral("Error Logowanie do serwera DSLocate nie powiodło się:") + Cause(e));
        return false;
    }
}

void TDSLocateClient::Send(const QString &text)
{
    try {
        if (m_connection.IsOpen()) {
            m_connection.WriteLine(TDSLocateMsg::Line(text));
            Report(QStringLiteral("Wysyłanie") + text);
        }
    } catch (const std::exception &e) {
        const QString host = Host();
        FinishReading();
        Disconnect();
        Report(QStringLiteral("ErrorUtracono połączenie z serwerem podczas wysylania wiadomosci: ") + host + Cause(e));
    }
}

qint32 TDSLocateClient::RequestArchive(const QString &vehicle, TDateTime from, TDateTime to)
{
    const qint32 opid = m_msg.Opid();
    const QString text = m_msg.RequestArchiveMsg(vehicle, from, to);
    // Counted first, so an answer that comes at once finds its request outstanding.
    Expect(opid);
    Report(QStringLiteral("Wysyłanie") + text);
    try {
        if (m_connection.IsOpen())
            m_connection.WriteLine(TDSLocateMsg::Line(text));
    } catch (const std::exception &e) {
        const QString host = Host();
        FinishReading();
        Disconnect();
        Report(QStringLiteral("ErrorUtracono połączenie z serwerem - Wyslij Archiwum: ") + host + Cause(e));
    }
    return opid;
}

void TDSLocateClient::Expect(qint32 opid)
{
    std::lock_guard<std::mutex> lock(m_requestsMutex);
    // The wait for an answer starts with the first request nothing else was waiting with.
    if (m_outstanding.isEmpty())
        m_lastAnswer = std::chrono::steady_clock::now();
    m_outstanding.insert(opid);
}

void TDSLocateClient::Answered(qint32 opid, bool ok)
{
    std::lock_guard<std::mutex> lock(m_requestsMutex);
    if (!m_outstanding.remove(opid))
        return;
    m_answers.push_back({opid, ok});
    ++m_answerCount;
    m_lastAnswer = std::chrono::steady_clock::now();
}

int TDSLocateClient::Outstanding() const
{
    std::lock_guard<std::mutex> lock(m_requestsMutex);
    return int(m_outstanding.size());
}

int TDSLocateClient::Answers() const
{
    std::lock_guard<std::mutex> lock(m_requestsMutex);
    return m_answerCount;
}

std::vector<TDSLocateClient::RAnswer> TDSLocateClient::TakeAnswers()
{
    std::lock_guard<std::mutex> lock(m_requestsMutex);
    return std::exchange(m_answers, {});
}

std::chrono::steady_clock::duration TDSLocateClient::SinceAnswered() const
{
    std::lock_guard<std::mutex> lock(m_requestsMutex);
    if (m_outstanding.isEmpty())
        return std::chrono::steady_clock::duration::zero();
    return std::chrono::steady_clock::now() - m_lastAnswer;
}

void TDSLocateClient::FinishReading()
{
    if (!m_decoder)
        return;
    try {
        if (m_decoder->IsSuspended()) {
            for (QByteArray chunk; !(chunk = m_connection.Take(std::chrono::milliseconds(0))).isEmpty();)
                m_decoder->Decode(chunk);
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kFinishReading;
        while (!m_decoder->IsFinished() && m_connection.IsOpen() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } catch (const std::exception &) {
        // The connection is broken: what could be read has been.
    }
}

void TDSLocateClient::Disconnect()
{
    if (m_decoder) {
        m_decoder->Stop();
        m_decoder->WaitFor();
        m_decoder.reset();
    }
    m_connection.Close();
    m_msg.ResetOpid();
    m_pojazdy.LockedClear();
    std::lock_guard<std::mutex> lock(m_requestsMutex);
    m_outstanding.clear();
}

bool TDSLocateClient::IsConnected()
{
    return m_connection.IsOpen();
}

bool TDSLocateClient::IsDecoderFinished() const
{
    return !m_decoder || m_decoder->IsFinished();
}

void TDSLocateClient::Message(const QString &text) const
{
    if (OnMessage)
        OnMessage(text);
}

void TDSLocateClient::State(int state, const QString &text) const
{
    if (OnState)
        OnState(state, text);
}

void TDSLocateClient::StatusHandler(TConnectionStatus status, const QString &text)
{
    using S = TConnectionStatus;
    switch (status) {
    case S::Resolving: Message(QStringLiteral("Szukanie: ") + text); break;
    case S::Connecting: Message(QStringLiteral("Łączenie...")); break;
    case S::Connected: State(StateConnected, QStringLiteral("Połączony.")); break;
    case S::Disconnecting: Message(QStringLiteral("Rozłączanie...")); break;
    case S::Disconnected: State(StateDisconnected, QStringLiteral("Rozłączony.")); break;
    case S::Text: StatusText(text); break;
    case S::Transfer: Message(QStringLiteral("Transfer: ") + text); break;
    case S::Ready: Message(QStringLiteral("Gotowy: ") + text); break;
    case S::Aborted: Message(QStringLiteral("Porzucony: ") + text); break;
    }
}

const TDSLocateClient::RStatusWord *TDSLocateClient::Classify(const QString &text, QString &rest)
{
    // The word a text begins with is its own; server text quoted after it (a message's text,
    // a received chunk) never decides how it is counted.
    for (const RStatusWord &w : kWords) {
        const QString word = QString::fromUtf8(w.word);
        if (text.startsWith(word)) {
            rest = text.mid(word.size());
            return &w;
        }
    }
    for (const RStatusWord &w : kWords) {
        const QString word = QString::fromUtf8(w.word);
        const qsizetype at = text.indexOf(word);
        if (at >= 0) {
            rest = text.mid(at + word.size());
            return &w;
        }
    }
    rest.clear();
    return nullptr;
}

void TDSLocateClient::StatusText(const QString &text)
{
    QString rest;
    const RStatusWord *w = Classify(text, rest);
    if (!w) {
        if (m_level >= 2)
            Message(QStringLiteral(" Status: ") + text);
        return;
    }
    if (m_level < w->level)
        return;
    if (w->word == kZalogowany)
        State(StateLoggedIn, QStringLiteral("Zalogowany."));
    else if (w->word == kOdczytano)
        Message(QStringLiteral(" Odczytano: ") + rest);
    else if (IsSent(*w))
        Message(QStringLiteral(" Wysłano: ") + rest);
    else
        Message(rest);
}

} // namespace pelk
