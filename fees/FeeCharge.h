#pragma once
// The accommodation fee on the account at check-out: what is charged (the stay's persons that
// are not exempt x their nights x the rate, in CZK without VAT) and the item type it is
// charged under, made in the check-out's own change when the database has none.
//
// Invariants: with the fee off (FEEONACCOUNT not 1, no rate, a database without the guest
// book's tables) or nothing due, checkOutFee answers none and check-out writes exactly what
// it always wrote; the type is looked up by its English and its Czech name.

#include <QString>
#include <optional>

#include "fees/Fee.h"

namespace engine {
class Change;
class Database;
}

namespace fees {

inline constexpr const char* kFeeTypeEnglish = "Accommodation fee";
inline constexpr const char* kFeeTypeCzech = "Poplatek z pobytu";

struct CheckOutFee {
    StayFee fee;
    QString description;   // "Poplatek z pobytu - 101": as the other check-out items, in their language
};
// The fee a check-out of stay bid charges, or none. Throws engine::Error when the settings or
// the guests cannot be read.
std::optional<CheckOutFee> checkOutFee(engine::Database& db, const QString& prefix, int bid, const QString& roomName,
                                       bool czech);
// The UPID of the fee's item type, inserted (the next free UPID, no VAT) when missing; runs in
// the change, which must hold UCPODEF.DB. Throws engine::Error.
int feeItemType(engine::Change& change, const QString& prefix, bool czech);

}  // namespace fees
