// Compression benchmark: the stream's block coder against zlib level 6 on the same bytes, in
// the same run. Inputs are the table files of database folders (--dir DIR, repeatable:
// `tamarel-db demo DIR` / `tamarel-db large DIR`), or table files generated here when no
// folder is given. Prints throughputs, sizes and the ratios to zlib. Both sides set up once:
// kiv's match finder is built before the timing and reused, and so are one deflate and one
// inflate stream (deflateReset / inflateReset per file), so neither side pays per call for
// tables the other keeps.
//
//   bench_stream [--dir DIR]... [--small]
#include <sqlite3.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "backup/KivBlockCoder.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void exec(sqlite3* db, const std::string& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", err ? err : "?");
        sqlite3_free(err);
    }
}

// Table files shaped like a hotel's: stays, clients and account items.
void generateTables(const fs::path& dir, int rows)
{
    std::mt19937 rng(7);
    const char* names[] = {"Novak", "Svoboda", "Dvorak", "Cerny", "Prochazka", "Kucera", "Vesely", "Horak"};
    const char* cities[] = {"Praha", "Brno", "Ostrava", "Plzen", "Liberec", "Olomouc"};
    struct Table {
        const char* file;
        const char* create;
    };
    const Table tables[] = {
        {"POBYTY.DB", "CREATE TABLE POBYTY (BID INTEGER PRIMARY KEY AUTOINCREMENT, PID TEXT, KID INTEGER, "
                      "DATEFROM INTEGER, DATETHRU INTEGER, STATUS TEXT, PRICE REAL, NOTE TEXT)"},
        {"KLIENTI.DB", "CREATE TABLE KLIENTI (KID INTEGER PRIMARY KEY AUTOINCREMENT, NAME TEXT, SURNAME TEXT, "
                       "ADDRESS TEXT, CITY TEXT, POSTAL TEXT, TEL TEXT, COMMENT TEXT)"},
        {"POLOZKY.DB", "CREATE TABLE POLOZKY (IID INTEGER PRIMARY KEY AUTOINCREMENT, AID INTEGER, ITYPE INTEGER, "
                       "IDATE INTEGER, EUR REAL, CZK REAL, VAT REAL)"}};
    for (int t = 0; t < 3; ++t) {
        sqlite3* db = nullptr;
        fs::remove(dir / tables[t].file);
        sqlite3_open((dir / tables[t].file).string().c_str(), &db);
        exec(db, tables[t].create);
        exec(db, "BEGIN");
        for (int i = 0; i < rows; ++i) {
            std::string sql;
            if (t == 0)
                sql = "INSERT INTO POBYTY VALUES (NULL, '" + std::to_string(101 + rng() % 30) + "', " +
                      std::to_string(rng() % (rows / 2 + 1)) + ", " + std::to_string(38000 + i / 4) + ", " +
                      std::to_string(38001 + i / 4 + rng() % 10) + ", '" + "PRHOX"[rng() % 5] + "', " +
                      std::to_string(900 + rng() % 2500) + ", '" + (rng() % 3 ? "" : "late arrival") + "')";
            else if (t == 1)
                sql = std::string("INSERT INTO KLIENTI VALUES (NULL, 'Jan', '") + names[rng() % 8] + "', 'Dlouha " +
                      std::to_string(rng() % 200) + "', '" + cities[rng() % 6] + "', '" +
                      std::to_string(10000 + rng() % 89999) + "', '+420 " + std::to_string(600000000 + rng() % 99999999) +
                      "', '')";
            else
                sql = "INSERT INTO POLOZKY VALUES (NULL, " + std::to_string(i / 5) + ", " + std::to_string(rng() % 12) +
                      ", " + std::to_string(38000 + i / 6) + ", " + std::to_string(rng() % 500) + ".5, " +
                      std::to_string(rng() % 12000) + ", " + (rng() % 2 ? "21" : "15") + ")";
            exec(db, sql);
        }
        exec(db, "COMMIT");
        sqlite3_close(db);
    }
}

struct Result {
    double seconds = 0;
    std::size_t size = 0;
};

// Seconds per call of f: repeated until minSeconds have passed (at least once).
template <class F>
double timeIt(F&& f, double minSeconds)
{
    int runs = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        f();
        ++runs;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < minSeconds);
    return elapsed / runs;
}

// The machine is shared: the coders take turns and each keeps its fastest round, so a busy
// moment does not fall on one side only.
void keepFastest(double& slot, double seconds)
{
    slot = slot == 0 ? seconds : std::min(slot, seconds);
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<fs::path> dirs;
    bool small = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--small")) small = true;
        else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) dirs.emplace_back(argv[++i]);
        else {
            std::fprintf(stderr, "usage: bench_stream [--dir DIR]... [--small]\n");
            return 2;
        }
    }
    fs::path generated;
    if (dirs.empty()) {
        generated = fs::temp_directory_path() / ("bench-stream-" + std::to_string(std::random_device{}()));
        fs::create_directories(generated);
        generateTables(generated, small ? 300 : 20000);
        dirs.push_back(generated);
    }
    const double minSeconds = small ? 0.0 : 0.05;
    const int rounds = small ? 1 : 3;

    int failures = 0;
    kiv::KivMatchFinder finder;
    z_stream deflater{}, inflater{};
    if (deflateInit(&deflater, 6) != Z_OK || inflateInit(&inflater) != Z_OK) {
        std::fprintf(stderr, "zlib: cannot set up its streams\n");
        return 1;
    }
    std::vector<std::uint8_t> packed(kiv::kBufferSize + kiv::kPackedSlack);
    std::printf("%-28s %10s %10s %10s %9s %9s %9s %9s\n", "file", "bytes", "kiv", "zlib6", "kiv MB/s", "zlib MB/s",
                "kiv-d MB/s", "zlib-d MB/s");
    Result totKc, totZc, totKd, totZd;
    std::size_t totalBytes = 0;
    for (const auto& dir : dirs) {
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            const Bytes data = readFile(path);
            if (data.empty()) continue;
            // The stream's block coder over 64000-byte blocks, as a backup writes them.
            std::vector<Bytes> blocks;
            Result kc, zc, kd, zd;
            auto kivCompress = [&] {
                return timeIt(
                [&] {
                    blocks.clear();
                    kc.size = 0;
                    for (std::size_t at = 0; at < data.size(); at += kiv::kBlockLimit) {
                        const auto n = static_cast<std::int32_t>(std::min<std::size_t>(kiv::kBlockLimit, data.size() - at));
                        const auto size = kiv::encodeBlock(data.data() + at, n, packed.data(), finder);
                        // Kept with the slack the decoder may look into.
                        blocks.emplace_back(packed.begin(), packed.begin() + size + kiv::kPackedSlack);
                        kc.size += static_cast<std::size_t>(size) + 7;
                    }
                },
                minSeconds);
            };
            // Decoded straight into one buffer of the file's size, as inflate is given one.
            Bytes roundTrip(data.size() + kiv::kBlockLimit);
            auto kivDecode = [&] {
                return timeIt(
                [&] {
                    std::size_t at = 0;
                    for (const auto& b : blocks) {
                        const auto n = static_cast<std::int32_t>(std::min<std::size_t>(kiv::kBlockLimit, data.size() - at));
                        const auto r = kiv::decodeBlock(3, nullptr, b.data(), static_cast<std::int32_t>(b.size() - kiv::kPackedSlack),
                                                        roundTrip.data() + at, n);
                        if (r != kiv::DecodeResult::Ok) ++failures;
                        at += static_cast<std::size_t>(n);
                    }
                },
                minSeconds);
            };
            Bytes z(compressBound(data.size()));
            uLongf zsize = 0;
            auto zlibCompress = [&] {
                return timeIt(
                    [&] {
                        deflateReset(&deflater);
                        deflater.next_in = const_cast<Bytef*>(data.data());
                        deflater.avail_in = static_cast<uInt>(data.size());
                        deflater.next_out = z.data();
                        deflater.avail_out = static_cast<uInt>(z.size());
                        if (deflate(&deflater, Z_FINISH) != Z_STREAM_END) ++failures;
                        zsize = deflater.total_out;
                    },
                    minSeconds);
            };
            Bytes back(data.size());
            auto zlibDecode = [&] {
                return timeIt(
                    [&] {
                        inflateReset(&inflater);
                        inflater.next_in = z.data();
                        inflater.avail_in = static_cast<uInt>(zsize);
                        inflater.next_out = back.data();
                        inflater.avail_out = static_cast<uInt>(back.size());
                        if (inflate(&inflater, Z_FINISH) != Z_STREAM_END) ++failures;
                    },
                    minSeconds);
            };
            for (int r = 0; r < rounds; ++r) {
                keepFastest(kc.seconds, kivCompress());
                keepFastest(zc.seconds, zlibCompress());
                keepFastest(kd.seconds, kivDecode());
                keepFastest(zd.seconds, zlibDecode());
            }
            kc.size += 3;
            zc.size = zsize;
            roundTrip.resize(data.size());
            if (roundTrip != data || back != data) {
                std::fprintf(stderr, "round trip differs: %s\n", path.string().c_str());
                ++failures;
            }
            const double mb = static_cast<double>(data.size()) / 1e6;
            std::printf("%-28s %10zu %10zu %10zu %9.1f %9.1f %9.1f %9.1f\n", path.filename().string().c_str(),
                        data.size(), kc.size, zc.size, mb / kc.seconds, mb / zc.seconds, mb / kd.seconds,
                        mb / zd.seconds);
            totalBytes += data.size();
            totKc.seconds += kc.seconds, totKc.size += kc.size;
            totZc.seconds += zc.seconds, totZc.size += zc.size;
            totKd.seconds += kd.seconds, totZd.seconds += zd.seconds;
        }
    }
    if (totalBytes > 0) {
        const double mb = static_cast<double>(totalBytes) / 1e6;
        std::printf("%-28s %10zu %10zu %10zu %9.1f %9.1f %9.1f %9.1f\n", "TOTAL", totalBytes, totKc.size, totZc.size,
                    mb / totKc.seconds, mb / totZc.seconds, mb / totKd.seconds, mb / totZd.seconds);
        std::printf("ratios kiv/zlib: compress speed %.2f, decompress speed %.2f, compressed size %.2f\n",
                    totZc.seconds / totKc.seconds, totZd.seconds / totKd.seconds,
                    static_cast<double>(totKc.size) / static_cast<double>(totZc.size));
    }
    deflateEnd(&deflater);
    inflateEnd(&inflater);
    if (!generated.empty()) fs::remove_all(generated);
    return failures == 0 ? 0 : 1;
}
