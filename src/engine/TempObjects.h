#pragma once
// Content-free exchange objects for the two sides of a direction without real object classes.
#include "InterfaceObject.h"

namespace pelk {

// Shared behaviour: the XML operations of the base with their exceptions logged; no database
// operations (logged as not implemented, false).
class TTempObj : public TInterfaceObject
{
    Q_OBJECT
public:
    using TInterfaceObject::TInterfaceObject;
    bool LoadFromXML() override;
    bool SaveToXML() override;
    bool LoadObjectData(RObiekt &element) override;
    bool SaveObjectData(RObiekt &element) override;
};

class TSysX_TempObj : public TTempObj
{
    Q_OBJECT
public:
    using TTempObj::TTempObj;
};

class TSysY_TempObj : public TTempObj
{
    Q_OBJECT
public:
    using TTempObj::TTempObj;
};

} // namespace pelk
