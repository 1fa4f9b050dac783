// Cost of error mails in a run whose elements all fail (the test kind's rows that the GIS
// refuses, every one logging its errors): mailing off; on with no mail server (connection
// refused), with and without the pause after a failure; on with a server that never answers
// (the default time-outs); on with a working server on loopback (every error mailed).
//   bench_mail [elements]   (default 1000)
#include "support/EngineTestKind.h"
#include "support/Installation.h"
#include "support/MailSettingsSection.h"
#include "support/SilentPort.h"
#include "support/SmtpRecorder.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "app/Views.h"
#include "config/Clock.h"
#include "engine/Queue.h"
#include "mail/MailSender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace pelk;
using namespace pelk::test;

namespace {

struct Result
{
    qint64 ms;
    int errors;
};

// Counts the errors the log hands to the mail hook's log.
class CountingView : public ILogView
{
public:
    void AddMessage(int image, int, const QStringList &) override { errors += image == TLog::ImageError; }
    void ScrollToEnd() override {}
    int errors = 0;
};

// One run of `elements` refused elements in a fresh installation; mailSection empty: mailing off.
Result Run(int elements, const QString &mailSection)
{
    Installation inst;
    inst.WriteSettings(
        {{QStringLiteral("TraceLevel"), QStringLiteral("2")},
         {QStringLiteral("WysylajBledyNaMaila"), mailSection.isEmpty() ? QStringLiteral("False") : QStringLiteral("True")}},
        mailSection);
    const QString crm = inst.odbc.Folder() + QStringLiteral("/CRM.db");
    OdbcEnvironment::ExecSqlite(crm, TestSourceSchema());
    OdbcEnvironment::ExecSqlite(inst.gisFile, TestTargetSchema());
    QString rows;
    for (int i = 1; i <= elements; ++i)
        rows += QStringLiteral("%1(%2, 'SAVEFAIL')").arg(i > 1 ? "," : "").arg(i);
    OdbcEnvironment::ExecSqlite(crm, QStringLiteral("INSERT INTO SRC VALUES ") + rows);
    WriteFileText(inst.Path(QStringLiteral("ObjectRules.xml")),
                  TestRulesXml({{QLatin1String(TestKindName), QLatin1String(TestKindName), QStringLiteral("Test")}}));
    WriteFileText(inst.Path(QStringLiteral("xsl/Test_X2Y.xsl")), TestStylesheet());
    const QString process = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                      {{QLatin1String(TestKindName), QStringLiteral("esSysXtoSysY"), 15}});

    CountingView view;
    TDM_Main dm(inst.dir.path(), {process}, &view, nullptr);
    if (!dm.Process()->CanProcess()) {
        std::fprintf(stderr, "start-up failed\n");
        return {-1, 0};
    }
    const int before = view.errors;
    QElapsedTimer timer;
    timer.start();
    TQueue queue(dm);
    queue.Objects = dm.SettingsProcess()->ObjectToProcess();
    queue.Execute();
    return {timer.elapsed(), view.errors - before};
}

QString Mail(int port, const QList<QPair<QString, QString>> &more = {})
{
    QList<QPair<QString, QString>> keys = {{"PoziomLogow", "1"},
                                           {"Host", "127.0.0.1"},
                                           {"Port", QString::number(port)},
                                           {"FromMail", "interfejs@firma.pl"},
                                           {"ToMail", "admin@firma.pl"}};
    return MailSettingsSection(keys + more);
}

void Print(const char *what, const Result &r, int elements)
{
    std::printf("%-62s %8lld ms  %5d errors logged  %6.2f ms/element\n", what, static_cast<long long>(r.ms), r.errors,
                double(r.ms) / elements);
}

} // namespace

int main(int argc, char *argv[])
{
    PinSystemTimeZone(); // as the program does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const int elements = argc > 1 ? std::atoi(argv[1]) : 1000;
    RegisterTestKind();
    RegisterMailSender();

    const int refused = SilentPort().Port(); // nobody listens there any more
    Print("mailing off", Run(elements, QString()), elements);
    Print("mailing on, no mail server (refused), pause 300 s", Run(elements, Mail(refused)), elements);
    Print("mailing on, no mail server (refused), no pause", Run(elements, Mail(refused, {{"PauseAfterFailure", "0"}})), elements);
    {
        SilentPort silent;
        Print("mailing on, server never answers (time-outs 10 s), pause 300 s", Run(elements, Mail(silent.Port())), elements);
    }
    {
        SmtpRecorder server;
        const Result r = Run(elements, Mail(server.Port()));
        Print("mailing on, working server on loopback", r, elements);
        std::printf("%-62s %8lld mails\n", "  mails the server accepted", static_cast<long long>(server.Messages().size()));
    }
    UnregisterTestKind();
    return 0;
}
