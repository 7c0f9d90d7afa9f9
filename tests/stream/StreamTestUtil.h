#pragma once
// Helpers shared by the stream tests: temporary files, writing through the stream, reading
// a whole stream back, and generators for the kinds of data backups hold.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "backup/KivCompressStream.h"

namespace streamtest {

using Bytes = std::vector<std::uint8_t>;

struct Message {
    std::string text, caption;
    kiv::MessageIcon icon;
};

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() / ("kivstream-" + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const Bytes& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline Bytes compressWithStream(const std::string& path, const std::vector<Bytes>& writes,
                                std::vector<Message>* messages = nullptr)
{
    {
        kiv::TKivCompressStream s(path, kiv::TKivCompressStream::Mode::Create,
                                  [&](const std::string& t, const std::string& c, kiv::MessageIcon i) {
                                      if (messages) messages->push_back({t, c, i});
                                  });
        for (const auto& w : writes) s.Write(w.data(), static_cast<std::int32_t>(w.size()));
        s.close();
    }
    return readFile(path);
}

// Reads the whole stream with reads of chunk bytes; throws what the stream throws.
inline Bytes decompressFile(const std::string& path, int chunk = 64000, std::vector<Message>* messages = nullptr)
{
    kiv::TKivCompressStream s(path, kiv::TKivCompressStream::Mode::Read,
                              [&](const std::string& t, const std::string& c, kiv::MessageIcon i) {
                                  if (messages) messages->push_back({t, c, i});
                              });
    Bytes out, buf(static_cast<std::size_t>(chunk));
    for (;;) {
        const auto n = s.Read(buf.data(), chunk);
        if (n == 0) break;
        out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    return out;
}

inline Bytes randomBytes(std::size_t n, std::uint32_t seed, int range = 256)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng() % static_cast<unsigned>(range));
    return out;
}

// Runs of a few byte values with lengths up to maxRun.
inline Bytes runs(std::size_t n, std::uint32_t seed, int maxRun, int values = 3)
{
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const auto v = static_cast<std::uint8_t>(rng() % static_cast<unsigned>(values) * 37);
        const auto len = 1 + rng() % static_cast<unsigned>(maxRun);
        out.insert(out.end(), std::min<std::size_t>(len, n - out.size()), v);
    }
    return out;
}

inline Bytes text(std::size_t n, std::uint32_t seed)
{
    static const char* words[] = {"the", "guest", "room", "night", "stay", "account", "reservation",
                                  "check", "in", "out", "of", "and", "price", "EUR", "CZK", "hotel",
                                  "Praha", "breakfast", "maid", "service", "\r\n", ", ", ". "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const std::string w = words[rng() % (sizeof words / sizeof *words)];
        out.insert(out.end(), w.begin(), w.end());
        out.push_back(' ');
    }
    out.resize(n);
    return out;
}

// Fixed-width rows that differ in a counter and a few fields, as table pages hold them.
inline Bytes rows(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes out;
    for (int id = 1; out.size() < n; ++id) {
        std::string row = "ROW" + std::to_string(id) + ";Novak;Jan;Praha 4;" +
                          std::to_string(rng() % 5000) + ";" + std::string(12, '\0') + "P;" +
                          std::to_string(38000 + rng() % 400);
        row.resize(64, ' ');
        out.insert(out.end(), row.begin(), row.end());
    }
    out.resize(n);
    return out;
}

}  // namespace streamtest
