// The screen-saver command line; see command_line.h.
#include "startup/command_line.h"

#include "settings/number_text.h"

#include <charconv>
#include <cmath>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim_blanks(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

char upper_ascii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// The length of the number at the start of `text`: digits with an optional
// point and fraction, then an optional exponent that has digits of its own.
std::size_t number_prefix_length(std::string_view text)
{
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && is_digit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_digit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && is_digit(text[j])) {
            while (j < text.size() && is_digit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

} // namespace

CommandLine parse_command_line(std::string_view raw)
{
    CommandLine line;
    line.text = trim_blanks(raw);
    if (line.text.size() >= 2)
        line.switch_letter = upper_ascii(line.text[1]);
    if (line.text.size() >= 4)
        line.handle_text = line.text.substr(3);
    return line;
}

std::int32_t leading_number(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t length = number_prefix_length(text);
    if (length == 0)
        return 0;
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + length, value);
    if (result.ec != std::errc())
        return 0; // too large even for a double
    if (negative)
        value = -value;
    // The nearest integer, halves to even, as every conversion to an integer rounds.
    double rounded = std::nearbyint(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return 0;
    return std::int32_t(rounded);
}

std::optional<std::int32_t> strict_int32(std::string_view text)
{
    return number_text::rounded_int32(trim_blanks(text));
}
