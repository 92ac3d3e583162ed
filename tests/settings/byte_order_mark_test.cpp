// Settings files that a text editor saved as UTF-8 or UTF-16 with a
// byte-order mark: read as the text they hold, saved in code page 932.
#include "settings_test_support.h"

#include "settings/profile.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

namespace {

const char* const kEdited = "; 手で直した設定\r\n"
                            "[Section]\r\n"
                            "速さ=22\r\n"
                            "背景ﾊﾟﾀｰﾝ=3\r\n"
                            "ｱｸｼｮﾝ_07=0\r\n"
                            "背景画像ﾌｧｲﾙ=C:\\絵\\海.jpg\r\n";

std::string utf16(std::string_view utf8, bool big_endian)
{
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    auto put = [&](char16_t u) {
        const char high = char(u >> 8), low = char(u & 0xFF);
        out += big_endian ? high : low;
        out += big_endian ? low : high;
    };
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[at + k]) & 0x3F);
        if (c >= 0x10000) {
            put(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            put(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            put(char16_t(c));
        }
        at += length;
    }
    return out;
}

struct Encoding {
    const char* name;
    std::string (*encode)(std::string_view);
};
const Encoding kEncodings[] = {
    {"UTF-8 with a mark", [](std::string_view t) { return "\xEF\xBB\xBF" + std::string(t); }},
    {"UTF-16 little-endian", [](std::string_view t) { return utf16(t, false); }},
    {"UTF-16 big-endian", [](std::string_view t) { return utf16(t, true); }},
};

TEST(ByteOrderMark, AFileSavedInAUnicodeEncodingReadsAsItsText)
{
    for (const Encoding& e : kEncodings) {
        SCOPED_TRACE(e.name);
        TempFolder folder;
        const std::string ini = folder.file("Orvelune.ini");
        WriteBytes(ini, e.encode(kEdited));
        const Settings s = Loaded(ini);
        EXPECT_EQ(s.g_Speed, 22);
        EXPECT_EQ(s.g_BackgroundMode, 3);
        EXPECT_EQ(s.g_ActionEnabled[7], 0);
        EXPECT_EQ(s.g_ActionEnabled[6], 1);
        EXPECT_EQ(s.g_BackgroundPicturePath, "C:\\絵\\海.jpg");
    }
}

TEST(ByteOrderMark, ASaveWritesCodePage932AgainAndKeepsTheOtherLines)
{
    for (const Encoding& e : kEncodings) {
        SCOPED_TRACE(e.name);
        TempFolder folder;
        const std::string ini = folder.file("Orvelune.ini");
        WriteBytes(ini, e.encode(kEdited));
        Settings s = Loaded(ini);
        s.g_Speed = 12;
        ASSERT_TRUE(save_settings_file(ini, s).ok);
        const std::string bytes = ReadBytes(ini);
        EXPECT_EQ(bytes.rfind(Sjis("; 手で直した設定\r\n[Section]\r\n速さ= 12\r\n背景ﾊﾟﾀｰﾝ= 3\r\n"), 0), 0u)
            << "no mark, code page 932, the comment kept";
        EXPECT_EQ(Loaded(ini).g_Speed, 12);
    }
}

TEST(ByteOrderMark, CharactersTheCodePageLacksAreNotLostBySaving)
{
    TempFolder folder;
    const std::string ini = folder.file("Orvelune.ini");
    const std::string original = utf16("; 한국어 \xF0\x9F\x98\x80\r\n[Section]\r\n速さ=25\r\n", false);
    WriteBytes(ini, original);
    EXPECT_EQ(Loaded(ini).g_Speed, 25) << "the keys still read";
    const SaveResult result = save_settings_file(ini, Loaded(ini));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(ini), std::string::npos) << result.error;
    EXPECT_EQ(ReadBytes(ini), original);
}

TEST(ByteOrderMark, BrokenUnicodeIsReadSafely)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"a lone surrogate", utf16("[Section]\r\n速さ=21\r\n", false) + std::string("\x00\xD8", 2)},
        {"an odd last byte", utf16("[Section]\r\n速さ=21\r\n", true) + "\x30"},
        {"bytes that are not UTF-8", "\xEF\xBB\xBF[Section]\r\n\xC3(=1\r\n速さ=21\r\n"},
        {"a mark alone", "\xFF\xFE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const profile::Cp932Text text = profile::file_text_as_cp932(c.bytes);
        EXPECT_FALSE(text.exact && c.bytes.size() > 2) << "the damage is noticed";
        TempFolder folder;
        WriteBytes(folder.file("Orvelune.ini"), c.bytes);
        const Settings s = Loaded(folder.file("Orvelune.ini"));
        EXPECT_EQ(s.g_Speed, c.bytes.size() > 2 ? 21 : 15) << "what can be read is read";
    }
}

TEST(ByteOrderMark, CodePage932FilesAreTakenAsTheyAre)
{
    const std::string bytes = Sjis("[Section]\r\n速さ=20\r\n");
    const profile::Cp932Text text = profile::file_text_as_cp932(bytes);
    EXPECT_EQ(text.bytes, bytes);
    EXPECT_TRUE(text.exact);
}

} // namespace
