#pragma once
// The numbers the law sets for the municipal accommodation fee and the statistical office's
// counts, each the default (or the bound) of a setting: a change of the law is an edit here.
// Header only, so the settings' checks (guests/HotelSettings) and the fee logic share it.

namespace fees {

// The settings' keys (NASTAVENI.DB).
inline constexpr const char* kRateKey = "FEERATE";          // CZK per person and night; 0: no fee
inline constexpr const char* kDaysKey = "FEEDAYS";          // a longer stay is not subject to the fee
inline constexpr const char* kOnAccountKey = "FEEONACCOUNT";  // 1: check-out charges the fee
inline constexpr const char* kReasonsKey = "FEEREASONS";    // the exemption reasons offered, ";" between
inline constexpr const char* kBedsKeyPrefix = "BEDS.";      // BEDS.<room id>: the room's beds

inline constexpr double kMaxRate = 50;       // CZK per person and day, the law's ceiling
inline constexpr int kDefaultDays = 60;      // consecutive nights; more are not subject to the fee
inline constexpr int kExemptUnderAge = 18;   // years on the day of arrival
inline constexpr int kMaxBeds = 99;          // per room, a bound against typing errors

// The reasons a receptionist picks from until the hotel sets its own (the law's commonest).
inline constexpr const char* kDefaultReasons =
    "disabled person (ZTP);accompanying a disabled person;hospital or spa care;on duty (police, fire service)";

}  // namespace fees
