// The screen-saver command line; see command_line.h.
#include "startup/command_line.h"

#include "settings/number_text.h"

#include <cmath>

namespace {

char upper_ascii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

} // namespace

CommandLine parse_command_line(std::string_view raw)
{
    CommandLine line;
    line.text = number_text::trim(raw);
    if (line.text.size() >= 2)
        line.switch_letter = upper_ascii(line.text[1]);
    if (line.text.size() >= 4)
        line.handle_text = line.text.substr(3);
    return line;
}

std::int32_t leading_number(std::string_view text)
{
    std::optional<double> value = number_text::leading_number(text);
    if (!value)
        return 0; // no number, or too large even for a double
    // The nearest integer, halves to even, as every conversion to an integer rounds.
    double rounded = std::nearbyint(*value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return 0;
    return std::int32_t(rounded);
}

std::optional<std::int32_t> strict_int32(std::string_view text)
{
    return number_text::rounded_int32(text);
}
