// pelk-gps-simulator: a GPS tracking server on a loopback port for tests and the demo. Prints
// "port N" and "fingerprint HEX" (SHA-256 of its certificate), then serves until it receives
// SIGTERM or SIGINT.
#include "GpsSimulator.h"

#include "config/Errors.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <thread>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int)
{
    g_stop = true;
}

// How the vehicle's archive requests are answered; errors: "id=CODE" entries.
void SetArchiveMode(pelk::sim::RVehicle &v, const QStringList &empty, const QStringList &none, const QStringList &errors)
{
    using Archive = pelk::sim::RVehicle::Archive;
    v.archive = empty.contains(v.id) ? Archive::Empty : none.contains(v.id) ? Archive::NoArchive : Archive::Track;
    for (const QString &entry : errors)
        if (entry.section(QLatin1Char('='), 0, 0) == v.id) {
            v.archive = Archive::Error;
            v.error = entry.section(QLatin1Char('='), 1);
        }
}

// The command line of the simulator.
void AddOptions(QCommandLineParser &cli)
{
    cli.setApplicationDescription(QStringLiteral("GPS tracking server simulator (TLS on 127.0.0.1)."));
    cli.addHelpOption();
    cli.addOptions({
        {QStringLiteral("port"), QStringLiteral("Port (default: a free one)."), QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("user"), QStringLiteral("Account name (default demo)."), QStringLiteral("name"), QStringLiteral("demo")},
        {QStringLiteral("password"), QStringLiteral("Account password (default demo)."), QStringLiteral("text"),
         QStringLiteral("demo")},
        {QStringLiteral("vehicle"), QStringLiteral("A vehicle: id=registration[=type]; repeatable."), QStringLiteral("entry")},
        {QStringLiteral("empty"), QStringLiteral("Vehicle id whose archives are empty; repeatable."), QStringLiteral("id")},
        {QStringLiteral("no-archive"), QStringLiteral("Vehicle id answered with NO_ARCHIVE; repeatable."), QStringLiteral("id")},
        {QStringLiteral("error"),
         QStringLiteral("Vehicle id answered with an error: id=CODE (e.g. INVALID_TIME_SPAN); repeatable."),
         QStringLiteral("entry")},
        {QStringLiteral("interval"), QStringLiteral("Seconds between frames (default 60)."), QStringLiteral("s"),
         QStringLiteral("60")},
        {QStringLiteral("drive"), QStringLiteral("Minutes of each drive (default 50)."), QStringLiteral("min"),
         QStringLiteral("50")},
        {QStringLiteral("stop"), QStringLiteral("Minutes of each stop (default 25)."), QStringLiteral("min"),
         QStringLiteral("25")},
        {QStringLiteral("split"), QStringLiteral("Cut output inside elements: element or letter."), QStringLiteral("where")},
        {QStringLiteral("delay"), QStringLiteral("Milliseconds before every answer."), QStringLiteral("ms"), QStringLiteral("0")},
        {QStringLiteral("answer-limit"), QStringLiteral("Requests answered before going silent."), QStringLiteral("n"),
         QStringLiteral("-1")},
        {QStringLiteral("drop-after"), QStringLiteral("Requests answered before dropping the connection."), QStringLiteral("n"),
         QStringLiteral("-1")},
        {QStringLiteral("garbage"), QStringLiteral("Junk before the greeting (before) or instead of answers (only)."),
         QStringLiteral("when")},
        {QStringLiteral("plain-greeting"), QStringLiteral("Greet in plain text instead of TLS.")},
        {QStringLiteral("stall-handshake"), QStringLiteral("Never take part in the TLS handshake.")},
        {QStringLiteral("tls-max"), QStringLiteral("Highest TLS version offered: 1.0, 1.1, 1.2 or 1.3."), QStringLiteral("v")},
        {QStringLiteral("live"), QStringLiteral("Milliseconds between live updates (0: once)."), QStringLiteral("ms"),
         QStringLiteral("0")},
        {QStringLiteral("repeat-lists"), QStringLiteral("Times the autoupdate property and each vehicle-info are sent."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("unclosed-message"), QStringLiteral("After the greeting, a message element that never closes.")},
        {QStringLiteral("cert"), QStringLiteral("Serve this certificate (PEM, chain after it) instead of a self-signed one."),
         QStringLiteral("file")},
        {QStringLiteral("key"), QStringLiteral("The private key (PEM) of --cert."), QStringLiteral("file")},
        {QStringLiteral("cert-out"), QStringLiteral("Write the certificate (PEM) to this file."), QStringLiteral("file")},
    });
}

// The simulator's options from the command line; nothing (reported) for a malformed vehicle.
std::optional<pelk::sim::ROptions> ReadOptions(const QCommandLineParser &cli)
{
    using namespace pelk::sim;
    ROptions options;
    options.port = quint16(cli.value(QStringLiteral("port")).toUInt());
    options.user = cli.value(QStringLiteral("user"));
    options.password = cli.value(QStringLiteral("password"));
    const QStringList empty = cli.values(QStringLiteral("empty"));
    const QStringList none = cli.values(QStringLiteral("no-archive"));
    const QStringList errors = cli.values(QStringLiteral("error"));
    for (const QString &entry : cli.values(QStringLiteral("vehicle"))) {
        const QStringList parts = entry.split(QLatin1Char('='));
        if (parts.size() < 2 || parts[0].isEmpty()) {
            std::fprintf(stderr, "pelk-gps-simulator: --vehicle id=registration[=type], not \"%s\"\n", qPrintable(entry));
            return std::nullopt;
        }
        RVehicle v{parts[0], parts[1]};
        if (parts.size() > 2)
            v.type = parts[2];
        SetArchiveMode(v, empty, none, errors);
        options.vehicles << v;
    }
    if (options.vehicles.isEmpty())
        for (RVehicle v : GpsSimulator::DefaultVehicles()) {
            SetArchiveMode(v, empty, none, errors);
            options.vehicles << v;
        }
    options.frameInterval = cli.value(QStringLiteral("interval")).toInt();
    options.driveMinutes = cli.value(QStringLiteral("drive")).toInt();
    options.stopMinutes = cli.value(QStringLiteral("stop")).toInt();
    const QString split = cli.value(QStringLiteral("split"));
    options.split = split == QLatin1String("element") ? ROptions::Split::InsideElement
        : split == QLatin1String("letter")            ? ROptions::Split::InsideLetter
                                                      : ROptions::Split::None;
    options.answerDelayMs = cli.value(QStringLiteral("delay")).toInt();
    options.answerLimit = cli.value(QStringLiteral("answer-limit")).toInt();
    options.dropAfter = cli.value(QStringLiteral("drop-after")).toInt();
    const QString garbage = cli.value(QStringLiteral("garbage"));
    options.garbage = garbage == QLatin1String("before") ? ROptions::Garbage::BeforeGreeting
        : garbage == QLatin1String("only")               ? ROptions::Garbage::Only
                                                         : ROptions::Garbage::None;
    options.plainGreeting = cli.isSet(QStringLiteral("plain-greeting"));
    options.stallHandshake = cli.isSet(QStringLiteral("stall-handshake"));
    options.tlsMax = cli.value(QStringLiteral("tls-max"));
    options.liveIntervalMs = cli.value(QStringLiteral("live")).toInt();
    options.listRepeats = cli.value(QStringLiteral("repeat-lists")).toInt();
    options.unclosedMessage = cli.isSet(QStringLiteral("unclosed-message"));
    options.certificateFile = cli.value(QStringLiteral("cert"));
    options.keyFile = cli.value(QStringLiteral("key"));
    return options;
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace pelk::sim;
    QCoreApplication app(argc, argv);
    QCommandLineParser cli;
    AddOptions(cli);
    cli.process(app);
    const std::optional<ROptions> options = ReadOptions(cli);
    if (!options)
        return 2;

    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    GpsSimulator simulator(*options);
    try {
        simulator.Start();
    } catch (const pelk::Exception &e) {
        std::fprintf(stderr, "pelk-gps-simulator: %s\n", qPrintable(e.message()));
        return 1;
    }
    if (cli.isSet(QStringLiteral("cert-out"))) {
        QFile pem(cli.value(QStringLiteral("cert-out")));
        if (!pem.open(QIODevice::WriteOnly) || pem.write(simulator.CertificatePem()) < 0) {
            std::fprintf(stderr, "pelk-gps-simulator: cannot write %s\n", qPrintable(pem.fileName()));
            return 1;
        }
    }
    std::printf("port %u\nfingerprint %s\n", unsigned(simulator.Port()), qPrintable(simulator.Fingerprint()));
    std::fflush(stdout);
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    simulator.Stop();
    std::printf("frames %lld\n", static_cast<long long>(simulator.FramesSent()));
    return 0;
}
