#pragma once
// The database tool's commands of the fee book and the statistical office's counts:
//   tamarel-db fee-book FOLDER|URI FROM THRU [--csv FILE]
//   tamarel-db visitor-statistics FOLDER|URI MONTH|QUARTER [--csv FILE]
// Without --csv the CSV's rows go to standard output (without the byte-order mark); with it
// the file is written and a summary printed.
//
// Invariants: exit code 0 when done, 1 on a failure (said on stderr, no file left half
// written), the usage's result on a wrong call.

#include <QStringList>

namespace fees {

// args: what follows the command's name (FOLDER first); usage is the tool's, called on a
// wrong call (its result is returned).
int feeBookCommand(const QStringList& args, int (*usage)());
int visitorStatisticsCommand(const QStringList& args, int (*usage)());

}  // namespace fees
