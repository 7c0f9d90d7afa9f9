#pragma once
// The fee book's and the statistics' windows, made once at start-up, and their entries in
// the dialog seam:
//  - "frmFeeBook"            the accommodation fee book (Overview);
//  - "frmVisitorStatistics"  the statistical office's counts (Statistics).
//
// Invariants: registering twice makes no second window; unregisterFeesDialogs() removes the
// entries and deletes the windows still alive.

class QWidget;
class TfrmFeeBook;
class TfrmVisitorStatistics;

namespace fees {
inline constexpr const char* kFeeBookDialog = "frmFeeBook";
inline constexpr const char* kVisitorStatisticsDialog = "frmVisitorStatistics";

TfrmFeeBook* feeBookDialog();
TfrmVisitorStatistics* visitorStatisticsDialog();
void unregisterFeesDialogs();
}  // namespace fees

void registerFeesDialogs(QWidget* mainWindow);
