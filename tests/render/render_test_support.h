#pragma once

#include "gfx/surface.h"

#include <filesystem>
#include <string>
#include <vector>

// Runs build/bin/orvelune-render with these arguments; what it printed and how it ended.
// A run still going after `timeout_seconds` is killed and ends with 124.
struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};
ToolRun RunRenderTool(const std::vector<std::string>& args, int timeout_seconds = 0);

// A fresh, empty folder for one test, removed by its destructor.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::filesystem::path path;
};

std::vector<std::string> Lines(const std::string& text);

// True when `text` is exactly one JSON value (objects, arrays, strings,
// numbers, true, false, null), with nothing after it.
bool IsJson(const std::string& text);

// The integer value of "key": in a one-line object, or `fallback`.
long long Field(const std::string& line, const std::string& key, long long fallback = -999999);

// Writes an 8-bit RGB (or RGBA when `alpha` is given) PNG with libpng.
void WritePng(const std::filesystem::path& path, const gfx::Surface& picture,
              const std::vector<unsigned char>* alpha = nullptr);
// Reads a PNG written by the tool back as pixels.
gfx::Surface ReadPng(const std::filesystem::path& path);
