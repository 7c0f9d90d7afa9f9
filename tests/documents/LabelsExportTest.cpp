// The address labels' logic without a display: the four lines of a label, the export lines
// with their quoting, the bytes of the export file and the label height of a sheet layout.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "documents/LabelsLogic.h"

using namespace documents;

namespace {
std::string s(const QString& text) { return text.toStdString(); }
}  // namespace

TEST(Labels, LinesAndExportLine)
{
    struct Case {
        const char* what;
        LabelAddress address;   // TITLE, NAME, SURNAME, ADDRESS, POSTAL, CITY, COUNTRY
        const char* name;
        const char* town;
        const char* country;
        const char* exportLine;
    };
    const Case cases[] = {
        {"a domestic client with everything", {"Ing.", "Jan", "Novák", "Dlouhá 5", "110 00", "Praha 1", "CZ"},
         "Ing. Jan Novák", "110 00    Praha 1", "", "Ing. Jan Novák;Dlouhá 5;110 00    Praha 1;\r\n"},
        {"the surname alone", {"", "", "Smith", "1 High Street", "", "York", "United Kingdom"}, "Smith", "York",
         "United Kingdom", "Smith;1 High Street;York;United Kingdom\r\n"},
        {"a title without a first name", {"Dr.", "", "Weber", "Hauptstr. 1", "10115", "Berlin", "Deutschland"},
         "Dr. Weber", "10115    Berlin", "Deutschland", "Dr. Weber;Hauptstr. 1;10115    Berlin;Deutschland\r\n"},
        {"a first name without a title", {"", "Anna", "Malá", "Nová 2", "602 00", "Brno", "ČR"}, "Anna Malá",
         "602 00    Brno", "", "Anna Malá;Nová 2;602 00    Brno;\r\n"},
        {"the home country written out", {"", "", "Veselá", "Krátká 1", "", "Plzeň", "Česká republika"}, "Veselá",
         "Plzeň", "", "Veselá;Krátká 1;Plzeň;\r\n"},
        {"and with a capital R", {"", "", "Veselá", "Krátká 1", "", "Plzeň", "Česká Republika"}, "Veselá", "Plzeň",
         "", "Veselá;Krátká 1;Plzeň;\r\n"},
        {"the home country compared exactly", {"", "", "Veselá", "Krátká 1", "", "Plzeň", "česká republika"},
         "Veselá", "Plzeň", "česká republika", "Veselá;Krátká 1;Plzeň;česká republika\r\n"},
        {"a semicolon in the address is quoted", {"", "Eva", "Dvořák", "Na Poříčí 3; 2nd floor", "110 00", "Praha", "CZ"},
         "Eva Dvořák", "110 00    Praha", "", "Eva Dvořák;\"Na Poříčí 3; 2nd floor\";110 00    Praha;\r\n"},
        {"quotes doubled, in any field", {"", "Jan \"Honza\"", "Král", "U Mostu 1", "", "Cheb", "Ger;many"},
         "Jan \"Honza\" Král", "Cheb", "Ger;many", "\"Jan \"\"Honza\"\" Král\";U Mostu 1;Cheb;\"Ger;many\"\r\n"},
        {"a line break in the address is quoted", {"", "", "Berg", "Street 1\r\nBuilding B", "", "Wien", "AT"},
         "Berg", "Wien", "AT", "Berg;\"Street 1\r\nBuilding B\";Wien;AT\r\n"},
        {"commas and apostrophes are no reason to quote", {"", "", "O'Neil", "5, Main St.", "", "Cork", "IE"},
         "O'Neil", "Cork", "IE", "O'Neil;5, Main St.;Cork;IE\r\n"},
    };
    for (const Case& c : cases) {
        const LabelLines lines = MakeLabelLines(c.address);
        EXPECT_EQ(s(lines.name), c.name) << c.what;
        EXPECT_EQ(s(lines.street), s(c.address.ADDRESS)) << c.what;
        EXPECT_EQ(s(lines.town), c.town) << c.what;
        EXPECT_EQ(s(lines.country), c.country) << c.what;
        EXPECT_EQ(s(ExportLine(lines)), c.exportLine) << c.what;
    }
}

TEST(Labels, ExportFileIsWindows1250AndReplacedEachRun)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("stitky.csv");
    ASSERT_TRUE(WriteExportFile(path, QString("Jiří Dvořák;Žižkova 1;Plzeň;\r\n").repeated(3)));
    ASSERT_TRUE(WriteExportFile(path, "Jiří Dvořák;Žižkova 1;Plzeň;\r\n"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Ji\xf8\xed Dvo\xf8\xe1k;\x8ei\x9ekova 1;Plze\xf2;\r\n"));
    ASSERT_TRUE(WriteExportFile(path, ""));
    EXPECT_EQ(QFile(path).size(), 0);
    EXPECT_FALSE(WriteExportFile(dir.filePath("no such folder/stitky.csv"), "x"));
}

TEST(Labels, HeightFollowsTheLabelsDown)
{
    struct Case {
        int down, height, downAfter;
    };
    for (const Case& c : {Case{7, 155, 7}, Case{8, 135, 8}, Case{0, 155, 7}, Case{9, 155, 7}}) {
        int down = c.down;
        EXPECT_EQ(LabelHeight(down), c.height) << c.down;
        EXPECT_EQ(down, c.downAfter) << c.down;
    }
}
