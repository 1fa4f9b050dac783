#pragma once
// The zone rules the date-time conversions are checked against, whoever starts the test:
// including this header sets them for the test program before any test runs.
#include <cstdlib>
#include <ctime>

namespace pelk::test {

inline const bool kWarsawZone = [] {
    setenv("TZ", "Europe/Warsaw", 1);
    tzset();
    return true;
}();

} // namespace pelk::test
