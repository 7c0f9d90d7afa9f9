#pragma once
// The calendar tables of a database: the feeds each room reads (KALENDARE.DB), the shared
// calendar settings kept in that table's one row with an empty room, and the holds the feeds
// put on the board (BLOKACE.DB, written by the synchronisation).
//
// Invariants: every statement is composed with shell::Sql and its values quoted by the value
// helpers; the settings row is made on the first save, and missing settings read as their
// defaults (no export folder, every 30 minutes, no guests' names); removing a feed forgets its
// holds but leaves their stays on the board as ordinary reservations.

#include <QDateTime>
#include <QList>
#include <QString>

namespace engine { class Database; }

namespace calendars {

struct Settings {
    QString exportFolder;       // empty: no export
    int intervalMinutes = 30;   // how often the program reads the feeds
    bool names = false;         // guests' names in the exported events
};

struct Feed {
    int id = 0;
    QString pid;                // the room the feed's events hold
    QString url;                // http, https, file: or an absolute file path
    QString portal;             // the portal's name, the start of every hold's guest text
    int lastDate = 0;           // day number of the last reading, 0 for never
    int lastTime = 0;           // seconds after midnight
    bool lastOk = false;
    QString lastResult;         // what the last reading said
};

class Store {
public:
    // prefix: the folder with its trailing '/', or empty on a server.
    Store(engine::Database& db, QString prefix) : m_db(db), m_prefix(std::move(prefix)) {}

    Settings settings();
    void saveSettings(const Settings& s);
    // The feeds in room and entry order.
    QList<Feed> feeds();
    int addFeed(const QString& pid, const QString& url, const QString& portal);
    void removeFeed(int feedId);
    void recordResult(int feedId, bool ok, const QString& text, const QDateTime& when);
    // The rooms (PID, PNAME) in PID order.
    QList<std::pair<QString, QString>> rooms();

    const QString& prefix() const { return m_prefix; }
    engine::Database& db() { return m_db; }

private:
    engine::Database& m_db;
    QString m_prefix;
};

// What an address may be: http(s) or a local file; empty when fine, else the reason (English,
// a message key).
QString addressProblem(const QString& url);

}  // namespace calendars
