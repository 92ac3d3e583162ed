// A message box's text made to fit a screen; see message_text.h.
#include "host/message_text.h"

#include <cstddef>
#include <vector>

namespace host {

namespace {

// One character of a line: where its bytes are and how wide it shows.
struct Glyph {
    std::size_t begin = 0;
    std::size_t end = 0;
    char32_t code = 0;
    int columns = 1;
};

constexpr char32_t kNotUtf8 = 0xFFFD;

int columns_of(char32_t code)
{
    const bool half_width_katakana = code >= 0xFF61 && code <= 0xFF9F;
    return code >= 0x1100 && code != kNotUtf8 && !half_width_katakana ? 2 : 1;
}

// The characters of `line`; a byte that starts no valid sequence is one of its own.
std::vector<Glyph> glyphs_of(std::string_view line)
{
    std::vector<Glyph> glyphs;
    std::size_t i = 0;
    while (i < line.size()) {
        const auto lead = static_cast<unsigned char>(line[i]);
        // The sequence's length and the lead byte's bits of the code.
        std::size_t length = 1;
        char32_t code = lead < 0x80 ? lead : kNotUtf8;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        }
        bool valid = i + length <= line.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(line[i + k]);
            valid = (next & 0xC0u) == 0x80u;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            length = 1;
            code = kNotUtf8;
        }
        glyphs.push_back({i, i + length, code, columns_of(code)});
        i += length;
    }
    return glyphs;
}

std::string bytes_of(std::string_view line, const std::vector<Glyph>& glyphs, std::size_t from,
                     std::size_t to)
{
    if (from >= to)
        return {};
    return std::string(line.substr(glyphs[from].begin, glyphs[to - 1].end - glyphs[from].begin));
}

// The line with its middle replaced by "…" when it is wider than the longest line.
std::string without_middle(std::string_view line)
{
    const std::vector<Glyph> glyphs = glyphs_of(line);
    int total = 0;
    for (const Glyph& g : glyphs)
        total += g.columns;
    if (total <= kMessageLineColumns)
        return std::string(line);
    const int half = kMessageLineColumns / 2;
    std::size_t head = 0;
    for (int columns = 0; head < glyphs.size() && columns + glyphs[head].columns <= half; ++head)
        columns += glyphs[head].columns;
    const int ellipsis = columns_of(0x2026);
    std::size_t tail = glyphs.size();
    for (int columns = 0; tail > head && columns + glyphs[tail - 1].columns <= half - ellipsis; --tail)
        columns += glyphs[tail - 1].columns;
    return bytes_of(line, glyphs, 0, head) + "\u2026" + bytes_of(line, glyphs, tail, glyphs.size());
}

bool is_blank(char32_t code)
{
    return code == ' ' || code == '\t' || code == 0x3000; // the ideographic space too
}

bool is_separator(char32_t code)
{
    return code == '/' || code == '\\';
}

// The line with a break in every run without blanks that is wider than a line may be.
std::string with_breaks(std::string_view line)
{
    const std::vector<Glyph> glyphs = glyphs_of(line);
    std::string out;
    std::size_t run = 0; // where the part of the current run not yet written begins
    int run_columns = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        if (is_blank(g.code)) {
            out += bytes_of(line, glyphs, run, i + 1);
            run = i + 1;
            run_columns = 0;
            continue;
        }
        if (run_columns + g.columns > kMessageColumns) {
            // After the last separator in the second half of the line, else here.
            std::size_t cut = i;
            int columns = 0, kept = run_columns;
            for (std::size_t k = run; k < i; ++k) {
                columns += glyphs[k].columns;
                if (is_separator(glyphs[k].code) && columns >= kMessageColumns / 2) {
                    cut = k + 1;
                    kept = columns;
                }
            }
            out += bytes_of(line, glyphs, run, cut);
            out += '\n';
            run = cut;
            run_columns -= kept;
        }
        run_columns += g.columns;
    }
    out += bytes_of(line, glyphs, run, glyphs.size());
    return out;
}

} // namespace

std::string message_box_text(std::string_view utf8)
{
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = utf8.find('\n', start);
        const std::string_view line
            = utf8.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        out += with_breaks(without_middle(line));
        if (end == std::string_view::npos)
            return out;
        out += '\n';
        start = end + 1;
    }
}

} // namespace host
