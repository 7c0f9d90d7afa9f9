// Day numbers, date and time texts, display texts and the dictionary order.
#include "Engine.h"
#include "Internal.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace engine;

TEST(DayNumbers, MatchTheCalendarBothWays) {
    EXPECT_EQ(dayNumber(1899, 12, 30), 0);
    EXPECT_EQ(dayNumber(1900, 1, 1), 2);
    EXPECT_EQ(dayNumber(2004, 3, 5), 38051);
    EXPECT_EQ(dayNumber(2000, 2, 29), 36585);
    for (std::int64_t d : {-1000LL, 0LL, 1LL, 38051LL, 2958465LL, -693593LL}) {
        int y, m, dd;
        civilFromDayNumber(d, y, m, dd);
        EXPECT_EQ(dayNumber(y, m, dd), d);
    }
    EXPECT_THROW(dayNumber(2003, 2, 29), Error);
    EXPECT_THROW(dayNumber(2004, 13, 1), Error);
}

struct DateTextCase {
    const char* text;
    std::optional<std::int64_t> day;  // nullopt: null
    bool valid = true;
};

TEST(DateTexts, ReadBothFormsAndBlankMasks) {
    const DateTextCase cases[] = {
        {"5.3.2004", 38051},   {"05.03.2004", 38051}, {"5.3.04", 38051},  {" 5.3.2004 ", 38051},
        {"29.2.2004", 38046},  {"", std::nullopt},    {"  .  .    ", std::nullopt}, {"   ", std::nullopt},
        {"31.2.2004", {}, false}, {"5/3/2004", {}, false}, {"5.3", {}, false}, {"a.b.c", {}, false},
        {"5.3.2004x", {}, false}, {"123.3.2004", {}, false}, {"0.1.2004", {}, false}, {"1.1.123", {}, false},
    };
    for (const auto& c : cases) {
        if (!c.valid) {
            EXPECT_THROW(parseDateText(c.text), Error) << c.text;
            continue;
        }
        EXPECT_EQ(parseDateText(c.text), c.day) << c.text;
    }
    try {
        parseDateText("32.1.2004");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("32.1.2004"), std::string::npos) << "the message names the text";
    }
}

TEST(TimeTexts, ReadWithAndWithoutLeadingZeros) {
    EXPECT_EQ(parseTimeText("9:5:0"), 9 * 3600 + 5 * 60);
    EXPECT_EQ(parseTimeText("09:05:00"), 9 * 3600 + 5 * 60);
    EXPECT_EQ(parseTimeText("23:59:59"), 86399);
    EXPECT_EQ(parseTimeText("7:30"), 7 * 3600 + 30 * 60);
    for (const char* bad : {"24:00:00", "9:60:00", "9", "9:5:0:0", "a:b", ""}) EXPECT_THROW(parseTimeText(bad), Error) << bad;
}

TEST(DisplayTexts, ShowWhatWindowsShow) {
    EXPECT_EQ(displayText(std::int64_t{38051}, FieldType::Date), "5.3.2004");
    EXPECT_EQ(displayText(std::int64_t{9 * 3600 + 5 * 60 + 7}, FieldType::Time), "9:05:07");
    EXPECT_EQ(displayText(150.0, FieldType::Float), "150");
    EXPECT_EQ(displayText(150.5, FieldType::Float), "150.5");
    EXPECT_EQ(displayText(25.1, FieldType::Float), "25.1");
    EXPECT_EQ(displayText(0.1 + 0.2, FieldType::Float), "0.30000000000000004");
    EXPECT_EQ(displayText(-3.0, FieldType::Float), "-3");
    EXPECT_EQ(displayText(std::int64_t{-42}, FieldType::Integer), "-42");
    EXPECT_EQ(displayText(Value{}, FieldType::Date), "");
    EXPECT_EQ(displayText(std::string("x"), FieldType::Text), "x");
    EXPECT_EQ(displayText(38051.5, FieldType::Timestamp), "5.3.2004 12:00:00");
    EXPECT_EQ(displayText(std::int64_t{1}, FieldType::Boolean), "True");
}

TEST(QuoteText, DoublesInnerQuotes) {
    EXPECT_EQ(quoteText("abc"), "\"abc\"");
    EXPECT_EQ(quoteText("X\", COMMENT=\""), "\"X\"\", COMMENT=\"\"\"");
    EXPECT_EQ(quoteText(""), "\"\"");
}

TEST(DictionaryOrder, FoldsCaseAndAccentsFirst) {
    std::vector<std::string> words = {"Zeman", "čert", "Cibule", "Novak", "novák", "Žába", "ABC", "abc", "oko", "Ödön"};
    std::sort(words.begin(), words.end(),
              [](const std::string& a, const std::string& b) { return detail::dictionaryCompare(a, b) < 0; });
    const std::vector<std::string> expected = {"ABC", "abc", "čert", "Cibule", "Novak", "novák", "Ödön", "oko", "Žába", "Zeman"};
    EXPECT_EQ(words, expected);
}

TEST(DictionaryOrder, IsATotalOrder) {
    using detail::dictionaryCompare;
    EXPECT_LT(dictionaryCompare("čert", "Cibule"), 0);
    EXPECT_LT(dictionaryCompare("Novak", "novák"), 0);
    EXPECT_LT(dictionaryCompare("novák", "Nováková"), 0);
    EXPECT_NE(dictionaryCompare("abc", "ABC"), 0) << "only identical texts are equal";
    EXPECT_EQ(dictionaryCompare("abc", "ABC"), -dictionaryCompare("ABC", "abc"));
    EXPECT_EQ(dictionaryCompare("Žába", "Žába"), 0);
    EXPECT_GT(dictionaryCompare("Zeman", "Žába"), 0) << "accents do not separate: zaba < zeman";
    EXPECT_EQ(dictionaryCompare("\xff\xfe", "a"), -dictionaryCompare("a", "\xff\xfe")) << "invalid UTF-8 still orders";
}

TEST(CaseMapping, CoversCzechLetters) {
    EXPECT_EQ(detail::upperText("příliš žluťoučký kůň"), "PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ");
    EXPECT_EQ(detail::lowerText("ĎÁBELSKÉ ÓDY"), "ďábelské ódy");
}
