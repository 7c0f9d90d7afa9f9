// Money rounding and conversion; see Money.h.
#include "shell/Money.h"

#include <cmath>

namespace shell {

std::int64_t roundHalfEven(double scaled)
{
    const double lower = std::floor(scaled);
    const double fraction = scaled - lower;
    // A double near a half (1.005 * 100 = 100.49999...) stands for the decimal half.
    const double tolerance = 1e-7 + std::fabs(scaled) * 1e-14;
    auto n = static_cast<std::int64_t>(lower);
    if (std::fabs(fraction - 0.5) <= tolerance) return (n % 2 == 0) ? n : n + 1;
    return fraction < 0.5 ? n : n + 1;
}

Hundredths hundredthsHalfEven(double value) { return roundHalfEven(value * 100.0); }

std::optional<double> eurToCzk(double eur, double rate)
{
    if (!usableRate(rate)) return std::nullopt;
    return double(roundHalfEven(eur * 100.0 * rate)) / 100.0;
}

std::optional<double> czkToEur(double czk, double rate)
{
    if (!usableRate(rate)) return std::nullopt;
    return double(roundHalfEven(czk * 100.0 / rate)) / 100.0;
}

}  // namespace shell
