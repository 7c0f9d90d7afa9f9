#pragma once
// The demo data set: a small hotel of twenty rooms with a year of exchange rates, item
// types, referral sources, about two hundred client cards and the stays, accounts, charges,
// notes and reminders around one day, written as statements in the engine's own dialect.
//
// Invariants: for a given moment the set is always the same (no randomness beyond a fixed
// seed); every date is placed relative to that moment's day; every text value is quoted
// through QuoteText; audit fields are written as the program writes them (empty user,
// UPMJ d.m.yyyy, UPMT h:m:s); keys the rows refer to are read back from the tables.

#include <QDateTime>
#include <QString>

namespace engine { class Database; }

namespace data {

struct DemoSummary {
    int rooms = 0, prices = 0, rates = 0, itemTypes = 0, sources = 0, clients = 0,
        stays = 0, accounts = 0, items = 0, notes = 0;
};

// Fills the (empty) table files of folder with the demo set placed around now's day.
// Throws engine::Error when a statement fails; the rows written before stay.
DemoSummary fillDemo(engine::Database& db, const QString& folder, const QDateTime& now);

}  // namespace data
