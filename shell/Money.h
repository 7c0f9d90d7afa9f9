#pragma once
// Money of the two currencies: amounts as 64-bit hundredths, the program's rounding (halves
// to the even neighbour) and the conversion between EUR and CZK with a rate of CZK per EUR.
//
// Invariants: rounding is judged on the decimal value a double stands for, so 0.125 rounds
// to 0.12 and 0.135 to 0.14; a conversion without a usable rate (none stored, -1, or any
// rate not above 0) converts nothing, it never produces amounts of the wrong sign or a
// division by zero.

#include <cstdint>
#include <optional>

namespace shell {

// Whole hundredths of a currency unit.
using Hundredths = std::int64_t;

// value × 100 rounded to whole hundredths, halves to the even neighbour (0.125 -> 12).
Hundredths hundredthsHalfEven(double value);
// The same for a value already scaled to hundredths (12.5 -> 12, 13.5 -> 14).
std::int64_t roundHalfEven(double scaled);
// A value rounded to hundredths and given back as a double (for number boxes and texts).
inline double roundMoney(double value) { return double(hundredthsHalfEven(value)) / 100.0; }
inline double fromHundredths(Hundredths h) { return double(h) / 100.0; }

inline bool usableRate(double rate) { return rate > 0; }
// CZK = EUR × rate and EUR = CZK ÷ rate, rounded to hundredths; nothing when the rate is
// not above 0.
std::optional<double> eurToCzk(double eur, double rate);
std::optional<double> czkToEur(double czk, double rate);

}  // namespace shell
