#pragma once
// The list queue: moves the elements of one object kind in one direction through the staged
// documents of its stages (source layout, transformation, target layout, store). An element's
// stages pass in memory as document trees; the stage an element stops at (a failure, Stop) stays
// as its file in the working folder for the next run, and files of earlier runs are taken up and
// deleted once their next stage succeeded.
#include "FileSweeper.h"
#include "InterfaceObject.h"
#include "QueueObjectRules.h"
#include "RObiekt.h"

#include <QSet>
#include <functional>
#include <memory>
#include <vector>

namespace pelk {

class Connection;
class Query;
class TDM_Main;
class TLog;
class TStylesheetCache;

class TObjectListQueue
{
public:
    explicit TObjectListQueue(TDM_Main &dm);
    virtual ~TObjectListQueue();
    TObjectListQueue(const TObjectListQueue &) = delete;
    TObjectListQueue &operator=(const TObjectListQueue &) = delete;

    int DatabaseCount = 0;                  // database elements at the head of Elements
    bool Direction = true;                  // true: system X to system Y
    Connection *SourceConnection = nullptr; // for LoadObjectData; none without a source database
    Connection *TargetConnection = nullptr; // for SaveObjectData
    std::vector<std::unique_ptr<RObiekt>> Elements;
    std::unique_ptr<TQueueObjectRules> Rules;
    // Compiled stylesheets shared by the queues of a run; null: one compilation per file.
    TStylesheetCache *Stylesheets = nullptr;

    // Per-kind operations.
    // Appends the database elements (Kind 0) in processing order and sets DatabaseCount;
    // false ends the run at once.
    virtual bool PrepareList() = 0;
    // True when the file element describes one of the database elements (the file is then
    // deleted and the element dropped).
    virtual bool FindFileObject(RObiekt &element) = 0;
    // Database element to source-layout file (usually SerializeSysObject with a source object).
    virtual bool SerializeObject(RObiekt &element) = 0;
    // Target-layout file to target database (usually DeSerializeSysObject with a target object).
    virtual bool DeSerializeObject(RObiekt &element) = 0;
    virtual void Run();
    // The queue's summary is the short form.
    virtual bool ShortSummary() const { return false; }

    // The base run: gathers the elements (PrepareList, FindFile) and processes them. True when
    // the run was not ended early (by PrepareList, FindFile or the escape flag).
    bool RunElements();
    // Empties the list and the counters, then PrepareList and FindFile. False when either
    // ended the run; unless Stop or a direction the kind does not offer ended it, the kind is
    // marked unfinished for the exit code.
    bool GatherElements();
    // The run of an incremental kind: RunElements, then the last-exchange time to store in
    // `next`. False (nothing may be stored) when the run ended early, the list was not read
    // completely or a superseded file could not be deleted. `next` is the run's start on the
    // source database's clock less one second, but never past `previous` plus the change of
    // an element that failed before its first file was written: the next run lists that
    // element again.
    bool RunIncremental(const TDateTime &previous, TDateTime &next);
    bool FindFile();
    bool SerializeSysObject(RObiekt &element, std::unique_ptr<TInterfaceObject> object);
    bool TransformFile(RObiekt &element);
    bool DeSerializeSysObject(RObiekt &element, std::unique_ptr<TInterfaceObject> object);
    bool ProcessObject(RObiekt &element);
    bool ProcessFile(RObiekt &element);
    bool FileObjectOnList(const QString &fileName, std::unique_ptr<TInterfaceObject> object);
    bool IsOnList(const QString &key, int count);

    QString WorkDirectory() const;
    QString WorkPath(const QString &fileName) const;
    // Name part of target-layout files for the queue's direction.
    QString SecondStageName() const;
    // "<name>__<GUID>.xml".
    static QString StagedFileName(const QString &namePart);

protected:
    // Processes pending window messages; true when the escape flag is set.
    bool Escaped();
    TLog &Log() const;
    // An operation a kind does not offer: logs " Funkcja <Class>.<Method> nie jest
    // zaimplementowana" at level 1 for the calling function (pass PELK_FUNCTION); false.
    bool NotImplemented(const char *signature) const;
    // The loop over Elements once gathered; false when the escape flag ended it. Returns only
    // when the superseded leftover files are deleted.
    bool ProcessElements();
    // PrepareList of an incremental kind calls this when its list could not be read whole
    // (the query failed, a row was skipped for a reason that may pass): the run goes on with
    // what was listed and the files of earlier runs, but stores no last-exchange time (and
    // leaves work for the next run).
    void MarkListIncomplete();
    // A dry run: the GIS save is rolled back and no file of the working folder is written or
    // deleted; no last-exchange time is stored.
    bool DryRun() const;
    // The list of an incremental kind, with its gathering messages: readWatermark (false ends
    // the run at once), openList (false: the list is incomplete, the run goes on with the
    // staged files of earlier runs), appendRow for each row of `list`, Stop between rows.
    bool GatherChanged(const std::function<bool()> &readWatermark, const std::function<bool()> &openList, Query &list,
                       const std::function<void(const Query &)> &appendRow);
    // Takes the run's start from the source database's clock (warns when it differs from this
    // machine's by more than a minute); false when the source could not tell it.
    bool ReadSourceClock(Connection &source);
    // Hands the connection and the rules' folders to an exchange object.
    void Attach(TInterfaceObject &object, Connection *connection) const;
    // Deletes a file of the working folder (none in a dry run).
    bool RemoveFile(const QString &fileName) const;
    void RemoveUnfinishedFiles(const QString &sourceName, const QString &targetName) const;

    TDM_Main &m_dm;

    // After an element (ProcessElements): a stored element's last file is deleted; an element
    // that stopped at a stage keeps that stage's document as its staged file (KeepStage).
    virtual void FinishElement(RObiekt &element, bool result);
    // Forgets the current element's in-memory document without writing it.
    void DiscardStage() { m_stage = {}; }
    // True when `fileName` is the current stage's document, held in memory and not on disk.
    bool InMemory(const QString &fileName) const;

private:
    // A database element failed before its first file was written (and was not refused).
    void NoteUnstagedFailure(const RObiekt &element);
    // Writes the stage held in memory to its staged file (atomically and durably); true when
    // there is none or it was written (a failure is logged). A dry run keeps it in memory.
    bool KeepStage();
    // Waits for the deletion of superseded files; gives `complete` back.
    bool EndOfElements(bool complete);

    // The document of the element's current stage. A database element's stages pass in
    // memory; one reaches the disk only when the element stops at it (a failure, Stop), or
    // before the file it came from is deleted. After a crash nothing of the element is on
    // disk and the element is still in its source: its kind's list takes it up again.
    struct Stage
    {
        QString FileName;
        TStagedDocument Document;
        bool InMemory = false;
    };
    Stage m_stage;
    TFileSweeper m_sweeper; // deletes the leftover files that database elements superseded

    QSet<QString> m_databaseKeys; // the database elements' keys while FindFile matches files
    bool m_keysIndexed = false;
    bool m_listComplete = true;
    mutable bool m_notOffered = false; // NotImplemented ended an operation of the run
    bool m_staleFilesLeft = false;     // a superseded leftover file could not be deleted
    TDateTime m_runStart = 0;          // the run's start on the source's clock
    bool m_staged = false;             // the element of the last ProcessObject reached its first file
    TDateTime m_earliestUnstaged = 0;  // change date of the earliest such element
    bool m_hasUnstaged = false;
};

} // namespace pelk
