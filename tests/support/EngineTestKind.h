#pragma once
// A test-only exchange kind: rows of table SRC (source DSN) travel through every stage of the
// staged-file pipeline into table DST (target DSN). It can be told to end its process at a
// given stage (environment PELK_TEST_DIE="stage:n", stages "serialized", "transformed",
// "stored"), to show what a crash leaves behind.
#include "engine/InterfaceObject.h"
#include "engine/ObjectListQueue.h"

#include <functional>

namespace pelk::test {

class TTest_Zrodlo : public TInterfaceObject
{
    Q_OBJECT
    Q_PROPERTY(QString Nazwa MEMBER Nazwa)
public:
    using TInterfaceObject::TInterfaceObject;
    QString Nazwa;
    bool LoadObjectData(RObiekt &element) override;
};

class TTest_Cel : public TInterfaceObject
{
    Q_OBJECT
    Q_PROPERTY(QString Nazwa MEMBER Nazwa)
public:
    using TInterfaceObject::TInterfaceObject;
    QString Nazwa;
    bool SaveObjectData(RObiekt &element) override;
};

// Sides without database operations of their own: the exchange object's defaults under names
// of their own.
class TSysX_TempObj : public TInterfaceObject
{
    Q_OBJECT
public:
    using TInterfaceObject::TInterfaceObject;
};

class TSysY_TempObj : public TInterfaceObject
{
    Q_OBJECT
public:
    using TInterfaceObject::TInterfaceObject;
};

// Lists the SRC rows that DST does not hold yet, in key order.
class TTestListQueue : public TObjectListQueue
{
public:
    using TObjectListQueue::TObjectListQueue;
    bool PrepareList() override;
    bool FindFileObject(RObiekt &element) override;
    bool SerializeObject(RObiekt &element) override;
    bool DeSerializeObject(RObiekt &element) override;
    bool ShortSummary() const override { return Short; }
    bool Short = false;
};

inline constexpr const char *TestKindName = "Testowy";

// Registers the kind in both directions (source: the CRM connection, target: the GIS one).
void RegisterTestKind(const QString &rulesName = QLatin1String(TestKindName), bool shortSummary = false);
// Called with the stage name at every stage the kind passes ("serialized", "transformed",
// "stored").
void SetStageHook(std::function<void(const char *stage)> hook);
void UnregisterTestKind(const QString &rulesName = QLatin1String(TestKindName));

// SQL creating SRC and DST; DST refuses the name 'SAVEFAIL'.
QString TestSourceSchema();
QString TestTargetSchema();
// The stylesheet renaming TTest_Zrodlo to TTest_Cel; it stops on the name 'XSLFAIL'.
QString TestStylesheet();
// An ObjectRules.xml with one entry per (rules name, ObjectName, file-name prefix).
QString TestRulesXml(const QList<std::tuple<QString, QString, QString>> &entries);

} // namespace pelk::test
