#pragma once
// Exchange objects: records that travel through the staged-file pipeline. Their published
// properties (ObjectID first, then the subclass's) are their XML form.
#include "RObiekt.h"
#include "StagedDocument.h"
#include "config/Persistent.h"
#include "config/Variant.h"

namespace pelk {

class Connection;
class TDM_Main;
class TLog;

class TInterfaceObject : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(pelk::Variant ObjectID MEMBER ObjectID)
public:
    explicit TInterfaceObject(TDM_Main &dm, QObject *parent = nullptr);

    Variant ObjectID;
    QString FileName; // full path of the object's XML file
    // When set, the XML operations read and write this tree instead of the file (the list
    // queue keeps an element's stages in memory until one of them stops it).
    TStagedDocument *Document = nullptr;
    pelk::Connection *Connection = nullptr; // source for loading, target for saving
    QString PathSave;
    QString PathLoad;

    // Read / write the published properties from / to FileName (or Document). False on any
    // failure, logged as " Wyjątek funkcji <Class>.LoadFromXML " (or ".SaveToXML ") with its
    // reason.
    virtual bool LoadFromXML();
    virtual bool SaveToXML();
    // Fill from the source database / store into the target database. The base (a side that
    // has no database operation of the kind) logs " Funkcja <Class>.LoadObjectData nie jest
    // zaimplementowana" (or ".SaveObjectData") at error level 1; false.
    virtual bool LoadObjectData(RObiekt &element);
    virtual bool SaveObjectData(RObiekt &element);

protected:
    // The XML operations without their guard: a missing or malformed file, or a failed
    // write, throws with the reason (subclasses that log their failures use these).
    void ReadXML();
    void WriteXML();
    // Logs " Funkcja <Class>.<operation> nie jest zaimplementowana" at error level 1; false.
    bool NotImplemented(const char *operation) const;
    TLog &Log() const;
    TDM_Main &m_dm;
};

} // namespace pelk
