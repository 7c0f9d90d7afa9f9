// The options: defaults, the settings file reading and writing, and the colour conversion.
//
// Reading never fails: a missing file, a missing key or a value that is no integer gives the
// default of that key, and so does a value no window could use (a colour outside 0x00BBGGRR,
// a day count the board cannot draw), so a damaged file cannot break the board.
#include "options/Options.h"

#include "lang/Language.h"
#include "options/IniFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace {

const QString kColors = QStringLiteral("COLORS");
const QString kDefault = QStringLiteral("DEFAULT");

// The longest board the options dialog offers; a longer one is a damaged file.
constexpr int kMaxNumDays = 365;
// A shift beyond a century cannot be meant and would push the board's dates off the calendar.
constexpr int kMaxShift = 36500;

struct ColourKey {
    const char* name;
    int TOptions::*member;
};

const ColourKey kColourKeys[] = {
    {"Default", &TOptions::Default},           {"PreliminaryR", &TOptions::PreliminaryR},
    {"DefinitiveR", &TOptions::DefinitiveR},   {"CheckedIn", &TOptions::CheckedIn},
    {"CheckedOut", &TOptions::CheckedOut},     {"NotAvailable", &TOptions::NotAvailable},
    {"Conflict", &TOptions::Conflict},
};

std::optional<int> readInteger(const IniFile& ini, const QString& section, const char* key)
{
    const std::optional<QString> text = ini.value(section, QLatin1String(key));
    if (!text) return std::nullopt;
    bool ok = false;
    const int v = text->toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

int readInRange(const IniFile& ini, const QString& section, const char* key, int fallback, int low, int high)
{
    const std::optional<int> v = readInteger(ini, section, key);
    return (v && *v >= low && *v <= high) ? *v : fallback;
}

bool readSwitch(const IniFile& ini, const char* key, bool fallback)
{
    const std::optional<int> v = readInteger(ini, kDefault, key);
    return v ? *v != 0 : fallback;
}

}  // namespace

TOptions& options()
{
    static TOptions current;
    return current;
}

QColor colorFromWindows(int value)
{
    if (value < 0 || value > 0xFFFFFF) return {};
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int windowsFromColor(const QColor& color)
{
    if (!color.isValid()) return -1;
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

QString settingsFilePath() { return platform::paths::settingsFile(); }

TOptions readOptionsFile(const QString& path)
{
    TOptions o;
    IniFile ini;
    if (!ini.load(path)) return o;
    for (const ColourKey& c : kColourKeys)
        o.*c.member = readInRange(ini, kColors, c.name, o.*c.member, 0, 0xFFFFFF);
    if (const std::optional<int> lang = readInteger(ini, kDefault, "Language")) o.Language = *lang;
    o.NumDays = readInRange(ini, kDefault, "NumDays", o.NumDays, 1, kMaxNumDays);
    o.FirstColRelative = readInRange(ini, kDefault, "FirstColRelative", o.FirstColRelative, -kMaxShift, kMaxShift);
    o.PricePerPerson = readSwitch(ini, "PricePerPerson", o.PricePerPerson);
    o.PreferEUR = readSwitch(ini, "PreferEUR", o.PreferEUR);
    return o;
}

bool writeOptionsFile(const QString& path, const TOptions& o)
{
    IniFile ini;
    ini.load(path);   // keep whatever else the file holds
    for (const ColourKey& c : kColourKeys)
        ini.setValue(kColors, QLatin1String(c.name), QString::number(o.*c.member));
    ini.setValue(kDefault, QStringLiteral("Language"), QString::number(o.Language));
    ini.setValue(kDefault, QStringLiteral("NumDays"), QString::number(o.NumDays));
    ini.setValue(kDefault, QStringLiteral("FirstColRelative"), QString::number(o.FirstColRelative));
    ini.setValue(kDefault, QStringLiteral("PricePerPerson"), o.PricePerPerson ? QStringLiteral("1") : QStringLiteral("0"));
    ini.setValue(kDefault, QStringLiteral("PreferEUR"), o.PreferEUR ? QStringLiteral("1") : QStringLiteral("0"));
    return ini.save(path);
}

int loadOptions(const QString& path)
{
    options() = readOptionsFile(path);
    if (TLanguage* lang = currentLanguage()) {
        lang->setLanguageIdent(options().Language);
        if (lang->LanguageIdent() < 0) lang->DetectLanguage();
        options().Language = lang->LanguageIdent();
    }
    return options().NumDays + 1;
}

void saveOptions(int columnCount, const QString& path)
{
    TOptions o = options();
    if (TLanguage* lang = currentLanguage()) o.Language = lang->LanguageIdent();
    o.NumDays = columnCount - 1;
    writeOptionsFile(path, o);   // a file that cannot be written keeps its old contents
}
