#pragma once
// The list queue: moves the elements of one object kind in one direction through files staged
// in the working folder (source layout, transformation, target layout, store). A file is
// deleted once its next stage succeeded; a file whose next stage failed stays for the next run.
#include "InterfaceObject.h"
#include "QueueObjectRules.h"
#include "RObiekt.h"

#include <memory>
#include <vector>

namespace pelk {

class Connection;
class TDM_Main;
class TStylesheetCache;

class TObjectListQueue
{
public:
    explicit TObjectListQueue(TDM_Main &dm);
    virtual ~TObjectListQueue();
    TObjectListQueue(const TObjectListQueue &) = delete;
    TObjectListQueue &operator=(const TObjectListQueue &) = delete;

    int DatabaseCount = 0;                    // database elements at the head of Elements
    bool Direction = true;                    // true: system X to system Y
    Connection *SourceConnection = nullptr;   // for LoadObjectData; none without a source database
    Connection *TargetConnection = nullptr;   // for SaveObjectData
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
    // the run was not ended early (by PrepareList, FindFile or the escape flag); queues that
    // store a last-exchange time after an uninterrupted run build on it.
    bool RunElements();
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
    // Runs op; an escaping exception is logged as " Wyjątek funkcji <className>.<operation>"
    // with its text, and gives false.
    template <class F>
    bool Guarded(const char *className, const char *operation, F &&op)
    {
        try {
            return op();
        } catch (const std::exception &e) {
            LogException(className, operation, e);
            return false;
        }
    }
    void LogException(const char *className, const char *operation, const std::exception &e) const;
    // The loop over Elements once gathered; false when the escape flag ended it.
    bool ProcessElements();
    // Hands the connection and the rules' folders to an exchange object.
    void Attach(TInterfaceObject &object, Connection *connection) const;
    bool RemoveFile(const QString &fileName) const;
    void RemoveUnfinishedFiles(const QString &sourceName, const QString &targetName) const;

    TDM_Main &m_dm;
};

} // namespace pelk
