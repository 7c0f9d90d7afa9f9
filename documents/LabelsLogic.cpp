// The address labels' statement, lines, export and label height.
//
// Invariants: see LabelsLogic.h.

#include "documents/LabelsLogic.h"

#include <QDir>
#include <QSaveFile>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"

namespace documents {

QString LabelsSql(const QString& db)
{
    return shell::Sql(u"SELECT * from %1 WHERE SURNAME<>\"\" and ADDRESS<>\"\" and CITY<>\"\" ORDER BY "
                      u"surname,name",
                      shell::Table(db, u"KARTY.DB"));
}

bool IsHomeCountry(const QString& country)
{
    static const QString home[] = {QStringLiteral("CZ"), QStringLiteral("ČR"), QStringLiteral("Česká republika"),
                                   QStringLiteral("Česká Republika")};
    for (const QString& h : home)
        if (country == h) return true;
    return false;
}

LabelLines MakeLabelLines(const LabelAddress& a)
{
    const QString blank = QStringLiteral(" ");
    LabelLines lines;
    lines.name = shell::TrimLeft(a.TITLE + blank) + shell::TrimLeft(a.NAME + blank) + a.SURNAME;
    lines.street = a.ADDRESS;
    lines.town = shell::TrimLeft(a.POSTAL + QStringLiteral("    ") + a.CITY);
    lines.country = IsHomeCountry(a.COUNTRY) ? QString() : a.COUNTRY;
    return lines;
}

QString ExportField(const QString& field)
{
    const bool mustQuote = field.contains(QLatin1Char(';')) || field.contains(QLatin1Char('"')) ||
                           field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'));
    if (!mustQuote) return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString ExportLine(const LabelLines& lines)
{
    const QChar sep = QLatin1Char(';');
    return ExportField(lines.name) + sep + ExportField(lines.street) + sep + ExportField(lines.town) + sep +
           ExportField(lines.country) + QStringLiteral("\r\n");
}

int LabelHeight(int& labelsDown)
{
    if (labelsDown == 8) return 135;
    labelsDown = 7;
    return 155;
}

QString ExportFilePath() { return platform::paths::labelsFile(); }

bool WriteExportFile(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(platform::toCp1250(text));
    return file.commit();
}

}  // namespace documents
