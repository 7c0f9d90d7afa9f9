// The dictionary collation TMDICT and the tm_* SQL functions the translated statements call.
//
// Invariants: TMDICT is a total order (it returns 0 only for identical texts), so SQLite may
// sort and group with it; it folds case and the accents of Latin-1 and Latin Extended-A
// letters at the first level. The functions never throw: failures become SQLite errors
// whose text is the engine's message.

#include "Internal.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>

namespace engine::detail {

namespace {

// Decodes one UTF-8 sequence; invalid bytes read as themselves (Latin-1) so any input orders.
char32_t decode(std::string_view s, size_t& i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    auto cont = [&](size_t k) { return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80; };
    if (c < 0x80) { ++i; return c; }
    if ((c & 0xE0) == 0xC0 && cont(1)) {
        char32_t r = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
        i += 2;
        return r;
    }
    if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
        char32_t r = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
                     (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
        i += 3;
        return r;
    }
    if ((c & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
        char32_t r = ((c & 0x07u) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 12) |
                     ((static_cast<unsigned char>(s[i + 2]) & 0x3Fu) << 6) | (static_cast<unsigned char>(s[i + 3]) & 0x3Fu);
        i += 4;
        return r;
    }
    ++i;
    return c;
}

void encode(char32_t c, std::string& out) {
    if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Base letters of U+00C0..U+017F (lower case), 0 where the character has none.
constexpr const char* kBase00C0 =
    "aaaaaaaceeeeiiii"   // C0-CF  (C6 Æ -> a)
    "dnooooo\0ouuuuyts"  // D0-DF  (D7 × none, DE Þ -> t, DF ß -> s)
    "aaaaaaaceeeeiiii"   // E0-EF
    "dnooooo\0ouuuuyty"; // F0-FF
constexpr const char* kBase0100 =
    "aaaaaaccccccccdd"   // 100-10F
    "ddeeeeeeeeeegggg"   // 110-11F
    "gggghhhhiiiiiiii"   // 120-12F
    "iiiijjkkkllllll"    // 130-13E (13F below)
    "l"                  // 13F
    "lllnnnnnnnnnoooo"   // 140-14F
    "oooorrrrrrssssss"   // 150-15F
    "ssttttttuuuuuuuu"   // 160-16F
    "uuuuwwyyyzzzzzzs";  // 170-17F

// First level: letter without case and accent.
char32_t primary(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xFF) {
        const char b = kBase00C0[c - 0xC0];
        return b ? static_cast<char32_t>(b) : c;
    }
    if (c >= 0x100 && c <= 0x17F) return static_cast<char32_t>(kBase0100[c - 0x100]);
    return c;
}

char32_t lowerChar(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c >= 0x100 && c <= 0x137) return c | 1u;
    if (c >= 0x139 && c <= 0x148) return (c & 1u) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177) return c | 1u;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return (c & 1u) ? c + 1 : c;
    return c;
}

char32_t upperChar(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x137) return c & ~1u;
    if (c >= 0x139 && c <= 0x148) return (c & 1u) ? c : c - 1;
    if (c >= 0x14A && c <= 0x177) return c & ~1u;
    if (c >= 0x179 && c <= 0x17E) return (c & 1u) ? c : c - 1;
    return c;
}

int compareLevel(std::string_view a, std::string_view b, char32_t (*fold)(char32_t)) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = fold(decode(a, i));
        const char32_t y = fold(decode(b, j));
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

char32_t identity(char32_t c) { return c; }

int collate(void*, int na, const void* a, int nb, const void* b) {
    return dictionaryCompare(std::string_view(static_cast<const char*>(a), static_cast<size_t>(na)),
                             std::string_view(static_cast<const char*>(b), static_cast<size_t>(nb)));
}

std::string_view textArg(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void resultText(sqlite3_context* ctx, const std::string& s) {
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void fnText(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int kind = sqlite3_value_type(argv[0]);
    if (kind == SQLITE_NULL) return sqlite3_result_null(ctx);
    const auto type = static_cast<FieldType>(sqlite3_value_int(argv[1]));
    Value v;
    if (kind == SQLITE_INTEGER) v = static_cast<std::int64_t>(sqlite3_value_int64(argv[0]));
    else if (kind == SQLITE_FLOAT) v = sqlite3_value_double(argv[0]);
    else return sqlite3_result_value(ctx, argv[0]);
    resultText(ctx, displayText(v, type));
}

// tm_store(x, kind, column): x as it is stored into a column of kind 1 float, 2 integer,
// 3 date (day number), 4 time (seconds); refuses what the column cannot hold.
void fnStore(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int kind = sqlite3_value_int(argv[1]);
    const std::string column(textArg(argv[2]));
    const auto refuse = [&](const std::string& what) {
        const std::string msg = what + " (column " + column + ")";
        sqlite3_result_error(ctx, msg.c_str(), -1);
    };
    std::int64_t whole = 0;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER: whole = sqlite3_value_int64(argv[0]); break;
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(argv[0]);
        if (!std::isfinite(d)) return refuse("Type mismatch: an infinite value is not a number");
        if (kind == 1) return sqlite3_result_double(ctx, d);
        if (d != std::floor(d) || std::fabs(d) > 9e15)
            return refuse("Type mismatch: " + formatFloat(d) + " is not a whole number");
        whole = static_cast<std::int64_t>(d);
        break;
    }
    default: return sqlite3_result_value(ctx, argv[0]);  // null, or a text the column keeps
    }
    if (kind == 3 && (whole < kFirstDay || whole > kLastDay))
        return refuse("Type mismatch: " + std::to_string(whole) + " is no day between 1.1.0001 and 31.12.9999");
    if (kind == 4 && (whole < 0 || whole > 86399))
        return refuse("Type mismatch: " + std::to_string(whole) + " is no time of day (0 to 86399 seconds)");
    if (kind == 1) return sqlite3_result_value(ctx, argv[0]);
    sqlite3_result_int64(ctx, whole);
}

// tm_div(a, b, column): a / b in a value stored into the column; division by zero is refused.
void fnDiv(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    const double b = sqlite3_value_double(argv[1]);
    if (b == 0) {
        const std::string msg = "Division by zero (column " + std::string(textArg(argv[2])) + ")";
        return sqlite3_result_error(ctx, msg.c_str(), -1);
    }
    sqlite3_result_double(ctx, sqlite3_value_double(argv[0]) / b);
}

// tm_date(x[, type]): a date from a text (5.3.2004), a day number, or the day of a timestamp.
void fnDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: return sqlite3_result_null(ctx);
    case SQLITE_INTEGER: return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    case SQLITE_FLOAT: return sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::floor(sqlite3_value_double(argv[0]))));
    default: break;
    }
    try {
        const auto d = parseDateText(textArg(argv[0]));
        if (!d) return sqlite3_result_null(ctx);
        sqlite3_result_int64(ctx, *d);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

void fnTime(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto type = argc > 1 ? static_cast<FieldType>(sqlite3_value_int(argv[1])) : FieldType::Unknown;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: return sqlite3_result_null(ctx);
    case SQLITE_INTEGER:
        if (type == FieldType::Timestamp) return sqlite3_result_int64(ctx, 0);
        return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    case SQLITE_FLOAT: {
        const double v = sqlite3_value_double(argv[0]);
        if (type == FieldType::Timestamp) return sqlite3_result_int64(ctx, std::llround((v - std::floor(v)) * 86400) % 86400);
        return sqlite3_result_int64(ctx, std::llround(v));
    }
    default: break;
    }
    const std::string_view t = textArg(argv[0]);
    if (t.find_first_not_of(" :") == std::string_view::npos) return sqlite3_result_null(ctx);
    try {
        sqlite3_result_int64(ctx, parseTimeText(t));
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

void fnTimestamp(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto type = argc > 1 ? static_cast<FieldType>(sqlite3_value_int(argv[1])) : FieldType::Unknown;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: return sqlite3_result_null(ctx);
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
        double v = sqlite3_value_double(argv[0]);
        if (type == FieldType::Time) v /= 86400.0;
        return sqlite3_result_double(ctx, v);
    }
    default: break;
    }
    try {
        const auto v = timestampFromText(textArg(argv[0]));
        if (!v) return sqlite3_result_null(ctx);
        sqlite3_result_double(ctx, *v);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

void fnExtract(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const std::string_view field = textArg(argv[0]);
    const auto type = static_cast<FieldType>(sqlite3_value_int(argv[2]));
    const double v = sqlite3_value_double(argv[1]);
    std::int64_t day = static_cast<std::int64_t>(std::floor(v));
    std::int64_t secs = 0;
    if (type == FieldType::Time) {
        secs = std::llround(v);
        day = 0;
    } else if (type == FieldType::Timestamp) {
        secs = std::llround((v - std::floor(v)) * 86400) % 86400;
    }
    if (field == "HOUR") return sqlite3_result_int64(ctx, secs / 3600);
    if (field == "MINUTE") return sqlite3_result_int64(ctx, secs / 60 % 60);
    if (field == "SECOND") return sqlite3_result_int64(ctx, secs % 60);
    int y, m, d;
    try {
        civilFromDayNumber(day, y, m, d);
    } catch (const std::exception& e) {
        return sqlite3_result_error(ctx, e.what(), -1);
    }
    sqlite3_result_int64(ctx, field == "YEAR" ? y : field == "MONTH" ? m : d);
}

void fnUpper(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    resultText(ctx, upperText(textArg(argv[0])));
}

void fnLower(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    resultText(ctx, lowerText(textArg(argv[0])));
}

}  // namespace

int dictionaryCompare(std::string_view a, std::string_view b) {
    if (int r = compareLevel(a, b, primary)) return r;
    if (int r = compareLevel(a, b, lowerChar)) return r;
    if (int r = compareLevel(a, b, identity)) return r;
    const int r = a.compare(b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

std::string upperText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) encode(upperChar(decode(s, i)), out);
    return out;
}

std::string lowerText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) encode(lowerChar(decode(s, i)), out);
    return out;
}

void registerSqlFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_collation_v2(db, "TMDICT", SQLITE_UTF8, nullptr, collate, nullptr);
    sqlite3_create_function_v2(db, "tm_text", 2, flags, nullptr, fnText, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_store", 3, flags, nullptr, fnStore, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_div", 3, flags, nullptr, fnDiv, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_date", 1, flags, nullptr, fnDate, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_date", 2, flags, nullptr, fnDate, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_time", 1, flags, nullptr, fnTime, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_time", 2, flags, nullptr, fnTime, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_timestamp", 1, flags, nullptr, fnTimestamp, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_timestamp", 2, flags, nullptr, fnTimestamp, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_extract", 3, flags, nullptr, fnExtract, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_upper", 1, flags, nullptr, fnUpper, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tm_lower", 1, flags, nullptr, fnLower, nullptr, nullptr, nullptr);
}

}  // namespace engine::detail
