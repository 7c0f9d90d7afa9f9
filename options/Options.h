#pragma once
// The options: board colours, days shown, first-day shift, language and the pricing
// switches. Plain process-wide values, read once from the settings file at start-up and
// written once at exit; the options dialog changes them in memory in between.
//
// Colours are Windows colour values 0x00BBGGRR (the file stores them as decimal integers).
//
// The settings file is the program path with ".ini" appended: the program here has no
// extension to replace, so /opt/hotel/tamarel reads /opt/hotel/tamarel.ini. Sections
// "COLORS" and "DEFAULT"; integers as decimal text, switches as 1 and 0.

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

// Windows colour value 0x00BBGGRR <-> QColor: red is the low byte, so QColor(255, 0, 0)
// is 255 and pure blue 16711680. A value outside 0..0xFFFFFF gives an invalid QColor; an
// invalid QColor gives -1.
QColor colorFromWindows(int value);
int windowsFromColor(const QColor& color);

// The settings file: the program path with ".ini" appended.
QString settingsFilePath();

// The file alone, without the translation engine: every key with its default when the file,
// the key or a usable value is missing. Writing keeps the file's other lines and answers
// false when the file could not be replaced (its old contents then stay).
TOptions readOptionsFile(const QString& path);
bool writeOptionsFile(const QString& path, const TOptions& options);

// Reads the file into options() (defaults for whatever is missing), sets the translation
// engine's language (detecting it when below 0) and returns the grid column count NumDays+1.
int loadOptions(const QString& path = settingsFilePath());
// Writes every key (the seven colours and the five DEFAULT keys); Language from the
// translation engine, NumDays = columnCount - 1. A failed write is silent.
void saveOptions(int columnCount, const QString& path = settingsFilePath());
