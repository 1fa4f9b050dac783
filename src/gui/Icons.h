#pragma once
// Images painted for the window: the four direction states of an object kind.
#include <QIcon>

namespace pelk {

// 24 x 24: 0 both directions, 1 to the GIS, 2 from the GIS, 3 no exchange.
QIcon StateIcon(int state);

} // namespace pelk
