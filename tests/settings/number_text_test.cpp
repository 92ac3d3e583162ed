// The one number scanner and blank trimmer that the settings file, the
// command lines and the render tool share, with each reader's syntax.
#include "settings/number_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(NumberText, OneScannerServesTheWholeAndTheLeadingReadings)
{
    struct Case {
        const char* text;
        std::size_t length;            // number_length
        std::optional<double> whole;   // parse_number
        std::optional<double> leading; // leading_number
    };
    const Case cases[] = {
        {"15", 2, 15, 15},
        {" \t15\t ", 0, 15, 15},
        {"+7", 2, 7, 7},
        {"-3.5", 4, -3.5, -3.5},
        {".5", 2, 0.5, 0.5},
        {"2.", 2, 2, 2},
        {"1e3", 3, 1000, 1000},
        {"2.5E-1", 6, 0.25, 0.25},
        {"7e", 1, std::nullopt, 7},
        {"7e+", 1, std::nullopt, 7},
        {"12abc", 2, std::nullopt, 12},
        {"1234xyz", 4, std::nullopt, 1234},
        {"+-5", 0, std::nullopt, std::nullopt},
        {"-", 0, std::nullopt, std::nullopt},
        {".", 0, std::nullopt, std::nullopt},
        {"", 0, std::nullopt, std::nullopt},
        {":12", 0, std::nullopt, std::nullopt},
        {"0x10", 1, std::nullopt, 0},
        {"&H10", 0, std::nullopt, std::nullopt},
        {"1,000", 1, std::nullopt, 1},
        {"inf", 0, std::nullopt, std::nullopt},
        {"nan", 0, std::nullopt, std::nullopt},
        {"1e999", 5, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(number_text::number_length(c.text), c.length) << "\"" << c.text << "\"";
        EXPECT_EQ(number_text::parse_number(c.text), c.whole) << "\"" << c.text << "\"";
        EXPECT_EQ(number_text::leading_number(c.text), c.leading) << "\"" << c.text << "\"";
    }
}

TEST(NumberText, WholeNumbersAreDigitsAloneInTheirBase)
{
    struct Case {
        const char* text;
        int base;
        std::optional<std::uint64_t> value;
    };
    const Case cases[] = {
        {"0", 10, 0},
        {"18446744073709551615", 10, 18446744073709551615u},
        {"18446744073709551616", 10, std::nullopt},
        {"ffFF", 16, 0xFFFF},
        {"12", 16, 0x12},
        {"1g", 16, std::nullopt},
        {"+1", 10, std::nullopt},
        {"-1", 10, std::nullopt},
        {" 1", 10, std::nullopt},
        {"1 ", 10, std::nullopt},
        {"1.0", 10, std::nullopt},
        {"", 10, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(number_text::whole_number(c.text, c.base), c.value) << "\"" << c.text << "\" base " << c.base;
}

TEST(NumberText, TrimTakesOnlyTheBlanksItIsGiven)
{
    EXPECT_EQ(number_text::trim(" \t a b \t "), "a b");
    EXPECT_EQ(number_text::trim(" \t "), "");
    EXPECT_EQ(number_text::trim(""), "");
    EXPECT_EQ(number_text::trim("\v15\f"), "\v15\f") << "space and tab unless told otherwise";
    EXPECT_EQ(number_text::trim("\t path \t", " "), "\t path \t");
    EXPECT_EQ(number_text::trim(std::string_view("\x1a x\r\n", 5), " \r\n\x1a"), "x");
}

} // namespace
