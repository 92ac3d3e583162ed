#include "settings/profile.h"

#include "settings/cp932.h"
#include "settings/number_text.h"

#include <algorithm>

namespace profile {
namespace {

// The blanks around names and values: space, tab, vertical tab, form feed,
// the line-end characters and the Ctrl-Z end-of-file mark. All lie below
// 0x40, so none of them can be the trail byte of a two-byte character, and
// trimming bytes from either end is safe.
constexpr std::string_view kBlanks = " \t\v\f\r\n\x1a";

std::string_view strip(std::string_view s) { return number_text::trim(s, kBlanks); }

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

// One line of the text: its bytes are [start, stop), its line end (CR LF,
// LF, a lone CR, or none on a last line) is [stop, next).
struct LineSpan {
    std::size_t start = 0;
    std::size_t stop = 0;
    std::size_t next = 0;

    std::string_view text(std::string_view bytes) const { return bytes.substr(start, stop - start); }
    bool has_end() const { return next != stop; }
};

LineSpan line_at(std::string_view bytes, std::size_t start)
{
    LineSpan line{start, start, start};
    while (line.stop < bytes.size() && bytes[line.stop] != '\r' && bytes[line.stop] != '\n')
        ++line.stop;
    line.next = line.stop;
    if (line.next < bytes.size())
        line.next += bytes.substr(line.next, 2) == "\r\n" ? 2 : 1;
    return line;
}

} // namespace

// A code page 932 file, the usual case, is kept as it was read, without a
// copy: a large file costs no more than its own bytes.
ProfileText::ProfileText(std::string file_bytes)
{
    if (!starts_with_byte_order_mark(file_bytes)) {
        m_bytes = std::move(file_bytes);
        return;
    }
    Cp932Text text = file_text_as_cp932(file_bytes);
    m_bytes = std::move(text.bytes);
    m_exact = text.exact;
}

std::string ProfileText::get(std::string_view section, std::string_view key) const
{
    const std::string keys[] = {std::string(key)};
    return std::move(get_all(section, keys).front());
}

std::vector<std::string> ProfileText::get_all(std::string_view section, std::span<const std::string> keys) const
{
    const std::string_view text = m_bytes;
    std::vector<std::string> values(keys.size());
    std::vector<bool> found(keys.size(), false);
    std::size_t missing = keys.size();
    bool inside = false; // in the first section of that name
    for (std::size_t start = 0; start < text.size() && missing > 0;) {
        const LineSpan line = line_at(text, start);
        start = line.next;
        const ParsedLine parsed = parse_line(line.text(text));
        if (parsed.kind == ParsedLine::Section) {
            if (inside)
                break;
            inside = names_match(parsed.name, section);
        } else if (inside && parsed.kind == ParsedLine::Key) {
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (!found[i] && names_match(parsed.name, keys[i])) {
                    values[i] = value_as_read(parsed.value);
                    found[i] = true;
                    --missing;
                }
            }
        }
    }
    return values;
}

void ProfileText::set(std::string_view section, std::string_view key, std::string_view value)
{
    const std::pair<std::string, std::string> key_values[] = {{std::string(key), std::string(value)}};
    set_all(section, key_values);
}

void ProfileText::set_all(std::string_view section,
                          std::span<const std::pair<std::string, std::string>> key_values)
{
    // Two keys of one name: one after the other, the second would overwrite
    // the value the first had written, in the first one's line.
    struct Edit {
        std::string_view key;
        std::string_view value;
        bool found = false;
    };
    if (key_values.empty())
        return; // no key, no section to make
    std::vector<Edit> edits;
    std::size_t new_bytes = section.size() + 8;
    for (const auto& key_value : key_values) {
        const std::string& key = key_value.first;
        new_bytes += key.size() + key_value.second.size() + 3;
        auto same = std::find_if(edits.begin(), edits.end(), [&](const Edit& e) { return names_match(e.key, key); });
        if (same != edits.end())
            same->value = key_value.second;
        else
            edits.push_back({key, key_value.second});
    }
    auto append_new_keys = [&](std::string& out) {
        for (const Edit& e : edits) {
            if (e.found)
                continue;
            out.append(e.key);
            out += '=';
            out.append(e.value);
            out += "\r\n";
        }
    };

    const std::string_view text = m_bytes;
    std::size_t start = 0;
    LineSpan header;
    bool have_header = false;
    LineSpan last_line;
    while (start < text.size() && !have_header) {
        last_line = line_at(text, start);
        start = last_line.next;
        const ParsedLine parsed = parse_line(last_line.text(text));
        have_header = parsed.kind == ParsedLine::Section && names_match(parsed.name, section);
        header = last_line;
    }

    if (!have_header) {
        // A new section at the end, after a blank line. (A fresh string:
        // reserving more in the old one would double its capacity.)
        std::string out;
        out.reserve(text.size() + new_bytes);
        out.append(text);
        if (!text.empty()) {
            if (!last_line.has_end())
                out += "\r\n";
            if (!strip(last_line.text(text)).empty())
                out += "\r\n";
        }
        out += '[';
        out.append(section);
        out += "]\r\n";
        append_new_keys(out);
        m_bytes = std::move(out);
        return;
    }

    // Existing keys take their new values in place; the new ones follow the
    // last key of the section, in their order (each one set after the one
    // before would land right after it).
    struct Replacement {
        std::size_t from, to; // the old value's bytes
        std::string_view value;
    };
    std::vector<Replacement> replacements;
    LineSpan last_key = header;
    while (start < text.size()) {
        const LineSpan line = line_at(text, start);
        start = line.next;
        const ParsedLine parsed = parse_line(line.text(text));
        if (parsed.kind == ParsedLine::Section)
            break;
        if (parsed.kind != ParsedLine::Key)
            continue;
        for (Edit& e : edits) {
            if (!e.found && names_match(parsed.name, e.key)) {
                replacements.push_back({line.start + parsed.value_start, line.stop, e.value});
                e.found = true;
                break;
            }
        }
        last_key = line;
    }

    std::string out;
    out.reserve(text.size() + new_bytes);
    std::size_t copied = 0;
    for (const Replacement& r : replacements) {
        out.append(text.substr(copied, r.from - copied));
        out.append(r.value);
        copied = r.to;
    }
    out.append(text.substr(copied, last_key.next - copied));
    const bool adds_keys = std::any_of(edits.begin(), edits.end(), [](const Edit& e) { return !e.found; });
    if (adds_keys && !last_key.has_end())
        out += "\r\n";
    append_new_keys(out);
    out.append(text.substr(last_key.next));
    m_bytes = std::move(out);
}

} // namespace profile
