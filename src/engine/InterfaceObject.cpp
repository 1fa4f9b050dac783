#include "InterfaceObject.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "config/Errors.h"
#include "config/XMLSerializer.h"

#include <memory>

namespace pelk {

TInterfaceObject::TInterfaceObject(TDM_Main &dm, QObject *parent) : TPersistent(parent), m_dm(dm) {}

bool TInterfaceObject::LoadFromXML()
{
    try {
        std::unique_ptr<TXMLSerializer> serializer(m_dm.CreateXMLSerializer());
        if (!serializer->LoadDocument(FileName))
            return false;
        serializer->LoadObject(this, ClassName());
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool TInterfaceObject::SaveToXML()
{
    try {
        std::unique_ptr<TXMLSerializer> serializer(m_dm.CreateXMLSerializer());
        serializer->SaveObject(this, ClassName());
        return serializer->SaveDocument(FileName);
    } catch (const std::exception &) {
        return false;
    }
}

bool TInterfaceObject::LoadObjectData(RObiekt &)
{
    const QString text = QStringLiteral(" Nie nadpisana funkcja LoadFromDB");
    m_dm.Log()->Error(1, text);
    throw Exception(text);
}

bool TInterfaceObject::SaveObjectData(RObiekt &)
{
    const QString text = QStringLiteral(" Nie nadpisana funkcja SaveToDB");
    m_dm.Log()->Error(1, text);
    throw Exception(text);
}

void TInterfaceObject::LogException(const char *operation, const std::exception &e) const
{
    m_dm.Log()->ErrorException(QStringLiteral(" Wyjątek funkcji %1.%2").arg(ClassName(), QLatin1String(operation)), e);
}

} // namespace pelk
