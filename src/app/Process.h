#pragma once
// The processing state: the flags that gate and interrupt a run, the counters of the current
// object kind, the progress display and the per-object summaries; also the version helpers
// of the version listing.
#include "RunReport.h"
#include "config/Persistent.h"

#include <QElapsedTimer>
#include <QList>

namespace pelk {

class IProgressView;
class TLog;

class TProcess : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(bool CanProcess READ CanProcess WRITE SetCanProcess)
    Q_PROPERTY(bool RunProcess READ RunProcess WRITE SetRunProcess)
    Q_PROPERTY(bool EscProcess READ EscProcess WRITE SetEscProcess)
    // Written to drive the display; never stored.
    Q_PROPERTY(int CountObj READ CountObj WRITE SetCountObj STORED false)
    Q_PROPERTY(int CountElem READ CountElem WRITE SetCountElem)
    Q_PROPERTY(int CountDezaktyw READ CountDezaktyw WRITE SetCountDezaktyw STORED false)
public:
    // Bar kinds of ResetBar / ShowProgress / StepProgress.
    enum { KindObject = 0, KindElement = 1, KindDeactivation = 2, KindElementQuiet = 3, KindObjectShort = 4 };
    // Result kinds of CountResult.
    enum { ResultNew = 0, ResultUpdated = 1, ResultUnchanged = 2, ResultDeleted = 3 };
    static constexpr int BarStep = 10;

    explicit TProcess(TLog *log, QObject *parent = nullptr);

    // One view stands for the object and element labels and bars; null runs headless.
    void BindControls(IProgressView *view);

    bool CanProcess() const { return m_canProcess; }
    void SetCanProcess(bool value) { m_canProcess = value; }
    bool RunProcess() const { return m_runProcess; }
    void SetRunProcess(bool value) { m_runProcess = value; }
    bool EscProcess() const { return m_escProcess; }
    void SetEscProcess(bool value) { m_escProcess = value; }
    // A dry run: every element passes every stage and its GIS save, which is rolled back;
    // nothing is written to the GIS or the working folder.
    bool DryRun() const { return m_dryRun; }
    void SetDryRun(bool value) { m_dryRun = value; }

    int CountObj() const { return m_countObj; }
    // Setting the object count starts a run (the queue driver does it once per run).
    void SetCountObj(int n);
    // Counts the runs: what is cached for one run (attribute definitions) is keyed by it.
    int RunSerial() const { return m_runSerial; }
    int CountElem() const { return m_countElem; }
    void SetCountElem(int n);
    int CountDezaktyw() const { return m_countDezaktyw; }
    void SetCountDezaktyw(int n);

    int TotalElements() const { return m_totalElements; }
    int Processed() const { return m_processed; }
    int NotProcessed() const { return m_notProcessed; }
    int NewCount() const { return m_newCount; }
    int UpdatedCount() const { return m_updatedCount; }
    int UnchangedCount() const { return m_unchangedCount; }
    int DeletedCount() const { return m_deletedCount; }
    int RefusedCount() const { return m_refusedCount; }

    // A kind's run begins (its clock starts); the queue driver calls it before each queue.
    void BeginKind();
    // Something of the current kind (or of the run, outside a kind) is left for the next run
    // besides its failed elements: a list not read whole, a run ended early.
    void MarkUnfinished();
    // The kinds of the last run, each recorded when its summary was logged.
    const QList<RKindReport> &Reports() const { return m_reports; }
    // The exit code of the last run: Unfinished when something is left for the next run.
    int RunExitCode() const;

    void ResetBar(int kind, int n);
    void ShowProgress(int kind, const QString &text, int number);
    void StepProgress(int kind, const QString &text);
    // `refused`: the element was not stored for its data (logged); it is not retried.
    void ElementDone(bool success, bool refused = false);
    void CountResult(int resultKind, bool counted);
    // Sets the element label directly (the Start command empties it).
    void SetElementLabelText(const QString &text);

    QString FullSummary(const QString &label) const;
    QString ShortSummary(const QString &label) const;

    // The version compiled into the program, "major.minor.release.build".
    static QString ModuleVersion();
    // Text of the first "<!-- ... -->" line from its sixth character; empty when none.
    static QString CommentVersion(const QString &file);
    static QString RulesVersionLine(const QString &folder);
    static QString StylesheetVersionLines(const QString &folder);

private:
    TLog *m_log;
    IProgressView *m_view = nullptr;
    bool m_canProcess = false;
    bool m_runProcess = false;
    bool m_escProcess = false;
    bool m_dryRun = false;
    int m_countObj = 0;
    int m_runSerial = 0;
    int m_countElem = 0;
    int m_countDezaktyw = 0;
    int m_totalElements = 0;
    int m_processed = 0;
    int m_notProcessed = 0;
    int m_newCount = 0;
    int m_updatedCount = 0;
    int m_unchangedCount = 0;
    int m_deletedCount = 0;
    int m_refusedCount = 0;
    QElapsedTimer m_kindClock;
    bool m_kindUnfinished = false;
    bool m_runUnfinished = false;
    QList<RKindReport> m_reports;
    // Records the current kind's report under its label.
    void RecordKind(const QString &label);
};

} // namespace pelk
