#include "ObjectListQueue.h"

#include "Transformation.h"
#include "app/DM_Main.h"
#include "app/DatabaseHelpers.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "app/Views.h"
#include "config/AtomicFile.h"
#include "config/Clock.h"
#include "config/DateTime.h"
#include "db/Query.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>

namespace pelk {

TObjectListQueue::TObjectListQueue(TDM_Main &dm) : m_dm(dm) {}

TObjectListQueue::~TObjectListQueue()
{
    m_sweeper.Finish();
}

QString TObjectListQueue::WorkDirectory() const
{
    return m_dm.SettingsProcess() ? m_dm.SettingsProcess()->WorkDirectory : QString();
}

QString TObjectListQueue::WorkPath(const QString &fileName) const
{
    return JoinFolder(WorkDirectory(), fileName);
}

QString TObjectListQueue::SecondStageName() const
{
    return Direction ? Rules->SysYSaveName : Rules->SysXSaveName;
}

QString TObjectListQueue::StagedFileName(const QString &namePart)
{
    return namePart + QStringLiteral("__") + TDM_Main::NewGuidString() + QStringLiteral(".xml");
}

bool TObjectListQueue::Escaped()
{
    ProcessPendingEvents();
    return m_dm.Process()->EscProcess();
}

bool TObjectListQueue::NotImplemented(const char *signature) const
{
    m_notOffered = true;
    m_dm.Log()->Error(1, QStringLiteral(" Funkcja %1 nie jest zaimplementowana").arg(Where::OperationName(signature)));
    return false;
}

TLog &TObjectListQueue::Log() const
{
    return *m_dm.Log();
}

bool TObjectListQueue::DryRun() const
{
    return m_dm.Process()->DryRun();
}

void TObjectListQueue::MarkListIncomplete()
{
    m_listComplete = false;
    m_dm.Process()->MarkUnfinished();
}

bool TObjectListQueue::RemoveFile(const QString &fileName) const
{
    return !DryRun() && QFile::remove(WorkPath(fileName));
}

void TObjectListQueue::RemoveUnfinishedFiles(const QString &sourceName, const QString &targetName) const
{
    // Files of this kind that a crash left under their temporary name, exactly as the program
    // writes them: "<name>__{GUID}.xml.part" (config/AtomicFile.h). The stage that wrote them
    // never finished, so their input still exists; one instance runs at a time, so none of
    // them is being written now. Anything else is left alone.
    static const QRegularExpression unfinished(
        QStringLiteral("^(.+)__\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}\\.xml\\.part$"));
    if (DryRun())
        return;
    const QStringList files = QDir(WorkDirectory()).entryList({QStringLiteral("*.xml.part")}, QDir::Files | QDir::Hidden);
    for (const QString &file : files) {
        const QRegularExpressionMatch m = unfinished.match(file);
        if (!m.hasMatch())
            continue;
        const QString name = m.captured(1);
        if ((!sourceName.isEmpty() && name == sourceName) || (!targetName.isEmpty() && name == targetName))
            RemoveFile(file);
    }
}

void TObjectListQueue::Run()
{
    RunElements();
}

bool TObjectListQueue::RunElements()
{
    return GatherElements() && ProcessElements();
}

bool TObjectListQueue::GatherElements()
{
    Elements.clear();
    TProcess *process = m_dm.Process();
    process->SetCountElem(0);
    m_notOffered = false;
    if (PrepareList() && FindFile())
        return true;
    if (!m_notOffered && !process->EscProcess())
        process->MarkUnfinished();
    return false;
}

bool TObjectListQueue::RunIncremental(const TDateTime &previous, TDateTime &next)
{
    constexpr TDateTime kOneSecond = 1.0 / 86400.0;
    // Until the source tells its own time (GatherChanged), this machine's clock stands in.
    m_runStart = Now();
    m_listComplete = true;
    m_hasUnstaged = false;
    m_staleFilesLeft = false;
    if (!RunElements())
        return false;
    if (!m_listComplete) {
        m_dm.Log()->Warning(1,
                            QStringLiteral(" Lista elementów obiektu \"%1\" nie została odczytana w całości;"
                                           " czas ostatniej wymiany nie został zmieniony")
                                .arg(Rules->ObjectName));
        return false;
    }
    if (m_staleFilesLeft) {
        m_dm.Log()->Warning(1,
                            QStringLiteral(" Nie usunięto nieaktualnych plików obiektu \"%1\" z katalogu roboczego;"
                                           " czas ostatniej wymiany nie został zmieniony")
                                .arg(Rules->ObjectName));
        m_dm.Process()->MarkUnfinished();
        return false;
    }
    if (DryRun()) {
        m_dm.Log()->Note(1,
                         QStringLiteral(" Przebieg próbny: czas ostatniej wymiany obiektu \"%1\" nie został zmieniony")
                             .arg(Rules->ObjectName));
        return false;
    }
    // The run's start on the source's clock, never a change date: one row stamped in the
    // future would otherwise hide every change made until that date. Such a row is listed
    // again by each run until its date has passed. The stored time has whole seconds and the
    // lists take what changed after it: a change stamped in the run's starting second after
    // the list was read would be missed for good; one second earlier, it is listed again by
    // the next run (which finds it unchanged).
    next = m_runStart - kOneSecond;
    const auto future = std::count_if(Elements.begin(), Elements.begin() + DatabaseCount,
                                      [this](const auto &element) { return element->ChangeDate > m_runStart; });
    if (future > 0)
        m_dm.Log()->Warning(1,
                            QStringLiteral(" Liczba elementów obiektu \"%1\" z datą zmiany późniejszą niż czas bazy "
                                           "źródłowej (%2): %3; będą pobierane ponownie do czasu tej daty")
                                .arg(Rules->ObjectName, DateTimeToText(m_runStart))
                                .arg(future));
    if (m_hasUnstaged)
        next = std::min(next, std::max(previous, m_earliestUnstaged - kOneSecond));
    return true;
}

bool TObjectListQueue::ReadSourceClock(Connection &source)
{
    constexpr TDateTime kTolerance = 60.0 / 86400.0;
    TDateTime serverNow = 0;
    if (!m_dm.Db().ServerNow(source, serverNow))
        return false;
    const TDateTime here = Now();
    if (std::abs(serverNow - here) > kTolerance)
        m_dm.Log()->Warning(1,
                            QStringLiteral(" Zegar bazy źródłowej obiektu \"%1\" (%2) różni się od zegara tego komputera"
                                           " (%3) o więcej niż minutę")
                                .arg(Rules->ObjectName, DateTimeToText(serverNow), DateTimeToText(here)));
    m_runStart = serverNow;
    return true;
}

bool TObjectListQueue::GatherChanged(const std::function<bool()> &readWatermark, const std::function<bool()> &openList,
                                     Query &list, const std::function<void(const Query &)> &appendRow)
{
    TLog &log = Log();
    log.Note(2, QStringLiteral(" Rozpoczęcie zbierania elementów obiektu \"%1\"").arg(Rules->ObjectName));
    if (!readWatermark())
        return false;
    // The time to store next is read from the source before its list: the source stamps its
    // rows by its own clock. A source that cannot tell it keeps the stored time as it is.
    if (!ReadSourceClock(list.GetConnection()))
        MarkListIncomplete();
    // A list that could not be read goes on with the staged files of earlier runs, but the
    // last-exchange time stays where it is, so the next run lists the same changes.
    if (!openList())
        MarkListIncomplete();
    else
        for (list.First(); !list.Eof(); list.Next()) {
            appendRow(list);
            if (Escaped())
                return false;
        }
    DatabaseCount = int(Elements.size());
    log.Note(2, QStringLiteral(" Liczba elementów: %1").arg(DatabaseCount));
    log.Note(2, QStringLiteral(" Zakończenie zbierania elementów obiektu \"%1\"").arg(Rules->ObjectName));
    return true;
}

void TObjectListQueue::NoteUnstagedFailure(const RObiekt &element)
{
    if (!m_hasUnstaged || element.ChangeDate < m_earliestUnstaged)
        m_earliestUnstaged = element.ChangeDate;
    m_hasUnstaged = true;
}

void TObjectListQueue::FinishElement(RObiekt &element, bool result)
{
    if (result) {
        // Stored: its last stage's file goes, if that stage ever reached the disk.
        if (!m_stage.InMemory)
            RemoveFile(element.FileName);
        m_stage = {};
        return;
    }
    // The element stopped at a stage: the document it stopped at becomes that stage's file,
    // which the next run takes up. An element that never got that far (or whose file could
    // not be written) is listed again by the next run instead, unless its source refused it.
    const bool kept = KeepStage();
    m_stage = {};
    if (element.Kind == RObiekt::FromDatabase && !(m_staged ? kept : element.Refused))
        NoteUnstagedFailure(element);
}

bool TObjectListQueue::KeepStage()
{
    if (!m_stage.InMemory || DryRun())
        return true;
    QString error;
    QByteArray bytes;
    const bool written = m_stage.Document.Bytes(bytes, &error)
        && WriteFileAtomically(WorkPath(m_stage.FileName), bytes, Overwrite::Refuse, &error);
    if (!written)
        Log().Error(1, QStringLiteral(" Nie można zapisać pliku etapu przetwarzania:\r\n      %1").arg(error));
    m_stage = {};
    return written;
}

bool TObjectListQueue::InMemory(const QString &fileName) const
{
    return m_stage.InMemory && m_stage.FileName == fileName;
}

bool TObjectListQueue::ProcessElements()
{
    TProcess *process = m_dm.Process();
    process->SetCountElem(int(Elements.size()));
    for (size_t i = 0; i < Elements.size(); ++i) {
        RObiekt &element = *Elements[i];
        process->ShowProgress(TProcess::KindElement, QString(), int(i) + 1);
        bool result = false;
        switch (element.Kind) {
        case RObiekt::FromDatabase: result = ProcessObject(element); break;
        case RObiekt::SourceFile: result = ProcessFile(element); break;
        case RObiekt::TargetFile: result = DeSerializeObject(element); break;
        default: break;
        }
        process->ElementDone(result, element.Refused);
        FinishElement(element, result);
        if (Escaped())
            return EndOfElements(false);
    }
    return EndOfElements(true);
}

bool TObjectListQueue::EndOfElements(bool complete)
{
    // A superseded leftover file must be gone before a last-exchange time passes its element:
    // left behind, it would bring the element's older state back. One that could not be
    // deleted (a virus scanner holds it) keeps the time, so its element is listed again.
    for (const QString &failure : m_sweeper.Finish()) {
        Log().Error(1, QStringLiteral(" Nie można usunąć pliku z katalogu roboczego:\r\n      %1").arg(failure));
        m_staleFilesLeft = true;
    }
    return complete;
}

bool TObjectListQueue::FindFile()
{
    return Guarded(Log(), PELK_HERE, [this] {
        m_dm.Log()->Note(2, QStringLiteral(" Rozpoczęcie zbierania obiektów z plików z katalogu roboczego"));
        const QString sourceName = Rules->SysXLoadName;
        const QString targetName = SecondStageName();
        RemoveUnfinishedFiles(sourceName, targetName);
        // Only complete files: results being written carry a suffix after ".xml".
        const QStringList files =
            QDir(WorkDirectory()).entryList({QStringLiteral("*.xml")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        m_databaseKeys.clear();
        for (int i = 0; i < DatabaseCount && i < int(Elements.size()); ++i)
            m_databaseKeys.insert(Elements[i]->Key);
        m_keysIndexed = true;
        const auto dropIndex = qScopeGuard([this] {
            m_keysIndexed = false;
            m_databaseKeys.clear();
        });
        auto take = [this](quint8 kind, const QString &file) {
            auto element = std::make_unique<RObiekt>();
            element->Kind = kind;
            element->FileName = file;
            if (FindFileObject(*element)) {
                // Superseded: gone before the run's results are stored (a dry run leaves it).
                if (!DryRun())
                    m_sweeper.Remove(WorkPath(file));
            } else
                Elements.push_back(std::move(element));
        };
        for (const QString &file : files) {
            if (!sourceName.isEmpty() && file.contains(sourceName))
                take(RObiekt::SourceFile, file);
            if (!targetName.isEmpty() && file.contains(targetName))
                take(RObiekt::TargetFile, file);
            if (Escaped())
                return false;
        }
        m_dm.Log()->Note(2, QStringLiteral(" Liczba elementów: %1").arg(int(Elements.size()) - DatabaseCount));
        m_dm.Log()->Note(2, QStringLiteral(" Zakończenie zbierania obiektów z plików z katalogu roboczego"));
        return true;
    });
}

bool TObjectListQueue::FileObjectOnList(const QString &fileName, std::unique_ptr<TInterfaceObject> object)
{
    object->FileName = WorkPath(fileName);
    object->LoadFromXML();
    const QString key = object->ObjectID.isNull() ? QString() : object->ObjectID.toString();
    object.reset();
    return IsOnList(key, DatabaseCount);
}

bool TObjectListQueue::IsOnList(const QString &key, int count)
{
    // While files are matched against the database elements, a set of their keys answers
    // at once: thousands of leftover files against thousands of elements stay linear.
    if (m_keysIndexed && count == DatabaseCount)
        return m_databaseKeys.contains(key);
    for (int i = 0; i < count && i < int(Elements.size()); ++i)
        if (Elements[i]->Key == key)
            return true;
    return false;
}

void TObjectListQueue::Attach(TInterfaceObject &object, Connection *connection) const
{
    object.Connection = connection;
    object.PathSave = Rules->PathSave;
    object.PathLoad = Rules->PathLoad;
}

bool TObjectListQueue::SerializeSysObject(RObiekt &element, std::unique_ptr<TInterfaceObject> object)
{
    return Guarded(Log(), PELK_HERE, [&] {
        Attach(*object, SourceConnection);
        object->ObjectID = Variant(element.Key);
        element.FileName = StagedFileName(Rules->SysXLoadName);
        object->FileName = WorkPath(element.FileName);
        TStagedDocument document;
        object->Document = &document;
        if (!object->LoadObjectData(element) || !object->SaveToXML())
            return false;
        m_stage = {element.FileName, std::move(document), true};
        return true;
    });
}

bool TObjectListQueue::TransformFile(RObiekt &element)
{
    TTransformationObject transformation(*m_dm.Log(), WorkDirectory(), m_dm.Settings()->TransforSubDir(), Stylesheets);
    transformation.InputName = element.FileName;
    const bool fromMemory = InMemory(element.FileName);
    if (fromMemory)
        transformation.Input = m_stage.Document.Tree();
    transformation.StylesheetName = Direction ? Rules->TransSysXtoSysYName : Rules->TransSysYtoSysXName;
    element.FileName = StagedFileName(SecondStageName());
    transformation.OutputName = element.FileName;
    TStagedDocument result;
    transformation.Output = &result;
    if (!transformation.Transform())
        return false;
    m_stage = {element.FileName, std::move(result), true};
    // A source that is a file is deleted once transformed: its result must be on disk first.
    return fromMemory || KeepStage();
}

bool TObjectListQueue::DeSerializeSysObject(RObiekt &element, std::unique_ptr<TInterfaceObject> object)
{
    return Guarded(Log(), PELK_HERE, [&] {
        Attach(*object, TargetConnection);
        object->FileName = WorkPath(element.FileName);
        if (InMemory(element.FileName))
            object->Document = &m_stage.Document;
        return object->LoadFromXML() && object->SaveObjectData(element);
    });
}

bool TObjectListQueue::ProcessObject(RObiekt &element)
{
    m_staged = false;
    m_stage = {};
    return Guarded(Log(), PELK_HERE, [&] {
        if (!SerializeObject(element))
            return false;
        m_staged = true;
        if (Escaped())
            return false;
        return ProcessFile(element);
    });
}

bool TObjectListQueue::ProcessFile(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        const QString sourceFile = element.FileName;
        const bool sourceOnDisk = !InMemory(sourceFile);
        if (!TransformFile(element))
            return false;
        if (sourceOnDisk)
            RemoveFile(sourceFile);
        if (Escaped())
            return false;
        return DeSerializeObject(element);
    });
}

} // namespace pelk
