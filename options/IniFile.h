#pragma once
// IniFile: the sections-and-keys text file the settings live in. Section and key names are
// matched without regard to letter case, as the desktop's own INI reader does; lines it does
// not understand (comments, other sections, other keys) are kept as they were and in their
// place, so a hand-edited file keeps everything the program does not write.
//
// Invariants: save() replaces the file only as a whole (a failed write leaves the old file
// intact); a value set for a key that exists replaces it in place, a new key goes to the end
// of its section, a new section to the end of the file.

#include <QString>
#include <QStringList>
#include <optional>

class IniFile {
public:
    // Reads the file; a missing or unreadable file gives an empty one. Returns false then.
    bool load(const QString& path);
    bool save(const QString& path) const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);

    QString toText() const;
    void fromText(const QString& text);

private:
    int findSection(const QString& section) const;          // line index of "[section]"
    int sectionEnd(int sectionLine) const;                   // first line after the section
    int findKey(int sectionLine, const QString& key) const;  // line index of "key=..."

    QStringList m_lines;
    QString m_newline = QStringLiteral("\n");
};
