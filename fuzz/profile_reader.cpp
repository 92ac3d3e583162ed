// The settings reader: any bytes as a profile text in code page 932. Reading
// never fails; setting keys in one pass gives the same bytes as setting them
// one by one, and reads back what was set; and whatever UTF-8 the file code
// page takes comes back unchanged.
#include "settings/cp932.h"
#include "settings/profile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A name or value from the input: up to `most` bytes, without the line
// breaks and NULs that the callers of set() keep out.
std::string field(std::string_view& input, std::size_t most)
{
    std::string text;
    while (!input.empty() && text.size() < most) {
        char c = input.front();
        input.remove_prefix(1);
        if (c == '|')
            break;
        if (c != '\r' && c != '\n' && c != '\0')
            text += c;
    }
    return text;
}

// The value "]" also keeps out keys that start with "[": with a "]" in its
// value, such a key's line would read as a section header.
bool reads_back(const std::string& section, const std::string& key)
{
    return profile::ProfileText("[" + section + "]\r\n" + key + "=]").get(section, key) == "]";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);

    // The first part names a section and up to four keys with their values;
    // the rest, after a NUL, is the file.
    std::size_t split = input.find('\0');
    std::string_view header = input.substr(0, split);
    std::string_view file = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    const std::string section = field(header, 16);
    std::vector<std::pair<std::string, std::string>> edits;
    std::vector<std::string> keys;
    while (!header.empty() && edits.size() < 4) {
        std::string key = field(header, 16);
        std::string value = field(header, 300);
        // Only names that read back as themselves can be found again by a
        // later set; others (blanks around them, an "=" inside, a lead byte
        // last, a "[" first) are written but never matched, either way.
        if (!reads_back(section, key))
            continue;
        keys.push_back(key);
        edits.emplace_back(std::move(key), std::move(value));
    }

    // A file with a byte-order mark is read in code page 932 instead: its
    // bytes change; any other file is kept byte for byte.
    profile::ProfileText text{std::string(file)};
    check(profile::starts_with_byte_order_mark(file) || text.bytes() == file);
    const std::vector<std::string> all = text.get_all(section, keys);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        check(all[i] == text.get(section, keys[i]));
        check(all[i].size() <= profile::kMaxValueBytes);
        (void)cp932::to_utf8(all[i]);
    }

    profile::ProfileText one_by_one = text;
    for (const auto& [key, value] : edits)
        one_by_one.set(section, key, value);
    text.set_all(section, edits);
    check(text.bytes() == one_by_one.bytes());

    // UTF-8 that the code page can carry comes back as it was.
    if (auto bytes = cp932::from_utf8(file))
        check(cp932::to_utf8(*bytes) == file);
    return 0;
}
