// The command line's two pieces and the two ways of reading a handle.
#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, SwitchLetterIsTheSecondCharacterUpperCased)
{
    struct Case {
        const char* text;
        char letter;
        const char* handle;
    };
    const Case cases[] = {
        {"/s", 'S', ""},         {"/S", 'S', ""},          {"-s", 'S', ""},
        {"s", 0, ""},            {"", 0, ""},              {"  /s  ", 'S', ""},
        {"/p 1234", 'P', "1234"}, {"/p:1234", 'P', "1234"}, {"/p", 'P', ""},
        {"/c:5678", 'C', "5678"}, {"/x", 'X', ""},          {"/a 1234", 'A', "1234"},
    };
    for (const Case& c : cases) {
        CommandLine line = parse_command_line(c.text);
        EXPECT_EQ(line.switch_letter, c.letter) << "for \"" << c.text << "\": expected "
                                                << int(c.letter) << " got " << int(line.switch_letter);
        EXPECT_EQ(line.handle_text, c.handle) << "for \"" << c.text << "\"";
    }
    EXPECT_TRUE(parse_command_line("   ").empty()) << "blanks alone are an empty command line";
    EXPECT_FALSE(parse_command_line("s").empty());
}

TEST(CommandLine, LeadingNumberReadsWhatTheTextStartsWith)
{
    EXPECT_EQ(leading_number("1234"), 1234);
    EXPECT_EQ(leading_number("  1234"), 1234);
    EXPECT_EQ(leading_number("1234xyz"), 1234);
    EXPECT_EQ(leading_number(":1234"), 0);
    EXPECT_EQ(leading_number(""), 0);
    EXPECT_EQ(leading_number("-5"), -5);
    EXPECT_EQ(leading_number("12.5"), 12) << "halves go to even";
    EXPECT_EQ(leading_number("13.5"), 14);
    EXPECT_EQ(leading_number("1e3"), 1000);
    EXPECT_EQ(leading_number("7e"), 7) << "an exponent without digits is not part of the number";
    EXPECT_EQ(leading_number("2147483647"), 2147483647);
    EXPECT_EQ(leading_number("2147483648"), 0) << "beyond 32 bits no window has the handle";
    EXPECT_EQ(leading_number("1e999"), 0);
}

TEST(CommandLine, StrictReadingRefusesAnythingButANumber)
{
    EXPECT_EQ(strict_int32("1234"), 1234);
    EXPECT_EQ(strict_int32(" 1234 "), 1234);
    EXPECT_EQ(strict_int32("12.5"), 12);
    EXPECT_FALSE(strict_int32("12ab").has_value());
    EXPECT_FALSE(strict_int32("").has_value());
    EXPECT_FALSE(strict_int32(":1234").has_value());
    EXPECT_FALSE(strict_int32("2147483648").has_value());
}

} // namespace
