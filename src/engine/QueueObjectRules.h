#pragma once
// One object kind's entry of ObjectRules.xml: staged file names, stylesheets and folders.
#include "config/Persistent.h"

namespace pelk {

class TQueueObjectRules : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(QString ObjectName MEMBER ObjectName)
    Q_PROPERTY(QString SysXSaveName MEMBER SysXSaveName)
    Q_PROPERTY(QString SysXLoadName MEMBER SysXLoadName)
    Q_PROPERTY(QString SysYSaveName MEMBER SysYSaveName)
    Q_PROPERTY(QString SysYLoadName MEMBER SysYLoadName)
    Q_PROPERTY(QString TransSysXtoSysYName MEMBER TransSysXtoSysYName)
    Q_PROPERTY(QString TransSysYtoSysXName MEMBER TransSysYtoSysXName)
    Q_PROPERTY(QString PathSave MEMBER PathSave)
    Q_PROPERTY(QString PathLoad MEMBER PathLoad)
    Q_PROPERTY(QString PathArchOK MEMBER PathArchOK)
    Q_PROPERTY(QString PathArchNO MEMBER PathArchNO)
    Q_PROPERTY(QString PrefixDataFileIn MEMBER PrefixDataFileIn)
public:
    using TPersistent::TPersistent;

    QString ObjectName;   // replaced by the kind's label once loaded
    QString SysXSaveName; // target-layout files, direction Y to X
    QString SysXLoadName; // source-layout files, both directions
    QString SysYSaveName; // target-layout files, direction X to Y
    QString SysYLoadName;
    QString TransSysXtoSysYName; // stylesheet, direction X to Y
    QString TransSysYtoSysXName; // stylesheet, direction Y to X
    QString PathSave;            // handed to the exchange objects
    QString PathLoad;
    QString PathArchOK;
    QString PathArchNO;
    QString PrefixDataFileIn;
};

} // namespace pelk
