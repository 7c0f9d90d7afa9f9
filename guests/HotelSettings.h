#pragma once
// The settings every desk shares, kept in the database (NASTAVENI.DB, one row per KEY) rather
// than in one program's settings file: the hotel's details that the police file, the guest
// book and the forms print. settingKeys() is the one table of the keys, their labels and
// their checks; later settings join it there.
//
// Invariants: a key is written only after its check passed; an empty value removes the row
// (an unset key reads as empty); setSettings writes all its keys in one change or none.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace engine { class Database; }

namespace guests {

struct SettingKey {
    const char* key;      // "IDUB"
    const char* label;    // "Police provider number (IDUB):", the window's English text
    int maxLength;        // characters (the column holds 255)
    // An English message naming what is wrong with a non-empty value, empty when it is sound.
    QString (*check)(const QString& value);
};

const QList<SettingKey>& settingKeys();
// The key's row; a row whose key ends in "." ("BEDS.") is a pattern that matches that text
// followed by a room id of 1 to 3 characters ("BEDS.101").
const SettingKey* findSettingKey(const QString& key);
bool isKeyPattern(const SettingKey& key);
// The key as it is stored: the row's spelling, a pattern's room id as given ("beds.101" ->
// "BEDS.101").
QString storedKey(const QString& key);
// The check of a key's value (an empty value always passes: it removes the setting).
QString checkSetting(const QString& key, const QString& value);

inline constexpr const char* kSettingsFile = "NASTAVENI.DB";

// Every stored setting, key to value. Throws engine::Error (for instance: no such table).
QMap<QString, QString> readSettings(engine::Database& db, const QString& prefix);
// Writes the values (empty: removes the key) in one change. Throws engine::Error, or
// std::invalid_argument with the check's message naming the key; nothing is written then.
void writeSettings(engine::Database& db, const QString& prefix, const QMap<QString, QString>& values);

// The reasons of exemption from the accommodation fee the receptionist picks from: the
// stored list (FEEREASONS, ";" between), or the law's commonest when none is stored.
QStringList feeExemptionReasons(const QMap<QString, QString>& settings);

// The hotel's details as the reports use them.
struct HotelDetails {
    QString name, contact, district, municipality, part, street, houseNo, orientNo, postcode, idub, abbrev;
    QString ico, dic, iban;
    bool vatPayer = false;
    QString invoicePrefix;
    int dueDays = 14;
};
inline constexpr int kDefaultDueDays = 14;
// An IBAN without blanks, upper case, whose check digits pass the mod-97 check.
bool ibanIsValid(const QString& iban);
// Whether a company number (IČO) is eight digits whose last is the mod-11 check digit of the
// first seven (weights 8 down to 2).
bool icoIsValid(const QString& ico);
HotelDetails hotelDetails(const QMap<QString, QString>& settings);
// "Alešova 26, 389 01 Vodňany": the address on one line, as the printouts show it.
QString hotelAddressLine(const HotelDetails& hotel);

}  // namespace guests
