#include "settings/profile.h"

#include "settings/cp932.h"

namespace profile {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a'; }

// Blanks are all below 0x40, so none of them can be the trail byte of a
// two-byte character, and stripping bytes from either end is safe.
std::string_view strip(std::string_view s)
{
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool names_match(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t at = 0; at < a.size();) {
        if (cp932::char_length(a, at) == 2) {
            if (a[at] != b[at] || a[at + 1] != b[at + 1])
                return false;
            at += 2;
        } else {
            if (ascii_lower(a[at]) != ascii_lower(b[at]))
                return false;
            ++at;
        }
    }
    return true;
}

struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;
    std::string_view value;
    std::size_t value_start = 0; // Key: offset in the line just after the "="
};

ParsedLine parse_line(std::string_view line)
{
    ParsedLine parsed;
    std::string_view body = strip(line);
    if (!body.empty() && body.front() == '[') {
        // The last "]" of the line, found character by character: "]" is also
        // the trail byte of two-byte characters such as "ゾ" (0x83 0x5D).
        std::size_t close = std::string_view::npos;
        for (std::size_t at = 1; at < body.size(); at += cp932::char_length(body, at))
            if (body[at] == ']')
                close = at;
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Section;
            parsed.name = strip(body.substr(1, close - 1));
            return parsed;
        }
    }
    // "=" (0x3D) is never a trail byte, so a plain search is exact.
    std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
        parsed.kind = ParsedLine::Key;
        parsed.name = strip(line.substr(0, equals));
        parsed.value = strip(line.substr(equals + 1));
        parsed.value_start = equals + 1;
    }
    return parsed;
}

std::string value_as_read(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    std::size_t end = 0;
    while (end < value.size()) {
        std::size_t next = end + cp932::char_length(value, end);
        if (next > kMaxValueBytes)
            break;
        end = next;
    }
    value = value.substr(0, end);
    return std::string(value.substr(0, value.find('\0')));
}

} // namespace

ProfileText::ProfileText(std::string_view file_bytes)
{
    const Cp932Text text = file_text_as_cp932(file_bytes);
    exact_ = text.exact;
    const std::string_view bytes = text.bytes;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t stop = bytes.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            lines_.push_back({std::string(bytes.substr(start)), ""});
            break;
        }
        std::size_t end_length = bytes.substr(stop, 2) == "\r\n" ? 2 : 1;
        lines_.push_back({std::string(bytes.substr(start, stop - start)), std::string(bytes.substr(stop, end_length))});
        start = stop + end_length;
    }
}

long ProfileText::find_section(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        ParsedLine parsed = parse_line(lines_[i].text);
        if (parsed.kind == ParsedLine::Section && names_match(parsed.name, section))
            return long(i);
    }
    return -1;
}

std::string ProfileText::get(std::string_view section, std::string_view key) const
{
    long header = find_section(section);
    if (header < 0)
        return {};
    for (std::size_t i = std::size_t(header) + 1; i < lines_.size(); ++i) {
        ParsedLine parsed = parse_line(lines_[i].text);
        if (parsed.kind == ParsedLine::Section)
            break;
        if (parsed.kind == ParsedLine::Key && names_match(parsed.name, key))
            return value_as_read(parsed.value);
    }
    return {};
}

void ProfileText::set(std::string_view section, std::string_view key, std::string_view value)
{
    std::string key_line = std::string(key) + "=" + std::string(value);
    auto end_last_line = [this] {
        if (!lines_.empty() && lines_.back().end.empty())
            lines_.back().end = "\r\n";
    };

    long header = find_section(section);
    if (header < 0) {
        end_last_line();
        if (!lines_.empty() && !strip(lines_.back().text).empty())
            lines_.push_back({"", "\r\n"});
        lines_.push_back({"[" + std::string(section) + "]", "\r\n"});
        lines_.push_back({key_line, "\r\n"});
        return;
    }

    std::size_t last_key = std::size_t(header);
    for (std::size_t i = last_key + 1; i < lines_.size(); ++i) {
        ParsedLine parsed = parse_line(lines_[i].text);
        if (parsed.kind == ParsedLine::Section)
            break;
        if (parsed.kind != ParsedLine::Key)
            continue;
        if (names_match(parsed.name, key)) {
            Line& line = lines_[i];
            line.text = line.text.substr(0, parsed.value_start) + std::string(value);
            return;
        }
        last_key = i;
    }
    if (lines_[last_key].end.empty())
        lines_[last_key].end = "\r\n";
    lines_.insert(lines_.begin() + long(last_key) + 1, Line{key_line, "\r\n"});
}

std::string ProfileText::bytes() const
{
    std::string out;
    for (const Line& line : lines_)
        out += line.text + line.end;
    return out;
}

} // namespace profile
