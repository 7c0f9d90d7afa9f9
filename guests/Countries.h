#pragma once
// The states a guest's citizenship is chosen from: ISO 3166-1 alpha-3 codes with their names
// from Debian's iso-codes (its JSON list, and the Czech names from its gettext catalogue),
// followed by the police's additional codes.
//
// Invariants: the list is read once per language and sorted by name in that language;
// without the iso-codes files it holds the police's codes and "CZE" only, so the window
// still works.

#include <QHash>
#include <QList>
#include <QString>

namespace guests {

struct Country {
    QString code;   // "CZE"
    QString name;   // in the language asked for
};

// "en" or "cs".
const QList<Country>& countries(const QString& language);
// The name of a code in the language, the code itself when unknown.
QString countryName(const QString& code, const QString& language);
// A code for a country as a client card names it: an alpha-3 or alpha-2 code, or an English
// or Czech name (case and accents as typed); empty when none matches.
QString countryCode(const QString& country);

// Where the files are read (tests point these at their own).
void setIsoCodesPaths(const QString& json, const QString& czechCatalogue);

// The translations of a gettext catalogue (.mo), original to translated text.
QHash<QString, QString> readMoCatalogue(const QString& path);

}  // namespace guests
