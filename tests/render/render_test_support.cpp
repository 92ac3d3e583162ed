// Helpers of the render tests: running the tool, reading what it wrote.
#include "render_test_support.h"

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg)
        q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A tiny JSON reader that only checks the grammar.
struct JsonCheck {
    const std::string& s;
    std::size_t i = 0;

    void blanks()
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
            ++i;
    }
    bool literal(const char* word)
    {
        std::size_t n = std::strlen(word);
        if (s.compare(i, n, word) != 0)
            return false;
        i += n;
        return true;
    }
    bool string()
    {
        if (i >= s.size() || s[i] != '"')
            return false;
        for (++i; i < s.size(); ++i) {
            if (s[i] == '\\')
                ++i;
            else if (s[i] == '"')
                return ++i, true;
            else if (static_cast<unsigned char>(s[i]) < 0x20)
                return false;
        }
        return false;
    }
    bool number()
    {
        std::size_t start = i;
        if (i < s.size() && s[i] == '-')
            ++i;
        std::size_t digits = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (i == digits || (s[digits] == '0' && i - digits > 1))
            return false;
        if (i < s.size() && s[i] == '.') {
            std::size_t frac = ++i;
            while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
                ++i;
            if (i == frac)
                return false;
        }
        return i > start;
    }
    template <typename Item>
    bool sequence(char open, char close, Item item)
    {
        if (s[i] != open)
            return false;
        ++i;
        blanks();
        if (i < s.size() && s[i] == close)
            return ++i, true;
        for (;;) {
            if (!item())
                return false;
            blanks();
            if (i < s.size() && s[i] == ',') {
                ++i;
                blanks();
                continue;
            }
            if (i < s.size() && s[i] == close)
                return ++i, true;
            return false;
        }
    }
    bool value()
    {
        blanks();
        if (i >= s.size())
            return false;
        switch (s[i]) {
        case '{':
            return sequence('{', '}', [&] {
                if (!string())
                    return false;
                blanks();
                if (i >= s.size() || s[i] != ':')
                    return false;
                ++i;
                return value();
            });
        case '[': return sequence('[', ']', [&] { return value(); });
        case '"': return string();
        case 't': return literal("true");
        case 'f': return literal("false");
        case 'n': return literal("null");
        default: return number();
        }
    }
};

} // namespace

ToolRun RunRenderTool(const std::vector<std::string>& args, int timeout_seconds)
{
    ScratchDir capture;
    std::string command;
    if (timeout_seconds > 0)
        command = "timeout -k 5 " + std::to_string(timeout_seconds) + " ";
    command += Quoted(std::string(ORVELUNE_BIN_DIR) + "/orvelune-render");
    for (const std::string& a : args)
        command += " " + Quoted(a);
    command += " >" + Quoted((capture.path / "out").string());
    command += " 2>" + Quoted((capture.path / "err").string());
    int raw = std::system(command.c_str());
    ToolRun run;
    run.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(capture.path / "out");
    run.err = Slurp(capture.path / "err");
    return run;
}

ScratchDir::ScratchDir()
{
    static std::atomic<int> counter{0};
    path = fs::temp_directory_path()
           / ("orvelune-render-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path);
    fs::create_directories(path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    fs::remove_all(path, ec);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool IsJson(const std::string& text)
{
    JsonCheck check{text};
    if (!check.value())
        return false;
    check.blanks();
    return check.i == text.size();
}

long long Field(const std::string& line, const std::string& key, long long fallback)
{
    std::string needle = "\"" + key + "\":";
    auto at = line.find(needle);
    if (at == std::string::npos)
        return fallback;
    return std::strtoll(line.c_str() + at + needle.size(), nullptr, 10);
}

void WritePng(const fs::path& path, const gfx::Surface& picture,
              const std::vector<unsigned char>* alpha)
{
    const int channels = alpha ? 4 : 3;
    std::vector<unsigned char> bytes;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            gfx::Pixel p = picture.at(x, y);
            bytes.push_back(static_cast<unsigned char>(gfx::red_of(p)));
            bytes.push_back(static_cast<unsigned char>(gfx::green_of(p)));
            bytes.push_back(static_cast<unsigned char>(gfx::blue_of(p)));
            if (alpha)
                bytes.push_back((*alpha)[std::size_t(y * picture.width() + x)]);
        }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width());
    image.height = png_uint_32(picture.height());
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr))
        throw std::runtime_error("cannot write " + path.string());
}

gfx::Surface ReadPng(const fs::path& path)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        throw std::runtime_error("cannot read " + path.string());
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr))
        throw std::runtime_error("cannot decode " + path.string());
    gfx::Surface picture(int(image.width), int(image.height));
    const unsigned char* b = bytes.data();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x, b += 3)
            picture.set(x, y, gfx::rgb(b[0], b[1], b[2]));
    return picture;
}
