// The screen-saver command line: any text. The switch letter and the handle
// text are pieces of the trimmed text, and the two readings of a handle
// agree wherever the strict one finds a number.
#include "settings/number_text.h"
#include "startup/command_line.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const CommandLine line = parse_command_line(raw);
    check(line.text == number_text::trim(raw));
    check(line.empty() == line.text.empty());
    if (line.text.size() < 2)
        check(line.switch_letter == 0);
    else
        check(line.switch_letter == line.text[1] || line.switch_letter == line.text[1] - 'a' + 'A');
    check(line.switch_letter < 'a' || line.switch_letter > 'z');
    check(line.handle_text.size() == (line.text.size() >= 4 ? line.text.size() - 3 : 0));

    const std::int32_t leading = leading_number(line.handle_text);
    if (const std::optional<std::int32_t> strict = strict_int32(line.handle_text))
        check(*strict == leading);
    if (const std::optional<double> whole = number_text::parse_number(raw))
        check(number_text::leading_number(raw) == whole);
    check(number_text::number_length(raw) <= raw.size());
    return 0;
}
