#pragma once
// Rounding to the nearest integer with an exact half going to the even neighbour, as the GPS
// feed rounds its seconds and minutes. Independent of the floating-point environment.
#include <QtGlobal>
#include <cmath>

namespace pelk {

inline qint64 RoundHalfEven(double x)
{
    const double floor = std::floor(x);
    const double rest = x - floor;
    qint64 n = qint64(floor);
    if (rest > 0.5 || (rest == 0.5 && n % 2 != 0))
        ++n;
    return n;
}

} // namespace pelk
