// Moving in from Paradox files: folders written with pxlib's writer (every field kind the ten
// tables use, Czech letters in Windows-1250, nulls in every column, texts at their width,
// dates before 1900 and after 2100, midnight and 23:59:59, memos over 240 characters, keys
// with gaps) imported into a folder and onto the test server with every value compared;
// long texts and wrong kinds refused or cut; damaged files refused with the target unchanged.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include "TestFolder.h"
#include "ToolRun.h"
#include "backup/DatabaseCopy.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "paradox/ParadoxImport.h"
#include "paradox/ParadoxWriter.h"
#include "platform/Platform.h"

using paradox::Kind;
using paradox::Raw;

namespace {

Raw N() { return {}; }
Raw I(std::int64_t v) { Raw r; r.type = Raw::Type::Integer; r.integer = v; return r; }
Raw F(double v) { Raw r; r.type = Raw::Type::Float; r.number = v; return r; }
// A text as the table stores it: Windows-1250 bytes.
Raw T(const char* utf8) { Raw r; r.type = Raw::Type::Bytes; r.bytes = platform::toCp1250(QString::fromUtf8(utf8)).toStdString(); return r; }
Raw D(int y, int m, int d) { return I(paradox::paradoxDate(y, m, d)); }
Raw Tm(int h, int mi, int s, int ms = 0) { return I(paradox::paradoxTime(h, mi, s, ms)); }

engine::Value null() { return {}; }
engine::Value day(int y, int m, int d) { return engine::dayNumber(y, m, d); }
engine::Value secs(int h, int m, int s) { return std::int64_t((h * 60 + m) * 60 + s); }
engine::Value whole(std::int64_t v) { return v; }
engine::Value text(const char* utf8) { return std::string(utf8); }

struct Col {
    const char* name;
    Kind kind;
    int length;
};
struct Cell {
    Raw in;
    engine::Value out;
};
struct TableCase {
    const char* file;
    std::vector<Col> cols;
    std::vector<std::vector<Cell>> rows;
};

std::string repeat(const char* piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

const std::string kMemo245 = repeat("Žluťoučký kůň pěl ďábelské ódy. ", 7) + "Konec odstavce tady.";  // 244 characters
const std::string kDescr100 = repeat("Pokoj s výhledem na řeku; ", 3) + repeat("x", 22);         // exactly 100 characters

// The hotel: every table, every kind of field the tables use, nulls in every column but
// the keys, keys with gaps.
std::vector<TableCase> hotel()
{
    const std::string memo = kMemo245;
    return {
        {"POKOJE.DB",
         {{"PID", Kind::Alpha, 3}, {"PNAME", Kind::Alpha, 30}, {"PDESCR", Kind::Memo, 20}, {"PMETR", Kind::Number, 0},
          {"PCOLOR", Kind::Long, 0}, {"PPRICE", Kind::Currency, 0}, {"MAIDPRICE", Kind::Number, 0}, {"USER", Kind::Alpha, 20},
          {"UPMJ", Kind::Date, 0}, {"UPMT", Kind::Time, 0}, {"FLOOR", Kind::Short, 0}},
         {{{T("101"), text("101")}, {T("Apartmá Růže s výhledem      "), text("Apartmá Růže s výhledem      ")},
           {T(kDescr100.c_str()), text(kDescr100.c_str())}, {F(25.5), 25.5}, {I(16777215), whole(16777215)},
           {F(1250.5), 1250.5}, {F(0.0), 0.0}, {T("recepční"), text("recepční")}, {D(2004, 3, 5), day(2004, 3, 5)},
           {Tm(9, 5, 7), secs(9, 5, 7)}, {I(2), null()}},
          {{T("102"), text("102")}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}}}},
        {"POKCENY.DB",
         {{"PID", Kind::Alpha, 3}, {"DATEFROM", Kind::Date, 0}, {"PPRICE", Kind::Currency, 0}, {"MAIDPRICE", Kind::Number, 0},
          {"USER", Kind::Alpha, 20}, {"UPMJ", Kind::Date, 0}, {"UPMT", Kind::Time, 0}},
         {{{T("101"), text("101")}, {D(1850, 1, 1), day(1850, 1, 1)}, {F(-1000.25), -1000.25}, {F(99.99), 99.99},
           {T("správce"), text("správce")}, {D(2150, 12, 31), day(2150, 12, 31)}, {Tm(0, 0, 0), secs(0, 0, 0)}},
          {{T("101"), text("101")}, {D(2199, 2, 28), day(2199, 2, 28)}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}}}},
        {"POBYTY.DB",
         {{"BID", Kind::AutoInc, 0}, {"KID", Kind::Long, 0}, {"PID", Kind::Alpha, 3}, {"DATEFROM", Kind::Date, 0},
          {"DATETHRU", Kind::Date, 0}, {"STATUS", Kind::Alpha, 1}, {"PRTHRU", Kind::Date, 0}, {"NUMPERS", Kind::Short, 0},
          {"BUSINESS", Kind::Alpha, 1}, {"PRICEEUR", Kind::Currency, 0}, {"PRICECZK", Kind::Currency, 0},
          {"MAIDEUR", Kind::Number, 0}, {"MAIDCZK", Kind::Number, 0}, {"BOOKEDFOR", Kind::Alpha, 60},
          {"BOOKEDKNFR", Kind::Alpha, 1}, {"DISCOUNT", Kind::Alpha, 1}, {"UID", Kind::Long, 0}, {"DATEIN", Kind::Date, 0},
          {"TIMEIN", Kind::Time, 0}, {"DATEOUT", Kind::Date, 0}, {"TIMEOU", Kind::Time, 0}, {"USR", Kind::Alpha, 20},
          {"UPMJ", Kind::Date, 0}, {"UPMT", Kind::Time, 0}},
         {{{I(3), whole(3)}, {I(5), whole(5)}, {T("101"), text("101")}, {D(2004, 3, 1), day(2004, 3, 1)},
           {D(2004, 3, 5), day(2004, 3, 5)}, {T("O"), text("O")}, {D(1899, 12, 30), day(1899, 12, 30)}, {I(2), whole(2)},
           {T("A"), text("A")}, {F(45.5), 45.5}, {F(1234.56), 1234.56}, {F(5.0), 5.0}, {F(-125.0), -125.0},
           {T("Šárka Dvořáková, Ústí nad Labem"), text("Šárka Dvořáková, Ústí nad Labem")}, {T("I"), text("I")},
           {T("N"), text("N")}, {I(2), whole(2)}, {D(2004, 3, 1), day(2004, 3, 1)}, {Tm(0, 0, 0), secs(0, 0, 0)},
           {D(2004, 3, 5), day(2004, 3, 5)}, {Tm(23, 59, 59), secs(23, 59, 59)}, {T("  "), text("  ")},
           {D(2004, 3, 5), day(2004, 3, 5)}, {Tm(12, 0, 0), secs(12, 0, 0)}},
          {{I(7), whole(7)}, {I(0), whole(0)}, {T("102"), text("102")}, {D(1800, 1, 1), day(1800, 1, 1)},
           {D(2101, 1, 1), day(2101, 1, 1)}, {T("X"), text("X")}, {N(), null()}, {I(0), whole(0)}, {N(), null()},
           {F(0.0), 0.0}, {N(), null()}, {N(), null()}, {N(), null()},
           {T(repeat("á", 60).c_str()), text(repeat("á", 60).c_str())}, {N(), null()}, {N(), null()}, {I(0), whole(0)},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}},
          {{I(1000), whole(1000)}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}}}},
        // Without TITLE and FAX: those columns stay empty.
        {"KARTY.DB",
         {{"KID", Kind::AutoInc, 0}, {"SURNAME", Kind::Alpha, 40}, {"NAME", Kind::Alpha, 30}, {"ADDRESS", Kind::Alpha, 60},
          {"CITY", Kind::Alpha, 40}, {"POSTAL", Kind::Alpha, 10}, {"COUNTRY", Kind::Alpha, 30}, {"TEL", Kind::Alpha, 25},
          {"PLACEBIRTH", Kind::Alpha, 40}, {"DATEBIRTH", Kind::Date, 0}, {"PASSPORT", Kind::Alpha, 20},
          {"PASSDATE", Kind::Date, 0}, {"PASSPLACE", Kind::Alpha, 40}, {"CARDNUM", Kind::Alpha, 25},
          {"CARDEXP", Kind::Alpha, 10}, {"CARDTYPE", Kind::Alpha, 20}, {"RATING", Kind::Alpha, 1}, {"AGENCY", Kind::Alpha, 40},
          {"KNOWSFROM", Kind::Alpha, 1}, {"comment", Kind::Memo, 40}, {"USR", Kind::Alpha, 20}, {"UPMJ", Kind::Date, 0},
          {"UPMT", Kind::Time, 0}},
         {{{I(5), whole(5)}, {T("Dvořáková"), text("Dvořáková")}, {T("Růžena"), text("Růžena")},
           {T("Náměstí Míru 12"), text("Náměstí Míru 12")}, {T("Česká Třebová"), text("Česká Třebová")},
           {T("560 02"), text("560 02")}, {T("Česko"), text("Česko")}, {T("+420 465 123 456"), text("+420 465 123 456")},
           {T("Ústí nad Orlicí"), text("Ústí nad Orlicí")}, {D(1890, 10, 12), day(1890, 10, 12)}, {T("CZ1234567"), text("CZ1234567")},
           {D(2999, 12, 31), day(2999, 12, 31)}, {T("Praha"), text("Praha")}, {T("4111 1111 1111 1111"), text("4111 1111 1111 1111")},
           {T("12/29"), text("12/29")}, {T("VISA"), text("VISA")}, {T("A"), text("A")}, {T("ČEDOK"), text("ČEDOK")},
           {T("I"), text("I")}, {T(memo.c_str()), text(memo.c_str())}, {T("ja"), text("ja")}, {D(2004, 3, 5), day(2004, 3, 5)},
           {Tm(23, 59, 59), secs(23, 59, 59)}},
          {{I(12), whole(12)}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}}}},
        {"UCTY.DB",
         {{"UID", Kind::AutoInc, 0}, {"KID", Kind::Long, 0}, {"PKID", Kind::Long, 0}, {"UFROM", Kind::Date, 0},
          {"UTHRU", Kind::Date, 0}, {"CARDNUM", Kind::Alpha, 25}, {"CARDTYPE", Kind::Alpha, 20}, {"CARDEXP", Kind::Alpha, 10},
          {"TOTALEUR", Kind::Currency, 0}, {"TOTALCZK", Kind::Currency, 0}, {"FORMPAYM", Kind::Alpha, 1},
          {"DATEPAYM", Kind::Date, 0}, {"RECEPCE", Kind::Alpha, 20}, {"USR", Kind::Alpha, 20}, {"UPMJ", Kind::Date, 0},
          {"UPMT", Kind::Time, 0}},
         {{{I(2), whole(2)}, {I(5), whole(5)}, {I(5), whole(5)}, {D(2004, 3, 1), day(2004, 3, 1)},
           {D(2004, 3, 5), day(2004, 3, 5)}, {T("4111"), text("4111")}, {T("VISA"), text("VISA")}, {T("12/29"), text("12/29")},
           {F(91.0), 91.0}, {F(2469.12), 2469.12}, {T("C"), text("C")}, {D(2004, 3, 5), day(2004, 3, 5)},
           {T("Jiřina"), text("Jiřina")}, {T("ja"), text("ja")}, {D(2004, 3, 5), day(2004, 3, 5)}, {Tm(10, 0, 1), secs(10, 0, 1)}},
          {{I(9), whole(9)}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}}}},
        {"UCTYPOL.DB",
         {{"POLID", Kind::AutoInc, 0}, {"UID", Kind::Long, 0}, {"PID", Kind::Alpha, 3}, {"UPID", Kind::Short, 0},
          {"DESCR", Kind::Alpha, 60}, {"ITEMDATE", Kind::Date, 0}, {"AMNTEUR", Kind::Currency, 0},
          {"AMNTCZK", Kind::Currency, 0}, {"TAXRATE", Kind::Number, 0}, {"RATE", Kind::Number, 0}, {"USR", Kind::Alpha, 20},
          {"UPMJ", Kind::Date, 0}, {"UPMT", Kind::Time, 0}},
         {{{I(1), whole(1)}, {I(2), whole(2)}, {T("101"), text("101")}, {I(-32767), whole(-32767)},
           {T("Ubytování – 4 noci"), text("Ubytování – 4 noci")}, {D(2004, 3, 5), day(2004, 3, 5)}, {F(91.0), 91.0},
           {F(2469.12), 2469.12}, {F(0.05), 0.05}, {F(27.1331868131868), 27.1331868131868}, {T("ja"), text("ja")},
           {D(2004, 3, 5), day(2004, 3, 5)}, {Tm(10, 0, 1), secs(10, 0, 1)}},
          {{I(4), whole(4)}, {I(2147483647), whole(2147483647)}, {N(), null()}, {I(32767), whole(32767)}, {N(), null()},
           {N(), null()}, {F(-0.01), -0.01}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}},
          {{I(50), whole(50)}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()}}}},
        // A logical field in an integer column: 1 and 0.
        {"UCPODEF.DB",
         {{"UPID", Kind::Short, 0}, {"UPNAME", Kind::Alpha, 40}, {"UPTAX1", Kind::Short, 0}, {"UPTAX2", Kind::Logical, 0}},
         {{{I(1), whole(1)}, {T("Ubytování"), text("Ubytování")}, {I(5), whole(5)}, {I(1), whole(1)}},
          {{I(2), whole(2)}, {T("Minibar"), text("Minibar")}, {I(0), whole(0)}, {I(0), whole(0)}},
          {{I(3), whole(3)}, {N(), null()}, {N(), null()}, {N(), null()}}}},
        {"KURZY.DB",
         {{"RDATE", Kind::Date, 0}, {"CRCD", Kind::Alpha, 3}, {"CRR", Kind::Number, 0}},
         {{{D(2004, 3, 5), day(2004, 3, 5)}, {T("EUR"), text("EUR")}, {F(32.505), 32.505}},
          {{D(2004, 3, 6), day(2004, 3, 6)}, {T("EUR"), text("EUR")}, {N(), null()}}}},
        {"ODKUDVI.DB",
         {{"FID", Kind::Alpha, 1}, {"FDESCR", Kind::Alpha, 40}},
         {{{T("I"), text("I")}, {T("Internet – doporučení přátel"), text("Internet – doporučení přátel")}},
          {{T("X"), text("X")}, {N(), null()}}}},
        // A formatted memo and a timestamp (its time of day as the fraction).
        {"POZNAMKY.DB",
         {{"RMID", Kind::AutoInc, 0}, {"TXT", Kind::FmtMemo, 30}, {"TYP", Kind::Alpha, 1}, {"DAT", Kind::Date, 0},
          {"TIM", Kind::Time, 0}, {"DATTIM", Kind::Timestamp, 0}, {"USR", Kind::Alpha, 20}, {"UPMJ", Kind::Date, 0},
          {"UPMT", Kind::Time, 0}},
         {{{I(8), whole(8)}, {T(memo.c_str()), text(memo.c_str())}, {T("R"), text("R")}, {D(2004, 3, 5), day(2004, 3, 5)},
           {Tm(12, 0, 0), secs(12, 0, 0)}, {F(paradox::paradoxTimestamp(2004, 3, 5, 12, 0, 0)), double(engine::dayNumber(2004, 3, 5)) + 0.5},
           {T("ja"), text("ja")}, {D(2004, 3, 5), day(2004, 3, 5)}, {Tm(0, 0, 0), secs(0, 0, 0)}},
          {{I(20), whole(20)}, {T("krátká"), text("krátká")}, {N(), null()}, {N(), null()}, {N(), null()}, {N(), null()},
           {N(), null()}, {N(), null()}, {N(), null()}}}},
    };
}

bool hasMemo(const TableCase& t)
{
    for (const Col& c : t.cols)
        if (c.kind == Kind::Memo || c.kind == Kind::FmtMemo) return true;
    return false;
}

void writeTable(const QString& folder, const TableCase& t, int codePage = 1250)
{
    std::vector<paradox::FieldSpec> fields;
    for (const Col& c : t.cols) fields.push_back({c.name, c.kind, c.length});
    const QString base = QDir(folder).filePath(QString::fromLatin1(t.file).chopped(3));
    paradox::ParadoxWriter w((base + ".DB").toStdString(), fields, codePage, hasMemo(t) ? (base + ".MB").toStdString() : std::string());
    for (const auto& row : t.rows) {
        std::vector<Raw> values;
        for (const Cell& c : row) values.push_back(c.in);
        w.append(values);
    }
}

QString writeFolder(const QString& folder, const std::vector<TableCase>& tables)
{
    QDir().mkpath(folder);
    for (const TableCase& t : tables) writeTable(folder, t);
    return folder;
}

std::string show(const engine::Value& v)
{
    if (std::holds_alternative<std::monostate>(v)) return "null";
    if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&v)) return std::to_string(*d) + "(f)";
    return "\"" + std::get<std::string>(v) + "\"";
}

// The imported tables hold exactly the expected values, column by column, row by row (in key
// order: the first column).
void expectImported(const QString& location, const std::vector<TableCase>& cases)
{
    engine::Database db(data::databaseLocation(location).toStdString());
    const QString prefix = data::folderPrefix(location);
    for (const TableCase& t : cases) {
        auto q = db.open(("SELECT * FROM \"" + prefix + t.file + "\" ORDER BY " + t.cols[0].name).toStdString());
        size_t row = 0;
        while (q->next()) {
            ASSERT_LT(row, t.rows.size()) << t.file;
            for (size_t c = 0; c < t.cols.size(); ++c) {
                const int at = q->fieldIndex(t.cols[c].name);
                const engine::Value expected = t.rows[row][c].out;
                if (at < 0) {
                    EXPECT_TRUE(std::holds_alternative<std::monostate>(expected)) << t.file << " has no " << t.cols[c].name;
                    continue;
                }
                engine::Value got = q->value(at);
                // A whole number in a FLOAT column may come back as either kind.
                if (std::holds_alternative<double>(expected) && std::holds_alternative<std::int64_t>(got))
                    got = double(std::get<std::int64_t>(got));
                EXPECT_EQ(show(got), show(expected)) << t.file << " row " << row + 1 << " " << t.cols[c].name;
            }
            ++row;
        }
        EXPECT_EQ(row, t.rows.size()) << t.file;
    }
}

QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(QDir(folder).relativeFilePath(path), f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : "?");
    }
    return files;
}

const paradox::TableReport* reportOf(const paradox::ImportReport& r, const char* file)
{
    for (const auto& t : r.tables)
        if (t.file == QLatin1String(file)) return &t;
    return nullptr;
}

class ParadoxImportTest : public ::testing::TestWithParam<enginetest::Storage> {
protected:
    // An empty folder, or a new schema on the test server.
    QString target() { return QString::fromStdString(enginetest::emptyDb(GetParam()).location); }
    QTemporaryDir m_dir;
};

// Every value of every table arrives exactly; the report names the field left out and the
// columns the files lack; keys continue after the highest imported one; a second import
// is refused (the target holds rows) and replaces them with --replace.
TEST_P(ParadoxImportTest, EveryKindArrivesExactly)
{
    ASSERT_EQ(kDescr100.size() > 100, true);  // bytes; its characters are counted below
    ASSERT_EQ(QString::fromStdString(kDescr100).size(), 100);
    ASSERT_GT(QString::fromStdString(kMemo245).size(), 240);
    ASSERT_LE(QString::fromStdString(kMemo245).size(), 250);
    const auto cases = hotel();
    const QString source = writeFolder(m_dir.path() + "/pdx", cases);
    const QString into = target();

    const paradox::ImportReport report = paradox::importParadox(source, into);
    EXPECT_TRUE(report.written);
    EXPECT_FALSE(report.hasRefusals());
    EXPECT_EQ(reportOf(report, "POKOJE.DB")->extraFields, QStringList{"FLOOR (short)"});
    EXPECT_EQ(reportOf(report, "KARTY.DB")->absentColumns, (QStringList{"TITLE", "FAX"}));
    EXPECT_EQ(reportOf(report, "POBYTY.DB")->rows, 3);
    EXPECT_EQ(reportOf(report, "POBYTY.DB")->codePage, 1250);
    expectImported(into, cases);

    // The counters continue after the highest imported key, not after the count of rows.
    engine::Database db(data::databaseLocation(into).toStdString());
    const QString prefix = data::folderPrefix(into);
    for (const auto& [file, highest] : {std::pair{"POBYTY.DB", 1000}, {"KARTY.DB", 12}, {"UCTY.DB", 9}, {"UCTYPOL.DB", 50}, {"POZNAMKY.DB", 20}}) {
        auto change = db.beginChange({(prefix + file).toStdString()});
        change->execute(("INSERT INTO \"" + prefix + file + "\" (USR) VALUES (\"new\")").toStdString());
        EXPECT_EQ(change->lastInsertKey(), highest + 1) << file;
    }
    db.releaseTables();

    EXPECT_THROW(paradox::importParadox(source, into), backup::CopyRefused);
    paradox::ImportOptions replace;
    replace.replace = true;
    paradox::importParadox(source, into, replace);
    expectImported(into, cases);
}

INSTANTIATE_TEST_SUITE_P(Storages, ParadoxImportTest, ::testing::Values(enginetest::Storage::Files, enginetest::Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });

// Values that do not fit: refused with nothing written, or (cutting accepted) cut or left
// empty and listed. A table missing from the folder is imported empty and said once.
TEST(ParadoxImportValues, LongTextsAndWrongKindsAreRefusedOrCut)
{
    struct Case {
        const char* name;
        TableCase table;  // its first row's value of the column `column` is the one tried
        const char* column;
        bool refused;            // without cutting
        engine::Value cut;       // stored when cutting is accepted
        const char* listed;      // a part of the report's line
    };
    const std::string long41 = repeat("ř", 41);
    const Case cases[] = {
        {"text one over its width", {"ODKUDVI.DB", {{"FID", Kind::Alpha, 1}, {"FDESCR", Kind::Alpha, 60}}, {{{T("I"), {}}, {T(long41.c_str()), {}}}}},
         "FDESCR", true, text(repeat("ř", 40).c_str()), "41 characters where the column holds 40"},
        {"memo over its column", {"POZNAMKY.DB", {{"RMID", Kind::AutoInc, 0}, {"TXT", Kind::Memo, 11}}, {{{I(1), {}}, {T(repeat("m", 251).c_str()), {}}}}},
         "TXT", true, text(repeat("m", 250).c_str()), "251 characters"},
        {"alpha that is no date", {"POBYTY.DB", {{"BID", Kind::AutoInc, 0}, {"DATEFROM", Kind::Alpha, 10}}, {{{I(1), {}}, {T("abc"), {}}}, {{I(2), {}}, {T("5.3.2004"), {}}}}},
         "DATEFROM", true, null(), "alpha value \"abc\" is no date"},
        {"fraction in an integer column", {"UCPODEF.DB", {{"UPID", Kind::Short, 0}, {"UPTAX1", Kind::Number, 0}}, {{{I(1), {}}, {F(2.5), {}}}}},
         "UPTAX1", true, null(), "is no whole number"},
        {"time with milliseconds", {"POBYTY.DB", {{"BID", Kind::AutoInc, 0}, {"TIMEIN", Kind::Time, 0}}, {{{I(1), {}}, {Tm(9, 5, 7, 500), {}}}}},
         "TIMEIN", true, null(), "no whole second"},
        {"memo in a date column", {"POBYTY.DB", {{"BID", Kind::AutoInc, 0}, {"DATEIN", Kind::Memo, 11}}, {{{I(1), {}}, {T("x"), {}}}}},
         "DATEIN", true, null(), "memo value is no date"},
        {"alpha date and time read as such", {"POZNAMKY.DB", {{"RMID", Kind::AutoInc, 0}, {"DAT", Kind::Alpha, 10}, {"TIM", Kind::Alpha, 8}}, {{{I(1), {}}, {T("05.03.2004"), {}}, {T("9:5:7"), {}}}}},
         "DAT", false, day(2004, 3, 5), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString source = writeFolder(dir.path() + "/pdx", {c.table});
        const QString into = dir.path() + "/target";
        {
            engine::Database db(data::databaseLocation(into).toStdString());
            data::createTables(db, into);
        }
        const auto before = snapshot(into);
        const QString file = QString::fromLatin1(c.table.file);
        if (c.refused) {
            try {
                paradox::importParadox(source, into);
                ADD_FAILURE() << "not refused";
            } catch (const paradox::ImportRefused& e) {
                EXPECT_TRUE(e.report.lines().join('\n').contains(QString::fromUtf8(c.listed))) << e.report.lines().join('\n').toStdString();
            }
            EXPECT_EQ(snapshot(into), before);
        }
        paradox::ImportOptions cut;
        cut.cutLongTexts = true;
        cut.replace = true;
        const auto report = paradox::importParadox(source, into, cut);
        const QString lines = report.lines().join('\n');
        if (*c.listed) {
            EXPECT_TRUE(lines.contains(QString::fromUtf8(c.listed))) << lines.toStdString();
            EXPECT_TRUE(lines.contains("(cut to") || lines.contains("(left empty)")) << lines.toStdString();
        }
        EXPECT_EQ(lines.count("Not in the folder, imported empty"), 1) << lines.toStdString();
        engine::Database db(data::databaseLocation(into).toStdString());
        auto q = db.open(("SELECT " + QString::fromLatin1(c.column) + " FROM \"" + data::folderPrefix(into) + file + "\" ORDER BY " +
                          c.table.cols[0].name).toStdString());
        ASSERT_TRUE(q->next());
        EXPECT_EQ(show(q->value(0)), show(c.cut));
    }
}

// A damaged file is refused, naming its table and what is wrong in our words, and the target
// (holding an earlier import) is unchanged, replacing asked for or not; the tool says the
// same in one line and pxlib says nothing.
TEST(ParadoxImportDamage, DamagedFilesLeaveTheTargetUnchanged)
{
    QTemporaryDir dir;
    const auto cases = hotel();
    const QString good = writeFolder(dir.path() + "/good", cases);
    const QString into = dir.path() + "/target";
    paradox::importParadox(good, into);
    const auto before = snapshot(into);

    QFile pobyty(good + "/POBYTY.DB");
    ASSERT_TRUE(pobyty.open(QIODevice::ReadOnly));
    const QByteArray bytes = pobyty.readAll();
    QFile karty(good + "/KARTY.MB");
    ASSERT_TRUE(karty.open(QIODevice::ReadOnly));
    const QByteArray memo = karty.readAll();
    auto flipped = [&](int at, char value) { QByteArray b = bytes; b[at] = value; return b; };
    struct Case {
        const char* name;
        const char* file;
        QByteArray content;
        const char* said;  // part of the message
    };
    const Case damaged[] = {
        {"cut in its header", "POBYTY.DB", bytes.left(60), "too short"},
        {"cut in its blocks", "POBYTY.DB", bytes.left(bytes.size() - 100), "cut short"},
        {"record size flipped", "POBYTY.DB", flipped(0, char(bytes[0] ^ 0x10)), "record size"},
        {"field count flipped", "POBYTY.DB", flipped(0x21, char(bytes[0x21] + 1)), "POBYTY.DB"},
        {"file type flipped", "POBYTY.DB", flipped(4, 7), "POBYTY.DB"},
        {"block count flipped", "POBYTY.DB", flipped(0x0C, 9), "POBYTY.DB"},
        {"no Paradox file", "POBYTY.DB", QByteArray(4096, 'x'), "POBYTY.DB"},
        {"memo file cut", "KARTY.MB", memo.left(4096 + 100), "memo file"},
        {"memo file missing", "KARTY.MB", QByteArray(), "KARTY.DB"},
    };
    for (const Case& c : damaged) {
        SCOPED_TRACE(c.name);
        QTemporaryDir broken;
        for (const QString& f : QDir(good).entryList(QDir::Files)) QFile::copy(good + "/" + f, broken.path() + "/" + f);
        QFile::remove(broken.path() + "/" + c.file);
        if (!c.content.isEmpty()) {
            QFile out(broken.path() + "/" + c.file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.content);
        }
        paradox::ImportOptions replace;
        replace.replace = true;
        try {
            paradox::importParadox(broken.path(), into, replace);
            ADD_FAILURE() << "not refused";
        } catch (const paradox::ParadoxError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromUtf8(c.said))) << e.what();
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QString::fromLatin1(c.file).left(5))) << e.what();
        }
        EXPECT_EQ(snapshot(into), before);
        const ToolRun r = tool({"import-paradox", broken.path(), into, "--replace"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.trimmed().count('\n'), 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("Nothing was imported: ")) << r.err.toStdString();
        EXPECT_EQ(snapshot(into), before);
    }
}

// The tool: the report table by table, a code page given by hand, a filled target refused.
TEST(ParadoxImportTool, ReportsAndTakesTheCodePage)
{
    QTemporaryDir dir;
    // Windows-1250 bytes in a table whose header says 1252: --codepage 1250 reads them right.
    const TableCase sources = {"ODKUDVI.DB", {{"FID", Kind::Alpha, 1}, {"FDESCR", Kind::Alpha, 40}}, {{{T("I"), {}}, {T("Přítel"), {}}}}};
    QDir().mkpath(dir.path() + "/pdx");
    writeTable(dir.path() + "/pdx", sources, 1252);
    const QString into = dir.path() + "/target";
    const ToolRun first = tool({"import-paradox", dir.path() + "/pdx", into, "--codepage", "1250"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("ODKUDVI.DB: 1 rows (code page 1250)")) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("Not in the folder, imported empty: POKOJE.DB")) << first.out.toStdString();
    const ToolRun again = tool({"import-paradox", dir.path() + "/pdx", into});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("already holds rows in ODKUDVI.DB")) << again.err.toStdString();
    engine::Database db(data::databaseLocation(into).toStdString());
    auto q = db.open(("SELECT FDESCR FROM \"" + data::folderPrefix(into) + "ODKUDVI.DB\"").toStdString());
    ASSERT_TRUE(q->next());
    EXPECT_EQ(q->text(0), "Přítel");
}

}  // namespace
