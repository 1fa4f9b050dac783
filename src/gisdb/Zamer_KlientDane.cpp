#include "Zamer_KlientDane.h"

namespace pelk {

TZamer_KlientDane::TZamer_KlientDane(TDM_Main &dm, QObject *parent) : TInterfaceObject(dm, parent) {}

bool TZamer_KlientDane::LoadFromXML()
{
    return LoadFromXMLLogged();
}

bool TZamer_KlientDane::SaveToXML()
{
    return SaveToXMLLogged();
}

bool TZamer_KlientDane::SaveObjectData(RObiekt &)
{
    return NotImplemented("SaveObjectData");
}

} // namespace pelk
