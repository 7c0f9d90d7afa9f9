// Writes the Paradox fuzz corpus with pxlib's writer: small tables of every kind of field the
// hotel's tables use (with nulls, Czech letters, a memo kept in the memo file), each as a
// table alone and as a table with its memo file, in the replay's input form, and damaged
// copies (cut, header bytes changed).
//
//   fuzz_paradox_corpus FOLDER
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "paradox/ParadoxWriter.h"

using paradox::Kind;
using paradox::Raw;

namespace {

Raw I(std::int64_t v) { Raw r; r.type = Raw::Type::Integer; r.integer = v; return r; }
Raw F(double v) { Raw r; r.type = Raw::Type::Float; r.number = v; return r; }
Raw B(const std::string& s) { Raw r; r.type = Raw::Type::Bytes; r.bytes = s; return r; }

std::string read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void save(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string withMemo(const std::string& db, const std::string& mb)
{
    const std::uint32_t n = std::uint32_t(db.size());
    return std::string(reinterpret_cast<const char*>(&n), 4) + db + mb;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_paradox_corpus FOLDER\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::string tmp = dir + "/.t";
    const std::vector<paradox::FieldSpec> fields = {
        {"BID", Kind::AutoInc, 0}, {"PID", Kind::Alpha, 3}, {"DATEFROM", Kind::Date, 0}, {"NUMPERS", Kind::Short, 0},
        {"KID", Kind::Long, 0}, {"PRICEEUR", Kind::Currency, 0}, {"RATE", Kind::Number, 0}, {"OK", Kind::Logical, 0},
        {"TIMEIN", Kind::Time, 0}, {"DATTIM", Kind::Timestamp, 0}, {"COMMENT", Kind::Memo, 20}, {"TXT", Kind::FmtMemo, 11}};
    {
        paradox::ParadoxWriter w(tmp + ".DB", fields, 1250, tmp + ".MB");
        const std::string czech = "\x8Er\xED\x9Aka \xE8\xE1ry";  // Windows-1250
        for (int i = 0; i < 40; ++i)
            w.append({I(i * 3 + 1), B(i % 2 ? "101" : czech.substr(0, 3)), I(paradox::paradoxDate(1850 + i * 7, 1 + i % 12, 1 + i % 28)),
                      I(i - 20), I(i * 1000003), F(i * 12.25), F(-i / 3.0), I(i % 2), I(paradox::paradoxTime(i % 24, i, i)),
                      F(paradox::paradoxTimestamp(2004, 3, 5, 12, 0, i)), B(std::string(size_t(5 + i * 7), char('a' + i % 26)) + czech),
                      B(i % 3 ? czech : std::string())});
        w.append({I(1000), Raw{}, Raw{}, Raw{}, Raw{}, Raw{}, Raw{}, Raw{}, Raw{}, Raw{}, Raw{}, Raw{}});
    }
    const std::string db = read(tmp + ".DB"), mb = read(tmp + ".MB");
    std::remove((tmp + ".DB").c_str());
    std::remove((tmp + ".MB").c_str());
    save(dir + "/table", db);
    save(dir + "/table-memo", withMemo(db, mb));
    save(dir + "/cut-header", db.substr(0, 100));
    save(dir + "/cut-blocks", db.substr(0, db.size() - 1000));
    save(dir + "/cut-memo", withMemo(db, mb.substr(0, 4096 + 512)));
    const int offsets[] = {0x00, 0x02, 0x04, 0x05, 0x06, 0x0C, 0x0E, 0x10, 0x21, 0x78};
    for (int at : offsets) {
        std::string b = db;
        b[size_t(at)] = char(b[size_t(at)] ^ 0x5A);
        save(dir + "/flip-" + std::to_string(at), withMemo(b, mb));
    }
    return 0;
}
