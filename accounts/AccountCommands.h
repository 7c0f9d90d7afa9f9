#pragma once
// The board's check-out and account commands on the stay under its cursor: check-out, close
// account, print account, revise account items and delete account info (Ctrl+D). The board
// opens them through the dialog seam by command name with the stay's fields as arguments
// ("hasStay" false when there is none); each command does its own checks and messages and
// answers Accepted when it changed the tables, so the board reloads.
//
// Invariants:
//  - a check-out reads the stay again by its BID after the room detail, charges its current
//    prices and persons, and changes that stay alone;
//  - the stay's status change and its two charges land together or not at all, and nothing
//    is written before both item types were found with a VAT rate (the first, else the
//    second); a refused change is said as such, with the engine's reason, never as a charge
//    to be added by hand;
//  - the three deletes of Ctrl+D land together or not at all, and nothing runs for an
//    account id of 0 (it would name every stay without an account).

#include <QString>
#include <QVariantMap>

namespace accounts {

inline const QString kRoomDetail = QStringLiteral("frmRoomDetail");
inline const QString kCloseAccount = QStringLiteral("frmCloseAccount");
inline const QString kPrintAccounts = QStringLiteral("frmPrintAccounts");
inline const QString kReviseAcctItems = QStringLiteral("frmReviseAcctItems");

int CheckOut(const QVariantMap& stay);
int CloseAccount(const QVariantMap& stay);
int PrintAccount(const QVariantMap& stay);
int ReviseAccountItems(const QVariantMap& stay);
int DeleteAccountInfo(const QVariantMap& stay);

void registerAccountCommands();
void unregisterAccountCommands();

}  // namespace accounts
