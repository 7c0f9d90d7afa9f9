#pragma once
// The address labels' logic without a window: the client statement, the four lines of a
// label, the label height of a sheet layout, and the export file "stitky.csv".
//
// The export file holds one line per label in print order, ended by CR LF, in Windows-1250:
// name line; ADDRESS; town line; country line. A field is put in double quotes (with every
// double quote inside doubled) only when it holds ";", a double quote, CR or LF, so that an
// address with ";" cannot shift the fields after it; every other line is the four texts
// joined by ";" exactly.

#include <QByteArray>
#include <QString>

namespace documents {

// The clients that get a label: with a surname, an address and a city, by surname and name.
QString LabelsSql(const QString& db);

// The client card's fields a label is made of.
struct LabelAddress {
    QString TITLE, NAME, SURNAME, ADDRESS, POSTAL, CITY, COUNTRY;
};

struct LabelLines {
    QString name;      // title, first name and surname with single blanks between them
    QString street;    // ADDRESS
    QString town;      // postal code, four blanks, city (the city alone without a postal code)
    QString country;   // empty for the home country
};

LabelLines MakeLabelLines(const LabelAddress& address);

// True for the texts that name the home country ("CZ", "ČR", "Česká republika",
// "Česká Republika"), compared exactly.
bool IsHomeCountry(const QString& country);

// The field as the export writes it (quoted only when it must be).
QString ExportField(const QString& field);
// One export line, with its CR LF.
QString ExportLine(const LabelLines& lines);

// The label height in pixels of the design surface for the labels down a sheet: 135 for 8,
// else 155 (and labelsDown becomes 7).
int LabelHeight(int& labelsDown);

// Where the export goes: "stitky.csv" in the user's home folder.
QString ExportFilePath();
// Replaces the file with the text in Windows-1250; false when it cannot be written.
bool WriteExportFile(const QString& path, const QString& text);

}  // namespace documents
