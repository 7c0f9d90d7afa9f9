#pragma once
// The statistical office's counts of a month or a quarter: arrivals (persons) and nights by
// the country of the guest's residence, with the hotel's rooms, beds and days open; and
// their CSV.
//
// A guest's country is the citizenship of the guest book (a Czech citizen lives in the Czech
// Republic); a row without one counts under "XXX". Only guests of checked-in and checked-out
// stays count. An arrival counts in the period holding its day; the nights counted are those
// spent in the period (a guest from 30 March to 2 April has two nights in March, one in April,
// and arrives in March only).
//
// Invariants: countries are sorted by code; the totals are the sums of the countries; a
// country is listed when it has an arrival or a night in the period.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace engine { class Database; }

namespace fees {

inline constexpr const char* kUnknownCountry = "XXX";

struct StatPeriod {
    QDate from, thru;
};
// "3.2026", "03.2026", "2026-03" (a month) or "Q1.2026" .. "Q4.2026" (a quarter); none otherwise.
std::optional<StatPeriod> parseStatPeriod(const QString& text);

// One guest as the counts need it.
struct StayingGuest {
    QString citizen;
    QDate from, thru;   // arrival and departure
};

struct CountryCount {
    QString country;
    int arrivals = 0;
    qint64 nights = 0;
};

struct VisitorStatistics {
    QDate from, thru;
    QList<CountryCount> countries;
    int arrivals = 0;
    qint64 nights = 0;
    int rooms = 0, beds = 0, daysOpen = 0;
};

// The counts of the guests given (pure); rooms and beds are the caller's.
VisitorStatistics countVisitors(const QList<StayingGuest>& guests, const QDate& from, const QDate& thru);
// The beds of the rooms named, from the settings BEDS.<room id> (a room without one: 0).
int bedsOfRooms(const QStringList& roomIds, const QMap<QString, QString>& settings);
// From the database: the guests, the rooms of the room table and their beds. Throws engine::Error.
VisitorStatistics readVisitorStatistics(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru);

// UTF-8 with a byte-order mark: "country;arrivals;nights", one row per country, then "total".
QByteArray visitorStatisticsCsv(const VisitorStatistics& stats);

}  // namespace fees
