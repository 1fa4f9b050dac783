#include "InterfaceObject.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "config/Errors.h"
#include "config/XMLSerializer.h"

#include <memory>

namespace pelk {

TInterfaceObject::TInterfaceObject(TDM_Main &dm, QObject *parent) : TPersistent(parent), m_dm(dm) {}

void TInterfaceObject::ReadXML()
{
    std::unique_ptr<TXMLSerializer> serializer(m_dm.CreateXMLSerializer());
    if (!serializer->LoadDocument(FileName))
        throw Exception(QStringLiteral("Brak pliku %1").arg(FileName));
    serializer->LoadObject(this, ClassName());
}

void TInterfaceObject::WriteXML()
{
    std::unique_ptr<TXMLSerializer> serializer(m_dm.CreateXMLSerializer());
    serializer->SaveObject(this, ClassName());
    if (!serializer->SaveDocument(FileName))
        throw Exception(QStringLiteral("Nie można zapisać pliku %1").arg(FileName));
}

bool TInterfaceObject::LoadFromXML()
{
    try {
        ReadXML();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool TInterfaceObject::SaveToXML()
{
    try {
        WriteXML();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool TInterfaceObject::LoadFromXMLLogged()
{
    try {
        ReadXML();
        return true;
    } catch (const std::exception &e) {
        LogException("LoadFromXML ", e);
        return false;
    }
}

bool TInterfaceObject::SaveToXMLLogged()
{
    try {
        WriteXML();
        return true;
    } catch (const std::exception &e) {
        LogException("SaveToXML ", e);
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

bool TInterfaceObject::NotImplemented(const char *operation) const
{
    m_dm.Log()->Error(1, QStringLiteral(" Funkcja %1.%2 nie jest zaimplementowana").arg(ClassName(), QLatin1String(operation)));
    return false;
}

void TInterfaceObject::LogException(const char *operation, const std::exception &e) const
{
    m_dm.Log()->ErrorException(QStringLiteral(" Wyjątek funkcji %1.%2").arg(ClassName(), QLatin1String(operation)), e);
}

} // namespace pelk
