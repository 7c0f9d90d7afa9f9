// Value helpers of Engine.h: day numbers, date and time texts, display texts, quoting.
//
// Invariants: day 0 is 30.12.1899 (so day numbers match the OLE date the program computes
// with); only years 1..9999 are dates; a text that does not read as a date or time is an
// Error naming it, never a silent zero.

#include "Engine.h"
#include "Internal.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace engine {

namespace {

// Days from 1.1.1970 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t kEpochShift = 25569;  // 1.1.1970 is day 25569 counted from 30.12.1899

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m) {
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : d[m - 1];
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
    return s;
}

// Reads a run of 1..maxDigits digits; false when there is none.
bool readNumber(std::string_view& s, int maxDigits, int& out, int& digits) {
    out = 0;
    digits = 0;
    while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
        if (++digits > maxDigits) return false;
        out = out * 10 + (s.front() - '0');
        s.remove_prefix(1);
    }
    return digits > 0;
}

std::string quoted(std::string_view text) {
    std::string r = "\"";
    r.append(text.substr(0, 60));
    if (text.size() > 60) r += "...";
    return r + "\"";
}

}  // namespace

std::int64_t dayNumber(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        throw Error("Invalid date: " + std::to_string(day) + "." + std::to_string(month) + "." + std::to_string(year));
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochShift;
}

void civilFromDayNumber(std::int64_t dayNo, int& year, int& month, int& day) {
    if (dayNo < -693593 || dayNo > 2958465) throw Error("Invalid day number: " + std::to_string(dayNo));
    std::int64_t z = dayNo - kEpochShift + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

std::optional<std::int64_t> parseDateText(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    if (t.find_first_not_of(" .") == std::string_view::npos) return std::nullopt;  // empty or blank mask
    std::string_view s = t;
    int d, m, y, nd, nm, ny;
    auto skipBlanks = [&s] { while (!s.empty() && s.front() == ' ') s.remove_prefix(1); };
    bool ok = readNumber(s, 2, d, nd);
    skipBlanks();
    ok = ok && !s.empty() && s.front() == '.';
    if (ok) { s.remove_prefix(1); skipBlanks(); }
    ok = ok && readNumber(s, 2, m, nm);
    skipBlanks();
    ok = ok && !s.empty() && s.front() == '.';
    if (ok) { s.remove_prefix(1); skipBlanks(); }
    ok = ok && readNumber(s, 4, y, ny) && (ny == 2 || ny == 4 || ny == 1) && s.empty();
    if (!ok) throw Error("Invalid date: " + quoted(text) + " (expected day.month.year)");
    if (ny <= 2) y += 2000;
    if (m < 1 || m > 12 || d < 1 || y < 1 || d > daysInMonth(y, m))
        throw Error("Invalid date: " + quoted(text));
    return dayNumber(y, m, d);
}

std::int64_t parseTimeText(std::string_view text) {
    std::string_view s = trimBlanks(text);
    int h, m, sec = 0, nh, nm, ns;
    bool ok = readNumber(s, 2, h, nh) && !s.empty() && s.front() == ':';
    if (ok) s.remove_prefix(1);
    ok = ok && readNumber(s, 2, m, nm);
    if (ok && !s.empty() && s.front() == ':') {
        s.remove_prefix(1);
        ok = readNumber(s, 2, sec, ns);
    }
    ok = ok && s.empty() && h < 24 && m < 60 && sec < 60;
    if (!ok) throw Error("Invalid time: " + quoted(text) + " (expected hours:minutes:seconds)");
    return h * 3600 + m * 60 + sec;
}

std::string quoteText(std::string_view text) {
    std::string r;
    r.reserve(text.size() + 2);
    r += '"';
    for (char c : text) {
        if (c == '"') r += '"';
        r += c;
    }
    r += '"';
    return r;
}

namespace detail {

std::string formatFloat(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    if (v == 0) return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string dateText(std::int64_t dayNo) {
    int y, m, d;
    try {
        civilFromDayNumber(dayNo, y, m, d);
    } catch (const Error&) {
        return std::to_string(dayNo);
    }
    // Built by hand: the board formats thousands of dates per reload.
    char buf[16];
    char* p = buf;
    auto put = [&p](int v) { p = std::to_chars(p, p + 5, v).ptr; };
    put(d);
    *p++ = '.';
    put(m);
    *p++ = '.';
    put(y);
    return std::string(buf, p);
}

std::string timeText(std::int64_t seconds) {
    if (seconds < 0 || seconds >= 86400 * 2) return std::to_string(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return buf;
}

std::optional<double> timestampFromText(std::string_view text) {
    std::string_view t = trimBlanks(text);
    if (t.find_first_not_of(" .:") == std::string_view::npos) return std::nullopt;
    const size_t sp = t.find(' ');
    const auto day = parseDateText(t.substr(0, sp));
    if (!day) throw Error("Invalid date and time: " + quoted(text));
    double v = static_cast<double>(*day);
    if (sp != std::string_view::npos) {
        const std::string_view rest = trimBlanks(t.substr(sp + 1));
        if (!rest.empty()) v += static_cast<double>(parseTimeText(rest)) / 86400.0;
    }
    return v;
}

std::string timestampText(double v) {
    const double dayPart = std::floor(v);
    if (!(dayPart > -693594 && dayPart < 2958466)) return formatFloat(v);
    std::int64_t secs = std::llround((v - dayPart) * 86400.0);
    std::int64_t day = static_cast<std::int64_t>(dayPart);
    if (secs >= 86400) { secs -= 86400; ++day; }
    return dateText(day) + " " + timeText(secs);
}

}  // namespace detail

std::string displayText(const Value& v, FieldType type) {
    if (std::holds_alternative<std::monostate>(v)) return {};
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        switch (type) {
        case FieldType::Date: return detail::dateText(*i);
        case FieldType::Time: return detail::timeText(*i);
        case FieldType::Timestamp: return detail::timestampText(static_cast<double>(*i));
        case FieldType::Boolean: return *i ? "True" : "False";
        case FieldType::Float: return detail::formatFloat(static_cast<double>(*i));
        default: return std::to_string(*i);
        }
    }
    const double d = std::get<double>(v);
    switch (type) {
    case FieldType::Date:
        if (d == std::floor(d) && std::fabs(d) < 1e7) return detail::dateText(static_cast<std::int64_t>(d));
        return detail::timestampText(d);
    case FieldType::Time:
        if (std::fabs(d) < 1e7) return detail::timeText(std::llround(d));
        return detail::formatFloat(d);
    case FieldType::Timestamp: return detail::timestampText(d);
    case FieldType::Boolean: return d != 0 ? "True" : "False";
    default: return detail::formatFloat(d);
    }
}

}  // namespace engine
