#include "Zamer_KlientDane.h"

namespace pelk {

TZamer_KlientDane::TZamer_KlientDane(TDM_Main &dm, QObject *parent) : TInterfaceObject(dm, parent) {}

} // namespace pelk
