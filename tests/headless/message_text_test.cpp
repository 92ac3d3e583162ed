// A message box's text shaped to fit a screen: long runs without blanks
// broken into lines, over-long lines cut in the middle, everything else as
// it was.
#include "host/message_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char at)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(at, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::vector<std::string> Lines(const std::string& text) { return Split(text, '\n'); }

// Columns as a message box shows them: CJK two, everything else (the
// half-width katakana too) one.
int Columns(const std::string& line)
{
    int columns = 0;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length && i + k < line.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3Fu);
        const bool wide = code >= 0x1100 && !(code >= 0xFF61 && code <= 0xFF9F);
        columns += wide ? 2 : 1;
        i += length;
    }
    return columns;
}

std::string Without(std::string text, char removed)
{
    std::erase(text, removed);
    return text;
}

std::string Repeat(const std::string& part, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

TEST(MessageText, ShortTextAndTextWithBlanksStayAsTheyAre)
{
    for (const std::string& text : {
             std::string(),
             std::string("ｱｸｼｮﾝの種類は最低一つ必要です。"),
             std::string("このファイルのパスは長すぎるため (設定ファイルに書けるのは 255 バイトまで)、"
                         "背景の画像にできません。\n\n/home/user/pictures/sunset.bmp"),
             Repeat("word ", 70),
             std::string("a\n\n\nb\n"),
         })
        EXPECT_EQ(host::message_box_text(text), text);
}

TEST(MessageText, LongRunsBreakIntoLinesThatFitAfterSeparatorsWherePossible)
{
    const std::string folder = "/home/user/" + Repeat("a_rather_long_folder_name/", 8);
    const std::string japanese = "C:\\" + Repeat("写真の\\フォルダ\\", 6) + "夕日.bmp";
    const std::string no_separator = Repeat("x", 150);
    const std::string half_width = Repeat("ｱｸｼｮﾝ", 30);
    struct Case {
        const char* what;
        std::string text;
        int first_path_line; // the path's lines end in a separator but its last; -1: no path
    };
    const Case cases[] = {
        {"a path", "保存できませんでした。\n\n" + folder + "file.ini", 2},
        {"a Windows path of wide characters", japanese, 0},
        {"a run without separators", "before " + no_separator + " after", -1},
        {"half-width katakana count one column", half_width, -1},
    };
    for (const Case& c : cases) {
        const std::string shaped = host::message_box_text(c.text);
        EXPECT_EQ(Without(shaped, '\n'), Without(c.text, '\n')) << c.what << ": only breaks added";
        const std::vector<std::string> lines = Lines(shaped);
        EXPECT_GT(lines.size(), Lines(c.text).size()) << c.what << ": expected breaks";
        for (std::size_t i = 0; i < lines.size(); ++i) {
            // The box itself breaks at blanks: each run between them must fit.
            for (const std::string& run : Split(lines[i], ' '))
                EXPECT_LE(Columns(run), host::kMessageColumns) << c.what << ": line " << i;
            if (!lines[i].empty()) {
                EXPECT_NE(static_cast<unsigned char>(lines[i][0]) & 0xC0, 0x80)
                    << c.what << ": a character cut at line " << i;
            }
            if (c.first_path_line >= 0 && i >= std::size_t(c.first_path_line) && i + 1 < lines.size()) {
                EXPECT_TRUE(lines[i].back() == '/' || lines[i].back() == '\\')
                    << c.what << ": line " << i << " ends \"" << lines[i] << "\"";
            }
        }
    }
    // Half-width katakana take one column each: 150 of them in lines of 64.
    EXPECT_EQ(Lines(host::message_box_text(half_width)).size(), 3u);
}

TEST(MessageText, AVeryLongLineLosesItsMiddleAndKeepsItsEnds)
{
    const std::string path = "/mnt/" + Repeat("deep/", 1000) + "the_picture.jpg";
    const std::string text = "背景の画像にできません。\n\n" + path;
    const std::string shaped = host::message_box_text(text);
    const std::vector<std::string> lines = Lines(shaped);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "背景の画像にできません。");
    EXPECT_EQ(lines[1], "");
    // At most a screenful: the longest line's width in lines of the box, and a little.
    EXPECT_LE(lines.size(), 2u + host::kMessageLineColumns / (host::kMessageColumns / 2));
    for (const std::string& line : lines)
        EXPECT_LE(Columns(line), host::kMessageColumns) << line;
    const std::string joined = Without(shaped.substr(shaped.find("\n\n") + 2), '\n');
    EXPECT_EQ(joined.rfind("/mnt/deep/deep/", 0), 0u) << joined;
    EXPECT_NE(joined.find("\u2026"), std::string::npos) << joined;
    EXPECT_EQ(joined.substr(joined.size() - 20), "deep/the_picture.jpg");
    EXPECT_LE(Columns(joined), host::kMessageLineColumns);
}

TEST(MessageText, BytesThatAreNotUtf8PassThrough)
{
    const std::string broken = "\xFF\xFE" + Repeat("\x82\xA0", 40) + "\xE3\x81";
    const std::string shaped = host::message_box_text(broken);
    EXPECT_EQ(Without(shaped, '\n'), broken);
    for (const std::string& line : Lines(shaped))
        EXPECT_LE(line.size(), std::size_t(host::kMessageColumns));
}

} // namespace
