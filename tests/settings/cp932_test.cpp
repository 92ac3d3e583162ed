#include "settings/cp932.h"
#include "settings/settings_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(std::string_view bytes)
{
    std::string out;
    char buffer[4];
    for (unsigned char b : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", b);
        out += buffer;
    }
    return out;
}

// The keys' bytes are what a Japanese Windows system writes and looks for;
// the half-width katakana are single bytes, the kanji two.
TEST(Cp932, KeysAreWrittenAsTheirCodePageBytes)
{
    struct Case {
        std::string_view utf8;
        std::string_view bytes;
    } cases[] = {
        {"球色_01", "\x8B\x85\x90\x46\x5F" "01"},
        {"ｱｸｼｮﾝ_20", "\xB1\xB8\xBC\xAE\xDD\x5F" "20"},
        {"処理ﾊﾟﾀｰﾝ", "\x8F\x88\x97\x9D\xCA\xDF\xC0\xB0\xDD"},
        {"背景色", "\x94\x77\x8C\x69\x90\x46"},
        {"速さ", "\x91\xAC\x82\xB3"},
        {"背景ﾊﾟﾀｰﾝ", "\x94\x77\x8C\x69\xCA\xDF\xC0\xB0\xDD"},
        {"背景配列ﾊﾟﾀｰﾝ", "\x94\x77\x8C\x69\x94\x7A\x97\xF1\xCA\xDF\xC0\xB0\xDD"},
        {"背景画像ﾌｧｲﾙ", "\x94\x77\x8C\x69\x89\xE6\x91\x9C\xCC\xA7\xB2\xD9"},
        {"PCｽﾍﾟｯｸ", "\x50\x43\xBD\xCD\xDF\xAF\xB8"},
    };
    for (const Case& c : cases) {
        auto bytes = cp932::from_utf8(c.utf8);
        ASSERT_TRUE(bytes.has_value()) << c.utf8;
        EXPECT_EQ(*bytes, c.bytes) << c.utf8 << ": expected " << Hex(c.bytes) << "got " << Hex(*bytes);
        EXPECT_EQ(cp932::to_utf8(c.bytes), c.utf8);
    }
    for (const SettingKey& k : kSettingKeys)
        EXPECT_TRUE(cp932::from_utf8(k.key).has_value()) << k.key;
}

// Every two-byte code that names a character comes back as itself, except
// the NEC and IBM duplicates, which come back as one code for the same
// character. Catches a shifted row or column of the table.
TEST(Cp932, EveryDoubleByteCharacterRoundTrips)
{
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cp932::is_lead_byte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            std::string code{char(lead), char(trail)};
            std::string text = cp932::to_utf8(code);
            if (text == "\xEF\xBF\xBD")
                continue; // unassigned
            ++characters;
            auto back = cp932::from_utf8(text);
            ASSERT_TRUE(back.has_value()) << Hex(code);
            EXPECT_EQ(cp932::to_utf8(*back), text) << Hex(code);
        }
    }
    // JIS X 0208 (6879) with NEC row 13 (83), the NEC-selected (374) and IBM
    // (388) extensions, and the 1880 user-defined codes 0xF040-0xF9FC, which
    // map to the Private Use Area as on Windows.
    EXPECT_EQ(characters, 9604) << "expected 9604 two-byte characters, got " << characters;
    EXPECT_EQ(cp932::to_utf8("\xF0\x40"), "\xEE\x80\x80") << "user-defined 0xF040 is U+E000";
    EXPECT_EQ(cp932::to_utf8("\x88\x9F"), "亜");
    EXPECT_EQ(cp932::to_utf8("\xEA\xA4"), "熙");
    EXPECT_EQ(cp932::to_utf8("\x87\x40"), "①");
    EXPECT_EQ(cp932::to_utf8("\x81\x60"), "～");
    EXPECT_EQ(cp932::to_utf8("\x5C\x7E\xA1\xDF"), "\\~｡ﾟ");
}

TEST(Cp932, BrokenBytesDecodeToReplacementCharactersWithoutLosingWhatFollows)
{
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(cp932::to_utf8("a\x83"), "a" + fffd) << "lead byte at the end";
    EXPECT_EQ(cp932::to_utf8("\x83=1"), fffd + "=1") << "lead byte before a byte that cannot trail";
    EXPECT_EQ(cp932::to_utf8("\x83\x7F"), fffd + "\x7F");
    EXPECT_EQ(cp932::to_utf8("\x85\x40x"), fffd + "x") << "unassigned pair";
    EXPECT_EQ(cp932::to_utf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_FALSE(cp932::to_utf8(all).empty());
}

TEST(Cp932, TextThatCannotBeCarriedIsRefused)
{
    EXPECT_FALSE(cp932::from_utf8("photo\xF0\x9F\x98\x80.jpg").has_value()) << "emoji";
    EXPECT_FALSE(cp932::from_utf8("한국").has_value()) << "hangul";
    EXPECT_FALSE(cp932::from_utf8("〜").has_value()) << "U+301C would read back as U+FF5E";
    EXPECT_FALSE(cp932::from_utf8("\xEF\xBF\xBD").has_value()) << "U+FFFD";
    EXPECT_FALSE(cp932::from_utf8("a\xC3").has_value()) << "truncated UTF-8";
    EXPECT_FALSE(cp932::from_utf8("\xC0\xAF").has_value()) << "overlong UTF-8";
    EXPECT_FALSE(cp932::from_utf8("\xED\xA0\x80").has_value()) << "surrogate";
    EXPECT_EQ(cp932::from_utf8("C:\\写真\\ｶﾒﾗ.jpg").value_or("?"), "C:\\\x8E\xCA\x90\x5E\\\xB6\xD2\xD7.jpg");
}

} // namespace
