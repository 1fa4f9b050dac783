// Cost of the pipeline per element: serialise (object to source-layout document), transform
// (stylesheet to target-layout document), deserialise (document to object), for small
// elements, with and without the per-run stylesheet cache; and the matching of leftover files
// against the listed elements (10,000 elements, 5,000 files).
//   bench_pipeline [elements [folder]]   (default 10000 elements, in the temporary folder)
// The working folder lies below folder (e.g. /dev/shm to leave the disk out).
#include "Timing.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/Clock.h"
#include "config/Variant.h"
#include "engine/ObjectListQueue.h"
#include "engine/Transformation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace pelk;

namespace {

// A small element: three fields besides ObjectID.
class TBench_Obiekt : public TInterfaceObject
{
    Q_OBJECT
    Q_PROPERTY(QString Nazwa MEMBER Nazwa)
    Q_PROPERTY(QString Miasto MEMBER Miasto)
    Q_PROPERTY(double Kwota MEMBER Kwota)
public:
    using TInterfaceObject::TInterfaceObject;
    QString Nazwa, Miasto;
    double Kwota = 0;
};

class TBench_Zrodlo : public TBench_Obiekt
{
    Q_OBJECT
public:
    using TBench_Obiekt::TBench_Obiekt;
    bool LoadObjectData(RObiekt &element) override
    {
        Nazwa = QStringLiteral("Klient numer ") + element.Key;
        Miasto = QStringLiteral("Łódź");
        Kwota = element.Key.toInt() * 1.25;
        return true;
    }
};

class TBench_Cel : public TBench_Obiekt
{
    Q_OBJECT
public:
    using TBench_Obiekt::TBench_Obiekt;
    bool SaveObjectData(RObiekt &) override
    {
        m_dm.Process()->CountResult(TProcess::ResultNew, true);
        return !Nazwa.isEmpty();
    }
};

// Times the stages of every element: serialise ends, deserialise begins; what lies between
// is the transformation (with the deletion of the source file).
class TBenchQueue : public TObjectListQueue
{
public:
    TBenchQueue(TDM_Main &dm, int n) : TObjectListQueue(dm), m_n(n) {}
    bool PrepareList() override
    {
        for (int i = 1; i <= m_n; ++i) {
            auto e = std::make_unique<RObiekt>();
            e->Key = QString::number(i);
            Elements.push_back(std::move(e));
        }
        DatabaseCount = m_n;
        return true;
    }
    bool FindFileObject(RObiekt &e) override
    {
        return MatchFiles && FileObjectOnList(e.FileName, std::make_unique<TBench_Zrodlo>(m_dm));
    }
    bool MatchFiles = false;
    bool SerializeObject(RObiekt &e) override
    {
        m_clock.restart();
        const bool ok = SerializeSysObject(e, std::make_unique<TBench_Zrodlo>(m_dm));
        serialize += m_clock.nsecsElapsed();
        m_clock.restart();
        return ok;
    }
    bool DeSerializeObject(RObiekt &e) override
    {
        transform += m_clock.nsecsElapsed();
        m_clock.restart();
        const bool ok = DeSerializeSysObject(e, std::make_unique<TBench_Cel>(m_dm));
        deserialize += m_clock.nsecsElapsed();
        return ok;
    }
    qint64 serialize = 0, transform = 0, deserialize = 0;

private:
    int m_n;
    QElapsedTimer m_clock;
};

const char *kStylesheet =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
    "  <xsl:output method=\"xml\" encoding=\"UTF-8\" indent=\"yes\"/>\n"
    "  <xsl:template match=\"@*|node()\"><xsl:copy><xsl:apply-templates select=\"@*|node()\"/></xsl:copy></xsl:template>\n"
    "  <xsl:template match=\"class[@classname='TBench_Zrodlo']\">\n"
    "    <class classname=\"TBench_Cel\" name=\"TBench_Cel\"><xsl:apply-templates select=\"node()\"/></class>\n"
    "  </xsl:template>\n"
    "</xsl:stylesheet>\n";

void WriteText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

void Report(const char *title, int n, qint64 total, qint64 cpu, const TBenchQueue &q, int processed)
{
    const double us = 1e-3 / n;
    const qint64 rest = total - q.serialize - q.transform - q.deserialize;
    std::printf("%s\n", title);
    std::printf("  elements stored:      %d of %d\n", processed, n);
    std::printf("  elements per second:  %.0f\n", n / (total * 1e-9));
    std::printf("  per element:          %8.1f us wall, %.1f us processor time\n", total * us, cpu * us);
    std::printf("    serialise:          %8.1f us\n", q.serialize * us);
    std::printf("    transform:          %8.1f us\n", q.transform * us);
    std::printf("    deserialise:        %8.1f us\n", q.deserialize * us);
    std::printf("    loop (progress, last file deleted): %5.1f us\n", rest * us);
}

// The settings and the stylesheet of a run with no database.
void WriteInstallation(const QTemporaryDir &dir)
{
    for (const char *sub : {"logs", "work", "xsl"})
        QDir(dir.path()).mkpath(QLatin1String(sub));
    WriteText(
        dir.filePath(QStringLiteral("PelkDataExchanger.xml")),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<classes><class classname=\"TSettingsAplikacji\" name=\"TSettingsAplikacji\"><properties>"
        "<property name=\"DefaultSubDirLog\" type=\"String\">logs</property>"
        "<property name=\"DefaultSubDirWork\" type=\"String\">work</property>"
        "<property name=\"TransforSubDir\" type=\"String\">xsl</property>"
        "<property name=\"DSN_PelkGISTrasar\" type=\"String\">BenchNone</property>"
        "<property name=\"DSN_Movex\" type=\"String\">BenchNone</property>"
        "<property name=\"DSN_Caesar\" type=\"String\">BenchNone</property>"
        "<property name=\"TraceLevel\" type=\"Integer\">1</property>"
        "</properties></class></classes>\n");
    WriteText(dir.filePath(QStringLiteral("xsl/Bench_X2Y.xsl")), kStylesheet);
}

// n elements through the stages, with the stylesheet cache and without.
void RunStages(TDM_Main &dm, int n)
{
    for (bool cached : {true, false}) {
        TStylesheetCache cache;
        TBenchQueue queue(dm, n);
        queue.Rules = std::make_unique<TQueueObjectRules>();
        queue.Rules->SysXLoadName = QStringLiteral("Bench_SysX");
        queue.Rules->SysYSaveName = QStringLiteral("Bench_SysY");
        queue.Rules->TransSysXtoSysYName = QStringLiteral("Bench_X2Y.xsl");
        queue.Stylesheets = cached ? &cache : nullptr;
        double cpu = 0;
        const double seconds = bench::SecondsOf([&] { queue.Run(); }, &cpu);
        Report(cached ? "with the stylesheet cache (one compilation per run)"
                      : "without the cache (stylesheet compiled for every file)",
               n, qint64(seconds * 1e9), qint64(cpu * 1e9), queue, dm.Process()->Processed());
        const int left = int(QDir(dm.SettingsProcess()->WorkDirectory).entryList(QDir::Files).size());
        if (left)
            std::printf("  files left in the working folder: %d\n", left);
    }
}

// Leftover files of earlier runs against the listed elements: every other file belongs to an
// element listed again (it is dropped), the rest stay as file elements.
void MatchLeftovers(TDM_Main &dm)
{
    const int listed = 10000, files = 5000;
    QElapsedTimer sweep;
    {
        TBenchQueue queue(dm, listed);
        queue.Rules = std::make_unique<TQueueObjectRules>();
        queue.Rules->SysXLoadName = QStringLiteral("Bench_SysX");
        queue.Rules->SysYSaveName = QStringLiteral("Bench_SysY");
        queue.MatchFiles = true;
        for (int i = 0; i < files; ++i) {
            TBench_Zrodlo object(dm);
            object.ObjectID = Variant(QString::number(i % 2 ? i : listed + i));
            object.FileName = queue.WorkPath(TObjectListQueue::StagedFileName(QStringLiteral("Bench_SysX")));
            object.SaveToXML();
        }
        queue.PrepareList();
        QElapsedTimer t;
        t.start();
        queue.FindFile();
        std::printf("leftover files: %d files against %d listed elements matched in %.3f s (%zu file elements kept)\n", files,
                    listed, t.nsecsElapsed() * 1e-9, queue.Elements.size() - size_t(listed));
        sweep.start();
    } // the queue waits for the superseded files to be deleted
    std::printf("  superseded files deleted in the background; the queue waited %.3f s more at its end\n",
                sweep.nsecsElapsed() * 1e-9);
}

} // namespace

int main(int argc, char **argv)
{
    PinSystemTimeZone(); // as the program does
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/bench_pipeline-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/bench_pipeline-XXXXXX"));
    WriteInstallation(dir);
    TDM_Main dm(dir.path(), {}, nullptr, nullptr);
    if (!dm.SettingsProcess()) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    RunStages(dm, n);
    MatchLeftovers(dm);
    return 0;
}

#include "bench_pipeline.moc"
