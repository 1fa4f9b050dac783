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

} // namespace pelk
