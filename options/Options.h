#pragma once
// The options: board colours, days shown, first-day shift, language and the pricing
// switches. Plain process-wide values, read once from the settings file at start-up and
// written once at exit; the options dialog changes them in memory in between.
//
// Colours are Windows colour values 0x00BBGGRR (the file stores them as decimal integers).

#include <QColor>
#include <QString>

struct TOptions {
    int Default = 16777215;        // empty night cell (white)
    int PreliminaryR = 16777215;   // stay "P"
    int DefinitiveR = 65535;       // stay "R" (yellow)
    int CheckedIn = 32768;         // stay "H" (green)
    int CheckedOut = 16711680;     // stay "O" (blue)
    int NotAvailable = 255;        // period "X" (red)
    int Conflict = 255;            // overlapping stays, unknown status
    int Language = -1;             // LanguageIdent; below 0: from the system language
    int NumDays = 21;
    int FirstColRelative = 1;
    bool PricePerPerson = false;
    bool PreferEUR = true;
};

// The program's options.
TOptions& options();

// Windows colour value 0x00BBGGRR <-> QColor.
QColor colorFromWindows(int value);
int windowsFromColor(const QColor& color);

// The settings file: the program path with ".ini" appended.
QString settingsFilePath();

// Reads the file into options() (defaults for whatever is missing), sets the translation
// engine's language (detecting it when below 0) and returns the grid column count NumDays+1.
int loadOptions(const QString& path = settingsFilePath());
// Writes all eleven keys; Language from the translation engine, NumDays = columnCount - 1.
void saveOptions(int columnCount, const QString& path = settingsFilePath());
