#include "InterfaceObject.h"

#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "config/Errors.h"
#include "config/XMLSerializer.h"

#include <memory>

namespace pelk {

TInterfaceObject::TInterfaceObject(TDM_Main &dm, QObject *parent) : TPersistent(parent), m_dm(dm) {}

void TInterfaceObject::ReadXML()
{
    std::unique_ptr<TXMLSerializer> serializer(m_dm.CreateXMLSerializer());
    if (Document) {
        xmlNodePtr root = Document->Tree() ? xmlDocGetRootElement(Document->Tree()) : nullptr;
        if (!root)
            throw Exception(QStringLiteral("Nie można odczytać pliku %1: no document").arg(FileName));
        serializer->LoadObject(this, ClassName(), root);
        return;
    }
    QString error;
    if (!serializer->LoadDocument(FileName, &error))
        throw Exception(QStringLiteral("Nie można odczytać pliku %1").arg(error));
    serializer->LoadObject(this, ClassName());
}

void TInterfaceObject::WriteXML()
{
    std::unique_ptr<TXMLSerializer> serializer(m_dm.CreateXMLSerializer());
    serializer->SaveObject(this, ClassName());
    if (Document) {
        // The tree as built: the file written from it reads back as the same tree.
        const bool indented = serializer->XMLSettings()->WellFormated();
        Document->Set(serializer->TakeDocument(), [indented](xmlDocPtr tree, QByteArray &bytes, QString *error) {
            return TXMLSerializer::DocumentBytes(tree, indented, bytes, error);
        });
        return;
    }
    QString error;
    if (!serializer->SaveDocument(FileName, &error))
        throw Exception(QStringLiteral("Nie można zapisać pliku %1").arg(error));
}

bool TInterfaceObject::LoadFromXML()
{
    return Guarded(Log(), Where::Of(ClassName(), "LoadFromXML "), [this] { return ReadXML(), true; });
}

bool TInterfaceObject::SaveToXML()
{
    return Guarded(Log(), Where::Of(ClassName(), "SaveToXML "), [this] { return WriteXML(), true; });
}

bool TInterfaceObject::LoadObjectData(RObiekt &)
{
    return NotImplemented("LoadObjectData");
}

bool TInterfaceObject::SaveObjectData(RObiekt &)
{
    return NotImplemented("SaveObjectData");
}

bool TInterfaceObject::NotImplemented(const char *operation) const
{
    m_dm.Log()->Error(1, QStringLiteral(" Funkcja %1.%2 nie jest zaimplementowana").arg(ClassName(), QLatin1String(operation)));
    return false;
}

TLog &TInterfaceObject::Log() const
{
    return *m_dm.Log();
}

} // namespace pelk
