#include "EngineTestKind.h"

#include "app/Guarded.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "db/Query.h"
#include "engine/Queue.h"

#include <QHash>
#include <unistd.h>

namespace pelk::test {

namespace {

std::function<void(const char *)> &Hook()
{
    static std::function<void(const char *)> hook;
    return hook;
}

// Calls the stage hook; ends the process at the n-th passage of the named stage when
// PELK_TEST_DIE asks for it.
void MaybeDie(const char *stage)
{
    if (Hook())
        Hook()(stage);
    static const QByteArray request = qgetenv("PELK_TEST_DIE");
    static QHash<QByteArray, int> passages;
    if (request.isEmpty())
        return;
    const QList<QByteArray> parts = request.split(':');
    if (parts.size() == 2 && parts[0] == stage && ++passages[stage] == parts[1].toInt())
        _exit(3);
}

} // namespace

bool TTest_Zrodlo::LoadObjectData(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        Query q(*Connection);
        q.SetSQL(QStringLiteral("SELECT NAZWA FROM SRC WHERE ID = :ID"));
        q.SetParam(QStringLiteral("ID"), Variant(element.Key.toInt()));
        q.Open();
        if (q.IsEmpty() || q.FieldByName(QStringLiteral("NAZWA")).IsNull()) {
            m_dm.Log()->Error(1, QStringLiteral(" Brak nazwy rekordu %1").arg(element.Key));
            return false;
        }
        Nazwa = q.FieldByName(QStringLiteral("NAZWA")).AsString();
        return true;
    });
}

bool TTest_Cel::SaveObjectData(RObiekt &)
{
    TElementTransaction transaction(m_dm.Db(), *Connection);
    int result = TProcess::ResultUnchanged;
    const bool saved = Guarded(Log(), PELK_HERE, [&] {
        if (!transaction.Begun())
            return false;
        Query q(*Connection);
        q.SetSQL(QStringLiteral("SELECT NAZWA FROM DST WHERE ID = :ID"));
        q.SetParam(QStringLiteral("ID"), Variant(ObjectID.toString().toInt()));
        q.Open();
        if (q.IsEmpty()) {
            q.SetSQL(QStringLiteral("INSERT INTO DST (ID, NAZWA) VALUES (:ID, :NAZWA)"));
            result = TProcess::ResultNew;
        } else if (q.FieldByName(QStringLiteral("NAZWA")).AsString() != Nazwa) {
            q.SetSQL(QStringLiteral("UPDATE DST SET NAZWA = :NAZWA WHERE ID = :ID"));
            result = TProcess::ResultUpdated;
        }
        if (result != TProcess::ResultUnchanged) {
            q.SetParam(QStringLiteral("ID"), Variant(ObjectID.toString().toInt()));
            q.SetParam(QStringLiteral("NAZWA"), Variant(Nazwa));
            q.ExecSQL();
        }
        return true;
    });
    if (!transaction.End(saved))
        return false;
    m_dm.Process()->CountResult(result, true);
    MaybeDie("stored");
    return true;
}

bool TTestListQueue::PrepareList()
{
    return Guarded(Log(), PELK_HERE, [this] {
        if (!m_dm.Db().CheckConnection(*SourceConnection) || !m_dm.Db().CheckConnection(*TargetConnection))
            return false;
        QSet<QString> stored;
        Query dst(*TargetConnection);
        dst.SetSQL(QStringLiteral("SELECT ID FROM DST"));
        dst.Open();
        for (dst.First(); !dst.Eof(); dst.Next())
            stored.insert(dst.FieldByName(QStringLiteral("ID")).AsString());
        Query src(*SourceConnection);
        src.SetSQL(QStringLiteral("SELECT ID FROM SRC ORDER BY ID"));
        src.Open();
        for (src.First(); !src.Eof(); src.Next()) {
            const QString key = src.FieldByName(QStringLiteral("ID")).AsString();
            if (stored.contains(key))
                continue;
            auto element = std::make_unique<RObiekt>();
            element->Key = key;
            Elements.push_back(std::move(element));
        }
        DatabaseCount = int(Elements.size());
        return true;
    });
}

bool TTestListQueue::FindFileObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        std::unique_ptr<TInterfaceObject> object;
        if (element.Kind == RObiekt::SourceFile)
            object = std::make_unique<TTest_Zrodlo>(m_dm);
        else
            object = std::make_unique<TTest_Cel>(m_dm);
        return FileObjectOnList(element.FileName, std::move(object));
    });
}

bool TTestListQueue::SerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        const bool ok = SerializeSysObject(element, std::make_unique<TTest_Zrodlo>(m_dm));
        if (ok)
            MaybeDie("serialized");
        return ok;
    });
}

bool TTestListQueue::DeSerializeObject(RObiekt &element)
{
    return Guarded(Log(), PELK_HERE, [&] {
        MaybeDie("transformed");
        return DeSerializeSysObject(element, std::make_unique<TTest_Cel>(m_dm));
    });
}

void SetStageHook(std::function<void(const char *stage)> hook)
{
    Hook() = std::move(hook);
}

void RegisterTestKind(const QString &rulesName, bool shortSummary)
{
    for (bool direction : {true, false})
        QueueFactory::Register(rulesName, direction, [shortSummary](TDM_Main &dm) {
            auto queue = std::make_unique<TTestListQueue>(dm);
            queue->SourceConnection = &dm.ADOConnection_Caesar;
            queue->TargetConnection = &dm.ADOConnection_PelkGIS;
            queue->Short = shortSummary;
            return queue;
        });
}

void UnregisterTestKind(const QString &rulesName)
{
    QueueFactory::Unregister(rulesName, true);
    QueueFactory::Unregister(rulesName, false);
}

QString TestSourceSchema()
{
    return QStringLiteral("CREATE TABLE SRC (ID INTEGER PRIMARY KEY, NAZWA TEXT)");
}

QString TestTargetSchema()
{
    return QStringLiteral("CREATE TABLE DST (ID INTEGER, NAZWA TEXT CHECK (NAZWA <> 'SAVEFAIL'))");
}

QString TestStylesheet()
{
    return QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
        "  <xsl:output method=\"xml\" encoding=\"ISO-8859-2\" indent=\"yes\"/>\n"
        "  <xsl:template match=\"@*|node()\">\n"
        "    <xsl:copy><xsl:apply-templates select=\"@*|node()\"/></xsl:copy>\n"
        "  </xsl:template>\n"
        "  <xsl:template match=\"class[@classname='TTest_Zrodlo']\">\n"
        "    <xsl:if test=\"properties/property[@name='Nazwa']='XSLFAIL'\">\n"
        "      <xsl:message terminate=\"yes\">XSLFAIL</xsl:message>\n"
        "    </xsl:if>\n"
        "    <class classname=\"TTest_Cel\" name=\"TTest_Cel\"><xsl:apply-templates select=\"node()\"/></class>\n"
        "  </xsl:template>\n"
        "</xsl:stylesheet>\n");
}

QString TestRulesXml(const QList<std::tuple<QString, QString, QString>> &entries)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- 1.0.0 test -->\n<classes>\n");
    for (const auto &[rules, objectName, prefix] : entries) {
        xml += QStringLiteral("<class classname=\"TQueueObjectRules\" name=\"%1\"><properties>\n").arg(rules);
        const QList<QPair<QString, QString>> keys = {
            {QStringLiteral("ObjectName"), objectName},
            {QStringLiteral("SysXSaveName"), prefix + QStringLiteral("_DoSysX")},
            {QStringLiteral("SysXLoadName"), prefix + QStringLiteral("_SysX")},
            {QStringLiteral("SysYSaveName"), prefix + QStringLiteral("_SysY")},
            {QStringLiteral("SysYLoadName"), prefix + QStringLiteral("_ZSysY")},
            {QStringLiteral("TransSysXtoSysYName"), prefix + QStringLiteral("_X2Y.xsl")},
            {QStringLiteral("TransSysYtoSysXName"), prefix + QStringLiteral("_Y2X.xsl")}};
        for (const auto &[key, value] : keys)
            xml += QStringLiteral("<property name=\"%1\" type=\"String\">%2</property>\n").arg(key, value);
        xml += QStringLiteral("</properties></class>\n");
    }
    return xml + QStringLiteral("</classes>\n");
}

} // namespace pelk::test
