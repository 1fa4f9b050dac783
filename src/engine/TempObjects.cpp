#include "TempObjects.h"

#include "app/DM_Main.h"
#include "app/Log.h"

namespace pelk {

bool TTempObj::LoadFromXML()
{
    return LoadFromXMLLogged();
}

bool TTempObj::SaveToXML()
{
    return SaveToXMLLogged();
}

bool TTempObj::LoadObjectData(RObiekt &)
{
    return NotImplemented("LoadObjectData");
}

bool TTempObj::SaveObjectData(RObiekt &)
{
    return NotImplemented("SaveObjectData");
}

bool TTempObj::NotImplemented(const char *operation) const
{
    m_dm.Log()->Error(1, QStringLiteral(" Funkcja %1.%2 nie jest zaimplementowana").arg(ClassName(), QLatin1String(operation)));
    return false;
}

} // namespace pelk
