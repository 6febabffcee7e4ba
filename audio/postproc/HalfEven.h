// Rounding of the post-processing arithmetic: to the nearest integer, halves to the even one.
#pragma once

#include <cmath>

namespace HalfEven {

// nearbyint follows the floating-point rounding mode, which nothing in the program changes
// from its default, round to nearest with ties to even.
inline long long Round(double value)
{
    return static_cast<long long>(std::nearbyint(value));
}

// The percentage part / whole × 100 as a gauge shows it; 0 when whole is 0.
inline int Percent(double part, double whole)
{
    return whole > 0 ? static_cast<int>(Round(part / whole * 100.0)) : 0;
}

} // namespace HalfEven
