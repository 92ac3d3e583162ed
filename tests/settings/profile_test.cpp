#include "settings/profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using profile::ProfileText;

TEST(ProfileRead, NamesMatchWithoutCaseAndLoseTheirBlanks)
{
    ProfileText text("; settings\r\n"
                     "  [ SECTION ]  \r\n"
                     "\tSpeed \t=   15  \r\n"
                     "name= \"  quoted  \" \r\n"
                     "single='x'\r\n"
                     "half=\"open\r\n"
                     "empty=\r\n"
                     "novalue\r\n");
    EXPECT_EQ(text.get("section", "speed"), "15");
    EXPECT_EQ(text.get("Section", "SPEED"), "15");
    EXPECT_EQ(text.get("section", "name"), "  quoted  ") << "quotes around the whole value go, blanks inside stay";
    EXPECT_EQ(text.get("section", "single"), "x");
    EXPECT_EQ(text.get("section", "half"), "\"open");
    EXPECT_EQ(text.get("section", "empty"), "");
    EXPECT_EQ(text.get("section", "novalue"), "") << "a line without '=' is no key";
    EXPECT_EQ(text.get("section", "missing"), "");
    EXPECT_EQ(text.get("other", "speed"), "");
    EXPECT_EQ(text.get("section", "; settings"), "");
}

// Trail bytes of two-byte characters fall in the ASCII letter range: "ア" is
// 0x83 0x41 and "ヂ" 0x83 0x61, which plain case folding would take as equal.
TEST(ProfileRead, TwoByteCharactersAreNeverCaseFolded)
{
    ProfileText text("[S]\r\n\x83\x61=wrong\r\n\x83\x41=right\r\n");
    EXPECT_EQ(text.get("s", "\x83\x41"), "right");
    EXPECT_EQ(text.get("s", "\x83\x61"), "wrong");
}

// "]" is the trail byte of "ゾ" (0x83 0x5D): the header's name ends at the
// last real "]", not inside the character.
TEST(ProfileRead, SectionNamesAreScannedByCharacter)
{
    ProfileText text("[\x83\x5D]\r\nk=1\r\n[a\x83\x5D\r\nj=2\r\n");
    EXPECT_EQ(text.get("\x83\x5D", "k"), "1");
    EXPECT_EQ(text.get("\x83\x5D", "j"), "2") << "\"[a\x83\x5D\" holds no real ']', so it opens no section";
    EXPECT_EQ(text.get("a\x83", "j"), "");
}

TEST(ProfileRead, OnlyTheFirstSectionAndKeyOfANameCount)
{
    ProfileText text("[S]\r\nk=1\r\nk=2\r\n[T]\r\nj=3\r\n[s]\r\nk=4\r\nj=5\r\n");
    EXPECT_EQ(text.get("S", "k"), "1");
    EXPECT_EQ(text.get("S", "j"), "") << "the second [s] is not searched";
    EXPECT_EQ(text.get("T", "k"), "") << "keys do not leak across sections";
}

TEST(ProfileRead, ValuesAreCutTo255BytesAndAtNul)
{
    std::string long_value(300, '7');
    ProfileText text("[S]\r\nlong=" + long_value + "\r\nnul=12" + std::string("\0" "34", 3)
                     + "\r\n"
                       "kanji=" + std::string(254, 'a') + "\x88\x9F" + "\r\n");
    EXPECT_EQ(text.get("S", "long"), std::string(255, '7'));
    EXPECT_EQ(text.get("S", "nul"), "12");
    EXPECT_EQ(text.get("S", "kanji"), std::string(254, 'a')) << "a two-byte character that would end past 255 is left out whole";
}

TEST(ProfileRead, EveryLineEndWorks)
{
    for (std::string end : {"\r\n", "\n", "\r"}) {
        ProfileText text("[S]" + end + "a=1" + end + end + "b=2");
        EXPECT_EQ(text.get("S", "a"), "1") << "line end of " << end.size() << " bytes";
        EXPECT_EQ(text.get("S", "b"), "2") << "last line without an end";
    }
}

TEST(ProfileWrite, KeepsEveryByteItDoesNotChange)
{
    const std::string original = "; top\r\n[Other]\nx = 1\n\n[Section]  ; trailing\r\n"
                                 "a = old\r\n; note\r\n\r\n[Last]\r\ny=2";
    ProfileText text(original);
    EXPECT_EQ(text.bytes(), original) << "parsing alone changes nothing";

    text.set("section", "A", "new");
    text.set("Section", "b", "added");
    EXPECT_EQ(text.bytes(), "; top\r\n[Other]\nx = 1\n\n[Section]  ; trailing\r\n"
                            "a =new\r\nb=added\r\n; note\r\n\r\n[Last]\r\ny=2");
}

TEST(ProfileWrite, CreatesSectionAndKeys)
{
    ProfileText empty;
    empty.set("Section", "k", " 15");
    EXPECT_EQ(empty.bytes(), "[Section]\r\nk= 15\r\n");

    ProfileText unterminated("[Other]\r\nx=1");
    unterminated.set("Section", "k", "v");
    EXPECT_EQ(unterminated.bytes(), "[Other]\r\nx=1\r\n\r\n[Section]\r\nk=v\r\n");

    ProfileText header_only("[Section]");
    header_only.set("Section", "k", "v");
    header_only.set("Section", "j", "");
    EXPECT_EQ(header_only.bytes(), "[Section]\r\nk=v\r\nj=\r\n");
    EXPECT_EQ(ProfileText(header_only.bytes()).get("Section", "k"), "v");
}

} // namespace
