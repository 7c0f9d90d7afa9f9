#pragma once
// The audit fields of the two room tables (USER, UPMJ, UPMT), set on the row a cursor holds
// in edit: the empty user name (the system has no log-in), today as d.m.yyyy and now as
// h:m:s from the platform clock.

#include "engine/Engine.h"
#include "shell/ValueHelpers.h"

namespace rooms {

inline void SetAuditFields(engine::TableCursor& cursor)
{
    // The empty text, not null: that is what every other writer of USER stores.
    cursor.setValue(cursor.fieldIndex("USER"), engine::Value(std::string()));
    cursor.setText(cursor.fieldIndex("UPMJ"), shell::TodayText().toStdString());
    cursor.setText(cursor.fieldIndex("UPMT"), shell::NowTimeText().toStdString());
}

}  // namespace rooms
