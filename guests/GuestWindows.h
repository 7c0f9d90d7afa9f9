#pragma once
// What the guest book's windows share: the check that the database has the guest book's
// tables (an older database is told how to add them) and the warning box of their failures.

#include <QString>

class QWidget;
class TdmDataModule;

namespace guests {

// True when the tables are there; otherwise says so over owner (how to add them) and false.
bool guestBookReadyOrSay(QWidget* owner, TdmDataModule* dm, const QString& caption);
// A translated warning; detail (the engine's own words) follows as it stands.
void warnUser(QWidget* owner, const QString& caption, const QString& message, const QString& detail = QString());

}  // namespace guests
